// tintwell-cli template: loads a screen-calibration template as the window
// does and prints its page tree with the patch list each page would run.
#include "cliargs.h"
#include "commands.h"

#include "patchlist.h"
#include "templatefiles.h"
#include "templatemodel.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

using namespace screencal;

namespace {

struct Options {
    std::string file;
    PatchSettings base;
    std::optional<int> greyMode, colourMode, levelIre;
};

void printHelp() {
    std::printf("usage: tintwell-cli template FILE [--range full|video] [--level IRE]\n"
                "                             [--grey-mode 0|1|2] [--colour-mode 0|1|2]\n\n"
                "Loads a screen-calibration template as the Screen Calibration window does and\n"
                "prints one JSON object: the template's name and its headers, each with its\n"
                "pages and the run every page would make: its kind, colour mask and patches.\n\n"
                "options:\n"
                "  --range full|video  video range of the patches: full 0-255 (default) or\n"
                "                      video 16-235\n"
                "  --level IRE         colour level, 70 to 95 in steps of 5\n"
                "  --grey-mode N       0 white balance, 1 two point, 2 ten point\n"
                "  --colour-mode N     0 colour balance, 1 two point, 2 ten point\n"
                "Without them each page uses the choices its own combo boxes start with.\n\n"
                "Elements the window would skip are listed on stderr as warnings.\n"
                "Exit codes: 0 done, 2 bad arguments or a file that is no usable template.\n");
}

Options parse(const CliArgs &args) {
    Options o;
    ArgCursor cur(args);
    while (!cur.atEnd()) {
        const std::string arg = cur.take();
        if (arg == "--range") {
            const std::string v = cur.takeValue(arg);
            if (v == "full")
                o.base.low = 0, o.base.high = 255;
            else if (v == "video")
                o.base.low = 16, o.base.high = 235;
            else
                throw CliError("--range must be full or video, not '" + v + "'");
        } else if (arg == "--level") {
            const int level = int(parseInteger(cur.takeValue(arg), "--level", 70, 95));
            if (level % 5)
                throw CliError("--level must be one of 70, 75, 80, 85, 90, 95");
            o.levelIre = level;
        } else if (arg == "--grey-mode") {
            o.greyMode = int(parseInteger(cur.takeValue(arg), "--grey-mode", 0, 2));
        } else if (arg == "--colour-mode") {
            o.colourMode = int(parseInteger(cur.takeValue(arg), "--colour-mode", 0, 2));
        } else if (!arg.empty() && arg[0] == '-') {
            throw CliError("unknown option " + arg);
        } else if (!o.file.empty()) {
            throw CliError("give one template file, got '" + o.file + "' and '" + arg + "'");
        } else {
            o.file = arg;
        }
    }
    if (o.file.empty())
        throw CliError("which template? (tintwell-cli template FILE)");
    return o;
}

std::string jsonString(const QString &text) {
    std::string out = "\"";
    for (unsigned char c : text.toStdString()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

std::string runJson(const PageModel &page, const Options &o) {
    if (!page.run)
        return "null";
    PatchSettings s = forRun(*page.run, pageChoices(page, o.base));
    if (o.greyMode)
        s.greyMode = *o.greyMode;
    if (o.colourMode)
        s.colourMode = *o.colourMode;
    if (o.levelIre)
        s.levelIre = *o.levelIre;
    std::string out = "{\"kind\":" + jsonString(runKindName(page.run->kind)) +
                      ",\"mask\":" + std::to_string(page.run->mask) +
                      ",\"bits\":" + std::to_string(runBits(*page.run)) + ",\"patches\":[";
    const QVector<Rgb> patches = buildPatchList(*page.run, s);
    for (int i = 0; i < patches.size(); ++i)
        out += (i ? ",[" : "[") + std::to_string(patches[i].r) + "," +
               std::to_string(patches[i].g) + "," + std::to_string(patches[i].b) + "]";
    return out + "]}";
}

void warn(const QList<TemplateIssue> &issues, const QString &page) {
    for (const TemplateIssue &i : issues)
        std::fprintf(stderr, "tintwell-cli template: warning: %s%s\n",
                     page.isEmpty() ? "" : ("page \"" + page.toStdString() + "\": ").c_str(),
                     i.text().toStdString().c_str());
}

int run(const Options &o) {
    QByteArray bytes;
    QString error;
    if (!readTemplateFile(QString::fromStdString(o.file), &bytes, &error))
        throw CliError(error.toStdString());
    const TemplateTree tree = loadTemplateTree(bytes);
    for (const TemplateIssue &i : tree.issues)
        if (i.fatal)
            throw CliError(o.file + ": " + i.text().toStdString() +
                           "; a template cut short is refused here, nothing is listed");
    warn(tree.issues, QString());
    int frames = 0;
    for (const TemplateHeader &header : tree.headers)
        for (const TemplatePage &page : header.pages)
            frames = std::max(frames, page.frameIndex + 1);
    const std::vector<PageModel> pages = loadPages(bytes, frames);
    std::string out = "{\"name\":" + jsonString(tree.name) + ",\"headers\":[";
    for (int h = 0; h < tree.headers.size(); ++h) {
        const TemplateHeader &header = tree.headers[h];
        out += (h ? ",{\"name\":" : "{\"name\":") + jsonString(header.name) + ",\"pages\":[";
        for (int p = 0; p < header.pages.size(); ++p) {
            const PageModel &page = pages[static_cast<std::size_t>(header.pages[p].frameIndex)];
            warn(page.issues, header.pages[p].name);
            out += (p ? ",{\"name\":" : "{\"name\":") + jsonString(header.pages[p].name) +
                   ",\"run\":" + runJson(page, o) + "}";
        }
        out += "]}";
    }
    out += "]}\n";
    std::fputs(out.c_str(), stdout);
    return 0;
}

} // namespace

int cliTemplate(const CliArgs &args) {
    return runCommand("template", args, printHelp, parse, run);
}
