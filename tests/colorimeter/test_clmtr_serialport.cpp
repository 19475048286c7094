// The POSIX serial transport on a bare pseudo-terminal pair: one owner at a
// time, line settings, raw non-blocking reads, and the other side going away.
#include "serialport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The far end of a pseudo-terminal, standing in for the device.
struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave;
    Pty() {
        grantpt(master);
        unlockpt(master);
        slave = ptsname(master);
    }
    ~Pty() { hangUp(); }
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
};

TEST(SerialPort, OneOwnerAtATime) {
    Pty pty;
    serialPort first(pty.slave), second(pty.slave);
    ASSERT_TRUE(first.open());
    EXPECT_FALSE(second.open()); // the first holds the port
    EXPECT_TRUE(first.close());
    EXPECT_FALSE(first.isOpen());
    EXPECT_FALSE(first.close()); // nothing left to close
    EXPECT_TRUE(second.open());
    for (const char *path : {"/nonexistent/ttyUSB9", "/dev/null"})
        EXPECT_FALSE(serialPort(path).open()) << path;
}

TEST(SerialPort, LineSettingsAndSpeeds) {
    Pty pty;
    serialPort port(pty.slave);
    EXPECT_FALSE(port.configure(9600, 8, 'n', 10000)); // not open
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.configure(19200, 8, 'n', 10000));
    termios applied{};
    const int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    tcgetattr(fd, &applied);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&applied), static_cast<speed_t>(B19200));
    EXPECT_TRUE(port.configure(12000, 8, 'o', 10000)); // no termios constant: a custom rate
}

TEST(SerialPort, ReadsExactlyWhatIsWaitingAndNoticesAHangUp) {
    Pty pty;
    serialPort port(pty.slave);
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.configure(9600, 8, 'n', 10000));
    EXPECT_EQ(port.readAvailable(), "");
    EXPECT_FALSE(port.waitReadable(20));
    const std::string reply("P0\x00\xFF\r", 5);
    ASSERT_EQ(::write(pty.master, reply.data(), reply.size()), 5);
    EXPECT_TRUE(port.waitReadable(2000));
    EXPECT_EQ(port.readAvailable(), reply); // raw, and only the bytes read
    EXPECT_EQ(port.write("N5\r", 3), 3);
    char echo[8] = {};
    EXPECT_EQ(::read(pty.master, echo, sizeof echo), 3);

    pty.hangUp();
    EXPECT_TRUE(port.waitReadable(2000)); // a hang-up wakes a waiting reader
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.close()); // the descriptor itself is still ours to close
}

} // namespace
