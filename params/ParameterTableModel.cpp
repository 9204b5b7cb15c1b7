#include "params/ParameterTableModel.h"

#include <QCoreApplication>

#include <charconv>
#include <cmath>

#include "params/ParamDiff.h"
#include "params/ParameterStore.h"
#include "params/ParamsLog.h"

namespace {

struct Description {
    const char *name;
    const char *text; // Chinese source text, context "ParameterTableModel"
};

// The parameters the pages read or write: where they show, what they do, the
// unit. Channel and servo families are described by the patterns below.
const Description kDescriptions[] = {
    {"fw_version", QT_TRANSLATE_NOOP("ParameterTableModel", "直升机型号页：当前机型编号，决定可选的预设；无单位")},
    {"STAT_FLTTIME", QT_TRANSLATE_NOOP("ParameterTableModel", "窗口顶部：累计飞行时间，按分钟显示；单位秒")},
    {"SERIAL2_PROTOCOL", QT_TRANSLATE_NOOP("ParameterTableModel", "遥控器页：第二串口的协议，2 为数传时开关标签随之改变；无单位")},
    {"FRAME_CLASS", QT_TRANSLATE_NOOP("ParameterTableModel", "遥控器页：机架类别，11 时第一个开关显示手动模式；无单位")},
    {"H_COL_MAX", QT_TRANSLATE_NOOP("ParameterTableModel", "主旋翼页：总距上限位置；单位微秒")},
    {"H_COL_MIN", QT_TRANSLATE_NOOP("ParameterTableModel", "主旋翼页：总距下限位置；单位微秒")},
    {"H_SV_MAN", QT_TRANSLATE_NOOP("ParameterTableModel", "主旋翼页：十字盘调整时的手动舵机模式，0 为关闭；无单位")},
    {"H_RSC_SETPOINT1", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：小型机的主旋翼转速（油门值）；单位百分比")},
    {"H_RSC_SETPOINT", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：像真机写入的主旋翼转速（油门值）；单位百分比")},
    {"H_RSC_SP_MID", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：像真机显示的主旋翼转速；单位百分比")},
    {"ATC_RAT_PIT_P", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：俯仰感度，0.02 到 0.08；无单位")},
    {"ATC_RAT_RLL_P", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：横滚感度，0.02 到 0.08；无单位")},
    {"ATC_RAT_YAW_P", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：锁尾感度，0.15 到 0.35；无单位")},
    {"LOIT_BRK_ACCEL", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：刹车力度，50 到 500；单位厘米每二次方秒")},
    {"BATT_CALL_NUMLV", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：低电量返航的单节电压，0 为关闭；单位伏")},
    {"BATT_CALL_NUMCRT", QT_TRANSLATE_NOOP("ParameterTableModel", "工程参数页：严重低电量的单节电压，0 为关闭；单位伏")},
    {"BATT_VOLT_MULT", QT_TRANSLATE_NOOP("ParameterTableModel", "电压校准对话框：电池电压测量倍数；无单位")},
};

const char *const kRcMin = QT_TRANSLATE_NOOP("ParameterTableModel", "遥控器页：遥控通道 %1 行程最小值；单位微秒");
const char *const kRcMax = QT_TRANSLATE_NOOP("ParameterTableModel", "遥控器页：遥控通道 %1 行程最大值；单位微秒");
const char *const kRcTrim = QT_TRANSLATE_NOOP("ParameterTableModel", "遥控器页：遥控通道 %1 中位；单位微秒");
const char *const kServoTrim = QT_TRANSLATE_NOOP("ParameterTableModel", "主旋翼页：十字盘舵机 %1 中位；单位微秒");
const char *const kServoReversed = QT_TRANSLATE_NOOP("ParameterTableModel", "主旋翼页：十字盘舵机 %1 反向，1 为反向；无单位");

QString translated(const char *text)
{
    return QCoreApplication::translate("ParameterTableModel", text);
}

// "RC3_MIN" -> 3 when `name` is prefix + one digit in 1..max + suffix, else 0.
int channelOf(const QString &name, QLatin1StringView prefix, QLatin1StringView suffix, int max)
{
    if (name.size() != prefix.size() + 1 + suffix.size() || !name.startsWith(prefix) || !name.endsWith(suffix))
        return 0;
    const int n = name.at(prefix.size()).unicode() - '0';
    return (n >= 1 && n <= max) ? n : 0;
}

} // namespace

ParameterTableModel::ParameterTableModel(ParameterStore *store, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_rows(store->size())
{
    connect(store, &ParameterStore::parameterChanged, this, &ParameterTableModel::onParameterChanged);
    connect(store, &ParameterStore::aboutToBeCleared, this, &ParameterTableModel::onAboutToBeCleared);
    connect(store, &ParameterStore::cleared, this, &ParameterTableModel::onCleared);
    // A store that goes first (the window's teardown) leaves no rows behind.
    connect(store, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_rows = 0;
        m_states.clear();
        endResetModel();
    });
}

int ParameterTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ParameterTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const QString &ParameterTableModel::nameAt(int row) const
{
    return m_store->parameterList().at(row).name;
}

double ParameterTableModel::valueAt(int row) const
{
    return m_store->parameterList().at(row).value;
}

bool ParameterTableModel::differsAt(int row) const
{
    if (!m_hasComparison)
        return false;
    const auto it = m_wanted.constFind(nameAt(row));
    return it != m_wanted.cend() && it->differs;
}

ParameterTableModel::WriteState ParameterTableModel::writeStateAt(int row) const
{
    const auto it = m_states.constFind(row);
    return it == m_states.cend() ? NotWritten : it->state;
}

int ParameterTableModel::rowOfName(const QString &name) const
{
    const int row = m_rows > 0 ? m_store->indexOf(name) : -1;
    return row < m_rows ? row : -1;
}

bool ParameterTableModel::wantedAt(int row, ParamFileEntry *entry) const
{
    const auto it = m_wanted.constFind(nameAt(row));
    if (it == m_wanted.cend())
        return false;
    if (entry)
        *entry = ParamFileEntry{nameAt(row), it->value, 0};
    return true;
}

QVariant ParameterTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const int row = index.row();
    const Parameter &p = m_store->parameterList().at(row);

    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case NameColumn:
            return p.name;
        case ValueColumn:
            return formatValue(p.value);
        case CompareColumn: {
            const auto it = m_wanted.constFind(p.name);
            if (it == m_wanted.cend())
                return {};
            return it->differs ? QStringLiteral("≠ ") + formatValue(it->value) : QStringLiteral("= ") + formatValue(it->value);
        }
        case StateColumn: {
            const auto it = m_states.constFind(row);
            return it == m_states.cend() ? QString() : stateText(*it);
        }
        case DescriptionColumn:
            return description(p.name);
        }
        return {};
    case Qt::ToolTipRole: {
        QString tip = description(p.name);
        const auto it = m_states.constFind(row);
        if (it != m_states.cend() && it->state == Failed) {
            const QString why = it->otherEcho
                ? tr("写入 %1 未被接受，飞控保留 %2").arg(formatValue(it->written), formatValue(it->kept))
                : tr("写入 %1 未收到确认，表中的值 %2 是最后一次读到的值")
                      .arg(formatValue(it->written), formatValue(it->kept));
            tip = tip.isEmpty() ? why : tip + QLatin1Char('\n') + why;
        }
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::TextAlignmentRole:
        if (index.column() == ValueColumn || index.column() == CompareColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case DiffersRole:
        return differsAt(row);
    case ValueRole:
        return p.value;
    case WriteStateRole:
        return int(writeStateAt(row));
    }
    return {};
}

QVariant ParameterTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NameColumn: return tr("名称");
    case ValueColumn: return tr("数值");
    case CompareColumn: return m_hasComparison ? tr("对比：%1").arg(m_comparisonLabel) : tr("对比");
    case StateColumn: return tr("写入状态");
    case DescriptionColumn: return tr("说明");
    }
    return {};
}

Qt::ItemFlags ParameterTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    if (m_editable && index.column() == ValueColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

void ParameterTableModel::setEditable(bool editable)
{
    if (m_editable == editable)
        return;
    m_editable = editable;
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

void ParameterTableModel::retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (m_rows > 0)
        emit dataChanged(index(0, StateColumn), index(m_rows - 1, DescriptionColumn));
}

void ParameterTableModel::markWriting(int row, float value)
{
    if (row < 0 || row >= m_rows)
        return;
    RowState &s = m_states[row];
    s = RowState{};
    s.state = Writing;
    s.written = value;
    rowChanged(row);
}

void ParameterTableModel::writeFailed(const QString &name, float written)
{
    const int row = rowOfName(name);
    if (row < 0)
        return;
    const auto it = m_states.find(row);
    if (it == m_states.end() || it->state != Writing)
        return; // not written from a table view, or a newer write settled it
    // A failure of an older write of the same name while a newer one waits
    // is not this write's outcome.
    if (written != it->written)
        return;
    it->state = Failed;
    it->kept = valueAt(row);
    qCInfo(lcParams).noquote() << "table: write of" << name << "=" << formatValue(written)
                               << "failed; the table holds" << formatValue(it->kept);
    rowChanged(row);
    emit writeFinished(name, false);
}

void ParameterTableModel::onParameterChanged(const QString &name, double value)
{
    const int row = m_store->indexOf(name);
    if (row < 0)
        return;
    if (row >= m_rows) {
        // New rows (a download, or a confirmed name the table did not have).
        const int first = m_rows;
        beginInsertRows(QModelIndex(), first, row);
        m_rows = row + 1;
        for (int r = first; r <= row; ++r)
            refreshDiffer(r);
        endInsertRows();
        return;
    }
    const auto it = m_states.find(row);
    if (it != m_states.end() && it->state == Writing) {
        if (ParamDiff::sameValue(value, double(it->written))) {
            it->state = Confirmed;
            emit writeFinished(name, true);
        } else {
            it->otherEcho = true; // the failure report follows, or a newer echo confirms
        }
    }
    refreshDiffer(row);
    rowChanged(row);
}

void ParameterTableModel::onAboutToBeCleared()
{
    beginResetModel();
}

void ParameterTableModel::onCleared()
{
    m_rows = 0;
    m_editable = false;
    m_states.clear();
    m_differing = 0;
    for (auto it = m_wanted.begin(); it != m_wanted.end(); ++it)
        it->differs = false;
    endResetModel();
}

void ParameterTableModel::rowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ParameterTableModel::refreshDiffer(int row)
{
    const auto it = m_wanted.find(nameAt(row));
    if (it == m_wanted.end())
        return;
    const bool differs = !ParamDiff::sameValue(valueAt(row), double(it->value));
    if (differs != it->differs) {
        it->differs = differs;
        m_differing += differs ? 1 : -1;
    }
}

void ParameterTableModel::setComparison(const QList<ParamFileEntry> &wanted, const QString &label)
{
    m_wanted.clear();
    m_unknownCompared.clear();
    m_differing = 0;
    for (const ParamFileEntry &e : wanted) {
        if (m_store->indexOf(e.name) < 0) {
            m_unknownCompared.append(e.name);
            continue;
        }
        m_wanted.insert(e.name, Wanted{e.value, false});
    }
    for (int row = 0; row < m_rows; ++row)
        refreshDiffer(row);
    m_hasComparison = !wanted.isEmpty();
    m_comparisonLabel = label;
    emit headerDataChanged(Qt::Horizontal, CompareColumn, CompareColumn);
    if (m_rows > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
}

void ParameterTableModel::clearComparison()
{
    setComparison({}, QString());
}

QString ParameterTableModel::stateText(const RowState &s) const
{
    switch (s.state) {
    case Writing: return tr("正在写入 %1").arg(formatValue(s.written));
    case Confirmed: return tr("已确认");
    case Failed:
        return s.otherEcho ? tr("未接受，保留 %1").arg(formatValue(s.kept)) : tr("未确认，仍为 %1").arg(formatValue(s.kept));
    case NotWritten: break;
    }
    return {};
}

QString ParameterTableModel::formatValue(double value)
{
    const float f = float(value);
    if (std::isnan(f))
        return QStringLiteral("nan");
    if (std::isinf(f))
        return f > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    char buf[64];
    std::to_chars_result r;
    // Whole numbers in plain digits ("1000000", not "1e+06"), as long as
    // that stays readable; everything else in the shortest form that reads
    // back as the same float.
    if (f == std::trunc(f) && std::fabs(f) < 1e9f)
        r = std::to_chars(buf, buf + sizeof buf, f, std::chars_format::fixed);
    else
        r = std::to_chars(buf, buf + sizeof buf, f);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString ParameterTableModel::description(const QString &name)
{
    for (const Description &d : kDescriptions) {
        if (name == QLatin1StringView(d.name))
            return translated(d.text);
    }
    if (const int n = channelOf(name, QLatin1StringView("RC"), QLatin1StringView("_MIN"), 4))
        return translated(kRcMin).arg(n);
    if (const int n = channelOf(name, QLatin1StringView("RC"), QLatin1StringView("_MAX"), 4))
        return translated(kRcMax).arg(n);
    if (const int n = channelOf(name, QLatin1StringView("RC"), QLatin1StringView("_TRIM"), 4))
        return translated(kRcTrim).arg(n);
    if (const int n = channelOf(name, QLatin1StringView("SERVO"), QLatin1StringView("_TRIM"), 3))
        return translated(kServoTrim).arg(n);
    if (const int n = channelOf(name, QLatin1StringView("SERVO"), QLatin1StringView("_REVERSED"), 3))
        return translated(kServoReversed).arg(n);
    return {};
}
