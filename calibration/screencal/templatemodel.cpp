#include "templatemodel.h"

#include <QStringList>
#include <QXmlStreamReader>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace screencal {

namespace {

const char *const runKindNames[] = {"preCali", "postCali", "measuringCali", "report"};

struct MaskWord {
    const char *word;
    uint32_t bits;
};
const MaskWord maskWords[] = {
    {"white", Mask::White},
    {"red", Mask::Red},
    {"green", Mask::Green},
    {"blue", Mask::Blue},
    {"cyan", Mask::Cyan},
    {"magenta", Mask::Magenta},
    {"yellow", Mask::Yellow},
    {"maxWhite", Mask::MaxWhite},
    {"minWhite", Mask::MinWhite},
    {"primaries", Mask::Primaries},
    {"secondaries", Mask::Secondaries},
    {"allcolors", Mask::AllColors},
};

const char *const knownObjects[] = {
    "Label", "Print",    "updateWhite",     "ColorSpaceCombo", "GammaCombo", "RadioVideo",
    "Combo", "NextPage", "StartCaliButton", "StartMeasure",    "Graph",      "Table",
};

const char *const graphTypes[] = {"CIE",        "line:Y",  "line:RGBCurve", "line:RGBBalance",
                                  "line:gamma", "bar:RGB", "deltaE",        "deltaITP",
                                  "line:EOTF"};
const char *const comboOptions[] = {"space", "gray", "color", "MontiorColor", "colorLevel"};

template <size_t N> bool oneOf(const QString &word, const char *const (&list)[N]) {
    for (const char *w : list)
        if (word == QLatin1String(w))
            return true;
    return false;
}

// Why the window could not make this item, or empty when it can.
QString itemProblem(const PageElement &e) {
    const QString object = e.object();
    if (object.isEmpty())
        return QStringLiteral("it has no object");
    if (!isKnownObject(object))
        return QStringLiteral("unknown object \"%1\"").arg(object.left(40));
    const bool graph = object == QLatin1String("Graph");
    if (graph && !oneOf(e.attribute(QStringLiteral("type")), graphTypes))
        return QStringLiteral("graph type \"%1\" is not one of %2")
            .arg(e.attribute(QStringLiteral("type")).left(40), knownGraphTypes().join(", "));
    if ((graph || object == QLatin1String("Table")) &&
        runKindFromName(e.attribute(QStringLiteral("caliFor")), graph) < 0)
        return QStringLiteral("caliFor \"%1\" is not preCali, postCali, measuringCali%2")
            .arg(e.attribute(QStringLiteral("caliFor")).left(40), graph ? " or report" : "");
    if (object == QLatin1String("Combo") &&
        !oneOf(e.attribute(QStringLiteral("option")), comboOptions))
        return QStringLiteral(
            "a Combo needs option space, gray, color, MontiorColor or colorLevel");
    return QString();
}

QStringList words(const QString &text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

void note(QList<TemplateIssue> &issues, qint64 line, const QString &message, bool fatal = false) {
    issues.append({line, message, fatal});
}

// Reads up to the root element and checks it; false (with a fatal issue)
// when the document is no ScreenCal 1.0 template.
bool readRoot(QXmlStreamReader &r, QList<TemplateIssue> &issues, QString *name) {
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::DTD) {
            note(issues, r.lineNumber(),
                 QStringLiteral("document type declarations are not allowed in a template"), true);
            return false;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (r.name() != QLatin1String("ScreenCal")) {
            note(issues, r.lineNumber(),
                 QStringLiteral("the root element is <%1>, not <ScreenCal>").arg(r.name()), true);
            return false;
        }
        const QString version = r.attributes().value(QLatin1String("version")).toString();
        if (version != QLatin1String("1.0")) {
            note(issues, r.lineNumber(),
                 version.isEmpty()
                     ? QStringLiteral("<ScreenCal> has no version (1.0 expected)")
                     : QStringLiteral("ScreenCal version \"%1\" is not 1.0").arg(version),
                 true);
            return false;
        }
        if (name) {
            const QString given = r.attributes().value(QLatin1String("name")).toString();
            *name = r.attributes().hasAttribute(QLatin1String("name")) ? given
                                                                       : QStringLiteral("unknow");
        }
        return true;
    }
    note(issues, r.lineNumber(),
         r.hasError() ? QStringLiteral("not XML: %1").arg(r.errorString())
                      : QStringLiteral("the file holds no <ScreenCal> element"),
         true);
    return false;
}

void noteReaderError(const QXmlStreamReader &r, QList<TemplateIssue> &issues) {
    if (r.hasError() && r.error() != QXmlStreamReader::CustomError)
        note(issues, r.lineNumber(), QStringLiteral("the XML breaks off: %1").arg(r.errorString()),
             true);
}

bool tooBig(const QByteArray &xml, QList<TemplateIssue> &issues) {
    if (xml.size() <= maxTemplateBytes)
        return false;
    note(issues, 0,
         QStringLiteral("the file is larger than %1 MB; no template is that large")
             .arg(maxTemplateBytes / (1024 * 1024)),
         true);
    return true;
}

// One grid number: absent gives the default, anything else must be a whole
// number within [min, max].
bool gridNumber(const QXmlStreamAttributes &a, const char *name, int fallback, int min, int max,
                int *out, QString *why) {
    const QLatin1String key(name);
    if (!a.hasAttribute(key)) {
        *out = fallback;
        return true;
    }
    bool ok = false;
    const int v = a.value(key).toString().trimmed().toInt(&ok);
    if (!ok || v < min || v > max) {
        *why = QStringLiteral("%1=\"%2\" is not a whole number from %3 to %4")
                   .arg(key, a.value(key).toString().left(40))
                   .arg(min)
                   .arg(max);
        return false;
    }
    *out = v;
    return true;
}

bool readPlace(const QXmlStreamAttributes &a, GridPlace *place, QString *why) {
    return gridNumber(a, "column", 0, 0, maxGridCell, &place->column, why) &&
           gridNumber(a, "row", 0, 0, maxGridCell, &place->row, why) &&
           gridNumber(a, "colSpan", 1, 1, maxGridSpan, &place->colSpan, why) &&
           gridNumber(a, "rowSpan", 1, 1, maxGridSpan, &place->rowSpan, why);
}

// One reading of the file that builds the pages of the frames asked for.
// Frames are numbered as the page tree numbers them: every <frame> start
// tag in document order, at any depth, so a frame hidden inside another
// page's skipped content is still a page of its own.
class PagePass {
public:
    PagePass(const QByteArray &xml, const std::function<bool(int)> &wanted, int stopAfter)
        : r(xml), wanted_(wanted), stopAfter_(stopAfter) {}

