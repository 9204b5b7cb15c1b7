// The port list source the link worker asks every 20 ms tick: the platform
// is asked again only after a change of the device directory or once the
// list is old, so an unconnected window does not spend its time enumerating.
#include "link/PortSource.h"

#include <QSerialPortInfo>
#include <QTest>

#include <atomic>
#include <thread>

class PortSourceTest : public QObject
{
    Q_OBJECT

private slots:
    void asksAgainOnlyAfterAChangeOrWhenOld();
    void oneAskingForConcurrentCallers();
    void systemPortsAreThePlatformsPorts();
};

void PortSourceTest::asksAgainOnlyAfterAChangeOrWhenOld()
{
    int asked = 0;
    QString stamp = QStringLiteral("a");
    QList<PortCandidate> platform{PortCandidate{QStringLiteral("ttyACM0"), 0x05C0, 0x007A}};
    const PortSource source = cachedPortSource(
        [&] {
            ++asked;
            return platform;
        },
        60000, [&] { return stamp; });

    QCOMPARE(source().size(), 1);
    QCOMPARE(asked, 1);
    // Unchanged: from memory, even when the platform's list changed unseen.
    platform.append(PortCandidate{QStringLiteral("ttyUSB0"), 0x0403, 0x6001});
    for (int i = 0; i < 100; ++i)
        QCOMPARE(source().size(), 1);
    QCOMPARE(asked, 1);
    // A device came: the next call asks.
    stamp = QStringLiteral("b");
    QCOMPARE(source().size(), 2);
    QCOMPARE(source().at(1).portName, QStringLiteral("ttyUSB0"));
    QCOMPARE(asked, 2);

    // Where nothing tells of a change, the age does.
    int timedAsks = 0;
    const PortSource timed = cachedPortSource(
        [&] {
            ++timedAsks;
            return QList<PortCandidate>();
        },
        50, nullptr);
    timed();
    timed();
    QCOMPARE(timedAsks, 1);
    QTRY_VERIFY_WITH_TIMEOUT((timed(), timedAsks == 2), 5000);

    // No base: an empty list.
    QVERIFY(cachedPortSource(nullptr, 1000, nullptr)().isEmpty());
}

void PortSourceTest::oneAskingForConcurrentCallers()
{
    std::atomic<int> asked{0};
    const PortSource source = cachedPortSource(
        [&] {
            ++asked;
            return QList<PortCandidate>{PortCandidate{QStringLiteral("ttyACM0"), 0x05C0, 0x007A}};
        },
        60000, [] { return QStringLiteral("same"); });
    std::atomic<int> wrong{0};
    auto caller = [&] {
        for (int i = 0; i < 2000; ++i) {
            const QList<PortCandidate> l = source();
            if (l.size() != 1 || l.at(0).portName != QLatin1String("ttyACM0"))
                ++wrong;
        }
    };
    std::thread a(caller), b(caller);
    a.join();
    b.join();
    QCOMPARE(asked.load(), 1);
    QCOMPARE(wrong.load(), 0);
}

void PortSourceTest::systemPortsAreThePlatformsPorts()
{
    QStringList expected;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        expected << info.portName();
    QStringList got;
    for (const PortCandidate &c : systemSerialPorts())
        got << c.portName;
    QCOMPARE(got, expected);
    // Asked again at once: the same list.
    QStringList again;
    for (const PortCandidate &c : systemSerialPorts())
        again << c.portName;
    QCOMPARE(again, got);
}

QTEST_GUILESS_MAIN(PortSourceTest)
#include "tst_port_source.moc"
