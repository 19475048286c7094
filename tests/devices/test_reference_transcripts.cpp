// The CS-2000 and PR-650 drivers against transcripts written by hand: for
// the CS-2000 in the exact bytes of its maker's communication document (CR
// only, fields padded to their widths, numbers as "9.5050e+1", "ERnn"
// replies, the two-step measurement with its pre-measurement and announced
// measuring time), for the PR-650 as the programs written for it see it;
// all delivered through the scripted port at the pace of 9600 baud.
#include "fakeport.h"
#include "settingsfixture.h"

#include "cs2000.h"
#include "patchcheck.h"
#include "pr650.h"

#include <QSignalSpy>

#include <cmath>
#include <thread>

namespace {

using Script = std::vector<std::pair<std::string, std::string>>; // command, reply

// Every command's reply, paced, in order; the commands are checked
// afterwards against what the driver wrote.
void play(FakePort &port, const Script &script, int afterMs = 2) {
    for (const auto &step : script)
        port.script(paced({{afterMs, step.second}}));
}

std::string commands(const Script &script) {
    std::string out;
    for (const auto &step : script)
        out += step.first + "\r";
    return out;
}

// A CS-2000 set to internal sync at 60 Hz, channel 2 selected, channels 3,
// 6, 7, 9 and 10 blank.
Script cs2000Connection(const std::string &identity = "OK00,CS-2000  ,1,1001234\r") {
    Script s = {{"RMTS,1", "OK00\r"},
                {"SCMR", "OK00,1,06000\r"},
                {"NDFR", "OK00,0\r"},
                {"LNSR", "OK00,0\r"},
                {"UCCR", "OK00,02\r"},
                {"STSR", "OK00,0\r"},
                {"UCPR,2,01", "OK00,Studio A  \r"},
                {"UCPR,2,02", "OK00,OLED Panel\r"},
                {"UCPR,2,03", "ER05\r"},
                {"UCPR,2,04", "OK00,Projector \r"},
                {"UCPR,2,05", "OK00,LED Wall  \r"},
                {"UCPR,2,06", "ER05\r"},
                {"UCPR,2,07", "ER05\r"},
                {"UCPR,2,08", "OK00,Cinema    \r"},
                {"UCPR,2,09", "ER05\r"},
                {"UCPR,2,10", "ER05\r"}};
    s.push_back({"IDDR", identity});
    return s;
}

class CS2000Transcript : public EmptySettings {
protected:
    // Opens a CS-2000 on the scripted port after the connection transcript.
    std::unique_ptr<CS2000> connect(const Script &connection = cs2000Connection()) {
        auto link = std::make_unique<FakePort>();
        port = link.get();
        play(*port, connection);
        auto d = std::make_unique<CS2000>(std::move(link));
        opened = d->open("/dev/ttyUSB0");
        EXPECT_EQ(port->written(), commands(connection));
        return d;
    }
    // What the driver wrote after connecting.
    std::string writtenSince(const Script &connection = cs2000Connection()) {
        return port->written().substr(commands(connection).size());
    }
    FakePort *port = nullptr;
    bool opened = false;
};

TEST_F(CS2000Transcript, ConnectsAsTheDocumentDescribes) {
    const struct {
        const char *identity;
        const char *model;
    } cases[] = {
        {"OK00,CS-2000  ,1,1001234\r", "CS-2000"}, // name padded to 9 characters
        {"OK00,CS-2000A ,2,1001234\r", "CS-2000A"},
        {"OK00,CS-2000,1,1001234\r", "CS-2000"}, // unpadded: still a complete reply
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.identity);
        const std::unique_ptr<CS2000> d = connect(cs2000Connection(c.identity));
        ASSERT_TRUE(opened);
        EXPECT_EQ(d->model(), c.model);
        EXPECT_EQ(d->serialNumber(), "1001234");
        EXPECT_EQ(d->manufacturer(), "Konica Minolta");
        EXPECT_EQ(d->calFileIndex(), 2);
        EXPECT_EQ(d->calFileName(), "OLED Panel");
        const QStringList list = d->calFileList();
        ASSERT_EQ(list.size(), 11);
        EXPECT_EQ(list[1], "1: Studio A");
        EXPECT_EQ(list[3], "3: Blank");
        EXPECT_EQ(list[8], "8: Cinema");
    }
}

