#pragma once
// ORV power-on detection: with the port open at 9600, count down 30 seconds and look once a
// second for the radio's 19-character power-on report; on a report re-open the port at the
// radio's rate and send "+++" so that the radio's start answer begins the read.

#include <QObject>
#include <QTimer>

class CRadioSession;

class CPowerOnDetector : public QObject {
    Q_OBJECT
public:
    static constexpr int kCountdownSeconds = 30;
    static constexpr int kTickMs = 1000;
    static constexpr int kReopenWaitMs = 1000;
    static constexpr int kBeforePlusMs = 3000;
    static constexpr int kAfterPlusMs = 2000;

    explicit CPowerOnDetector(CRadioSession& session, QObject* parent = nullptr);

    // Starts counting; the session's port is open at 9600 with its monitor running.
    void Start();
    // Counts again after a time-out, on the port that is still open.
    void Redetect();
    // Stops the countdown and any step still to come.
    void Stop();

    int SecondsLeft() const { return m_secondsLeft; }
    bool Counting() const { return m_tick.isActive(); }

signals:
    // The value shown on this tick: 30, 29, ..., 1, 0.
    void tick(int secondsShown);
    // A report was seen; the port is being re-opened at baud.
    void detected(int channel, int rateCode, int baud);
    // The port is open at the radio's rate: the reading page is due now; "+++" follows.
    void reopened();
    // "+++" has been handed to the port.
    void plusSent();
    // No report in time; the port stays open at 9600 and the reply buffer is empty.
    void timedOut();
    // The port could not be re-opened at the radio's rate; it is closed now.
    void reopenFailed();
    // A start answer came without "+++": a QX module in command mode is on the port. The port
    // has been told to leave command mode and is closed.
    void wrongFamily();

private:
    void OnTick();
    void Reopen();
    void SendPlus();

    CRadioSession& m_session;
    QTimer m_tick;
    // The steps after a report, each a single shot that Stop() cancels.
    QTimer m_reopenWait;
    QTimer m_beforePlus;
    int m_secondsLeft = kCountdownSeconds;
    int m_reopenBaud = 0;
    bool m_plusSent = false;
};
