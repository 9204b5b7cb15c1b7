// Fuzz target: the parameter-file parser.
//
// Any byte string is a possible .param file (a user may pick any file). The
// parser must not crash, and what it returns must hold together:
//  - every entry has a valid parameter name and a finite value, and its line
//    number lies inside the file and grows from entry to entry;
//  - diagnostics name lines of the file that are not entries;
//  - the load progress stays within 0..100;
//  - writing the entries back as a file and parsing that gives exactly the
//    same names and values (nothing is silently altered).

#include "params/ParamFileParser.h"
#include "params/ParameterStore.h"
#include "tools/fuzz/FuzzCheck.h"

#include <QByteArray>
#include <QSet>

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzDiscardMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = fuzzBytes(data, size);
    const ParamFileContent content = ParamFileParser::parse(text);

    FUZZ_CHECK(content.totalLines >= 0);
    FUZZ_CHECK(content.totalLines <= static_cast<qsizetype>(size));
    FUZZ_CHECK(content.entries.size() + content.diagnostics.size() <= content.totalLines);

    QSet<int> entryLines;
    int previousLine = 0;
    for (const ParamFileEntry &e : content.entries) {
        FUZZ_CHECK(ParameterStore::isValidName(e.name));
        FUZZ_CHECK(std::isfinite(e.value));
        FUZZ_CHECK(e.line > previousLine && e.line <= content.totalLines);
        previousLine = e.line;
        entryLines.insert(e.line);
    }
    previousLine = 0;
    for (const ParamFileDiagnostic &d : content.diagnostics) {
        FUZZ_CHECK(d.line > previousLine && d.line <= content.totalLines);
        FUZZ_CHECK(!entryLines.contains(d.line));
        FUZZ_CHECK(!d.message.isEmpty());
        previousLine = d.line;
    }

    for (int written = 0; written <= content.entries.size(); ++written) {
        const int p = ParamFileParser::progressPercent(written, content.totalLines);
        FUZZ_CHECK(p >= 0 && p <= 100);
    }

    // Round trip of what was accepted.
    QByteArray again;
    for (const ParamFileEntry &e : content.entries) {
        again += e.name.toLatin1();
        again += ',';
        again += QByteArray::number(static_cast<double>(e.value), 'g', 9);
        again += "\r\n";
    }
    const ParamFileContent reparsed = ParamFileParser::parse(again);
    FUZZ_CHECK(reparsed.diagnostics.isEmpty());
    FUZZ_CHECK(reparsed.entries.size() == content.entries.size());
    for (qsizetype i = 0; i < reparsed.entries.size(); ++i) {
        FUZZ_CHECK(reparsed.entries.at(i).name == content.entries.at(i).name);
        // Equal floats are bit-identical, except that -0 is written as 0.
        FUZZ_CHECK(reparsed.entries.at(i).value == content.entries.at(i).value);
    }
    return 0;
}
