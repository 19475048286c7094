// The fault campaign's misbehaving pattern generator: the simulated bench's
// generator refuses, hangs, falls silent, hangs up on a command, answers
// late or leaves the display alone, while pattern, sequence, batch and
// calibrate run against it; and the colorimeter is unplugged while a profile
// is being stored. After each, nothing unmeasured was reported as measured,
// nothing was stored from it, and the exit code and the last line on stderr
// say what went wrong.
#include "childprocess.h"
#include "loopbackport.h"
#include "profilebench.h"
#include "tempdir.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

constexpr const char *address = "127.0.0.6";
constexpr double notShownBit = 0x40000000;

struct CliRun {
    int code = -1;
    QList<QJsonObject> objects; // one per line of standard output
    std::string err;
    std::string lastErrLine() const {
        const std::size_t end = err.find_last_not_of('\n');
        const std::size_t start = err.rfind('\n', end);
        return err.substr(start == std::string::npos ? 0 : start + 1, end - start);
    }
};

class GeneratorFaults : public ::testing::Test {
protected:
    void SetUp() override {
        bench_ = std::make_unique<sim::Simulator>(
            profileBenchOptions(dir_.path(), useLoopbackPatternPort(), address));
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
        colors_ = files_.write("colors.csv", "White,255,255,255\nRed,255,0,0\nGreen,0,255,0\n");
    }
    CliRun cli(std::vector<std::string> args, const std::string &fault = {}) {
        bench_->patternGenerator()->setFaults({});
        if (!fault.empty()) {
            EXPECT_EQ(bench_->execute(fault).substr(0, 2), "ok") << fault;
        }
        args.insert(args.begin(), "tintwell-cli");
        ChildProcess p(args);
        p.closeInput();
        CliRun r;
        r.code = p.wait(90000);
        r.err = p.err();
        for (const std::string &line : p.lines())
            r.objects << QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        return r;
    }
    std::vector<std::string> runArgs(const char *command) const {
        return {command,    "--generator", address,    "--device", dir_.file("colorimeter"),
                "--colors", colors_,       "--stable", "0.15"};
    }
    std::string slotName(int slot) const {
        return QString::fromStdString(bench_->colorimeter().profileRecord(slot).substr(0, 20))
            .trimmed()
            .toStdString();
    }

    TempDir dir_, files_;
    std::unique_ptr<sim::Simulator> bench_;
    std::string colors_;
};

} // namespace

