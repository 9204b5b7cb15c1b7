#include "dialogs/AllParametersDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "dialogs/DialogsLog.h"
#include "dialogs/ParameterFilterProxy.h"
#include "dialogs/ParameterValueDelegate.h"
#include "pages/PageContext.h"
#include "params/ModelPresets.h"
#include "params/ParamFileChecker.h"
#include "params/ParameterStore.h"
#include "params/ParameterTableModel.h"

AllParametersDialog::AllParametersDialog(PageContext *ctx, QWidget *parent)
    : QDialog(parent), m_ctx(ctx)
{
    setObjectName(QStringLiteral("AllParametersDialog"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    resize(800, 540);

    m_model = new ParameterTableModel(ctx->store(), this);
    m_proxy = new ParameterFilterProxy(m_model, this);
    m_delegate = new ParameterValueDelegate(this);

    m_filterLabel = new QLabel(this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filterEdit"));
    m_filter->setClearButtonEnabled(true);
    m_group = new QComboBox(this);
    m_group->setObjectName(QStringLiteral("groupBox"));
    m_group->setMinimumContentsLength(10);
    m_group->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_order = new QComboBox(this);
    m_order->setObjectName(QStringLiteral("orderBox"));
    m_order->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_order->addItem(QString());
    m_order->addItem(QString());

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(m_filterLabel);
    filterRow->addWidget(m_filter, 1);
    filterRow->addWidget(m_group);
    filterRow->addWidget(m_order);

    m_compare = new QPushButton(this);
    m_compare->setObjectName(QStringLiteral("compareButton"));
    // The menu's entries (snapshots, presets, files) are made when it opens.
    m_compareMenu = new QMenu(this);
    m_compareMenu->setObjectName(QStringLiteral("compareMenu"));
    m_compare->setMenu(m_compareMenu);
    connect(m_compareMenu, &QMenu::aboutToShow, this, &AllParametersDialog::rebuildCompareMenu);
    m_clearCompare = new QPushButton(this);
    m_clearCompare->setObjectName(QStringLiteral("clearCompareButton"));
    m_diffOnly = new QCheckBox(this);
    m_diffOnly->setObjectName(QStringLiteral("differencesOnlyBox"));
    m_writeDiffs = new QPushButton(this);
    m_writeDiffs->setObjectName(QStringLiteral("writeDifferencesButton"));
    m_writeDiffs->setVisible(false);

    auto *compareRow = new QHBoxLayout;
    compareRow->addWidget(m_compare);
    compareRow->addWidget(m_clearCompare);
    compareRow->addWidget(m_diffOnly);
    compareRow->addStretch(1);
    compareRow->addWidget(m_writeDiffs);

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("parameterTable"));
    m_view->setModel(m_proxy);
    m_view->setItemDelegateForColumn(ParameterTableModel::ValueColumn, m_delegate);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setTextElideMode(Qt::ElideRight);
    m_view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_view->verticalHeader()->setVisible(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    QHeaderView *header = m_view->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Fixed widths from the font (no measuring of 1200 rows): a name holds at
    // most 16 characters, a value about 12.
    const QFontMetrics metrics = m_view->fontMetrics();
    const int pad = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
    header->resizeSection(ParameterTableModel::NameColumn, metrics.horizontalAdvance(QStringLiteral("SERVO16_REVERSED")) + pad);
    header->resizeSection(ParameterTableModel::ValueColumn, metrics.horizontalAdvance(QStringLiteral("-0.0000012345")) + pad);
    header->resizeSection(ParameterTableModel::CompareColumn, metrics.horizontalAdvance(QStringLiteral("≠ -0.0000012345")) + pad);
    header->resizeSection(ParameterTableModel::StateColumn, metrics.horizontalAdvance(QStringLiteral("Not confirmed, still 1500")) + pad);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(ParameterTableModel::NameColumn, Qt::AscendingOrder);
    m_view->installEventFilter(this);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countLabel"));
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messageLabel"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addLayout(compareRow);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_message);
    layout->addWidget(m_count);

    connect(m_filter, &QLineEdit::textChanged, m_proxy, &ParameterFilterProxy::setNameFilter);
    connect(m_group, &QComboBox::currentIndexChanged, this,
            [this](int) { m_proxy->setGroupPrefix(m_group->currentData().toString()); });
    connect(m_order, &QComboBox::currentIndexChanged, this, [this](int i) { setOrder(Order(i)); });
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder) {
        const QSignalBlocker block(m_order);
        m_order->setCurrentIndex(column < 0 ? FlightControllerOrder : ByName);
    });
    connect(m_diffOnly, &QCheckBox::toggled, m_proxy, &ParameterFilterProxy::setDifferencesOnly);
    connect(m_clearCompare, &QPushButton::clicked, this, &AllParametersDialog::clearComparison);
    connect(m_writeDiffs, &QPushButton::clicked, this, &AllParametersDialog::requestBatchWrite);
    connect(m_delegate, &ParameterValueDelegate::writeRequested, this, &AllParametersDialog::writeValue);
    connect(m_delegate, &ParameterValueDelegate::inputRefused, this, [this](const QString &text) {
        showMessage(tr("“%1”不是可写入的数值：请输入有限的数（如 0.25、-3、1e-3），且在 32 位浮点数范围内。未写入任何值。")
                        .arg(ParamFileChecker::quote(text.toUtf8())),
                    true);
    });
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() != ParameterTableModel::ValueColumn)
            editValueOf(index);
    });
    connect(ctx, &PageContext::parameterWriteFailed, m_model, &ParameterTableModel::writeFailed);
    connect(m_model, &ParameterTableModel::writeFinished, this, [this](const QString &name, bool confirmed) {
        if (confirmed)
            showMessage(tr("%1 已由飞控确认。").arg(name), false);
        else
            showMessage(tr("%1 的写入未被飞控确认，见该行的写入状态。").arg(name), true);
    });
    connect(m_proxy, &QAbstractItemModel::rowsInserted, this, &AllParametersDialog::updateCount);
    connect(m_proxy, &QAbstractItemModel::rowsRemoved, this, &AllParametersDialog::updateCount);
    connect(m_proxy, &QAbstractItemModel::modelReset, this, &AllParametersDialog::updateCount);
    connect(m_proxy, &QAbstractItemModel::layoutChanged, this, &AllParametersDialog::updateCount);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        rebuildGroups();
        updateButtons();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AllParametersDialog::updateButtons);

    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_filter->setFocus(Qt::ShortcutFocusReason);
        m_filter->selectAll();
    });

    retranslate();
    rebuildGroups();
    updateButtons();
    m_view->setFocus();
}

