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
    clearHosts();
}

void PageFixture::clearHosts()
{
    qDeleteAll(m_hosts);
    m_hosts.clear();
}

void settleLayouts()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
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
    auto *frame = new QWidget;
    auto *stack = new QStackedWidget(frame);
    stack->setObjectName(QStringLiteral("stackedWidget"));
    stack->addWidget(page);
    stack->setGeometry(QRect(QPoint(0, 0), kPageSize));
    frame->resize(kPageSize);
    frame->show();
    m_hosts.append(frame);
    if (!QTest::qWaitForWindowExposed(frame))
        qWarning("page host not exposed");
    settleLayouts();
    return frame;
}
