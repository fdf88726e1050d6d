// Every step of every sequence against every fault of the simulated radio, in-process: the
// session, its controllers and the simulated radio served on a pseudo-terminal in this process.
// Each cell must end as described (success only where the result is right, and always where only
// noise came in front of an answer), at the faulted answer (nothing further sent, only ESC to
// leave a dialogue), with nothing left running and the user's write values kept; then a second
// attempt against the healed radio must succeed. Nothing here is timed: the engine's own timers
// decide when silence is silence, and a bound far beyond any of them only catches a hang. Each
// cell runs once. The matrix is printed.

#include "tests/faults/FaultMatrix.h"
#include "base/Timing.h"
#include "connect/ConfigKeyConnector.h"
#include "connect/PowerOnDetector.h"
#include "connect/RadioSession.h"
#include "connect/SoftDiagnosis.h"
#include "exchange/AnswerBounds.h"
#include "exchange/RateTables.h"
#include "sim/SimServer.h"
#include "tests/support/LoopUntil.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>

using namespace FaultMatrix;

namespace {

// The no-answer watchdog runs 1 s. With nine cells side by side and both processors busy
// elsewhere, an answer the simulated radio has written can take that long to come out of the
// pseudo-terminal (300 ms was seen missed): the engine's silence rule is about the radio, not
// about a starved machine. The soft diagnosis ticks every 300 ms, well clear of the simulated
// line's own 20 ms check for an opened port.
double ScaleFor(const Sequence& seq) {
    return seq.road == Road::QxSoftDiagnosis ? 0.15 : 0.1;
}

// Only a hang is told by the clock: a healthy road at full length, at scale, many times over.
int HangMs(const Sequence& seq) {
    using Detector = CPowerOnDetector;
    using ConfigKey = CConfigKeyConnector;
    const int nominal =
        seq.road == Road::OrvPowerOn
            ? Detector::kCountdownSeconds * Detector::kTickMs + Detector::kReopenWaitMs +
                  Detector::kBeforePlusMs + Detector::kAfterPlusMs +
                  CRadioExchange::kOrvListingHoldMs
        : seq.road == Road::QxConfigKey
            ? (ConfigKey::kCountdownSeconds + 1) * ConfigKey::kTickMs + ConfigKey::kCloseWaitMs +
                  CRadioExchange::kQxListingHoldMs
            : static_cast<int>(RateTables::kSoftDiagRates.size() + 1) * CSoftDiagnosis::kTickMs +
                  CRadioExchange::kQxListingHoldMs;
    return 10 * AnswerBounds::AnswerBoundMs("ATP0?", 9600, nominal, ScaleFor(seq)) + 30000;
}

struct Attempt {
    std::string end = "hang"; // what ended it
    bool ok = false;          // read finished or write saved
    int ends = 0;
    bool idle = false;       // nothing reading or writing at the end
    bool valuesKept = true;  // the write's rows still those the user gave
    bool portClosed = false; // by the session itself, before the window's clean-up
    RadioSettings settings;
};

// The session and the connection procedures, wired as the window wires them: every end stops
// the procedures and closes the port (a finished read leaves command mode first).
class CRig {
public:
    explicit CRig(const Sequence& seq)
        : m_seq(seq), m_detector(m_session), m_configKey(m_session), m_softDiag(m_session) {
        m_session.SetFamily(seq.family);
        QObject::connect(&m_session, &CRadioSession::readFinished, [this](const RadioSnapshot& r) {
            m_read = r.settings;
            if (!m_seq.write) {
                End("read", true);
            } else if (!(m_seq.family == FAMILY_ORV ? m_session.StartWrite(m_orvPlan)
                                                    : m_session.StartWrite(m_qxPlan))) {
                End("write refused", false);
            }
        });
        QObject::connect(&m_session, &CRadioSession::writeFinished, [this] { End("saved", true); });
        Fail(&m_session, &CRadioSession::writeFailed, "write ERROR");
        Fail(&m_session, &CRadioSession::writeBroken, "write broken");
        Fail(&m_session, &CRadioSession::saveUnconfirmed, "save unconfirmed");
        Fail(&m_session, &CRadioSession::noAnswer, "no answer");
        Fail(&m_session, &CRadioSession::readFailed, "read failed");
        Fail(&m_session, &CRadioSession::portLost, "port lost");
        Fail(&m_detector, &CPowerOnDetector::timedOut, "no report");
        Fail(&m_detector, &CPowerOnDetector::reopenFailed, "reopen failed");
        Fail(&m_detector, &CPowerOnDetector::wrongFamily, "wrong family");
        Fail(&m_configKey, &CConfigKeyConnector::timedOut, "no module");
        Fail(&m_configKey, &CConfigKeyConnector::wrongFamily, "wrong family");
        Fail(&m_softDiag, &CSoftDiagnosis::exhausted, "no module at any rate");
        Fail(&m_softDiag, &CSoftDiagnosis::portUnavailable, "port unavailable");
    }

