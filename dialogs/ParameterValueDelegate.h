#pragma once

#include <QStyledItemDelegate>

// The editor of a value cell: a line edit taking the parameter files' number
// syntax (C locale: "." decimal point, optional sign and exponent, no group
// separators), never a spin box that would round. Enter or Return asks for a
// write (writeRequested) when the text is a finite number a 32-bit float
// holds; otherwise the editor stays open and inputRefused says why. Esc and
// leaving the cell revert without writing.
class ParameterValueDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ParameterValueDelegate(QObject *parent = nullptr);

    // Reads `text` as the parameter loader does; false for anything it would
    // refuse (not a number, not finite, beyond the float range).
    static bool parseValue(const QString &text, float *value);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

signals:
    // `index` is an index of the view's model (the proxy).
    void writeRequested(const QModelIndex &index, float value) const;
    void inputRefused(const QString &text) const;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};
