#include "app/MainWindow.h"

#include "ui_MainWindow.h"

#include "app/AppLog.h"
#include "app/LanguageSetting.h"
#include "app/ParamFilesBar.h"
#include "app/SafeChanges.h"
#include "app/SettingsLocation.h"
#include "dialogs/AllParametersDialog.h"
#include "dialogs/PopUpWidget.h"
#include "link/Mav2Uart_Worker.h"
#include "pages/ModelPage.h"
#include "pages/PageContext.h"
#include "pages/RotorPage.h"
#include "pages/StatusPage.h"
#include "pages/StatusTextTable.h"
#include "pages/TuningPage.h"
#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "params/ValueMaps.h"
#include "widgets/FlatUI.h"
#include "widgets/NLineLabel.h"

#include <QApplication>
#include <QColor>
#include <QEvent>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace {

// Ages the warning strip: milliseconds counted while it holds a line, up to
// the last pause. Process-wide, and not reset when the strip is cleared.
qint64 warnAgedMs = 0;

// No flight time written yet (or it must be written again).
constexpr int kNoFlightTimeShown = std::numeric_limits<int>::min();
// One line goes after the strip has shown lines this long.
constexpr int kWarnAgeMs = 10000;
// Unconfirmed writes reported within this time share one warning line.
constexpr int kFailedWritesBatchMs = 100;

const char *const kNavSelectedStyle =
    "border:none; background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
    "stop:0 rgba(253, 253, 255, 255), stop:1 rgba(244, 243, 248, 255));";
const char *const kNavGreyStyle = "color: rgb(130, 130, 130);";
const char *const kNavBlackStyle = "color: rgb(0, 0, 0);";
const char *const kNavReadyButtonStyle = "QPushButton{border: none;}QPushButton:hover{color: rgb(180, 180, 180);}";

// A text of the English catalogue that no widget shows at present (the GPS
// read-out names the fix by its satellite count); listed so that the
// catalogue keeps its translation.
[[maybe_unused]] const char *const kCatalogueOnlyTexts[] = {
    QT_TRANSLATE_NOOP("MainWindow", "已定位"),
};

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(Options{}, parent)
{
}

