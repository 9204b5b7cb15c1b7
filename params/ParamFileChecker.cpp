#include "params/ParamFileChecker.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <limits>

#include "params/ParamDiff.h"
#include "params/ParameterStore.h"

namespace {

constexpr char kAskForUtf8[] = "parameter files must be UTF-8 text: save it as UTF-8 and try again.";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArrayView trimmed(QByteArrayView v)
{
    while (!v.isEmpty() && isBlank(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlank(v.back()))
        v.chop(1);
    return v;
}

QString shortest(float value)
{
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

// The encoding of a file that is not UTF-8 text, or an empty string.
QString foreignEncoding(QByteArrayView bytes)
{
    const auto at = [&](int i) { return i < bytes.size() ? uchar(bytes[i]) : 0x100u; };
    if (at(0) == 0x00 && at(1) == 0x00 && at(2) == 0xFE && at(3) == 0xFF)
        return QStringLiteral("UTF-32 BE");
    if (at(0) == 0xFF && at(1) == 0xFE && at(2) == 0x00 && at(3) == 0x00)
        return QStringLiteral("UTF-32 LE");
    if (at(0) == 0xFE && at(1) == 0xFF)
        return QStringLiteral("UTF-16 BE");
    if (at(0) == 0xFF && at(1) == 0xFE)
        return QStringLiteral("UTF-16 LE");

    qsizetype end = bytes.indexOf('\n');
    if (end < 0)
        end = bytes.size();
    const QByteArrayView first = bytes.first(end);
    if (!first.contains('\0'))
        return QString();
    // Without a mark: the pattern of the zero bytes around the first character.
    if (at(0) != 0 && at(1) == 0 && at(2) == 0 && at(3) == 0)
        return QStringLiteral("UTF-32 LE");
    if (at(0) == 0 && at(1) == 0 && at(2) == 0 && at(3) != 0 && at(3) < 0x100)
        return QStringLiteral("UTF-32 BE");
    if (at(0) != 0 && at(0) < 0x80 && at(1) == 0)
        return QStringLiteral("UTF-16 LE");
    if (at(0) == 0 && at(1) != 0 && at(1) < 0x80)
        return QStringLiteral("UTF-16 BE");
    return QStringLiteral("binary");
}

struct SeenName
{
    int line = 0;
    float value = 0.0f;
};

} // namespace

// ---- ParamCheckProblem / ParamCheckResult ---------------------------------------------

QString ParamCheckProblem::describe() const
{
    const QString at = QStringLiteral("line %1: ").arg(line);
    const QString q = QStringLiteral("\"%1\"").arg(quoted);
    switch (kind) {
    case BadFormat:
        return at + (detail.isEmpty() ? QStringLiteral("not NAME,VALUE") : detail) + QStringLiteral(": ") + q;
    case BadName:
        return at + QStringLiteral("not a parameter name (1-16 letters, digits, underscores): ") + q;
    case BadValue:
        return at + QStringLiteral("not a number: ") + q;
    case ValueNotFloat:
        return at + QStringLiteral("%1: %2").arg(name, detail);
    case UnknownName:
        return at + QStringLiteral("unknown parameter: ") + name;
    case DuplicateDiffers:
        return at + QStringLiteral("%1 given twice with different values (lines %2 and %3%4): neither is written")
                        .arg(name)
                        .arg(otherLine)
                        .arg(line)
                        .arg(detail.isEmpty() ? QString() : QStringLiteral(": ") + detail);
    case DuplicateSame:
        return at + QStringLiteral("note: %1 repeats line %2 with the same value").arg(name).arg(otherLine);
    }
    return at + q;
}

int ParamCheckResult::errorCount() const
{
    int n = 0;
    for (const ParamCheckProblem& p : problems)
        n += p.isError() ? 1 : 0;
    return n;
}

QStringList ParamCheckResult::describeProblems(int limit) const
{
    QStringList lines;
    for (const ParamCheckProblem& p : problems) {
        if (lines.size() >= limit)
            break;
        lines << p.describe();
    }
    if (problems.size() > lines.size())
        lines << QStringLiteral("... and %1 more").arg(problems.size() - lines.size());
    return lines;
}

// ---- checking --------------------------------------------------------------------------

bool ParamFileChecker::toFloat(double value, float* out, QString* why)
{
    const auto refuse = [&](const QString& reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!std::isfinite(value))
        return refuse(QStringLiteral("not a finite number"));
    const double a = std::fabs(value);
    if (a > double(FLT_MAX)) {
        // Within the tolerance of the largest float (its own shortest form
        // "3.4028235e+38" reads as a double just above it).
        if (a - double(FLT_MAX) <= ParamDiff::kRelativeTolerance * a) {
            *out = value < 0 ? -FLT_MAX : FLT_MAX;
            return true;
        }
        return refuse(QStringLiteral("beyond the range of a 32-bit float (at most 3.4028235e+38)"));
    }
    const float f = static_cast<float>(value);
    if (value == 0.0) {
        *out = f;
        return true;
    }
    if (f == 0.0f)
        return refuse(QStringLiteral("too small for a 32-bit float: it would be written as 0 (the smallest is 1e-45)"));
    const double err = std::fabs(double(f) - value);
    if (err <= ParamDiff::kRelativeTolerance * a
        || (std::fabs(f) < FLT_MIN && err <= double(std::numeric_limits<float>::denorm_min()))) {
        *out = f;
        return true;
    }
    return refuse(QStringLiteral("a 32-bit float holds it only as %1").arg(shortest(f)));
}

ParamCheckResult ParamFileChecker::check(const QByteArray& text, const QSet<QString>* knownNames)
{
    ParamCheckResult r;
    QByteArrayView bytes(text);

    const QString encoding = foreignEncoding(bytes);
    if (!encoding.isEmpty()) {
        r.wrongEncoding = true;
        r.encodingName = encoding;
        r.fileError = encoding == QLatin1String("binary")
                          ? QStringLiteral("The file holds NUL bytes in its first line, so it is not text (a binary "
                                           "file?): ") + QLatin1String(kAskForUtf8)
                          : QStringLiteral("The file is %1 text, ").arg(encoding) + QLatin1String(kAskForUtf8);
        return r;
    }
    r.readable = true;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);

    static const QRegularExpression number(
        QStringLiteral("\\A[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));

    QHash<QString, SeenName> seen;
    QSet<QString> conflicting;
    QList<ParamFileEntry> entries;

    qsizetype start = 0;
    int lineNo = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        ++lineNo;
        const QByteArrayView line = trimmed(bytes.sliced(start, end - start));
        start = end + 1;
        if (line.isEmpty() || line.front() == '#')
            continue;

        ParamCheckProblem p;
        p.line = lineNo;
        p.quoted = quote(line);
        const auto reject = [&](ParamCheckProblem::Kind kind, const QString& detail = QString()) {
            p.kind = kind;
            p.detail = detail;
            r.problems.append(p);
        };

        if (line.contains('\0')) {
            reject(ParamCheckProblem::BadFormat, QStringLiteral("holds a NUL byte"));
            continue;
        }
        if (!line.isValidUtf8()) {
            reject(ParamCheckProblem::BadFormat, QStringLiteral("not UTF-8 text"));
            continue;
        }
        if (line.contains('#')) {
            reject(ParamCheckProblem::BadFormat,
                   QStringLiteral("a comment after the value (comments stand on lines of their own)"));
            continue;
        }
        const qsizetype comma = line.indexOf(',');
        if (comma < 0 || line.sliced(comma + 1).contains(',')) {
            reject(ParamCheckProblem::BadFormat);
            continue;
        }
        const QString name = QString::fromUtf8(trimmed(line.first(comma)));
        if (!ParameterStore::isValidName(name)) {
            reject(ParamCheckProblem::BadName);
            continue;
        }
        p.name = name;
        const QString valueText = QString::fromUtf8(trimmed(line.sliced(comma + 1)));
        if (!number.match(valueText).hasMatch()) {
            reject(ParamCheckProblem::BadValue);
            continue;
        }
        bool ok = false;
        const double d = QLocale::c().toDouble(valueText, &ok);
        float value = 0.0f;
        QString why;
        if (!ok) {
            // Beyond even a double: too large, or (a negative exponent) too small.
            const bool tiny = valueText.contains(QLatin1String("e-"), Qt::CaseInsensitive);
            reject(ParamCheckProblem::ValueNotFloat,
                   QStringLiteral("%1 is %2")
                       .arg(quote(valueText.toUtf8()),
                            tiny ? QStringLiteral("too small for a 32-bit float: it would be written as 0")
                                 : QStringLiteral("beyond the range of a 32-bit float")));
            continue;
        }
        if (!toFloat(d, &value, &why)) {
            reject(ParamCheckProblem::ValueNotFloat, QStringLiteral("%1 is %2").arg(quote(valueText.toUtf8()), why));
            continue;
        }
        if (knownNames && !knownNames->contains(name)) {
            reject(ParamCheckProblem::UnknownName);
            continue;
        }
        const auto it = seen.constFind(name);
        if (it != seen.cend()) {
            p.otherLine = it->line;
            if (it->value == value) {
                reject(ParamCheckProblem::DuplicateSame);
            } else {
                conflicting.insert(name);
                reject(ParamCheckProblem::DuplicateDiffers,
                       QStringLiteral("%1 and %2").arg(shortest(it->value), shortest(value)));
            }
            continue;
        }
        seen.insert(name, SeenName{lineNo, value});
        entries.append({name, value, lineNo});
    }
    r.totalLines = lineNo;
    r.writable.reserve(entries.size());
    for (const ParamFileEntry& e : std::as_const(entries)) {
        if (!conflicting.contains(e.name))
            r.writable.append(e);
    }
    return r;
}

ParamCheckResult ParamFileChecker::checkFile(const QString& path, const QSet<QString>* knownNames)
{
    ParamCheckResult r;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.fileError = QStringLiteral("cannot open %1: %2").arg(path, f.errorString());
        return r;
    }
    const qint64 limit = ParamFileParser::maxFileSize;
    const QByteArray data = f.read(limit + 1);
    if (f.error() != QFileDevice::NoError) {
        r.fileError = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return r;
    }
    if (data.size() > limit) {
        r.fileError = QStringLiteral("%1 is too large for a parameter file (more than %2 bytes)").arg(path).arg(limit);
        return r;
    }
    return check(data, knownNames);
}

// ---- quoting ---------------------------------------------------------------------------

QString ParamFileChecker::quote(QByteArrayView raw, int maxChars)
{
    QString out;
    int chars = 0;
    qsizetype i = 0;
    const auto hex = [](uint b) { return QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0')); };
    while (i < raw.size()) {
        if (chars >= maxChars) {
            out += QStringLiteral("...");
            return out;
        }
        const uchar b = uchar(raw[i]);
        ++chars;
        if (b == 0) {
            out += QStringLiteral("\\0");
            ++i;
            continue;
        }
        if (b < 0x20 || b == 0x7F) {
            out += hex(b);
            ++i;
            continue;
        }
        if (b == '\\') {
            out += QStringLiteral("\\\\");
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += QLatin1Char(char(b));
            ++i;
            continue;
        }
        // A UTF-8 sequence: its length from the lead byte, then every
        // continuation byte checked; anything else is escaped byte by byte.
        int len = 0;
        char32_t cp = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07;
        }
        bool valid = len > 0 && i + len <= raw.size();
        for (int k = 1; valid && k < len; ++k) {
            const uchar c = uchar(raw[i + k]);
            if ((c & 0xC0) != 0x80)
                valid = false;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are not UTF-8.
        if (valid && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
                      || (cp >= 0xD800 && cp <= 0xDFFF)))
            valid = false;
        if (!valid) {
            out += hex(b);
            ++i;
            continue;
        }
        // C1 controls and the marks that reorder a terminal line.
        const bool control = (cp >= 0x80 && cp <= 0x9F) || cp == 0x200E || cp == 0x200F
                             || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069);
        if (control)
            out += QStringLiteral("\\u%1").arg(uint(cp), 4, 16, QLatin1Char('0'));
        else
            out += QString::fromUcs4(&cp, 1);
        i += len;
    }
    return out;
}
