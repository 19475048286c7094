// Arbitrary baud rates through the Linux termios2/BOTHER interface. Kept apart
// because <asm/termbits.h> redefines struct termios.
#if defined(__linux__)

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

bool setCustomBaudRate(int fd, int baud) {
    if (baud <= 0)
        return false;
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0)
        return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

#elif !defined(_WIN32)

bool setCustomBaudRate(int, int) {
    return false;
}

#endif
