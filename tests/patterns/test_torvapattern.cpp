// The network pattern generator over loopback: the command exchange against
// a scripted peer that records every byte, discovery against scripted and
// simulated generators.
#include "loopbackport.h"
#include "patterngensim.h"
#include "patternwire.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

sockaddr_in loopback(const char *address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address, &a.sin_addr);
    return a;
}

int boundSocket(int type, const sockaddr_in &at) {
    const int fd = ::socket(AF_INET, type, 0);
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ::bind(fd, reinterpret_cast<const sockaddr *>(&at), sizeof at);
    return fd;
}

bool readable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

// A TCP peer on its own thread: records what arrives and answers each piece
// with the reply the script gives ("" for none, "|" in a reply for a 30 ms
// pause, "<close>" to hang up).
class ScriptedPeer {
public:
    using Script = std::function<std::string(const std::string &received)>;
    ScriptedPeer(int port, Script script) : script_(std::move(script)) {
        listen_ = boundSocket(SOCK_STREAM, loopback("127.0.0.1", port));
        ::listen(listen_, 1);
        thread_ = std::thread([this] { run(); });
    }
    ~ScriptedPeer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }
    std::vector<std::string> received() {
        std::lock_guard<std::mutex> lock(lock_);
        return received_;
    }

private:
    void run() {
        while (!stop_ && !readable(listen_, 20)) {
        }
        if (stop_)
            return;
        const int fd = ::accept(listen_, nullptr, nullptr);
        char buf[70000];
        while (!stop_) {
            if (!readable(fd, 20))
                continue;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            const std::string piece(buf, static_cast<std::size_t>(n));
            {
                std::lock_guard<std::mutex> lock(lock_);
                received_.push_back(piece);
            }
            const std::string reply = script_(piece);
            if (reply == "<close>")
                break;
            std::size_t from = 0;
            for (std::size_t bar; (bar = reply.find('|', from)) != std::string::npos;
                 from = bar + 1) {
                ::send(fd, reply.data() + from, bar - from, MSG_NOSIGNAL);
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            }
            ::send(fd, reply.data() + from, reply.size() - from, MSG_NOSIGNAL);
        }
        ::close(fd);
    }

    Script script_;
    int listen_;
    std::atomic<bool> stop_{false};
    std::mutex lock_;
    std::vector<std::string> received_;
    std::thread thread_;
};

// Waits for one discovery request, then sends each datagram from its own
// loopback address, in order.
class ScriptedAnswers {
public:
    struct Answer {
        const char *from;
        std::string datagram;
    };
    ScriptedAnswers(int port, std::vector<Answer> answers) : answers_(std::move(answers)) {
        listen_ = boundSocket(SOCK_DGRAM, loopback("127.255.255.255", port));
        thread_ = std::thread([this] { run(); });
    }
    ~ScriptedAnswers() {
        thread_.join();
        ::close(listen_);
    }

private:
    void run() {
        if (!readable(listen_, 5000))
            return;
        char buf[64];
        sockaddr_in asker{};
        socklen_t len = sizeof asker;
        ::recvfrom(listen_, buf, sizeof buf, 0, reinterpret_cast<sockaddr *>(&asker), &len);
        for (const Answer &a : answers_) {
            const int fd = boundSocket(SOCK_DGRAM, loopback(a.from, 0));
            ::sendto(fd, a.datagram.data(), a.datagram.size(), 0,
                     reinterpret_cast<const sockaddr *>(&asker), len);
            ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    }
    std::vector<Answer> answers_;
    int listen_;
    std::thread thread_;
};

const std::string goodInfo = "Torva Pat,PG9,Torva Instruments,800,600";

std::string answerInfo(const std::string &piece, const std::string &info = goodInfo) {
    return piece == "getInfo" ? info + "::" : std::string("OK::");
}

class NetworkPattern : public ::testing::Test {
protected:
    void SetUp() override { port_ = useLoopbackPatternPort(); }
    int port_ = 0;
};

} // namespace

TEST_F(NetworkPattern, OpensAndSendsEachCommandAsItsExactBytes) {
    ScriptedPeer peer(port_, [](const std::string &p) { return answerInfo(p); });
    TorvaPattern g;
    QSignalSpy connected(&g, &GenDevice::connected);
    ASSERT_TRUE(g.open("127.0.0.1"));
    EXPECT_EQ(connected.count(), 1);
    EXPECT_EQ((QStringList{g.model(), g.serialNumber(), g.manufacturer(), g.portName()}),
              (QStringList{"Torva Pat", "PG9", "Torva Instruments", "127.0.0.1"}));
    EXPECT_EQ(QSize(g.width, g.height), QSize(800, 600));

    g.setPattern(4);
    g.setColor(QColor(255, 0, 0));
    g.setMaxColor(1023);
    g.setBoxSize(QRect(10, 20, 100, 50));
    g.setCheckerBoardPattern(5, 3);
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::white);
    g.sendImage(pixel);
    g.showProgress(1000, 10, 0, {Qt::red}); // nothing on the wire

    std::vector<std::string> sent = peer.received();
    ASSERT_EQ(sent.size(), 7u);
    EXPECT_EQ(
        std::vector<std::string>(sent.begin(), sent.begin() + 6),
        (std::vector<std::string>{"getInfo", "setPattern,4", "setColor,255,0,0", "setMaxColor,1023",
                                  "setBoxSize,10,20,100,50", "setCheckerBoardPattern,5,3"}));
    ASSERT_EQ(sent[6].rfind("sendImg,", 0), 0u);
    const QImage back =
        QImage::fromData(QByteArray::fromHex(QByteArray::fromStdString(sent[6].substr(8))), "PNG");
    EXPECT_EQ(back.size(), QSize(1, 1));
    EXPECT_EQ(back.pixel(0, 0), qRgb(255, 255, 255));
}

