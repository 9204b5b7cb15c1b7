#include "params/SnapshotStore.h"

#include "params/ModelPresets.h"
#include "params/ParameterStore.h"
#include "params/ParamsLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#ifndef TAVRO_VERSION
#define TAVRO_VERSION "0"
#endif

namespace {

const QByteArray kTitleLine = QByteArrayLiteral("# TAVRO parameter snapshot");
const QString kNoSerial = QStringLiteral("none, the port name identifies the board");
constexpr const char* kFileTimeFormat = "yyyyMMdd-HHmmss";
constexpr qint64 kMaxSnapshotSize = 4 * 1024 * 1024;

quint32 floatBits(float f)
{
    quint32 bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

// "20261207-140509.param" -> ("20261207-140509", 1); "...-3.param" -> (..., 3).
// Empty stem for a name that is no snapshot's.
std::pair<QString, int> fileKey(const QString& fileName)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{8}-\\d{6})(?:-(\\d+))?\\.param$"));
    const QRegularExpressionMatch m = re.match(fileName);
    if (!m.hasMatch())
        return {QString(), 0};
    return {m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt()};
}

// The time with its offset from UTC, so that the text carries the offset.
QString isoWithOffset(const QDateTime& time)
{
    const QDateTime withOffset = time.toOffsetFromUtc(time.offsetFromUtc());
    QString text = withOffset.toString(Qt::ISODate);
    if (text.endsWith(QLatin1Char('Z')))
        text.chop(1), text += QStringLiteral("+00:00");
    return text;
}

bool parseFloat(const QByteArray& text, float* value)
{
    const char* begin = text.constData();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin; // from_chars takes no plus sign
    const auto result = std::from_chars(begin, end, *value);
    // from_chars also reads "nan" and "inf", which no parameter holds.
    return result.ec == std::errc() && result.ptr == end && std::isfinite(*value);
}

} // namespace

QList<ParamFileEntry> SnapshotData::entries() const
{
    QList<ParamFileEntry> out;
    out.reserve(parameters.size());
    int line = 0;
    for (const Parameter& p : parameters)
        out.append(ParamFileEntry{p.name, float(p.value), ++line});
    return out;
}

SnapshotStore::SnapshotStore(const QString& root)
    : m_root(resolveRoot(root))
{
}

QString SnapshotStore::defaultRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/tavro/snapshots");
}

QString SnapshotStore::resolveRoot(const QString& explicitRoot)
{
    if (!explicitRoot.isEmpty())
        return explicitRoot;
    const QString fromEnvironment = qEnvironmentVariable(kEnvironmentVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return defaultRoot();
}

QString SnapshotStore::cleanForFolderName(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool safe = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                          || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-')
                          || c == QLatin1Char('_') || c == QLatin1Char('.');
        out += safe ? c : QLatin1Char('_');
    }
    // No leading dots or underscores ("..", a hidden folder, "/dev/x" -> "dev_x").
    while (!out.isEmpty() && (out.front() == QLatin1Char('.') || out.front() == QLatin1Char('_')))
        out.remove(0, 1);
    while (!out.isEmpty() && (out.back() == QLatin1Char('.') || out.back() == QLatin1Char('_')))
        out.chop(1);
    return out.left(64);
}

QString SnapshotStore::boardId(const QString& serialNumber, const QString& portName)
{
    QString id = cleanForFolderName(serialNumber.trimmed());
    if (id.isEmpty())
        id = cleanForFolderName(portName);
    return id.isEmpty() ? QStringLiteral("unknown") : id;
}

QString SnapshotStore::boardFolder(const QString& boardId) const
{
    return m_root + QLatin1Char('/') + boardId;
}

QString SnapshotStore::programVersion()
{
    return QStringLiteral("TAVRO " TAVRO_VERSION);
}

QString SnapshotStore::formatValue(float value)
{
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return QString::fromLatin1(buf, int(result.ptr - buf));
}

bool SnapshotStore::sameParameters(const QList<Parameter>& a, const QList<Parameter>& b)
{
    if (a.size() != b.size())
        return false;
    QHash<QString, quint32> values;
    values.reserve(a.size());
    for (const Parameter& p : a)
        values.insert(p.name, floatBits(float(p.value)));
    if (values.size() != a.size())
        return false;
    for (const Parameter& p : b) {
        const auto it = values.constFind(p.name);
        if (it == values.cend() || *it != floatBits(float(p.value)))
            return false;
    }
    return true;
}

