#include "widgets/TextCache.h"

#include <QPainter>
#include <QTextLine>
#include <QTextOption>

#include <cmath>

TextCache::TextCache(int capacity)
    : m_capacity(capacity)
{
}

TextCache::~TextCache() = default;

QTextLayout *TextCache::layoutFor(QPainter &painter, const QString &text)
{
    const QFont &font = painter.font();
    const Qt::LayoutDirection direction = painter.layoutDirection();
    FontTexts *texts = nullptr;
    for (FontTexts &candidate : m_fonts) {
        if (candidate.direction == direction && candidate.font == font) {
            texts = &candidate;
            break;
        }
    }
    if (texts) {
        if (const auto it = texts->layouts.constFind(text); it != texts->layouts.constEnd())
            return it->get();
    }
    if (m_count >= m_capacity || (!texts && m_fonts.size() >= 4)) {
        m_fonts.clear();
        m_count = 0;
        texts = nullptr;
    }
    if (!texts) {
        m_fonts.push_back(FontTexts{font, direction, {}});
        texts = &m_fonts.back();
    }
    // Laid out as drawText lays out a text it does not wrap: left aligned
    // (the alignment is its own arithmetic), in the painter's direction, on
    // one line of unlimited width.
    auto layout = std::make_shared<QTextLayout>(text, font);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    QTextLine line = layout->createLine();
    line.setLineWidth(0x01000000);
    line.setPosition(QPointF(0, 0));
    const bool oneLine = !layout->createLine().isValid();
    layout->endLayout();
    if (!oneLine)
        return nullptr;
    texts->layouts.insert(text, layout);
    ++m_count;
    return layout.get();
}

void TextCache::prepare(QPainter &painter, const QString &text)
{
    layoutFor(painter, text);
}

void TextCache::draw(QPainter &painter, const QRectF &rect, int flags, const QString &text)
{
    const int handled = Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignTop | Qt::AlignVCenter;
    bool plain = (flags & ~handled) == 0 && !text.isEmpty() && painter.pen().style() != Qt::NoPen
        && painter.layoutDirection() != Qt::RightToLeft;
    for (QChar c : text)
        plain = plain && c != u'\n' && c != u'\r' && c != u'\t' && c != u'&' && c != u'\x9c';
    QTextLayout *layout = plain ? layoutFor(painter, text) : nullptr;
    if (!layout) {
        painter.drawText(rect, flags, text);
        return;
    }
    // drawText's arithmetic for one line: its height is ascent and descent,
    // centred or at the top; its width is its natural width, centred or at
    // the left; what would stick out of the rectangle is clipped to it.
    const QTextLine line = layout->lineAt(0);
    const qreal height = line.ascent() + line.descent();
    const qreal width = line.naturalTextWidth();
    const qreal yoff = (flags & Qt::AlignVCenter) ? (rect.height() - height) / 2 : 0;
    const qreal xoff = (flags & Qt::AlignHCenter) ? (rect.width() - width) / 2 : 0;
    const bool clip = !rect.contains(QRectF(rect.x() + xoff, rect.y() + yoff, width, height));
    if (clip) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
    }
    const qreal lineXoff = (flags & Qt::AlignHCenter) ? (rect.width() - line.horizontalAdvance()) / 2 : 0;
    line.draw(&painter, QPointF(rect.x() + lineXoff, rect.y() + yoff));
    if (clip)
        painter.restore();
}
