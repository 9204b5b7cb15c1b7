#pragma once

#include <QSortFilterProxyModel>
#include <QString>

class ParameterTableModel;

// Filter and order of the all-parameters table: a case-insensitive substring
// of the name, an optional group prefix ("ATC_", "H_"), and "differences
// only" against the model's comparison. Sorted by name or kept in the flight
// controller's order (sort column -1). Adds the table's colours: row states,
// differing rows, and the dimmed rows of a lost link.
class ParameterFilterProxy : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit ParameterFilterProxy(ParameterTableModel *model, QObject *parent = nullptr);

    void setNameFilter(const QString &text);
    QString nameFilter() const { return m_text; }
    void setGroupPrefix(const QString &prefix);
    QString groupPrefix() const { return m_prefix; }
    void setDifferencesOnly(bool on);
    bool differencesOnly() const { return m_differencesOnly; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    ParameterTableModel *m_model;
    QString m_text;
    QString m_prefix;
    bool m_differencesOnly = false;
};
