// The all-parameters table against the simulated flight controller: one link (a real worker over a
// pseudo-terminal) and one download for the whole run; each case works on its own parameters.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <functional>
#include <memory>

#include "SimLink.h"
#include "dialogs/AllParametersDialog.h"
#include "dialogs/ParameterFilterProxy.h"
#include "link/ParamTransfer.h"
#include "pages/PageContext.h"
#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "params/ParameterTableModel.h"
#include "sim/HeliParameterTable.h"

class TestParamTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void valuesInShortestForm();
    void rowsEqualTheFlightControllersTable();
    void confirmationFromElsewhereUpdatesOnlyItsRow();
    void editWritesOnceAndEndsConfirmed_data();
    void editWritesOnceAndEndsConfirmed();
    void refusedWriteEndsFailedWithKeptValue();
    void invalidInputWritesNothing_data();
    void invalidInputWritesNothing();
    void filterGroupAndDifferencesOnly();
    void keyboard();
    void copiedRowsParseBack();
    void linkLossDimsAndStopsEditing();
    void newDownloadResets();
    void bothLanguages();

private:
    QModelIndex valueCellOf(const QString &name);
    QLineEdit *openEditor(const QString &name);
    // Opens the value editor of `name`, types `typed` and presses Return.
    bool type(const QString &name, const QString &typed);
    QList<QPair<QString, float>> setsOf(const QString &name) const;
    QString cell(const QString &name, int column, int role = Qt::DisplayRole) const
    {
        const int row = m_dialog->model()->rowOfName(name);
        return m_dialog->model()->index(row, column).data(role).toString();
    }
    ParameterTableModel::WriteState stateOf(const QString &name) const
    {
        return m_dialog->model()->writeStateAt(m_dialog->model()->rowOfName(name));
    }
    bool shownSortedByName() const
    {
        const QAbstractItemModel *shown = m_dialog->view()->model();
        for (int r = 1; r < shown->rowCount(); ++r)
            if (shown->index(r - 1, 0).data().toString().compare(shown->index(r, 0).data().toString(),
                                                                 Qt::CaseInsensitive) > 0)
                return false;
        return true;
    }

    ParameterStore m_store;
    std::unique_ptr<PageContext> m_ctx;
    std::unique_ptr<SimLink> m_link;
    std::unique_ptr<AllParametersDialog> m_dialog;
    QTemporaryDir m_dir;
};

void TestParamTable::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_ctx = std::make_unique<PageContext>(&m_store, nullptr);
    // The table exists before the download: it fills row by row as the parameters arrive.
    m_dialog = std::make_unique<AllParametersDialog>(m_ctx.get());
    m_link = std::make_unique<SimLink>(m_ctx.get(), 2);
    m_link->sim.setBaudRate(0);
    m_link->sim.setEncodedParams(true); // as the flight controller sends them
    QString error;
    QVERIFY2(m_link->start(&error), qPrintable(error));
    QVERIFY(m_link->download());
    m_dialog->setLinkUp(true);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
}

void TestParamTable::init()
{
    m_dialog->filterEdit()->clear();
    m_dialog->groupBox()->setCurrentIndex(0);
    m_dialog->clearComparison();
    m_dialog->setOrder(AllParametersDialog::ByName);
    m_dialog->view()->clearSelection();
    m_dialog->setLinkUp(true);
}

void TestParamTable::cleanupTestCase()
{
    m_dialog.reset();
    m_link.reset();
}

QModelIndex TestParamTable::valueCellOf(const QString &name)
{
    const int row = m_dialog->model()->rowOfName(name);
    if (row < 0)
        return {};
    return m_dialog->proxy()->mapFromSource(m_dialog->model()->index(row, ParameterTableModel::ValueColumn));
}

QLineEdit *TestParamTable::openEditor(const QString &name)
{
    m_dialog->filterEdit()->setText(name);
    const QModelIndex cell = valueCellOf(name);
    if (!cell.isValid())
        return nullptr;
    QTableView *view = m_dialog->view();
    view->setFocus();
    view->setCurrentIndex(cell.siblingAtColumn(ParameterTableModel::NameColumn));
    QTest::keyClick(view, Qt::Key_Return);
    return qobject_cast<QLineEdit *>(view->indexWidget(cell));
}

