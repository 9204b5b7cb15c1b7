#include "params/ParamFileChecker.h"

#include <QCoreApplication>
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
        switch (reason) {
        case CommentAfterValue:
            return at + QStringLiteral("a comment after the value (comments stand on lines of their own): ") + q;
        case NulByte:
            return at + QStringLiteral("holds a NUL byte: ") + q;
        case NotUtf8:
            return at + QStringLiteral("not UTF-8 text: ") + q;
        default:
            return at + QStringLiteral("not NAME,VALUE: ") + q;
        }
    case BadName:
        return at + QStringLiteral("not a parameter name (1-16 letters, digits, underscores): ") + q;
    case BadValue:
        return at + QStringLiteral("not a number: ") + q;
    case ValueNotFloat:
        if (reason == TooSmall)
            return at + QStringLiteral("%1: %2 is too small for a 32-bit float: it would be written as 0").arg(name, value);
        return at + QStringLiteral("%1: %2 is beyond the range of a 32-bit float").arg(name, value);
    case UnknownName:
        return at + QStringLiteral("unknown parameter: ") + name;
    case DuplicateDiffers:
        return at + QStringLiteral("%1 given twice with different values (lines %2 and %3: %4 and %5): neither is written")
                        .arg(name)
                        .arg(otherLine)
                        .arg(line)
                        .arg(otherValue, value);
    case DuplicateSame:
        return at + QStringLiteral("note: %1 repeats line %2 with the same value").arg(name).arg(otherLine);
    }
    return at + q;
}

QString ParamCheckProblem::text() const
{
    const QString q = QStringLiteral("\"%1\"").arg(quoted);
    switch (kind) {
    case BadFormat:
        switch (reason) {
        case CommentAfterValue:
            return QCoreApplication::translate("ParamFileChecker", "第%1行：注释须单独成行：%2").arg(line).arg(q);
        case NulByte:
            return QCoreApplication::translate("ParamFileChecker", "第%1行：含有空字节：%2").arg(line).arg(q);
        case NotUtf8:
            return QCoreApplication::translate("ParamFileChecker", "第%1行：不是 UTF-8 文本：%2").arg(line).arg(q);
        default:
            return QCoreApplication::translate("ParamFileChecker", "第%1行：不是“名称,数值”格式：%2").arg(line).arg(q);
        }
    case BadName:
        return QCoreApplication::translate("ParamFileChecker", "第%1行：不是参数名（1-16 个字母、数字或下划线）：%2").arg(line).arg(q);
    case BadValue:
        return QCoreApplication::translate("ParamFileChecker", "第%1行：不是数字：%2").arg(line).arg(q);
    case ValueNotFloat:
        if (reason == TooSmall)
            return QCoreApplication::translate("ParamFileChecker", "第%1行：%2：%3 太小，32 位浮点数会将其写成 0").arg(line).arg(name, value);
        return QCoreApplication::translate("ParamFileChecker", "第%1行：%2：%3 超出 32 位浮点数的范围").arg(line).arg(name, value);
    case UnknownName:
        return QCoreApplication::translate("ParamFileChecker", "第%1行：飞控没有参数 %2").arg(line).arg(name);
    case DuplicateDiffers:
        return QCoreApplication::translate("ParamFileChecker", "第%1行：%2 在第%3行和第%1行的值不同（%4 和 %5），均不写入")
            .arg(line)
            .arg(name)
            .arg(otherLine)
            .arg(otherValue, value);
    case DuplicateSame:
        return QCoreApplication::translate("ParamFileChecker", "第%1行：提示：%2 与第%3行重复，值相同").arg(line).arg(name).arg(otherLine);
    }
    return q;
}

int ParamCheckResult::errorCount() const
{
    int n = 0;
    for (const ParamCheckProblem& p : problems)
        n += p.isError() ? 1 : 0;
    return n;
}

namespace {

// The first `limit` problems, one line each, then a line counting the rest.
template <typename LineOf, typename MoreLine>
QStringList listProblems(const QList<ParamCheckProblem> &problems, int limit, LineOf lineOf, MoreLine moreLine)
{
    QStringList lines;
    for (const ParamCheckProblem &p : problems) {
        if (lines.size() >= limit)
            break;
        lines << lineOf(p);
    }
    if (problems.size() > lines.size())
        lines << moreLine(problems.size() - lines.size());
    return lines;
}

} // namespace

QStringList ParamCheckResult::describeProblems(int limit) const
{
    return listProblems(problems, limit, [](const ParamCheckProblem &p) { return p.describe(); },
                        [](qsizetype rest) { return QStringLiteral("... and %1 more").arg(rest); });
}

QStringList ParamCheckResult::problemTexts(int limit) const
{
    return listProblems(problems, limit, [](const ParamCheckProblem &p) { return p.text(); }, [](qsizetype rest) {
        return QCoreApplication::translate("ParamFileChecker", "……另有 %1 条").arg(rest);
    });
}

QString ParamCheckResult::encodingText() const
{
    if (!wrongEncoding)
        return QString();
    if (encodingName == QLatin1String("binary"))
        return QCoreApplication::translate("ParamFileChecker",
                                           "此文件第一行含有空字节，不是文本文件（二进制文件？）：参数文件须为 UTF-8 "
                                           "文本，请另存为 UTF-8 后重试。");
    return QCoreApplication::translate("ParamFileChecker",
                                       "此文件是 %1 编码的文本，参数文件须为 UTF-8 文本：请另存为 UTF-8 后重试。")
        .arg(encodingName);
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
        const auto reject = [&](ParamCheckProblem::Kind kind, const QString& detail = QString(),
                                ParamCheckProblem::Reason reason = ParamCheckProblem::NoReason) {
            p.kind = kind;
            p.detail = detail;
            p.reason = reason;
            r.problems.append(p);
        };

        if (line.contains('\0')) {
            reject(ParamCheckProblem::BadFormat, QStringLiteral("holds a NUL byte"), ParamCheckProblem::NulByte);
            continue;
        }
        if (!line.isValidUtf8()) {
            reject(ParamCheckProblem::BadFormat, QStringLiteral("not UTF-8 text"), ParamCheckProblem::NotUtf8);
            continue;
        }
        if (line.contains('#')) {
            reject(ParamCheckProblem::BadFormat,
                   QStringLiteral("a comment after the value (comments stand on lines of their own)"),
                   ParamCheckProblem::CommentAfterValue);
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
        p.value = quote(valueText.toUtf8());
        if (!ok) {
            // Beyond even a double: too large, or (a negative exponent) too small.
            const bool tiny = valueText.contains(QLatin1String("e-"), Qt::CaseInsensitive);
            reject(ParamCheckProblem::ValueNotFloat,
                   QStringLiteral("%1 is %2")
                       .arg(p.value,
                            tiny ? QStringLiteral("too small for a 32-bit float: it would be written as 0")
                                 : QStringLiteral("beyond the range of a 32-bit float")),
                   tiny ? ParamCheckProblem::TooSmall : ParamCheckProblem::TooLarge);
            continue;
        }
        if (!toFloat(d, &value, &why)) {
            // Only overflow and a value that becomes 0 are refused (see the class comment).
            reject(ParamCheckProblem::ValueNotFloat, QStringLiteral("%1 is %2").arg(p.value, why),
                   std::fabs(d) > 1.0 ? ParamCheckProblem::TooLarge : ParamCheckProblem::TooSmall);
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
                p.otherValue = shortest(it->value);
                p.value = shortest(value);
                reject(ParamCheckProblem::DuplicateDiffers,
                       QStringLiteral("%1 and %2").arg(p.otherValue, p.value));
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