TEST_F(CS2000Transcript, SyncIsWrittenOnlyWhenTheInstrumentHoldsAnother) {
    const struct {
        QVariant mode, hz;   // settings; invalid: not set
        const char *held;    // "SCMR" reply; null when it is not asked
        const char *written; // the "SCMS" sent; null for none
    } cases[] = {
        {{}, {}, "OK00,1,06000\r", nullptr},        // today's 60 Hz, already held
        {{}, {}, "OK00,1,05000\r", "SCMS,1,06000"}, // held 50 Hz: set to 60 Hz
        {1, 50.0, "OK00,1,05000\r", nullptr},       // owner's 50 Hz, held
        {1, 143.86, "OK00,0\r", "SCMS,1,14386"},    // a 144 Hz display
        {2, {}, "OK00,1,06000\r", "SCMS,2"},        // external sync
        {0, {}, "OK00,0\r", nullptr},
        {-1, {}, nullptr, nullptr},            // the instrument's own setting
        {1, 500.0, "OK00,1,06000\r", nullptr}, // out of range: 60 Hz, held
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.mode.toString().toStdString() << " " << c.hz.toString().toStdString());
        clearSettings();
        QSettings settings;
        if (c.mode.isValid())
            settings.setValue("cs2000SyncMode", c.mode);
        if (c.hz.isValid())
            settings.setValue("cs2000SyncHz", c.hz);
        settings.sync();
        Script connection = cs2000Connection();
        if (!c.held)
            connection.erase(connection.begin() + 1);
        else
            connection[1].second = c.held;
        if (c.written)
            connection.insert(connection.begin() + 2, {c.written, "OK00\r"});
        const std::unique_ptr<CS2000> d = connect(connection);
        EXPECT_TRUE(opened);
    }
}

TEST_F(CS2000Transcript, AMeasurementLeftRunningIsCancelledOnConnecting) {
    Script connection = cs2000Connection();
    connection.insert(connection.begin(), {{"RMTS,1", "ER00\r"}, {"MEAS,0", "OK00\r"}});
    const std::unique_ptr<CS2000> d = connect(connection);
    EXPECT_TRUE(opened);
}

TEST_F(CS2000Transcript, ARefusedSyncSettingStopsTheConnection) {
    Script connection = {{"RMTS,1", "OK00\r"},
                         {"SCMR", "OK00,1,05000\r"},
                         {"SCMS,1,06000", "ER30\r"}}; // memory error
    const std::unique_ptr<CS2000> d = connect(connection);
    EXPECT_FALSE(opened);
}

// A measurement in the document's two steps: the start reply after the
// pre-measurement, the end reply after the announced time, then XYZ.
TEST_F(CS2000Transcript, ALongPreMeasurementAndTheAnnouncedTimeAreWaitedFor) {
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    port->script(paced({{10500, "OK00,002\r"}, {2000, "OK00\r"}}));
    port->script(paced({{2, "OK00,9.5050e+1,1.0000e+2,1.0888e+2\r"}}));
    QSignalSpy announced(d.get(), &GenMeasure::measuringTime);
    const Measurement m = d->measure(1);
    EXPECT_EQ(m.errorCode & 0xFu, 0u) << d->lastProblem().toStdString();
    EXPECT_DOUBLE_EQ(m.bigX, 95.05);
    EXPECT_DOUBLE_EQ(m.bigY, 100.0);
    EXPECT_DOUBLE_EQ(m.bigZ, 108.88);
    ASSERT_EQ(announced.count(), 1);
    EXPECT_EQ(announced.first().first().toInt(), 2000);
    EXPECT_EQ(writtenSince(), "MEAS,1\rMEDR,2,0,01\r");
    EXPECT_EQ(d->lastProblem(), "");
}

