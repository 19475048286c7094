// TClmtr against the simulator when the line misbehaves: damaged replies
// never become readings, a stream dies with its instrument's silence instead
// of hanging, a stream left running by a killed owner does not stop the next
// connection, and commands and earlier failures meet a stream as they should.
#include "simfixture.h"
#include "waituntil.h"

#include "serialport.h"

namespace {

class FlickerRecorder : public TClmtr, public RecordQueue<Flicker> {
public:
    ~FlickerRecorder() override { close(); }

protected:
    void flickered(const Flicker &f) override { push(f); }
};

template <typename Record> bool anyHas(const std::vector<Record> &records, uint32_t bits) {
    for (const Record &r : records)
        if (r.errorCode & bits)
            return true;
    return false;
}

// Waits (up to 10 s) until a record carries one of bits; returns them all.
template <typename Queue> auto recordsUntil(Queue &q, uint32_t bits) {
    waitUntil([&] { return anyHas(q.records(), bits); });
    return q.records();
}

} // namespace

class ClmtrRecovery : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim("TV-40");
        sim_->scene().setXYZ(95, 100, 108);
    }
};

TEST_F(ClmtrRecovery, DamagedRepliesAreNeverReadingsAndARunOfThemEndsMeasuring) {
    RecordingClmtr c;
    ASSERT_TRUE(c.connect(port()));
    c.startMeasuring();
    ASSERT_GE(c.waitFor(3).size(), 3u);
    ASSERT_EQ(say("garbage 10"), "ok garbage 10");
    const auto records = recordsUntil(c, ErrorBits::Timeout);
    ASSERT_FALSE(records.empty());
    for (const Measurement &m : records) {
        if (m.errorCode & ErrorBits::BadReply) {
            EXPECT_EQ(m.bigX, 0);
            EXPECT_EQ(m.bigY, 0);
            EXPECT_EQ(m.avgCount, 0);
        } else {
            EXPECT_NEAR(m.bigY, 100, 2) << m.errorCode;
            EXPECT_GT(m.x, 0.2);
            EXPECT_LT(m.x, 0.5);
        }
    }
    EXPECT_EQ(records.back().errorCode, ErrorBits::BadReply | ErrorBits::Timeout);
    EXPECT_TRUE(waitUntil([&] { return !c.isThreadRunning(); }));

    say("garbage off"); // the same connection reads again
    EXPECT_EQ(c.measureOnce(2).errorCode, 0u);
}

TEST_F(ClmtrRecovery, AStreamEndsWhenItsInstrumentFallsSilentOrSendsOnlyScraps) {
    const struct {
        const char *fault, *clear;
        uint32_t ending;
    } cases[] = {{"silence on", "silence off", ErrorBits::Timeout},
                 {"truncate 5", "truncate off", ErrorBits::Timeout | ErrorBits::FlickerBadPacket}};
    for (const auto &k : cases) {
        FlickerRecorder c;
        ASSERT_TRUE(c.connect(port()));
        ASSERT_EQ(c.startStreaming(), 0u);
        ASSERT_GE(c.waitFor(3).size(), 3u);
        ASSERT_EQ(say(k.fault).substr(0, 2), "ok");
        const auto records = recordsUntil(c, ErrorBits::Timeout);
        ASSERT_TRUE(anyHas(records, ErrorBits::Timeout)) << k.fault;
        EXPECT_EQ(records.back().errorCode & ~ErrorBits::FlickerBufferNotFilled, k.ending)
            << k.fault;
        say(k.clear);
        c.close();
    }
}

TEST_F(ClmtrRecovery, ConnectingStopsAStreamAKilledOwnerLeftRunning) {
    {
        // What a client killed mid-stream leaves: the instrument streaming at
        // the higher rate, and nobody to send the stop.
        serialPort dead(port());
        ASSERT_TRUE(dead.open());
        dead.configure(19200, 8, 'n', 10000);
        dead.write("T1\r", 3);
        ASSERT_TRUE(waitUntil([&] { return sim_->colorimeter().streaming(); }));
    }
    TClmtr c;
    ASSERT_TRUE(c.connect(port()));
    EXPECT_FALSE(sim_->colorimeter().streaming());
    EXPECT_EQ(c.model(), "TV-40");
    EXPECT_EQ(c.measureOnce(2).errorCode, 0u);
}

TEST_F(ClmtrRecovery, ANonStreamCommandEndsTheStreamFirst) {
    FlickerRecorder c;
    ASSERT_TRUE(c.connect(port()));
    ASSERT_EQ(c.startStreaming(), 0u);
    ASSERT_GE(c.waitFor(2).size(), 2u);
    const BlackMatrix b = c.readBlackRam();
    EXPECT_EQ(b.status, 0);
    EXPECT_GT(b.thermal, 0);
    EXPECT_FALSE(c.isStreaming());
    EXPECT_FALSE(c.isThreadRunning());
    EXPECT_FALSE(sim_->colorimeter().streaming());
}

TEST_F(ClmtrRecovery, StartingAStreamReportsAFailureNotYetReportedOnce) {
    FlickerRecorder c;
    ASSERT_TRUE(c.connect(port()));
    ASSERT_EQ(c.startStreaming(), 0u); // the response data are known from here on
    c.stopStreaming();
    say("silence on");
    EXPECT_EQ(c.sendCommand("N5").result, clmtr::TimedOut);
    say("silence off");
    EXPECT_EQ(c.startStreaming(), clmtr::TimedOut);
    EXPECT_FALSE(c.isStreaming());
    EXPECT_EQ(c.startStreaming(), 0u);
    EXPECT_GE(c.waitFor(2).size(), 2u);
}
