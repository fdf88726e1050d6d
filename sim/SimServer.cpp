#include "sim/SimServer.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace {

constexpr qint64 kBitsPerByte = 10; // start, eight data bits, stop
constexpr int kRetryMs = 5;
constexpr std::size_t kMaxChunk = 4096;

QString FamilyText(int family) {
    return family == FAMILY_ORV ? QStringLiteral("ORV") : QStringLiteral("QX");
}

} // namespace

CSimServer::CSimServer(CSimRadio& radio, CSimLog& log, QObject* parent)
    : QObject(parent), m_radio(radio), m_log(log) {
    m_lineTimer.setInterval(kLineCheckMs);
    connect(&m_lineTimer, &QTimer::timeout, this, &CSimServer::OnLineCheck);
    m_paceTimer.setSingleShot(true);
    m_paceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_paceTimer, &QTimer::timeout, this, &CSimServer::OnPace);
    m_announceTimer.setSingleShot(true);
    connect(&m_announceTimer, &QTimer::timeout, this, [this] { Announce(false); });
    m_clock.start();
}

CSimServer::~CSimServer() {
    m_readNotifier.reset();
    m_pty.Close();
}

bool CSimServer::Start(QString* error) {
    std::string why;
    if (!m_pty.Open(&why)) {
        *error = QString::fromStdString(why);
        return false;
    }
    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.Fd(), QSocketNotifier::Read);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &CSimServer::OnReadable);
    m_lineTimer.start();
    m_log.Event(QStringLiteral("%1 radio on %2, own rate %3 baud")
                    .arg(FamilyText(m_radio.Family()), SlavePath())
                    .arg(m_radio.SerialRate()));
    return true;
}

QString CSimServer::SlavePath() const {
    return QString::fromStdString(m_pty.SlavePath());
}

int CSimServer::RadioBaud() const {
    return m_configSession ? kAnnounceBaud : m_radio.SerialRate();
}

void CSimServer::OnLineCheck() {
    const bool open = m_pty.SlaveIsOpen();
    if (open && !m_open) {
        Opened();
    } else if (!open && m_open) {
        Closed();
    } else if (!open && m_pty.HasInput()) {
        // The tool opened, wrote and closed between two checks: the radio still heard the bytes,
        // at the rate the line was left at.
        m_log.Event(QStringLiteral("bytes written between two checks of the line"));
        TakeInput();
        m_pty.Flush();
    }
}

void CSimServer::SetManualPower(bool manual) {
    m_manualPower = manual;
    m_powerCyclePending = !manual;
}

void CSimServer::Opened() {
    m_open = true;
    m_announceTimer.stop(); // a power-on belongs to the opening it was due in
    m_bytesSinceOpen = 0;
    m_toolListens = false;
    m_announceDue = m_powerCyclePending ||
                    (!m_manualPower && m_clock.elapsed() - m_closedAtMs > kReopenGraceMs);
    m_readNotifier->setEnabled(true);
    m_log.Event(QStringLiteral("port opened at %1 baud").arg(m_pty.ToolBaud()));
}

void CSimServer::InputDiscarded() {
    if (!m_open) {
        return;
    }
    if (!m_toolListens) {
        m_toolListens = true;
        m_log.Event(QStringLiteral("the tool listens (it discarded its input)"));
    }
    if (m_announceDue) {
        m_announceDue = false;
        m_announceTimer.start(m_announceDelayMs);
    }
}

void CSimServer::Closed() {
    m_open = false;
    m_announceDue = false;
    m_announceTimer.stop();
    m_toolListens = false;
    // What the tool wrote just before closing was on the line: the radio hears it (and answers
    // nobody).
    TakeInput();
    m_closedAtMs = m_clock.elapsed();
    m_readNotifier->setEnabled(false);
    m_paceTimer.stop();
    if (!m_out.empty()) {
        m_log.Event(QStringLiteral("port closed, %1 bytes not sent").arg(m_out.size()));
        m_out.clear();
    } else {
        m_log.Event(QStringLiteral("port closed"));
    }
    if (m_configSession) {
        m_configSession = false;
        m_log.Event(
            QStringLiteral("CONFIG session over, back at %1 baud").arg(m_radio.SerialRate()));
    }
    m_pty.Flush();
}

void CSimServer::PowerCycle() {
    // The line as it is now, not as it was at the last check: a tool that has just opened the
    // port hears the radio at once.
    OnLineCheck();
    if (m_open) {
        Announce(true);
        return;
    }
    m_radio.Reset();
    m_configSession = false;
    m_powerCyclePending = true;
    m_log.Event(QStringLiteral("switched off and on; announcing at the next opening"));
}

