#include <QDir>
#include <QSet>
#include <QtTest>

#include "params/ModelPresets.h"
#include "params/ParamFileParser.h"

namespace {

const QStringList allowedNames = {
    "fw_version", "ATC_ANG_RLL_P", "ATC_ANG_PIT_P", "ATC_ANG_YAW_P", "ATC_INPUT_TC", "ATC_RAT_RLL_P",
    "ATC_RAT_RLL_I", "ATC_RAT_RLL_D", "ATC_RAT_RLL_IMAX", "ATC_RAT_RLL_FF", "ATC_RAT_RLL_FLTE",
    "ATC_RAT_RLL_FLTD", "ATC_RAT_RLL_FLTT", "ATC_RAT_PIT_P", "ATC_RAT_PIT_I", "ATC_RAT_PIT_D",
    "ATC_RAT_PIT_IMAX", "ATC_RAT_PIT_FF", "ATC_RAT_PIT_FLTE", "ATC_RAT_PIT_FLTD", "ATC_RAT_PIT_FLTT",
    "ATC_RAT_YAW_P", "ATC_RAT_YAW_I", "ATC_RAT_YAW_D", "ATC_RAT_YAW_IMAX", "ATC_RAT_YAW_FLTE",
    "ATC_RAT_YAW_FLTD", "ATC_RAT_YAW_FLTT", "PILOT_Y_RATE_TC", "PSC_POSXY_P", "PSC_VELXY_P", "PSC_VELXY_I",
    "PSC_VELXY_D", "PSC_VELXY_IMAX", "PSC_POSZ_P", "PSC_VELZ_P", "PSC_ACCZ_P", "PSC_ACCZ_I", "PSC_ACCZ_D",
    "PSC_ACCZ_IMAX", "H_COL_MAX", "H_COL_MIN", "H_RSC_GOV_RPM", "H_RSC_SETPOINT", "H_RSC_GOV_RPM1",
    "H_RSC_SETPOINT1", "H_RSC_GOV_RPM2", "H_RSC_SETPOINT2", "H_TAIL_TYPE", "FLTMODE1", "SERVO4_MAX",
    "SERVO4_MIN", "SERVO4_TRIM", "SERVO6_MAX", "SERVO6_MIN"};

float valueOf(const ParamFileContent& c, const QString& name, float absent = -1.0f)
{
    for (const ParamFileEntry& e : c.entries) {
        if (e.name == name)
            return e.value;
    }
    return absent;
}

} // namespace

class TestModelPresets : public QObject
{
    Q_OBJECT

private slots:
    void tableRows();
    void lookups();
    void modelGroupsAndOfferedButtons();
    void highlightedButton();
    void modelNames();
    void styleSheets();
    void everyPresetParsesWithOnlyTheRemarkLines();
    void alderPresetContent();
    void presetValuesSuitTheModelClass();
};

