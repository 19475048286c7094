// TClmtr's flicker streaming: settings and refusals, the stream's start and
// stop sequences with the baud switch, the soft and hard condition bits and
// resynchronisation on a scripted port; then against the simulator: a sine
// found at its frequency with the sensor's response corrected, range changes,
// over-saturation, flashes, restarts, losing the instrument, and a host that
// misses the baud switch.
#include "fakeport.h"
#include "flickerpacket.h"
#include "flickerresponse.h"
#include "flickerwire.h"
#include "serialport.h"
#include "simfixture.h"
#include "waituntil.h"

#include <algorithm>
#include <thread>

namespace {

constexpr uint32_t notFilled = ErrorBits::FlickerBufferNotFilled;
constexpr uint32_t rangeChanged = ErrorBits::FlickerRangeChanged;
constexpr uint32_t saturated = ErrorBits::FlickerOverSaturated;
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

std::string responseReply(const std::string &firmware) {
    return sim::clmtrwire::responseReply("TV-40", "SER000001", firmware,
                                         sim::FlickerSensor::responseValues(256));
}

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

// The reply to "P4", then the packets that follow "T1"/"T2", 2 ms apart.
void scriptStream(FakePort *port, const std::string &firmware,
                  const std::vector<PacketSpec> &packets, bool diesAtEnd = false) {
    port->script({{1, responseReply(firmware)}});
    std::vector<FakePort::Chunk> chunks;
    for (std::size_t i = 0; i < packets.size(); ++i)
        chunks.push_back({2, packet(packets[i]), diesAtEnd && i + 1 == packets.size()});
    port->script(chunks);
}

std::string after(const std::string &written, const std::string &marker) {
    const std::size_t at = written.find(marker);
    return at == std::string::npos ? std::string("<none>") : written.substr(at);
}

} // namespace

TEST(FlickerSettings, SampleCountMustBeAPowerOfTwoFrom64To2048) {
    TClmtr c(std::make_unique<FakePort>());
    EXPECT_EQ(c.sampleCount(), 256);
    EXPECT_EQ(c.setSampleCount(1000), ErrorBits::FlickerBadSampleCount);
    EXPECT_EQ(c.sampleCount(), 256);
    for (int bad : {0, -64, 32, 63, 4096, 3000})
        EXPECT_EQ(c.setSampleCount(bad), ErrorBits::FlickerBadSampleCount) << bad;
    EXPECT_EQ(c.setSampleCount(64), 0u);
    EXPECT_EQ(c.sampleCount(), 64);
    EXPECT_EQ(c.setSampleCount(64), 0u); // unchanged
    EXPECT_EQ(c.setSampleCount(2048), 0u);
    EXPECT_EQ(c.sampleCount(), 2048);
    EXPECT_FALSE(c.isStreaming());
}

TEST(FlickerSettings, DefaultsAndStoresReachTheRecords) {
    TClmtr c(std::make_unique<FakePort>());
    FlickerSettings s = c.flickerSettings();
    EXPECT_TRUE(s.windowOn);
    EXPECT_TRUE(s.binMerge);
    EXPECT_TRUE(s.jeitaDiscountDb);
    EXPECT_FALSE(s.jeitaDiscountPercent);
    EXPECT_EQ(s.jeita, 0);
    EXPECT_EQ(s.normalized, 0);
    EXPECT_EQ(s.sampleRate, 256);
    c.setFlickerOptionA(false);
    c.setFlickerOptionB(false);
    c.setJeitaDiscountDb(false);
    c.setJeitaDiscountPercent(true);
    c.setJeita(1);
    c.setNormalized(1);
    s = c.flickerSettings();
    EXPECT_FALSE(s.binMerge);
    EXPECT_FALSE(s.windowOn);
    EXPECT_FALSE(c.jeitaDiscountDb());
    EXPECT_TRUE(s.jeitaDiscountPercent);
    EXPECT_EQ(c.jeita(), 1);
    EXPECT_EQ(s.normalized, 1);
}

TEST(FlickerStart, ModelsThatDoNotStreamAreRefusedWithoutSendingAnything) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("T-40", port);
    const std::string before = port->written();
    EXPECT_EQ(c->startStreaming(true), ErrorBits::NotAvailableOnModel);
    EXPECT_EQ(c->startStreaming(false), ErrorBits::NotAvailableOnModel);
    EXPECT_EQ(port->written(), before);
    EXPECT_FALSE(c->isStreaming());
}

