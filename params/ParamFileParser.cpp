#include "params/ParamFileParser.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "params/ParameterStore.h"
#include "params/ParamsLog.h"

namespace {

// C-locale number syntax: optional sign, digits with an optional "." (at
// least one digit on either side of it), optional exponent. Nothing else:
// no blanks inside, no group separators, no "inf"/"nan", no hexadecimal.
bool parseNumber(const QString& text, float* out)
{
    static const QRegularExpression number(
        QStringLiteral("\\A[+-]?(?:[0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?\\z"));
    if (!number.match(text).hasMatch())
        return false;
    bool ok = false;
    const double d = QLocale::c().toDouble(text, &ok);
    // A value beyond the float range cannot be written as it stands.
    if (!ok || !std::isfinite(d) || std::fabs(d) > static_cast<double>(FLT_MAX))
        return false;
    *out = static_cast<float>(d);
    return true;
}

} // namespace

ParamFileContent ParamFileParser::parse(const QByteArray& text)
{
    ParamFileContent result;

    QByteArrayView bytes(text);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // Only the leading mark is skipped; one further down stays in its line.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString all = decoder.decode(bytes);

    qsizetype start = 0;
    int lineNo = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = all.size();
        ++lineNo;
        const QString line = all.mid(start, end - start).trimmed();
        start = end + 1;

        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;

        const QStringList fields = line.split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (fields.size() != 2) {
            result.diagnostics.append({lineNo, QStringLiteral("Invalid line format: ") + line});
            continue;
        }
        const QString name = fields.at(0).trimmed();
        if (!ParameterStore::isValidName(name)) {
            result.diagnostics.append({lineNo, QStringLiteral("Invalid name: ") + line});
            continue;
        }
        float value = 0.0f;
        if (!parseNumber(fields.at(1).trimmed(), &value)) {
            result.diagnostics.append({lineNo, QStringLiteral("Invalid value: ") + line});
            continue;
        }
        result.entries.append({name, value, lineNo});
    }
    result.totalLines = lineNo;
    return result;
}

int ParamFileParser::progressPercent(int written, int totalLines)
{
    if (totalLines <= 0 || written <= 0)
        return 0;
    const float percent = static_cast<float>(written) / static_cast<float>(totalLines) * 100.0f;
    return std::min(100, static_cast<int>(percent));
}

ParamFileReadResult ParamFileParser::readFile(const QString& path)
{
    ParamFileReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Error opening file: ") + file.errorString();
        qCWarning(lcParams).noquote() << result.error;
        return result;
    }
    if (file.size() > maxFileSize) {
        result.error = QStringLiteral("Error opening file: file too large (%1 bytes)").arg(file.size());
        qCWarning(lcParams).noquote() << result.error;
        return result;
    }
    const QByteArray data = file.read(maxFileSize + 1);
    if (data.size() > maxFileSize) {
        // Sequential devices report no size up front.
        result.error = QStringLiteral("Error opening file: file too large");
        qCWarning(lcParams).noquote() << result.error;
        return result;
    }
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("Error opening file: ") + file.errorString();
        qCWarning(lcParams).noquote() << result.error;
        return result;
    }
    result.ok = true;
    result.content = parse(data);
    qCDebug(lcParams) << "totalLines:" << result.content.totalLines;
    for (const ParamFileDiagnostic& d : std::as_const(result.content.diagnostics))
        qCDebug(lcParams).noquote() << d.message;
    return result;
}
