// The reference instruments' wire formats as plain functions, checked
// against the replies the simulators build, and the command port's reply
// collection over a scripted link (replies in pieces, short, doubled, lost).
#include "bm7protocol.h"
#include "bm7sim.h"
#include "cs2000protocol.h"
#include "cs2000wire.h"
#include "fakeport.h"
#include "pr650protocol.h"
#include "pr650sim.h"
#include "qchromaserialport.h"

#include <gtest/gtest.h>

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

TEST(CS2000Protocol, StatusFieldsAndIdentity) {
    EXPECT_TRUE(cs2000::isOk("OK00,1\r\n"));
    EXPECT_FALSE(cs2000::isOk("ER05\r\n"));
    EXPECT_FALSE(cs2000::isOk(""));
    EXPECT_TRUE(cs2000::isBlankChannel("ER05\r\n"));
    EXPECT_FALSE(cs2000::isBlankChannel("ER00\r\n"));

    int v = -1;
    EXPECT_TRUE(cs2000::intField("OK00,7\r\n", 1, &v));
    EXPECT_EQ(v, 7);
    EXPECT_FALSE(cs2000::intField("OK00\r\n", 1, &v));
    EXPECT_FALSE(cs2000::intField("OK00,x\r\n", 1, &v));
    EXPECT_EQ(v, 7); // untouched by a failed read

    cs2000::Identity id;
    EXPECT_FALSE(cs2000::parseIdentity(" OK00,CS-2000,0,1\r\n", &id)); // status opens the reply
    ASSERT_TRUE(cs2000::parseIdentity("OK00, CS-2000A ,0, 10011234 \r\n", &id));
    EXPECT_EQ(id.model, "CS-2000A");
    EXPECT_EQ(id.serialNumber, "10011234");
    EXPECT_FALSE(cs2000::parseIdentity("OK00,CS-2000,0\r\n", &id));
}

TEST(CS2000Protocol, XYZNeedsThreeNumbers) {
    double xyz[3] = {-1, -1, -1};
    EXPECT_TRUE(cs2000::parseXYZ(
        text(sim::cs2000wire::ok({sim::cs2000wire::number(95.047), sim::cs2000wire::number(100),
                                  sim::cs2000wire::number(108.88)})),
        xyz));
    EXPECT_NEAR(xyz[0], 95.047, 1e-9);
    EXPECT_NEAR(xyz[2], 108.88, 1e-9);
    for (const char *bad : {"OK00,1,2\r\n", "OK00,1,nan,3\r\n", "OK00,1,2,inf\r\n",
                            "ER10,1,2,3\r\n", "OK00,1,,3\r\n"}) {
        double out[3] = {5, 5, 5};
        EXPECT_FALSE(cs2000::parseXYZ(bad, out)) << bad;
        EXPECT_EQ(out[0], 5) << bad;
    }
}

TEST(CS2000Protocol, SpectralBlocksCoverEveryWavelengthOnce) {
    sim::Spectrum s(sim::spectrumSize);
    for (int i = 0; i < sim::spectrumSize; ++i)
        s[i] = 0.001 * (1 + i % 17);
    QList<double> spectrum;
    for (int i = 0; i < cs2000::spectrumSize; ++i)
        spectrum.append(0.0);
    int block = 1;
    for (const cs2000::SpectralBlock &b : cs2000::spectralBlocks) {
        const std::string reply = sim::cs2000wire::spectralBlock(s, block++);
        EXPECT_GE(static_cast<int>(reply.size()), b.minLength);
        EXPECT_EQ(cs2000::storeSpectralBlock(text(reply), b, spectrum), b.count);
    }
    for (int nm = 0; nm < cs2000::spectrumSize; ++nm) {
        const double expected = nm < 380 ? 0.0 : s[static_cast<std::size_t>(nm - 380)];
        ASSERT_NEAR(spectrum[nm], expected, 1e-4 * expected) << nm;
    }
}

