#pragma once
// QX power-on connection: the user holds CONFIG and powers the module on within 10 seconds while
// the port listens at 9600. Nothing is sent; the module's start answer begins the read.

#include <QObject>
#include <QTimer>

class CRadioSession;

class CConfigKeyConnector : public QObject {
    Q_OBJECT
public:
    static constexpr int kCountdownSeconds = 10;
    static constexpr int kTickMs = 1000;
    static constexpr int kCloseWaitMs = 1000;

    explicit CConfigKeyConnector(CRadioSession& session, QObject* parent = nullptr);

    // Starts counting; the session's port is open at 9600 with its monitor running.
    void Start();
    void Stop();

    int SecondsLeft() const { return m_secondsLeft; }
    bool Counting() const { return m_tick.isActive(); }

signals:
    // The value shown: 10 at once, 10 again at the first tick, then 9 down to 0.
    void tick(int secondsShown);
    // The module answered: the read has begun.
    void connected();
    // An ORV radio reported its power-on instead: the port has been closed.
    void wrongFamily();
    // No answer in time; the port has been closed.
    void timedOut();

private:
    void OnTick();

    CRadioSession& m_session;
    QTimer m_tick;
    // The rest after closing the port, before the user is told; Stop() cancels it.
    QTimer m_closeWait;
    int m_secondsLeft = kCountdownSeconds;
};
