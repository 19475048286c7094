// The POSIX serial transport on a bare pseudo-terminal pair: liveness, line
// settings, non-blocking reads, and noticing the other side going away.
#include "serialport.h"
#include "termiosconfig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The far end of a pseudo-terminal, standing in for the device.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(master);
        unlockpt(master);
        char name[128];
        ptsname_r(master, name, sizeof name);
        slave = name;
    }
    ~Pty() { hangUp(); }
    void hangUp() {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    void send(const std::string &s) {
        ASSERT_EQ(::write(master, s.data(), s.size()), (ssize_t)s.size());
    }
    std::string receive() {
        std::string out;
        char buf[256];
        for (int tries = 0; tries < 100 && out.empty(); ++tries) {
            ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, static_cast<size_t>(n));
            else
                usleep(1000);
        }
        return out;
    }
};

termios slaveSettings(const std::string &path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    tcgetattr(fd, &t);
    ::close(fd);
    return t;
}

} // namespace

TEST(SerialPort, LivenessFollowsOpenAndClose) {
    Pty pty;
    serialPort port(pty.slave);
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(port.open());
    EXPECT_TRUE(port.isOpen());
    EXPECT_TRUE(port.close());
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.close()); // nothing left to close
}

TEST(SerialPort, OpeningAMissingDeviceOrNonTerminalFails) {
    serialPort missing("/nonexistent/ttyUSB9");
    EXPECT_FALSE(missing.open());
    EXPECT_FALSE(missing.isOpen());
    serialPort file("/dev/null");
    EXPECT_FALSE(file.open());
}

TEST(SerialPort, SecondOwnerIsRefusedWhileTheFirstHoldsThePort) {
    Pty pty;
    serialPort first(pty.slave), second(pty.slave);
    ASSERT_TRUE(first.open());
    EXPECT_FALSE(second.open());
    first.close();
    EXPECT_TRUE(second.open());
}

TEST(SerialPort, LineSettingsForParityAndDataBits) {
    termios t{};
    t.c_cflag = CS5 | CSTOPB | CRTSCTS | PARENB | PARODD;
    t.c_lflag = ICANON | ECHO;
    rawLineSettings(t, 8, 'n');
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD), 0u);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

    rawLineSettings(t, 7, 'o');
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS7));
    rawLineSettings(t, 8, 'e'); // anything but 'n' is odd
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD), static_cast<tcflag_t>(PARENB | PARODD));
}

TEST(SerialPort, ConfigureAppliesRawModeAndSpeed) {
    Pty pty;
    serialPort port(pty.slave);
    EXPECT_FALSE(port.configure(9600, 8, 'n', 10000)); // not open
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.configure(19200, 8, 'n', 10000));
    termios t = slaveSettings(pty.slave);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    ASSERT_TRUE(port.configure(9600, 8, 'o', 10000));
    t = slaveSettings(pty.slave);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
    // 12000 baud has no termios constant; it goes through the custom-rate path.
    EXPECT_TRUE(port.configure(12000, 8, 'o', 10000));
}

TEST(SerialPort, ReadsWhatIsWaitingWithoutBlocking) {
    Pty pty;
    serialPort port(pty.slave);
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.configure(9600, 8, 'n', 10000));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(port.readAvailable(), "");
    EXPECT_FALSE(port.waitReadable(20));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));

    pty.send(std::string("P0\x00\xFF\r", 5));
    EXPECT_TRUE(port.waitReadable(2000));
    EXPECT_EQ(port.readAvailable(), std::string("P0\x00\xFF\r", 5)); // raw: no translation
    EXPECT_EQ(port.write("N5\r", 3), 3);
    EXPECT_EQ(pty.receive(), "N5\r");
}

TEST(SerialPort, OtherSideClosingMakesThePortDead) {
    Pty pty;
    serialPort port(pty.slave);
    ASSERT_TRUE(port.open());
    ASSERT_TRUE(port.configure(9600, 8, 'n', 10000));
    ASSERT_TRUE(port.isOpen());
    pty.hangUp();
    EXPECT_TRUE(port.waitReadable(2000)); // a hang-up wakes a waiting reader
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.readAvailable(), "");
    EXPECT_TRUE(port.close()); // the descriptor itself is still ours to close
}

TEST(SerialPort, ModemLinesOnAPseudoTerminalAreRefusedNotFaked) {
    Pty pty;
    serialPort port(pty.slave);
    EXPECT_FALSE(port.setDtr(1)); // not open
    ASSERT_TRUE(port.open());
    // Pseudo-terminals have no modem lines; the call reports it.
    EXPECT_FALSE(port.setRts(1));
}
