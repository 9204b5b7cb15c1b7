#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

// OutOfRangeMark: says that the value the flight controller holds lies
// outside what a control can be set to (a preset may hold H_COL_MAX 1930
// where the slider ends at 1900).
//
// The page puts the control at its end and the stored value in the number
// beside it (a spin box with its range widened to the value, or a label);
// the mark colours the number and gives the control and the number a tool tip
// naming the value and the adjustable range. The page clears the mark when
// the user moves the control, and from then on the control keeps to its
// range. Nothing here writes.
class OutOfRangeMark
{
    Q_DECLARE_TR_FUNCTIONS(OutOfRangeMark)

public:
    OutOfRangeMark() = default;
    OutOfRangeMark(QWidget *control, QWidget *number, int minimum, int maximum);

    // Marks `stored` when it lies outside minimum..maximum and clears the mark
    // otherwise; returns the value the control can show (held in its range).
    int show(int stored);
    void clear();
    bool isOutside() const { return m_outside; }
    int stored() const { return m_stored; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int bounded(int value) const;
    // The tool tip again in the current language.
    void retranslate();

    // The tool tip of a marked control.
    static QString toolTipText(int stored, int minimum, int maximum);
    static constexpr const char *kNumberStyle = "color: rgb(200, 0, 0);";

private:
    void apply();

    QPointer<QWidget> m_control;
    QPointer<QWidget> m_number;
    int m_minimum = 0;
    int m_maximum = 0;
    int m_stored = 0;
    bool m_outside = false;
    // What the widgets had before the mark.
    QString m_controlTip;
    QString m_numberTip;
    QString m_numberStyle;
};
