#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QString>

#include "params/ParamFileParser.h"

class ParameterStore;

// The whole parameter table as a Qt item model, one row per parameter in the
// flight controller's order. It follows the store: a confirmed value appears
// in its row at once, a new download (the store cleared) resets it. Besides
// the value it keeps, for the rows written from a table view, the state of the
// last write (writing, confirmed, failed), and a comparison with a wanted
// value per name (a snapshot, preset or file) judged by ParamDiff.
class ParameterTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NameColumn = 0, ValueColumn, CompareColumn, StateColumn, DescriptionColumn, ColumnCount };

    enum Roles {
        // bool: the row has a wanted value that differs from its value
        DiffersRole = Qt::UserRole + 1,
        // double: the row's value (every column)
        ValueRole,
        // int: WriteState of the row
        WriteStateRole,
    };

    enum WriteState { NotWritten = 0, Writing, Confirmed, Failed };

    explicit ParameterTableModel(ParameterStore *store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    ParameterStore *store() const { return m_store; }
    // Fast access for the filter: the name and value of a source row.
    const QString &nameAt(int row) const;
    double valueAt(int row) const;
    bool differsAt(int row) const;
    WriteState writeStateAt(int row) const;
    int rowOfName(const QString &name) const;

    // Texts of the current language again (headers, states, descriptions).
    void retranslate();

    // Values may be edited (the link is up and a download completed). Off:
    // rows stay, shown dimmed, and no cell is editable. A new download (the
    // store cleared) turns editing off until the window turns it on again.
    void setEditable(bool editable);
    bool isEditable() const { return m_editable; }

    // A write of `value` to the row's parameter is on its way; the row shows
    // "writing" until the flight controller confirms or the write fails.
    void markWriting(int row, float value);

    // Compares every row with `wanted` (ParamDiff's rule). An empty list
    // clears the comparison. Names the table does not have are not shown;
    // they are counted in unknownComparedNames().
    void setComparison(const QList<ParamFileEntry> &wanted, const QString &label);
    void clearComparison();
    bool hasComparison() const { return m_hasComparison; }
    QString comparisonLabel() const { return m_comparisonLabel; }
    int differingCount() const { return m_differing; }
    QStringList unknownComparedNames() const { return m_unknownCompared; }
    // The wanted entry of a row, when there is one.
    bool wantedAt(int row, ParamFileEntry *entry) const;

    // Shortest text that reads back as the same 32-bit float ("0.001",
    // "1e-07"); whole numbers without decimals ("1500", "-3"); C locale.
    static QString formatValue(double value);

    // A one-line description of the parameters the pages use (which page
    // shows it, what it does, its unit), in the current language; empty for
    // every other name.
    static QString description(const QString &name);

public slots:
    // The flight controller never confirmed a write of `name` (no echo, or it
    // answered with another value: the value it kept is then the store's).
    void writeFailed(const QString &name, float written);

signals:
    // A row's write ended (confirmed or failed).
    void writeFinished(const QString &name, bool confirmed);

private:
    struct RowState {
        WriteState state = NotWritten;
        float written = 0.0f;
        bool otherEcho = false; // an answer with another value came while writing
        double kept = 0.0;      // failed: the value the flight controller holds
    };
    struct Wanted {
        float value = 0.0f;
        bool differs = false;
    };

    void onParameterChanged(const QString &name, double value);
    void onAboutToBeCleared();
    void onCleared();
    void rowChanged(int row);
    void refreshDiffer(int row);
    QString stateText(const RowState &s) const;

    ParameterStore *m_store;
    int m_rows = 0;                       // rows announced to views (store rows appear once announced)
    bool m_editable = false;
    QHash<int, RowState> m_states;        // by row; only rows written from a view
    QHash<QString, Wanted> m_wanted;      // by name
    bool m_hasComparison = false;
    QString m_comparisonLabel;
    int m_differing = 0;
    QStringList m_unknownCompared;
};
