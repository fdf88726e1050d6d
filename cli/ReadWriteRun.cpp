#include "cli/ReadWriteRun.h"

#include "base/Timing.h"
#include "cli/CheckedOutput.h"
#include "cli/CliCommands.h"
#include "cli/PortProblem.h"
#include "connect/ConfigKeyConnector.h"
#include "connect/PowerOnDetector.h"
#include "connect/RadioSession.h"
#include "connect/SoftDiagnosis.h"
#include "document/Compare.h"
#include "document/DocumentSet.h"
#include "document/History.h"
#include "document/SettingsJson.h"
#include "document/WriteVerify.h"
#include "exchange/ReadFailureText.h"
#include "exchange/WriteFault.h"
#include "serial/TrafficLog.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace Cli {
namespace {

bool StderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// As the page appears only after the read's last answer has settled, the write's first command
// waits as long.
constexpr int kBeforeWriteMs = 300;

// One read, from opening the port to the settings document.
class CReadRun {
public:
    CReadRun(const ReadOptions& options, QTextStream& out, QTextStream& err)
        : m_options(options), m_out(out), m_err(err), m_detector(m_session), m_configKey(m_session),
          m_softDiag(m_session), m_write(m_session) {}

    int Exec() {
        m_session.SetPortName(m_options.port);
        m_session.SetFamily(m_options.family);
        WireSession();
        if (!m_options.trace.isEmpty()) {
            QString error;
            if (!m_trace.WriteTo(m_options.trace, &error)) {
                m_err << error << '\n';
                return kOutputFailed;
            }
            m_session.SetTrafficLog(&m_trace);
        }
        int status = kPortUnavailable;
        if (Begin()) {
            m_loop.exec();
            status = *m_status;
        }
        return FinishTrace(status);
    }

private:
    // A trace that could not be written whole fails a read that went well.
    int FinishTrace(int status) {
        m_session.SetTrafficLog(nullptr);
        QString error;
        if (!m_options.trace.isEmpty() && !m_trace.Finish(&error)) {
            m_err << error << '\n';
            return status == kReadComplete ? kOutputFailed : status;
        }
        return status;
    }

    void Finish(int status, const QString& message = {}) {
        if (m_status) {
            return;
        }
        m_status = status;
        if (!message.isEmpty()) {
            m_err << "\n" << message << '\n';
            m_err.flush();
        }
        m_detector.Stop();
        m_configKey.Stop();
        m_softDiag.Stop();
        m_session.ClosePort();
        m_loop.quit();
    }

    void Progress(const QString& text) {
        m_err << '\r' << text << "   ";
        m_err.flush();
    }

    void WireSession() {
        QObject::connect(&m_session, &CRadioSession::readStarted, [this](int) {
            // One road at a time: no countdown goes on printing over the read.
            m_detector.Stop();
            m_configKey.Stop();
            m_err << (m_write.ReadingBack() ? "Reading the settings back...\n"
                                            : "\nReading the settings...\n");
            m_err.flush();
        });
        // The steps of the read, for a person watching; logs and pipes get nothing extra.
        if (StderrIsTerminal()) {
            QObject::connect(&m_session, &CRadioSession::readProgress, [this](int done, int total) {
                Progress(QString("read step %1 of %2").arg(done).arg(total));
                if (done == total) {
                    m_err << '\n';
                }
            });
        }
        QObject::connect(&m_session, &CRadioSession::readFinished, [this](const RadioSnapshot& r) {
            const SettingsDocument read{r.family, r.settings};
            KeepInHistory(read);
            if (m_write.ReadingBack()) {
                return; // the write's road compares it
            }
            if (m_options.write == nullptr) {
                WriteSettings(read);
            } else if (m_options.dryRun) {
                ShowChanges(read);
            } else {
                m_before = read;
                BeginWrite();
            }
        });
        QObject::connect(&m_write, &Doc::CWriteVerify::readingBack, [this](bool saveUnclear) {
            m_writeMs = m_writeClock.elapsed();
            m_saveUnclear = saveUnclear;
            m_err << "\n" << SavedText() << " Reading them back to verify...\n";
            m_err.flush();
        });
        QObject::connect(&m_write, &Doc::CWriteVerify::finished,
                         [this](const Doc::WriteReport& r) { WriteEnded(r); });
        // While the write's road runs, it reports how the radio's silence or a failed read-back
        // ends it.
        QObject::connect(&m_session, &CRadioSession::noAnswer, [this] {
            if (!m_write.Running()) {
                Finish(kReadFailed, "The radio stopped answering; the read is incomplete.");
            }
        });
        QObject::connect(&m_session, &CRadioSession::readFailed,
                         [this](ReadFailure why, const QString& command, const QString& reply) {
                             if (!m_write.Running()) {
                                 Finish(kReadFailed, QString::fromStdString(ReadFailureText(
                                                         why, command.toStdString(),
                                                         reply.toLatin1().toStdString(), true)));
                             }
                         });
        QObject::connect(&m_session, &CRadioSession::replyRejected, [this] {
            m_err << "\nThe radio sent a reply too long to be one of its answers; it was "
                     "ignored.\n";
            m_err.flush();
        });
        QObject::connect(&m_session, &CRadioSession::portLost, [this](const QString& reason) {
            const bool writing = m_write.Running() && !m_write.ReadingBack();
            m_write.Abandon();
            Finish(kReadFailed, QString("The serial port %1 was lost during the %2: %3")
                                    .arg(m_options.port, writing ? "write" : "read", reason));
        });
    }

