#include "pages/OutOfRangeMark.h"

#include <algorithm>

OutOfRangeMark::OutOfRangeMark(QWidget *control, QWidget *number, int minimum, int maximum)
    : m_control(control), m_number(number), m_minimum(minimum), m_maximum(maximum)
{
}

int OutOfRangeMark::bounded(int value) const
{
    return std::clamp(value, m_minimum, m_maximum);
}

QString OutOfRangeMark::toolTipText(int stored, int minimum, int maximum)
{
    return tr("飞控中的值 %1 超出可调范围 %2 – %3").arg(stored).arg(minimum).arg(maximum);
}

int OutOfRangeMark::show(int stored)
{
    const int shown = bounded(stored);
    if (shown == stored) {
        clear();
        return shown;
    }
    if (!m_outside) {
        if (m_control)
            m_controlTip = m_control->toolTip();
        if (m_number) {
            m_numberTip = m_number->toolTip();
            m_numberStyle = m_number->styleSheet();
        }
    }
    m_outside = true;
    m_stored = stored;
    apply();
    return shown;
}

void OutOfRangeMark::clear()
{
    if (!m_outside)
        return;
    m_outside = false;
    if (m_control)
        m_control->setToolTip(m_controlTip);
    if (m_number) {
        m_number->setToolTip(m_numberTip);
        m_number->setStyleSheet(m_numberStyle);
    }
}

void OutOfRangeMark::retranslate()
{
    if (m_outside)
        apply();
}

void OutOfRangeMark::apply()
{
    const QString tip = toolTipText(m_stored, m_minimum, m_maximum);
    if (m_control)
        m_control->setToolTip(tip);
    if (m_number) {
        m_number->setToolTip(tip);
        if (m_number->styleSheet() != QLatin1String(kNumberStyle))
            m_number->setStyleSheet(QString::fromLatin1(kNumberStyle));
    }
}