MainWindow::MainWindow(const Options &options, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), m_options(options)
{
    // 1. Members; the translator belongs to the window.
    translator = new QTranslator(this);
    qtTranslator = new QTranslator(this);
    m_settingsFile = options.settingsFile.isEmpty() ? defaultSettingsFile() : options.settingsFile;
    m_store = new ParameterStore(this);
    m_ctx = new PageContext(m_store, this, this);

    // 2. The form, then the four pages in their stack. The window's flags
    // come first and each page is born inside the stack: a widget that changes
    // its parent or window flags later has its style sheets applied again,
    // which reloads every picture they name (the model page's photographs).
    setWindowFlags(Qt::FramelessWindowHint);
    ui->setupUi(this);
    m_statusPage = new StatusPage(m_ctx, ui->stackedWidget);
    m_rotorPage = new RotorPage(m_ctx, ui->stackedWidget);
    m_tuningPage = new TuningPage(m_ctx, ui->stackedWidget);
    m_modelPage = new ModelPage(m_ctx, ui->stackedWidget);
    const QList<QWidget *> pages{m_statusPage, m_rotorPage, m_tuningPage, m_modelPage};
    const char *const pageNames[] = {"page", "page_2", "page_3", "page_4"};
    for (int i = 0; i < pages.size(); ++i) {
        pages[i]->setObjectName(QString::fromLatin1(pageNames[i]));
        ui->stackedWidget->addWidget(pages[i]);
    }
    ui->stackedWidget->setCurrentIndex(0);
    m_navButtons = {ui->nav_BT1, ui->nav_BT2, ui->nav_BT3, ui->nav_BT4};

    // The ring frames the connect button: a thin track on white whose arc
    // shows the download; the button in its middle carries the words, so the
    // ring's own number stays out of sight.
    ui->Read_progress->setBgColor(Qt::white);
    ui->Read_progress->setCircleColor(Qt::white);
    ui->Read_progress->setRingBgColor(QColor(236, 236, 236));
    ui->Read_progress->setTextColor(Qt::transparent);
    ui->Read_progress->setRingPadding(4);
    ui->Read_progress->setRingWidth(12);
    ui->OpenUart->raise();

    // What the pages ask of the window.
    connect(m_ctx, &PageContext::writeParameterRequested, this, &MainWindow::WriteParameters);
    connect(m_tuningPage, &TuningPage::allParametersRequested, this, &MainWindow::openAllParameters);
    connect(m_ctx, &PageContext::rebootRequested, this, &MainWindow::Reboot_enable);
    connect(m_ctx, &PageContext::compassCalibrationRequested, this, &MainWindow::CompassCalibration_enable);
    connect(m_ctx, &PageContext::reconnectRequested, this, &MainWindow::on_OpenUart_clicked);
    connect(m_ctx, &PageContext::dataStreamRequested, this, &MainWindow::ReadParam_stream);
    connect(m_ctx, &PageContext::warningRaised, this,
            [this](const QString &line) { addWarningLine(line); });
    connect(m_ctx, &PageContext::magCalibratingChanged, this,
            [this](bool running) { emit MagCalibration_flag(running ? 1 : 0); });
    // The flight time follows its parameter.
    connect(m_store, &ParameterStore::parameterChanged, this, [this](const QString &name, double) {
        if (name == QLatin1String("STAT_FLTTIME"))
            showFlightTime();
    });
    connect(m_store, &ParameterStore::cleared, this, &MainWindow::showFlightTime);

    warnAgeTimer = new QTimer(this);
    warnAgeTimer->setSingleShot(true);
    warnAgeTimer->setTimerType(Qt::PreciseTimer);
    connect(warnAgeTimer, &QTimer::timeout, this, &MainWindow::ageWarningStrip);

    // Snapshots, save, load, restore: their own class and their own buttons
    // under the connection panel.
    m_safeChanges = new SafeChanges(m_ctx, options.snapshotDir, this);
    connect(m_safeChanges, &SafeChanges::warning, this, [this](const QString &line) { addWarningLine(line); });
    m_filesBar = new ParamFilesBar(ui->uart_widget);
    ui->verticalLayout_uart->addWidget(m_filesBar);
    connect(m_filesBar, &ParamFilesBar::saveRequested, m_safeChanges, &SafeChanges::saveParameters);
    connect(m_filesBar, &ParamFilesBar::loadRequested, m_safeChanges, &SafeChanges::loadParameters);
    connect(m_filesBar, &ParamFilesBar::snapshotsRequested, m_safeChanges, &SafeChanges::showSnapshots);

    m_failedWritesTimer = new QTimer(this);
    m_failedWritesTimer->setSingleShot(true);
    m_failedWritesTimer->setInterval(kFailedWritesBatchMs);
    connect(m_failedWritesTimer, &QTimer::timeout, this, &MainWindow::flushFailedWrites);

    // 3. The link: timer, worker, thread; both start here.
    serialPort_init();

    // 4. The battery-voltage shortcut, off until a download completes.
    voltageShortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+k")), this);
    voltageShortcut->setContext(Qt::WindowShortcut);
    connect(voltageShortcut, &QShortcut::activated, this, &MainWindow::slotDoAction);
    voltageShortcut->setEnabled(false);

    // 5. The frame.
    display_init();

    // 6. The channel column for an ordinary receiver.
    m_statusPage->layoutRcColumn(false);

    // 7. The language of the last run. The interface starts in Chinese, with
    // Qt's own texts (message box buttons) in Chinese too where Qt has them.
    installQtCatalogue(false);
    getSaveSetParameter();

    // 8.
    setWindowTitle(QStringLiteral("TAVRO"));
    // Before any download: 0 minutes (-1 s).
    showFlightTime();

    // The worker hears of the page shown whenever it changes.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, this, &MainWindow::PageValue);
}

MainWindow::~MainWindow()
{
    // The dialog's farewell handler reaches into the form: let it run first.
    delete voltageDialog.data();
    stopWorkerThread();
    delete worker;
    worker = nullptr;
    delete ui;
}

QString MainWindow::defaultSettingsFile()
{
    return SettingsLocation::forThisProcess();
}

void MainWindow::stopWorkerThread()
{
    // A worker waiting for a first frame watches for the interruption request;
    // quit() alone would not end its local event loop.
    workerThread.requestInterruption();
    workerThread.quit();
    workerThread.wait();
}

// ---- frame ---------------------------------------------------------------------------

void MainWindow::display_init()
{
    resize(1000, 600);
    setMinimumSize(0, 0);
    setMaximumSize(1000, 600);

    FlatUI::Instance()->setPushButtonQss(m_statusPage->rcButton(), 5, 8,
                                         QStringLiteral("#E74C3C"), QStringLiteral("#FFFFFF"),
                                         QStringLiteral("#EC7064"), QStringLiteral("#FFF5E7"),
                                         QStringLiteral("#DC2D1A"), QStringLiteral("#F5A996"));

    for (QPushButton *b : std::as_const(m_navButtons)) {
        connect(b, &QPushButton::clicked, this, &MainWindow::on_navButtonClicked);
        b->setEnabled(false);
    }

    for (QPushButton *b : m_modelPage->typeButtons())
        connect(b, &QPushButton::clicked, m_modelPage, &ModelPage::on_typesButtonClicked);
    m_modelPage->initButtons();
    m_statusPage->rcButton()->setEnabled(false);
    for (const char *name : {"Collective_pos_pB", "Collective_neg_pB", "Collective_ok_pB"}) {
        if (auto *b = m_rotorPage->findChild<QPushButton *>(QString::fromLatin1(name)))
            connect(b, &QPushButton::clicked, m_rotorPage, &RotorPage::on_CollectiveButtonClicked);
        else
            qCWarning(lcApp) << "rotor page has no" << name;
    }
}

