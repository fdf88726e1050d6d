#pragma once
// QX soft diagnosis: every 2 seconds re-open the port at the next rate of the search table and
// send "+++"; the module's start answer at its own rate begins the read.

#include <QObject>
#include <QTimer>

class CRadioSession;

class CSoftDiagnosis : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 2000;
    static constexpr int kAfterPlusMs = 200;

    explicit CSoftDiagnosis(CRadioSession& session, QObject* parent = nullptr);

    // Starts the search; the port is opened by the search itself.
    void Start();
    void Stop();
    // After exhausted(): closes the port (the message has been shown by then).
    void Finish();

    int RateIndex() const { return m_rateIndex; }
    bool Searching() const { return m_tick.isActive(); }

signals:
    // The rate being tried (index into the search table) and whether the port opened at it.
    void attempt(int rateIndex, int baud, bool opened);
    // The module answered: the read has begun at the rate of the last attempt.
    void connected(int baud);
    // All rates tried without an answer; show the message, then call Finish().
    void exhausted();
    // The port could not be opened at the first rate: it is missing, no serial port or held by
    // another program, and no other rate would change that. The search has stopped.
    void portUnavailable();

private:
    void OnTick();

    CRadioSession& m_session;
    QTimer m_tick;
    int m_rateIndex = 0;
    int m_lastBaud = 0;
    bool m_lastAttemptMade = false;
};