bool TestParamTable::type(const QString &name, const QString &typed)
{
    QLineEdit *editor = openEditor(name);
    if (!editor)
        return false;
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    return true;
}

QList<QPair<QString, float>> TestParamTable::setsOf(const QString &name) const
{
    QList<QPair<QString, float>> out;
    for (const auto &s : m_link->sim.paramSets()) {
        if (s.first == name)
            out.append(s);
    }
    return out;
}

void TestParamTable::valuesInShortestForm()
{
    QCOMPARE(ParameterTableModel::formatValue(0.001f), QStringLiteral("0.001"));
    QCOMPARE(ParameterTableModel::formatValue(0.1f), QStringLiteral("0.1"));
    QCOMPARE(ParameterTableModel::formatValue(3.6825f), QStringLiteral("3.6825"));
    QCOMPARE(ParameterTableModel::formatValue(1500.0), QStringLiteral("1500"));
    QCOMPARE(ParameterTableModel::formatValue(-3.0), QStringLiteral("-3"));
    QCOMPARE(ParameterTableModel::formatValue(0.0), QStringLiteral("0"));
    QCOMPARE(ParameterTableModel::formatValue(1000000.0), QStringLiteral("1000000"));
    QCOMPARE(ParameterTableModel::formatValue(1e-7f), QStringLiteral("1e-07"));
    // Every text reads back as the same float through the loader's syntax.
    for (float v : {0.001f, 1e-7f, 3.4e38f, -1.17549435e-38f, 123456.789f, 0.35f - 0.15f}) {
        const QByteArray line = "X," + ParameterTableModel::formatValue(v).toLatin1();
        const ParamFileContent c = ParamFileParser::parse(line);
        QCOMPARE(c.entries.size(), 1);
        QCOMPARE(c.entries.at(0).value, v);
    }
}

void TestParamTable::rowsEqualTheFlightControllersTable()
{
    ParameterTableModel *model = m_dialog->model();
    QCOMPARE(model->rowCount(), HeliParameterTable::kCount);
    QCOMPARE(model->rowCount(), m_store.size());
    for (int row = 0; row < model->rowCount(); ++row) {
        const QString name = model->index(row, ParameterTableModel::NameColumn).data().toString();
        float simValue = 0.0f;
        QVERIFY2(m_link->sim.parameterValue(name, &simValue), qPrintable(name));
        // The flight controller sends values scaled by 12; the link scales back in float.
        simValue = float(simValue * 12.0f) / 12.0f;
        QCOMPARE(name, m_store.parameterList().at(row).name);
        QCOMPARE(model->index(row, ParameterTableModel::ValueColumn).data().toString(),
                 ParameterTableModel::formatValue(simValue));
        QCOMPARE(float(model->index(row, 0).data(ParameterTableModel::ValueRole).toDouble()), simValue);
    }
    // Sorted by name by default; the other order is the flight controller's.
    const QAbstractItemModel *shown = m_dialog->view()->model();
    QCOMPARE(shown->rowCount(), HeliParameterTable::kCount);
    QVERIFY(shownSortedByName());
    m_dialog->orderBox()->setCurrentIndex(AllParametersDialog::FlightControllerOrder);
    for (int r = 0; r < shown->rowCount(); r += 97)
        QCOMPARE(shown->index(r, 0).data().toString(), m_store.parameterList().at(r).name);
    QVERIFY(!cell(QStringLiteral("ATC_RAT_YAW_P"), ParameterTableModel::DescriptionColumn).isEmpty());
    QCOMPARE(cell(QStringLiteral("LOG_BITMASK"), ParameterTableModel::DescriptionColumn), QString());
}

