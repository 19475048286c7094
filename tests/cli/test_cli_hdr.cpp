// An HDR display end to end: a 10-bit PQ grey ramp around the 203 cd/m²
// reference white and a colour set run through tintwell-cli sequence
// against the simulated hdr1000 display in a 10 % window, judged against
// REC2100 PQ; the display's brightness limiter seen by the window size; and
// the colour files and options that are refused before anything is touched.
#include "clijson.h"
#include "patternsimfixture.h"
#include "transfer.h"

#include <cmath>

namespace {

int pqCode(double nits) {
    return static_cast<int>(std::lround(transfer::st2084InverseEotf(nits) * 1023));
}

class CliHdr : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        useLoopbackPatternPort();
        startSim("TV-40", withPatternGenerator("127.0.0.6", "PG-HDR", "hdr1000"));
    }
    int sequence(const std::string &colors, std::vector<std::string> extra,
                 QList<QJsonObject> *objects = nullptr) {
        std::vector<std::string> args{"sequence", "--generator", "127.0.0.6", "--device",
                                      port(),     "--colors",    colors,      "--stable",
                                      "0",        "--avg",       "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliJsonRun r = runCliJson(args, 60000);
        stderr_ = r.err;
        if (objects)
            *objects = r.objects;
        return r.code;
    }
    std::string colorsFile(const std::string &text) {
        return files_.write("colours" + std::to_string(++count_) + ".csv", text);
    }
    std::string stderr_;
    TempDir files_;
    int count_ = 0;
};

} // namespace

TEST_F(CliHdr, PqRampAndColoursTrackSt2084BelowTheRollOffWithDeltaItp) {
    std::string text = "#bits=10\n";
    const double greys[] = {1, 10, 50, 100, 203, 400, 600, 700, 1000};
    for (double nits : greys) {
        const int c = pqCode(nits);
        text += "Grey " + std::to_string(int(nits)) + "," + std::to_string(c) + "," +
                std::to_string(c) + "," + std::to_string(c) + "\n";
    }
    const int w = pqCode(203);
    const std::string ws = std::to_string(w);
    text += "Red," + ws + ",0,0\nGreen,0," + ws + ",0\nBlue,0,0," + ws + "\nYellow," + ws + "," +
            ws + ",0\n";
    QList<QJsonObject> out;
    ASSERT_EQ(
        sequence(colorsFile(text),
                 {"--standard", "REC2100 PQ", "--bits", "10", "--range", "full", "--window", "10"},
                 &out),
        0)
        << stderr_;
    EXPECT_NE(stderr_.find("standard REC2100 PQ (ST 2084"), std::string::npos) << stderr_;
    EXPECT_NE(stderr_.find("10 % window"), std::string::npos) << stderr_;
    ASSERT_EQ(out.size(), 13);
    for (int i = 0; i < out.size(); ++i) {
        const QJsonObject &o = out[i];
        EXPECT_EQ(o["bits"].toInt(), 10);
        EXPECT_EQ(o["shownBits"].toInt(), 10); // the network generator shows 10-bit codes
        const double target = transfer::st2084Eotf(o["shownRed"].toInt() / 1023.0);
        if (i < 9) {
            // The targets are ST 2084's own luminances (clipped at the 1000
            // cd/m² peak), absolute, whatever the maximum Y setting says.
            EXPECT_NEAR(o["targetY"].toDouble(), std::min(target, 1000.0), 1e-6) << i;
            const double ratio = o["bigY"].toDouble() / o["targetY"].toDouble();
            if (greys[i] < 800)
                EXPECT_NEAR(ratio, 1.0, 0.03) << o["name"].toString().toStdString();
            else // the display's own roll-off above 800 shows
                EXPECT_LT(ratio, 0.97) << o["name"].toString().toStdString();
        }
        EXPECT_TRUE(o["deltaE2000"].isDouble());
        EXPECT_TRUE(o["deltaITP"].isDouble());
        EXPECT_GE(o["deltaITP"].toDouble(), 0);
    }
    // The greys of a P3 panel read about as grey; BT.2020 primaries lie
    // outside it and are clipped, which ΔE ITP sees as large errors.
    EXPECT_LT(out[4]["deltaITP"].toDouble(), 5);
    for (int i = 9; i < 12; ++i)
        EXPECT_GT(out[i]["deltaITP"].toDouble(), 10) << i;
}

TEST_F(CliHdr, TheBrightnessLimiterSeesTheWindowSize) {
    const std::string white = colorsFile("#bits=10\nWhite,1023,1023,1023\n");
    double y[2] = {0, 0};
    const char *windows[2] = {"10", "100"};
    for (int k = 0; k < 2; ++k) {
        QList<QJsonObject> out;
        ASSERT_EQ(sequence(white, {"--standard", "REC2100 PQ", "--window", windows[k]}, &out), 0)
            << stderr_;
        ASSERT_EQ(out.size(), 1);
        y[k] = out[0]["bigY"].toDouble();
    }
    EXPECT_GT(y[0], 850);               // a 10 % window reaches the rolled-off peak
    EXPECT_NEAR(y[1], 300, 300 * 0.03); // a full screen is held at 300 cd/m²
}

TEST_F(CliHdr, BadColourFilesAndOptionsAreRefusedNamingTheProblem) {
    const struct {
        const char *file;
        std::vector<std::string> options;
        const char *message;
    } cases[] = {
        {"#bits=10\nA,1,2,3\nB,1023,1024,0\n",
         {},
         "line 3: red, green and blue must be whole "
         "numbers from 0 to 1023 (10-bit values)"},
        {"A,1,2,3\nB,300,0,0\n",
         {},
         "line 2: red, green and blue must be whole numbers from 0 "
         "to 255"},
        {"#bits=10\nA,1,2,3\n", {"--bits", "8"}, "line 1: the file does not hold the 8-bit"},
        {"#bits=12\nA,1,2,3\n", {}, "line 1: the depth must be '#bits=8' or '#bits=10'"},
        {"A,1,2,1000\n",
         {"--bits", "10", "--standard", "Nonesuch"},
         "no standard 'Nonesuch'; the standards are NTSC, EBU, REC709, REC2020, SMPTE, DCIP3, "
         "REC2100 PQ, REC2100 HLG"},
        {"A,1,2,3\n", {"--bits", "12"}, "--bits must be 8 or 10"},
        {"A,1,2,3\n", {"--range", "video"}, "--range must be full or limited"},
        {"A,1,2,3\n", {"--window", "0"}, "--window must be 1 to 100 percent"},
    };
    const long before = sim_->sim().patternGenerator()->commandCount();
    for (const auto &c : cases) {
        EXPECT_EQ(sequence(colorsFile(c.file), c.options), 2) << c.message;
        EXPECT_NE(stderr_.find(c.message), std::string::npos) << stderr_;
    }
    EXPECT_EQ(sim_->sim().patternGenerator()->commandCount(), before); // nothing was shown
}