void MainWindow::ageWarningStrip()
{
    warnAgedMs = 0;
    if (ui->warn_txt_widget->lineCount() > 0) {
        ui->warn_txt_widget->dropOldestLine();
        if (!m_warnLines.isEmpty())
            m_warnLines.removeFirst();
        updateWarningToolTip();
    }
    // While lines remain, the next one goes a full period later.
    updateWarningAgeing();
}

void MainWindow::updateWarningAgeing()
{
    const bool shown = ui->warn_txt_widget->lineCount() > 0;
    if (shown && !warnAgeTimer->isActive()) {
        warnAgeClock.start();
        warnAgeTimer->start(int(std::max<qint64>(0, kWarnAgeMs - warnAgedMs)));
    } else if (!shown && warnAgeTimer->isActive()) {
        warnAgedMs += warnAgeClock.elapsed();
        warnAgeTimer->stop();
    }
}

void MainWindow::resetWarningAge()
{
    warnAgedMs = 0;
}

void MainWindow::on_navButtonClicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (button && m_statusPage->travelCalibrationRunning()) {
        showWarningBox(tr("警报"),
                       tr("正在校准遥控器行程，请拨动摇杆至极限位置状态后，点击写入参数完成校准"));
        return;
    }
    if (!(worker->portOpen.load() && worker->readParamDone.load()))
        return;

    const int index = m_navButtons.indexOf(button);
    qCDebug(lcApp) << "navigation to page" << index;
    if (index < 0)
        return;

    ui->stackedWidget->setCurrentIndex(index);
    for (QPushButton *b : std::as_const(m_navButtons))
        b->setStyleSheet(QStringLiteral("border:none;"));
    button->setStyleSheet(QString::fromLatin1(kNavSelectedStyle));

    if (index == 0)
        emit ReadParam_stream(3, true);
    if (index != 2)
        m_rotorPage->closeAdjustments();
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    const int y = qRound(event->position().y());
    qCDebug(lcApp) << "press at y" << y << "band" << ui->nav_widget->height();
    if (event->button() == Qt::LeftButton && y < ui->nav_widget->height()) {
        // The desktop moves the window (Wayland allows nothing else, and it
        // snaps); where it refuses, the window follows the mouse itself.
        QWindow *handle = window()->windowHandle();
        if (!handle || !handle->startSystemMove()) {
            dragging = true;
            dragOffset = event->position().toPoint();
        }
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (dragging)
        move(event->globalPosition().toPoint() - dragOffset);
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        dragging = false;
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::on_btn_minimize_clicked()
{
    showMinimized();
}

void MainWindow::on_btn_close_clicked()
{
    close();
}

void MainWindow::slotDoAction()
{
    if (voltageDialog)
        return;
    voltageShortcut->setEnabled(false);
    ui->centralwidget->setEnabled(false);

    auto *dialog = new PopUpWidget(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    voltageDialog = dialog;
    dialog->setBattVoltMult(float(m_store->findParameterValue(QStringLiteral("BATT_VOLT_MULT"))));
    connect(dialog, &PopUpWidget::writeBattVoltMult, this, &MainWindow::Voltage_Write_show);
    dialog->setMessagePointSize(ui->English_checkBox->isChecked() ? 9 : 10);
    connect(dialog, &QObject::destroyed, this, [this, dialog]() {
        disconnect(dialog, &PopUpWidget::writeBattVoltMult, this, &MainWindow::Voltage_Write_show);
        voltageShortcut->setEnabled(true);
        ui->centralwidget->setEnabled(true);
    }, Qt::DirectConnection);
    // Opens over the middle of the window, wherever the window is.
    dialog->move(frameGeometry().center() - dialog->rect().center());
    dialog->show();
}

void MainWindow::sleep(uint msec)
{
    m_ctx->sleep(msec);
}

void MainWindow::showWarningBox(const QString &title, const QString &text, const QString &detail,
                                const QString &hint)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    if (!hint.isEmpty()) {
        box.setInformativeText(hint);
        // The hint holds commands to copy: selectable, and wide enough that
        // a command stays on one line.
        if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            label->setMinimumWidth(440);
        }
    }
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

QString MainWindow::permissionFixText() const
{
#ifdef Q_OS_LINUX
    const bool ruleInstalled = QFile::exists(QStringLiteral("/etc/udev/rules.d/70-tavro.rules"))
                               || QFile::exists(QStringLiteral("/usr/lib/udev/rules.d/70-tavro.rules"))
                               || QFile::exists(QStringLiteral("/lib/udev/rules.d/70-tavro.rules"));
    if (ruleInstalled)
        return tr("没有打开串口的权限。TAVRO 的 udev 规则已安装：请拔下飞控再重新插上。\n"
                  "仍然不行时，把当前用户加入 dialout 组，注销并重新登录后再插上飞控：\n"
                  "sudo usermod -aG dialout $USER");
    return tr("没有打开串口的权限。请任选其一，完成后拔下飞控再重新插上：\n"
              "1. 安装 TAVRO 的 udev 规则（规则文件在源码的 tools/linux/ 中）：\n"
              "sudo cp tools/linux/70-tavro.rules /etc/udev/rules.d/\n"
              "sudo udevadm control --reload-rules\n"
              "2. 把当前用户加入 dialout 组，然后注销并重新登录：\n"
              "sudo usermod -aG dialout $USER");
#elif defined(Q_OS_WIN)
    // Windows refuses a COM port that another program holds open.
    return tr("串口正被其他程序占用。请关闭使用该串口的其他程序（例如其他地面站软件），然后重新连接。");
#else
    return QString();
#endif
}

// ---- settings and language -----------------------------------------------------------

void MainWindow::getSaveSetParameter()
{
    const LanguageSetting::Choice language = LanguageSetting::read(m_settingsFile);
    qCDebug(lcApp) << "language setting:" << int(language);

    if (language == LanguageSetting::Choice::English)
        ui->English_checkBox->setChecked(true);
    else if (language == LanguageSetting::Choice::Chinese)
        ui->Chinese_checkBox->setChecked(true);
}

void MainWindow::on_Chinese_checkBox_stateChanged(int arg1)
{
    qCDebug(lcApp) << "Chinese box state" << arg1;
    if (arg1 != Qt::Checked) {
        // The boxes are a pair: clearing one ticks the other.
        if (!ui->English_checkBox->isChecked())
            ui->English_checkBox->setChecked(true);
        return;
    }
    ui->English_checkBox->setChecked(false);
    switchLanguage(false, true);
}

void MainWindow::on_English_checkBox_stateChanged(int arg1)
{
    if (arg1 != Qt::Checked) {
        if (!ui->Chinese_checkBox->isChecked())
            ui->Chinese_checkBox->setChecked(true);
        return;
    }
    ui->Chinese_checkBox->setChecked(false);
    switchLanguage(true, true);
}

void MainWindow::switchLanguage(bool english, bool storeChoice)
{
    m_ctx->english = english;

    // The catalogue replaces whatever the translator held. Taken out of the
    // application first, so that installing it again does not list it twice.
    QCoreApplication::removeTranslator(translator);
    const QString dir = m_options.catalogueDir.isEmpty() ? QStringLiteral(":/") : m_options.catalogueDir;
    const QString catalogue = dir + (dir.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/"))
                              + (english ? QStringLiteral("TAVRO_en_US.qm") : QStringLiteral("TAVRO_zh_CN.qm"));
    const bool loaded = translator->load(catalogue);
    if (english)
        qCDebug(lcApp) << "English box state" << int(Qt::Checked);
    if (!loaded) {
        qCWarning(lcApp).noquote() << "cannot load the catalogue" << catalogue;
        showWarningBox(QString(), QStringLiteral("LOAD QM FAILED"));
    }
    installQtCatalogue(english);
    const bool installed = QCoreApplication::installTranslator(translator);
    if (!installed) {
        qCWarning(lcApp).noquote() << "cannot install the catalogue" << catalogue;
        showWarningBox(QString(), QStringLiteral("Install FAILED"));
    }

    // Every form again from the catalogue. A page re-applies its own form and
    // then the texts of its current state (read-outs, calibration buttons,
    // switch and travel labels), so a running calibration keeps its text and
    // with it the navigation guard.
    ui->retranslateUi(this);
    setWindowTitle(QStringLiteral("TAVRO"));
    showFlightTime();   // the form put "----" back
    m_statusPage->retranslate();
    m_rotorPage->retranslate();
    m_tuningPage->retranslate();
    m_modelPage->retranslate();
    if (m_allParameters) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(m_allParameters.data(), &change);
    }
    m_filesBar->retranslate();
    retranslateWarningStrip();
    if (voltageDialog) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(voltageDialog.data(), &change);
        voltageDialog->setMessagePointSize(english ? 9 : 10);
    }
    update();

    if (storeChoice) {
        if (!LanguageSetting::write(m_settingsFile, english))
            qCWarning(lcApp).noquote() << "settings: the language choice could not be saved to" << m_settingsFile;
    }

    if (installed) {
        applyWindowLanguageTexts(english);
    } else {
        // The form put the idle text back; the button still tells the state.
        ui->OpenUart->setText(connectButtonText());
    }
}