void TestParamTable::confirmationFromElsewhereUpdatesOnlyItsRow()
{
    // A page writes; the flight controller's echo lands in the store and in exactly that row.
    const QString name = QStringLiteral("LOIT_BRK_ACCEL");
    const int row = m_dialog->model()->rowOfName(name);
    QVERIFY(row >= 0);
    QSignalSpy changed(m_dialog->model(), &QAbstractItemModel::dataChanged);
    m_ctx->writeParameter(name, 321.5f);
    QTRY_COMPARE_WITH_TIMEOUT(cell(name, ParameterTableModel::ValueColumn), QStringLiteral("321.5"), 5000);
    QVERIFY(!changed.isEmpty());
    for (const QList<QVariant> &args : std::as_const(changed)) {
        QCOMPARE(args.at(0).toModelIndex().row(), row);
        QCOMPARE(args.at(1).toModelIndex().row(), row);
    }
    // Not written from the table: no state of its own.
    QCOMPARE(m_dialog->model()->writeStateAt(row), ParameterTableModel::NotWritten);
}

void TestParamTable::editWritesOnceAndEndsConfirmed_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<float>("written");
    QTest::addColumn<QString>("shown");
    QTest::newRow("small fraction") << "ATC_RAT_RLL_D" << "0.001" << 0.001f << "0.001";
    QTest::newRow("exponent") << "ATC_RAT_PIT_D" << "2.5e-4" << 2.5e-4f << "0.00025";
    QTest::newRow("whole, signed") << "H_TAIL_TYPE" << "+4" << 4.0f << "4";
}

void TestParamTable::editWritesOnceAndEndsConfirmed()
{
    QFETCH(QString, name);
    QFETCH(QString, typed);
    QFETCH(float, written);
    QFETCH(QString, shown);
    QVERIFY2(m_store.contains(name), qPrintable(name));
    const int before = int(setsOf(name).size());
    QVERIFY(type(name, typed));
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(name), ParameterTableModel::Confirmed, 5000);
    QCOMPARE(cell(name, ParameterTableModel::ValueColumn), shown);
    const auto sets = setsOf(name);
    QCOMPARE(sets.size(), before + 1);
    QCOMPARE(sets.last().second, written);
    float simValue = 0.0f;
    QVERIFY(m_link->sim.parameterValue(name, &simValue));
    QCOMPARE(simValue, written);
    // Nothing more goes out later: no resend of a confirmed write once the echo wait is over.
    QTest::qWait(ParamTransfer::kWriteTimeoutMs + 200);
    QCOMPARE(setsOf(name).size(), before + 1);
}

void TestParamTable::refusedWriteEndsFailedWithKeptValue()
{
    const QString name = QStringLiteral("ATC_RAT_YAW_I");
    QVERIFY(m_store.contains(name));
    const float kept = float(m_store.findParameterValue(name));
    m_link->sim.setReadOnly(name, true);
    QVERIFY(type(name, QStringLiteral("0.75")));
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(name), ParameterTableModel::Failed, 10000);
    m_link->sim.setReadOnly(name, false);
    const QString keptText = ParameterTableModel::formatValue(kept);
    QCOMPARE(cell(name, ParameterTableModel::ValueColumn), keptText);
    QVERIFY2(cell(name, ParameterTableModel::StateColumn).contains(keptText),
             qPrintable(cell(name, ParameterTableModel::StateColumn)));
    QVERIFY(cell(name, ParameterTableModel::StateColumn, Qt::ToolTipRole).contains(QStringLiteral("0.75")));
}

void TestParamTable::invalidInputWritesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters") << "abc";
    QTest::newRow("remark after the number") << "0.5 #x";
    QTest::newRow("decimal comma") << "0,5";
    QTest::newRow("group separator") << "1,000";
    // The editor reads numbers as the loader does (infinity, NaN, hexadecimal: the parser's cases).
    QTest::newRow("beyond float range") << "1e39";
    QTest::newRow("empty") << "";
}

void TestParamTable::invalidInputWritesNothing()
{
    QFETCH(QString, typed);
    const QString name = QStringLiteral("ATC_RAT_RLL_I");
    const int setsBefore = int(m_link->sim.paramSets().size());
    const QString valueBefore = valueCellOf(name).data().toString();

    QLineEdit *editor = openEditor(name);
    QVERIFY(editor);
    if (typed.isEmpty())
        editor->clear();
    else
        QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // Refused in the editor: it stays open, says why, and nothing is written.
    QVERIFY(m_dialog->messageLabel()->isVisible());
    QVERIFY(!m_dialog->messageLabel()->text().isEmpty());
    QCOMPARE(m_dialog->view()->indexWidget(valueCellOf(name)), editor);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!m_dialog->view()->indexWidget(valueCellOf(name)));
    QTest::qWait(200);
    QCOMPARE(int(m_link->sim.paramSets().size()), setsBefore);
    QCOMPARE(stateOf(name), ParameterTableModel::NotWritten);
    QCOMPARE(valueCellOf(name).data().toString(), valueBefore);
}