TEST(FlickerStart, InvalidResponseDataFailTheStartBeforeAnyStream) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    std::string bad = responseReply(newerFirmware);
    bad[26] = 0x7F; // the first value of pair 1-2 is no longer 32768: g(1) != 1
    port->script({{1, bad}});
    EXPECT_EQ(c->startStreaming(true), ErrorBits::FlickerBadResponseData);
    EXPECT_FALSE(c->isStreaming());
    EXPECT_FALSE(c->flickerResponseKnown());
    EXPECT_EQ(c->firmwareVersion(), newerFirmware);
    EXPECT_EQ(after(port->written(), "P4"), "P4\r"); // no "T1"
}

TEST(FlickerStream, FirstPacketsFlagTheFillingBufferAndOlderFirmwareStopsWithThreeX9) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    ASSERT_EQ(c->setSampleCount(128), 0u);
    scriptStream(port, olderFirmware, std::vector<PacketSpec>(8));
    ASSERT_EQ(c->startStreaming(true), 0u);
    EXPECT_TRUE(c->isStreaming());
    EXPECT_TRUE(c->flickerResponseKnown());
    const auto recs = c->waitFor(8);
    c->stopThread();
    ASSERT_EQ(recs.size(), 8u);
    // 128 samples need four packets: the first three records are incomplete.
    for (std::size_t i = 0; i < recs.size(); ++i) {
        EXPECT_EQ(recs[i].errorCode, i < 3 ? notFilled : 0u) << i;
        EXPECT_EQ(recs[i].settings.sampleRate, 256);
        EXPECT_EQ(recs[i].settings.sampleCount, 128);
        EXPECT_EQ(recs[i].range, 3);
        EXPECT_EQ(recs[i].spectrumPercent.rows(), 51);
        EXPECT_DOUBLE_EQ(recs[i].y, 100.0);
    }
    // The response of range pair 3-4 is in force.
    ASSERT_EQ(recs[0].settings.response.size(), 2u);
    EXPECT_GT(recs[0].settings.response[0].coefficients[40], 3.0);
    EXPECT_EQ(c->sampleRate(), 256);
    EXPECT_FALSE(c->isStreaming());
    EXPECT_EQ(after(port->written(), "P4"), "P4\rT2\rX9\rX9\rX9\r");
    EXPECT_EQ(port->rates(), std::vector<int>({9600})); // no baud switch
    bool fresh = false;
    EXPECT_EQ(c->lastFlicker(&fresh).errorCode, 0u);
    EXPECT_TRUE(fresh);
}

TEST(FlickerStream, NewerFirmwareSwitchesTo19200AndBack) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    scriptStream(port, newerFirmware, std::vector<PacketSpec>(3));
    ASSERT_EQ(c->startStreaming(true), 0u);
    const auto recs = c->waitFor(3);
    c->stopThread();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0].settings.sampleRate, 384);
    EXPECT_EQ(c->sampleRate(), 384);
    EXPECT_EQ(after(port->written(), "P4"), "P4\rT1\rX9\rX9\r");
    EXPECT_EQ(port->rates(), std::vector<int>({9600, 19200, 9600}));

    // The response data stay known: a second start goes straight to "T1".
    port->script({{2, packet({})}});
    ASSERT_EQ(c->startStreaming(true), 0u);
    c->waitFor(4);
    c->stopThread();
    EXPECT_EQ(after(port->written(), "X9\rX9\rT1"), "X9\rX9\rT1\rX9\rX9\r");
}

TEST(FlickerStream, RangeChangesSaturationAndAimingLightsKeepItRunning) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    ASSERT_EQ(c->setSampleCount(64), 0u);
    std::vector<PacketSpec> p(20);
    p[4].level = 62000; // over-saturated
    for (std::size_t i = 8; i < p.size(); ++i)
        p[i].range = 5;
    p[18].status = 'L';
    scriptStream(port, olderFirmware, p);
    ASSERT_EQ(c->startStreaming(true), 0u);
    const auto recs = c->waitFor(20);
    c->stopThread();
    ASSERT_EQ(recs.size(), 20u);
    EXPECT_EQ(recs[0].errorCode, notFilled); // 64 samples: two packets
    EXPECT_EQ(recs[1].errorCode, 0u);
    EXPECT_EQ(recs[4].errorCode, saturated);
    EXPECT_EQ(recs[5].errorCode, 0u);
    // The change, then a second (256 samples/s) of incomplete records.
    EXPECT_EQ(recs[8].errorCode, rangeChanged | notFilled);
    EXPECT_EQ(recs[8].range, 5);
    for (std::size_t i = 9; i < 15; ++i)
        EXPECT_EQ(recs[i].errorCode, notFilled) << i;
    EXPECT_EQ(recs[15].errorCode, 0u);
    EXPECT_NE(recs[8].settings.response[0].coefficients, recs[7].settings.response[0].coefficients);
    EXPECT_EQ(recs[18].errorCode, ErrorBits::AimingLights);
    EXPECT_EQ(recs[19].errorCode, 0u);
}

