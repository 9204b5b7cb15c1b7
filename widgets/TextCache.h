#pragma once

#include <QFont>
#include <QHash>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <vector>

class QPainter;

// Draws single-line texts exactly as QPainter::drawText(rect, flags, text)
// draws them, keeping each text laid out (shaped) after its first use, so a
// gauge that draws the same few texts ten times a second does not shape them
// again at each paint. Up to `capacity` texts are kept, the texts of each of a
// gauge's few fonts are kept apart; beyond that it starts afresh. Flags other than centring, top and left alignment, and
// texts with line breaks, tabs or mnemonics, or a painter drawing right to
// left, take drawText's way.
class TextCache
{
public:
    explicit TextCache(int capacity = 64);
    ~TextCache();

    void draw(QPainter &painter, const QRectF &rect, int flags, const QString &text);
    // Lays `text` out for the painter's font as draw would, without drawing.
    void prepare(QPainter &painter, const QString &text);

private:
    QTextLayout *layoutFor(QPainter &painter, const QString &text);

    // The texts of one font, as drawn in one direction.
    struct FontTexts
    {
        QFont font;
        Qt::LayoutDirection direction;
        QHash<QString, std::shared_ptr<QTextLayout>> layouts;
    };
    int m_capacity;
    int m_count = 0;
    std::vector<FontTexts> m_fonts;
};
