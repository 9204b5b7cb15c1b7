#include "tests/faults/FaultRig.h"

#include "link/Mav2Uart_Worker.h"
#include "params/ParameterStore.h"
#include "sim/HeliParameterTable.h"
#include "widgets/NLineLabel.h"
#include "widgets/ProgressRing.h"

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

FaultRig::FaultRig(const SimulatedFlightController::Options &options)
    : m_dir(std::make_unique<QTemporaryDir>()),
      m_sim(std::make_unique<SimulatedFlightController>(options)),
      m_pathMutex(std::make_shared<QMutex>()),
      m_path(std::make_shared<QString>()),
      m_encoded(options.encodedParams)
{
}

FaultRig::~FaultRig()
{
    m_window.reset();
    m_sim->stop();
}

bool FaultRig::startSim()
{
    QString error;
    if (!m_sim->start(&error)) {
        qWarning() << "simulator:" << error;
        return false;
    }
    QMutexLocker lock(m_pathMutex.get());
    *m_path = m_sim->portPath();
    return true;
}

void FaultRig::stopSim()
{
    m_sim->stop();
}

MainWindow &FaultRig::window()
{
    if (!m_window) {
        MainWindow::Options options;
        auto mutex = m_pathMutex;
        auto path = m_path;
        options.portSource = [mutex, path] {
            QMutexLocker lock(mutex.get());
            if (path->isEmpty())
                return QList<PortCandidate>();
            return QList<PortCandidate>{{*path, Mav2Uart_Worker::kVendorId, Mav2Uart_Worker::kProductId}};
        };
        options.settingsFile = m_dir->filePath(QStringLiteral("settings.ini"));
        m_window = std::make_unique<MainWindow>(options);
    }
    return *m_window;
}

bool FaultRig::connectWindow()
{
    auto *ports = window().findChild<QComboBox *>(QStringLiteral("Uartbox"));
    const QString path = m_sim->portPath();
    if (!ports || !QTest::qWaitFor([&] { return ports->findText(path) >= 0; }, 5000))
        return false;
    ports->setCurrentIndex(ports->findText(path));
    connectButton()->click();
    return true;
}

bool FaultRig::waitForDownload(int timeoutMs)
{
    MainWindow &w = window();
    return QTest::qWaitFor([&w] { return w.linkWorker()->readParamDone.load(); }, timeoutMs);
}

QPushButton *FaultRig::connectButton()
{
    return window().findChild<QPushButton *>(QStringLiteral("OpenUart"));
}

ProgressRing *FaultRig::ring()
{
    return window().findChild<ProgressRing *>(QStringLiteral("Read_progress"));
}

NLineLabel *FaultRig::strip()
{
    return window().findChild<NLineLabel *>(QStringLiteral("warn_txt_widget"));
}

QStringList FaultRig::stripLines()
{
    QStringList lines;
    NLineLabel *s = strip();
    for (int i = 0; i < s->lineCount(); ++i)
        lines << s->lineText(i);
    return lines;
}

QStringList FaultRig::storeDifferences()
{
    QStringList diffs;
    const ParameterStore *store = window().parameterStore();
    const QList<SimParameter> table = m_sim->parameters();
    if (store->size() != table.size())
        diffs << QStringLiteral("size %1, table %2").arg(store->size()).arg(table.size());
    for (const SimParameter &p : table) {
        const float expected = m_encoded ? (p.value * 12.0f) / 12.0f : p.value;
        if (!store->contains(p.name))
            diffs << p.name + QStringLiteral(" missing");
        else if (store->findParameterValue(p.name) != double(expected))
            diffs << QStringLiteral("%1 = %2, expected %3")
                         .arg(p.name)
                         .arg(store->findParameterValue(p.name))
                         .arg(double(expected));
        if (diffs.size() >= 10)
            break;
    }
    return diffs;
}

int FaultRig::pendingWrites()
{
    Mav2Uart_Worker *worker = window().linkWorker();
    int pending = -1;
    QMetaObject::invokeMethod(worker, [&pending, worker] { pending = worker->pendingWriteCount(); },
                              Qt::BlockingQueuedConnection);
    return pending;
}

BoxAnswerer::BoxAnswerer()
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        texts << box->text();
        details << box->detailedText();
        if (QAbstractButton *yes = box->button(QMessageBox::Yes))
            yes->click();
        else
            box->done(QMessageBox::Ok);
    });
    m_timer.start();
}
