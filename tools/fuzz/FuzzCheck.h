#pragma once
// A property check inside a fuzz target: a violated property is a finding, so
// it aborts with the reason (libFuzzer then saves the input as a crash case).
// Also what every target does alike: silence the program's log, and take the
// input as bytes.

#include <QByteArray>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                  \
    do {                                                                                  \
        if (!(cond)) {                                                                    \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__,   \
                         #cond);                                                          \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

// The program's diagnostics would drown the fuzzer's own output.
inline void fuzzDiscardMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

// The input as a byte array, not NUL-terminated on purpose: a read past the
// end is a finding.
inline QByteArray fuzzBytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}
