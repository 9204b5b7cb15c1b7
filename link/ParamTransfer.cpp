#include "link/ParamTransfer.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace {

bool isNameByte(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// MAV_PARAM_TYPE 1..8 are the integer types (UINT8 .. INT64).
bool isIntegerType(uint8_t paramType)
{
    return paramType >= 1 && paramType <= 8;
}

qint64 steadyMs()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// The earlier of two deadlines, -1 meaning none.
qint64 earlier(qint64 a, qint64 b)
{
    if (a < 0)
        return b;
    if (b < 0)
        return a;
    return std::min(a, b);
}

} // namespace

ParamTransfer::ParamTransfer()
    : m_clock(steadyMs)
{
}

void ParamTransfer::setClock(std::function<qint64()> clock)
{
    m_clock = clock ? std::move(clock) : std::function<qint64()>(steadyMs);
}

qint64 ParamTransfer::now() const
{
    return m_clock();
}

// ---- names -------------------------------------------------------------------

bool ParamTransfer::isValidName(const char *id, int size)
{
    if (size <= 0 || id[0] == '\0')
        return false;
    for (int i = 0; i < size && id[i] != '\0'; ++i) {
        if (!isNameByte(static_cast<unsigned char>(id[i])))
            return false;
    }
    return true;
}

bool ParamTransfer::isValidName(const QString &name)
{
    if (name.isEmpty() || name.size() > kNameLength)
        return false;
    for (const QChar c : name) {
        if (c.unicode() > 0x7F || !isNameByte(static_cast<unsigned char>(c.unicode())))
            return false;
    }
    return true;
}

QString ParamTransfer::nameFromBytes(const char *id, int size)
{
    int n = 0;
    while (n < size && id[n] != '\0')
        ++n;
    return QString::fromLatin1(id, n);
}

void ParamTransfer::encodeName(const char *plain, char *out, int size)
{
    bool ended = false;
    for (int i = 0; i < size; ++i) {
        if (ended || plain[i] == '\0') {
            ended = true;
            out[i] = '\0';
            continue;
        }
        const auto c = static_cast<unsigned char>(plain[i]);
        out[i] = static_cast<char>(static_cast<unsigned char>((i % 2 == 0) ? c + 3 : c - 2));
    }
}

void ParamTransfer::readNames(const mavlink_param_value_t &message, char (&raw)[kNameLength + 1],
                              char (&decoded)[kNameLength + 1])
{
    std::memcpy(raw, message.param_id, kNameLength);
    raw[kNameLength] = '\0';
    std::memcpy(decoded, raw, sizeof decoded);
    for (int i = 0; i < kNameLength && decoded[i] != '\0'; ++i) {
        const auto c = static_cast<unsigned char>(decoded[i]);
        decoded[i] = static_cast<char>(static_cast<unsigned char>((i % 2 == 0) ? c - 3 : c + 2));
    }
}

ParamTransfer::Decoded ParamTransfer::decode(const mavlink_param_value_t &message)
{
    char raw[kNameLength + 1];
    char decoded[kNameLength + 1];
    readNames(message, raw, decoded);
    const float rawValue = message.param_value;
    const float decodedValue = rawValue / 12.0f;

    Decoded d;
    d.rawName = nameFromBytes(raw);
    d.rawValue = rawValue;
    d.rawValid = isValidName(raw);
    if (isValidName(decoded)) {
        d.name = nameFromBytes(decoded);
        d.value = decodedValue;
        d.valid = true;
    } else if (d.rawValid) {
        d.name = d.rawName;
        d.value = rawValue;
        d.valid = true;
    } else {
        d.name = nameFromBytes(decoded);
        d.value = decodedValue;
        d.valid = false;
    }
    return d;
}

// ---- download ----------------------------------------------------------------

void ParamTransfer::startDownload()
{
    const qint64 t = now();
    receivedParams = 0;
    paramCountReached = false;
    paramReadFinished = false;
    m_started = true;
    m_listAnswered = false;
    m_listDue = t + kListTimeoutMs;
    m_listResends = 0;
    m_quietSince = t;
    m_total = 0;
    m_totalKnown = false;
    m_arrived.clear();
    m_messages = 0;
    m_recovering = false;
    m_attempts.clear();
    m_outstanding.clear();
}

void ParamTransfer::reset()
{
    startDownload();
    m_started = false;
}

bool ParamTransfer::noteValue(uint16_t index, uint16_t count)
{
    ++m_messages;
    m_listAnswered = true;
    m_quietSince = now();
    if (paramReadFinished)
        return false;   // no second completion until the next download

    if (!m_totalKnown || count != m_total) {
        // First message, or the flight controller announces another total:
        // keep what arrived within the new range.
        m_total = count;
        m_totalKnown = true;
        m_arrived.resize(count);
        m_attempts.resize(count);
        receivedParams = uint32_t(std::count(m_arrived.cbegin(), m_arrived.cend(), true));
        for (auto it = m_outstanding.begin(); it != m_outstanding.end();) {
            if (*it >= count)
                it = m_outstanding.erase(it);
            else
                ++it;
        }
    }
    m_outstanding.remove(index);
    if (index >= m_total || m_arrived[index])
        return false;
    m_arrived[index] = true;
    ++receivedParams;
    if (receivedParams >= m_total)
        paramCountReached = true;
    return true;
}