TEST(FlickerStream, DamagedPacketIsDroppedAndTheStreamResynchronises) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    ASSERT_EQ(c->setSampleCount(64), 0u);
    std::vector<PacketSpec> p(4);
    p[2].damaged = true; // "X" at byte 48
    scriptStream(port, olderFirmware, p);
    ASSERT_EQ(c->startStreaming(true), 0u);
    const auto recs = c->waitFor(3);
    EXPECT_TRUE(c->isThreadRunning());
    c->stopThread();
    ASSERT_EQ(recs.size(), 3u);
    for (const Flicker &f : recs)
        EXPECT_EQ(f.errorCode & ErrorBits::FlickerBadPacket, 0u);
    // Only three packets counted: the newest sample of the third record
    // is sample 3 * 32 - 1 on the time axis.
    EXPECT_DOUBLE_EQ(recs[2].signalCounts[63][0], 95.0 / 256);
}

TEST(FlickerStream, AnInstrumentConditionEndsTheStreamAfterItsRecord) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    std::vector<PacketSpec> p(6);
    p[2].status = 'u';
    scriptStream(port, olderFirmware, p);
    ASSERT_EQ(c->startStreaming(true), 0u);
    const auto recs = c->waitFor(3);
    ASSERT_TRUE(waitUntil([&] { return !c->isThreadRunning(); }));
    ASSERT_EQ(c->records().size(), 3u);
    // An unusual status also counts as a range change.
    EXPECT_EQ(recs[2].errorCode & (ErrorBits::StatusU | rangeChanged),
              ErrorBits::StatusU | rangeChanged);
    EXPECT_FALSE(c->isStreaming());
    EXPECT_EQ(after(port->written(), "T2"), "T2\rX9\rX9\rX9\r");
}

TEST(FlickerStream, LosingThePortDeliversOneRecordWithTheCode) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    scriptStream(port, olderFirmware, std::vector<PacketSpec>(2), true);
    ASSERT_EQ(c->startStreaming(true), 0u);
    ASSERT_TRUE(waitUntil([&] { return !c->isThreadRunning(); }));
    const auto recs = c->records();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[2].errorCode & 0x7u, clmtr::PortLost);
    EXPECT_TRUE(recs[2].spectrumPercent.isEmpty());
    EXPECT_FALSE(c->isStreaming());
}

TEST(FlickerStream, UnthreadedStreamIsReadByTheCallerAndEndedByStop) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    EXPECT_EQ(c->readFlicker().errorCode, clmtr::Internal); // no stream yet
    ASSERT_EQ(c->setSampleCount(64), 0u);
    scriptStream(port, olderFirmware, std::vector<PacketSpec>(3));
    ASSERT_EQ(c->startStreaming(false), 0u);
    EXPECT_TRUE(c->isStreaming());
    EXPECT_FALSE(c->isThreadRunning());
    EXPECT_EQ(c->readFlicker().errorCode, notFilled);
    EXPECT_EQ(c->readFlicker().errorCode, 0u);
    const Flicker third = c->readFlicker();
    EXPECT_EQ(third.errorCode, 0u);
    EXPECT_EQ(third.spectrumDb.rows(), 26);
    EXPECT_TRUE(c->records().empty()); // nothing through the callback

    // A sample-count change restarts it in the same mode.
    for (int x9 = 0; x9 < 3; ++x9)
        port->script({}); // nothing answers the stop
    port->script({{2, packet({})}});
    ASSERT_EQ(c->setSampleCount(128), 0u);
    EXPECT_TRUE(c->isStreaming());
    const Flicker restarted = c->readFlicker();
    EXPECT_EQ(restarted.errorCode, notFilled);
    EXPECT_EQ(restarted.settings.sampleCount, 128);

    c->stopStreaming();
    EXPECT_FALSE(c->isStreaming());
    EXPECT_EQ(after(port->written(), "P4"), "P4\rT2\rX9\rX9\rX9\rT2\rX9\rX9\rX9\r");
    EXPECT_EQ(c->readFlicker().errorCode, clmtr::Internal);
}