TEST_F(NetworkPattern, AReplyArrivingInPiecesIsReadWhole) {
    ScriptedPeer peer(port_, [](const std::string &p) {
        return p == "getInfo" ? "Torva Pat,PG9,|Torva Instruments,800,600:|:" : "fine|::";
    });
    TorvaPattern g;
    ASSERT_TRUE(g.open("127.0.0.1"));
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.command("setPattern,3"), "fine");
}

TEST_F(NetworkPattern, AnInformationReplyThatIsNotAGeneratorsOrNoneFailsToOpen) {
    // Every malformed shape is pinned over plain values; here one that
    // parses but is no generator, and one that does not parse.
    const std::string replies[] = {
        "Someone Else,PG9,Torva Instruments,800,600",
        "Torva Pat,PG9,Torva Instruments,wide,600",
    };
    for (const std::string &info : replies) {
        port_ = useLoopbackPatternPort();
        ScriptedPeer peer(port_, [&info](const std::string &p) { return answerInfo(p, info); });
        TorvaPattern g;
        QSignalSpy connected(&g, &GenDevice::connected);
        EXPECT_FALSE(g.open("127.0.0.1")) << info;
        EXPECT_FALSE(g.isConnected()) << info;
        EXPECT_EQ(connected.count(), 0) << info;
        EXPECT_EQ(g.width, 0);
    }
    TorvaPattern g; // the peers are gone: nobody listens
    EXPECT_FALSE(g.open("127.0.0.1"));
    EXPECT_FALSE(g.isConnected());
    EXPECT_TRUE(g.command("setPattern,3").isEmpty()); // nothing to talk to
}

TEST_F(NetworkPattern, AFloodingPeerIsCutOffAndAHangUpIsAnnouncedOnce) {
    {
        ScriptedPeer flood(port_, [](const std::string &p) {
            return p == "getInfo" ? goodInfo + "::" : std::string(70 * 1024, 'z');
        });
        TorvaPattern g;
        ASSERT_TRUE(g.open("127.0.0.1"));
        QSignalSpy closed(&g, &GenDevice::closed);
        const QString reply = g.command("setPattern,3");
        EXPECT_LE(reply.size(), patternwire::maxReplyLength);
        EXPECT_FALSE(g.isConnected());
        EXPECT_EQ(closed.count(), 1);
    }
    port_ = useLoopbackPatternPort();
    ScriptedPeer hangUp(port_, [](const std::string &p) {
        return p == "getInfo" ? goodInfo + "::" : std::string("<close>");
    });
    TorvaPattern g;
    ASSERT_TRUE(g.open("127.0.0.1"));
    QSignalSpy closed(&g, &GenDevice::closed);
    g.setPattern(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, 5000));
    g.close();
    QTest::qWait(50);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(NetworkPattern, DiscoveryIgnoresMalformedAnswersAndKeepsTheLastGoodOne) {
    TorvaPatternFactory factory;
    ConnectionInfo none;
    EXPECT_FALSE(factory.probe(QString(), &none)); // nobody there
    EXPECT_EQ(none.type, NoDevice);

    std::string binary = goodInfo;
    binary[3] = '\0';
    {
        ScriptedAnswers answers(port_, {{"127.0.0.2", "Torva Pat,PG2,Torva Instruments,800"},
                                        {"127.0.0.3", goodInfo + ",extra"},
                                        {"127.0.0.4", "Torva Pad,PG4,Torva Instruments,800,600"},
                                        {"127.0.0.5", binary},
                                        {"127.0.0.6", std::string(65000, 'T')}});
        ConnectionInfo info;
        EXPECT_FALSE(factory.probe(QString(), &info));
        EXPECT_TRUE(info.model.isEmpty());
    }
    {
        ScriptedAnswers answers(port_, {{"127.0.0.2", "Torva Pat,FIRST,Torva Instruments,1,1"},
                                        {"127.0.0.4", std::string(65000, 'T')},
                                        {"127.0.0.3", "Torva Pat,LAST,Torva Instruments,1,1"},
                                        {"127.0.0.5", "Torva Pat,BROKEN,Torva Instruments,1"}});
        ConnectionInfo info;
        ASSERT_TRUE(factory.probe(QString(), &info));
        EXPECT_EQ(info.port, "127.0.0.3");
        EXPECT_EQ(info.serialNumber, "LAST");
        EXPECT_EQ(info.model, "Torva Pat");
        EXPECT_EQ(info.type, PatternGenerator);
    }
}

TEST_F(NetworkPattern, DiscoveryFindsEitherOfTwoSimulatedGenerators) {
    auto generator = [this](const char *serial, const char *address) {
        sim::PatternGenConfig c;
        c.serial = serial;
        c.address = address;
        c.port = port_;
        auto g = std::make_unique<sim::PatternGenSim>(c);
        std::string error;
        EXPECT_TRUE(g->start(&error)) << error;
        return g;
    };
    TorvaPatternFactory factory;
    auto first = generator("SIM-A", "127.0.0.2");
    auto second = generator("SIM-B", "127.0.0.3");
    ConnectionInfo either;
    ASSERT_TRUE(factory.probe(QString(), &either));
    // Both answered; which came last is up to the scheduler.
    EXPECT_TRUE((either.port == "127.0.0.2" && either.serialNumber == "SIM-A") ||
                (either.port == "127.0.0.3" && either.serialNumber == "SIM-B"))
        << either.port.toStdString();

    // The entry found opens the generator it names.
    std::unique_ptr<GenDevice> device(factory.create(either.port));
    EXPECT_TRUE(device->isConnected());
    EXPECT_EQ(device->serialNumber(), either.serialNumber);
    EXPECT_EQ(device->factory, &factory);
}
