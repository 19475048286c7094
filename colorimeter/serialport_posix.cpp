// POSIX serial port: raw termios, non-blocking reads of what is waiting, and
// a liveness test that notices an unplugged USB adapter (EIO/ENODEV) or a
// pseudo-terminal whose other side went away (hang-up).
#ifndef _WIN32

#include "serialport.h"
#include "termiosconfig.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <vector>

// Rates termios has no constant for (the BM-7 runs at 12000 baud); lives in
// its own file because the kernel's termios2 header clashes with <termios.h>.
bool setCustomBaudRate(int fd, int baud);

namespace {

struct BaudConstant {
    int baud;
    speed_t constant;
};

const BaudConstant baudConstants[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

const BaudConstant *findBaud(int baud) {
    for (const BaudConstant &b : baudConstants) {
        if (b.baud == baud)
            return &b;
    }
    return nullptr;
}

tcflag_t dataBitsFlag(int bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

// Unix98 pseudo-terminal slaves (majors 136-143) have no line to set: the
// kernel keeps 8 data bits without parity, and the C library then reports the
// settings as refused. A simulated instrument lives on one.
bool isPseudoTerminal(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    return m >= 136 && m <= 143;
}

bool isGoneError(int err) {
    return err == EIO || err == ENODEV || err == ENXIO || err == EBADF;
}

} // namespace

void rawLineSettings(termios &tio, int dataBits, char parity) {
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    tio.c_cflag |= dataBitsFlag(dataBits);
    if (parity != 'n')
        tio.c_cflag |= PARENB | PARODD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

serialPort::~serialPort() {
    close();
}

bool serialPort::open() {
    if (fd_ >= 0)
        close();
    gone_ = false;
    openFailure_ = OpenFailure::None;
    int fd = ::open(portName().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openFailure_ = errno == ENOENT  ? OpenFailure::NoSuchPort
                       : errno == EBUSY ? OpenFailure::Busy
                                        : OpenFailure::Refused;
        return false;
    }
    // One owner per port, like an unshared COM handle; released with the fd,
    // so a crashed owner never leaves the port locked.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        openFailure_ = errno == EWOULDBLOCK ? OpenFailure::Busy : OpenFailure::Refused;
        ::close(fd);
        return false;
    }
    if (!::isatty(fd)) {
        openFailure_ = OpenFailure::Refused;
        ::close(fd);
        return false;
    }
    ::tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    return true;
}

bool serialPort::configure(int baud, int dataBits, char parity, int timeoutValue) {
    (void)timeoutValue; // reads never block here and writes are bounded by the line state
    int fd = fd_;
    if (fd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    rawLineSettings(tio, dataBits, parity);
    const BaudConstant *known = findBaud(baud);
    speed_t speed = known ? known->constant : B9600;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0 && !isPseudoTerminal(fd))
        return false;
    return known || setCustomBaudRate(fd, baud);
}

void serialPort::noteError(int err) {
    if (isGoneError(err))
        gone_ = true;
}

bool serialPort::isOpen() {
    int fd = fd_;
    if (fd < 0 || gone_)
        return false;
    pollfd p{fd, 0, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        gone_ = true;
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        noteError(errno);
        return !gone_;
    }
    return true;
}

std::string serialPort::readAvailable() {
    int fd = fd_;
    if (fd < 0)
        return {};
    int waiting = 0;
    if (::ioctl(fd, FIONREAD, &waiting) != 0) {
        noteError(errno);
        return {};
    }
    if (waiting <= 0)
        return {};
    std::string out(static_cast<std::size_t>(waiting), '\0');
    ssize_t n = ::read(fd, &out[0], out.size());
    if (n < 0) {
        noteError(errno);
        return {};
    }
    if (n == 0) // a tty that reports bytes but reads end-of-file has hung up
        gone_ = true;
    out.resize(static_cast<std::size_t>(n));
    return out;
}

long serialPort::write(const char *bytes, std::size_t length) {
    int fd = fd_;
    if (fd < 0)
        return 0;
    std::size_t done = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (done < length) {
        ssize_t n = ::write(fd, bytes + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            noteError(errno);
            break;
        }
        // Output queue full: wait for room, but not on a dead line.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        pollfd p{fd, POLLOUT, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0 ||
            (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
            break;
    }
    return static_cast<long>(done);
}

bool serialPort::waitReadable(int timeoutMs) {
    int fd = fd_;
    if (fd < 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    return r != 0; // input, a hang-up, or an interrupted wait: let the caller look
}

bool serialPort::setModemBit(int bit, int mode) {
    int fd = fd_;
    if (fd < 0)
        return false;
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) != 0)
        return false;
    // Mode 0 drops the line; enable and handshake modes raise it (there is no
    // driver-side handshake to hand over to here).
    if (mode == 0)
        bits &= ~bit;
    else
        bits |= bit;
    return ::ioctl(fd, TIOCMSET, &bits) == 0;
}

bool serialPort::setDtr(int mode) {
    return setModemBit(TIOCM_DTR, mode);
}
bool serialPort::setRts(int mode) {
    return setModemBit(TIOCM_RTS, mode);
}

bool serialPort::close() {
    int fd = fd_.exchange(-1);
    if (fd < 0)
        return false;
    // Linux releases the descriptor even when close reports an error, so it is
    // forgotten either way; keeping it could close a reused number later.
    return ::close(fd) == 0;
}

#endif
