#include "link/ParamNameForm.h"

ParamNameForm::Validity ParamNameForm::validity(const mavlink_param_value_t &message)
{
    char raw[ParamTransfer::kNameLength + 1];
    char decoded[ParamTransfer::kNameLength + 1];
    ParamTransfer::readNames(message, raw, decoded);
    return {ParamTransfer::isValidName(raw), ParamTransfer::isValidName(decoded)};
}

ParamNameForm::Form ParamNameForm::evidence(const mavlink_param_value_t &message)
{
    const Validity v = validity(message);
    if (v.raw && !v.decoded)
        return Form::Plain;
    if (v.decoded && !v.raw)
        return Form::Encoded;
    return Form::Unknown;
}

bool ParamNameForm::learn(const mavlink_param_value_t &message)
{
    if (m_form != Form::Unknown)
        return false;
    m_form = evidence(message);
    return m_form != Form::Unknown;
}

bool ParamNameForm::undecided(const mavlink_param_value_t &message) const
{
    if (m_form != Form::Unknown)
        return false;
    const Validity v = validity(message);
    return v.raw && v.decoded;
}

ParamTransfer::Decoded ParamNameForm::choose(const mavlink_param_value_t &message) const
{
    ParamTransfer::Decoded d = ParamTransfer::decode(message);   // the old rule: decoded first
    if (m_form == Form::Plain && d.rawValid) {
        d.name = d.rawName;
        d.value = d.rawValue;
        d.valid = true;
    }
    return d;
}

void ParamNameForm::hold(const mavlink_param_value_t &message, uint32_t received)
{
    m_held.append(Held{message, received});
}

QList<ParamNameForm::Held> ParamNameForm::takeHeld()
{
    QList<Held> held;
    held.swap(m_held);
    return held;
}

void ParamNameForm::forget()
{
    m_form = Form::Unknown;
    m_held.clear();
}