TEST_F(GeneratorFaults, PatternCreditsEachReplyToItsOwnCommand) {
    const struct {
        const char *fault;
        int exitCode;
        const char *colorStatus, *patternStatus;
    } cases[] = {
        {"generator refuse on", 5, "refused", "refused"},
        {"generator late 1500", 5, "late", "no reply"},
        {"generator answer 2", 5, "ok", "no reply"}, // getInfo and setColor
        {"generator close setPattern", 3, "ok", "lost"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        const CliRun r = cli({"pattern", "--host", address, "color", "0", "255", "0"}, c.fault);
        EXPECT_EQ(r.code, c.exitCode) << r.err;
        ASSERT_EQ(r.objects.size(), 1);
        const QJsonArray replies = r.objects[0]["replies"].toArray();
        ASSERT_EQ(replies.size(), 2);
        EXPECT_EQ(replies[0].toObject()["status"].toString(), c.colorStatus);
        EXPECT_EQ(replies[1].toObject()["status"].toString(), c.patternStatus);
        // A reply is shown only with the command it answered.
        EXPECT_EQ(replies[1].toObject()["reply"].isNull(),
                  std::string(c.patternStatus) != "refused");
    }
}

TEST_F(GeneratorFaults, SequenceMarksEveryPatchTheGeneratorDidNotShow) {
    const struct {
        const char *fault;
        int exitCode;
        bool flagged[3]; // White, Red, Green carry the not-shown bit and a problem
        const char *lastLine;
    } cases[] = {
        {"generator refuse on", 5, {true, true, true}, "did not confirm 3 of 3"},
        {"generator answer 3", 5, {false, true, true}, "did not confirm 2 of 3"},
        {"generator late 1200", 5, {true, true, true}, "did not confirm 3 of 3"},
        {"generator output off", 5, {false, false, false}, "the display did not change"},
        {"generator close setColor,0,255,0", 3, {false, false, true}, "closed the connection"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        const CliRun r = cli(runArgs("sequence"), c.fault);
        EXPECT_EQ(r.code, c.exitCode) << r.err;
        ASSERT_EQ(r.objects.size(), 3) << r.err;
        for (int i = 0; i < 3; ++i) {
            const qint64 error = r.objects[i]["errorCode"].toVariant().toLongLong();
            EXPECT_EQ((error & qint64(notShownBit)) != 0, c.flagged[i]) << i << ": " << error;
            EXPECT_EQ(r.objects[i]["problem"].isNull(), !c.flagged[i]) << i;
        }
        EXPECT_NE(r.lastErrLine().find(c.lastLine), std::string::npos) << r.err;
    }
}

TEST_F(GeneratorFaults, BatchKeepsTheErrorInEachRowAndEndsWithTheReason) {
    const std::string out = files_.file("results.csv");
    std::vector<std::string> args = runArgs("batch");
    for (const std::string a : {"--out", out.c_str(), "--groups", "none"})
        args.push_back(a);
    const struct {
        const char *fault;
        int exitCode;
        int rows;
        const char *lastLine;
    } cases[] = {
        {"generator refuse on", 5, 3, "did not confirm 3 of 3"},
        {"generator close setColor,0,255,0", 3, 2, "the run was aborted at 'Green'"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        const CliRun r = cli(args, c.fault);
        EXPECT_EQ(r.code, c.exitCode) << r.err;
        EXPECT_NE(r.lastErrLine().find(c.lastLine), std::string::npos) << r.err;
        const QStringList lines =
            QString::fromStdString(TempDir::read(out)).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1 + c.rows);
        for (int i = 1; i < lines.size(); ++i) {
            const bool refused = std::string(c.fault).find("refuse") != std::string::npos;
            EXPECT_EQ(lines[i].section(',', -1) == QString::number(qint64(notShownBit)), refused)
                << lines[i].toStdString();
        }
    }
}

TEST_F(GeneratorFaults, BatchRefusesToWriteOverItsOwnColourList) {
    const std::string before = TempDir::read(colors_);
    const std::string alias = files_.file("alias.csv");
    std::filesystem::create_symlink(colors_, alias);
    // Another name for the list, and two names for one new file.
    const std::vector<std::vector<std::string>> outputs = {
        {"--out", alias}, {"--out", files_.file("out.csv"), "--pdf", files_.path() + "/./out.csv"}};
    for (const auto &extra : outputs) {
        std::vector<std::string> args = runArgs("batch");
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 2) << r.err;
        EXPECT_NE(r.err.find("will not write"), std::string::npos) << r.err;
    }
    EXPECT_EQ(TempDir::read(colors_), before);
    EXPECT_EQ(bench_->patternGenerator()->commandCount(), 0); // no instrument touched
}

TEST_F(GeneratorFaults, CalibrateStoresNothingItDidNotMeasure) {
    bench_->colorimeter().setProfileName(4, "Studio D65");
    const auto calibrate = [this](std::vector<std::string> extra, const char *fault) {
        std::vector<std::string> args = benchCalibrateArgs(dir_.path(), address);
        for (const char *a : {"--name", "Degenerate", "--password", "pangolin"})
            args.push_back(a);
        args.insert(args.end(), extra.begin(), extra.end());
        return cli(args, fault);
    };
    const struct {
        std::vector<std::string> extra;
        const char *fault;
        int exitCode;
        const char *says;
    } cases[] = {
        {{"--slot", "4", "--overwrite"}, "generator output off", 3, "as the same colour"},
        {{"--slot", "4", "--overwrite"}, "generator refuse on", 3, "the reference run was aborted"},
        {{"--slot", "4"}, "", 2, "slot 4 holds 'Studio D65': give --overwrite"},
        {{"--report", files_.file("none/qc.csv")}, "", 2, "cannot write --report"},
    };
    const std::vector<std::string> before = {slotName(4), slotName(5)};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.says);
        const long commands = bench_->patternGenerator()->commandCount();
        const CliRun r = calibrate(c.extra, c.fault);
        EXPECT_EQ(r.code, c.exitCode) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ((std::vector<std::string>{slotName(4), slotName(5)}), before);
        if (c.exitCode == 2) { // refused before anything was shown: at most identified
            EXPECT_LE(bench_->patternGenerator()->commandCount(), commands + 1);
        }
    }
}

TEST_F(GeneratorFaults, AStoreCutShortNeverClaimsTheSlotUntouched) {
    bench_->colorimeter().setProfileName(4, "Studio D65");
    const std::string before = bench_->colorimeter().profileRecord(4);
    // The colorimeter goes the moment the record has landed in its memory,
    // while the command reads the profile list back.
    std::atomic<bool> stop{false};
    std::thread unplugger([&] {
        while (!stop && bench_->colorimeter().profileRecord(4) == before)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        if (!stop)
            bench_->execute("unplug");
    });
    const CliRun r =
        cli({"calibrate", "--reference", dir_.file("cs2000"), "--colorimeter",
             dir_.file("colorimeter"), "--generator", address, "--name", "Bench B", "--slot", "4",
             "--overwrite", "--password", "pangolin", "--stable", "0.15"});
    stop = true;
    unplugger.join();
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_EQ(slotName(4), "Bench B"); // the write did reach the instrument
    EXPECT_NE(r.lastErrLine().find("slot 4 may hold the new profile 'Bench B' or still "
                                   "'Studio D65'"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("stays on"), std::string::npos) << r.err;
}
