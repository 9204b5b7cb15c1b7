#include "dialogs/ParameterFilterProxy.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "params/ParameterTableModel.h"

namespace {

// The window's palette: orange accent while writing, green confirmed, red
// failed; a light orange behind differing rows; grey for a lost link.
const QColor kWritingColour(250, 132, 43);
const QColor kConfirmedColour(36, 150, 70);
const QColor kFailedColour(205, 45, 35);
const QColor kDimmedColour(165, 165, 165);
const QColor kDiffersBackground(255, 237, 219);

} // namespace

ParameterFilterProxy::ParameterFilterProxy(ParameterTableModel *model, QObject *parent)
    : QSortFilterProxyModel(parent), m_model(model)
{
    setSourceModel(model);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setSortLocaleAware(false);
    // A confirmed value re-checks its row: under "differences only" a row
    // written to the compared value leaves the list.
    setDynamicSortFilter(true);
}

void ParameterFilterProxy::setNameFilter(const QString &text)
{
    const QString t = text.trimmed();
    if (t == m_text)
        return;
    m_text = t;
    invalidateFilter();
}

void ParameterFilterProxy::setGroupPrefix(const QString &prefix)
{
    if (prefix == m_prefix)
        return;
    m_prefix = prefix;
    invalidateFilter();
}

void ParameterFilterProxy::setDifferencesOnly(bool on)
{
    if (on == m_differencesOnly)
        return;
    m_differencesOnly = on;
    invalidateFilter();
}

bool ParameterFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (sourceParent.isValid())
        return false;
    const QString &name = m_model->nameAt(sourceRow);
    if (!m_prefix.isEmpty() && !name.startsWith(m_prefix, Qt::CaseInsensitive))
        return false;
    if (!m_text.isEmpty() && !name.contains(m_text, Qt::CaseInsensitive))
        return false;
    if (m_differencesOnly && !m_model->differsAt(sourceRow))
        return false;
    return true;
}

bool ParameterFilterProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const int l = left.row();
    const int r = right.row();
    switch (left.column()) {
    case ParameterTableModel::ValueColumn:
        if (m_model->valueAt(l) != m_model->valueAt(r))
            return m_model->valueAt(l) < m_model->valueAt(r);
        break;
    case ParameterTableModel::NameColumn:
        break;
    default:
        return QSortFilterProxyModel::lessThan(left, right);
    }
    const int c = m_model->nameAt(l).compare(m_model->nameAt(r), Qt::CaseInsensitive);
    return c != 0 ? c < 0 : m_model->nameAt(l) < m_model->nameAt(r);
}

QVariant ParameterFilterProxy::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::ForegroundRole: {
        if (!m_model->isEditable())
            return QBrush(kDimmedColour);
        const int column = index.column();
        if (column == ParameterTableModel::ValueColumn || column == ParameterTableModel::StateColumn) {
            switch (m_model->writeStateAt(mapToSource(index).row())) {
            case ParameterTableModel::Writing: return QBrush(kWritingColour);
            case ParameterTableModel::Confirmed: return QBrush(kConfirmedColour);
            case ParameterTableModel::Failed: return QBrush(kFailedColour);
            case ParameterTableModel::NotWritten: break;
            }
        }
        if (column == ParameterTableModel::DescriptionColumn)
            return QBrush(QColor(110, 110, 110));
        return {};
    }
    case Qt::BackgroundRole:
        if (m_model->differsAt(mapToSource(index).row()))
            return QBrush(kDiffersBackground);
        return {};
    case Qt::FontRole:
        if (index.column() == ParameterTableModel::CompareColumn && m_model->differsAt(mapToSource(index).row())) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return QSortFilterProxyModel::data(index, role);
    }
}
