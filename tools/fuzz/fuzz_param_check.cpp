// Fuzz target: the parameter-file checker every writing flow shares.
//
// Any byte string is a possible file. The checker must not crash, and what it
// returns must hold together:
//  - a file in a foreign encoding gets its one sentence and nothing else;
//  - every writable entry has a valid name and a finite value, each name
//    once, in file order, on a line that carries no error;
//  - quotes are short and hold no control character, so no message can
//    hurt a terminal; the listing stops after 20 problems;
//  - the names given as the flight controller's only narrow what is writable;
//  - writing the writable entries back in their shortest form and checking
//    that gives a clean file with bit-identical values (denormals and -0
//    included): what passes the check is written exactly.

#include "params/ParamFileChecker.h"
#include "params/ParameterStore.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QSet>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

bool harmless(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u <= 0x9f) || u == 0x202e)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzDiscardMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzBytes(data, size);
    const ParamCheckResult r = ParamFileChecker::check(text, nullptr);

    if (!r.readable) {
        FUZZ_CHECK(r.wrongEncoding);
        FUZZ_CHECK(!r.encodingName.isEmpty() && r.fileError.contains(QLatin1String("UTF-8")));
        FUZZ_CHECK(r.problems.isEmpty() && r.writable.isEmpty());
        FUZZ_CHECK(!r.clean());
        return 0;
    }
    FUZZ_CHECK(r.totalLines >= 0 && r.totalLines <= qsizetype(size));
    FUZZ_CHECK(r.clean() == (r.errorCount() == 0));

    QSet<int> errorLines;
    int previous = 0;
    for (const ParamCheckProblem &p : r.problems) {
        FUZZ_CHECK(p.line >= previous && p.line >= 1 && p.line <= r.totalLines);
        previous = p.line;
        FUZZ_CHECK(p.quoted.size() <= 40 * 6 + 3);
        const QString line = p.describe();
        FUZZ_CHECK(harmless(line));
        FUZZ_CHECK(line.size() < 700);
        if (p.kind == ParamCheckProblem::DuplicateDiffers || p.kind == ParamCheckProblem::DuplicateSame)
            FUZZ_CHECK(p.otherLine >= 1 && p.otherLine < p.line);
        if (p.isError())
            errorLines.insert(p.line);
    }
    const QStringList shown = r.describeProblems(20);
    FUZZ_CHECK(shown.size() <= 21);
    FUZZ_CHECK(shown.size() == qMin<qsizetype>(r.problems.size(), 20) + (r.problems.size() > 20 ? 1 : 0));

    QSet<QString> names;
    previous = 0;
    for (const ParamFileEntry &e : r.writable) {
        FUZZ_CHECK(ParameterStore::isValidName(e.name));
        FUZZ_CHECK(std::isfinite(e.value));
        FUZZ_CHECK(!names.contains(e.name));
        FUZZ_CHECK(e.line > previous && e.line <= r.totalLines);
        FUZZ_CHECK(!errorLines.contains(e.line));
        previous = e.line;
        names.insert(e.name);
    }

    // Every other name known: the writable ones among them stay, the others go.
    QSet<QString> known;
    int i = 0;
    for (const ParamFileEntry &e : r.writable)
        if (i++ % 2 == 0)
            known.insert(e.name);
    const ParamCheckResult narrowed = ParamFileChecker::check(text, &known);
    for (const ParamFileEntry &e : narrowed.writable)
        FUZZ_CHECK(known.contains(e.name));
    FUZZ_CHECK(narrowed.writable.size() <= known.size());

    // Round trip of what was accepted, in the shortest form snapshots use.
    QByteArray again;
    for (const ParamFileEntry &e : r.writable) {
        char buf[64];
        const auto end = std::to_chars(buf, buf + sizeof buf, e.value).ptr;
        again += e.name.toLatin1() + ',' + QByteArray(buf, int(end - buf)) + '\n';
    }
    const ParamCheckResult back = ParamFileChecker::check(again, nullptr);
    FUZZ_CHECK(back.clean() && back.problems.isEmpty());
    FUZZ_CHECK(back.writable.size() == r.writable.size());
    for (qsizetype k = 0; k < back.writable.size(); ++k) {
        FUZZ_CHECK(back.writable[k].name == r.writable[k].name);
        FUZZ_CHECK(std::memcmp(&back.writable[k].value, &r.writable[k].value, sizeof(float)) == 0);
    }
    return 0;
}