void CSimServer::Announce(bool keyPress) {
    if (!m_open) {
        return;
    }
    const int toolBaud = m_pty.ToolBaud();
    if (toolBaud != kAnnounceBaud) {
        m_log.Event(QStringLiteral("tool listens at %1 baud: no announcement").arg(toolBaud));
        if (keyPress) {
            m_radio.Reset();
            m_configSession = false;
        }
        return;
    }
    // A tool that already talks to the radio (a QX soft diagnosis, an ORV read after the
    // detection re-opened the port) is talking to a radio that is on; only a key press
    // announces it again.
    if (!keyPress && m_bytesSinceOpen > 0) {
        m_log.Event(QStringLiteral("tool has written since opening: no announcement"));
        return;
    }
    m_powerCyclePending = false;
    m_out.clear();
    const std::string text = m_radio.PowerOnAnnouncement();
    if (CheckVanished()) {
        return;
    }
    m_configSession = m_radio.Family() == FAMILY_QX;
    m_log.Event(m_configSession ? QStringLiteral("powered on with CONFIG held")
                                : QStringLiteral("powered on"));
    Queue(text, kAnnounceBaud);
}

void CSimServer::OnReadable() {
    // EIO (nobody has the slave open any more) or another failure: the tool has gone.
    if (!TakeInput() && m_open) {
        Closed();
    }
    if (!m_open) {
        m_readNotifier->setEnabled(false);
    }
}

bool CSimServer::TakeInput() {
    for (;;) {
        std::string bytes;
        bool discarded = false;
        if (!m_pty.Read(&bytes, &discarded)) {
            if (errno == EINTR) {
                continue;
            }
            return errno == EAGAIN || errno == EWOULDBLOCK;
        }
        if (discarded) {
            InputDiscarded();
        }
        if (!bytes.empty()) {
            Received(bytes);
        }
    }
}

void CSimServer::Received(std::string_view bytes) {
    m_bytesSinceOpen += static_cast<qint64>(bytes.size());
    // A pseudo-terminal carries no rate with its bytes: what counts is the rate the line is at
    // when the radio takes them, so a tool that changes the rate under bytes it has just written
    // loses them, as it would on a real line.
    const int toolBaud = m_pty.ToolBaud();
    const int radioBaud = RadioBaud();
    if (toolBaud != radioBaud) {
        // At another rate the radio sees only line noise.
        m_log.Bytes("drop", bytes, toolBaud);
        return;
    }
    m_log.Bytes("in", bytes, toolBaud);
    const std::string reply = m_radio.Receive(bytes);
    if (CheckVanished()) {
        return;
    }
    if (!reply.empty()) {
        Queue(reply, radioBaud);
    }
    if (m_radio.TakeSaved()) {
        emit saved();
    }
}

bool CSimServer::CheckVanished() {
    if (!m_radio.Vanished() || m_pty.Fd() < 0) {
        return m_pty.Fd() < 0;
    }
    m_log.Event(QStringLiteral("line vanished: the port is closed under the tool"));
    m_readNotifier->setEnabled(false);
    m_lineTimer.stop();
    m_paceTimer.stop();
    m_announceTimer.stop();
    m_out.clear();
    m_open = false;
    m_pty.Close();
    emit vanished();
    return true;
}

void CSimServer::Queue(const std::string& bytes, int baud) {
    if (!m_open || bytes.empty() || baud <= 0) {
        return;
    }
    if (m_out.empty()) {
        m_nextDueNs = m_clock.nsecsElapsed();
    }
    for (char c : bytes) {
        m_out.push_back({c, baud});
    }
    if (!m_paceTimer.isActive()) {
        OnPace();
    }
}

void CSimServer::OnPace() {
    if (!m_open || m_out.empty()) {
        m_out.clear();
        return;
    }
    const qint64 now = m_clock.nsecsElapsed();
    const int baud = m_out.front().baud;
    const qint64 byteNs = kBitsPerByte * 1000000000LL / baud;
    std::string chunk;
    while (!m_out.empty() && m_out.front().baud == baud && chunk.size() < kMaxChunk &&
           (!m_pace || m_nextDueNs <= now)) {
        chunk += m_out.front().byte;
        m_out.pop_front();
        m_nextDueNs += byteNs;
    }
    if (!chunk.empty()) {
        const ssize_t n = ::write(m_pty.Fd(), chunk.data(), chunk.size());
        const std::size_t written = n > 0 ? static_cast<std::size_t>(n) : 0;
        if (n < 0 && errno == EIO) {
            Closed();
            return;
        }
        // What the line did not take goes back to the front, to be tried again.
        for (std::size_t i = chunk.size(); i > written; --i) {
            m_out.push_front({chunk[i - 1], baud});
            m_nextDueNs -= byteNs;
        }
        m_log.Bytes("out", std::string_view(chunk).substr(0, written), baud);
        if (written < chunk.size()) {
            m_paceTimer.start(kRetryMs);
            return;
        }
    }
    if (!m_out.empty()) {
        const qint64 waitNs = m_pace ? m_nextDueNs - m_clock.nsecsElapsed() : 0;
        m_paceTimer.start(static_cast<int>(std::max<qint64>(0, (waitNs + 999999) / 1000000)));
    }
}
