#pragma once
// What the window gives a page, for tests without the window: a parameter
// store, a top-level widget, the shared page context, and a log of every
// write the page asks for (in order, with the float that would go out).

#include "pages/PageContext.h"
#include "params/ParameterStore.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QTranslator>
#include <QWidget>

class PageFixture
{
public:
    PageFixture();
    ~PageFixture();

    ParameterStore store;
    QWidget window;
    PageContext ctx{&store, &window};
    QList<QPair<QString, float>> writes;

    // Adds (or overwrites) downloaded parameters.
    void load(const QList<QPair<QString, double>> &params);
    // Writes of one parameter, in order.
    QList<float> writesOf(const QString &name) const;
    // Installs the application's English catalogue (or removes it) and sets
    // the context's language flag.
    bool setEnglish(bool english);

    // Shows `page` at the size the window gives the pages and waits for it.
    QWidget *host(QWidget *page);

private:
    QTranslator m_english;
    bool m_englishLoaded = false;
    QWidget *m_host = nullptr;
};
