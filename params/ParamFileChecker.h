#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include "params/ParamFileParser.h"

// One finding of the file checker, tied to a line of the file.
struct ParamCheckProblem
{
    enum Kind {
        BadFormat,        // not "NAME,VALUE"
        BadName,          // not 1-16 letters, digits, underscores
        BadValue,         // not a number in C-locale syntax
        ValueNotFloat,    // a number a 32-bit float cannot hold within the write tolerance
        UnknownName,      // the flight controller has no parameter of that name
        DuplicateDiffers, // the name came earlier with another value (error)
        DuplicateSame,    // the name came earlier with the same value (a note, not an error)
    };
    // What exactly is wrong, where the kind alone does not say it.
    enum Reason {
        NoReason,
        CommentAfterValue, // BadFormat: "NAME,VALUE # ..."
        NulByte,           // BadFormat
        NotUtf8,           // BadFormat
        TooSmall,          // ValueNotFloat: it would be written as 0
        TooLarge,          // ValueNotFloat: beyond the largest float
    };
    Kind kind = BadFormat;
    Reason reason = NoReason;
    int line = 0;          // 1-based
    int otherLine = 0;     // duplicates: the earlier line of the same name
    QString name;          // the parameter name where one could be read
    QString quoted;        // at most 40 characters of the line, control bytes escaped
    QString value;         // ValueNotFloat: the value as written (quoted); duplicates: this line's value
    QString otherValue;    // duplicates: the earlier line's value
    QString detail;        // what exactly is wrong, in English, when the kind alone does not say it
    bool isError() const { return kind != DuplicateSame; }
    // One English line for the log and tavro-cli: "line 12: unknown parameter: X".
    QString describe() const;
    // The same line in the interface's language (Chinese source text,
    // context "ParamFileChecker"), for the window.
    QString text() const;
};

// The outcome of checking a whole parameter file before anything is written.
struct ParamCheckResult
{
    bool readable = false;          // false: the file could not be read at all (see fileError)
    QString fileError;              // why not (cannot open, too large, wrong encoding)
    bool wrongEncoding = false;     // UTF-16/UTF-32 byte-order mark, or NUL bytes in the first line
    QString encodingName;           // "UTF-16 LE", ... when wrongEncoding
    QList<ParamFileEntry> writable; // valid lines in file order, each name once
    QList<ParamCheckProblem> problems; // errors and notes in file order
    int totalLines = 0;

    int errorCount() const;
    // Readable and not a single error (notes allowed): safe to apply exactly as written.
    bool clean() const { return readable && errorCount() == 0; }
    // The problems as lines for a terminal or the log: at most `limit`
    // (notes included, in file order), then "... and N more".
    QStringList describeProblems(int limit = 20) const;
    // The same in the interface's language, and the foreign-encoding
    // sentence in it (empty when the encoding is right).
    QStringList problemTexts(int limit = 20) const;
    QString encodingText() const;
};

// The one checker of parameter files for every flow that writes a file
// (presets, the window's Load, restore, tavro-cli load/restore). It reports
// every problem at once, before the first write.
//
// Lines: UTF-8 (a leading byte-order mark is skipped), ending in LF or CR LF,
// trimmed; blank lines and lines starting with "#" are skipped; every other
// line is "NAME,VALUE" with a parameter name and a number in C-locale syntax.
//
// Values: a value passes when the 32-bit float it becomes is within a
// relative 1e-5 of it (the write confirmation's tolerance). Below the
// smallest normal float (about 1.2e-38) a float's steps are a fixed 1.4e-45
// apart, so relative precision fades to nothing: there a value passes when
// it becomes a nonzero float of the same sign within one such step. So every
// denormal float, written in its shortest form (as snapshots write "1e-45"),
// reads back bit-exact, while a value that would arrive as 0 (1e-50) is
// refused. Zero and -0 pass.
class ParamFileChecker
{
public:
    // `knownNames`: the flight controller's parameter names; null skips the
    // unknown-name check (no table yet).
    static ParamCheckResult check(const QByteArray& text, const QSet<QString>* knownNames);
    static ParamCheckResult checkFile(const QString& path, const QSet<QString>* knownNames);

    // At most `maxChars` characters of `raw`, with control bytes and invalid
    // UTF-8 escaped ("\x1b", "\0") and "..." when cut.
    static QString quote(QByteArrayView raw, int maxChars = 40);

    // Converts a number read from a file to the float that would be written.
    // False (with the reason in `why`) when a 32-bit float cannot hold it
    // within the write tolerance.
    static bool toFloat(double value, float* out, QString* why = nullptr);
};
