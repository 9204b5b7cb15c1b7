#include "LayoutChecks.h"

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

namespace {

QString describe(const QWidget *w)
{
    return QStringLiteral("%1 (%2) %3x%4").arg(w->objectName(), QString::fromLatin1(w->metaObject()->className()))
        .arg(w->width()).arg(w->height());
}

void checkText(const QWidget *w, QStringList &faults)
{
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty())
            return;
        if (label->wordWrap()) {
            const int need = label->heightForWidth(label->width());
            if (need > label->height())
                faults << QStringLiteral("%1: wrapped text \"%2\" needs %3 px height")
                              .arg(describe(w), label->text()).arg(need);
            return;
        }
        const QSize hint = label->sizeHint();
        if (hint.width() > label->width() || hint.height() > label->height())
            faults << QStringLiteral("%1: text \"%2\" needs %3x%4").arg(describe(w), label->text())
                          .arg(hint.width()).arg(hint.height());
        return;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        if (button->text().isEmpty())
            return;
        const QSize hint = button->sizeHint();
        if (hint.width() > button->width() || hint.height() > button->height())
            faults << QStringLiteral("%1: text \"%2\" needs %3x%4").arg(describe(w), button->text())
                          .arg(hint.width()).arg(hint.height());
    }
}

} // namespace

QStringList layoutFaults(const QWidget *root)
{
    QStringList faults;
    const auto widgets = root->findChildren<QWidget *>();
    for (const QWidget *w : widgets) {
        if (!w->isVisible() || w->isWindow())
            continue;
        checkText(w, faults);
        const QWidget *parent = w->parentWidget();
        if (!parent->rect().contains(w->geometry()))
            faults << QStringLiteral("%1 at (%2,%3) sticks out of %4").arg(describe(w)).arg(w->x()).arg(w->y())
                          .arg(describe(parent));
        for (const QObject *o : parent->children()) {
            const auto *sibling = qobject_cast<const QWidget *>(o);
            if (!sibling || sibling == w || !sibling->isVisible() || sibling->isWindow())
                continue;
            // Each pair once.
            if (parent->children().indexOf(const_cast<QWidget *>(sibling))
                < parent->children().indexOf(const_cast<QWidget *>(w)))
                continue;
            if (w->geometry().intersects(sibling->geometry()))
                faults << QStringLiteral("%1 overlaps %2").arg(describe(w), describe(sibling));
        }
    }
    return faults;
}
