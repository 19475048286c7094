// tintwell-cli calibrate as a separate process against the in-process
// simulated bench: the whole chain to a PASS with its QC report, and the
// refusals before anything is written.
#include "childprocess.h"
#include "loopbackport.h"
#include "profilebench.h"
#include "tempdir.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

class CliCalibrate : public ::testing::Test {
protected:
    void SetUp() override {
        const int port = useLoopbackPatternPort();
        bench_ = std::make_unique<sim::Simulator>(profileBenchOptions(dir_, port, "127.0.0.5"));
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
    }
    int calibrate(std::vector<std::string> args, const std::string &input = {}) {
        std::vector<std::string> all{
            "tintwell-cli",        "calibrate",   "--reference", dir_ + "/cs2000", "--colorimeter",
            dir_ + "/colorimeter", "--generator", "127.0.0.5",   "--stable",       "0.15"};
        all.insert(all.end(), args.begin(), args.end());
        ChildProcess p(all);
        if (!input.empty())
            p.send(input);
        p.closeInput();
        const int code = p.wait(60000);
        err_ = p.err();
        out_ = QJsonObject();
        for (const std::string &line : p.lines())
            if (!line.empty())
                out_ = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        return code;
    }
    QStringList slotNames() {
        QStringList names;
        for (int s = 1; s <= 12; ++s)
            names << QString::fromStdString(bench_->colorimeter().profileRecord(s).substr(0, 20))
                         .trimmed();
        return names;
    }

    TempDir tmp_;
    std::string dir_ = tmp_.path();
    std::unique_ptr<sim::Simulator> bench_;
    std::string err_;
    QJsonObject out_;
};

} // namespace

TEST_F(CliCalibrate, MakesStoresAndVerifiesAProfile) {
    const std::string report = tmp_.file("qc.csv");
    ASSERT_EQ(calibrate({"--name", "CLI Bench", "--slot", "6", "--report", report}, "pangolin\n"),
              0)
        << err_;
    EXPECT_EQ(out_["verdict"].toString(), "PASS");
    EXPECT_LT(out_["maxXyError"].toDouble(), 0.001);
    EXPECT_LT(out_["maxYErrorPercent"].toDouble(), 2.0);
    EXPECT_EQ(out_["slot"].toInt(), 6);
    for (const char *list : {"reference", "preCal", "postCal"}) {
        const QJsonArray a = out_[list].toArray();
        ASSERT_EQ(a.size(), 4) << list;
        EXPECT_EQ(a[0].toObject()["patch"].toString(), "White");
        EXPECT_EQ(a[3].toObject()["patch"].toString(), "Blue");
    }
    // The factory error shows before the profile and is gone after it.
    const double refWhiteY = out_["reference"].toArray()[0].toObject()["y"].toDouble();
    EXPECT_GT(std::fabs(out_["preCal"].toArray()[0].toObject()["y"].toDouble() - refWhiteY), 0.002);
    EXPECT_LT(std::fabs(out_["postCal"].toArray()[0].toObject()["y"].toDouble() - refWhiteY),
              0.001);
    EXPECT_EQ(slotNames().at(5), "CLI Bench");
    QFile qc(QString::fromStdString(report));
    ASSERT_TRUE(qc.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(qc.readAll()).count(",Pass\n"), 12);
}

TEST_F(CliCalibrate, RefusesBeforeWritingAnything) {
    const QStringList before = slotNames();
    const struct {
        std::vector<std::string> args;
        const char *input;
        const char *why;
    } cases[] = {
        {{"--name", "X", "--slot", "3"}, "wrong\n", "wrong password"},
        {{"--name", "X", "--slot", "0", "--password", "pangolin"}, "", "--slot"},
        {{"--name", " BLANK ", "--password", "pangolin"}, "", "--name"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(calibrate(c.args, c.input), 2) << c.why;
        EXPECT_NE(err_.find(c.why), std::string::npos) << err_;
    }
    EXPECT_EQ(slotNames(), before);
}
