// The template model: the page tree, a page's elements and run, and what a
// hostile file gets (a message naming the line, never a crash or a hang).
#include "patchlist.h"
#include "templatemodel.h"

#include "templatetesting.h"

#include <gtest/gtest.h>

using namespace screencal;

namespace {

QStringList pageNames(const TemplateTree &t) {
    QStringList names;
    for (const TemplateHeader &h : t.headers)
        for (const TemplatePage &p : h.pages)
            names << h.name + "/" + p.name;
    return names;
}

QString issuesText(const QList<TemplateIssue> &issues) {
    QStringList lines;
    for (const TemplateIssue &i : issues)
        lines << i.text();
    return lines.join("\n");
}

} // namespace

TEST(TemplateTree, HeadersAndFramesInFileOrderAtAnyDepth) {
    const TemplateTree t = loadTemplateTree(screenCalXml(R"(
  <frame name="orphan"/>
  <header name="A">
    <frame name="a1"/>
    <group><frame name="a2"/></group>
  </header>
  <header/>
  <header name="B"><frame name="b1"/><frame/></header>)"));
    ASSERT_TRUE(t.valid);
    // A frame before any header is not shown; nameless entries are skipped.
    EXPECT_EQ(pageNames(t), QStringList({"A/a1", "A/a2", "B/b1"}));
    // Frames keep their place among all frames, the orphan included, so
    // the page found again is the one listed.
    EXPECT_EQ(t.headers[0].pages[0].frameIndex, 1);
    EXPECT_EQ(t.headers[1].pages[0].frameIndex, 3);
    EXPECT_EQ(t.headers[0].pages[0].line, 6);
    EXPECT_FALSE(t.hasFatalIssue());
    EXPECT_TRUE(issuesText(t.issues).contains("line 4: frame \"orphan\" comes before any header"));
    EXPECT_TRUE(issuesText(t.issues).contains("line 9: <header> without a name skipped"));
}

TEST(TemplateTree, RootChecks) {
    struct Case {
        const char *xml;
        bool valid;
        const char *message; // part of the first issue
        const char *name;
    };
    const Case cases[] = {
        {"<ScreenCal version=\"1.0\" name=\"X\"/>", true, "", "X"},
        {"<ScreenCal version=\"1.0\"/>", true, "", "unknow"},
        {"<ScreenCal version=\"2.0\"/>", false, "line 1: ScreenCal version \"2.0\" is not 1.0", ""},
        {"<ScreenCal/>", false, "has no version", ""},
        {"<Other version=\"1.0\"/>", false, "the root element is <Other>", ""},
        {"", false, "", ""},
        {"not xml at all", false, "not XML", ""},
        {"\n\n<ScreenCal version=\"1.0\"><header name=\"h\"><frame name=\"f\">", true,
         "line 3: the XML breaks off", "unknow"},
    };
    for (const Case &c : cases) {
        const TemplateTree t = loadTemplateTree(c.xml);
        EXPECT_EQ(t.valid, c.valid) << c.xml;
        if (*c.message) {
            EXPECT_TRUE(issuesText(t.issues).contains(c.message))
                << c.xml << " gave: " << issuesText(t.issues).toStdString();
        }
        if (!c.valid) {
            EXPECT_TRUE(t.headers.isEmpty());
            EXPECT_TRUE(t.hasFatalIssue()) << c.xml;
        } else {
            EXPECT_EQ(t.name, c.name);
        }
    }
    // Cut short, the tree keeps what came before the break.
    EXPECT_EQ(pageNames(loadTemplateTree(cases[7].xml)), QStringList({"h/f"}));
}

TEST(TemplatePage, ElementsPlacesAndRun) {
    const QByteArray xml = screenCalXml(R"(<header name="h">
<frame name="p">
  <item object="Label" text="hello" column="2" row="3"/>
  <item object="Graph" type="line:Y" caliFor="preCali" column="0" row="1" colSpan="3" rowSpan="2"/>
  <space option="horizontal" column="1" row="0"/>
  <tabBox column="0" row="4">
    <tab name="One"><item object="Print" column="0" row="0"/></tab>
    <tab name="Two"/>
  </tabBox>
  <cali caliFor="postCali" colorFor="primaries CYAN" option="grayScale colorScale"/>
  <item object="Gizmo" column="0" row="0"/>
  <widget/>
</frame></header>)");
    const PageModel page = loadPage(xml, 0);
    ASSERT_TRUE(page.found);
    EXPECT_EQ(page.name, "p");
    ASSERT_EQ(page.elements.size(), 4u);
    const PageElement &label = page.elements[0];
    EXPECT_EQ(label.object(), "Label");
    EXPECT_EQ(label.attribute("text"), "hello");
    // colSpan and rowSpan absent: one cell.
    EXPECT_EQ((std::vector<int>{label.place.column, label.place.row, label.place.colSpan,
                                label.place.rowSpan}),
              (std::vector<int>{2, 3, 1, 1}));
    EXPECT_EQ(page.elements[1].place.colSpan, 3);
    EXPECT_EQ(page.elements[1].place.rowSpan, 2);
    EXPECT_EQ(page.elements[2].kind, PageElement::Space);
    const PageElement &tabs = page.elements[3];
    ASSERT_EQ(tabs.tabs.size(), 2u);
    EXPECT_EQ(tabs.tabs[0].name, "One");
    ASSERT_EQ(tabs.tabs[0].children.size(), 1u);
    EXPECT_EQ(tabs.tabs[0].children[0].object(), "Print");
    ASSERT_TRUE(page.run.has_value());
    EXPECT_EQ(page.run->kind, PostCali);
    EXPECT_EQ(page.run->mask, 0x2Fu); // primaries and cyan
    EXPECT_TRUE(page.run->options.grayScale);
    EXPECT_TRUE(page.run->options.colorScale);
    EXPECT_TRUE(issuesText(page.issues)
                    .contains("line 13: <item object=\"Gizmo\"> skipped: unknown object"));
    EXPECT_TRUE(issuesText(page.issues).contains("line 14: unknown element <widget> ignored"));
}

TEST(TemplatePage, CaliNeedsBothAttributesAndAKnownKind) {
    struct Case {
        const char *cali;
        bool run;
    };
    const Case cases[] = {
        {"<cali caliFor=\"preCali\" colorFor=\"white\"/>", true},
        {"<cali caliFor=\"measuringCali\" colorFor=\"\"/>", true},
        {"<cali caliFor=\"preCali\"/>", false},
        {"<cali colorFor=\"white\"/>", false},
        {"<cali caliFor=\"report\" colorFor=\"white\"/>", false},
        {"<cali caliFor=\"precali\" colorFor=\"white\"/>", false},
    };
    for (const Case &c : cases) {
        const PageModel page = loadPage(onePageXml(c.cali), 0);
        ASSERT_TRUE(page.found);
        EXPECT_EQ(page.run.has_value(), c.run) << c.cali;
        EXPECT_EQ(page.issues.isEmpty(), c.run) << c.cali; // a refused cali is said
    }
}

TEST(TemplatePage, ColourMaskWords) {
    struct Case {
        const char *text;
        uint32_t mask;
    };
    const Case cases[] = {
        {"PRIMARIES   Cyan", 0x2F},   {"secondaries white", 0xE1}, {"allcolors", 0x3EF},
        {"maxWhite minWhite", 0x300}, {"purple red red", 0x2},     {"", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(parseColourMask(c.text), c.mask) << c.text;
}

TEST(TemplatePage, BadGridNumbersSkipTheElementNamingTheLine) {
    const char *const bad[] = {
        "column=\"-1\"",  "row=\"100\"", "colSpan=\"0\"",   "rowSpan=\"1000000\"",
        "column=\"two\"", "row=\"\"",    "colSpan=\"1.5\"", "column=\"99999999999999999999\""};
    for (const char *attr : bad) {
        const PageModel page = loadPage(
            onePageXml(QStringLiteral("\n<item object=\"Label\" %1/>\n<item object=\"Print\"/>")
                           .arg(attr)),
            0);
        ASSERT_EQ(page.elements.size(), 1u) << attr;
        EXPECT_EQ(page.elements[0].object(), "Print");
        ASSERT_EQ(page.issues.size(), 1) << attr;
        EXPECT_EQ(page.issues[0].line, 4) << attr;
    }
}

TEST(TemplateHostile, RefusedOrBoundedWithAMessage) {
    const QByteArray laughs = R"(<?xml version="1.0"?>
<!DOCTYPE ScreenCal [
 <!ENTITY a "aaaaaaaaaa">
 <!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">
 <!ENTITY c "&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;">
 <!ENTITY d "&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;">
]>
<ScreenCal version="1.0" name="&d;"><header name="&d;"/></ScreenCal>)";
    const QByteArray external = R"(<?xml version="1.0"?>
<!DOCTYPE ScreenCal [<!ENTITY x SYSTEM "file:///etc/passwd">]>
<ScreenCal version="1.0" name="&x;"/>)";
    for (const QByteArray &xml : {laughs, external}) {
        const TemplateTree t = loadTemplateTree(xml);
        EXPECT_FALSE(t.valid);
        EXPECT_TRUE(issuesText(t.issues).contains("document type declarations are not allowed"));
        EXPECT_FALSE(loadPage(xml, 0).found);
    }
    // An undeclared entity is an XML error, never a lookup.
    EXPECT_TRUE(loadTemplateTree(screenCalXml("<header name=\"&x;\"/>")).hasFatalIssue());

    QByteArray big = screenCalXml("<header name=\"h\"/>");
    big.append(QByteArray(maxTemplateBytes, ' '));
    const TemplateTree tooBig = loadTemplateTree(big);
    EXPECT_FALSE(tooBig.valid);
    EXPECT_TRUE(issuesText(tooBig.issues).contains("larger than 4 MB"));

    QString deep;
    for (int i = 0; i < 5000; ++i)
        deep += "<g>";
    const TemplateTree nested = loadTemplateTree(screenCalXml("<header name=\"h\"/>" + deep));
    EXPECT_EQ(nested.headers.size(), 1);
    EXPECT_TRUE(issuesText(nested.issues).contains("nested deeper than 64"));

    QString many = "<header name=\"h\">";
    for (int i = 0; i < maxTreeEntries + 50; ++i)
        many += QStringLiteral("<frame name=\"p%1\"/>").arg(i);
    const TemplateTree pages = loadTemplateTree(screenCalXml(many + "</header>"));
    EXPECT_EQ(pages.pageCount(), maxTreeEntries - 1);
    EXPECT_TRUE(pages.hasFatalIssue());

    QString crowded;
    for (int i = 0; i < maxPageElements + 10; ++i)
        crowded += "<item object=\"Label\"/>";
    const PageModel page = loadPage(onePageXml(crowded), 0);
    EXPECT_EQ(int(page.elements.size()), maxPageElements);

    // Tab boxes inside tabs stop at the nesting limit.
    QString tabs, close;
    for (int i = 0; i < 10; ++i) {
        tabs += "<tabBox><tab name=\"t\">";
        close += "</tab></tabBox>";
    }
    const PageModel tabbed = loadPage(onePageXml(tabs + close), 0);
    int depth = 0;
    for (const std::vector<PageElement> *level = &tabbed.elements; !level->empty();
         level = &level->front().tabs.front().children) {
        ++depth;
        if (level->front().tabs.empty())
            break;
    }
    EXPECT_EQ(depth, maxTabDepth);
    EXPECT_TRUE(issuesText(tabbed.issues).contains("tab boxes nested deeper than 4"));
}

namespace {

// Everything a page holds, as text, tabs and their children included.
QString describe(const std::vector<PageElement> &elements) {
    QString out;
    for (const PageElement &e : elements) {
        out += QStringLiteral("[%1 %2 %3").arg(e.kind).arg(e.line).arg(e.object());
        for (const PageTab &t : e.tabs)
            out += " {" + t.name + ":" + describe(t.children) + "}";
        out += "]";
    }
    return out;
}

QString describe(const PageModel &p) {
    return QStringLiteral("%1 %2 %3 run %4/%5 | %6")
        .arg(p.found)
        .arg(p.name, describe(p.elements))
        .arg(p.run ? p.run->kind : -1)
        .arg(p.run ? p.run->mask : 0)
        .arg(issuesText(p.issues));
}

} // namespace

// Every page at once reads as each page read on its own, however the
// frames hide in one another: in a page's skipped content, as its tabs, cut
// short by the end of the file.
TEST(TemplatePage, AllPagesAtOnceReadAsEachPageAlone) {
    const QByteArray nested = screenCalXml(R"(<header name="h">
<frame name="outer"><cali caliFor="postCali" colorFor="red"/>
  <item object="Label" text="a"><frame name="in item"><item object="Print"/></frame></item>
  <frame name="child"><cali caliFor="preCali" colorFor="white"/></frame>
  <tabBox><frame name="as tab"><item object="Label"/><tabBox><frame name="deeper">
    <item object="Print"/></frame></tabBox></frame><tab name="t2"/></tabBox>
  <bogus><frame name="in unknown"/></bogus>
</frame>
<frame name="last"><item object="Label" text="z"/></frame></header>)");
    QByteArray cut = onePageXml("<item object=\"Label\"/><frame name=\"inner\"><item ");
    for (const QByteArray &xml : {nested, cut}) {
        const int frames = xml.count("<frame");
        const std::vector<PageModel> pages = loadPages(xml, frames + 1);
        ASSERT_EQ(int(pages.size()), frames + 1);
        for (int i = 0; i <= frames; ++i)
            EXPECT_EQ(describe(pages[i]).toStdString(), describe(loadPage(xml, i)).toStdString())
                << "frame " << i;
    }
    EXPECT_EQ(loadPages(nested, 7)[4].name, "deeper");
}
