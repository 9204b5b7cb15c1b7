#pragma once

#include <QFont>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <array>

class QPainter;

// Draws a short number (digits and a minus sign) centred in a rectangle,
// exactly as QPainter::drawText(rect, Qt::AlignCenter, text) draws it, but
// without shaping the text anew at each paint: the glyphs and advances of
// the eleven characters are taken once per font. Used where a number changes
// at every frame (the channel bars). A font whose digits do not simply sit
// side by side (kerning between them, or digits from a fallback font), and
// any other text, is drawn by drawText.
class NumberText
{
public:
    void drawCentred(QPainter &painter, const QRectF &rect, const QString &text);
    // Whether numbers in `font` are drawn from the learned glyphs.
    bool drawsGlyphsFor(const QFont &font);

private:
    // Learns the glyphs of the painter's font; false when it cannot be used.
    bool prepare(const QFont &font);

    static constexpr int kChars = 11; // "0".."9" and "-"
    static int charIndex(QChar c);

    QFont m_font;
    bool m_prepared = false;
    bool m_usable = false;
    QRawFont m_rawFont;
    std::array<quint32, kChars> m_glyphs{};
    std::array<qreal, kChars> m_advances{};
    qreal m_ascent = 0;
    qreal m_lineHeight = 0;
};
