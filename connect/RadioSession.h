#pragma once
// One connection to a radio: the serial port and the command exchange, with the exchange's host
// implemented on Qt (holds on the port, the watchdog and the answer bound on timers). The main
// window and the command-line client each own one, drive it through the methods below and
// listen to its signals; its parts are not handed out, so that every write takes a path that
// says whether an answer is awaited. A completed read is handed out as a snapshot; the record
// the exchange fills is the session's own.

#include "connect/RadioSnapshot.h"
#include "exchange/RadioExchange.h"
#include "serial/CommPort.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

class CRadioSession : public QObject, public IExchangeHost, public IPortOwner {
    Q_OBJECT
public:
    explicit CRadioSession(QObject* parent = nullptr);
    ~CRadioSession() override;

    // What the exchange holds now: the last read, the power-on report and the rows of the
    // last write. For diagnosis; a read's result is the snapshot readFinished carries.
    const RadioSettings& Record() const { return m_record; }
    // The ORV radio's power-on report: its current channel slot and port-rate code go into the
    // next read's snapshot.
    void NotePowerOnReport(int channel, int rateCode);

    void SetFamily(RadioFamily family) { m_exchange.SetFamily(family); }
    RadioFamily Family() const { return m_exchange.Family(); }

    void SetPortName(const QString& name) { m_portName = name; }
    QString PortName() const { return m_portName; }

    // Opens the chosen port at baud (8N1) and starts its monitor; false when it cannot be opened.
    bool OpenPort(int baud);
    // Closes the port (a pending write goes out first) and forgets any outstanding command.
    void ClosePort();
    bool PortOpen() const { return m_portOpen; }
    // Records the port's traffic into log (nullptr stops); the caller keeps it alive meanwhile.
    void SetTrafficLog(CTrafficLog* log) { m_port.SetTrafficLog(log); }
    // The rate the port was last opened at.
    int LineRate() const;

    // Sends a command whose answer is awaited: the no-answer watchdog and the answer bound run
    // until the answer is taken; silence or an answer that never ends leads to noAnswer().
    void SendWatched(const std::string& text);
    // Sends bytes that may well go unanswered (the escape sequence at a rate being tried).
    void SendUnwatched(const std::string& text);
    // For ms milliseconds (nominal) no received byte is handled, and a write requested while a
    // byte is handled waits as well. Never blocks.
    void Hold(int ms) override;
    // Leaves the radio's command mode: "ata\r" goes out, then the port is closed.
    void LeaveCommandMode();
    // Handles what has arrived from the radio and not been handled yet. A decision taken when a
    // timer runs out calls it first, so that a busy machine never turns an answer that came in
    // time into a missing one.
    void TakeArrived() { m_port.TakeArrived(); }

    // Starts writing what Set prepared: "ATP0=\r" goes out and the radio's answers drive the
    // rest, ending in writeFinished, writeFailed, writeBroken, saveUnconfirmed or noAnswer.
    // False, with nothing sent, while a write runs or when the plan is refused.
    bool StartWrite(const OrvWritePlan& plan) { return m_exchange.StartWrite(plan); }
    bool StartWrite(const QxWritePlan& plan) { return m_exchange.StartWrite(plan); }
    bool Writing() const { return m_exchange.Write().Running(); }
    // Reads the radio of family again from the command mode it is still in after a write (no
    // "+++", no start answer): readStarted, readProgress, then readFinished or readFailed (or
    // noAnswer). False, with nothing sent, when the port is closed or a read or write runs.
    bool ReadAgain(RadioFamily family);
    bool Reading() const { return m_exchange.Reading(); }
    const CWriteSequence& WriteSequence() const { return m_exchange.Write(); }

    // The bytes received since the last command or discard, as text (the ORV power-on report is
    // looked for in it).
    const std::string& ReceivedText() const { return m_exchange.Buffer().text; }
    // Forgets the bytes received so far.
    void DiscardReceived() { m_exchange.Buffer().Reset(); }

signals:
    void readStarted(RadioFamily family);
    // The read is complete: what the radio holds, at this moment, on this port.
    void readFinished(const RadioSnapshot& snapshot);
    void readProgress(int done, int total);
    void noAnswer();
    void replyRejected();
    // The read ended without its settings; command is the read command concerned ("ATS132?"),
    // reply what the radio sent, one character per byte (Latin-1).
    void readFailed(ReadFailure why, const QString& command, const QString& reply);
    // The radio confirmed the save of a write, or refused a write's command with "ERROR".
    void writeFinished(RadioFamily family);
    void writeFailed(RadioFamily family);
    // The radio asked for another prompt than the one due, or echoed other than was sent: the
    // write stopped there (ESC went out if the channel dialogue was open). The texts say which.
    void writeBroken(RadioFamily family, const QString& chinese, const QString& english);
    // "at&w" went out but its answer was not understood: the radio may have saved.
    void saveUnconfirmed(RadioFamily family);
    void portLost(const QString& reason);

private:
    // IExchangeHost
    void SendCommand(const std::string& text) override;
    void ReadStarted(RadioFamily family) override;
    void ReadFinished(RadioFamily family) override;
    void ReadProgress(int done, int total) override { emit readProgress(done, total); }
    void SetWatchdog(int ms) override;
    void ExpectAnswer(const std::string& command, int holdMs) override;
    void NoAnswer() override;
    void ReplyRejected() override;
    void WriteFinished(RadioFamily family) override;
    void WriteFailed(RadioFamily family) override;
    void WriteBroken(RadioFamily family, const WriteFault& fault) override;
    void SaveUnconfirmed(RadioFamily family) override;
    void ReadFailed(ReadFailure why, const std::string& command, const std::string& reply) override;

    // IPortOwner
    void OnPortRxChar(unsigned char byte, const QString& portName) override;
    void OnPortLost(const QString& portName, const QString& reason) override;

    void OnWatchdogTimeout();
    void OnAnswerBoundTimeout();
    // A timer of the no-answer rules ran out at due: whether the program itself stood still
    // for a while just before (a busy machine), so that the radio's answer may be waiting in
    // the port.
    bool Stalled(const QDeadlineTimer& due, int periodMs) const;
    // Runs the watchdog (or the answer bound) once more for its period, a few times in a row at
    // most; false when those are used up.
    bool GiveAnotherPeriod(bool bound);
    // Ends the wait for an answer (bound: the whole answer took too long; otherwise silence)
    // once every byte already handed over has been handled.
    void ExpireAfterDelivery(bool bound);
    void StopTimers();

    RadioSettings m_record;
    CRadioExchange m_exchange;
    CCommPort m_port;
    QTimer m_watchdog;
    QDeadlineTimer m_watchdogDeadline;
    // The second rule besides silence: the answer to one command must be complete in time.
    QTimer m_answerBound;
    QDeadlineTimer m_answerDeadline;
    int m_watchdogPeriod = 0;
    int m_watchdogGraces = 0; // periods given on top since the last byte
    int m_boundGraces = 0;    // since the last command
    bool m_expiring = false;  // a timer ran out; the bytes already read are handled first
    QString m_portName;
    bool m_portOpen = false;
};
