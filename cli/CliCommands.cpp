#include "cli/CliCommands.h"

#include "cli/SettingsJson.h"
#include "connect/ConfigKeyConnector.h"
#include "connect/PowerOnDetector.h"
#include "connect/RadioSession.h"
#include "connect/SoftDiagnosis.h"
#include "serial/PortEnumerator.h"

#include <QEventLoop>
#include <QFile>
#include <QSaveFile>

#include <optional>

namespace Cli {
namespace {

struct ReadOptions {
    QString port;
    RadioFamily family = FAMILY_ORV;
    bool softDiagnosis = true;
    QString output;
};

// Parses "read" options; returns an error text on bad usage.
QString ParseReadOptions(const QStringList& args, ReadOptions& options) {
    bool haveFamily = false;
    bool haveLink = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size() || args[i + 1].isEmpty()) {
                return false;
            }
            into = args[++i];
            return true;
        };
        QString text;
        if (arg == "--port") {
            if (!value(options.port)) {
                return "--port needs a port name";
            }
        } else if (arg == "--family") {
            if (!value(text) || (text != "orv" && text != "qx")) {
                return "--family must be orv or qx";
            }
            options.family = text == "orv" ? FAMILY_ORV : FAMILY_QX;
            haveFamily = true;
        } else if (arg == "--link") {
            if (!value(text) || (text != "config-key" && text != "soft-diagnosis")) {
                return "--link must be config-key or soft-diagnosis";
            }
            options.softDiagnosis = text == "soft-diagnosis";
            haveLink = true;
        } else if (arg == "--output") {
            if (!value(options.output)) {
                return "--output needs a file name";
            }
        } else {
            return QString("unknown option %1").arg(arg);
        }
    }
    if (options.port.isEmpty()) {
        return "--port is required";
    }
    if (!haveFamily) {
        return "--family is required";
    }
    if (haveLink && options.family != FAMILY_QX) {
        return "--link applies to --family qx only";
    }
    return {};
}

int RunPorts(QTextStream& out) {
    const QList<PortInfo> ports = CPortEnumerator::Enumerate();
    for (const PortInfo& port : ports) {
        out << port.name << '\t' << (port.free ? "free" : "busy") << '\t' << port.description
            << '\n';
    }
    if (ports.isEmpty()) {
        out << "no serial port found\n";
    }
    return kReadComplete;
}

// One read, from opening the port to the settings document.
class CReadRun {
public:
    CReadRun(const ReadOptions& options, QTextStream& out, QTextStream& err)
        : m_options(options), m_out(out), m_err(err), m_detector(m_session), m_configKey(m_session),
          m_softDiag(m_session) {}

    int Exec() {
        m_session.SetPortName(m_options.port);
        m_session.SetFamily(m_options.family);
        WireSession();
        if (!Begin()) {
            return kPortUnavailable;
        }
        m_loop.exec();
        return *m_status;
    }

private:
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
            m_err << "\nReading the settings...\n";
            m_err.flush();
        });
        QObject::connect(&m_session, &CRadioSession::readFinished,
                         [this](int family) { WriteSettings(family); });
        QObject::connect(&m_session, &CRadioSession::noAnswer, [this] {
            Finish(kReadFailed, "The radio stopped answering; the read is incomplete.");
        });
        QObject::connect(&m_session, &CRadioSession::replyRejected, [this] {
            m_err << "\nThe radio sent a reply too long to be one of its answers; it was "
                     "ignored.\n";
            m_err.flush();
        });
        QObject::connect(&m_session, &CRadioSession::portLost, [this](const QString& reason) {
            Finish(kReadFailed, QString("The serial port %1 was lost during the read: %2")
                                    .arg(m_options.port, reason));
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
        m_err << "Cannot open serial port " << m_options.port
              << ": it does not exist or another program is using it.\n";
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
                   QString("Cannot open serial port %1: it does not exist or another program is "
                           "using it.")
                       .arg(m_options.port));
        });
        QObject::connect(&m_softDiag, &CSoftDiagnosis::exhausted, [this] {
            m_softDiag.Finish();
            Finish(kNoRadio, "No module answered at any serial rate; check the cable and the "
                             "port.");
        });
        m_softDiag.Start();
        return true;
    }

    void WriteSettings(int family) {
        const QByteArray json =
            QByteArray::fromStdString(SettingsToJson(m_session.Settings(), family));
        // Leave the radio's command mode, as leaving the settings page does.
        m_session.LeaveCommandMode();
        if (m_options.output.isEmpty()) {
            m_out << QString::fromUtf8(json);
            m_out.flush();
            Finish(kReadComplete);
            return;
        }
        QSaveFile file(m_options.output);
        if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit()) {
            Finish(kReadFailed,
                   QString("Cannot write %1: %2").arg(m_options.output, file.errorString()));
            return;
        }
        Finish(kReadComplete, QString("Settings written to %1.").arg(m_options.output));
    }

    const ReadOptions& m_options;
    QTextStream& m_out;
    QTextStream& m_err;
    CRadioSession m_session;
    CPowerOnDetector m_detector;
    CConfigKeyConnector m_configKey;
    CSoftDiagnosis m_softDiag;
    QEventLoop m_loop;
    std::optional<int> m_status;
};

} // namespace

QString HelpText() {
    return "Usage:\n"
           "  orvconf-cli ports\n"
           "      Lists the serial ports: name, free or busy, description. Running simulated\n"
           "      radios (orvconf-sim) are listed too.\n"
           "  orvconf-cli read --port NAME --family orv|qx [--link config-key|soft-diagnosis]\n"
           "                   [--output FILE]\n"
           "      Brings the radio into command mode and reads its settings as JSON.\n"
           "      --port NAME     a port name as 'ports' lists it (ttyUSB0, pts/4, COM7) or a\n"
           "                      device path such as /dev/pts/4\n"
           "      --family orv    an ORV 5W/25W radio: switch it on when asked (30 seconds)\n"
           "      --family qx     a QX260 2W module\n"
           "      --link config-key      hold CONFIG and power the module on within 10 s\n"
           "      --link soft-diagnosis  try every serial rate and send +++ (the default)\n"
           "      --output FILE   write the JSON to FILE instead of standard output\n"
           "  orvconf-cli --help\n"
           "      Shows this text.\n"
           "Exit status: 0 read complete, 1 usage, 2 port cannot be opened, 3 no radio detected\n"
           "in time, 4 no answer or an error during the read.\n";
}

int Run(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << HelpText();
        return kUsage;
    }
    const QString& command = args.first();
    if (command == "--help" || command == "-h" || command == "help") {
        out << HelpText();
        return kReadComplete;
    }
    const QStringList rest = args.mid(1);
    if (rest.contains("--help")) {
        out << HelpText();
        return kReadComplete;
    }
    if (command == "ports") {
        if (!rest.isEmpty()) {
            err << "ports takes no options\n" << HelpText();
            return kUsage;
        }
        return RunPorts(out);
    }
    if (command == "read") {
        ReadOptions options;
        if (const QString problem = ParseReadOptions(rest, options); !problem.isEmpty()) {
            err << "orvconf-cli read: " << problem << "\n\n" << HelpText();
            return kUsage;
        }
        CReadRun run(options, out, err);
        return run.Exec();
    }
    err << "unknown command " << command << "\n\n" << HelpText();
    return kUsage;
}

} // namespace Cli