void TestParamTable::filterGroupAndDifferencesOnly()
{
    const QAbstractItemModel *shown = m_dialog->view()->model();
    auto shownNames = [shown] {
        QStringList names;
        for (int r = 0; r < shown->rowCount(); ++r)
            names.append(shown->index(r, 0).data().toString());
        return names;
    };
    auto storeNames = [this](const std::function<bool(const QString &)> &keep) {
        QStringList names;
        for (const Parameter &p : m_store.parameterList()) {
            if (keep(p.name))
                names.append(p.name);
        }
        names.sort(Qt::CaseInsensitive);
        return names;
    };

    // Case-insensitive substring, as typed.
    QTest::keyClicks(m_dialog->filterEdit(), QStringLiteral("rat_y"));
    QStringList expected = storeNames([](const QString &n) { return n.contains(QLatin1String("RAT_Y")); });
    QVERIFY(!expected.isEmpty());
    QCOMPARE(shownNames(), expected);
    m_dialog->filterEdit()->clear();

    // A group prefix from the quick choice.
    const int rc3 = m_dialog->groupBox()->findData(QStringLiteral("RC3_"));
    QVERIFY(rc3 > 0);
    m_dialog->groupBox()->setCurrentIndex(rc3);
    QCOMPARE(shownNames(), storeNames([](const QString &n) { return n.startsWith(QLatin1String("RC3_")); }));
    m_dialog->groupBox()->setCurrentIndex(0);
    QCOMPARE(shown->rowCount(), m_store.size());

    // Compared with a file: two differing names, one equal within the write
    // tolerance, one the flight controller does not have.
    const double trim = m_store.findParameterValue(QStringLiteral("SERVO1_TRIM"));
    const double lev = m_store.findParameterValue(QStringLiteral("LOG_BITMASK"));
    const QString path = m_dir.filePath(QStringLiteral("compare.param"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("# snapshot\nSERVO1_TRIM,%1\nLOG_BITMASK,%2\nFRAME_TYPE,%3\nNO_SUCH_PARAM,1\n")
                .arg(trim + 7)
                .arg(lev + 1000)
                .arg(ParameterTableModel::formatValue(m_store.findParameterValue(QStringLiteral("FRAME_TYPE"))))
                .toUtf8());
    f.close();
    QVERIFY(m_dialog->compareWithFile(path, QStringLiteral("compare.param")));
    QCOMPARE(m_dialog->model()->differingCount(), 2);
    QVERIFY(m_dialog->messageLabel()->text().contains(QLatin1String("2")));
    QVERIFY(m_dialog->differencesOnlyBox()->isEnabled());
    m_dialog->differencesOnlyBox()->setChecked(true);
    QCOMPARE(shownNames(), (QStringList{QStringLiteral("LOG_BITMASK"), QStringLiteral("SERVO1_TRIM")}));
    QVERIFY(shown->index(0, ParameterTableModel::CompareColumn).data().toString().contains(
        ParameterTableModel::formatValue(lev + 1000)));

    // The chosen differing rows go out as one request with the compared values.
    m_dialog->setBatchWriteAvailable(true);
    QSignalSpy requests(m_dialog.get(), &AllParametersDialog::writeRowsRequested);
    m_dialog->view()->selectAll();
    const QList<ParamFileEntry> rows = m_dialog->selectedDifferingRows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0).name, QStringLiteral("LOG_BITMASK"));
    QCOMPARE(rows.at(0).value, float(lev + 1000));
    QCOMPARE(rows.at(1).value, float(trim + 7));
    auto *button = m_dialog->findChild<QPushButton *>(QStringLiteral("writeDifferencesButton"));
    QVERIFY(button && button->isEnabled());
    button->click();
    QCOMPARE(requests.size(), 1);
    m_dialog->setBatchWriteAvailable(false);

    // A row written to the compared value leaves the differences.
    m_ctx->writeParameter(QStringLiteral("LOG_BITMASK"), float(lev + 1000));
    QTRY_COMPARE_WITH_TIMEOUT(shownNames(), QStringList{QStringLiteral("SERVO1_TRIM")}, 5000);
    QCOMPARE(m_dialog->model()->differingCount(), 1);
    m_dialog->differencesOnlyBox()->setChecked(false);
    QCOMPARE(shown->rowCount(), m_store.size());
}

