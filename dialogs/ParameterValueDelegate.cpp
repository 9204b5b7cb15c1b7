#include "dialogs/ParameterValueDelegate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "params/ParamFileParser.h"

ParameterValueDelegate::ParameterValueDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

bool ParameterValueDelegate::parseValue(const QString &text, float *value)
{
    // One line of a parameter file, so the editor and the loader agree on
    // every number.
    const QString t = text.trimmed();
    if (t.isEmpty() || t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('\n')) || t.contains(QLatin1Char('\r')))
        return false;
    const ParamFileContent c = ParamFileParser::parse((QStringLiteral("X,") + t).toUtf8());
    if (c.entries.size() != 1 || !c.diagnostics.isEmpty())
        return false;
    *value = c.entries.constFirst().value;
    return true;
}

QWidget *ParameterValueDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                              const QModelIndex &) const
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("valueEditor"));
    edit->setFrame(false);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setMaxLength(40);
    return edit;
}

void ParameterValueDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *edit = static_cast<QLineEdit *>(editor);
    edit->setText(index.data(Qt::EditRole).toString());
    edit->selectAll();
}

void ParameterValueDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    // Only reached from an accepted Enter (see eventFilter): the model is not
    // set here, the value goes to the flight controller and comes back as a
    // confirmation.
    float value = 0.0f;
    if (parseValue(static_cast<QLineEdit *>(editor)->text(), &value))
        emit writeRequested(index, value);
}

bool ParameterValueDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(object);
    if (!edit)
        return QStyledItemDelegate::eventFilter(object, event);
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            float value = 0.0f;
            if (!parseValue(edit->text(), &value)) {
                emit inputRefused(edit->text());
                edit->selectAll();
                return true; // the editor stays open, nothing is written
            }
            emit commitData(edit);
            emit closeEditor(edit, QAbstractItemDelegate::NoHint);
            return true;
        }
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            // Moving on is not a confirmation: revert.
            emit closeEditor(edit, QAbstractItemDelegate::RevertModelCache);
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut) {
        // Leaving the cell writes nothing; only Enter does. A context menu or
        // another window taking the focus for a moment keeps the editor.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            emit closeEditor(edit, QAbstractItemDelegate::RevertModelCache);
        return false;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