    bool Begin() {
        if (m_options.family == FAMILY_ORV) {
            return BeginOrv();
        }
        return m_options.softDiagnosis ? BeginSoftDiagnosis() : BeginConfigKey();
    }

    bool OpenAt9600() {
        if (m_session.OpenPort(9600)) {
            return true;
        }
        m_err << "Cannot open serial port " << m_options.port << ": "
              << WhyPortNotOpened(*m_options.system, m_options.port) << ".\n";
        return false;
    }

    bool BeginOrv() {
        if (!OpenAt9600()) {
            return false;
        }
        m_err << "Switch the ORV radio on now (it is detected within "
              << CPowerOnDetector::kCountdownSeconds << " seconds).\n";
        QObject::connect(&m_detector, &CPowerOnDetector::tick,
                         [this](int seconds) { Progress(QString("%1 s left").arg(seconds)); });
        QObject::connect(&m_detector, &CPowerOnDetector::detected,
                         [this](int channel, int code, int baud) {
                             m_err << QString("\nRadio detected: channel %1, port rate code %2 "
                                              "(%3 baud). Connecting...\n")
                                          .arg(channel)
                                          .arg(code)
                                          .arg(baud);
                             m_err.flush();
                         });
        QObject::connect(&m_detector, &CPowerOnDetector::timedOut, [this] {
            Finish(kNoRadio, "No radio detected: the radio's power-on report did not arrive "
                             "in time.");
        });
        QObject::connect(&m_detector, &CPowerOnDetector::reopenFailed, [this] {
            Finish(
                kPortUnavailable,
                QString("Cannot re-open serial port %1 at the radio's rate.").arg(m_options.port));
        });
        QObject::connect(&m_detector, &CPowerOnDetector::wrongFamily, [this] {
            Finish(kNoRadio, "This port has a QX260 module; use --family qx.");
        });
        m_detector.Start();
        return true;
    }

    bool BeginConfigKey() {
        if (!OpenAt9600()) {
            return false;
        }
        m_err << "Hold the module's CONFIG key and power it on now (within "
              << CConfigKeyConnector::kCountdownSeconds << " seconds).\n";
        QObject::connect(&m_configKey, &CConfigKeyConnector::tick,
                         [this](int seconds) { Progress(QString("%1 s left").arg(seconds)); });
        QObject::connect(&m_configKey, &CConfigKeyConnector::timedOut, [this] {
            Finish(kNoRadio, "No module answered: it was not powered on with CONFIG held in "
                             "time.");
        });
        QObject::connect(&m_configKey, &CConfigKeyConnector::wrongFamily, [this] {
            Finish(kNoRadio, "This port has an ORV radio; use --family orv.");
        });
        m_configKey.Start();
        return true;
    }

    bool BeginSoftDiagnosis() {
        m_err << "Searching for the module on " << m_options.port
              << " (every serial rate in turn)...\n";
        QObject::connect(&m_softDiag, &CSoftDiagnosis::attempt, [this](int, int baud, bool opened) {
            Progress(opened ? QString("trying %1 baud").arg(baud)
                            : QString("%1 baud: port cannot be opened").arg(baud));
        });
        QObject::connect(&m_softDiag, &CSoftDiagnosis::connected, [this](int baud) {
            m_err << QString("\nModule found at %1 baud.\n").arg(baud);
            m_err.flush();
        });
        QObject::connect(&m_softDiag, &CSoftDiagnosis::portUnavailable, [this] {
            Finish(kPortUnavailable,
                   QString("Cannot open serial port %1: %2.")
                       .arg(m_options.port, WhyPortNotOpened(*m_options.system, m_options.port)));
        });
        QObject::connect(&m_softDiag, &CSoftDiagnosis::exhausted, [this] {
            m_softDiag.Finish();
            Finish(kNoRadio, "No module answered at any serial rate; check the cable and the "
                             "port.");
        });
        m_softDiag.Start();
        return true;
    }

    void WriteSettings(const SettingsDocument& read) {
        const QByteArray json = SettingsToJson(read.settings, read.family);
        // Leave the radio's command mode, as leaving the settings page does.
        m_session.LeaveCommandMode();
        if (const QString failure = WriteOutput(json, m_options.output, m_out);
            !failure.isEmpty()) {
            Finish(kOutputFailed, failure);
            return;
        }
        Finish(kReadComplete, m_options.output.isEmpty()
                                  ? QString()
                                  : QString("Settings written to %1.").arg(m_options.output));
    }

    // A failure to keep a read costs the user a backup, not the read itself.
    void KeepInHistory(const SettingsDocument& read) {
        QString error;
        if (Doc::KeepRead(read, m_options.port, &error).isEmpty()) {
            m_err << "\nWarning: the read was not kept in the history: " << error << '\n';
            m_err.flush();
        }
    }