void TestParamTable::keyboard()
{
    QTableView *view = m_dialog->view();
    view->setFocus();
    view->setCurrentIndex(view->model()->index(3, 0));
    // Letters typed in the table go to the filter.
    QTest::keyClicks(view, QStringLiteral("batt"));
    QCOMPARE(m_dialog->filterEdit()->text(), QStringLiteral("batt"));
    QVERIFY(m_dialog->filterEdit()->hasFocus());
    for (int r = 0; r < view->model()->rowCount(); ++r)
        QVERIFY(view->model()->index(r, 0).data().toString().contains(QLatin1String("BATT")));
    // Ctrl+F comes back to the filter from the table.
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(m_dialog->filterEdit()->hasFocus());
    // F2 opens the value editor of the current row; Esc reverts it.
    view->setFocus();
    view->setCurrentIndex(view->model()->index(0, ParameterTableModel::NameColumn));
    QTest::keyClick(view, Qt::Key_F2);
    const QModelIndex value = view->model()->index(0, ParameterTableModel::ValueColumn);
    auto *editor = qobject_cast<QLineEdit *>(view->indexWidget(value));
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(!view->indexWidget(value));
    // Double-click on the name edits the value too.
    const QRect nameCell = view->visualRect(view->model()->index(0, ParameterTableModel::NameColumn));
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, nameCell.center());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, nameCell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, nameCell.center());
    QTRY_VERIFY(view->indexWidget(value));
    QTest::keyClick(view->indexWidget(value), Qt::Key_Escape);
    QTRY_VERIFY(!view->indexWidget(value));
}

void TestParamTable::copiedRowsParseBack()
{
    QTableView *view = m_dialog->view();
    m_dialog->filterEdit()->setText(QStringLiteral("ATC_RAT_"));
    QVERIFY(view->model()->rowCount() > 5);
    view->setFocus();
    view->selectAll();
    QApplication::clipboard()->clear();
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    const QString text = QApplication::clipboard()->text();
    QCOMPARE(text, m_dialog->selectedRowsText());
    const ParamFileContent parsed = ParamFileParser::parse(text.toUtf8());
    QVERIFY(parsed.diagnostics.isEmpty());
    QCOMPARE(parsed.entries.size(), view->model()->rowCount());
    for (int r = 0; r < parsed.entries.size(); ++r) {
        const ParamFileEntry &e = parsed.entries.at(r);
        QCOMPARE(e.name, view->model()->index(r, 0).data().toString());
        QCOMPARE(e.value, float(m_store.findParameterValue(e.name)));
    }
}

void TestParamTable::linkLossDimsAndStopsEditing()
{
    QLineEdit *editor = openEditor(QStringLiteral("ATC_ACCEL_P_MAX"));
    QVERIFY(editor);
    const QModelIndex cell = valueCellOf(QStringLiteral("ATC_ACCEL_P_MAX"));
    m_dialog->setLinkUp(false);
    QTRY_VERIFY(!m_dialog->view()->indexWidget(cell));
    QVERIFY(!(cell.flags() & Qt::ItemIsEditable));
    QVERIFY(cell.data(Qt::ForegroundRole).isValid()); // dimmed
    QVERIFY(!cell.data().toString().isEmpty());       // still shown
    QTest::keyClick(m_dialog->view(), Qt::Key_Return);
    QVERIFY(!m_dialog->view()->indexWidget(cell));
    m_dialog->setLinkUp(true);
    QVERIFY(valueCellOf(QStringLiteral("ATC_ACCEL_P_MAX")).flags() & Qt::ItemIsEditable);
}