void MainWindow::showFlightTime()
{
    // STAT_FLTTIME counts seconds; before a download -1 shows 0 minutes.
    const int seconds = truncateTowardZero(m_store->findParameterValue(QStringLiteral("STAT_FLTTIME")));
    const int minutes = seconds / 60;
    // The label is compared too: the form's retranslation puts its own text back.
    if (minutes == m_flightTimeMinutes && ui->flytimeshow_value->text() == m_flightTimeText)
        return;
    m_flightTimeText = QString::number(minutes) + tr("分");
    m_flightTimeMinutes = minutes;
    ui->flytimeshow_value->setText(m_flightTimeText);
}

void MainWindow::applyWindowLanguageTexts(bool english)
{
    // A catalogue was installed: the unit is translated again.
    m_flightTimeMinutes = kNoFlightTimeShown;
    showFlightTime();
    if (m_store->findParameterValue(QStringLiteral("FRAME_CLASS")) == 11.0)
        ui->nav_BT4->setText(english ? QStringLiteral("Coll-Pitch") : QStringLiteral("螺距调试"));

    ui->flytypeshow_value->setText(
        ModelPresets::modelName(ModelPresets::modelIdFromValue(m_store->findParameterValue(QStringLiteral("fw_version")))));

    // Bold, 12 points in Chinese, 9 in English; where the system's font sets
    // an English state text wider than the button (the ring's inner circle),
    // a point less.
    QFont font;
    font.setWeight(QFont::Bold);
    font.setPointSize(english ? 9 : 12);
    if (english) {
        const int room = ui->OpenUart->maximumWidth();
        auto fits = [&](const QFont &f) {
            const QFontMetrics metrics(f);
            for (LinkState state : {LinkState::Idle, LinkState::Loading, LinkState::Connected})
                if (metrics.horizontalAdvance(connectButtonText(state)) > room)
                    return false;
            return true;
        };
        if (!fits(font))
            font.setPointSize(8);
    }
    ui->OpenUart->setFont(font);
    ui->OpenUart->setText(connectButtonText());
}