    Attempt Run(const QString& port) {
        m_attempt = Attempt{};
        m_read = RadioSettings{};
        m_session.SetPortName(port);
        if (m_seq.road == Road::QxSoftDiagnosis) {
            m_softDiag.Start();
        } else if (m_session.OpenPort(9600)) {
            m_seq.road == Road::OrvPowerOn ? m_detector.Start() : m_configKey.Start();
        }
        LoopUntil([this] { return m_attempt.ends > 0; }, HangMs(m_seq));
        if (m_attempt.ends == 0) {
            CleanUp(false);
        }
        // Anything still to come from this attempt shows as a second end.
        LoopUntil([] { return false; }, 5);
        return m_attempt;
    }

    const OrvWritePlan m_orvPlan = OrvPlan();
    const QxWritePlan m_qxPlan = SampleQxPlan(7);

private:
    template <class Sender, class Signal>
    void Fail(Sender* sender, Signal signal, const char* why) {
        QObject::connect(sender, signal, [this, why] { End(why, false); });
    }

    void End(const char* why, bool ok) {
        if (++m_attempt.ends > 1) {
            return;
        }
        const RadioSettings& s = m_session.Record();
        m_attempt.end = why;
        m_attempt.ok = ok;
        m_attempt.idle = !m_session.Reading() && !m_session.Writing();
        m_attempt.portClosed = !m_session.PortOpen();
        m_attempt.valuesKept =
            !m_seq.write || (m_seq.family == FAMILY_ORV ? s.orvProgram == m_orvPlan.program
                                                        : s.qxProgram == m_qxPlan.program);
        m_attempt.settings = m_read;
        CleanUp(ok && !m_seq.write);
    }

    void CleanUp(bool leaveCommandMode) {
        m_detector.Stop();
        m_configKey.Stop();
        m_softDiag.Stop();
        leaveCommandMode ? m_session.LeaveCommandMode() : m_session.ClosePort();
    }