TEST_F(CS2000Transcript, InstrumentErrorsAreAnswersThatSayWhatHappened) {
    const struct {
        std::vector<PacedPart> start; // reply to "MEAS,1"
        const char *data;             // reply to "MEDR,2,0,01"; null when not asked
        const char *written;          // after connecting
        const char *problem;          // in lastProblem()
    } cases[] = {
        {{{300, "ER10\r"}},
         nullptr,
         "MEAS,1\r",
         "ER10: over its measuring range: the light is too bright"},
        {{{100, "OK00,003\r"}, {30, "ER71\r"}}, nullptr, "MEAS,1\r", "ER71: no usable sync signal"},
        {{{100, "OK00,003\r"}, {30, "ER83\r"}}, nullptr, "MEAS,1\r", "ER83: the measuring-angle"},
        {{{100, "OK00,002\r"}, {30, "OK00\r"}},
         "ER20\r",
         "MEAS,1\rMEDR,2,0,01\r",
         "ER20: it holds no measurement"},
        {{{100, "OK00,002\r"}, {30, "OK00\r"}},
         "OK00,-9.9999e9,1.0000e+2,1.0888e+2\r",
         "MEAS,1\rMEDR,2,0,01\r",
         "could not calculate X, Y, Z"},
        {{{100, "OK00,002\r"}, {30, "OK00\r"}},
         "OK00,9.5050e+1,1.0000e+2\r",
         "MEAS,1\rMEDR,2,0,01\r",
         "reply to \"MEDR,2,0,01\" could not be used"},
        {{{100, "OK00,9x9\r"}},
         "OK00\r",
         "MEAS,1\rMEAS,0\r",
         "measuring time that could not be read"},
    };
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    std::size_t before = port->written().size();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        port->script(paced(c.start));
        if (c.data)
            port->script(paced({{2, c.data}}));
        const Measurement m = d->measure(1);
        // Error code 8 alone: the pattern manager offers Retry.
        EXPECT_EQ(m.errorCode, 0x8u);
        EXPECT_EQ(m.bigY, 0.0);
        EXPECT_NE(d->lastProblem().indexOf(c.problem), -1) << d->lastProblem().toStdString();
        EXPECT_EQ(port->written().substr(before), c.written);
        before = port->written().size();
    }
}

TEST_F(CS2000Transcript, AMeasurementThatNeverEndsIsCodeEightWithRetry) {
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    port->script(paced({{300, "OK00,002\r"}})); // and then nothing
    port->script(paced({{2, "OK00\r"}}));       // the cancel sent after the wait
    const Measurement m = d->measure(1);
    EXPECT_EQ(m.errorCode, 0x8u);
    EXPECT_NE(d->lastProblem().indexOf("did not end its measurement"), -1);
    EXPECT_EQ(writtenSince(), "MEAS,1\rMEAS,0\r");
    patchcheck::Problem problem;
    ASSERT_TRUE(patchcheck::findProblem(m, &problem));
    EXPECT_TRUE(problem.choices.contains(patchcheck::Retry));

    port->setAlive(false); // unplugged: now it can only be aborted
    const Measurement lost = d->measure(1);
    EXPECT_EQ(lost.errorCode, 0x9u);
    ASSERT_TRUE(patchcheck::findProblem(lost, &problem));
    EXPECT_FALSE(problem.choices.contains(patchcheck::Retry));
}

