#include "pagebuilder.h"

#include "calplots.h"
#include "caltable.h"
#include "colorspacecombo.h"
#include "qgammacombo.h"
#include "qgraphbox.h"
#include "qmaxbigy.h"
#include "qradiovideomode.h"
#include "screencal.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QTabWidget>

namespace screencal {

namespace {

struct ComboOption {
    const char *option;
    QStringList entries;
    void (ScreenCal::*slot)(int);
};

const QList<ComboOption> &comboOptions() {
    static const QList<ComboOption> options = {
        {"space", {"CIE 1931 (x,y)", "CIE 1976 (u',v')"}, &ScreenCal::spaceChanged},
        {"gray",
         {"White Balance", "2 point (Target and IRE 30)", "10 point"},
         &ScreenCal::grayChanged},
        {"color",
         {"Color Balance", "2 point (Target and IRE 30)", "10 point"},
         &ScreenCal::colorSaleChanged},
        {"MontiorColor", {"Red, Green, Blue", "Hue, Saturation, Value"}, &ScreenCal::RGBChanged},
        {"colorLevel",
         {"70 IRE", "75 IRE", "80 IRE", "85 IRE", "90 IRE", "95 IRE"},
         &ScreenCal::colorLevelChanged},
    };
    return options;
}

const ComboOption *findCombo(const QString &option) {
    for (const ComboOption &o : comboOptions())
        if (option == QLatin1String(o.option))
            return &o;
    return nullptr;
}

class Builder {
public:
    Builder(BuiltPage &out, ScreenCal *window) : out_(out), window_(window) {}

    void build(const std::vector<PageElement> &elements, QWidget *area, QGridLayout *grid) {
        for (const PageElement &e : elements) {
            const GridPlace &g = e.place;
            if (e.kind == PageElement::Space) {
                grid->addItem(spacer(e), g.row, g.column, g.rowSpan, g.colSpan);
                continue;
            }
            QWidget *w = e.kind == PageElement::TabBox ? tabBox(e, area) : item(e, area);
            if (w)
                grid->addWidget(w, g.row, g.column, g.rowSpan, g.colSpan);
        }
    }

private:
    void skip(const PageElement &e, const QString &why) {
        out_.issues.append(
            {e.line,
             QStringLiteral("<item object=\"%1\"> skipped: %2").arg(e.object().left(40), why)});
    }

    QSpacerItem *spacer(const PageElement &e) {
        const bool horizontal = e.attribute("option") == QLatin1String("horizontal");
        bool ok = false;
        const int size = qBound(0, e.attribute("text").toInt(&ok), 2000);
        const int extent = ok ? size : 20;
        return horizontal
                   ? new QSpacerItem(extent, 0, QSizePolicy::Expanding, QSizePolicy::Minimum)
                   : new QSpacerItem(0, extent, QSizePolicy::Minimum, QSizePolicy::Expanding);
    }

    QWidget *tabBox(const PageElement &e, QWidget *area) {
        auto *tabs = new QTabWidget(area);
        for (const PageTab &t : e.tabs) {
            auto *page = new QWidget(tabs);
            auto *grid = new QGridLayout(page);
            build(t.children, page, grid);
            tabs->addTab(page, t.name);
        }
        return tabs;
    }

    QPushButton *button(const PageElement &e, QWidget *area, const QString &fallback,
                        void (ScreenCal::*slot)()) {
        const QString text = e.attribute("text");
        auto *b = new QPushButton(text.isEmpty() ? fallback : text, area);
        if (window_)
            QObject::connect(b, &QPushButton::clicked, window_, slot);
        out_.buttons << b;
        return b;
    }

