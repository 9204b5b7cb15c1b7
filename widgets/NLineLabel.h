#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class QLabel;

// A fixed stack of red text lines used as a short scrolling message list:
// new lines fill from the top; when full, the oldest scrolls off.
class NLineLabel : public QWidget
{
    Q_OBJECT

public:
    static constexpr int capacity = 8;

    explicit NLineLabel(QWidget *parent = nullptr);
    ~NLineLabel() override;

    // Appends a line; on a full label every line moves up one first.
    void addLine(const QString &text);
    // Empties every line.
    void clearLines();
    // Moves every line up one and empties the last (even if fewer are in use).
    void dropOldestLine();
    // Lines in use, 0..capacity.
    int lineCount() const { return m_lineCount; }
    // Text of line index (0 = top); empty for an index out of range.
    QString lineText(int index) const;

private:
    QVector<QLabel *> m_lines;
    int m_lineCount = 0;
};
