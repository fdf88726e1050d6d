#pragma once
// Serves a simulated radio on a pseudo-terminal: answers only when the tool's side is set to
// the radio's rate, paces the answers at the line rate, and announces the radio (ORV power-on
// report, QX start answer with CONFIG held) when the tool opens the port as for a power-on
// detection. The announcement waits until the tool listens: until it has discarded its input
// after opening, as a serial program does first, so that it is never lost to that discard.

#include "sim/PtyMaster.h"
#include "sim/SimLog.h"
#include "sim/SimRadio.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <memory>
#include <string_view>

class CSimServer : public QObject {
    Q_OBJECT
public:
    // The rate both families use to announce themselves, and a QX module held in CONFIG talks at.
    static constexpr int kAnnounceBaud = 9600;
    // A re-open within this time of a close is the tool changing rates, not a new power-on.
    static constexpr int kReopenGraceMs = 2000;
    static constexpr int kLineCheckMs = 20;

    CSimServer(CSimRadio& radio, CSimLog& log, QObject* parent = nullptr);
    ~CSimServer() override;

    void SetAnnounceDelay(int ms) { m_announceDelayMs = ms; }
    void SetPacing(bool pace) { m_pace = pace; }
    // The radio is switched on only by PowerCycle: an opening of the port is never taken for
    // a power-on by itself.
    void SetManualPower(bool manual);

    // Creates the pseudo-terminal and starts watching it.
    bool Start(QString* error);
    QString SlavePath() const;
    bool ToolHasPort() const { return m_open; }

    // The user switched the radio off and on: it announces itself now if the tool has the port
    // open at 9600, or once the tool next opens the port and listens.
    void PowerCycle();

signals:
    // "at&w": the radio's saved settings have changed.
    void saved();
    // A vanish fault closed the line under the tool; nothing is served any more.
    void vanished();

private:
    void OnReadable();
    // Reads and handles everything the tool has written; false once the tool's side is closed.
    bool TakeInput();
    void OnLineCheck();
    void OnPace();
    void Opened();
    void Closed();
    void Received(std::string_view bytes);
    // The tool discarded its unread input: from its first discard after opening it listens.
    void InputDiscarded();
    void Announce(bool keyPress);
    int RadioBaud() const;
    void Queue(const std::string& bytes, int baud);
    // Closes the pseudo-terminal for good if the radio's line has just vanished.
    bool CheckVanished();

    struct OutByte {
        char byte;
        int baud;
    };

    CSimRadio& m_radio;
    CSimLog& m_log;
    CPtyMaster m_pty;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    QTimer m_lineTimer;
    QTimer m_paceTimer;
    QTimer m_announceTimer; // the power-on announcement, once the tool listens
    QElapsedTimer m_clock;
    int m_announceDelayMs = 1000;
    bool m_pace = true;

    bool m_open = false;
    bool m_manualPower = false;
    // Until the radio has announced itself, every opening is its power-on (a port probe that
    // opens and closes the line at once does not use it up).
    bool m_powerCyclePending = true;
    // This opening is a power-on: the radio announces itself once the tool listens.
    bool m_announceDue = false;
    bool m_toolListens = false;   // the tool has discarded its input since this opening
    bool m_configSession = false; // QX powered on with CONFIG held: 9600 until the port closes
    qint64 m_closedAtMs = 0;
    qint64 m_bytesSinceOpen = 0;

    std::deque<OutByte> m_out;
    qint64 m_nextDueNs = 0;
};
