#include "params/ParamDiff.h"

#include <QHash>

#include <cmath>

bool ParamDiff::sameValue(double current, double wanted)
{
    if (std::isnan(current) || std::isnan(wanted))
        return false;
    if (current == wanted)
        return true;
    return std::fabs(current - wanted) <= kRelativeTolerance * std::fabs(wanted);
}

ParamDiffResult ParamDiff::compare(const QList<Parameter>& table, const QList<ParamFileEntry>& wanted)
{
    QHash<QString, double> values;
    values.reserve(table.size());
    for (const Parameter& p : table)
        values.insert(p.name, p.value);

    ParamDiffResult result;
    for (const ParamFileEntry& e : wanted) {
        const auto it = values.constFind(e.name);
        if (it == values.cend()) {
            result.unknown.append(e);
            continue;
        }
        const ParamChange change{e.name, *it, double(e.value), e.line};
        if (sameValue(*it, double(e.value)))
            result.unchanged.append(change);
        else
            result.changed.append(change);
    }
    return result;
}
