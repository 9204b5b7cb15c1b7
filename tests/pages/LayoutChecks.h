#pragma once

#include <QStringList>

class QWidget;

// Layout faults of a laid-out, shown widget tree, one line per fault:
// a text that does not fit its widget (labels, buttons, check boxes), a child
// that sticks out of its parent, or a child that overlaps a visible sibling.
QStringList layoutFaults(const QWidget *root);
