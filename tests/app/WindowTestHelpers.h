#pragma once

// Shared by the window tests: a watcher that answers modal message boxes, and a named-child lookup.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "tests/ThreadSafeLog.h"

// Answers every modal message box that opens and records what it said.
class BoxWatcher : public QObject
{
public:
    BoxWatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            titles << box->windowTitle();
            texts << box->text();
            details << box->detailedText();
            hints << box->informativeText();
            box->done(QMessageBox::Ok);
        });
        m_timer.start(10);
    }
    QStringList titles;
    QStringList texts;
    QStringList details;
    QStringList hints;

private:
    QTimer m_timer;
};

template <typename T = QWidget>
T *child(QObject &parent, const char *name)
{
    T *c = parent.findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}
