#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One parameter line of a parameter file.
struct ParamFileEntry
{
    QString name;
    float value = 0.0f;
    int line = 0; // 1-based
};

// One skipped line and why ("Invalid line format: a,b,c").
struct ParamFileDiagnostic
{
    int line = 0; // 1-based
    QString message;
};

struct ParamFileContent
{
    QList<ParamFileEntry> entries;           // in file order: the order of the writes
    QList<ParamFileDiagnostic> diagnostics;  // in file order
    int totalLines = 0;                      // every line: blank, comment and invalid ones too
};

// Result of reading a file or a ":/param/..." resource.
struct ParamFileReadResult
{
    bool ok = false;
    QString error; // "Error opening file: <system error text>" when !ok
    ParamFileContent content;
};

// Parameter files: UTF-8 text (a leading byte-order mark is skipped), lines
// ending in CR LF or LF, one "name,value" per line. Each line is trimmed;
// blank lines and lines starting with "#" are skipped. Other lines must split
// at "," into exactly two fields, else "Invalid line format: <line>". The
// trimmed name must be a parameter name (1-16 letters, digits, underscores),
// else "Invalid name: <line>". The trimmed value must be entirely a number in
// C-locale syntax ("." decimal point, optional sign and exponent) that fits a
// finite float, else "Invalid value: <line>". Skipped lines are never written.
class ParamFileParser
{
public:
    static ParamFileContent parse(const QByteArray& text);

    // Reads a file path or a resource path and parses it. Logs every
    // diagnostic and an opening failure.
    static ParamFileReadResult readFile(const QString& path);

    // Progress of a file load after `written` writes: written / totalLines
    // x 100 in single precision, truncated; 0 for an empty file. Stays below
    // 100 when blank, comment or invalid lines are counted in totalLines.
    static int progressPercent(int written, int totalLines);

    // Files larger than this are refused as unreadable.
    static constexpr qint64 maxFileSize = 4 * 1024 * 1024;
};