TEST(FlickerStream, CloseForgetsTheResponseData) {
    FakePort *port = nullptr;
    auto c = connectOnFakePort<FlickerRecorder>("TV-40", port);
    scriptStream(port, olderFirmware, std::vector<PacketSpec>(1));
    ASSERT_EQ(c->startStreaming(true), 0u);
    c->waitFor(1);
    c->close();
    EXPECT_FALSE(c->isStreaming());
    EXPECT_FALSE(c->flickerResponseKnown());
}

// --- against the simulator ---

class SimStream : public SimFixture, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        sim::SimulatorOptions o = options("TV-40");
        o.colorimeter.olderFirmware = GetParam();
        sim_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(sim_->start(&error)) << error;
        ASSERT_TRUE(c.connect(port()));
    }
    void TearDown() override {
        c.close();
        SimFixture::TearDown();
    }
    int rate() const { return GetParam() ? 256 : 384; }
    // Records from the first complete one on.
    std::vector<Flicker> complete(std::size_t n) {
        for (int tries = 0; tries < 200; ++tries) {
            std::vector<Flicker> all = c.records();
            std::vector<Flicker> done;
            for (const Flicker &f : all) {
                if (!done.empty() || !(f.errorCode & notFilled))
                    done.push_back(f);
            }
            if (done.size() >= n)
                return done;
            c.waitFor(all.size() + 1, 1);
        }
        return {};
    }
    FlickerRecorder c;
};

TEST_P(SimStream, SineIsFoundAtItsFrequencyWithTheSensorCorrected) {
    // 30 Hz is a whole bin at both rates (1 Hz and 1.5 Hz bins for N = 256).
    ASSERT_EQ(say("flicker sine 30 20").substr(0, 2), "ok");
    ASSERT_EQ(c.startStreaming(true), 0u);
    const auto recs = complete(6);
    c.stopThread();
    ASSERT_GE(recs.size(), 6u);
    EXPECT_EQ(c.firmwareVersion(), GetParam() ? olderFirmware : newerFirmware);
    for (const Flicker &f : recs) {
        EXPECT_EQ(f.errorCode, 0u);
        EXPECT_EQ(f.settings.sampleRate, rate());
        EXPECT_DOUBLE_EQ(f.peaksPercent[0][0], 30.0);
        EXPECT_DOUBLE_EQ(f.peaksDb[0][0], 30.0);
        // Contrast method: 4 x the relative amplitude of 0.2 / 2. The sensor
        // passes a quarter of it at 30 Hz; the correction restores it.
        EXPECT_NEAR(f.peaksPercent[0][1], 40.0, 2.0);
        EXPECT_NEAR(f.y, 100.0, 5.0);
    }
    EXPECT_EQ(say("stream").substr(0, 6), "ok off");
    // The line is back to normal: a reading goes through.
    const Measurement m = c.measureOnce(1);
    EXPECT_EQ(m.errorCode & 0x7u, 0u);
    EXPECT_NEAR(m.rawY, 100.0, 1.0);
}

TEST_P(SimStream, RangeChangeSaturationAndFlashOnDemand) {
    ASSERT_EQ(c.setSampleCount(64), 0u);
    ASSERT_EQ(c.startStreaming(true), 0u);
    auto recs = complete(2);
    ASSERT_FALSE(recs.empty());
    const int range = recs.back().range;
    EXPECT_EQ(range, 3); // 100 cd/m² fits range 3 (up to 200)

    c.clear();
    ASSERT_EQ(say("range 5"), "ok range 5");
    ASSERT_TRUE(waitUntil([&] {
        for (const Flicker &f : c.records())
            if (f.range == 5)
                return true;
        return false;
    }));
    for (const Flicker &f : c.records()) {
        if (f.range == 5) {
            EXPECT_EQ(f.errorCode & rangeChanged, rangeChanged);
            break;
        }
    }
    ASSERT_EQ(say("range auto"), "ok range auto");

    c.clear();
    ASSERT_EQ(say("saturate on"), "ok saturate on");
    ASSERT_TRUE(waitUntil([&] {
        for (const Flicker &f : c.records())
            if (f.errorCode & saturated)
                return true;
        return false;
    }));
    say("saturate off");

    // A flash lifts the newest samples well above the steady level.
    c.waitFor(c.records().size() + 20);
    c.clear();
    ASSERT_EQ(say("flash 200 200").substr(0, 2), "ok");
    ASSERT_TRUE(waitUntil([&] {
        for (const Flicker &f : c.records()) {
            const int n = f.signalCounts.rows();
            for (int i = n - 32; i > 0 && i < n; ++i)
                if (f.signalCounts[i][1] > 1.5 * 25000)
                    return true;
        }
        return false;
    })) <<
        [&] {
            std::string d = "streaming " + std::to_string(c.isStreaming()) + " records " +
                            std::to_string(c.records().size());
            for (const Flicker &f : c.records())
                d += " " + std::to_string(f.errorCode) + "/" +
                     std::to_string(
                         f.signalCounts.rows() ? f.signalCounts[f.signalCounts.rows() - 1][1] : -1);
            return d;
        }();
    EXPECT_TRUE(c.isStreaming());
    c.stopThread();
}