TEST_F(CS2000Transcript, CancelSendsTheDocumentsCancelOnceThePreMeasurementIsOver) {
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    port->script(paced({{400, "OK00,242\r"}}));
    port->script(paced({{2, "OK00\r"}}));
    d->cancelMeasurement(); // before the measurement: forgotten when it starts
    std::thread canceller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // still pre-measuring
        d->cancelMeasurement();
    });
    const Measurement m = d->measure(1);
    canceller.join();
    EXPECT_EQ(m.errorCode, 0x8u);
    EXPECT_EQ(d->lastProblem(), "The measurement was cancelled.");
    EXPECT_EQ(writtenSince(), "MEAS,1\rMEAS,0\r");
}

// "1.0000e-3", "1.0001e-3", ...: value i of a block, in the document's format.
std::string spectralValue(int i) {
    char mantissa[8];
    std::snprintf(mantissa, sizeof mantissa, "%04d", i);
    return std::string("1.") + mantissa + "e-3";
}

std::string spectralReply(int count, int calculationErrorAt = -1) {
    std::string r = "OK00";
    for (int i = 0; i < count; ++i)
        r += "," + (i == calculationErrorAt ? std::string("-9.9999e9") : spectralValue(i));
    return r + "\r";
}

TEST_F(CS2000Transcript, SpectralBlocksArriveWholeAt9600BaudEvenWithAPauseInside) {
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    port->script(paced({{900, "OK00,002\r"}, {40, "OK00\r"}}));
    const std::string first = spectralReply(100);
    ASSERT_GT(first.size(), 1000u);
    // The instrument pauses in the middle of the first block.
    port->script(paced({{5, first.substr(0, 500)}, {80, first.substr(500)}}));
    port->script(paced({{5, spectralReply(100)}}));
    port->script(paced({{5, spectralReply(100)}}));
    port->script(paced({{5, spectralReply(101)}}));
    const QList<double> s = d->spectrum();
    EXPECT_EQ(d->spectrumErrorCode(), 0u) << d->lastProblem().toStdString();
    ASSERT_EQ(s.size(), 781);
    EXPECT_EQ(s[379], 0.0);
    EXPECT_DOUBLE_EQ(s[380], 1.0e-3);
    EXPECT_DOUBLE_EQ(s[479], 1.0099e-3);
    EXPECT_DOUBLE_EQ(s[480], 1.0e-3);
    EXPECT_DOUBLE_EQ(s[780], 1.01e-3);
    EXPECT_EQ(writtenSince(), "MEAS,1\rMEDR,1,0,01\rMEDR,1,0,02\rMEDR,1,0,03\rMEDR,1,0,04\r");
}

TEST_F(CS2000Transcript, ACalculationErrorOrAShortBlockIsNeverTakenAsValues) {
    const struct {
        std::string second, fourth; // blocks 2 and 4
        const char *problem;
        int nanAt; // the wavelength stored as NaN, or 0
    } cases[] = {
        {spectralReply(100, 75), spectralReply(101), "radiance at 1 wavelengths", 555},
        {spectralReply(100), spectralReply(90), "fewer values than wavelengths for \"MEDR,1,0,04\"",
         0},
        {spectralReply(100), "ER20\r", "ER20", 0},
    };
    const std::unique_ptr<CS2000> d = connect();
    ASSERT_TRUE(opened);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.problem);
        // Over USB the line is as fast as the instrument.
        port->script(paced({{100, "OK00,002\r"}, {20, "OK00\r"}}, 115200));
        port->script(paced({{5, spectralReply(100)}}, 115200));
        port->script(paced({{5, c.second}}, 115200));
        port->script(paced({{5, spectralReply(100)}}, 115200));
        port->script(paced({{5, c.fourth}}, 115200));
        const QList<double> s = d->spectrum();
        EXPECT_EQ(d->spectrumErrorCode(), 0x8u);
        EXPECT_NE(d->lastProblem().indexOf(c.problem), -1) << d->lastProblem().toStdString();
        EXPECT_EQ(std::isnan(s[555]), c.nanAt == 555);
    }
}

