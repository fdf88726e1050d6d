#pragma once
// One write into a radio and, when asked, the radio read back and compared with what the write
// decides. The window's Set and the command line's write both take this road, so that both say
// the same of the same radio: one report at the end, whatever happened on the way.

#include "connect/RadioSnapshot.h"
#include "document/Compare.h"
#include "document/SettingsJson.h"
#include "exchange/WritePlan.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class CRadioSession;

namespace Doc {

// How a write ended, as far as the radio let it be known.
enum class WriteOutcome {
    Saved,       // the radio confirmed the save; not read back
    Verified,    // the save went out, and the radio read back holds what the write decides
    HoldsOther,  // the save went out, and the radio read back holds something else
    Unverified,  // the save went out, but the radio could not be read back
    SaveUnclear, // the save went out, but its answer was not understood; not read back
    Refused,     // the radio answered ERROR: the write stopped before the save
    Broken,      // the radio asked for or took something else than was due: stopped, not saved
    NoAnswer,    // the radio fell silent before its save was answered: not saved
};

struct WriteReport {
    WriteOutcome outcome = WriteOutcome::Saved;
    // The save's answer was not understood (the radio may still have saved, and a read-back
    // may have shown it holds what was written).
    bool saveUnclear = false;
    Verification verification; // after a read-back
    // What went wrong in the radio's words (Broken), or why the read-back failed (Unverified).
    QString detailChinese;
    QString detailEnglish;
    std::optional<SettingsDocument> held; // the radio as read back
    // A reply too long to be one of the radio's answers was thrown away on the way.
    bool replyRejected = false;

    // The radio was given the save (its answer may be unknown).
    bool SaveSent() const;
    // Nothing is known to be wrong: the radio confirmed the save, or holds what was written.
    bool Good() const {
        return outcome == WriteOutcome::Saved || outcome == WriteOutcome::Verified;
    }
    QString Detail(bool english) const { return english ? detailEnglish : detailChinese; }
    // The one message the window shows at the end of the write, naming at most most differences.
    QString Message(bool english, int most = 12) const;
};

// The write plan of either family.
struct WriteOrder {
    RadioFamily family = FAMILY_ORV;
    OrvWritePlan orv;
    QxWritePlan qx;
};

class CWriteVerify : public QObject {
    Q_OBJECT
public:
    // After the save's answer, and after a read's last answer, a radio settles before it takes
    // the next command.
    static constexpr int kSettleMs = 300;

    explicit CWriteVerify(CRadioSession& session, QObject* parent = nullptr);

    // Starts writing order into the radio, which last read as before; with verify, the radio is
    // read back once it was given the save. False, with nothing sent, when the session refuses.
    bool Start(const WriteOrder& order, const SettingsDocument& before, bool verify);
    // From Start until finished has been emitted.
    bool Running() const { return m_phase != Phase::Idle; }
    // The radio is being read back: the read that runs is this road's, not a new page's.
    bool ReadingBack() const {
        return m_phase == Phase::Settling || m_phase == Phase::ReadBack || m_endsReadBack;
    }
    // Forgets the write without a report (the port is gone, the page was left).
    void Abandon();

signals:
    // The save went out (its answer understood or not) and the radio is about to be read back.
    void readingBack(bool saveUnclear);
    // The end of the road (emitted once per Start, after the session's own signal has been dealt
    // with by everyone listening to it).
    void finished(const Doc::WriteReport& report);

private:
    enum class Phase { Idle, Writing, Settling, ReadBack, Ending };

    void OnSaveAnswered(bool understood);
    void OnReadFinished(const RadioSnapshot& read);
    void OnNoAnswer();
    void ReadBackFailed(const QString& chinese, const QString& english);
    void Finish(WriteReport report);

    CRadioSession& m_session;
    Phase m_phase = Phase::Idle;
    bool m_verify = false;
    bool m_saveUnclear = false;
    bool m_endsReadBack = false; // the report under way ends a read-back
    bool m_replyRejected = false;
    RadioFamily m_family = FAMILY_ORV;
    ExpectedDocument m_expected;
    QTimer m_settle;
};

} // namespace Doc

Q_DECLARE_METATYPE(Doc::WriteReport)
