#include "widgets/NLineLabel.h"

#include "widgets/WidgetFonts.h"

#include <QFont>
#include <QLabel>
#include <QVBoxLayout>

NLineLabel::NLineLabel(QWidget *parent)
    : QWidget(parent)
{
    WidgetFonts::installSubstitutions();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    QFont font(QStringLiteral("微软雅黑 Light"), 9);
    font.setWeight(QFont::Bold);

    m_lines.reserve(capacity);
    for (int i = 0; i < capacity; ++i) {
        auto *line = new QLabel(this);
        line->setAlignment(Qt::AlignTop);
        line->setFont(font);
        line->setStyleSheet(QStringLiteral("color:rgb(255,0,0)"));
        layout->addWidget(line);
        m_lines.append(line);
    }
}

NLineLabel::~NLineLabel() = default;

void NLineLabel::addLine(const QString &text)
{
    if (m_lineCount < capacity) {
        m_lines[m_lineCount]->setText(text);
    } else {
        for (int i = 0; i + 1 < capacity; ++i)
            m_lines[i]->setText(m_lines[i + 1]->text());
        m_lines[capacity - 1]->setText(text);
    }
    m_lineCount = qMin(m_lineCount + 1, capacity);
}

void NLineLabel::clearLines()
{
    for (QLabel *line : std::as_const(m_lines))
        line->clear();
    m_lineCount = 0;
}

void NLineLabel::dropOldestLine()
{
    for (int i = 0; i + 1 < capacity; ++i)
        m_lines[i]->setText(m_lines[i + 1]->text());
    m_lines[capacity - 1]->clear();
    m_lineCount = qMax(m_lineCount - 1, 0);
}

QString NLineLabel::lineText(int index) const
{
    if (index < 0 || index >= m_lines.size())
        return QString();
    return m_lines[index]->text();
}
