// Kept apart: the kernel's termios2 cannot share a file with <termios.h>.
#include "serial/LineRate.h"

#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

int ExactLineRate(int fd) {
#if defined(__linux__) && defined(TCGETS2)
    struct termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0) {
        return -1;
    }
    return static_cast<int>(settings.c_ospeed);
#else
    (void)fd;
    return -1;
#endif
}
