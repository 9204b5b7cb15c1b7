#include "dialogs/WritePreviewDialog.h"

#include "params/SnapshotStore.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString shortValue(double v)
{
    return SnapshotStore::formatValue(float(v));
}

QListWidget *makeList(QWidget *parent, const char *name, int minHeight)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    list->setMinimumHeight(minHeight);
    list->setUniformItemSizes(true);
    return list;
}

} // namespace

WritePreviewDialog::WritePreviewDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("WritePreviewDialog"));
    setWindowTitle(tr("写入前确认"));
    setModal(true);
    setMinimumWidth(460);

    auto *layout = new QVBoxLayout(this);
    m_question = new QLabel(this);
    m_question->setObjectName(QStringLiteral("previewQuestion"));
    m_question->setWordWrap(true);
    QFont bold = m_question->font();
    bold.setBold(true);
    m_question->setFont(bold);
    m_question->hide();
    layout->addWidget(m_question);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("previewSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("previewNote"));
    m_note->setWordWrap(true);
    m_note->hide();
    layout->addWidget(m_note);

    m_changes = makeList(this, "changesList", 220);
    layout->addWidget(m_changes, 3);

    m_unknownTitle = new QLabel(this);
    m_unknownTitle->setWordWrap(true);
    layout->addWidget(m_unknownTitle);
    m_unknown = makeList(this, "unknownList", 48);
    layout->addWidget(m_unknown, 1);

    m_skippedTitle = new QLabel(this);
    m_skippedTitle->setWordWrap(true);
    layout->addWidget(m_skippedTitle);
    m_skipped = makeList(this, "skippedList", 48);
    layout->addWidget(m_skipped, 1);

    auto *buttons = new QDialogButtonBox(this);
    m_accept = buttons->addButton(tr("是"), QDialogButtonBox::AcceptRole);
    m_accept->setObjectName(QStringLiteral("previewAccept"));
    m_reject = buttons->addButton(tr("否"), QDialogButtonBox::RejectRole);
    m_reject->setObjectName(QStringLiteral("previewReject"));
    m_reject->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    setContent(ParamDiffResult{}, {});
}

void WritePreviewDialog::setQuestion(const QString &question)
{
    m_question->setText(question);
    m_question->setVisible(!question.isEmpty());
}

void WritePreviewDialog::setNote(const QString &note)
{
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

QString WritePreviewDialog::allLinesNote(int lines)
{
    return tr("全部 %1 行按文件顺序写入，不变的也写入。").arg(lines);
}

void WritePreviewDialog::setAcceptText(const QString &text)
{
    m_accept->setText(text);
}

QString WritePreviewDialog::question() const
{
    return m_question->text();
}

QString WritePreviewDialog::summaryText() const
{
    return m_summary->text();
}

QString WritePreviewDialog::changeLine(const ParamChange &change)
{
    return change.name + QStringLiteral(": ") + shortValue(change.current) + QStringLiteral(" -> ")
           + shortValue(change.wanted);
}

QString WritePreviewDialog::reasonText(const ParamCheckProblem &p)
{
    switch (p.kind) {
    case ParamCheckProblem::BadFormat:
        return tr("格式不是“名称,数值”");
    case ParamCheckProblem::BadName:
        return tr("参数名无效");
    case ParamCheckProblem::BadValue:
        return tr("数值无效");
    case ParamCheckProblem::ValueNotFloat:
        return tr("数值超出飞控能保存的范围");
    case ParamCheckProblem::UnknownName:
        return tr("飞控没有此参数");
    case ParamCheckProblem::DuplicateDiffers:
        return tr("与第 %1 行重复且数值不同").arg(p.otherLine);
    case ParamCheckProblem::DuplicateSame:
        return tr("与第 %1 行重复（数值相同）").arg(p.otherLine);
    }
    return QString();
}

void WritePreviewDialog::setContent(const ParamDiffResult &diff, const QList<ParamCheckProblem> &problems)
{
    m_changes->clear();
    for (const ParamChange &c : diff.changed)
        m_changes->addItem(changeLine(c));
    if (diff.changed.isEmpty())
        m_changes->addItem(tr("（没有要更改的参数）"));

    QStringList unknownNames;
    for (const ParamFileEntry &e : diff.unknown)
        unknownNames.append(e.name);
    m_unknown->clear();
    m_skipped->clear();
    for (const ParamCheckProblem &p : problems) {
        if (p.kind == ParamCheckProblem::UnknownName) {
            unknownNames.append(p.name);
            continue;
        }
        QString line = tr("第 %1 行：%2").arg(p.line).arg(reasonText(p));
        if (!p.quoted.isEmpty())
            line += QStringLiteral("  「") + p.quoted + QStringLiteral("」");
        m_skipped->addItem(line);
    }
    for (const QString &n : std::as_const(unknownNames))
        m_unknown->addItem(n);

    m_summary->setText(tr("将更改 %1 个参数，%2 个参数不变。").arg(diff.changed.size()).arg(diff.unchanged.size()));
    m_unknownTitle->setText(tr("飞控没有的参数（不写入）：%1 个").arg(unknownNames.size()));
    m_skippedTitle->setText(tr("跳过的行：%1 个").arg(m_skipped->count()));
    m_unknownTitle->setVisible(!unknownNames.isEmpty());
    m_unknown->setVisible(!unknownNames.isEmpty());
    m_skippedTitle->setVisible(m_skipped->count() > 0);
    m_skipped->setVisible(m_skipped->count() > 0);
}
