#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "params/ParamDiff.h"
#include "params/ParamFileChecker.h"

class QLabel;
class QListWidget;
class QPushButton;

// What a write batch will do, shown before the user says yes: how many
// parameters change, each as "NAME: current -> new" in the order they will be
// written, how many stay as they are, the names the flight controller does
// not have, and the lines of the file that are skipped, each with its reason.
// Everything is visible at once (no details button). Yes (or the accept
// text) accepts; No, Escape or closing rejects, and nothing is written.
class WritePreviewDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WritePreviewDialog(QWidget *parent = nullptr);

    // The question above the list, e.g. a preset's "是否将飞控重置为Alder参数".
    void setQuestion(const QString &question);
    // Shows the comparison and the checker's findings (errors and notes, in
    // file order; unknown names are listed apart from the other lines).
    void setContent(const ParamDiffResult &diff, const QList<ParamCheckProblem> &problems);
    // A line under the counts, e.g. that every line is written, unchanged ones too.
    void setNote(const QString &note);
    // The accepting button's text ("是" by default, "写入", "恢复").
    void setAcceptText(const QString &text);

    // For tests and screenshots.
    QListWidget *changesList() const { return m_changes; }
    QPushButton *acceptButton() const { return m_accept; }
    QPushButton *rejectButton() const { return m_reject; }
    QString summaryText() const;
    QString question() const;

    // "NAME: current -> new" with both values in their shortest form.
    static QString changeLine(const ParamChange &change);
    // The note of a preset or a file load, which write every valid line.
    static QString allLinesNote(int lines);
    // The reason of a skipped line in the interface's language.
    static QString reasonText(const ParamCheckProblem &problem);

private:
    QLabel *m_question;
    QLabel *m_summary;
    QLabel *m_note;
    QListWidget *m_changes;
    QLabel *m_unknownTitle;
    QListWidget *m_unknown;
    QLabel *m_skippedTitle;
    QListWidget *m_skipped;
    QPushButton *m_accept;
    QPushButton *m_reject;
};
