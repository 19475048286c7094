// TClmtr's flicker streaming on a scripted port: refusals, the start and
// stop sequences with the baud switch, the soft and hard condition bits,
// resynchronisation and the caller-read stream; then against the simulator,
// with both firmwares: a sine found at its frequency, the sensor corrected.
#include "fakeport.h"
#include "flickerresponse.h"
#include "flickerwire.h"
#include "simfixture.h"
#include "waituntil.h"

namespace {

constexpr uint32_t notFilled = ErrorBits::FlickerBufferNotFilled;
constexpr uint32_t rangeChanged = ErrorBits::FlickerRangeChanged;
const std::string olderFirmware = "01.08fc";
const std::string newerFirmware = "01.12ak";

class FlickerRecorder : public TClmtr, public RecordQueue<Flicker> {
public:
    FlickerRecorder() = default;
    explicit FlickerRecorder(std::unique_ptr<SerialLink> link) : TClmtr(std::move(link)) {}
    ~FlickerRecorder() override { close(); }

protected:
    void flickered(const Flicker &f) override { push(f); }
};

struct PacketSpec {
    int range = 3;
    uint16_t level = 20000; // counts
    char status = '0';
    bool damaged = false;
};

std::string packet(const PacketSpec &p) {
    std::array<uint16_t, 32> s;
    s.fill(p.level);
    std::string bytes = sim::clmtrwire::flickerPacket(s, 95, 100, 108, p.range, p.status);
    if (p.damaged)
        bytes[48] = 'X';
    return bytes;
}

// A TV-40 on a scripted port that answers "P4" for the firmware, then sends
// the packets, 2 ms apart; the line may drop after the last.
struct Stream {
    FakePort *port = nullptr;
    std::unique_ptr<FlickerRecorder> c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    void script(const std::string &firmware, const std::vector<PacketSpec> &packets,
                bool diesAtEnd = false) {
        port->script({{1, sim::clmtrwire::responseReply("TV-40", "SER000001", firmware,
                                                        sim::FlickerSensor::responseValues(256))}});
        std::vector<FakePort::Chunk> chunks;
        for (std::size_t i = 0; i < packets.size(); ++i)
            chunks.push_back({2, packet(packets[i]), diesAtEnd && i + 1 == packets.size()});
        port->script(chunks);
    }
    std::string sentFrom(const std::string &marker) {
        const std::string w = port->written();
        return w.find(marker) == std::string::npos ? "<none>" : w.substr(w.find(marker));
    }
};

TEST(FlickerStart, RefusedForOtherModelsAndBadSampleCounts) {
    FakePort *port = nullptr;
    auto t40 = connectOnFakePort<FlickerRecorder>("T-40", port);
    const std::string before = port->written();
    EXPECT_EQ(t40->startStreaming(true), ErrorBits::NotAvailableOnModel);
    EXPECT_EQ(port->written(), before); // nothing sent
    for (int bad : {0, 32, 63, 1000, 4096})
        EXPECT_EQ(t40->setSampleCount(bad), ErrorBits::FlickerBadSampleCount) << bad;
}

TEST(FlickerStream, OlderFirmwareFlagsTheFillingBufferAndStopsWithThreeX9) {
    Stream s;
    ASSERT_EQ(s.c->setSampleCount(128), 0u);
    s.script(olderFirmware, std::vector<PacketSpec>(8));
    ASSERT_EQ(s.c->startStreaming(true), 0u);
    const auto recs = s.c->waitFor(8);
    s.c->stopThread();
    ASSERT_EQ(recs.size(), 8u);
    // 128 samples need four packets: the first three records are incomplete.
    for (std::size_t i = 0; i < recs.size(); ++i)
        EXPECT_EQ(recs[i].errorCode, i < 3 ? notFilled : 0u) << i;
    EXPECT_EQ(recs[0].settings.sampleRate, 256);
    EXPECT_GT(recs[0].settings.response[0].coefficients[40], 3.0); // range pair 3-4 in force
    EXPECT_EQ(s.sentFrom("P4"), "P4\rT2\rX9\rX9\rX9\r");
    EXPECT_EQ(s.port->rates(), std::vector<int>({9600})); // no baud switch
}

TEST(FlickerStream, NewerFirmwareSwitchesTo19200AndBack) {
    Stream s;
    s.script(newerFirmware, std::vector<PacketSpec>(3));
    ASSERT_EQ(s.c->startStreaming(true), 0u);
    EXPECT_EQ(s.c->waitFor(3).at(0).settings.sampleRate, 384);
    s.c->stopThread();
    EXPECT_EQ(s.sentFrom("P4"), "P4\rT1\rX9\rX9\r");
    EXPECT_EQ(s.port->rates(), std::vector<int>({9600, 19200, 9600}));
}

TEST(FlickerStream, RangeChangesSaturationAimingLightsAndDamageKeepItRunning) {
    Stream s;
    ASSERT_EQ(s.c->setSampleCount(64), 0u);
    std::vector<PacketSpec> p(21);
    p[4].level = 62000; // over-saturated
    for (std::size_t i = 8; i < p.size(); ++i)
        p[i].range = 5;
    p[18].status = 'L';
    p[19].damaged = true; // "X" at byte 48: dropped, and the stream resynchronises
    s.script(olderFirmware, p);
    ASSERT_EQ(s.c->startStreaming(true), 0u);
    const auto recs = s.c->waitFor(20);
    EXPECT_TRUE(s.c->isThreadRunning());
    s.c->stopThread();
    ASSERT_EQ(recs.size(), 20u);
    EXPECT_EQ(recs[0].errorCode, notFilled); // 64 samples: two packets
    EXPECT_EQ(recs[4].errorCode, ErrorBits::FlickerOverSaturated);
    // The change, then a second (256 samples/s) of incomplete records.
    EXPECT_EQ(recs[8].errorCode, rangeChanged | notFilled);
    EXPECT_EQ(recs[8].range, 5);
    EXPECT_EQ(recs[14].errorCode, notFilled);
    EXPECT_EQ(recs[15].errorCode, 0u);
    EXPECT_EQ(recs[18].errorCode, ErrorBits::AimingLights);
    EXPECT_EQ(recs[19].errorCode, 0u);
    EXPECT_DOUBLE_EQ(recs[19].signalCounts[63][0], (20 * 32 - 1) / 256.0); // 20 packets counted
}

TEST(FlickerStream, AConditionOrALostPortEndsTheStreamAfterItsRecord) {
    Stream s;
    std::vector<PacketSpec> p(6);
    p[2].status = 'u';
    s.script(olderFirmware, p);
    ASSERT_EQ(s.c->startStreaming(true), 0u);
    ASSERT_TRUE(waitUntil([&] { return !s.c->isThreadRunning(); }));
    auto recs = s.c->records();
    ASSERT_EQ(recs.size(), 3u);
    // An unusual status also counts as a range change.
    EXPECT_EQ(recs[2].errorCode & (ErrorBits::StatusU | rangeChanged),
              ErrorBits::StatusU | rangeChanged);
    EXPECT_EQ(s.sentFrom("T2"), "T2\rX9\rX9\rX9\r");

    Stream lost;
    lost.script(olderFirmware, std::vector<PacketSpec>(2), true);
    ASSERT_EQ(lost.c->startStreaming(true), 0u);
    ASSERT_TRUE(waitUntil([&] { return !lost.c->isThreadRunning(); }));
    recs = lost.c->records();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[2].errorCode & 0x7u, clmtr::PortLost);
    EXPECT_FALSE(lost.c->isStreaming());
}