    // Reads the whole file (or up to frame stopAfter); false when it is no
    // template, with the fatal issue in rootIssues.
    bool run(QList<TemplateIssue> &rootIssues);

    // The current element (a start tag) and everything in it; frames inside
    // it are read as pages when wanted.
    void skipCurrent();
    void skipContent();
    // Counts a <frame> that a page reads as one of its tabs: that frame's
    // own page needs another pass.
    void frameAsTab() {
        const int index = frames_++;
        if (wanted_(index))
            deferred.push_back(index);
    }
    bool stopped() const;

    QXmlStreamReader r;
    std::map<int, PageModel> pages; // read in this pass
    std::vector<int> deferred;

private:
    void readFrame(int index);

    std::function<bool(int)> wanted_;
    int stopAfter_;
    int frames_ = 0;
    std::set<int> open_; // pages whose end tag has not come
};

class PageReader {
public:
    PageReader(PagePass &pass, PageModel &page) : pass_(pass), r_(pass.r), page_(page) {}

    // Reads the children of the current element up to its end; false when
    // the file ended (or the pass stopped) first.
    bool readChildren(std::vector<PageElement> &out, int tabDepth) {
        while (!r_.atEnd() && !pass_.stopped()) {
            const auto token = r_.readNext();
            if (token == QXmlStreamReader::EndElement)
                return true;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (++count_ > maxPageElements) {
                if (count_ == maxPageElements + 1)
                    issue(QStringLiteral("more than %1 elements on one page; the rest is skipped")
                              .arg(maxPageElements));
                pass_.skipCurrent();
                continue;
            }
            readElement(out, tabDepth);
        }
        return false;
    }

private:
    void issue(const QString &message) { note(page_.issues, r_.lineNumber(), message); }

    void skip(const QString &why) {
        const QString object = r_.attributes().value(QLatin1String("object")).toString();
        issue(object.isEmpty() ? QStringLiteral("<%1> skipped: %2").arg(r_.name(), why)
                               : QStringLiteral("<%1 object=\"%2\"> skipped: %3")
                                     .arg(r_.name(), object.left(40), why));
        pass_.skipContent();
    }

