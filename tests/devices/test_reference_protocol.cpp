// The reference instruments' wire formats as plain functions over replies
// written out by hand (the CS-2000's in its maker's formats; the BM-7's
// against its simulator), and the command port's reply framing over a
// scripted link (replies in pieces and with pauses, unasked, cancelled, lost).
#include "bm7protocol.h"
#include "bm7sim.h"
#include "cs2000protocol.h"
#include "fakeport.h"
#include "pr650protocol.h"
#include "qchromaserialport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace {

QString text(const std::string &s) {
    return QString::fromStdString(s);
}

TEST(CS2000Protocol, CommandsCarryTheChannelAsTwoDigits) {
    EXPECT_EQ(cs2000::channelNameCommand(3), "UCPR,2,03");
    EXPECT_EQ(cs2000::channelNameCommand(10), "UCPR,2,10");
    EXPECT_EQ(cs2000::selectChannelCommand(0), "UCCS,00");
}

TEST(CS2000Protocol, StatusErrorCodesAndIdentity) {
    EXPECT_TRUE(cs2000::isOk("OK00,1"));
    EXPECT_FALSE(cs2000::isOk("ER05"));
    EXPECT_FALSE(cs2000::isOk(""));
    EXPECT_TRUE(cs2000::isBlankChannel("ER05"));
    EXPECT_FALSE(cs2000::isBlankChannel("ER00"));
    const struct {
        const char *reply;
        int code;
    } codes[] = {{"ER10", 10}, {"ER71", 71}, {"ER00", 0},  {"ER10,1", 10},
                 {"OK00", -1}, {"ER1", -1},  {"ERx0", -1}, {"", -1}};
    for (const auto &c : codes)
        EXPECT_EQ(cs2000::errorCode(c.reply), c.code) << c.reply;

    int v = -1;
    EXPECT_TRUE(cs2000::intField("OK00,07", 1, &v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(cs2000::intField("OK00", 1, &v));
    EXPECT_FALSE(cs2000::intField("OK00,x", 1, &v));
    EXPECT_EQ(v, 7); // untouched by a failed read

    const struct {
        const char *reply;
        const char *model; // null: refused
        const char *serial;
    } identities[] = {
        {"OK00,CS-2000  ,1,1001234", "CS-2000", "1001234"},
        {"OK00,CS-2000A ,2,1001234", "CS-2000A", "1001234"},
        {"OK00,CS-2000,1,1001234", "CS-2000", "1001234"},
        {" OK00,CS-2000,1,1001234", nullptr, nullptr}, // the status opens the reply
        {"OK00,CS-2000,1", nullptr, nullptr},
        {"OK00,         ,1,1001234", nullptr, nullptr},
        {"ER00", nullptr, nullptr},
    };
    for (const auto &c : identities) {
        cs2000::Identity id;
        EXPECT_EQ(cs2000::parseIdentity(c.reply, &id), c.model != nullptr) << c.reply;
        if (c.model) {
            EXPECT_EQ(id.model, c.model);
            EXPECT_EQ(id.serialNumber, c.serial);
        }
    }
}

TEST(CS2000Protocol, MeasuringTimeAndSync) {
    const struct {
        const char *reply;
        int seconds; // -1: refused
    } times[] = {{"OK00,002", 2},   {"OK00,242", 242}, {"OK00,12", 12},  {"OK00,243", -1},
                 {"OK00,0042", -1}, {"OK00", -1},      {"OK00,-01", -1}, {"OK00,002,1", -1},
                 {"ER10", -1},      {"OK00,2 0", -1}};
    for (const auto &c : times) {
        int s = -1;
        EXPECT_EQ(cs2000::parseMeasuringTime(c.reply, &s), c.seconds >= 0) << c.reply;
        EXPECT_EQ(s, c.seconds) << c.reply; // untouched when refused
    }

    const struct {
        const char *reply;
        bool ok;
        cs2000::Sync sync;
        const char *command; // what setting it would send
    } syncs[] = {
        {"OK00,1,06000", true, {1, 6000}, "SCMS,1,06000"},
        {"OK00,1,20000", true, {1, 20000}, "SCMS,1,20000"},
        {"OK00,0", true, {0, 0}, "SCMS,0"},
        {"OK00,2", true, {2, 0}, "SCMS,2"},
        {"OK00,1", false, {}, nullptr},
        {"OK00,1,01999", false, {}, nullptr},
        {"OK00,3", false, {}, nullptr},
        {"OK00,0,06000", false, {}, nullptr},
        {"ER00", false, {}, nullptr},
    };
    for (const auto &c : syncs) {
        cs2000::Sync s;
        ASSERT_EQ(cs2000::parseSync(c.reply, &s), c.ok) << c.reply;
        if (!c.ok)
            continue;
        EXPECT_EQ(s, c.sync) << c.reply;
        EXPECT_EQ(cs2000::syncCommand(s), c.command);
    }
    EXPECT_NE((cs2000::Sync{1, 5000}), (cs2000::Sync{1, 6000}));
    EXPECT_EQ((cs2000::Sync{0, 5000}), (cs2000::Sync{0, 6000})); // no frequency without it
}

TEST(CS2000Protocol, XYZInTheInstrumentsNumberFormat) {
    double xyz[3] = {-1, -1, -1};
    ASSERT_EQ(cs2000::parseXYZ("OK00,9.5050e+1,1.0000e+2,1.0888e+2", xyz), cs2000::Reading::Usable);
    EXPECT_DOUBLE_EQ(xyz[0], 95.05);
    EXPECT_DOUBLE_EQ(xyz[2], 108.88);
    ASSERT_EQ(cs2000::parseXYZ("OK00,0.0000e-9,3.2100e-3,1.0000e+0", xyz), cs2000::Reading::Usable);
    EXPECT_DOUBLE_EQ(xyz[1], 0.00321);
    const struct {
        const char *reply;
        cs2000::Reading reading;
    } bad[] = {
        {"OK00,-9.9999e9,1.0000e+2,1.0888e+2", cs2000::Reading::CalculationError},
        {"OK00,9.5050e+1,1.0000e+2,-9.9999e9", cs2000::Reading::CalculationError},
        {"OK00,1,2", cs2000::Reading::Unusable},
        {"OK00,1,nan,3", cs2000::Reading::Unusable},
        {"OK00,1,2,inf", cs2000::Reading::Unusable},
        {"ER10,1,2,3", cs2000::Reading::Unusable},
        {"OK00,1,,3", cs2000::Reading::Unusable},
        {"OK00,1,2,3,4", cs2000::Reading::Unusable},
        {"OK00,-9.9999e9,x,3", cs2000::Reading::Unusable},
    };
    for (const auto &c : bad) {
        double out[3] = {5, 5, 5};
        EXPECT_EQ(cs2000::parseXYZ(c.reply, out), c.reading) << c.reply;
        EXPECT_EQ(out[0], 5) << c.reply;
    }
}

QList<double> zeros() {
    QList<double> spectrum;
    for (int i = 0; i < cs2000::spectrumSize; ++i)
        spectrum.append(0.0);
    return spectrum;
}

TEST(CS2000Protocol, SpectralBlocksStoreTheirOwnWavelengthsOnly) {
    QList<double> spectrum = zeros();
    const cs2000::SpectralBlock &first = cs2000::spectralBlocks[0];
    cs2000::BlockResult r = cs2000::storeSpectralBlock(
        "OK00,1.0000e-3,2.5000e-3,junk,-9.9999e9,4.0000e-4", first, spectrum);
    EXPECT_EQ(r.stored, 3);
    EXPECT_EQ(r.calculationErrors, 1);
    EXPECT_DOUBLE_EQ(spectrum[381], 0.0025);
    EXPECT_EQ(spectrum[382], 0.0);
    EXPECT_TRUE(std::isnan(spectrum[383]));
    EXPECT_DOUBLE_EQ(spectrum[384], 0.0004);
    EXPECT_EQ(spectrum[385], 0.0);

    std::string block4 = "OK00";
    for (int i = 0; i < 101; ++i)
        block4 += ",5.0000e-4";
    r = cs2000::storeSpectralBlock(QString::fromStdString(block4), cs2000::spectralBlocks[3],
                                   spectrum);
    EXPECT_EQ(r.stored, 101);
    EXPECT_DOUBLE_EQ(spectrum[680], 0.0005);
    EXPECT_DOUBLE_EQ(spectrum[780], 0.0005);
    EXPECT_EQ(spectrum[679], 0.0);
    // One value too many is not this block; an error reply holds none.
    QList<double> untouched = zeros();
    r = cs2000::storeSpectralBlock(QString::fromStdString(block4 + ",1.0000e-3"),
                                   cs2000::spectralBlocks[3], untouched);
    EXPECT_EQ(r.stored, 0);
    EXPECT_EQ(cs2000::storeSpectralBlock("ER20", first, untouched).stored, 0);
    EXPECT_EQ(untouched, zeros());
}

TEST(PR650Protocol, MeasurementAndIdentityReplies) {
    const struct {
        const char *reply;
        pr650::Reading reading;
        double y;
    } readings[] = {
        {"00,0,4.123e+1,4.250e+1,4.600e+1", pr650::Reading::Usable, 42.5},
        {"0000,0,4.1230E+01,4.2500E+01,4.6000E+01", pr650::Reading::Usable, 42.5},
        {"18,0,1.1E-01,1.2E-01,1.3E-01", pr650::Reading::LowLight, 0.12},
        {"14,0,1,2,3", pr650::Reading::Unusable, 0},
        {"00,0,1,2", pr650::Reading::Unusable, 0},
        {"", pr650::Reading::Unusable, 0},
        {"00,0,1,x,3", pr650::Reading::Unusable, 0},
        {"x0,0,1,2,3", pr650::Reading::Unusable, 0},
    };
    for (const auto &c : readings) {
        double xyz[3] = {0, 0, 0};
        EXPECT_EQ(pr650::parseXYZ(c.reply, xyz), c.reading) << c.reply;
        EXPECT_DOUBLE_EQ(xyz[1], c.y) << c.reply;
    }
    const struct {
        const char *reply;
        const char *serial;
        const char *model;
    } identities[] = {
        {" 60951234", "60951234", ""},
        {"00,60951234", "60951234", ""},
        {"PR-650", "PR-650", "PR-650"},
        {"00,PR-655", "PR-655", "PR-655"},
        {"10,PR-670", "", ""},
        {"UNKNOWN COMMAND", "UNKNOWN COMMAND", ""},
        {"", "", ""},
        {"a,b", "", ""}, // a comma without a status: not an identity
    };
    for (const auto &c : identities) {
        EXPECT_EQ(pr650::serialNumber(c.reply), c.serial) << c.reply;
        EXPECT_EQ(pr650::model(c.reply), c.model) << c.reply;
    }
}

TEST(BM7Protocol, FixedColumnsInCandelasOrFootLamberts) {
    const struct {
        sim::Tristimulus light;
        bool footLamberts;
    } cases[] = {{{95.047, 100, 108.88}, false}, {{95.047, 100, 108.88}, true}};
    for (const auto &c : cases) {
        const std::string reply = sim::BM7Sim::readingReply(c.light, c.footLamberts);
        EXPECT_GE(static_cast<int>(reply.size()), bm7::measureMinLength);
        double xyz[3];
        ASSERT_EQ(bm7::parseReading(text(reply), xyz), 0u) << reply;
        // The instrument's 3.4263 against its own 5-digit values.
        EXPECT_NEAR(xyz[1], 100, c.footLamberts ? 0.01 : 1e-9);
        EXPECT_NEAR(xyz[2], 108.88, c.footLamberts ? 0.01 : 1e-9);
    }
}

TEST(BM7Protocol, FootLambertFlagAndFailures) {
    QString reply = QString(80, QLatin1Char(' '));
    reply.replace(0, 2, "TS");
    reply.replace(13, 1, "F");
    reply.replace(43, 10, "        10");
    reply.replace(57, 10, "         1");
    reply.replace(70, 10, "         0");
    double xyz[3];
    ASSERT_EQ(bm7::parseReading(reply, xyz), 0u);
    EXPECT_DOUBLE_EQ(xyz[0], 34.263);

    EXPECT_EQ(bm7::parseReading("ER" + reply.mid(2), xyz), 0x2u);
    EXPECT_EQ(bm7::parseReading("", xyz), 0x2u);
    EXPECT_EQ(bm7::parseReading(reply.left(60), xyz), 0x8u); // Z missing
    QString bad = reply;
    bad.replace(57, 10, "   1.2.3  ");
    EXPECT_EQ(bm7::parseReading(bad, xyz), 0x8u);
}

// The command port over a scripted link.
class CommandPort : public ::testing::Test {
protected:
    void SetUp() override {
        auto link = std::make_unique<FakePort>();
        fake = link.get();
        port = std::make_unique<QChromaSerialPort>(std::move(link));
        ASSERT_TRUE(port->openPort("/dev/fake"));
    }
    using Line = QChromaSerialPort::Line;
    FakePort *fake = nullptr;
    std::unique_ptr<QChromaSerialPort> port;
};

TEST_F(CommandPort, AReplyEndsAtItsDelimiterWhateverPausesItHas) {
    fake->script({{5, "OK00,CS-2000  ,"}, {120, "1,1001"}, {5, "234\r"}});
    const Line id = port->sendLine("IDDR", 2000);
    EXPECT_EQ(id.outcome, Line::Complete);
    EXPECT_EQ(id.text, "OK00,CS-2000  ,1,1001234");
    EXPECT_EQ(fake->written(), "IDDR\r");

    std::string block = "OK00";
    for (int i = 0; i < 100; ++i)
        block += ",1.2345e-3";
    fake->script(paced({{5, block.substr(0, 300)}, {150, block.substr(300) + "\r"}}));
    EXPECT_EQ(port->sendLine("MEDR,1,0,01", 10000).text.toStdString(), block);
}

TEST_F(CommandPort, NoDelimiterIsNoReply) {
    fake->script({{1, "OK00"}});
    const Line r = port->sendLine("NDFR", 200);
    EXPECT_EQ(r.outcome, Line::NoReply);
    EXPECT_EQ(r.text, "OK00"); // what came, for the message
}

TEST_F(CommandPort, AnUnaskedReplyWaitsForTheNextWait) {
    // A measurement that ends at once: its end reply arrives with the start reply.
    fake->script({{1, "OK00,002\rOK00\r"}});
    EXPECT_EQ(port->sendLine("MEAS,1", 2000).text, "OK00,002");
    EXPECT_EQ(port->awaitLine(2000).text, "OK00");
    EXPECT_EQ(fake->written(), "MEAS,1\r"); // waiting sends nothing
    // CR LF: the line feed is an empty line, skipped.
    fake->script({{1, "OK00,1,06000\r\n"}, {30, "ER10\r\n"}});
    EXPECT_EQ(port->sendLine("SCMR", 2000).text, "OK00,1,06000");
    EXPECT_EQ(port->awaitLine(2000).text, "ER10");
}

TEST_F(CommandPort, ANewCommandForgetsWhatAnEarlierOneLeft) {
    fake->preload("stale\r");
    fake->script({{1, "OK00,01\rOK00\r"}});
    EXPECT_EQ(port->sendLine("UCCR", 2000).text, "OK00,01");
    fake->script({{1, "OK00,0\r"}});
    EXPECT_EQ(port->sendLine("NDFR", 2000).text, "OK00,0");
}

TEST_F(CommandPort, ACancelledWaitKeepsTheReplyForLater) {
    fake->script({{5, "OK"}, {200, "00\r"}});
    std::atomic<int> asked{0};
    const Line r = port->sendLine("MEAS,0", 5000, [&] { return ++asked > 2; });
    EXPECT_EQ(r.outcome, Line::Cancelled);
    EXPECT_EQ(port->awaitLine(2000).text, "OK00");
}

TEST_F(CommandPort, LostPortMidReplyGivesNothing) {
    fake->script({{1, "OK00,CS", true}});
    EXPECT_EQ(port->sendLine("IDDR", 2000).outcome, Line::PortLost);
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->sendLine("IDDR", 2000).outcome, Line::PortLost);
    EXPECT_EQ(port->sendCommand("RA TS ST", 79, 2), QString());
}

// Fixed-length replies (the BM-7's): complete at their length, line end or not.
TEST_F(CommandPort, FixedLengthReplies) {
    fake->script({{1, "TS,BM-7"}, {2, std::string(80, ' ')}});
    EXPECT_EQ(port->sendCommand("RA TS ST", 79, 2).size(), 87);
    fake->script({{1, "TS,BM-7\r\n"}});
    EXPECT_EQ(port->sendCommand("RA TS ST", 79, 1), QString()); // short: no reply
}

} // namespace
