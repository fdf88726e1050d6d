#include "sim/PtyMaster.h"

#include "serial/LineRate.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int StandardBaud(speed_t speed) {
    switch (speed) {
    case B300:
        return 300;
    case B600:
        return 600;
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

} // namespace

CPtyMaster::~CPtyMaster() {
    Close();
}

bool CPtyMaster::Open(std::string* error) {
    Close();
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0) {
        *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    // ptsname_r: several lines may be created at once on different threads (the fault matrix),
    // and ptsname's one buffer would hand one of them another's device.
    char name[128];
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
        *error = std::string("cannot prepare the pseudo-terminal: ") + std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_slavePath = name;
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);
    // Packet mode: besides the bytes, the master learns when the tool flushes its input queue.
    // That is how a serial program starts to listen; a radio that announces itself earlier is
    // not heard.
    int packet = 1;
    if (::ioctl(m_fd, TIOCPKT, &packet) != 0) {
        *error = std::string("cannot watch the pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    // Until the slave has been opened once the master shows no hang-up; open and close it here
    // so that "nobody has the port open" looks the same before and after the first use.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave >= 0) {
        // Raw, so that nothing the tool does not set itself alters the bytes.
        termios settings{};
        if (::tcgetattr(slave, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::cfsetispeed(&settings, B9600);
            ::cfsetospeed(&settings, B9600);
            ::tcsetattr(slave, TCSANOW, &settings);
        }
        ::close(slave);
    }
    // What that opening reported is no news of the tool.
    char status[64];
    while (::read(m_fd, status, sizeof status) > 0) {
    }
    return true;
}

void CPtyMaster::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_slavePath.clear();
}

bool CPtyMaster::SlaveIsOpen() const {
    if (m_fd < 0) {
        return false;
    }
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0) {
        return false;
    }
    return (p.revents & POLLHUP) == 0;
}

bool CPtyMaster::HasInput() const {
    if (m_fd < 0) {
        return false;
    }
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

int CPtyMaster::ToolBaud() const {
    if (m_fd < 0) {
        return 0;
    }
    const int exact = ExactLineRate(m_fd);
    if (exact >= 0) {
        return exact;
    }
    termios settings{};
    if (::tcgetattr(m_fd, &settings) != 0) {
        return 0;
    }
    return StandardBaud(::cfgetospeed(&settings));
}

bool CPtyMaster::Read(std::string* data, bool* inputDiscarded) {
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    char buffer[4097];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n <= 0) {
        if (n == 0) {
            errno = EIO;
        }
        return false;
    }
    // The first byte says what the read holds: TIOCPKT_DATA (0) and the bytes, or a status.
    if (buffer[0] == TIOCPKT_DATA) {
        data->append(buffer + 1, static_cast<std::size_t>(n - 1));
    } else if ((buffer[0] & TIOCPKT_FLUSHREAD) != 0) {
        *inputDiscarded = true;
    }
    return true;
}

void CPtyMaster::Flush() {
    if (m_fd >= 0) {
        ::tcflush(m_fd, TCIOFLUSH);
    }
}
