#include "cli/CheckedOutput.h"
#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

// A standard stream closed by the caller would hand its number to the next file opened (the
// serial port, whose radio would then receive our output). Each closed one is held by
// /dev/null; for standard output the reason is kept, so that the settings are not reported as
// written.
std::optional<QString> HoldClosedStandardStreams() {
    std::optional<QString> stdoutReason;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        if (fd == STDOUT_FILENO) {
            stdoutReason = QString::fromLocal8Bit(std::strerror(errno));
        }
        const int null = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
    return stdoutReason;
}

} // namespace

int main(int argc, char** argv) {
    const std::optional<QString> stdoutClosed = HoldClosedStandardStreams();
    QCoreApplication app(argc, argv);
    QFile stdoutFile;
    Cli::CUnusableDevice closedStdout(stdoutClosed.value_or(QString()));
    QIODevice* outDevice = &closedStdout;
    if (!stdoutClosed && stdoutFile.open(stdout, QIODevice::WriteOnly)) {
        outDevice = &stdoutFile;
    }
    QTextStream out(outDevice);
    QTextStream err(stderr);
    const int status = Cli::Run(app.arguments().mid(1), out, err);
    err.flush();
    return status;
}
