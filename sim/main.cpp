// orvconf-sim: a simulated ORV or QX radio served on a pseudo-terminal.

#include "base/Timing.h"
#include "serial/PublishedPorts.h"
#include "sim/SimLog.h"
#include "sim/SimOptions.h"
#include "sim/SimRadio.h"
#include "sim/SimServer.h"
#include "sim/SimStateFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kForegroundCheckMs = 500;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void Say(const QString& text) {
    std::fprintf(stderr, "orvconf-sim: %s\n", qPrintable(text));
}

// Quits the event loop on SIGINT, SIGTERM or SIGHUP so that the port's entry is withdrawn.
bool HandleTerminationSignals(QObject* parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return false;
    }
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}

// Enter on a terminal or a pipe switches the radio off and on.
void WatchKeyboard(CSimServer& server) {
    struct stat info {};
    const bool terminal = ::isatty(STDIN_FILENO) != 0;
    if (::fstat(STDIN_FILENO, &info) != 0 || (!terminal && !S_ISFIFO(info.st_mode))) {
        return;
    }
    auto* notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &server);
    auto ended = std::make_shared<bool>(false);
    QObject::connect(notifier, &QSocketNotifier::activated, &server, [notifier, ended, &server] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EIO && errno != EAGAIN && errno != EINTR)) {
            *ended = true; // end of input: no more key presses
            notifier->setEnabled(false);
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                server.PowerCycle();
            }
        }
    });
    if (terminal) {
        // Started in the background, the terminal's input belongs to the shell: reading it then
        // would stop the process (or fail), so listen only while in the foreground.
        ::signal(SIGTTIN, SIG_IGN);
        const auto inForeground = [] { return ::tcgetpgrp(STDIN_FILENO) == ::getpgrp(); };
        notifier->setEnabled(inForeground());
        auto* watch = new QTimer(&server);
        QObject::connect(watch, &QTimer::timeout, &server, [notifier, ended, inForeground] {
            notifier->setEnabled(!*ended && inForeground());
        });
        watch->start(kForegroundCheckMs);
    }
}

bool LoadState(const SimOptions& options, SimState* state) {
    *state = DefaultSimState(options.family);
    if (!options.statePath.isEmpty() && QFileInfo::exists(options.statePath)) {
        QString error;
        if (!LoadSimStateFile(options.statePath, state, &error)) {
            Say(error + QStringLiteral(" (the file is left as it is)"));
            return false;
        }
        if (state->family != options.family) {
            Say(QStringLiteral("%1 holds a %2 radio, not a %3 one (the file is left as it is)")
                    .arg(options.statePath, SimFamilyName(state->family),
                         SimFamilyName(options.family)));
            return false;
        }
    }
    if (options.baud > 0) {
        state->registers[102] = SimRateRegisterOfBaud(options.family, options.baud);
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvconf-sim"));

    SimOptions options;
    QString message;
    switch (ParseSimOptions(QCoreApplication::arguments(), &options, &message)) {
    case SimOptionsResult::Help:
        std::fputs(qPrintable(message), stdout);
        return 0;
    case SimOptionsResult::Error:
        Say(message + QStringLiteral(" (see --help)"));
        return 2;
    case SimOptionsResult::Run:
        break;
    }

    SimState state;
    if (!LoadState(options, &state)) {
        return 2;
    }
    QString error;
    if (!options.statePath.isEmpty() && !SaveSimStateFile(options.statePath, state, &error)) {
        Say(error);
        return 2;
    }

    CSimLog log;
    if (!options.logPath.isEmpty() && !log.Open(options.logPath, &error)) {
        Say(error);
        return 2;
    }
    CSimRadio radio(state);
    radio.SetFaults(options.faults);

    CSimServer server(radio, log);
    // Played by a simulated user, the wait is scaled with the tool's own waits.
    server.SetAnnounceDelay(Timing::ScaledMs(options.announceDelayMs));
    server.SetManualPower(options.manualPower);
    server.SetPacing(options.pace);
    if (!server.Start(&error)) {
        Say(error);
        return 1;
    }
    QObject::connect(&server, &CSimServer::saved, &server, [&] {
        QString why;
        if (!options.statePath.isEmpty() &&
            !SaveSimStateFile(options.statePath, radio.SavedState(), &why)) {
            Say(why);
        }
    });
    QObject::connect(&server, &CSimServer::vanished, &server, [] {
        Say(QStringLiteral("the line vanished (fault): the port is closed; ending"));
        QCoreApplication::exit(0);
    });
    if (!HandleTerminationSignals(&server)) {
        Say(QStringLiteral("cannot watch for termination signals"));
    }

    // Published before the path is printed: whoever reads the path finds the port listed.
    const QString device = server.SlavePath();
    PublishedPort published;
    published.name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    published.devicePath = device;
    published.description = options.family == FAMILY_ORV ? QStringLiteral("simulated ORV radio")
                                                         : QStringLiteral("simulated QX260 module");
    const QString publishedFile = PublishedPorts::Publish(published);
    if (publishedFile.isEmpty()) {
        Say(QStringLiteral("cannot publish the port in %1; the tool will not list it")
                .arg(PublishedPorts::Directory()));
    }

    std::printf("%s\n", qPrintable(device));
    std::fflush(stdout);

    Say(QStringLiteral("%1 radio on %2 (own rate %3 baud)%4. Enter switches it off and on; "
                       "Ctrl+C ends.")
            .arg(options.family == FAMILY_ORV ? QStringLiteral("ORV") : QStringLiteral("QX"),
                 device)
            .arg(radio.SerialRate())
            .arg(options.faults.Any() ? QStringLiteral(", faults on") : QString()));
    WatchKeyboard(server);

    const int result = QCoreApplication::exec();
    PublishedPorts::Withdraw(publishedFile);
    return result;
}
