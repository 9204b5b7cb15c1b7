#pragma once
// What the window gives a page, for tests without the window: a parameter
// store, a top-level widget, the page context and a log of every write.

#include "pages/PageContext.h"
#include "params/ParameterStore.h"

#include <QAbstractSlider>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <QTranslator>
#include <QWidget>

using Writes = QList<QPair<QString, float>>;

// What the window gives the pages: 1000 x 600 less the left column, the top
// bar and the layouts' spacing.
inline const QSize kPageSize(794, 534);

class PageFixture
{
public:
    PageFixture();
    ~PageFixture();

    ParameterStore store;
    QWidget window;
    PageContext ctx{&store, &window};
    Writes writes;

    void load(const QList<QPair<QString, double>> &params);
    QList<float> writesOf(const QString &name) const;
    // Installs or removes the application's English catalogue; false when it does not load.
    bool setEnglish(bool english);
    // Shows `page` at the size the window gives the pages, its layouts settled;
    // the host (with the page) lives until clearHosts() or the fixture's end.
    QWidget *host(QWidget *page);
    void clearHosts();

private:
    QTranslator m_english;
    bool m_englishLoaded = false;
    QList<QWidget *> m_hosts;
};

// Lets the posted layout requests and what they cause run.
void settleLayouts();

template <typename T>
T *child(QWidget *page, const char *name)
{
    T *w = page->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

// A point on a horizontal slider where a press lands on `value`.
inline QPoint pointFor(QAbstractSlider *s, int value)
{
    const double share = double(value - s->minimum()) / double(s->maximum() - s->minimum());
    return QPoint(int(share * s->width()), s->height() / 2);
}