QByteArray SnapshotStore::format(const SnapshotSource& source, const QList<Parameter>& table, const QDateTime& time)
{
    const int modelId = ModelPresets::modelIdFromValue(ParameterStore::findParameterValue(table, QStringLiteral("fw_version")));
    QByteArray out;
    out.reserve(64 * 8 + table.size() * 24);
    out += kTitleLine + '\n';
    out += "# time: " + isoWithOffset(time).toUtf8() + '\n';
    out += "# program: " + programVersion().toUtf8() + '\n';
    out += "# port: " + source.port.toUtf8() + '\n';
    out += "# serial: " + (source.serialNumber.isEmpty() ? kNoSerial : source.serialNumber).toUtf8() + '\n';
    out += "# model: " + QByteArray::number(modelId) + ' ' + ModelPresets::modelName(modelId).toUtf8() + '\n';
    out += "# count: " + QByteArray::number(table.size()) + '\n';
    out += QByteArray("# state: ") + (source.complete ? "complete" : "incomplete") + '\n';
    for (const Parameter& p : table)
        out += p.name.toLatin1() + ',' + formatValue(float(p.value)).toLatin1() + '\n';
    return out;
}

bool SnapshotStore::writeFile(const QString& path, const SnapshotSource& source, const QList<Parameter>& table,
                              const QDateTime& time, QString* error)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error)
            *error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray text = format(source, table, time);
    if (file.write(text) != text.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}

QStringList SnapshotStore::files(const QString& boardId) const
{
    const QDir dir(boardFolder(boardId));
    QList<std::pair<std::pair<QString, int>, QString>> keyed;
    const QStringList names = dir.entryList({QStringLiteral("*.param")}, QDir::Files);
    for (const QString& name : names) {
        const auto key = fileKey(name);
        if (!key.first.isEmpty())
            keyed.append({key, dir.filePath(name)});
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList out;
    for (const auto& k : keyed)
        out.append(k.second);
    return out;
}

SnapshotSaveResult SnapshotStore::save(const QString& boardId, const SnapshotSource& source,
                                       const QList<Parameter>& table, const QDateTime& time) const
{
    SnapshotSaveResult result;
    const QString folder = boardFolder(boardId);

    const QStringList existing = files(boardId);
    for (auto it = existing.crbegin(); it != existing.crend(); ++it) {
        const SnapshotData newest = read(*it);
        if (!newest.info.readable)
            continue; // a damaged file is no reason to skip a good one
        if (sameParameters(newest.parameters, table) && newest.info.complete == source.complete) {
            result.status = SnapshotSaveResult::Identical;
            result.path = *it;
            qCDebug(lcParams).noquote() << "snapshot identical to" << *it << ", not written again";
            return result;
        }
        break;
    }

    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("cannot create the snapshot folder %1").arg(folder);
        qCWarning(lcParams).noquote() << result.error;
        return result;
    }
    const QString stem = time.toString(QLatin1String(kFileTimeFormat));
    QString path = folder + QLatin1Char('/') + stem + QStringLiteral(".param");
    for (int counter = 2; QFileInfo::exists(path); ++counter)
        path = folder + QLatin1Char('/') + stem + QLatin1Char('-') + QString::number(counter) + QStringLiteral(".param");

    if (!writeFile(path, source, table, time, &result.error)) {
        qCWarning(lcParams).noquote() << "snapshot not saved:" << result.error;
        return result;
    }
    result.status = SnapshotSaveResult::Written;
    result.path = path;
    qCDebug(lcParams).noquote() << "snapshot saved:" << path << table.size() << "parameters";
    applyRetention(boardId);
    return result;
}

int SnapshotStore::applyRetention(const QString& boardId) const
{
    const QStringList all = files(boardId);
    int removed = 0;
    // The first stays; of the rest, the newest kKeepNewest.
    for (int i = 1; i < all.size() - kKeepNewest; ++i) {
        if (QFile::remove(all.at(i)))
            ++removed;
        else
            qCWarning(lcParams).noquote() << "cannot remove the old snapshot" << all.at(i);
    }
    return removed;
}

