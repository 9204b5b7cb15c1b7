#pragma once
// ParamNameForm: which form, plain or encoded, one flight controller uses for
// the names of its parameters, learnt per connection.
//
// A flight controller sends all its names in one form: plain, or encoded
// (even byte positions +3, odd positions -2, value x 12). Many names are
// valid in only one of the two forms, and the first such message settles the
// form of the connection: a plain "fw_version" (the decoded form has '\' and
// other non-name bytes), or any encoded name with an underscore at an odd
// position (its encoded byte, ']', is no name character). Some names read as
// valid names both ways (plain "FLTMODE1" decodes to "CNQOLFB3", plain
// "RC3_MIN" to "OE0aJKK"; the encoded "fw_version", "iubthpvgrl", is itself
// such a name): they are read in the settled form.
//
// While the form is not known yet, such ambiguous messages are held by the
// worker (hold()) and handed back by takeHeld() as soon as the form is known,
// or at the latest when the download finishes; choose() then applies the
// settled form, or, with none, the old rule (ParamTransfer::decode: the
// decoded form when it is valid). forget() when the port closes.

#include "link/MavlinkMessages.h"
#include "link/ParamTransfer.h"

#include <QList>

#include <cstdint>

class ParamNameForm
{
public:
    enum class Form { Unknown, Plain, Encoded };

    // A message held back while the form was not known, with the download's
    // count of received parameters at its arrival.
    struct Held
    {
        mavlink_param_value_t message{};
        uint32_t received = 0;
    };

    // The form one message proves: Plain when only its name as sent is
    // valid, Encoded when only its decoded name is, Unknown otherwise (both
    // valid, or neither).
    static Form evidence(const mavlink_param_value_t &message);

    Form form() const { return m_form; }
    // Learns from one message; true when it settled the form just now.
    bool learn(const mavlink_param_value_t &message);
    // True when the message's reading depends on the form and the form is not
    // known yet.
    bool undecided(const mavlink_param_value_t &message) const;
    // The name and value of a message in the settled form; with no form
    // settled, or when the message's name is valid only in the other form,
    // the old rule.
    ParamTransfer::Decoded choose(const mavlink_param_value_t &message) const;

    void hold(const mavlink_param_value_t &message, uint32_t received);
    QList<Held> takeHeld();
    int heldCount() const { return int(m_held.size()); }
    // A new download: earlier held messages are dropped, the form is kept.
    void dropHeld() { m_held.clear(); }
    // The port closed: the next connection may be another flight controller.
    void forget();

private:
    struct Validity
    {
        bool raw = false;
        bool decoded = false;
    };
    static Validity validity(const mavlink_param_value_t &message);

    Form m_form = Form::Unknown;
    QList<Held> m_held;
};