void MainWindow::installQtCatalogue(bool english)
{
    QCoreApplication::removeTranslator(qtTranslator);
    if (english)
        return; // Qt's texts are English already
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (qtTranslator->load(QStringLiteral("qtbase_zh_CN"), dir) && QCoreApplication::installTranslator(qtTranslator))
        return;
    qCDebug(lcApp).noquote() << "no Chinese catalogue of Qt in" << dir;
}

void MainWindow::setLinkState(LinkState state)
{
    m_linkState = state;
    ui->OpenUart->setText(connectButtonText());
}

QString MainWindow::connectButtonText() const
{
    return connectButtonText(m_linkState);
}

QString MainWindow::connectButtonText(LinkState state)
{
    switch (state) {
    case LinkState::Loading:
        return tr("加载中");
    case LinkState::Connected:
        return tr("成 功");
    case LinkState::Idle:
        break;
    }
    return tr("连 接");
}

// ---- connection panel and worker wiring ----------------------------------------------

void MainWindow::serialPort_init()
{
    Mav2Uart_Worker::registerMetaTypes();

    // The worker searches ports on its own timer while no port is open.
    worker = m_options.portSource ? new Mav2Uart_Worker(m_options.portSource) : new Mav2Uart_Worker;
    worker->moveToThread(&workerThread);

    connect(this, &MainWindow::PageValue, worker, &Mav2Uart_Worker::SetCurrentPage);
    connect(this, &MainWindow::MagCalibration_flag, worker, &Mav2Uart_Worker::SetMagcalibrationrun);
    connect(this, &MainWindow::CurrentComValue, worker, &Mav2Uart_Worker::ConnectPort);
    connect(this, &MainWindow::startParamRead_value, worker, &Mav2Uart_Worker::startParamRead);
    connect(this, &MainWindow::readparamdone, worker, &Mav2Uart_Worker::SetReadParamDone);
    connect(this, &MainWindow::WriteParam_value, worker, &Mav2Uart_Worker::sendWriteParametersCommand);
    connect(this, &MainWindow::ReadParam_stream, worker, &Mav2Uart_Worker::sendDataStreamCommand);
    connect(this, &MainWindow::Reboot_enable, worker, &Mav2Uart_Worker::sendRebootCommand);
    connect(this, &MainWindow::CompassCalibration_enable, worker, &Mav2Uart_Worker::sendCompassCalibrationCommand);

    connect(worker, &Mav2Uart_Worker::PortList, this, &MainWindow::Uartbox_show);
    connect(worker, &Mav2Uart_Worker::ConnectSingal, this, &MainWindow::OpenUart_connect);
    connect(worker, &Mav2Uart_Worker::disconnect_UI_disable, this, &MainWindow::Disconnect_UI_show);
    connect(worker, &Mav2Uart_Worker::calibration_process, this, &MainWindow::MagCalibration_show);
    connect(worker, &Mav2Uart_Worker::sys_status_value, this, &MainWindow::sys_status_show);
    connect(worker, &Mav2Uart_Worker::gps_raw_int_value, this, &MainWindow::gps_raw_int_show);
    connect(worker, &Mav2Uart_Worker::gps2_raw_value, this, &MainWindow::gps2_raw_show);
    connect(worker, &Mav2Uart_Worker::attitude_value, this, &MainWindow::attitude_show);
    // The bar follows every progress report; the page also follows which
    // compass reported.
    connect(worker, &Mav2Uart_Worker::mag_cal_progress_value, this, &MainWindow::mag_cal_progress_show);
    connect(worker, &Mav2Uart_Worker::mag_cal_report_value, this, &MainWindow::mag_cal_report_show);
    connect(worker, &Mav2Uart_Worker::rc_channels_value, this, &MainWindow::rc_channels_show);
    connect(worker, &Mav2Uart_Worker::statustext_value, this, &MainWindow::statustext_show);
    connect(worker, &Mav2Uart_Worker::param_value_loading_value, this, &MainWindow::param_value_loading_show);
    connect(worker, &Mav2Uart_Worker::param_value_finish_value, this, &MainWindow::param_value_finish_show);
    connect(worker, &Mav2Uart_Worker::param_value_update_value, this, &MainWindow::param_value_update_show);
    connect(worker, &Mav2Uart_Worker::param_missing_value, this, &MainWindow::param_missing_show);
    connect(worker, &Mav2Uart_Worker::param_write_failed_value, this, &MainWindow::param_write_failed_show);
    connect(worker, &Mav2Uart_Worker::link_error_value, this, &MainWindow::link_error_show);
    connect(worker, &Mav2Uart_Worker::port_permission_denied_value, this, &MainWindow::port_permission_denied_show);
    connect(worker, &Mav2Uart_Worker::port_opened_value, m_safeChanges, &SafeChanges::portOpened);
    connect(worker, &Mav2Uart_Worker::param_missing_value, m_safeChanges, &SafeChanges::downloadMissing);

    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::check_uart);

    workerThread.start(QThread::InheritPriority);
}

