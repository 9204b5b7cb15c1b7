// The window-side parameter file loader: what it writes, in which order and
// how fast, what its progress dialog shows, the store's updating flag during
// a load, the missing-file box, and a window that goes in the middle.

#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "pages/PageContext.h"
#include "pages/ParamFileLoader.h"
#include "params/ParameterStore.h"

namespace {

struct Write
{
    QString name;
    float value;
    qint64 atMs;
};

// A window, its context and a log of every write the context is asked for.
struct Rig
{
    ParameterStore store;
    QWidget *window = new QWidget;
    PageContext ctx{&store, window};
    QList<Write> writes;
    QList<bool> updatingAtWrite;
    QElapsedTimer clock;

    Rig()
    {
        clock.start();
        QObject::connect(&ctx, &PageContext::writeParameterRequested, &ctx, [this](const QString &n, float v) {
            writes.append({n, v, clock.elapsed()});
            updatingAtWrite.append(store.paramUiUpdating);
        });
    }
    ~Rig() { delete window; }

    QStringList names() const
    {
        QStringList out;
        for (const Write &w : writes)
            out.append(w.name);
        return out;
    }
};

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("test.param"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    return path;
}

} // namespace

class ParamFileLoaderTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QMessageBox *>(); }
    void commentsAndBlanksWriteNothingAndTheDialogStaysAtZero();
    void validLinesAreWrittenInFileOrderTenMillisecondsApart();
    void byteOrderMarkAndLineEnds();
    void progressDialogLooks_data();
    void progressDialogLooks();
    void updatingFlagIsSetForTheRunAndRestored();
    void compiledInPresetIsWrittenAsListed();
    void missingFileRaisesTheWarningBoxWithoutBlocking();
    void missingFileBoxInEnglish();
    void windowGoingAwayStopsTheLoad();
};

void ParamFileLoaderTest::commentsAndBlanksWriteNothingAndTheDialogStaysAtZero()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "# a preset without values\r\n\r\n   \n  # indented comment\n#ATC_RAT_YAW_P,0.25\n");
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    loader.setKeepDialogOpen(true);
    QSignalSpy progress(&loader, &ParamFileLoader::progressChanged);

    QCOMPARE(loader.readParametersFromFile(path), 0);
    QVERIFY(rig.writes.isEmpty());
    QVERIFY(progress.isEmpty());
    QVERIFY(loader.progressDialog());
    QCOMPARE(loader.progressDialog()->value(), 0);
    loader.closeDialog();
    QVERIFY(!loader.progressDialog());
}

void ParamFileLoaderTest::validLinesAreWrittenInFileOrderTenMillisecondsApart()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir,
                                   "fw_version,12\n"                      // 1
                                   "  ATC_RAT_YAW_P ,  0.25  \n"          // 2 blanks around the fields
                                   "\n"                                   // 3
                                   "# ATC_RAT_YAW_P,0.30\n"               // 4 comment
                                   "ATC_RAT_RLL_P,0.05 #soft\n"           // 5 remark after the value: skipped
                                   "H_COL_MAX,1850,\n"                    // 6 trailing comma: invalid
                                   "H_COL_MIN\n"                          // 7 no comma: invalid
                                   "PSC_POSZ_P,1#x\n"                     // 8 "#" inside the value: skipped
                                   "H_RSC_SETPOINT,-1.5e1\n"              // 9
                                   "BAD-NAME,3\n"                         // 10 not a parameter name
                                   "LOIT_BRK_ACCEL,275");                 // 11 no line end
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy progress(&loader, &ParamFileLoader::progressChanged);

    QCOMPARE(loader.readParametersFromFile(path), 4);
    QCOMPARE(rig.names(), (QStringList{QStringLiteral("fw_version"), QStringLiteral("ATC_RAT_YAW_P"),
                                       QStringLiteral("H_RSC_SETPOINT"), QStringLiteral("LOIT_BRK_ACCEL")}));
    QCOMPARE(rig.writes.at(0).value, 12.0f);
    QCOMPARE(rig.writes.at(1).value, 0.25f);
    QCOMPARE(rig.writes.at(2).value, -15.0f);
    QCOMPARE(rig.writes.at(3).value, 275.0f);
    for (int i = 1; i < rig.writes.size(); ++i) {
        const qint64 gap = rig.writes.at(i).atMs - rig.writes.at(i - 1).atMs;
        QVERIFY2(gap >= 10, qPrintable(QStringLiteral("gap %1 ms before write %2").arg(gap).arg(i)));
    }
    // Eleven lines counted, four written: 4/11, 8/11, 12/11 ... truncated,
    // ending below 100 because skipped lines count.
    QList<int> values;
    for (const QList<QVariant> &args : std::as_const(progress))
        values.append(args.at(0).toInt());
    QCOMPARE(values, (QList<int>{9, 18, 27, 36}));
    // The dialog goes when the load is done.
    QTRY_VERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());
}

