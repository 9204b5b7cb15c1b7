#include "widgets/NumberText.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QVarLengthArray>

#include <cmath>

namespace {

const QString kCharacters = QStringLiteral("0123456789-");

// Where text drawn at `v` starts: the text engine keeps positions in 1/64
// pixel and cuts off finer parts.
qreal onTextGrid(qreal v)
{
    return std::trunc(v * 64.0) / 64.0;
}

} // namespace

int NumberText::charIndex(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    return c == QLatin1Char('-') ? 10 : -1;
}

bool NumberText::prepare(const QFont &font)
{
    m_font = font;
    m_prepared = true;
    m_usable = false;
    // Every ordered pair of the characters, shaped as one text: each
    // character must come out as the same glyph, moving the next one on by
    // the same advance wherever it stands.
    QString sample;
    for (QChar a : kCharacters) {
        for (QChar b : kCharacters) {
            sample += a;
            sample += b;
        }
    }
    sample += kCharacters.front();
    QTextLayout layout(sample, font);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(0x01000000);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1)
        return false;
    const QList<quint32> glyphs = runs.front().glyphIndexes();
    const QList<QPointF> positions = runs.front().positions();
    if (glyphs.size() != sample.size() || positions.size() != sample.size() || positions.front().x() != 0)
        return false;
    std::array<bool, kChars> seen{};
    for (qsizetype i = 0; i + 1 < sample.size(); ++i) {
        const int c = charIndex(sample.at(i));
        const qreal advance = positions.at(i + 1).x() - positions.at(i).x();
        if (positions.at(i).y() != positions.front().y())
            return false;
        if (!seen[size_t(c)]) {
            seen[size_t(c)] = true;
            m_glyphs[size_t(c)] = glyphs.at(i);
            m_advances[size_t(c)] = advance;
        } else if (m_glyphs[size_t(c)] != glyphs.at(i) || m_advances[size_t(c)] != advance) {
            return false;
        }
    }
    m_rawFont = runs.front().rawFont();
    m_ascent = line.ascent();
    m_lineHeight = line.ascent() + line.descent();
    m_usable = positions.front().y() == m_ascent;
    return m_usable;
}

bool NumberText::drawsGlyphsFor(const QFont &font)
{
    if (!m_prepared || font != m_font)
        prepare(font);
    return m_usable;
}

void NumberText::drawCentred(QPainter &painter, const QRectF &rect, const QString &text)
{
    bool digitsOnly = drawsGlyphsFor(painter.font()) && !text.isEmpty() && text.size() <= 16;
    for (QChar c : text)
        digitsOnly = digitsOnly && charIndex(c) >= 0;
    if (!digitsOnly) {
        painter.drawText(rect, Qt::AlignCenter, text);
        return;
    }
    // drawText's arithmetic: the line centred by its advance and its height
    // (ascent and descent), its glyphs on the baseline one ascent below.
    qreal width = 0;
    for (QChar c : text)
        width += m_advances[size_t(charIndex(c))];
    const qreal x = onTextGrid(rect.x() + (rect.width() - width) / 2);
    const qreal y = onTextGrid(rect.y() + (rect.height() - m_lineHeight) / 2) + m_ascent;
    QVarLengthArray<quint32, 16> glyphs;
    QVarLengthArray<QPointF, 16> positions;
    qreal advance = 0;
    for (QChar c : text) {
        const int i = charIndex(c);
        glyphs.append(m_glyphs[size_t(i)]);
        positions.append(QPointF(x + advance, y));
        advance += m_advances[size_t(i)];
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setRawData(glyphs.constData(), positions.constData(), int(glyphs.size()));
    painter.drawGlyphRun(QPointF(0, 0), run);
}