void MainWindow::WriteParameters(QString paramId, float paramValue)
{
    emit WriteParam_value(paramId, paramValue);
}

void MainWindow::on_OpenUart_clicked()
{
    emit CurrentComValue(ui->Uartbox->currentText());
}

void MainWindow::Uartbox_show(int FLAG1, QStringList qsL, int FLAG2)
{
    if (FLAG1 == 1) {
        ui->Uartbox->clear();
        ui->Uartbox->addItems(qsL);
    }
    if (FLAG2 == 1) {
        ui->nav_BT1->click();
        clearWarningStrip();
        ui->nav_widget->setStyleSheet(QString::fromLatin1(kNavGreyStyle));
        ui->Read_progress->setValue(0);
        setLinkState(LinkState::Idle);
    }
}

void MainWindow::OpenUart_connect(int FLAG)
{
    clearWarningStrip();
    if (FLAG == 1) {
        m_filesBar->setConnected(false);
        m_lastLinkError.clear();
        m_lastOpenDenied = false;
        setLinkState(LinkState::Loading);
        m_store->clearParameterValue();
        // A new link: the worker hears the page shown (which arms its
        // silence limit) and the calibration flag before the download starts.
        emit PageValue(ui->stackedWidget->currentIndex());
        emit MagCalibration_flag(m_ctx->magCalibrating ? 1 : 0);
        emit startParamRead_value();
    } else if (FLAG == 0) {
        m_filesBar->setConnected(false);
        emit m_ctx->linkLost();
        const QString detail = m_lastLinkError;
        const QString hint = m_lastOpenDenied ? permissionFixText() : QString();
        m_lastLinkError.clear();
        m_lastOpenDenied = false;
        setLinkState(LinkState::Idle);
        ui->Read_progress->setValue(0);
        showWarningBox(tr("错误"), tr("串口连接失败"), detail, hint);
    }
}

void MainWindow::Disconnect_UI_show()
{
    m_lastLinkError.clear();
    m_lastOpenDenied = false;
    ui->nav_BT1->click();
    clearWarningStrip();
    ui->nav_widget->setStyleSheet(QString::fromLatin1(kNavGreyStyle));
    if (voltageDialog)
        voltageDialog->close();
    voltageShortcut->setEnabled(false);
    ui->Read_progress->setValue(0);
    setLinkState(LinkState::Idle);
    m_statusPage->setLinkLost();
    m_rotorPage->setLinkLost();
    m_tuningPage->setLinkLost();
    m_modelPage->setLinkLost();
    m_filesBar->setConnected(false);
    emit m_ctx->linkLost();
    if (m_allParameters)
        m_allParameters->setLinkUp(false);
}