AllParametersDialog::~AllParametersDialog() = default;

void AllParametersDialog::setLinkUp(bool up)
{
    if (!up) {
        if (QWidget *editor = m_view->indexWidget(m_view->currentIndex()))
            emit m_delegate->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
    m_model->setEditable(up);
    if (up) {
        // Rows that arrived during the download join the chosen order.
        m_proxy->invalidate();
        rebuildGroups();
        showMessage(QString(), false);
    } else {
        showMessage(tr("连接已断开：表中为最后读到的值，不能修改。"), false);
    }
    updateButtons();
}

bool AllParametersDialog::linkUp() const
{
    return m_model->isEditable();
}

void AllParametersDialog::setOrder(Order order)
{
    if (order == FlightControllerOrder)
        m_view->sortByColumn(-1, Qt::AscendingOrder);
    else
        m_view->sortByColumn(ParameterTableModel::NameColumn, Qt::AscendingOrder);
    const QSignalBlocker block(m_order);
    m_order->setCurrentIndex(order);
}

void AllParametersDialog::setSnapshotFolder(const QString &folder)
{
    m_snapshotFolder = folder;
}

void AllParametersDialog::setBatchWriteAvailable(bool available)
{
    m_batchAvailable = available;
    m_writeDiffs->setVisible(available);
    updateButtons();
}

bool AllParametersDialog::compareWithFile(const QString &path, const QString &label)
{
    QSet<QString> known;
    const QList<Parameter> &list = m_ctx->store()->parameterList();
    known.reserve(list.size());
    for (const Parameter &p : list)
        known.insert(p.name);
    const ParamCheckResult result = ParamFileChecker::checkFile(path, known.isEmpty() ? nullptr : &known);
    if (!result.readable) {
        qCWarning(lcDialogs).noquote() << "comparison file not readable:" << path << result.fileError;
        showMessage(tr("无法读取 %1：%2").arg(QFileInfo(path).fileName(), result.fileError), true);
        return false;
    }
    m_model->setComparison(result.writable, label);
    int unknown = 0;
    int errors = 0;
    for (const ParamCheckProblem &p : result.problems) {
        if (p.kind == ParamCheckProblem::UnknownName)
            ++unknown;
        else if (p.isError())
            ++errors;
    }
    showMessage(tr("对比 %1：%2 项不同，%3 项飞控没有，%4 行有错误。")
                    .arg(label)
                    .arg(m_model->differingCount())
                    .arg(unknown)
                    .arg(errors),
                errors > 0);
    updateButtons();
    return true;
}

void AllParametersDialog::clearComparison()
{
    m_model->clearComparison();
    m_diffOnly->setChecked(false);
    showMessage(QString(), false);
    updateButtons();
}

QList<ParamFileEntry> AllParametersDialog::selectedDifferingRows() const
{
    QList<int> proxyRows;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows();
    for (const QModelIndex &i : selected)
        proxyRows.append(i.row());
    std::sort(proxyRows.begin(), proxyRows.end());
    QList<ParamFileEntry> rows;
    for (int r : std::as_const(proxyRows)) {
        const int source = m_proxy->mapToSource(m_proxy->index(r, 0)).row();
        ParamFileEntry e;
        if (m_model->differsAt(source) && m_model->wantedAt(source, &e))
            rows.append(e);
    }
    return rows;
}

QString AllParametersDialog::selectedRowsText() const
{
    QList<int> proxyRows;
    const QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    QSet<int> seen;
    for (const QModelIndex &i : selected) {
        if (!seen.contains(i.row())) {
            seen.insert(i.row());
            proxyRows.append(i.row());
        }
    }
    std::sort(proxyRows.begin(), proxyRows.end());
    QString text;
    for (int r : std::as_const(proxyRows)) {
        const int source = m_proxy->mapToSource(m_proxy->index(r, 0)).row();
        text += m_model->nameAt(source) + QLatin1Char(',') + ParameterTableModel::formatValue(m_model->valueAt(source))
                + QLatin1Char('\n');
    }
    return text;
}

bool AllParametersDialog::eventFilter(QObject *object, QEvent *event)
{
    if (object == m_view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (key->matches(QKeySequence::Copy)) {
            copySelection();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            editValueOf(m_view->currentIndex());
            return true;
        }
        if (key->key() == Qt::Key_F2 && m_view->currentIndex().isValid()
            && m_view->currentIndex().column() != ParameterTableModel::ValueColumn) {
            editValueOf(m_view->currentIndex());
            return true;
        }
        // Typing in the table searches: the letters go to the filter.
        const QString text = key->text();
        if (plain && !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace()) {
            m_filter->setFocus(Qt::OtherFocusReason);
            m_filter->insert(text);
            return true;
        }
    }
    return QDialog::eventFilter(object, event);
}

void AllParametersDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QDialog::changeEvent(event);
}

