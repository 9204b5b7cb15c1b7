#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The flight controller's status texts that the user gets to see, as data.
//
// The flight controller sends short English status texts (STATUSTEXT), among
// them its pre-arm and calibration complaints. Eleven of them are recognised
// and replaced by a message for the user, in the user's language; all other
// texts, and every text of a severity below "critical", only go to the log.
//
// The window hands every received text to userLine() and adds what it returns
// to the warning strip, one line per call (the same message arriving twice is
// shown twice).
class StatusTextTable
{
public:
    struct Row
    {
        const char *pattern; // contained in the text, compared case-sensitively
        const char *message; // source text of the message (translation context "StatusTextTable")
    };

    static constexpr int kRowCount = 11;
    // Severities 0 (emergency), 1 (alert) and 2 (critical) are shown.
    static constexpr uint8_t kLowestShownSeverity = 2;

    // The rows in the order they are tried; the first match wins.
    static const std::array<Row, kRowCount> &rows();

    // Index of the first row whose pattern occurs in `text`, -1 for none.
    static int matchRow(const QString &text);

    // Logs "err_msg:" with the text and the severity, then returns the
    // translated message for the warning strip, or nothing when the severity
    // is 3 (error) or higher or no row matches.
    static std::optional<QString> userLine(const QString &text, uint8_t severity);
};
