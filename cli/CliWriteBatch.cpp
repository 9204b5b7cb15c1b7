#include "cli/CliWriteBatch.h"

#include "cli/CliTool.h"
#include "cli/InterruptWatcher.h"
#include "link/LinkSession.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace {

QString nameValue(const ParamFileEntry &e)
{
    return QStringLiteral("%1=%2").arg(e.name, CliTool::formatValue(e.value));
}

QString listLine(const QString &label, const QStringList &names, const QString &after = QString())
{
    return QStringLiteral("%1 (%2): %3%4").arg(label).arg(names.size()).arg(names.join(QStringLiteral(", ")), after);
}

} // namespace

QStringList CliWriteBatch::Account::describe(const QString &command) const
{
    QStringList lines;
    QString summary = QStringLiteral("%1: %2 %3: %4 confirmed, %5 sent but not confirmed, %6 not sent")
                          .arg(command)
                          .arg(total())
                          .arg(total() == 1 ? QStringLiteral("write") : QStringLiteral("writes"))
                          .arg(confirmed.size())
                          .arg(unconfirmed.size())
                          .arg(notSent.size());
    if (interrupted)
        summary += QStringLiteral(" (interrupted)");
    else if (linkLost)
        summary += QStringLiteral(" (link lost)");
    else if (stalled)
        summary += QStringLiteral(" (the flight controller stopped answering)");
    lines << summary;
    if (!confirmed.isEmpty())
        lines << listLine(QStringLiteral("confirmed"), confirmed);
    if (!unconfirmed.isEmpty())
        lines << listLine(QStringLiteral("sent but not confirmed"), unconfirmed,
                          QStringLiteral(" -- the flight controller may have applied these; a new download "
                                         "shows their values"));
    if (!notSent.isEmpty())
        lines << listLine(QStringLiteral("not sent"), notSent);
    return lines;
}

CliWriteBatch::CliWriteBatch(LinkSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
}

void CliWriteBatch::onEcho(const QString &name, float value)
{
    const auto it = m_index.constFind(name);
    if (it == m_index.cend())
        return;
    m_echoes.insert(name, value);
    const int i = *it;
    if (m_states[i] != State::Pending)
        return;
    m_sentSinceEcho = 0;
    m_sinceEcho.restart();
    // Another value is no confirmation: the worker reports it as a failure
    // right behind the echo.
    if (CliTool::echoConfirms(m_writes[i].value, value)) {
        m_states[i] = State::Confirmed;
        --m_inFlight;
    } else {
        m_refused.insert(name, value);
    }
}

void CliWriteBatch::onFailed(const QString &name, float written)
{
    const auto it = m_index.constFind(name);
    if (it == m_index.cend())
        return;
    const int i = *it;
    if (m_states[i] != State::Pending || m_writes[i].value != written)
        return;
    m_states[i] = State::Unconfirmed;
    --m_inFlight;
}

bool CliWriteBatch::sendMore()
{
    bool sent = false;
    while (m_next < m_writes.size() && m_inFlight < kWindow) {
        const ParamFileEntry &e = m_writes[m_next];
        m_states[m_next] = State::Pending;
        ++m_inFlight;
        ++m_next;
        if (m_sentSinceEcho++ == 0)
            m_sinceEcho.restart();
        m_session.writeParameter(e.name, e.value);
        sent = true;
    }
    return sent;
}

CliWriteBatch::Account CliWriteBatch::run(const QList<ParamFileEntry> &writes)
{
    m_writes.clear();
    m_states.clear();
    m_index.clear();
    for (const ParamFileEntry &e : writes) {
        if (m_index.contains(e.name))
            continue;   // the file checker lets each name through once
        m_index.insert(e.name, int(m_writes.size()));
        m_writes.append(e);
        m_states.append(State::NotSent);
    }
    m_next = 0;
    m_inFlight = 0;
    m_sentSinceEcho = 0;
    m_linkLost = false;
    m_sinceEcho.start();

    Mav2Uart_Worker *w = m_session.worker();
    QList<QMetaObject::Connection> cs;
    cs << connect(w, &Mav2Uart_Worker::param_value_update_value, this, &CliWriteBatch::onEcho);
    cs << connect(w, &Mav2Uart_Worker::param_value_loading_value, this,
                  [this](const Parameter &p, int, uint16_t) { onEcho(p.name, float(p.value)); });
    cs << connect(w, &Mav2Uart_Worker::param_write_failed_value, this, &CliWriteBatch::onFailed);
    cs << connect(w, &Mav2Uart_Worker::disconnect_UI_disable, this, [this] { m_linkLost = true; });

    bool stalled = false;
    bool interrupted = false;
    QDeadlineTimer grace;
    QEventLoop loop;
    QTimer pump;
    pump.setInterval(5);
    connect(&pump, &QTimer::timeout, &loop, [&] {
        if (!interrupted && InterruptWatcher::interrupted()) {
            interrupted = true;
            grace.setRemainingTime(kInterruptGraceMs);
        }
        const bool silent = m_sentSinceEcho > 0 && m_sinceEcho.elapsed() >= kStallMs;
        stalled = stalled || silent;
        if (m_linkLost || (interrupted && (m_inFlight == 0 || grace.hasExpired()))) {
            loop.quit();
            return;
        }
        if (silent || interrupted) {
            if (m_inFlight == 0)
                loop.quit();   // stalled with nothing left that could still come back
            return;
        }
        stalled = false;
        sendMore();
        if (m_next >= m_writes.size() && m_inFlight == 0)
            loop.quit();
    });
    pump.start();
    sendMore();
    loop.exec();
    pump.stop();
    for (const auto &c : cs)
        disconnect(c);

    Account a;
    a.linkLost = m_linkLost;
    a.interrupted = interrupted;
    a.stalled = stalled && !m_linkLost && !interrupted;
    for (int i = 0; i < m_writes.size(); ++i) {
        const ParamFileEntry &e = m_writes[i];
        switch (m_states[i]) {
        case State::Confirmed:
            a.confirmed << e.name;
            break;
        case State::Pending:
        case State::Unconfirmed: {
            QString s = nameValue(e);
            const auto kept = m_refused.constFind(e.name);
            if (kept != m_refused.cend())
                s += QStringLiteral(" (the flight controller keeps %1)").arg(CliTool::formatValue(*kept));
            a.unconfirmed << s;
            break;
        }
        case State::NotSent:
            a.notSent << nameValue(e);
            break;
        }
    }
    return a;
}