void ParamFileLoaderTest::byteOrderMarkAndLineEnds()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "\xEF\xBB\xBF" "fw_version,4\r\nH_COL_MAX,1850\r\n\r\nH_COL_MIN,1200\r\n");
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy progress(&loader, &ParamFileLoader::progressChanged);
    QCOMPARE(loader.readParametersFromFile(path), 3);
    QCOMPARE(rig.names(), (QStringList{QStringLiteral("fw_version"), QStringLiteral("H_COL_MAX"),
                                       QStringLiteral("H_COL_MIN")}));
    QCOMPARE(rig.writes.at(0).value, 4.0f);
    // Four lines, three written: the last value is 75.
    QCOMPARE(progress.last().at(0).toInt(), 75);
}

void ParamFileLoaderTest::progressDialogLooks_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("title");
    QTest::newRow("Chinese") << false << QStringLiteral("参数加载中...");
    QTest::newRow("English") << true << QStringLiteral("params loading...");
}

void ParamFileLoaderTest::progressDialogLooks()
{
    QFETCH(bool, english);
    QFETCH(QString, title);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "fw_version,1\nH_COL_MAX,1850\n");
    Rig rig;
    rig.ctx.english = english;
    ParamFileLoader loader(&rig.ctx);

    // Looked at while the load runs, on the first write.
    bool looked = false;
    QObject::connect(&rig.ctx, &PageContext::writeParameterRequested, &rig.ctx, [&] {
        if (looked)
            return;
        looked = true;
        QProgressDialog *d = loader.progressDialog();
        QVERIFY(d);
        QCOMPARE(d->parentWidget(), rig.window);
        QCOMPARE(d->windowTitle(), title);
        QCOMPARE(d->minimum(), 0);
        QCOMPARE(d->maximum(), 100);
        QCOMPARE(d->minimumDuration(), 5);
        QVERIFY(d->isModal());
        QVERIFY(!(d->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(d->findChildren<QPushButton *>().isEmpty()); // no cancel button
        QVERIFY(d->isVisible());
    });
    QCOMPARE(loader.readParametersFromFile(path), 2);
    QVERIFY(looked);
}

void ParamFileLoaderTest::updatingFlagIsSetForTheRunAndRestored()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "ATC_RAT_YAW_P,0.25\nATC_RAT_RLL_P,0.05\nATC_RAT_PIT_P,0.05\n");

    {
        Rig rig;
        rig.store.insertOrUpdate({QStringLiteral("ATC_RAT_YAW_P"), 0.2});
        // A confirmation handled in the middle of the load (as the echo of
        // the first write would be) does not end the load's flag.
        QObject::connect(&rig.ctx, &PageContext::writeParameterRequested, &rig.ctx,
                         [&](const QString &n, float v) {
                             if (n == QLatin1String("ATC_RAT_YAW_P"))
                                 rig.store.setParameterValue(n, double(v));
                         });
        ParamFileLoader loader(&rig.ctx);
        QCOMPARE(loader.readParametersFromFile(path), 3);
        QCOMPARE(rig.updatingAtWrite, (QList<bool>{true, true, true}));
        QCOMPARE(rig.store.paramUiUpdating, false);
        QCOMPARE(rig.store.findParameterValue(QStringLiteral("ATC_RAT_YAW_P")), double(0.25f));
    }
    {
        // A caller that had the flag set gets it back set.
        Rig rig;
        rig.store.paramUiUpdating = true;
        ParamFileLoader loader(&rig.ctx);
        QCOMPARE(loader.readParametersFromFile(path), 3);
        QCOMPARE(rig.store.paramUiUpdating, true);
    }
}