    QWidget *item(const PageElement &e, QWidget *area) {
        const QString object = e.object();
        if (object == QLatin1String("Label")) {
            auto *l = new QLabel(e.attribute("text"), area);
            l->setWordWrap(true);
            l->setTextFormat(Qt::PlainText);
            return l;
        }
        if (object == QLatin1String("Print"))
            return button(e, area, QStringLiteral("Print"), &ScreenCal::PrintGraphs);
        if (object == QLatin1String("NextPage"))
            return button(e, area, QStringLiteral("Next"), &ScreenCal::ClickNext);
        if (object == QLatin1String("StartCaliButton"))
            return button(e, area, QStringLiteral("Start Calibration"),
                          &ScreenCal::StartCalibration);
        if (object == QLatin1String("StartMeasure")) {
            QPushButton *b = button(e, area, QStringLiteral("Measure"), &ScreenCal::startMeasure);
            b->setCheckable(true);
            out_.measureButtons << b;
            return b;
        }
        if (object == QLatin1String("updateWhite"))
            return new QMaxBigY(area);
        if (object == QLatin1String("ColorSpaceCombo"))
            return new ColorSpaceCombo(area);
        if (object == QLatin1String("GammaCombo"))
            return new QGammaCombo(area);
        if (object == QLatin1String("RadioVideo"))
            return new QRadioVideoMode(area);
        if (object == QLatin1String("Combo"))
            return combo(e, area);
        if (object == QLatin1String("Graph"))
            return graph(e, area);
        if (object == QLatin1String("Table"))
            return table(e, area);
        skip(e, QStringLiteral("unknown object"));
        return nullptr;
    }

    QWidget *combo(const PageElement &e, QWidget *area) {
        const QString option = e.attribute("option");
        const ComboOption *o = findCombo(option);
        if (!o) {
            skip(e, QStringLiteral("a Combo needs option space, gray, color, MontiorColor or "
                                   "colorLevel"));
            return nullptr;
        }
        auto *c = new QComboBox(area);
        c->addItems(o->entries);
        bool ok = false;
        const int current = e.attribute("current").toInt(&ok);
        if (ok && current >= 0 && current < o->entries.size())
            c->setCurrentIndex(current);
        c->setProperty("templateCurrent", ok ? current : -1);
        if (window_)
            QObject::connect(c, qOverload<int>(&QComboBox::currentIndexChanged), window_, o->slot);
        out_.combos << PageCombo{c, option};
        return c;
    }

    // caliFor of a graph or table; -1 (after noting why) when unusable.
    int kindOf(const PageElement &e, bool allowReport) {
        const int kind = runKindFromName(e.attribute("caliFor"), allowReport);
        if (kind < 0)
            skip(e, QStringLiteral("caliFor \"%1\" is not preCali, postCali, measuringCali%2")
                        .arg(e.attribute("caliFor").left(40), allowReport ? " or report" : ""));
        return kind;
    }

    QWidget *graph(const PageElement &e, QWidget *area) {
        const QString type = e.attribute("type");
        if (!isPlotType(type)) {
            skip(e, QStringLiteral("graph type \"%1\" is not one of %2")
                        .arg(type.left(40), plotTypes().join(", ")));
            return nullptr;
        }
        const int kind = kindOf(e, true);
        if (kind < 0)
            return nullptr;
        auto *g = new QGraphBox(area);
        g->setMinimumSize(260, 200);
        out_.graphs << PageGraph{g,
                                 type,
                                 kind,
                                 parseColourMask(e.attribute("colorFor")),
                                 parseRunOptions(e.attribute("option")),
                                 e.attribute("title")};
        return g;
    }

    QWidget *table(const PageElement &e, QWidget *area) {
        const int kind = kindOf(e, false);
        if (kind < 0)
            return nullptr;
        const uint32_t mask = parseColourMask(e.attribute("colorFor"));
        auto *t = new CalTable(mask, area);
        t->setMinimumHeight(80);
        out_.tables << PageTable{t, kind, mask};
        return t;
    }

    BuiltPage &out_;
    ScreenCal *window_;
};

} // namespace

QStringList comboEntries(const QString &option) {
    const ComboOption *o = findCombo(option);
    return o ? o->entries : QStringList();
}

BuiltPage buildPage(const PageModel &page, QWidget *area, QGridLayout *grid, ScreenCal *window) {
    BuiltPage out;
    Builder(out, window).build(page.elements, area, grid);
    return out;
}

} // namespace screencal
