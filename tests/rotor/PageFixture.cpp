#include "PageFixture.h"

#include <QCoreApplication>
#include <QStackedWidget>
#include <QTest>

PageFixture::PageFixture()
{
    QObject::connect(&ctx, &PageContext::writeParameterRequested, &ctx,
                     [this](const QString &name, float value) { writes.append({name, value}); });
    m_englishLoaded = m_english.load(QStringLiteral(":/TAVRO_en_US.qm"));
}

PageFixture::~PageFixture()
{
    QCoreApplication::removeTranslator(&m_english);
    delete m_host;
}

void PageFixture::load(const QList<QPair<QString, double>> &params)
{
    for (const auto &[name, value] : params)
        store.insertOrUpdate(Parameter{name, value});
}

QList<float> PageFixture::writesOf(const QString &name) const
{
    QList<float> values;
    for (const auto &[n, v] : writes) {
        if (n == name)
            values.append(v);
    }
    return values;
}

bool PageFixture::setEnglish(bool english)
{
    if (english)
        QCoreApplication::installTranslator(&m_english);
    else
        QCoreApplication::removeTranslator(&m_english);
    ctx.english = english;
    return m_englishLoaded;
}

QWidget *PageFixture::host(QWidget *page)
{
    m_host = new QWidget;
    auto *stack = new QStackedWidget(m_host);
    stack->setObjectName(QStringLiteral("stackedWidget"));
    stack->addWidget(page);
    stack->setGeometry(0, 0, 794, 534);
    m_host->resize(794, 534);
    m_host->show();
    if (!QTest::qWaitForWindowExposed(m_host))
        qWarning("page host not exposed");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::processEvents();
    return m_host;
}
