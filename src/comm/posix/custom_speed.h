// Line rates that termios has no B-constant for (14400 among them). Kept apart
// because the kernel's termios2 header cannot share a file with <termios.h>.
#pragma once

#include <cstdint>

namespace palvex::posix {

// Sets an arbitrary rate in both directions on a tty whose other settings are
// already applied. False where the system has no way to do it.
bool SetCustomSpeed(int fd, uint32_t rate);
// The output rate the driver holds, whatever way it was set. False when unknown.
bool GetCustomSpeed(int fd, uint32_t& rate);

}  // namespace palvex::posix