    SettingsDocument Foretold(const SettingsDocument& before) const {
        const Doc::PreparedWrite& write = *m_options.write;
        return write.family == FAMILY_ORV ? Doc::DocumentAfterWrite(write.orv, before)
                                          : Doc::DocumentAfterWrite(write.qx, before);
    }

    // --dry-run: what the write would change on this radio, and nothing sent but the read.
    void ShowChanges(const SettingsDocument& read) {
        m_session.LeaveCommandMode();
        const QList<Doc::Difference> changes = Doc::CompareDocuments(read, Foretold(read), false);
        if (changes.isEmpty()) {
            m_out << "The write would change nothing on this radio.\n";
        } else {
            m_out << "The write would change on this radio:\n";
            for (const Doc::Difference& change : changes) {
                m_out << "  " << change.english << '\n';
            }
        }
        m_out.flush();
        Finish(kReadComplete, "Dry run: nothing was written.");
    }

    QString SavedText() const {
        return m_saveUnclear
                   ? QString::fromStdString(SaveUnconfirmedText(true))
                   : QString("The radio saved the settings (the write took %1 ms).").arg(m_writeMs);
    }

    // The end of the write's road: one status, and what the radio was found to hold.
    void WriteEnded(const Doc::WriteReport& report) {
        using Doc::WriteOutcome;
        if (!report.held) {
            m_writeMs = m_writeClock.elapsed();
        }
        m_saveUnclear = report.saveUnclear;
        if (report.outcome != WriteOutcome::NoAnswer) {
            m_session.LeaveCommandMode();
        }
        if (const QString line = Doc::NotCheckedLine(report.verification, true); !line.isEmpty()) {
            m_err << "\n" << line << '\n';
        }
        switch (report.outcome) {
        case WriteOutcome::Saved:
            Finish(kReadComplete, SavedText());
            return;
        case WriteOutcome::SaveUnclear:
            Finish(kReadFailed, SavedText() + " Read the radio to see what it holds.");
            return;
        case WriteOutcome::Verified:
            Finish(kReadComplete, "Verified: the radio holds what was written.");
            return;
        case WriteOutcome::HoldsOther:
            m_err << "\nThe radio holds other settings than were written (written -> held):\n";
            for (const Doc::Difference& difference : report.verification.differences) {
                m_err << "  " << difference.english << '\n';
            }
            Finish(kWrittenNotAsAsked,
                   m_saveUnclear ? "Written but not as asked: the radio does not hold the "
                                   "settings as they were sent."
                                 : "Written but not as asked: the radio saved the settings, but "
                                   "does not hold them as they were sent.");
            return;
        case WriteOutcome::Unverified:
            Finish(kReadFailed,
                   (m_saveUnclear ? SavedText() + " But reading"
                                  : QStringLiteral("The settings were saved, but "
                                                   "reading")) +
                       " them back failed; they are not verified: " + report.detailEnglish);
            return;
        case WriteOutcome::Refused:
            Finish(kWriteFailed, "The radio answered ERROR: the write failed and the settings "
                                 "were not saved. Check them and write again.");
            return;
        case WriteOutcome::Broken:
            Finish(kReadFailed,
                   report.detailEnglish + " The write stopped; the settings were not saved.");
            return;
        case WriteOutcome::NoAnswer:
            Finish(kReadFailed, "The radio stopped answering; the write is incomplete and the "
                                "settings were not saved.");
            return;
        }
    }

    // The write follows the plan prepared from the document, judged against the read.
    void BeginWrite() {
        m_err << "Writing the settings...\n";
        m_err.flush();
        m_session.Hold(kBeforeWriteMs);
        QTimer::singleShot(Timing::ScaledMs(kBeforeWriteMs), &m_session, [this] { StartWrite(); });
    }

    void StartWrite() {
        if (m_status) {
            return;
        }
        m_writeClock.start();
        const Doc::PreparedWrite& write = *m_options.write;
        if (!m_write.Start({write.family, write.orv, write.qx}, m_before, m_options.verify)) {
            // Checked before the port was opened; the write refusing it now is a fault of ours,
            // but the radio is left untouched either way.
            m_session.LeaveCommandMode();
            Finish(kInvalidDocument, "The write refused the settings; nothing was written.");
        }
    }

    const ReadOptions& m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    CTrafficLog m_trace; // outlives the session that records into it
    CRadioSession m_session;
    CPowerOnDetector m_detector;
    CConfigKeyConnector m_configKey;
    CSoftDiagnosis m_softDiag;
    QEventLoop m_loop;
    Doc::CWriteVerify m_write;
    std::optional<int> m_status;
    SettingsDocument m_before; // the radio as read before the write
    QElapsedTimer m_writeClock;
    qint64 m_writeMs = 0;
    bool m_saveUnclear = false;
};

} // namespace

int RunReadWrite(const ReadOptions& options, QTextStream& out, QTextStream& err) {
    CReadRun run(options, out, err);
    return run.Exec();
}

} // namespace Cli