QList<uint16_t> ParamTransfer::takeReadRequests()
{
    if (!m_recovering || paramReadFinished)
        return {};
    return fillReadSlots();
}

QList<uint16_t> ParamTransfer::fillReadSlots()
{
    QList<uint16_t> requests;
    for (int i = 0; i < m_total && m_outstanding.size() < kMaxOutstandingReads; ++i) {
        const auto index = static_cast<uint16_t>(i);
        if (m_arrived[i] || m_outstanding.contains(index) || m_attempts[i] >= kMaxReadAttempts)
            continue;
        ++m_attempts[i];
        m_outstanding.insert(index);
        requests.append(index);
    }
    return requests;
}

QList<int> ParamTransfer::missingIndices() const
{
    QList<int> missing;
    for (int i = 0; i < m_arrived.size(); ++i) {
        if (!m_arrived[i])
            missing.append(i);
    }
    return missing;
}

// ---- writes ------------------------------------------------------------------

void ParamTransfer::writeSent(const QString &name, float value)
{
    // A newer write of a name replaces the older one and its retries; the
    // older value is kept to recognise its echo.
    auto it = m_writes.find(name);
    if (it == m_writes.end()) {
        it = m_writes.insert(name, PendingWrite{});
        it->name = name;
    } else {
        it->superseded.append(it->value);
        if (it->superseded.size() > kMaxSupersededValues)
            it->superseded.removeFirst();
    }
    it->value = value;
    it->attempts = 1;
    it->due = now() + kWriteTimeoutMs;
}

bool ParamTransfer::confirms(float written, float echoed, uint8_t paramType)
{
    if (std::isnan(echoed))
        return false;
    if (isIntegerType(paramType))
        return echoed == static_cast<float>(std::round(written));
    return std::fabs(double(echoed) - double(written)) <= 1e-5 * std::fabs(double(written));
}

ParamTransfer::EchoResult ParamTransfer::echo(const QString &name, float value, uint8_t paramType,
                                              float *written)
{
    auto it = m_writes.find(name);
    if (it == m_writes.end())
        return EchoResult::NotPending;
    if (written)
        *written = it->value;
    if (confirms(it->value, value, paramType)) {
        m_writes.erase(it);
        return EchoResult::Confirmed;
    }
    for (float older : std::as_const(it->superseded)) {
        if (confirms(older, value, paramType))
            return EchoResult::Stale;   // the answer to an earlier write; keep waiting
    }
    m_writes.erase(it);
    return EchoResult::Refused;
}

QList<ParamTransfer::PendingWrite> ParamTransfer::takePendingWrites()
{
    QList<PendingWrite> pending = m_writes.values();
    std::sort(pending.begin(), pending.end(),
              [](const PendingWrite &a, const PendingWrite &b) { return a.name < b.name; });
    m_writes.clear();
    return pending;
}

// ---- timeouts ----------------------------------------------------------------

qint64 ParamTransfer::downloadDue(bool updateMode) const
{
    if (updateMode || paramReadFinished)
        return -1;
    if (m_started && !m_listAnswered)
        return m_listDue;
    if (!m_totalKnown)
        return -1;
    if (!m_started && receivedParams < m_total)
        return -1;   // values that came unasked: no requests, no report
    return m_quietSince + kQuietMs;
}

qint64 ParamTransfer::msUntilDue(bool updateMode) const
{
    qint64 due = downloadDue(updateMode);
    for (const PendingWrite &w : m_writes)
        due = earlier(due, w.due);
    if (due < 0)
        return -1;
    return std::max<qint64>(0, due - now());
}

ParamTransfer::TickActions ParamTransfer::tick(bool updateMode)
{
    TickActions a;
    const qint64 t = now();

    for (auto it = m_writes.begin(); it != m_writes.end();) {
        PendingWrite &w = it.value();
        if (t < w.due) {
            ++it;
            continue;
        }
        if (w.attempts <= kWriteResends) {
            ++w.attempts;
            w.due = t + kWriteTimeoutMs;
            a.writeResends.append(w);
            ++it;
        } else {
            a.writeFailures.append(w);
            it = m_writes.erase(it);
        }
    }

    if (updateMode || paramReadFinished)
        return a;

    // The list request must be answered by at least one PARAM_VALUE.
    if (m_started && !m_listAnswered) {
        if (t >= m_listDue) {
            m_listDue = t + kListTimeoutMs;
            if (m_listResends < kListResends) {
                ++m_listResends;
                a.resendList = true;
            } else {
                a.listFailed = true;
                m_started = false;
            }
        }
        return a;
    }
    if (!m_totalKnown)
        return a;

    if (t - m_quietSince < kQuietMs)
        return a;
    m_quietSince = t;

    if (receivedParams >= m_total) {
        paramReadFinished = true;
        paramCountReached = false;
        a.finish = true;
        m_outstanding.clear();
        return a;
    }
    if (!m_started)
        return a;   // values that came unasked: no requests, no report

    // The messages stopped with indices missing: what is still outstanding is
    // lost; ask again while attempts remain.
    m_recovering = true;
    m_outstanding.clear();
    a.readRequests = fillReadSlots();
    if (a.readRequests.isEmpty()) {
        a.missing = missingIndices();
        paramReadFinished = true;
        paramCountReached = false;
        a.finish = true;
    }
    return a;
}
