#pragma once
// The screen-calibration template as data: the page tree (headers and
// their frames) and, for one frame, the widgets it lays out and its
// measurement run. No widgets: the window, the command line and the tests
// all read templates through this.
//
// A template is a file from anywhere. The reader refuses document type
// declarations (so no entity can expand or point outside the file), caps
// the size, the number of pages, the nesting depth and the number of
// elements on a page, and checks every number it places; whatever it cannot
// use is reported with its line and skipped.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace screencal {

// Limits that keep a hostile template from costing more than a real one.
constexpr qint64 maxTemplateBytes = 4 * 1024 * 1024;
constexpr int maxTreeEntries = 10000; // headers and pages together
constexpr int maxElementDepth = 64;
constexpr int maxPageElements = 2000;
constexpr int maxTabDepth = 4;
constexpr int maxGridCell = 99; // columns and rows 0..99
constexpr int maxGridSpan = 100;

// Run kinds, as stored and as the graphs and tables name them.
enum RunKind { PreCali = 0, PostCali = 1, MeasuringCali = 2, ReportKind = 3 };
constexpr int runKindCount = 3; // the kinds a run can have
// "preCali", "postCali", "measuringCali", and "report" for graphs; -1 when unknown.
int runKindFromName(const QString &name, bool allowReport = false);
QString runKindName(int kind);

// Colour mask bits of "colorFor".
namespace Mask {
constexpr uint32_t White = 0x1, Red = 0x2, Green = 0x4, Blue = 0x8;
constexpr uint32_t Cyan = 0x20, Magenta = 0x40, Yellow = 0x80;
constexpr uint32_t MaxWhite = 0x100, MinWhite = 0x200;
constexpr uint32_t Primaries = 0xF, Secondaries = 0xE0, AllColors = 0x3EF;
} // namespace Mask
// Blank-separated keywords, case ignored; unknown words add nothing.
uint32_t parseColourMask(const QString &text);

struct RunOptions {
    bool grayScale = false;
    bool colorScale = false;
    // The PQ grey scale: 10-bit ST 2084 codes of luminances around the HDR
    // reference white; the whole run is then 10-bit and judged against
    // REC2100 PQ.
    bool pqScale = false;
};
RunOptions parseRunOptions(const QString &text);

// Something the reader could not use. Fatal issues leave the tree empty
// (not a template at all) or cut it short (the XML broke off); the others
// name an element that was skipped.
struct TemplateIssue {
    qint64 line = 0;
    QString message;
    bool fatal = false;
    QString text() const;
};

struct TemplatePage {
    QString name;
    qint64 line = 0;
    int frameIndex = 0; // position among all frames of the file
};

struct TemplateHeader {
    QString name;
    qint64 line = 0;
    QList<TemplatePage> pages;
};

struct TemplateTree {
    bool valid = false; // a ScreenCal 1.0 document
    QString name;       // "unknow" when the root has no name
    QList<TemplateHeader> headers;
    QList<TemplateIssue> issues;

    int pageCount() const;
    bool hasFatalIssue() const;
};

// Reads the page tree. Frames before the first header are not listed.
TemplateTree loadTemplateTree(const QByteArray &xml);

struct GridPlace {
    int column = 0, row = 0, colSpan = 1, rowSpan = 1;
};

struct PageElement;

struct PageTab {
    QString name;
    std::vector<PageElement> children;
};

struct PageElement {
    enum Kind { Item, Space, TabBox };
    Kind kind = Item;
    qint64 line = 0;
    GridPlace place;
    QHash<QString, QString> attributes;
    std::vector<PageTab> tabs; // TabBox only

    QString attribute(const QString &name) const { return attributes.value(name); }
    QString object() const { return attribute(QStringLiteral("object")); }
};

struct RunDefinition {
    int kind = PreCali;
    uint32_t mask = 0;
    RunOptions options;
    qint64 line = 0;
};

struct PageModel {
    bool found = false;
    QString name;
    std::vector<PageElement> elements;
    std::optional<RunDefinition> run;
    QList<TemplateIssue> issues;
};

// Reads frame number frameIndex (counted over every frame of the file).
PageModel loadPage(const QByteArray &xml, int frameIndex);
// Frames 0 to frameCount - 1 at once, as loadPage reads each, in time
// linear in the file (a page each from loadPage would read it again each
// time).
std::vector<PageModel> loadPages(const QByteArray &xml, int frameCount);

// Item kinds the window knows; others are skipped with an issue.
bool isKnownObject(const QString &object);
// The graph types a "Graph" item may name.
QStringList knownGraphTypes();

} // namespace screencal