void TestModelPresets::tableRows()
{
    const QList<ModelPreset>& rows = ModelPresets::rows();
    QCOMPARE(rows.size(), ModelPresets::count);
    const QList<int> numbers = {1, 4, 5, 10, 11, 12, 13, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    for (int i = 0; i < rows.size(); ++i) {
        const ModelPreset& r = rows[i];
        QCOMPARE(r.listIndex, i);
        QCOMPARE(r.buttonNumber, numbers[i]);
        QCOMPARE(QString::fromUtf8(r.buttonName), QStringLiteral("type%1_pushButton").arg(numbers[i]));
        QVERIFY(QString::fromUtf8(r.selectedImage).startsWith(QStringLiteral(":/types/")));
        QCOMPARE(QString::fromUtf8(r.notSelectedImage),
                 QString::fromUtf8(r.selectedImage).replace(QStringLiteral(".jpg"), QStringLiteral("-noselected.jpg")));
        if (r.buttonNumber == 5 || r.buttonNumber == 19) {
            QVERIFY(!r.hasAction());
            QVERIFY(!r.presetPath);
            QVERIFY(!r.confirmationText);
            continue;
        }
        QVERIFY(r.hasAction());
        QCOMPARE(r.modelId, r.buttonNumber);
        QVERIFY(QString::fromUtf8(r.presetPath).startsWith(QStringLiteral(":/param/")));
        const QString text = QString::fromUtf8(r.confirmationText);
        QVERIFY(text.startsWith(QStringLiteral("是否将飞控重置为")));
        QVERIFY(text.endsWith(QStringLiteral("参数")));
    }
    // The Linden button writes the Larch preset and id 18.
    QCOMPARE(QString::fromUtf8(rows[10].presetPath), QStringLiteral(":/param/Larch.param"));
    QCOMPARE(QString::fromUtf8(rows[10].confirmationText), QStringLiteral("是否将飞控重置为Linden参数"));
    QCOMPARE(QString::fromUtf8(rows[10].selectedImage), QStringLiteral(":/types/Linden.jpg"));
    QCOMPARE(QString::fromUtf8(rows[11].selectedImage), QStringLiteral(":/types/Larch.jpg"));
    QCOMPARE(QString::fromUtf8(rows[0].presetPath), QStringLiteral(":/param/Alder-V3.param"));
    QCOMPARE(QString::fromUtf8(rows[1].presetPath), QStringLiteral(":/param/Elm-v3.param"));
    QCOMPARE(QString::fromUtf8(rows[1].confirmationText), QStringLiteral("是否将飞控重置为Elm-V3参数"));
}

void TestModelPresets::lookups()
{
    QCOMPARE(ModelPresets::byIndex(-1), nullptr);
    QCOMPARE(ModelPresets::byIndex(18), nullptr);
    QCOMPARE(ModelPresets::byIndex(17)->buttonNumber, 25);
    QCOMPARE(ModelPresets::byModelId(5), nullptr);
    QCOMPARE(ModelPresets::byModelId(19), nullptr);
    QCOMPARE(ModelPresets::byModelId(14), nullptr);
    QCOMPARE(ModelPresets::byModelId(0), nullptr);
    QCOMPARE(ModelPresets::byModelId(18)->listIndex, 10);
    QCOMPARE(ModelPresets::byButtonNumber(19)->listIndex, 11);
    QCOMPARE(ModelPresets::byButtonNumber(14), nullptr);
    QCOMPARE(ModelPresets::indexOfButton(QStringLiteral("type21_pushButton")), 13);
    QCOMPARE(ModelPresets::indexOfButton(QStringLiteral("type5_pushButton")), 2);
    QCOMPARE(ModelPresets::indexOfButton(QStringLiteral("type14_pushButton")), -1);
    QCOMPARE(ModelPresets::indexOfButton(QString()), -1);
    QCOMPARE(ModelPresets::modelIdFromValue(17.5), 18);
    QCOMPARE(ModelPresets::modelIdFromValue(17.49), 17);
    QCOMPARE(ModelPresets::modelIdFromValue(-1.0), -1);
    QCOMPARE(ModelPresets::modelIdFromValue(0.0), 0);
}

void TestModelPresets::modelGroupsAndOfferedButtons()
{
    QVERIFY(ModelPresets::isSmallModel(1));
    QVERIFY(ModelPresets::isSmallModel(9));
    QVERIFY(!ModelPresets::isSmallModel(10));
    QVERIFY(!ModelPresets::isSmallModel(0));
    QVERIFY(ModelPresets::isScaleModel(10));
    QVERIFY(ModelPresets::isScaleModel(99));
    QVERIFY(!ModelPresets::isScaleModel(9));

    auto numbersOf = [](const QList<int>& indexes) {
        QList<int> n;
        for (int i : indexes)
            n.append(ModelPresets::byIndex(i)->buttonNumber);
        return n;
    };
    QCOMPARE(numbersOf(ModelPresets::offeredIndexes(1)), QList<int>({1, 4}));
    QCOMPARE(numbersOf(ModelPresets::offeredIndexes(7)), QList<int>({1, 4}));
    const QList<int> scale = {10, 11, 12, 13, 15, 16, 17, 18, 20, 21, 22, 23, 24, 25};
    QCOMPARE(numbersOf(ModelPresets::offeredIndexes(10)), scale);
    QCOMPARE(numbersOf(ModelPresets::offeredIndexes(19)), scale);
    QCOMPARE(numbersOf(ModelPresets::offeredIndexes(300)), scale);
    QVERIFY(ModelPresets::offeredIndexes(0).isEmpty());
    QVERIFY(ModelPresets::offeredIndexes(-1).isEmpty());
    // Offered buttons always have an action.
    for (int id : {1, 15}) {
        for (int i : ModelPresets::offeredIndexes(id))
            QVERIFY(ModelPresets::byIndex(i)->hasAction());
    }
}

void TestModelPresets::highlightedButton()
{
    QCOMPARE(ModelPresets::selectedIndexForModel(1), 0);
    QCOMPARE(ModelPresets::selectedIndexForModel(4), 1);
    QCOMPARE(ModelPresets::selectedIndexForModel(5), 2);
    QCOMPARE(ModelPresets::selectedIndexForModel(18), 10);
    QCOMPARE(ModelPresets::selectedIndexForModel(19), 11);
    QCOMPARE(ModelPresets::selectedIndexForModel(25), 17);
    for (int id : {-1, 0, 2, 3, 6, 7, 8, 9, 14, 26, 1000})
        QCOMPARE(ModelPresets::selectedIndexForModel(id), -1);
}

void TestModelPresets::modelNames()
{
    QCOMPARE(ModelPresets::modelName(1), QStringLiteral("Alder-V3"));
    QCOMPARE(ModelPresets::modelName(4), QStringLiteral("Elm "));
    QCOMPARE(ModelPresets::modelName(2), QStringLiteral("None"));
    QCOMPARE(ModelPresets::modelName(14), QStringLiteral("None"));
    QCOMPARE(ModelPresets::modelName(18), QStringLiteral("Linden"));
    QCOMPARE(ModelPresets::modelName(19), QStringLiteral("Larch"));
    QCOMPARE(ModelPresets::modelName(25), QStringLiteral("Spruce"));
    for (int id : {INT_MIN, -1, 0, 6, 7, 8, 9, 26, INT_MAX})
        QCOMPARE(ModelPresets::modelName(id), QStringLiteral("----"));
    // Every button with a preset names its model the way the header shows it.
    for (const ModelPreset& r : ModelPresets::rows()) {
        if (!r.hasAction() || r.modelId == 1 || r.modelId == 4)
            continue;
        QVERIFY(QString::fromUtf8(r.confirmationText).contains(ModelPresets::modelName(r.modelId)));
    }
}

void TestModelPresets::styleSheets()
{
    QCOMPARE(ModelPresets::selectedStyleSheet(*ModelPresets::byModelId(15)),
             QStringLiteral("QPushButton{border-image: url(:/types/Fir.jpg);background-position:center;"
                            "background-repeat: no-repeat;border:none;\n}"));
    QCOMPARE(ModelPresets::notSelectedStyleSheet(*ModelPresets::byModelId(15)),
             QStringLiteral("QPushButton{border-image: url(:/types/Fir-noselected.jpg);background-position:center;"
                            "background-repeat: no-repeat;border:none;\n}"
                            "QPushButton:hover{\tborder-image: url(:/types/Fir.jpg);}"));
}

void TestModelPresets::everyPresetParsesWithOnlyTheRemarkLines()
{
    const QSet<QString> allowed(allowedNames.begin(), allowedNames.end());
    QCOMPARE(allowed.size(), 55);
    QSet<QString> used;
    QSet<QString> paths;
    for (const ModelPreset& r : ModelPresets::rows()) {
        if (!r.hasAction())
            continue;
        const QString path = QString::fromUtf8(r.presetPath);
        paths.insert(path);
        const ParamFileReadResult read = ParamFileParser::readFile(path);
        QVERIFY2(read.ok, qPrintable(path + ": " + read.error));
        const ParamFileContent& c = read.content;

        const bool remark = r.modelId == 10 || r.modelId == 21;
        if (remark) {
            // The first line carries a remark after the id; the model id write
            // that follows the file sets it.
            QCOMPARE(c.diagnostics.size(), 1);
            QCOMPARE(c.diagnostics[0].line, 1);
            QVERIFY2(c.diagnostics[0].message.startsWith(QStringLiteral("Invalid value: fw_version,%1 #").arg(r.modelId)),
                     qPrintable(c.diagnostics[0].message));
            QVERIFY(c.entries.first().line > 1);
            QCOMPARE(valueOf(c, QStringLiteral("fw_version")), -1.0f);
        } else {
            QVERIFY2(c.diagnostics.isEmpty(), qPrintable(path + ": " + c.diagnostics.value(0).message));
            QCOMPARE(c.entries.first().name, QStringLiteral("fw_version"));
            QCOMPARE(c.entries.first().line, 1);
            QCOMPARE(c.entries.first().value, float(r.modelId));
        }
        const int parameterLines = int(c.entries.size()) + (remark ? 1 : 0);
        QVERIFY2(parameterLines >= 21 && parameterLines <= 47, qPrintable(path));

        QSet<QString> seen;
        for (const ParamFileEntry& e : c.entries) {
            QVERIFY2(allowed.contains(e.name), qPrintable(path + ": " + e.name));
            QVERIFY2(!seen.contains(e.name), qPrintable(path + " repeats " + e.name));
            seen.insert(e.name);
            used.insert(e.name);
        }
    }
    QCOMPARE(paths.size(), 16);
    QCOMPARE(used, allowed);

    // No preset file lies around that no button uses.
    const QStringList files = QDir(QStringLiteral(":/param")).entryList(QDir::Files);
    QCOMPARE(files.size(), 16);
    for (const QString& f : files)
        QVERIFY2(paths.contains(QStringLiteral(":/param/") + f), qPrintable(f));
}

void TestModelPresets::alderPresetContent()
{
    const ParamFileReadResult read = ParamFileParser::readFile(QStringLiteral(":/param/Alder-V3.param"));
    QVERIFY(read.ok);
    const QList<QPair<QString, float>> expected = {
        {"fw_version", 1},          {"ATC_ANG_RLL_P", 4.5f},    {"ATC_ANG_PIT_P", 4.5f},
        {"ATC_ANG_YAW_P", 4.5f},    {"PSC_POSXY_P", 1},         {"ATC_RAT_RLL_P", 0.045f},
        {"ATC_RAT_RLL_I", 0.2f},    {"ATC_RAT_RLL_D", 0.001f},  {"ATC_RAT_RLL_IMAX", 0.4f},
        {"ATC_RAT_PIT_P", 0.04f},   {"ATC_RAT_PIT_I", 0.2f},    {"ATC_RAT_PIT_D", 0.001f},
        {"ATC_RAT_PIT_IMAX", 0.4f}, {"ATC_RAT_YAW_P", 0.23f},   {"ATC_RAT_YAW_I", 0.12f},
        {"ATC_RAT_YAW_D", 0.005f},  {"ATC_RAT_YAW_IMAX", 0.4f}, {"PSC_VELZ_P", 5},
        {"PSC_POSZ_P", 1},          {"H_COL_MAX", 1850},        {"H_COL_MIN", 1200},
        {"H_RSC_GOV_RPM1", 2100},   {"H_RSC_SETPOINT1", 60},    {"H_RSC_GOV_RPM2", 2500},
        {"H_RSC_SETPOINT2", 95},    {"ATC_RAT_RLL_FLTE", 20},   {"ATC_RAT_PIT_FLTE", 20},
        {"ATC_RAT_YAW_FLTE", 20},   {"PSC_VELXY_P", 2.3f},      {"PSC_VELXY_I", 1},
        {"PSC_VELXY_D", 0.5f},      {"PSC_ACCZ_P", 0.2f},       {"PSC_ACCZ_I", 1},
        {"H_TAIL_TYPE", 3}};
    const QList<ParamFileEntry>& entries = read.content.entries;
    QCOMPARE(entries.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(entries[i].name, expected[i].first);
        QCOMPARE(entries[i].value, expected[i].second);
    }
}

void TestModelPresets::presetValuesSuitTheModelClass()
{
    float smallRollP = 1;
    float scaleRollP = 0;
    for (const ModelPreset& r : ModelPresets::rows()) {
        if (!r.hasAction())
            continue;
        const QString path = QString::fromUtf8(r.presetPath);
        const ParamFileContent c = ParamFileParser::readFile(path).content;
        const float rollP = valueOf(c, "ATC_RAT_RLL_P");
        const float pitchP = valueOf(c, "ATC_RAT_PIT_P");
        const float yawP = valueOf(c, "ATC_RAT_YAW_P");
        // Inside the tuning sliders' ranges, so the sliders show them.
        QVERIFY2(rollP >= 0.02f && rollP <= 0.08f, qPrintable(path));
        QVERIFY2(pitchP >= 0.02f && pitchP <= 0.08f, qPrintable(path));
        QVERIFY2(yawP >= 0.15f && yawP <= 0.35f, qPrintable(path));
        const float colMax = valueOf(c, "H_COL_MAX");
        const float colMin = valueOf(c, "H_COL_MIN");
        QVERIFY2(colMin >= 1000 && colMin < colMax && colMax <= 2000, qPrintable(path));
        if (ModelPresets::isSmallModel(r.modelId)) {
            smallRollP = std::min(smallRollP, rollP);
            QVERIFY2(valueOf(c, "H_RSC_SETPOINT1") > 0, qPrintable(path));
            QVERIFY2(valueOf(c, "H_RSC_GOV_RPM") < 0, qPrintable(path));
        } else {
            scaleRollP = std::max(scaleRollP, rollP);
            // One governed head speed, the one the rotor page sets.
            const float setpoint = valueOf(c, "H_RSC_SETPOINT");
            QVERIFY2(setpoint > 0 && setpoint <= 100, qPrintable(path));
            QVERIFY2(valueOf(c, "H_RSC_GOV_RPM") > 0, qPrintable(path));
            QVERIFY2(valueOf(c, "H_RSC_SETPOINT1") < 0, qPrintable(path));
            // Servo-driven tail with its travel on SERVO4.
            QCOMPARE(valueOf(c, "H_TAIL_TYPE"), 0.0f);
            const float trim = valueOf(c, "SERVO4_TRIM");
            QVERIFY2(valueOf(c, "SERVO4_MIN") < trim && trim < valueOf(c, "SERVO4_MAX"), qPrintable(path));
        }
    }
    QVERIFY(scaleRollP < smallRollP);
}

QTEST_GUILESS_MAIN(TestModelPresets)
#include "tst_model_presets.moc"