void ParamFileLoaderTest::compiledInPresetIsWrittenAsListed()
{
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QCOMPARE(loader.readParametersFromFile(QStringLiteral(":/param/Alder-V3.param")), 34);
    const QList<QPair<QString, float>> expected = {
        {"fw_version", 1},          {"ATC_ANG_RLL_P", 4.5f},     {"ATC_ANG_PIT_P", 4.5f},
        {"ATC_ANG_YAW_P", 4.5f},    {"PSC_POSXY_P", 1},          {"ATC_RAT_RLL_P", 0.045f},
        {"ATC_RAT_RLL_I", 0.2f},    {"ATC_RAT_RLL_D", 0.001f},   {"ATC_RAT_RLL_IMAX", 0.4f},
        {"ATC_RAT_PIT_P", 0.04f},   {"ATC_RAT_PIT_I", 0.2f},     {"ATC_RAT_PIT_D", 0.001f},
        {"ATC_RAT_PIT_IMAX", 0.4f}, {"ATC_RAT_YAW_P", 0.23f},    {"ATC_RAT_YAW_I", 0.12f},
        {"ATC_RAT_YAW_D", 0.005f},  {"ATC_RAT_YAW_IMAX", 0.4f},  {"PSC_VELZ_P", 5},
        {"PSC_POSZ_P", 1},          {"H_COL_MAX", 1850},         {"H_COL_MIN", 1200},
        {"H_RSC_GOV_RPM1", 2100},   {"H_RSC_SETPOINT1", 60},     {"H_RSC_GOV_RPM2", 2500},
        {"H_RSC_SETPOINT2", 95},    {"ATC_RAT_RLL_FLTE", 20},    {"ATC_RAT_PIT_FLTE", 20},
        {"ATC_RAT_YAW_FLTE", 20},   {"PSC_VELXY_P", 2.3f},       {"PSC_VELXY_I", 1},
        {"PSC_VELXY_D", 0.5f},      {"PSC_ACCZ_P", 0.2f},        {"PSC_ACCZ_I", 1},
        {"H_TAIL_TYPE", 3},
    };
    QCOMPARE(rig.writes.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(rig.writes.at(i).name, expected.at(i).first);
        QCOMPARE(rig.writes.at(i).value, expected.at(i).second);
    }
}

void ParamFileLoaderTest::missingFileRaisesTheWarningBoxWithoutBlocking()
{
    QTemporaryDir dir;
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy shown(&loader, &ParamFileLoader::warningShown);
    QSignalSpy progress(&loader, &ParamFileLoader::progressChanged);

    QCOMPARE(loader.readParametersFromFile(dir.filePath(QStringLiteral("absent.param"))), -1);
    QCOMPARE(shown.size(), 1);
    QVERIFY(rig.writes.isEmpty());
    QVERIFY(progress.isEmpty());
    QVERIFY(!loader.progressDialog());
    QVERIFY(rig.window->findChildren<QProgressDialog *>().isEmpty());

    QPointer<QMessageBox> box = qvariant_cast<QMessageBox *>(shown.at(0).at(0));
    QVERIFY(box);
    QCOMPARE(box->parentWidget(), rig.window);
    QCOMPARE(box->windowTitle(), QStringLiteral("警告"));
    QCOMPARE(box->text(), QStringLiteral("找不到指定参数文件"));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box->isVisible());
    QVERIFY(box->isModal());
    // It goes by itself once answered.
    box->button(QMessageBox::Ok)->click();
    QTRY_VERIFY(!box);

    // A directory and a resource that is not there are no files either.
    QCOMPARE(loader.readParametersFromFile(dir.path()), -1);
    QCOMPARE(loader.readParametersFromFile(QStringLiteral(":/param/Absent.param")), -1);
    QCOMPARE(shown.size(), 3);
    QVERIFY(rig.writes.isEmpty());
    for (QMessageBox *b : rig.window->findChildren<QMessageBox *>())
        b->button(QMessageBox::Ok)->click();
}

void ParamFileLoaderTest::missingFileBoxInEnglish()
{
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
    QCoreApplication::installTranslator(&english);
    Rig rig;
    ParamFileLoader loader(&rig.ctx);
    QSignalSpy shown(&loader, &ParamFileLoader::warningShown);
    QCOMPARE(loader.readParametersFromFile(QStringLiteral("/nonexistent/absent.param")), -1);
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(shown.size(), 1);
    QPointer<QMessageBox> box = qvariant_cast<QMessageBox *>(shown.at(0).at(0));
    QVERIFY(box);
    QCOMPARE(box->windowTitle(), QStringLiteral("warn"));
    QCOMPARE(box->text(), QStringLiteral("Can not find the specified file"));
    box->button(QMessageBox::Ok)->click();
}

void ParamFileLoaderTest::windowGoingAwayStopsTheLoad()
{
    QTemporaryDir dir;
    QByteArray text;
    for (int i = 1; i <= 10; ++i)
        text += "SERVO" + QByteArray::number(i) + "_TRIM,1500\n";
    const QString path = writeFile(dir, text);

    auto *store = new ParameterStore;
    auto *window = new QWidget;
    auto *ctx = new PageContext(store, window, window);
    int writes = 0;
    QObject::connect(ctx, &PageContext::writeParameterRequested, ctx, [&] {
        // The third write's wait is where the window goes (link loss and
        // quit both run inside the load's event processing).
        if (++writes == 3) {
            QTimer::singleShot(0, window, [&] {
                delete window;
                window = nullptr;
            });
        }
    });
    ParamFileLoader loader(ctx);
    QCOMPARE(loader.readParametersFromFile(path), 3);
    QCOMPARE(writes, 3);
    QVERIFY(!window);
    QVERIFY(!loader.progressDialog());
    QCOMPARE(store->paramUiUpdating, false);
    delete store;
}

QTEST_MAIN(ParamFileLoaderTest)
#include "tst_param_file_loader.moc"