TEST_P(SimStream, SampleCountChangeRestartsTheStream) {
    ASSERT_EQ(c.startStreaming(true), 0u);
    ASSERT_FALSE(complete(1).empty());
    c.clear();
    ASSERT_EQ(c.setSampleCount(512), 0u);
    EXPECT_TRUE(c.isStreaming());
    const auto recs = c.waitFor(20);
    c.stopThread();
    ASSERT_GE(recs.size(), 20u);
    EXPECT_EQ(recs[0].settings.sampleCount, 512);
    EXPECT_EQ(recs[0].spectrumPercent.rows(), 201);
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_NE(recs[i].errorCode & notFilled, 0u) << i; // 16 packets to fill
}

TEST_P(SimStream, UnpluggingEndsTheStreamWithOneFailedRecord) {
    ASSERT_EQ(c.startStreaming(true), 0u);
    c.waitFor(3);
    ASSERT_EQ(say("unplug"), "ok colorimeter unplugged");
    ASSERT_TRUE(waitUntil([&] { return !c.isThreadRunning(); }, 8000));
    const auto recs = c.records();
    ASSERT_FALSE(recs.empty());
    EXPECT_NE(recs.back().errorCode & (clmtr::PortLost | clmtr::TimedOut), 0u);
    EXPECT_FALSE(c.isStreaming());
}

INSTANTIATE_TEST_SUITE_P(Firmware, SimStream, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                             return i.param ? "Older" : "Newer";
                         });

class SimWire : public SimFixture {};

TEST_F(SimWire, ResponseDataOfBothFirmwaresPassTheChecks) {
    for (int rate : {256, 384}) {
        auto data = clmtr::unknownResponseData();
        const std::string reply = sim::clmtrwire::responseReply(
            "TV-40", "X", "01.12ak", sim::FlickerSensor::responseValues(rate));
        EXPECT_EQ(clmtr::parseResponseData(reply, data), 0u) << rate;
        EXPECT_DOUBLE_EQ(data[0].table[1], 1.0);
        // Slower sensor on the low ranges: more correction at 50 Hz.
        EXPECT_GT(data[0].table[50], data[1].table[50]);
        EXPECT_GT(data[1].table[50], data[2].table[50]);
    }
}

TEST_F(SimWire, AHostThatMissesTheBaudSwitchHearsNoPackets) {
    startSim("TV-40");
    serialPort p(port());
    ASSERT_TRUE(p.open());
    auto collect = [&](int ms) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < end) {
            p.waitReadable(10);
            got += p.readAvailable();
        }
        return got;
    };
    auto packets = [](std::string bytes) {
        int n = 0;
        clmtr::FlickerPacket out;
        for (clmtr::StreamFront f;
             (f = clmtr::takeFlickerPacket(bytes, out)) != clmtr::StreamFront::NeedMore;)
            n += f == clmtr::StreamFront::Packet;
        return n;
    };
    ASSERT_TRUE(p.configure(9600, 8, 'n', 10000));
    p.write("T1\r", 3);
    const std::string wrongRate = collect(300);
    p.write("X9\r", 3);
    collect(50);
    EXPECT_GT(wrongRate.size(), 500u);
    EXPECT_EQ(packets(wrongRate), 0);

    p.write("T1\r", 3);
    ASSERT_TRUE(p.configure(19200, 8, 'n', 10000));
    const std::string rightRate = collect(300);
    p.write("X9\r", 3);
    EXPECT_GT(packets(rightRate), 10);
    p.close();
}