void MainWindow::openAllParameters()
{
    if (!m_allParameters) {
        m_allParameters = new AllParametersDialog(m_ctx, this);
        m_allParameters->setLinkUp(worker && worker->portOpen.load() && worker->readParamDone.load());
        // Chosen differing rows go through the same preview and batch as a restore.
        m_allParameters->setBatchWriteAvailable(true);
        connect(m_allParameters, &AllParametersDialog::writeRowsRequested, m_safeChanges, &SafeChanges::writeRows);
    }
    // Comparisons start in the connected board's snapshots.
    const QString board = m_safeChanges->boardId();
    m_allParameters->setSnapshotFolder(board.isEmpty() ? m_safeChanges->snapshots().root()
                                                       : m_safeChanges->snapshots().boardFolder(board));
    m_allParameters->show();
    m_allParameters->raise();
    m_allParameters->activateWindow();
}

void MainWindow::MagCalibration_show(int value)
{
    m_tuningPage->MagCalibration_show(value);
}

void MainWindow::check_uart()
{
    // The port belongs to the worker's thread: close it there and wait, so it
    // is closed before the thread is stopped.
    if (worker && worker->portOpen.load() && workerThread.isRunning())
        QMetaObject::invokeMethod(worker, &Mav2Uart_Worker::closePort, Qt::BlockingQueuedConnection);
}

// ---- telemetry -----------------------------------------------------------------------

void MainWindow::sys_status_show(uint16_t voltageMv, signed char rcHealthy)
{
    m_statusPage->sys_status_show(voltageMv, rcHealthy);
    if (voltageDialog)
        voltageDialog->setMeasuredVoltage(float(voltageMv) / 1000.0f);
}

void MainWindow::gps_raw_int_show(uint8_t satellites, uint16_t eph, uint16_t epv)
{
    m_statusPage->gps_raw_int_show(satellites, eph, epv);
}

void MainWindow::gps2_raw_show(uint8_t satellites, uint16_t eph)
{
    m_statusPage->gps2_raw_show(satellites, eph);
}

void MainWindow::attitude_show(float roll, float pitch, float yaw)
{
    m_statusPage->attitude_show(roll, pitch, yaw);
}

void MainWindow::mag_cal_progress_show(uint8_t compassId, int value)
{
    m_tuningPage->mag_cal_progress_show(compassId, value);
}

void MainWindow::mag_cal_report_show(uint8_t compassId, uint8_t calStatus)
{
    m_tuningPage->mag_cal_report_show(compassId, calStatus);
}

void MainWindow::rc_channels_show(mavlink_rc_channels_t channels)
{
    m_statusPage->rc_channels_show(channels);
}

void MainWindow::statustext_show(QString text, uint8_t severity)
{
    if (StatusTextTable::userLine(text, severity)) {
        const char *message = StatusTextTable::rows()[size_t(StatusTextTable::matchRow(text))].message;
        addWarningLine([message] { return QCoreApplication::translate("StatusTextTable", message); });
    }
}

// ---- parameters ----------------------------------------------------------------------

void MainWindow::param_value_loading_show(Parameter parameter, int received, uint16_t count)
{
    m_store->insertOrUpdate(parameter);
    if (count == 0)
        return; // nothing announced: no share to show

    // The ring runs from red to green and reaches 100 ten parameters before
    // the announced count, in single precision. A table of ten or fewer has
    // no such margin: value and colour are the plain share received / count.
    int k = 0;
    int value = 0;
    if (count > 10) {
        const int span = int(count) - 10;
        k = (received + 1 >= span) ? span : received;
        value = int(float(k) / (float(span) / 100.0f));
    } else {
        k = qBound(0, received, int(count));
        value = int(float(k) / float(count) * 100.0f);
    }
    const int g = qBound(0, int(255.0f / float(count) * float(k)), 255);
    ui->Read_progress->setRingColor(QColor(255 - g, g, 0, 255));
    ui->Read_progress->setValue(qBound(0, value, 100));
}

void MainWindow::param_value_finish_show()
{
    ui->Read_progress->setRingColor(QColor(0, 255, 0));
    ui->Read_progress->setValue(100);
    setLinkState(LinkState::Connected);
    showParameterValue();
    ui->nav_BT1->click();
    ui->nav_widget->setStyleSheet(QString::fromLatin1(kNavBlackStyle));
    emit readparamdone();
    m_filesBar->setConnected(true);
    m_safeChanges->downloadFinished();
    // The pages enable their own controls (the travel calibration button by
    // its state, the tuning area) in their share of the display.
    voltageShortcut->setEnabled(true);
    if (m_allParameters)
        m_allParameters->setLinkUp(true);
}