void TestParamTable::newDownloadResets()
{
    QSignalSpy reset(m_dialog->model(), &QAbstractItemModel::modelReset);
    m_store.clearParameterValue();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(m_dialog->view()->model()->rowCount(), 0);
    QVERIFY(!m_dialog->model()->isEditable());
    QVERIFY(m_link->download());
    m_dialog->setLinkUp(true);
    QCOMPARE(m_dialog->model()->rowCount(), HeliParameterTable::kCount);
    QCOMPARE(m_dialog->view()->model()->rowCount(), HeliParameterTable::kCount);
    QVERIFY(shownSortedByName());
}

void TestParamTable::bothLanguages()
{
    // Pictures of the table in both languages: into the temporary folder, or into $TAVRO_SCREENSHOTS when set. A
    // comparison and a few written rows show every column.
    const QString out = qEnvironmentVariableIsSet("TAVRO_SCREENSHOTS") ? qEnvironmentVariable("TAVRO_SCREENSHOTS")
                                                                        : m_dir.path();
    QDir().mkpath(out);
    QFile qss(QStringLiteral(":/QSS/style1.qss"));
    QVERIFY(qss.open(QIODevice::ReadOnly));
    qApp->setStyleSheet(QString::fromUtf8(qss.readAll()));
    const QString path = m_dir.filePath(QStringLiteral("pictures.param"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("ATC_RAT_PIT_P,0.05\nATC_RAT_PIT_I,0.05\nATC_RAT_PIT_D,0\nATC_RAT_PIT_FF,0.15\n");
    f.close();
    QVERIFY(m_dialog->compareWithFile(path, QStringLiteral("Oak")));
    m_dialog->groupBox()->setCurrentIndex(m_dialog->groupBox()->findData(QStringLiteral("ATC_")));
    m_dialog->resize(980, 520);
    // One write confirmed, one the flight controller does not take.
    m_link->sim.setReadOnly(QStringLiteral("ATC_RAT_PIT_IMAX"), true);
    QVERIFY(type(QStringLiteral("ATC_RAT_PIT_D"), QStringLiteral("0.0015")));
    QVERIFY(type(QStringLiteral("ATC_RAT_PIT_IMAX"), QStringLiteral("0.2")));
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(QStringLiteral("ATC_RAT_PIT_IMAX")), ParameterTableModel::Failed, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(QStringLiteral("ATC_RAT_PIT_D")), ParameterTableModel::Confirmed, 5000);
    m_link->sim.setReadOnly(QStringLiteral("ATC_RAT_PIT_IMAX"), false);
    m_dialog->filterEdit()->setText(QStringLiteral("ATC_RAT_PIT"));
    m_dialog->view()->scrollToTop();

    QTranslator english;
    QStringList headers;
    for (const QString &lang : {QStringLiteral("zh"), QStringLiteral("en")}) {
        if (lang == QLatin1String("en")) {
            QVERIFY(english.load(QStringLiteral(":/TAVRO_en_US.qm")));
            QCoreApplication::installTranslator(&english);
        }
        QCoreApplication::sendPostedEvents();
        QTRY_VERIFY(m_dialog->windowTitle() == (lang == QLatin1String("en") ? QStringLiteral("All parameters")
                                                                            : QStringLiteral("全部参数")));
        headers.append(m_dialog->model()->headerData(ParameterTableModel::DescriptionColumn, Qt::Horizontal).toString());
        const QString file = QDir(out).filePath(QStringLiteral("all-parameters-%1.png").arg(lang));
        QVERIFY(m_dialog->grab().save(file, "PNG"));
        QVERIFY(QFileInfo(file).size() > 1000);
    }
    QCoreApplication::removeTranslator(&english);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(headers, (QStringList{QStringLiteral("说明"), QStringLiteral("Description")}));
    QCOMPARE(cell(QStringLiteral("ATC_RAT_PIT_P"), ParameterTableModel::DescriptionColumn),
             ParameterTableModel::description(QStringLiteral("ATC_RAT_PIT_P")));
    qApp->setStyleSheet(QString());
}

QTEST_MAIN(TestParamTable)
#include "tst_param_table.moc"