QList<SnapshotInfo> SnapshotStore::list(const QString& boardId) const
{
    QList<SnapshotInfo> out;
    const QStringList all = files(boardId);
    for (const QString& path : all) {
        SnapshotInfo info = read(path).info;
        info.boardId = boardId;
        out.append(info);
    }
    if (!out.isEmpty())
        out.first().first = true;
    return out;
}

QStringList SnapshotStore::boards() const
{
    QStringList out = QDir(m_root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    out.sort();
    return out;
}

SnapshotData SnapshotStore::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        SnapshotData d;
        d.info.path = path;
        d.info.problem = QStringLiteral("cannot open: %1").arg(file.errorString());
        return d;
    }
    if (file.size() > kMaxSnapshotSize) {
        SnapshotData d;
        d.info.path = path;
        d.info.problem = QStringLiteral("too large for a snapshot");
        return d;
    }
    SnapshotData d = parse(file.readAll(), path);
    d.info.boardId = QFileInfo(path).dir().dirName();
    return d;
}

SnapshotData SnapshotStore::parse(const QByteArray& text, const QString& path)
{
    SnapshotData d;
    SnapshotInfo& info = d.info;
    info.path = path;
    auto fail = [&d](const QString& why) {
        d.info.readable = false;
        d.info.problem = why;
        d.parameters.clear();
        return d;
    };

    if (text.isEmpty())
        return fail(QStringLiteral("empty file"));
    if (!text.endsWith('\n'))
        return fail(QStringLiteral("the last line is cut off (truncated file)"));

    const QList<QByteArray> lines = text.left(text.size() - 1).split('\n');
    bool titled = false;
    bool haveCount = false;
    bool haveState = false;
    QSet<QString> names;
    int lineNumber = 0;
    for (QByteArray line : lines) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.startsWith('#')) {
            if (line == kTitleLine) {
                titled = true;
                continue;
            }
            const int colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray key = line.mid(1, colon - 1).trimmed();
            const QString value = QString::fromUtf8(line.mid(colon + 1).trimmed());
            if (key == "time") {
                info.time = QDateTime::fromString(value, Qt::ISODate);
            } else if (key == "program") {
                info.programVersion = value;
            } else if (key == "port") {
                info.port = value;
            } else if (key == "serial") {
                info.serialNumber = value == kNoSerial ? QString() : value;
            } else if (key == "model") {
                const int space = value.indexOf(QLatin1Char(' '));
                bool ok = false;
                info.modelId = value.left(space < 0 ? value.size() : space).toInt(&ok);
                if (!ok)
                    info.modelId = -1;
                info.modelName = space < 0 ? QString() : value.mid(space + 1);
            } else if (key == "count") {
                bool ok = false;
                info.count = value.toInt(&ok);
                if (!ok || info.count < 0)
                    return fail(QStringLiteral("line %1: the count is not a number").arg(lineNumber));
                haveCount = true;
            } else if (key == "state") {
                if (value == QLatin1String("complete"))
                    info.complete = true;
                else if (value == QLatin1String("incomplete"))
                    info.complete = false;
                else
                    return fail(QStringLiteral("line %1: unknown state").arg(lineNumber));
                haveState = true;
            }
            continue;
        }
        const int comma = line.indexOf(',');
        if (comma <= 0 || line.indexOf(',', comma + 1) >= 0)
            return fail(QStringLiteral("line %1: not NAME,VALUE").arg(lineNumber));
        const QString name = QString::fromLatin1(line.left(comma));
        if (!ParameterStore::isValidName(name))
            return fail(QStringLiteral("line %1: not a parameter name").arg(lineNumber));
        float value = 0.0f;
        if (!parseFloat(line.mid(comma + 1), &value))
            return fail(QStringLiteral("line %1: not a 32-bit float value").arg(lineNumber));
        if (names.contains(name))
            return fail(QStringLiteral("line %1: %2 appears twice").arg(lineNumber).arg(name));
        names.insert(name);
        d.parameters.append(Parameter{name, double(value)});
    }
    if (!titled || !haveCount || !haveState)
        return fail(QStringLiteral("not a TAVRO snapshot (header lines missing)"));
    if (info.count != d.parameters.size())
        return fail(QStringLiteral("the header announces %1 parameters, the file holds %2")
                        .arg(info.count)
                        .arg(d.parameters.size()));
    info.readable = true;
    return d;
}