    void readElement(std::vector<PageElement> &out, int tabDepth) {
        const QStringRef name = r_.name();
        const QXmlStreamAttributes a = r_.attributes();
        if (name == QLatin1String("cali")) {
            readCali(a, tabDepth);
            pass_.skipContent();
            return;
        }
        PageElement e;
        e.line = r_.lineNumber();
        if (name == QLatin1String("item"))
            e.kind = PageElement::Item;
        else if (name == QLatin1String("space"))
            e.kind = PageElement::Space;
        else if (name == QLatin1String("tabBox"))
            e.kind = PageElement::TabBox;
        else {
            issue(QStringLiteral("unknown element <%1> ignored").arg(name));
            pass_.skipCurrent();
            return;
        }
        QString why;
        if (!readPlace(a, &e.place, &why))
            return skip(why);
        for (const QXmlStreamAttribute &attr : a)
            e.attributes.insert(attr.name().toString(), attr.value().toString());
        if (e.kind == PageElement::Item) {
            const QString problem = itemProblem(e);
            if (!problem.isEmpty())
                return skip(problem);
        }
        if (e.kind == PageElement::TabBox) {
            if (tabDepth >= maxTabDepth)
                return skip(QStringLiteral("tab boxes nested deeper than %1").arg(maxTabDepth));
            readTabs(e, tabDepth);
        } else {
            pass_.skipContent();
        }
        out.push_back(std::move(e));
    }

    void readTabs(PageElement &box, int tabDepth) {
        while (!r_.atEnd() && !pass_.stopped()) {
            const auto token = r_.readNext();
            if (token == QXmlStreamReader::EndElement)
                return;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (r_.name() == QLatin1String("frame"))
                pass_.frameAsTab();
            PageTab tab;
            tab.name = r_.attributes().value(QLatin1String("name")).toString();
            readChildren(tab.children, tabDepth + 1);
            box.tabs.push_back(std::move(tab));
        }
    }

    void readCali(const QXmlStreamAttributes &a, int tabDepth) {
        if (tabDepth > 0)
            return issue(QStringLiteral("<cali> inside a tab ignored; it belongs in the frame"));
        if (!a.hasAttribute(QLatin1String("caliFor")) || !a.hasAttribute(QLatin1String("colorFor")))
            return issue(QStringLiteral("<cali> ignored: it needs both caliFor and colorFor"));
        const QString kindName = a.value(QLatin1String("caliFor")).toString();
        const int kind = runKindFromName(kindName);
        if (kind < 0)
            return issue(QStringLiteral("<cali> ignored: caliFor \"%1\" is not preCali, postCali "
                                        "or measuringCali")
                             .arg(kindName.left(40)));
        if (page_.run)
            return issue(QStringLiteral("a second <cali> ignored; a page has one run"));
        RunDefinition run;
        run.kind = kind;
        run.mask = parseColourMask(a.value(QLatin1String("colorFor")).toString());
        run.options = parseRunOptions(a.value(QLatin1String("option")).toString());
        run.line = r_.lineNumber();
        page_.run = run;
    }

    PagePass &pass_;
    QXmlStreamReader &r_;
    PageModel &page_;
    int count_ = 0;
};

bool PagePass::stopped() const {
    return stopAfter_ >= 0 && pages.count(stopAfter_) && !open_.count(stopAfter_);
}

void PagePass::readFrame(int index) {
    if (!wanted_(index))
        return skipContent();
    PageModel &page = pages[index];
    page.found = true;
    page.name = r.attributes().value(QLatin1String("name")).toString();
    open_.insert(index);
    if (PageReader(*this, page).readChildren(page.elements, 0))
        open_.erase(index);
}

void PagePass::skipCurrent() {
    if (r.name() == QLatin1String("frame"))
        return readFrame(frames_++);
    skipContent();
}

void PagePass::skipContent() {
    for (int depth = 1; depth > 0 && !r.atEnd() && !stopped();) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (r.name() == QLatin1String("frame"))
                readFrame(frames_++); // consumed whole
            else
                ++depth;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
}

bool PagePass::run(QList<TemplateIssue> &rootIssues) {
    if (!readRoot(r, rootIssues, nullptr))
        return false;
    while (!r.atEnd() && !stopped()) {
        if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("frame"))
            readFrame(frames_++);
    }
    // A file that breaks off inside a page leaves that page cut short.
    for (int index : open_)
        noteReaderError(r, pages[index].issues);
    return true;
}

} // namespace

int runKindFromName(const QString &name, bool allowReport) {
    const int kinds = allowReport ? runKindCount + 1 : runKindCount;
    for (int i = 0; i < kinds; ++i)
        if (name == QLatin1String(runKindNames[i]))
            return i;
    return -1;
}

QString runKindName(int kind) {
    return kind >= 0 && kind <= ReportKind ? QString::fromLatin1(runKindNames[kind]) : QString();
}

uint32_t parseColourMask(const QString &text) {
    uint32_t mask = 0;
    for (const QString &w : words(text))
        for (const MaskWord &m : maskWords)
            if (w.compare(QLatin1String(m.word), Qt::CaseInsensitive) == 0)
                mask |= m.bits;
    return mask;
}

