#pragma once

#include <QColor>
#include <QPixmap>

class QWidget;

// A plain colour under a widget that is not a full rectangle (a round gauge,
// a bar with rounded ends or a margin): the colour of the panel it lies on.
// With one, the widget paints every pixel of its rectangle and counts as
// opaque, so a new reading repaints the widget alone and not the panels, the
// page and the window beneath it.
class Backdrop
{
public:
    // `layer` (transparent where the widget shows what lies beneath) laid on
    // `colour`, as painting the colour and then the layer would show it;
    // `layer` itself when `colour` is invalid (no backdrop).
    static QPixmap under(const QPixmap &layer, const QColor &colour);

    // Marks `widget` opaque while it has a backdrop. Called at every paint:
    // polishing a widget for a style sheet can take the mark away.
    static void markOpaque(QWidget *widget, const QColor &colour);
};