// The PR-650 after its remote-mode pulse: "S01,,,,,,,1" twice, "D110", then
// "D111", which not every instrument of the family answers.
class PR650Transcript : public ::testing::Test {
protected:
    std::unique_ptr<PR650> connect(const std::vector<PacedPart> &modelReply) {
        auto link = std::make_unique<FakePort>();
        port = link.get();
        port->script(paced({{20, " REMOTE MODE\r\n"}}));
        port->script(paced({{5, "00\r\n"}}));
        port->script(paced({{5, " 60951234\r\n"}}));
        port->script(paced(modelReply));
        auto d = std::make_unique<PR650>(std::move(link));
        opened = d->open("/dev/ttyUSB1");
        return d;
    }
    FakePort *port = nullptr;
    bool opened = false;
};

TEST_F(PR650Transcript, IdentifiesBySerialNumberAndTakesTheModelOnlyWhenNamed) {
    const struct {
        std::vector<PacedPart> reply;
        const char *model;
    } cases[] = {
        {{{5, "PR-650\r\n"}}, "PR-650"},
        {{{5, "00,PR-655\r\n"}}, "PR-655"}, // status and name, as the later models
        {{{5, "10,PR-670\r\n"}}, "PR-650"}, // a status that is not success
        {{{5, "  \r\n"}}, "PR-650"},
        {{}, "PR-650"}, // no answer at all
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.model);
        const std::unique_ptr<PR650> d = connect(c.reply);
        ASSERT_TRUE(opened);
        EXPECT_EQ(d->model(), c.model);
        EXPECT_EQ(d->serialNumber(), "60951234");
        EXPECT_EQ(port->written(), "S01,,,,,,,1\rS01,,,,,,,1\rD110\rD111\r");
    }
}

TEST_F(PR650Transcript, WithoutASerialNumberThereIsNoInstrument) {
    auto link = std::make_unique<FakePort>();
    port = link.get();
    port->script(paced({{20, " REMOTE MODE\r\n"}}));
    port->script(paced({{5, "00\r\n"}}));
    port->script(paced({{5, "  \r\n"}})); // a line with nothing in it
    PR650 d(std::move(link));
    EXPECT_FALSE(d.open("/dev/ttyUSB1"));
    EXPECT_EQ(port->written(), "S01,,,,,,,1\rS01,,,,,,,1\rD110\r");
}

TEST_F(PR650Transcript, LowLightKeepsTheReadingWithItsRemark) {
    const std::unique_ptr<PR650> d = connect({{5, "PR-650\r\n"}});
    ASSERT_TRUE(opened);
    const struct {
        const char *reply;
        quint32 errorCode;
        double bigY;
        const char *problem;
    } cases[] = {
        {"00,0,4.123e+1,4.250e+1,4.600e+1\r\n", 0, 42.5, ""},
        {"18,0,1.100e-1,1.200e-1,1.300e-1\r\n", ErrorBits::LowLight, 0.12, "low light"},
        {"19,0,1.100e-1,1.200e-1,1.300e-1\r\n", 0x8, 0, "could not be used"},
        {"00,0,4.123e+1,nan,4.600e+1\r\n", 0x8, 0, "could not be used"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        port->script(paced({{100, c.reply}}));
        const Measurement m = d->measure(1);
        EXPECT_EQ(m.errorCode & ~0x30u, c.errorCode);
        EXPECT_DOUBLE_EQ(m.bigY, c.bigY);
        EXPECT_NE(d->lastProblem().indexOf(c.problem), -1) << d->lastProblem().toStdString();
    }
    patchcheck::Problem problem;
    Measurement low = Measurement::fromXYZ(0.11, 0.12, 0.13);
    low.errorCode |= ErrorBits::LowLight;
    ASSERT_TRUE(patchcheck::findProblem(low, &problem));
    EXPECT_TRUE(problem.choices.contains(patchcheck::Ignore)); // the reading may be kept
}

} // namespace
