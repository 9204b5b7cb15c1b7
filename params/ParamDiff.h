#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "params/ParamFileParser.h"
#include "params/Parameter.h"

// One parameter whose wanted value differs from (or equals) the current one.
struct ParamChange
{
    QString name;
    double current = 0.0;   // the table's value
    double wanted = 0.0;    // the file's, snapshot's or preset's value
    int line = 0;           // 1-based line of the wanted value, 0 when it has none
};

// How a list of wanted values relates to the flight controller's table.
struct ParamDiffResult
{
    QList<ParamChange> changed;    // in the order of the wanted list
    QList<ParamChange> unchanged;  // equal within the write tolerance
    QList<ParamFileEntry> unknown; // names the table does not have, in order
};

// The one rule for "what counts as changed", used by the write preview, the
// restore, the comparison column and `tavro-cli diff`: a wanted value is
// unchanged when it equals the current one within a relative 1e-5 of the
// wanted value (the tolerance the write confirmation uses for a float), with
// no integer rounding.
class ParamDiff
{
public:
    static constexpr double kRelativeTolerance = 1e-5;

    // True when `current` counts as equal to `wanted`. NaN is never equal;
    // 0 and -0 are equal.
    static bool sameValue(double current, double wanted);

    // Compares every wanted entry with the table (names case-sensitive).
    static ParamDiffResult compare(const QList<Parameter>& table, const QList<ParamFileEntry>& wanted);
};