TEST(CS2000Protocol, ShortOrDamagedBlockLeavesZerosAndSaysHowMany) {
    QList<double> spectrum;
    for (int i = 0; i < cs2000::spectrumSize; ++i)
        spectrum.append(0.0);
    const cs2000::SpectralBlock &first = cs2000::spectralBlocks[0];
    EXPECT_EQ(cs2000::storeSpectralBlock("OK00,1.0E-03,2.0E-03,junk,4.0E-03", first, spectrum), 3);
    EXPECT_DOUBLE_EQ(spectrum[381], 0.002);
    EXPECT_EQ(spectrum[382], 0.0);
    EXPECT_DOUBLE_EQ(spectrum[383], 0.004);
    EXPECT_EQ(spectrum[384], 0.0);
    EXPECT_EQ(cs2000::storeSpectralBlock("", first, spectrum), 0);
}

TEST(PR650Protocol, MeasurementReply) {
    double xyz[3] = {0, 0, 0};
    ASSERT_TRUE(pr650::parseXYZ(text(sim::PR650Sim::measurementReply({41.2, 21.3, 1.9})), xyz));
    EXPECT_NEAR(xyz[1], 21.3, 1e-9);
    EXPECT_GE(static_cast<int>(sim::PR650Sim::measurementReply({1, 1, 1}).size()),
              pr650::measureXYZ.minLength);
    for (const char *bad : {"14,0,1,2,3\r\n", "00,0,1,2\r\n", "", "00,0,1,x,3\r\n"})
        EXPECT_FALSE(pr650::parseXYZ(bad, xyz)) << bad;
    EXPECT_EQ(pr650::text(" 60951234\r\n"), "60951234");
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
    FakePort *fake = nullptr;
    std::unique_ptr<QChromaSerialPort> port;
};

TEST_F(CommandPort, ReplyInPiecesIsCollectedToItsLineEnd) {
    fake->script({{5, "OK00,CS-2000,"}, {5, "0,1001"}, {5, "1234\r"}, {5, "\n"}});
    EXPECT_EQ(port->sendCommand("IDDR", 25, 2), "OK00,CS-2000,0,10011234\r\n");
    EXPECT_EQ(fake->written(), "IDDR\r");
}

TEST_F(CommandPort, ShortReplyIsNoReply) {
    fake->script({{1, "OK00\r\n"}});
    EXPECT_EQ(port->sendCommand("NDFR", 7, 1), QString());
}

TEST_F(CommandPort, UnaskedReplyAfterTheAnswerWaitsForTheNextWait) {
    // A measurement that ends at once: its end reply arrives with the start reply.
    fake->script({{1, "OK00,001\r\nOK00\r\n"}});
    EXPECT_EQ(port->sendCommand("MEAS,1", 9, 2), "OK00,001\r\n");
    EXPECT_EQ(port->sendCommand(QString(), 5, 2), "OK00\r\n");
    EXPECT_EQ(fake->written(), "MEAS,1\r"); // waiting sends nothing
}

TEST_F(CommandPort, ANewCommandForgetsWhatAnEarlierOneLeft) {
    fake->preload("stale\r\n");
    fake->script({{1, "OK00,1\r\nOK00\r\n"}});
    EXPECT_EQ(port->sendCommand("UCCR", 1, 2), "OK00,1\r\n");
    fake->script({{1, "OK00,3\r\n"}});
    EXPECT_EQ(port->sendCommand("NDFR", 7, 2), "OK00,3\r\n");
}

TEST_F(CommandPort, LostPortMidReplyGivesNothing) {
    fake->script({{1, "OK00,CS", true}});
    EXPECT_EQ(port->sendCommand("IDDR", 25, 2), QString());
    EXPECT_FALSE(port->isOpen());
    EXPECT_EQ(port->sendCommand("IDDR", 25, 2), QString());
}

TEST_F(CommandPort, ReplyWithoutLineEndEndsWhenTheLineGoesQuiet) {
    fake->script({{1, "TS,BM-7"}, {2, std::string(80, ' ')}});
    EXPECT_EQ(port->sendCommand("RA TS ST", 79, 2).size(), 87);
}

} // namespace
