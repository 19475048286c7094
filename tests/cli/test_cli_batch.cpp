// tintwell-cli batch as a separate process against the in-process simulated
// generator, display and colorimeter: the results file row by row, what a
// killed run leaves, the PDF report, and refused input.
#include "batchfile.h"
#include "childprocess.h"
#include "displayreading.h"
#include "patternsimfixture.h"

#include <QFile>
#include <QStringList>

#include <chrono>
#include <csignal>
#include <fstream>
#include <thread>

namespace {

class CliBatch : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        useLoopbackPatternPort();
        startSim("TV-40", withPatternGenerator("127.0.0.4", "PG-BATCH", "rec709"));
        bench_ = &sim_->sim();
    }
    void TearDown() override {
        bench_ = nullptr;
        sim_.reset();
        SimFixture::TearDown();
    }
    std::vector<std::string> batchArgs(const std::string &colors, const std::string &out) {
        return {"tintwell-cli", "batch",    "--generator", "127.0.0.4", "--device",
                port(),         "--colors", colors,        "--out",     out};
    }
    int cli(std::vector<std::string> args) {
        ChildProcess p(args);
        const int code = p.wait(60000);
        stderr_ = p.err();
        return code;
    }
    std::string file(const std::string &name, const std::string &text) {
        const std::string path = files_.file(name);
        std::ofstream(path) << text;
        return path;
    }
    static QStringList rows(const std::string &path) {
        QFile f(QString::fromStdString(path));
        f.open(QIODevice::ReadOnly);
        QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    sim::Simulator *bench_ = nullptr;
    std::string stderr_;
    TempDir files_;
};

struct Patch {
    const char *name;
    int r, g, b;
};

} // namespace

TEST_F(CliBatch, WritesOneRowPerPatchAsTheColorimeterSeesTheDisplay) {
    const Patch patches[] = {{"White", 255, 255, 255}, {"Red, 100 IRE", 255, 0, 0},
                             {"Green", 0, 255, 0},     {"Blue \"deep\"", 0, 0, 255},
                             {"Gray", 128, 128, 128},  {"Black", 0, 0, 0}};
    QList<ColorPatch> list;
    for (const Patch &p : patches)
        list << ColorPatch{p.name, QColor(p.r, p.g, p.b)};
    const std::string colors = file("colors.csv", writeBatch(list).toStdString());
    const std::string out = files_.file("results.csv"), pdf = files_.file("report.pdf");
    std::vector<std::string> args = batchArgs(colors, out);
    for (const char *a : {"--groups", "xy,xz", "--stable", "0", "--avg", "2", "--pdf"})
        args.push_back(a);
    args.push_back(pdf);
    ASSERT_EQ(cli(args), 0) << stderr_;

    const QStringList lines = rows(out);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "Name,Big Y nits,x,y,Big X nits,Big Z nits,AvgBy,Error");
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(patches[i].name);
        QStringList f;
        ASSERT_TRUE(splitBatchLine(lines[i + 1], &f));
        ASSERT_EQ(f.size(), 8);
        EXPECT_EQ(f[0], patches[i].name);
        const sim::Tristimulus want =
            expectedColorimeterReading("rec709", patches[i].r, patches[i].g, patches[i].b);
        EXPECT_NEAR(f[1].toDouble(), want.Y, readingTolerance(want.Y));
        EXPECT_NEAR(f[4].toDouble(), want.X, readingTolerance(want.X));
        EXPECT_NEAR(f[5].toDouble(), want.Z, readingTolerance(want.Z));
        EXPECT_EQ(f[6], "2");
        EXPECT_EQ(f[7], "0");
    }

    // The report: a summary, one table page and the two graphs on one page.
    QFile report(QString::fromStdString(pdf));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray bytes = report.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                  bytes.count("/Type /Page "),
              3)
        << bytes.left(400).toStdString();
    EXPECT_NE(stderr_.find("6 patches, average"), std::string::npos) << stderr_;
}

TEST_F(CliBatch, AKilledRunLeavesEveryRowMeasuredBeforeIt) {
    std::string text;
    for (int i = 0; i < 8; ++i)
        text += "P" + std::to_string(i) + "," + std::to_string(30 * i) + ",40,50\n";
    const std::string out = files_.file("results.csv");
    std::vector<std::string> args = batchArgs(file("colors.csv", text), out);
    for (const char *a : {"--groups", "none", "--stable", "0.4"})
        args.push_back(a);
    ChildProcess p(args);
    // Header and two rows, then the process dies as a crash would.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (rows(out).size() < 3 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    p.signal(SIGKILL);
    p.wait(5000);

    const QStringList lines = rows(out);
    ASSERT_GE(lines.size(), 3);
    EXPECT_LT(lines.size(), 9);
    EXPECT_EQ(lines[0], "Name,Big Y nits,AvgBy,Error");
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(',');
        ASSERT_EQ(f.size(), 4) << lines[i].toStdString();
        EXPECT_EQ(f[0], QStringLiteral("P%1").arg(i - 1));
        EXPECT_GT(f[1].toDouble(), 0);
    }
    QFile raw(QString::fromStdString(out));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    EXPECT_TRUE(raw.readAll().endsWith('\n')); // no half-written row
}

TEST_F(CliBatch, RefusesBadInputBeforeTouchingTheInstruments) {
    const std::string good = file("good.csv", "Grey,10,20,30\n");
    const struct {
        std::string colors, out;
        std::vector<std::string> extra;
        const char *says;
    } cases[] = {
        {file("range.csv", "White,255,255,255\nHot,256,0,0\n"), files_.file("a.csv"), {}, "line 2"},
        {good, files_.file("b.csv"), {"--groups", "xy,bogus"}, "unknown column group 'bogus'"},
        {good, files_.path(), {}, "cannot write"},
        {good, files_.file("c.csv"), {"--avg", "200"}, "--avg"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = batchArgs(c.colors, c.out);
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(cli(args), 2) << c.says;
        EXPECT_NE(stderr_.find(c.says), std::string::npos) << stderr_;
    }
    EXPECT_EQ(bench_->patternGenerator()->state().green, 255); // nothing was shown
}