TEST(FlickerStream, AnUnthreadedStreamIsReadByTheCallerAndEndedByStop) {
    Stream s;
    EXPECT_EQ(s.c->readFlicker().errorCode, clmtr::Internal); // no stream yet
    ASSERT_EQ(s.c->setSampleCount(64), 0u);
    s.script(olderFirmware, std::vector<PacketSpec>(3));
    ASSERT_EQ(s.c->startStreaming(false), 0u);
    EXPECT_FALSE(s.c->isThreadRunning());
    EXPECT_EQ(s.c->readFlicker().errorCode, notFilled);
    EXPECT_EQ(s.c->readFlicker().errorCode, 0u);
    EXPECT_TRUE(s.c->records().empty()); // nothing through the callback
    for (int x9 = 0; x9 < 3; ++x9)
        s.port->script({}); // nothing answers the stop
    s.port->script({{2, packet({})}});
    ASSERT_EQ(s.c->setSampleCount(128), 0u); // restarts it in the same mode
    EXPECT_EQ(s.c->readFlicker().settings.sampleCount, 128);
    s.c->stopStreaming();
    EXPECT_FALSE(s.c->isStreaming());
    EXPECT_EQ(s.sentFrom("P4"), "P4\rT2\rX9\rX9\rX9\rT2\rX9\rX9\rX9\r");
}

class SimStream : public SimFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(SimStream, ASineIsFoundAtItsFrequencyWithTheSensorCorrected) {
    startSim("TV-40",
             [this](sim::SimulatorOptions &o) { o.colorimeter.olderFirmware = GetParam(); });
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    FlickerRecorder c;
    ASSERT_TRUE(c.connect(port()));
    ASSERT_EQ(c.startStreaming(true), 0u);
    // 256 samples: complete from the eighth (older) or eighth (newer) packet on.
    const auto recs = c.waitFor(14);
    c.stopThread();
    ASSERT_GE(recs.size(), 14u);
    EXPECT_EQ(c.firmwareVersion(), GetParam() ? olderFirmware : newerFirmware);
    for (std::size_t i = 8; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].errorCode, 0u) << i;
        EXPECT_EQ(recs[i].settings.sampleRate, GetParam() ? 256 : 384);
        EXPECT_DOUBLE_EQ(recs[i].peaksPercent[0][0], 30.0);
        // Contrast method: 4 x the relative amplitude of 0.2 / 2. The sensor
        // passes a quarter of it at 30 Hz; the correction restores it.
        EXPECT_NEAR(recs[i].peaksPercent[0][1], 40.0, 2.0);
    }
    EXPECT_EQ(say("stream").substr(0, 6), "ok off");
    EXPECT_NEAR(c.measureOnce(1).rawY, 100.0, 1.0); // the line is back to normal
}

INSTANTIATE_TEST_SUITE_P(Firmware, SimStream, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                             return i.param ? "Older" : "Newer";
                         });

} // namespace