void AllParametersDialog::retranslate()
{
    setWindowTitle(tr("全部参数"));
    m_filterLabel->setText(tr("筛选"));
    m_filter->setPlaceholderText(tr("参数名的一部分（Ctrl+F）"));
    m_order->setItemText(ByName, tr("按名称排序"));
    m_order->setItemText(FlightControllerOrder, tr("按飞控顺序"));
    if (m_group->count() > 0)
        m_group->setItemText(0, tr("全部分组"));
    m_compare->setText(tr("对比..."));
    m_clearCompare->setText(tr("清除对比"));
    m_diffOnly->setText(tr("只显示差异"));
    m_writeDiffs->setText(tr("写入所选差异..."));
    m_view->setToolTip(QString());
    m_model->retranslate();
    m_message->clear();
    updateCount();
}

void AllParametersDialog::rebuildGroups()
{
    // Every name prefix up to its first "_" that at least two names share.
    QMap<QString, int> prefixes;
    for (const Parameter &p : m_ctx->store()->parameterList()) {
        const int cut = p.name.indexOf(QLatin1Char('_'));
        if (cut > 0)
            ++prefixes[p.name.left(cut + 1)];
    }
    const QString current = m_group->currentData().toString();
    const QSignalBlocker block(m_group);
    m_group->clear();
    m_group->addItem(tr("全部分组"), QString());
    for (auto it = prefixes.cbegin(); it != prefixes.cend(); ++it) {
        if (it.value() >= 2)
            m_group->addItem(QStringLiteral("%1 (%2)").arg(it.key()).arg(it.value()), it.key());
    }
    const int keep = m_group->findData(current);
    m_group->setCurrentIndex(keep >= 0 ? keep : 0);
    m_proxy->setGroupPrefix(m_group->currentData().toString());
}