void MainWindow::showParameterValue()
{
    m_ctx->modelId = ModelPresets::modelIdFromValue(m_store->findParameterValue(QStringLiteral("fw_version")));
    m_ctx->serial2IsMavlink =
        roundHalfAwayFromZero(m_store->findParameterValue(QStringLiteral("SERIAL2_PROTOCOL"))) == 2;

    showFlightTime();
    ui->flytypeshow_value->setText(ModelPresets::modelName(m_ctx->modelId));

    // Each page fills its own controls; none of them writes to the flight
    // controller while doing so.
    m_statusPage->showParameters();
    m_rotorPage->showParameters();
    m_tuningPage->showParameters();
    m_modelPage->showParameters();

    for (QPushButton *b : std::as_const(m_navButtons)) {
        b->setEnabled(true);
        b->setStyleSheet(QString::fromLatin1(kNavReadyButtonStyle));
    }

    // The texts written above in the language that is ticked. The choice is
    // the user's: it is re-applied, not flipped, and not written again.
    switchLanguage(ui->English_checkBox->isChecked(), false);
}

void MainWindow::param_value_update_show(QString name, float value)
{
    m_store->setParameterValue(name, double(value));
    if (voltageDialog && name == QStringLiteral("BATT_VOLT_MULT"))
        voltageDialog->writeConfirmed(value);
}

void MainWindow::param_missing_show(QList<int> missingIndices)
{
    qCWarning(lcApp) << "parameters missing from the download:" << missingIndices;
    addWarningLine([count = missingIndices.size()] { return tr("参数缺失：%1 个").arg(count); });
}

void MainWindow::param_write_failed_show(QString name, float written)
{
    qCWarning(lcApp) << "write not confirmed:" << name << written;
    if (!m_failedWrites.contains(name))
        m_failedWrites.append(name);
    if (!m_failedWritesTimer->isActive())
        m_failedWritesTimer->start();
    emit m_ctx->parameterWriteFailed(name, written);
    if (voltageDialog && name == QStringLiteral("BATT_VOLT_MULT"))
        voltageDialog->writeFailed();
}

void MainWindow::flushFailedWrites()
{
    if (m_failedWrites.isEmpty())
        return;
    if (m_failedWrites.size() == 1) {
        addWarningLine([name = m_failedWrites.constFirst()] { return tr("写入未确认：%1").arg(name); });
    } else {
        qCWarning(lcApp).noquote() << "writes not confirmed:" << m_failedWrites.join(QStringLiteral(", "));
        addWarningLine([count = m_failedWrites.size()] { return tr("写入未确认：%1 个参数").arg(count); });
    }
    m_failedWrites.clear();
}

void MainWindow::clearWarningStrip()
{
    // Failures still waiting to be shown belong to what is being cleared.
    m_failedWritesTimer->stop();
    m_failedWrites.clear();
    ui->warn_txt_widget->clearLines();
    m_warnLines.clear();
    updateWarningToolTip();
    updateWarningAgeing();
}

void MainWindow::addWarningLine(const QString &text)
{
    addWarningLine([text] { return text; });
}

void MainWindow::addWarningLine(std::function<QString()> text)
{
    ui->warn_txt_widget->addLine(elidedWarningLine(text()));
    m_warnLines.append(std::move(text));
    while (m_warnLines.size() > NLineLabel::capacity)
        m_warnLines.removeFirst();
    updateWarningToolTip();
    updateWarningAgeing();
}

QString MainWindow::elidedWarningLine(const QString &text) const
{
    // The strip is one column wide: a longer line ends in an ellipsis, and the
    // strip's tool tip holds every line in full.
    const auto *lineLabel = ui->warn_txt_widget->findChild<QLabel *>();
    const QFontMetrics metrics(lineLabel ? lineLabel->font() : ui->warn_txt_widget->font());
    const QMargins column = ui->verticalLayout_3->contentsMargins();
    const QMargins panel = ui->verticalLayout_warn->contentsMargins();
    const int width = ui->Side_widget->maximumWidth() - column.left() - column.right() - panel.left() - panel.right();
    return metrics.elidedText(text, Qt::ElideRight, width);
}

void MainWindow::retranslateWarningStrip()
{
    // The strip shows the newest lines; the lines kept are exactly those.
    ui->warn_txt_widget->clearLines();
    for (const std::function<QString()> &line : std::as_const(m_warnLines))
        ui->warn_txt_widget->addLine(elidedWarningLine(line()));
    updateWarningToolTip();
    updateWarningAgeing();
}

void MainWindow::updateWarningToolTip()
{
    QStringList lines;
    for (const std::function<QString()> &line : std::as_const(m_warnLines))
        lines << line();
    ui->warn_txt_widget->setToolTip(lines.join(QLatin1Char('\n')));
}

void MainWindow::Voltage_Write_show(float newMult)
{
    WriteParameters(QStringLiteral("BATT_VOLT_MULT"), newMult);
    qCDebug(lcApp) << "newMult:" << newMult;
}

void MainWindow::port_permission_denied_show(QString name)
{
    qCWarning(lcApp).noquote() << "no permission to open" << name;
    m_lastOpenDenied = true;
}

void MainWindow::link_error_show(QString reason)
{
    qCWarning(lcApp).noquote() << "link error:" << reason;
    m_lastLinkError = reason;
}
