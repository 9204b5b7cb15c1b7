// Fuzz target: the snapshot reader.
//
// A snapshot is a file on the user's disk: damaged, cut short, edited by hand
// or not a snapshot at all. The reader must not crash, and what it accepts
// must be exactly what a restore may write:
//  - a readable snapshot holds as many parameters as its header announces,
//    each with a valid name, once, and a finite value; only a readable and
//    complete one is restorable;
//  - the file checker every writing flow uses reads the same names with
//    bit-identical values (where the checker accepts the file at all), so
//    the preview and the restore cannot disagree about a value;
//  - writing the parameters in the store's format and reading that back
//    gives a readable snapshot with bit-identical values.

#include "params/ParamFileChecker.h"
#include "params/ParameterStore.h"
#include "params/SnapshotStore.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

bool sameBits(double a, float b)
{
    const float fa = float(a);
    return std::memcmp(&fa, &b, sizeof b) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzDiscardMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    const SnapshotData d = SnapshotStore::parse(text, QStringLiteral("fuzz.param"));
    const SnapshotInfo &info = d.info;

    FUZZ_CHECK(!info.restorable() || (info.readable && info.complete));
    if (!info.readable) {
        FUZZ_CHECK(!info.problem.isEmpty());
        FUZZ_CHECK(d.parameters.isEmpty());
        return 0;
    }
    FUZZ_CHECK(info.count == d.parameters.size());
    QSet<QString> names;
    for (const Parameter &p : d.parameters) {
        FUZZ_CHECK(ParameterStore::isValidName(p.name));
        FUZZ_CHECK(std::isfinite(p.value));
        FUZZ_CHECK(double(float(p.value)) == p.value);   // a 32-bit value, exactly
        FUZZ_CHECK(!names.contains(p.name));
        names.insert(p.name);
    }
    const QList<ParamFileEntry> entries = d.entries();
    FUZZ_CHECK(entries.size() == d.parameters.size());

    // The checker reads the same file the same way.
    const ParamCheckResult check = ParamFileChecker::check(text, nullptr);
    if (check.readable) {
        QHash<QString, double> byName;
        for (const Parameter &p : d.parameters)
            byName.insert(p.name, p.value);
        for (const ParamFileEntry &e : check.writable) {
            const auto it = byName.constFind(e.name);
            FUZZ_CHECK(it != byName.cend());
            FUZZ_CHECK(sameBits(*it, e.value));
        }
        if (check.clean()) {
            FUZZ_CHECK(check.writable.size() == d.parameters.size());
            for (qsizetype i = 0; i < check.writable.size(); ++i)
                FUZZ_CHECK(check.writable[i].name == d.parameters[i].name);
        }
    }

    // Round trip through the store's own format.
    SnapshotSource source;
    source.port = info.port;
    source.serialNumber = info.serialNumber;
    source.complete = info.complete;
    const QByteArray again = SnapshotStore::format(source, d.parameters, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    const SnapshotData back = SnapshotStore::parse(again);
    FUZZ_CHECK(back.info.readable);
    FUZZ_CHECK(back.info.complete == info.complete);
    FUZZ_CHECK(SnapshotStore::sameParameters(back.parameters, d.parameters));
    return 0;
}