void AllParametersDialog::rebuildCompareMenu()
{
    m_compareMenu->clear();
    if (!m_snapshotFolder.isEmpty())
        m_compareMenu->addAction(tr("快照..."), this, [this] { chooseFile(m_snapshotFolder); });
    QMenu *presets = m_compareMenu->addMenu(tr("机型预设"));
    for (const ModelPreset &row : ModelPresets::rows()) {
        if (!row.presetPath)
            continue;
        const QString path = QString::fromLatin1(row.presetPath);
        const QString label = QFileInfo(path).completeBaseName();
        presets->addAction(label, this, [this, path, label] { compareWithFile(path, label); });
    }
    m_compareMenu->addAction(tr("参数文件..."), this, [this] { chooseFile(QString()); });
}

void AllParametersDialog::chooseFile(const QString &folder)
{
    const QString path = QFileDialog::getOpenFileName(this, tr("选择对比的参数文件"), folder,
                                                      tr("参数文件 (*.param);;所有文件 (*)"));
    if (!path.isEmpty())
        compareWithFile(path, QFileInfo(path).fileName());
}

void AllParametersDialog::updateCount()
{
    m_count->setText(tr("共 %1 个参数，显示 %2 个").arg(m_model->rowCount()).arg(m_proxy->rowCount()));
}

void AllParametersDialog::updateButtons()
{
    const bool comparing = m_model->hasComparison();
    m_clearCompare->setEnabled(comparing);
    m_diffOnly->setEnabled(comparing);
    if (m_batchAvailable)
        m_writeDiffs->setEnabled(comparing && m_model->isEditable() && !selectedDifferingRows().isEmpty());
}

void AllParametersDialog::showMessage(const QString &text, bool error)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
    m_message->setStyleSheet(error ? QStringLiteral("color: rgb(205, 45, 35);") : QStringLiteral("color: rgb(43, 43, 43);"));
}

void AllParametersDialog::editValueOf(const QModelIndex &proxyIndex)
{
    if (!proxyIndex.isValid() || !m_model->isEditable())
        return;
    const QModelIndex value = proxyIndex.siblingAtColumn(ParameterTableModel::ValueColumn);
    m_view->setCurrentIndex(value);
    m_view->edit(value);
}

void AllParametersDialog::writeValue(const QModelIndex &proxyIndex, float value)
{
    if (!m_model->isEditable())
        return;
    const int row = m_proxy->mapToSource(proxyIndex).row();
    if (row < 0)
        return;
    const QString name = m_model->nameAt(row);
    qCInfo(lcDialogs).noquote() << "table: writing" << name << "=" << ParameterTableModel::formatValue(value);
    m_model->markWriting(row, value);
    showMessage(tr("正在写入 %1 = %2 ...").arg(name, ParameterTableModel::formatValue(value)), false);
    m_ctx->writeParameter(name, value);
}

void AllParametersDialog::copySelection()
{
    const QString text = selectedRowsText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void AllParametersDialog::requestBatchWrite()
{
    const QList<ParamFileEntry> rows = selectedDifferingRows();
    if (rows.isEmpty())
        return;
    emit writeRowsRequested(rows, m_model->comparisonLabel());
}
