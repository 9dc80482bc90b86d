#include "comm/posix/custom_speed.h"

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#endif

namespace palvex::posix {

#if defined(__linux__)

bool SetCustomSpeed(int fd, uint32_t rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = rate;
    tio.c_ospeed = rate;
    // The input rate follows the output rate, as with cfsetspeed.
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

bool GetCustomSpeed(int fd, uint32_t& rate) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    rate = tio.c_ospeed;
    return true;
}

#else

bool SetCustomSpeed(int, uint32_t) { return false; }
bool GetCustomSpeed(int, uint32_t&) { return false; }

#endif

}  // namespace palvex::posix
