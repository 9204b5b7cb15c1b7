#include "params/ParamFileChecker.h"

#include <QFile>

// First version: the parser's rules only. The full checker (names, float
// range, duplicates, encodings, quoting) replaces this.

QString ParamCheckProblem::describe() const
{
    return QStringLiteral("line %1: %2").arg(line).arg(quoted);
}

int ParamCheckResult::errorCount() const
{
    int n = 0;
    for (const ParamCheckProblem& p : problems)
        n += p.isError() ? 1 : 0;
    return n;
}

ParamCheckResult ParamFileChecker::check(const QByteArray& text, const QSet<QString>* knownNames)
{
    ParamCheckResult r;
    r.readable = true;
    const ParamFileContent c = ParamFileParser::parse(text);
    r.totalLines = c.totalLines;
    for (const ParamFileDiagnostic& d : c.diagnostics)
        r.problems.append({ParamCheckProblem::BadFormat, d.line, 0, QString(), quote(d.message.toUtf8())});
    for (const ParamFileEntry& e : c.entries) {
        if (knownNames && !knownNames->contains(e.name)) {
            r.problems.append({ParamCheckProblem::UnknownName, e.line, 0, e.name, e.name});
            continue;
        }
        r.writable.append(e);
    }
    return r;
}

ParamCheckResult ParamFileChecker::checkFile(const QString& path, const QSet<QString>* knownNames)
{
    const ParamFileReadResult read = ParamFileParser::readFile(path);
    if (!read.ok) {
        ParamCheckResult r;
        r.fileError = read.error;
        return r;
    }
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return check(f.readAll(), knownNames);
}

QString ParamFileChecker::quote(QByteArrayView raw, int maxChars)
{
    QString s = QString::fromUtf8(raw);
    if (s.size() > maxChars)
        s = s.left(maxChars) + QStringLiteral("...");
    return s;
}