    const Sequence& m_seq;
    CRadioSession m_session;
    CPowerOnDetector m_detector;
    CConfigKeyConnector m_configKey;
    CSoftDiagnosis m_softDiag;
    Attempt m_attempt;
    RadioSettings m_read; // what this attempt's read delivered
};

// One radio on its own pseudo-terminal, served in this process.
struct Line {
    Line(CSimRadio& radio, const Sequence& seq) : server(radio, log) {
        server.SetPacing(false);
        // The soft diagnosis looks for a module that is on: no CONFIG start answer meddles.
        server.SetAnnounceDelay(seq.road == Road::QxSoftDiagnosis ? 3600000 : 0);
        QString error;
        started = server.Start(&error);
    }
    CSimLog log;
    CSimServer server;
    bool started = false;
};

// What a right result looks like: the read's settings, or the radio's saved state after a write.
struct Reference {
    Attempt healthy;
    SimState saved;
};

bool SameRead(const RadioSettings& a, const RadioSettings& b, RadioFamily family) {
    return a.channels == b.channels &&
           (family == FAMILY_ORV ? a.orv == b.orv && a.orvCurrentChannel == b.orvCurrentChannel &&
                                       a.orvPortRate == b.orvPortRate
                                 : a.qx == b.qx);
}

struct Cell {
    bool pass = false;
    std::string why = {}; // what went wrong, or how a passing cell's first attempt ended and when
};

// How a fault must end an attempt; nullptr: any described end will do (the connection's own
// steps end in its own failures). Noise in front of an answer is always survived. After "at&w"
// went out, only ERROR says the radio did not save; a register write's answer that ends in
// "OK" without its echo is a wrong echo, however it came about.
const char* ExpectedEnd(const Sequence& seq, const Step& step, SimStepFault fault) {
    const bool save = step.name == "at&w";
    switch (fault) {
    case SimStepFault::Vanish:
        return "port lost";
    case SimStepFault::Noise:
        return seq.write ? "saved" : "read";
    case SimStepFault::SkipPrompt:
    case SimStepFault::RepeatPrompt:
    case SimStepFault::ChangeDigit:
        return "write broken";
    default:
        break;
    }
    if (!step.command) {
        return nullptr;
    }
    if (fault == SimStepFault::Error) {
        return seq.write ? "write ERROR" : "read failed";
    }
    if (save) {
        return "save unconfirmed";
    }
    const bool echoed = IsRegisterWrite(step) || step.name.starts_with("AT&F");
    return fault == SimStepFault::Overlong && echoed ? "write broken" : "no answer";
}

// What is wrong with an attempt, if anything; right tells a right result.
template <class Right> std::string Check(const Attempt& a, const char* which, Right right) {
    const std::string at = std::string(which) + " attempt (" + a.end + "): ";
    return a.ends == 0                             ? at + "no end within the bound"
           : a.ends > 1                            ? at + "more than one end"
           : !a.idle                               ? at + "still reading or writing"
           : a.end == "port lost" && !a.portClosed ? at + "the lost port was left open"
           : a.ok && !right(a)                     ? at + "success reported with a wrong result"
           : !a.ok && !a.valuesKept                ? at + "the write's values were not kept"
                                                   : std::string();
}

// The healthy attempt every cell is compared with; what is wrong with it, if anything.
std::string RunHealthy(const Sequence& seq, Reference* ref) {
    CSimRadio radio(seq.family);
    Line line(radio, seq);
    CRig rig(seq);
    *ref = {rig.Run(line.server.SlavePath()), radio.SavedState()};
    const std::string why = Check(ref->healthy, "healthy", [](const Attempt&) { return true; });
    return why.empty() && !ref->healthy.ok ? "healthy radio: " + ref->healthy.end : why;
}

// Noise in front of every answer, the announcements included: the same result as without.
std::string RunBehindNoise(const Sequence& seq, const Reference& ref) {
    CSimRadio radio(seq.family);
    SimFaults faults;
    faults.noise = "\xa7";
    radio.SetFaults(faults);
    Line line(radio, seq);
    CRig rig(seq);
    const Attempt a = rig.Run(line.server.SlavePath());
    const std::string why = Check(a, "noisy", [&](const Attempt&) {
        return seq.write ? radio.SavedState() == ref.saved
                         : SameRead(a.settings, ref.healthy.settings, seq.family);
    });
    return why.empty() && !a.ok ? "noise before every answer: " + a.end : why;
}

// The first attempt meets the fault; the second, on the same port unless it vanished, a healed
// radio switched off and on.
Cell RunCell(const Sequence& seq, const Step& step, SimStepFault fault, const Reference& ref) {
    CSimRadio radio(seq.family);
    const SimState untouched = radio.SavedState();
    SimFaults faults;
    faults.stepFault = fault;
    faults.stepFaultAt = step.reply;
    faults.stepFill = ReplyBuffer::kCapacity + 1;
    radio.SetFaults(faults);
    auto line = std::make_unique<Line>(radio, seq);
    if (!line->started) {
        return {false, "no pseudo-terminal"};
    }
    CRig rig(seq);
    const auto right = [&](const Attempt& a) {
        return seq.write ? radio.SavedState() == ref.saved
                         : SameRead(a.settings, ref.healthy.settings, seq.family);
    };

    const Attempt first = rig.Run(line->server.SlavePath());
    const char* wanted = ExpectedEnd(seq, step, fault);
    if (std::string why = Check(first, "first", right); !why.empty()) {
        return {false, why};
    }
    if (!radio.StepFaultStruck()) {
        return {false, "the fault never struck (" + first.end + ")"};
    }
    if (wanted != nullptr && first.end != wanted) {
        return {false, "ended in " + first.end + ", not " + wanted};
    }
    if (!radio.Vanished()) {
        // What the tool wrote before it closed the port reaches the radio by then.
        LoopUntil([&] { return !line->server.ToolHasPort(); }, HangMs(seq));
    }
    // A failure ends the attempt at the faulted answer: the radio is given nothing more (but
    // ESC where the write stopped inside the dialogue), and keeps what it had saved (unless the
    // fault spoiled the answer to "at&w", which the radio took all the same).
    if (step.command && !first.ok) {
        const bool esc = first.end == "write broken" && AnswersWithPrompt(step);
        if (radio.RepliesSent() != step.reply + (esc ? 1 : 0) ||
            radio.HeardSinceStrike() != (esc ? 1 : 0)) {
            return {false, "the radio was sent more after the fault: " +
                               std::to_string(radio.HeardSinceStrike()) + " bytes, " +
                               std::to_string(radio.RepliesSent()) + " replies, the fault at " +
                               std::to_string(step.reply)};
        }
        if (!(radio.SavedState() == untouched) && step.name != "at&w") {
            return {false, "the radio saved something"};
        }
    }

    radio.SetFaults({});
    if (radio.Vanished()) {
        radio.Reset();
        line = std::make_unique<Line>(radio, seq);
    } else {
        line->server.PowerCycle();
    }
    const Attempt second = rig.Run(line->server.SlavePath());
    if (std::string why = Check(second, "second", right); !why.empty()) {
        return {false, why};
    }
    if (!second.ok) {
        return {false, "second attempt failed: " + second.end};
    }
    return {true, first.end};
}

class FaultMatrixTest : public ::testing::TestWithParam<Sequence> {
protected:
    void SetUp() override { Timing::SetScale(ScaleFor(GetParam())); }
    void TearDown() override { Timing::SetScale(1.0); }
};

TEST_P(FaultMatrixTest, EveryStepEndsWellUnderEveryFault) {
    const Sequence& seq = GetParam();
    Reference ref;
    const std::string healthy = RunHealthy(seq, &ref);
    ASSERT_TRUE(healthy.empty()) << healthy;
    const std::string noisy = RunBehindNoise(seq, ref);
    EXPECT_TRUE(noisy.empty()) << noisy;

    const std::vector<Step> steps = Steps(seq);
    std::printf("%-34s", seq.name);
    for (const FaultColumn& column : kFaults) {
        std::printf(" %-8s", column.name);
    }
    std::printf("\n");
    int failed = 0;
    int cells = 0;
    for (const Step& step : steps) {
        // The cells of a row are independent (each its own line, radio and session) and mostly
        // wait: they run side by side, each on a thread with its own event loop.
        std::array<Cell, std::size(kFaults)> row;
        std::vector<std::unique_ptr<QThread>> threads;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (!Applies(step, kFaults[i].fault)) {
                continue;
            }
            threads.emplace_back(
                QThread::create([&, i] { row[i] = RunCell(seq, step, kFaults[i].fault, ref); }));
            threads.back()->start();
        }
        for (const auto& thread : threads) {
            thread->wait();
        }
        std::printf("%-34s", step.name.c_str());
        std::string why;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (!Applies(step, kFaults[i].fault)) {
                std::printf(" %-8s", "-");
                continue;
            }
            ++cells;
            if (!row[i].pass) {
                ++failed;
                why += "\n    " + std::string(kFaults[i].name) + ": " + row[i].why;
            }
            std::printf(" %-8s", row[i].pass ? "pass" : "FAIL");
        }
        std::printf("%s\n", why.c_str());
        std::fflush(stdout);
    }
    std::printf("%s: %zu steps, %d cells (- where a fault cannot strike), %d failed\n", seq.name,
                steps.size(), cells, failed);
    EXPECT_EQ(failed, 0);
}

INSTANTIATE_TEST_SUITE_P(Sequences, FaultMatrixTest, ::testing::ValuesIn(kSequences),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
