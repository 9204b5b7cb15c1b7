#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "params/ParamFileParser.h"

class PageContext;
class ParameterFilterProxy;
class ParameterTableModel;
class ParameterValueDelegate;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;

// Every parameter of the flight controller in one searchable table, for the
// settings the pages do not show. A value is edited in place and written
// through the pages' confirmed-write path; the row then shows whether the
// flight controller took it. The table can be compared with a snapshot, a
// model preset or a parameter file, and a chosen set of differing rows handed
// to the window's write preview (writeRowsRequested).
class AllParametersDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AllParametersDialog(PageContext *ctx, QWidget *parent = nullptr);
    ~AllParametersDialog() override;

    // The link is up and a download has completed: values are editable.
    // Down: the last values stay visible, dimmed, and an open editor closes.
    void setLinkUp(bool up);
    bool linkUp() const;

    // Compares the table with a parameter file or snapshot (read by the file
    // checker). False, with the reason shown, when it cannot be read.
    bool compareWithFile(const QString &path, const QString &label);
    void clearComparison();

    // Where snapshots are kept: offered first in the comparison menu.
    void setSnapshotFolder(const QString &folder);
    // The window routes writeRowsRequested to its write preview: the
    // button that sends differing rows there is shown only then.
    void setBatchWriteAvailable(bool available);

    // The differing rows among the selected ones, as entries to write (the
    // compared values), in the table's order.
    QList<ParamFileEntry> selectedDifferingRows() const;
    // The selected rows as "NAME,VALUE" lines, as Ctrl+C copies them.
    QString selectedRowsText() const;

    ParameterTableModel *model() const { return m_model; }
    ParameterFilterProxy *proxy() const { return m_proxy; }
    QTableView *view() const { return m_view; }
    QLineEdit *filterEdit() const { return m_filter; }
    QComboBox *groupBox() const { return m_group; }
    QComboBox *orderBox() const { return m_order; }
    QCheckBox *differencesOnlyBox() const { return m_diffOnly; }
    QLabel *messageLabel() const { return m_message; }

    enum Order { ByName = 0, FlightControllerOrder = 1 };
    void setOrder(Order order);

signals:
    // Rows to write with their compared values; the window shows them in the
    // same preview and batch as a restore.
    void writeRowsRequested(const QList<ParamFileEntry> &rows, const QString &sourceLabel);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void rebuildGroups();
    void rebuildCompareMenu();
    void updateCount();
    void updateButtons();
    void showMessage(const QString &text, bool error);
    void writeValue(const QModelIndex &proxyIndex, float value);
    void editValueOf(const QModelIndex &proxyIndex);
    void copySelection();
    void chooseFile(const QString &folder);
    void requestBatchWrite();

    PageContext *m_ctx;
    ParameterTableModel *m_model;
    ParameterFilterProxy *m_proxy;
    ParameterValueDelegate *m_delegate;
    QTableView *m_view;
    QLineEdit *m_filter;
    QComboBox *m_group;
    QComboBox *m_order;
    QLabel *m_filterLabel;
    QPushButton *m_compare;
    QMenu *m_compareMenu = nullptr;
    QPushButton *m_clearCompare;
    QCheckBox *m_diffOnly;
    QPushButton *m_writeDiffs;
    QLabel *m_count;
    QLabel *m_message;
    QString m_snapshotFolder;
    QString m_messageText;
    bool m_messageIsError = false;
    bool m_batchAvailable = false;
};
