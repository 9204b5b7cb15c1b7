#include "widgets/Backdrop.h"

#include <QPainter>
#include <QWidget>

QPixmap Backdrop::under(const QPixmap &layer, const QColor &colour)
{
    if (!colour.isValid())
        return layer;
    QPixmap composed(layer.size());
    composed.setDevicePixelRatio(layer.devicePixelRatio());
    composed.fill(colour);
    QPainter painter(&composed);
    painter.drawPixmap(0, 0, layer);
    return composed;
}

void Backdrop::markOpaque(QWidget *widget, const QColor &colour)
{
    if (colour.isValid() && !widget->testAttribute(Qt::WA_OpaquePaintEvent))
        widget->setAttribute(Qt::WA_OpaquePaintEvent);
}