RunOptions parseRunOptions(const QString &text) {
    RunOptions o;
    for (const QString &w : words(text)) {
        o.grayScale = o.grayScale || w == QLatin1String("grayScale");
        o.colorScale = o.colorScale || w == QLatin1String("colorScale");
        o.pqScale = o.pqScale || w == QLatin1String("pqScale");
    }
    return o;
}

bool isKnownObject(const QString &object) {
    for (const char *k : knownObjects)
        if (object == QLatin1String(k))
            return true;
    return false;
}

QStringList knownGraphTypes() {
    QStringList names;
    for (const char *t : graphTypes)
        names << QString::fromLatin1(t);
    return names;
}

QString TemplateIssue::text() const {
    return line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(message) : message;
}

int TemplateTree::pageCount() const {
    int n = 0;
    for (const TemplateHeader &h : headers)
        n += h.pages.size();
    return n;
}

bool TemplateTree::hasFatalIssue() const {
    for (const TemplateIssue &i : issues)
        if (i.fatal)
            return true;
    return false;
}

TemplateTree loadTemplateTree(const QByteArray &xml) {
    TemplateTree t;
    t.name = QStringLiteral("unknow");
    if (tooBig(xml, t.issues))
        return t;
    QXmlStreamReader r(xml);
    if (!readRoot(r, t.issues, &t.name))
        return t;
    t.valid = true;
    int depth = 1, frames = 0, entries = 0;
    while (!r.atEnd()) {
        const auto token = r.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++depth > maxElementDepth) {
            note(t.issues, r.lineNumber(),
                 QStringLiteral("elements nested deeper than %1: the page tree ends here")
                     .arg(maxElementDepth),
                 true);
            return t;
        }
        const bool header = r.name() == QLatin1String("header");
        const bool frame = r.name() == QLatin1String("frame");
        if (!header && !frame)
            continue;
        const int index = frame ? frames++ : -1;
        const QString name = r.attributes().value(QLatin1String("name")).toString();
        const qint64 line = r.lineNumber();
        if (name.isEmpty()) {
            note(t.issues, line,
                 QStringLiteral("<%1> without a name skipped").arg(header ? "header" : "frame"));
            continue;
        }
        if (frame && t.headers.isEmpty()) {
            note(t.issues, line,
                 QStringLiteral("frame \"%1\" comes before any header and is not shown").arg(name));
            continue;
        }
        if (++entries > maxTreeEntries) {
            note(t.issues, line,
                 QStringLiteral("more than %1 headers and pages: the page tree ends here")
                     .arg(maxTreeEntries),
                 true);
            return t;
        }
        if (header)
            t.headers.append({name, line, {}});
        else
            t.headers.last().pages.append({name, line, index});
    }
    noteReaderError(r, t.issues);
    return t;
}

PageModel loadPage(const QByteArray &xml, int frameIndex) {
    PageModel page;
    if (frameIndex < 0 || tooBig(xml, page.issues))
        return page;
    PagePass pass(
        xml, [frameIndex](int i) { return i == frameIndex; }, frameIndex);
    if (!pass.run(page.issues))
        return page;
    const auto it = pass.pages.find(frameIndex);
    if (it == pass.pages.end()) {
        noteReaderError(pass.r, page.issues);
        return page;
    }
    return it->second;
}

std::vector<PageModel> loadPages(const QByteArray &xml, int frameCount) {
    std::vector<PageModel> pages(static_cast<std::size_t>(std::max(0, frameCount)));
    QList<TemplateIssue> rootIssues;
    if (pages.empty() || tooBig(xml, rootIssues))
        return pages;
    // Most files take one pass. A frame that another page reads as one of
    // its tabs is read again as its own page in a further pass; each pass
    // goes one such nesting deeper.
    std::set<int> wanted;
    for (int i = 0; i < frameCount; ++i)
        wanted.insert(i);
    for (int passes = 0; !wanted.empty() && passes < maxElementDepth; ++passes) {
        PagePass pass(
            xml, [&wanted](int i) { return wanted.count(i) > 0; }, -1);
        if (!pass.run(rootIssues))
            return pages;
        for (int i : wanted) {
            const auto it = pass.pages.find(i);
            if (it != pass.pages.end())
                pages[static_cast<std::size_t>(i)] = std::move(it->second);
            else if (passes == 0) // no such frame, as far as the file goes
                noteReaderError(pass.r, pages[static_cast<std::size_t>(i)].issues);
        }
        wanted = std::set<int>(pass.deferred.begin(), pass.deferred.end());
    }
    return pages;
}

} // namespace screencal
