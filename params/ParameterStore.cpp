#include "params/ParameterStore.h"

#include <QScopedValueRollback>

#include "params/ParamsLog.h"
#include "params/ValueMaps.h"

ParameterStore::ParameterStore(QObject* parent)
    : QObject(parent)
{
}

const QList<Parameter>& ParameterStore::parameterList() const
{
    return m_list;
}

double ParameterStore::findParameterValue(const QString& name) const
{
    const int i = indexOf(name);
    return i >= 0 ? m_list.at(i).value : -1.0;
}

double ParameterStore::findParameterValue(const QList<Parameter>& list, const QString& name)
{
    for (const Parameter& p : list) {
        if (p.name == name)
            return p.value;
    }
    return -1.0;
}

int ParameterStore::indexOf(const QString& name) const
{
    return m_index.value(name, -1);
}

bool ParameterStore::setParameterValue(const QString& name, double value)
{
    const int i = indexOf(name);
    if (i >= 0) {
        m_list[i].value = value;
        {
            // Listeners move their controls from the confirmed value without
            // writing it back. The flag is restored rather than cleared, so a
            // confirmation arriving in the middle of a file load leaves the
            // load's own flag set.
            QScopedValueRollback<bool> updating(paramUiUpdating, true);
            emit parameterConfirmed(name, value);
        }
        qCDebug(lcParams) << "Parameter" << name << "updated to" << value;
        emit parameterChanged(name, value);
        return true;
    }
    if (!isValidName(name)) {
        qCDebug(lcParams) << "Parameter" << name << "not found (invalid name, ignored)";
        return false;
    }
    m_index.insert(name, int(m_list.size()));
    m_list.append(Parameter{name, value});
    qCDebug(lcParams) << "Parameter" << name << "appended to list, value" << value;
    emit parameterChanged(name, value);
    return true;
}

void ParameterStore::clearParameterValue()
{
    emit aboutToBeCleared();
    m_list.clear();
    m_index.clear();
    emit cleared();
}

void ParameterStore::insertOrUpdate(const Parameter& p)
{
    const int i = indexOf(p.name);
    if (i >= 0)
        m_list[i].value = p.value;
    else {
        m_index.insert(p.name, int(m_list.size()));
        m_list.append(p);
    }
    emit parameterChanged(p.name, p.value);
}

bool ParameterStore::contains(const QString& name) const
{
    return indexOf(name) >= 0;
}

int ParameterStore::size() const
{
    return static_cast<int>(m_list.size());
}

bool ParameterStore::isValidName(const QString& name)
{
    if (name.isEmpty() || name.size() > 16)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9')
                        || u == '_';
        if (!ok)
            return false;
    }
    return true;
}

int ParameterStore::rateRollPitchSliderPosition(double value)
{
    return roundHalfAwayFromZero((value - 0.02) / 0.06 * 100);
}

int ParameterStore::rateYawSliderPosition(double value)
{
    // The divisor is the double difference 0.35 - 0.15 (0.19999999999999998),
    // not 0.2: positions on a .5 boundary round the way the slider expects.
    const double span = 0.35 - 0.15;
    return roundHalfAwayFromZero((value - 0.15) / span * 100);
}

int ParameterStore::brakeAccelSliderPosition(double value)
{
    return roundHalfAwayFromZero((value - 50) / 450 * 100);
}
