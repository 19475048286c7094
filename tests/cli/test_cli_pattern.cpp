// tintwell-cli pattern and sequence as separate processes against the
// in-process simulated generator, display and colorimeter.
#include "loopbackport.h"
#include "simfixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>

namespace {

class CliPattern : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        useLoopbackPatternPort();
        sim::SimulatorOptions o = options();
        o.withPatternGenerator = true;
        o.patternGenerator.port = std::atoi(std::getenv("TINTWELL_PATTERN_PORT"));
        o.patternGenerator.address = "127.0.0.3";
        o.patternGenerator.serial = "PG-CLI";
        o.display = "p3";
        o.displaySettleMs = 0;
        bench_ = std::make_unique<sim::Simulator>(o);
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
    }
    void TearDown() override {
        bench_.reset();
        SimFixture::TearDown();
    }
    // Starts tintwell-cli; the caller waits.
    void launch(QProcess &p, const QStringList &args) {
        p.start(QString::fromLocal8Bit(qgetenv("TINTWELL_BIN_DIR")) + "/tintwell-cli", args);
        ASSERT_TRUE(p.waitForStarted());
    }
    int cli(const QStringList &args, QList<QJsonObject> *objects = nullptr, int ms = 30000) {
        QProcess p;
        launch(p, args);
        p.waitForFinished(ms);
        stderr_ = p.readAllStandardError();
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            if (objects && !line.isEmpty())
                objects->append(QJsonDocument::fromJson(line).object());
        }
        return p.exitCode();
    }
    QString colorsFile(const QByteArray &text) {
        files_.push_back(std::make_unique<QTemporaryFile>());
        QTemporaryFile *f = files_.back().get();
        f->open();
        f->write(text);
        f->flush();
        return f->fileName();
    }
    std::unique_ptr<sim::Simulator> bench_;
    QByteArray stderr_;
    std::vector<std::unique_ptr<QTemporaryFile>> files_;
};

} // namespace

TEST_F(CliPattern, DiscoversAndDrivesTheGenerator) {
    QList<QJsonObject> out;
    ASSERT_EQ(cli({"pattern", "discover"}, &out), 0) << stderr_.toStdString();
    ASSERT_EQ(out.size(), 1);
    EXPECT_EQ(out[0]["host"].toString(), "127.0.0.3");
    EXPECT_EQ(out[0]["serialNumber"].toString(), "PG-CLI");

    out.clear();
    ASSERT_EQ(cli({"pattern", "--host", "127.0.0.3", "color", "0", "128", "255"}, &out), 0);
    EXPECT_EQ(out[0]["width"].toInt(), 1920);
    const sim::PatternState s = bench_->patternGenerator()->state();
    EXPECT_EQ(s.pattern, 3);
    EXPECT_EQ(s.green, 128);
    EXPECT_EQ(s.blue, 255);

    ASSERT_EQ(cli({"pattern", "--host", "127.0.0.3", "box", "1", "2", "30", "40"}), 0);
    EXPECT_EQ(bench_->patternGenerator()->state().boxW, 30);
    EXPECT_EQ(cli({"pattern", "--host", "127.0.0.3", "color", "0", "300", "0"}), 2);
    EXPECT_EQ(cli({"pattern", "color", "1", "2", "3"}), 2); // no host
    EXPECT_EQ(cli({"pattern", "--host", "127.0.0.9", "info"}), 1);
}

TEST_F(CliPattern, SequencePrintsOnePatchPerLineWithItsReading) {
    const QString colors = colorsFile("White,255,255,255\nRed,255,0,0\nBlack,0,0,0\n");
    QList<QJsonObject> out;
    ASSERT_EQ(
        cli({"sequence", "--generator", "127.0.0.3", "--device", QString::fromStdString(port()),
             "--colors", colors, "--stable", "0.05", "--avg", "2"},
            &out),
        0)
        << stderr_.toStdString();
    ASSERT_EQ(out.size(), 3);
    const char *names[] = {"White", "Red", "Black"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(out[i]["index"].toInt(), i);
        EXPECT_EQ(out[i]["name"].toString(), names[i]);
        EXPECT_TRUE(out[i]["problem"].isNull());
    }
    EXPECT_EQ(out[1]["red"].toInt(), 255);
    EXPECT_EQ(out[1]["green"].toInt(), 0);
    // The p3 panel: its white is 200 cd/m², its red far brighter in x than the white.
    EXPECT_NEAR(out[0]["bigY"].toDouble(), 200, 4);
    EXPECT_GT(out[1]["x"].toDouble(), 0.6);
    EXPECT_LT(out[2]["bigY"].toDouble(), 0.2);
}

TEST_F(CliPattern, SequenceRefusesBadInputAndReportsWhatIsMissing) {
    const QString device = QString::fromStdString(port());
    const QString good = colorsFile("White,255,255,255\n");
    const QString bad = colorsFile("White,255,255\n");
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.3", "--device", device, "--colors", bad}),
              2);
    EXPECT_NE(stderr_.indexOf("line 1"), -1);
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.3", "--device", device}), 2);
    EXPECT_EQ(cli({"sequence", "--generator", "127.0.0.9", "--device", device, "--colors", good}),
              1);
    EXPECT_EQ(
        cli({"sequence", "--generator", "127.0.0.3", "--device", device + "x", "--colors", good}),
        1);
}

TEST_F(CliPattern, InterruptStopsCleanlyWithThePatchesSoFar) {
    const QString colors = colorsFile("A,255,255,255\nB,10,10,10\nC,20,20,20\n");
    QProcess p;
    launch(p, {"sequence", "--generator", "127.0.0.3", "--device", QString::fromStdString(port()),
               "--colors", colors, "--stable", "1.5", "--csv"});
    // The header and the first patch, then an interrupt while the second settles.
    QByteArray out;
    (void)QTest::qWaitFor(
        [&] {
            p.waitForReadyRead(50);
            out += p.readAllStandardOutput();
            return out.count('\n') >= 2;
        },
        20000);
    ASSERT_EQ(out.count('\n'), 2) << out.toStdString();
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(5000));
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    const QList<QByteArray> lines = out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("index,name,red,green,blue,problem,x,y,"));
    EXPECT_TRUE(lines[1].startsWith("0,A,255,255,255,,"));
}
