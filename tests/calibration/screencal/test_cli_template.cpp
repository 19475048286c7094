// tintwell-cli template, run as a child process: the JSON it prints for
// the shipped templates and the combo choices, and how it refuses files
// and options it cannot use.
#include "childprocess.h"
#include "tempdir.h"
#include "templatetesting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"tintwell-cli", "template"});
    ChildProcess p(args);
    const int code = p.wait();
    return {code, p.out(), p.err()};
}

std::string shipped(const char *name) {
    return (shippedTemplateDir() + "/" + name).toStdString();
}

QJsonObject json(const CliRun &r) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

// The run of header h, page p.
QJsonValue pageRun(const QJsonObject &o, int h, int p) {
    return o["headers"].toArray()[h].toObject()["pages"].toArray()[p].toObject()["run"];
}

QString patches(const QJsonValue &run) {
    return QString::fromUtf8(
        QJsonDocument(run.toObject()["patches"].toArray()).toJson(QJsonDocument::Compact));
}

} // namespace

TEST(CliTemplate, ShippedTemplatesWithTheirOwnChoices) {
    const CliRun grey = cli({shipped("greyscale-gamma.xml")});
    ASSERT_EQ(grey.exitCode, 0) << grey.err;
    EXPECT_TRUE(grey.err.empty()) << grey.err; // no page issues either
    const QJsonObject o = json(grey);
    EXPECT_EQ(o["name"].toString(), "Grey Scale and Gamma (10 point)");
    EXPECT_TRUE(pageRun(o, 0, 0).isNull());
    const QJsonObject pre = pageRun(o, 1, 0).toObject();
    EXPECT_EQ(pre["kind"].toString(), "preCali");
    EXPECT_EQ(pre["mask"].toInt(), 0x300);
    EXPECT_EQ(patches(pre), "[[0,0,0],[255,255,255],[25,25,25],[51,51,51],[76,76,76],"
                            "[102,102,102],[127,127,127],[153,153,153],[178,178,178],"
                            "[204,204,204],[229,229,229]]");
    EXPECT_EQ(pre["bits"].toInt(), 8);

    // The HDR10 grey scale: 10-bit PQ codes from black to 1000 cd/m², the
    // same whatever video range is chosen.
    for (const char *range : {"full", "video"}) {
        const CliRun hdr = cli({shipped("hdr10-greyscale.xml"), "--range", range});
        ASSERT_EQ(hdr.exitCode, 0) << hdr.err;
        EXPECT_TRUE(hdr.err.empty()) << hdr.err;
        const QJsonObject run = pageRun(json(hdr), 1, 0).toObject();
        EXPECT_EQ(run["bits"].toInt(), 10);
        EXPECT_EQ(patches(run), "[[0,0,0],[64,64,64],[120,120,120],[153,153,153],[254,254,254],"
                                "[307,307,307],[385,385,385],[450,450,450],[520,520,520],"
                                "[562,562,562],[594,594,594],[636,636,636],[668,668,668],"
                                "[712,712,712],[744,744,744],[769,769,769]]");
    }
}

TEST(CliTemplate, OptionsOverrideTheChoices) {
    struct Case {
        std::vector<std::string> options;
        const char *patches;
    };
    const Case cases[] = {
        {{}, "[[0,0,0],[255,255,255],[178,178,178]]"}, // the page's own 70 IRE
        {{"--range", "video"}, "[[16,16,16],[235,235,235],[169,169,169]]"},
        {{"--level", "95"}, "[[0,0,0],[255,255,255],[242,242,242]]"},
    };
    for (const Case &c : cases) {
        std::vector<std::string> args = {shipped("whitepoint-luminance.xml")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const CliRun r = cli(args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_TRUE(r.err.empty()) << r.err; // every page of the shipped file loads cleanly
        EXPECT_EQ(patches(pageRun(json(r), 0, 0)), c.patches) << c.patches;
    }
    // The primaries page starts at two points per colour; ten points asked.
    const CliRun ten = cli({shipped("primaries-secondaries.xml"), "--colour-mode", "2"});
    ASSERT_EQ(ten.exitCode, 0);
    EXPECT_TRUE(ten.err.empty()) << ten.err;
    const QJsonArray list = pageRun(json(ten), 0, 1).toObject()["patches"].toArray();
    // Full white and the 75 IRE grey; the six ramps (black once, then ten
    // steps each up to full); each colour at 75 IRE (191, between steps).
    EXPECT_EQ(list.size(), 2 + 1 + 6 * 10 + 6);
}

TEST(CliTemplate, RefusesWhatItCannotUse) {
    TempDir dir;
    struct Case {
        std::vector<std::string> args;
        int code;
        const char *err;
    };
    const Case cases[] = {
        {{dir.write("v2.xml", "<?xml version=\"1.0\"?>\n<ScreenCal version=\"2.0\"/>")},
         2,
         "line 2: ScreenCal version \"2.0\" is not 1.0"},
        {{dir.write(
             "cut.xml",
             screenCalXml("<header name=\"h\">\n<frame name=\"p\">").left(90).toStdString())},
         2,
         "the XML breaks off"},
        {{dir.file("missing.xml")}, 2, "does not exist"},
        {{shipped("greyscale-gamma.xml"), "--level", "72"}, 2, "--level must be one of"},
        {{shipped("greyscale-gamma.xml"), "--range", "tv"}, 2, "--range must be full or video"},
        {{shipped("greyscale-gamma.xml"), "--grey-mode", "3"}, 2, "--grey-mode"},
        {{}, 2, "which template?"},
        {{dir.write("skip.xml",
                    onePageXml("\n<item object=\"Graph\" type=\"pie\" caliFor=\"preCali\"/>")
                        .toStdString())},
         0,
         "warning: page \"p\": line 4: <item object=\"Graph\"> skipped"},
    };
    for (const Case &c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.code) << c.err << "\n" << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out.empty(), c.code != 0) << r.out; // no JSON from a refusal
    }
}
