// Reports: which pages print for a layout and a page range, where the graph
// cells lie, what a report compares, and the pages themselves: a PDF with
// the expected page count whose graph cells are drawn, the preview re-laid
// when across or down change, and the pre/post page's files.
#include "childprocess.h"
#include "tempdir.h"

#include "qgraphbox.h"
#include "qprintpreviewextended.h"
#include "qtprinters.h"
#include "reportpainter.h"
#include "reports.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "shotsaver.h"
#include "theme.h"
#include "tintwellresources.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

int pdfPages(const QString &path) {
    const QByteArray b = QByteArray::fromStdString(TempDir::read(path.toStdString()));
    // Page objects, not the page tree ("/Type /Pages").
    return b.count("/Type /Page\n") + b.count("/Type /Page\r") + b.count("/Type /Page ") +
           b.count("/Type /Page/");
}

// Seven plots that each draw a line across their cell.
class Graphs {
public:
    explicit Graphs(int n) {
        for (int i = 0; i < n; ++i) {
            auto *g = new QGraphBox(&holder);
            g->setBackgroundMode(QGraphBox::PlotMode);
            g->setTitle(QStringLiteral("Graph %1").arg(i + 1));
            PlotObject p;
            p.style = PlotObject::Line;
            p.colors << QColor(200, 0, 0);
            p.points << QPointF(0, 0) << QPointF(1, 1);
            g->setXMax(1);
            g->setYMax(1);
            g->appendPlots(p);
            g->resize(300, 200);
            list << g;
        }
    }
    QWidget holder;
    QList<QWidget *> list;
};

int inkIn(const QImage &img, const QRect &r) {
    int ink = 0;
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2)
            ink += qGray(img.pixel(x, y)) < 200;
    return ink;
}

} // namespace

TEST(ReportLayout, PagesForLayoutsAndRanges) {
    const struct {
        int graphs, across, down, tablePages;
        bool range;
        int from, to;
        QList<int> pages;
    } cases[] = {
        {7, 2, 3, 0, false, 0, 0, {0, 1, 2}}, // the summary and 6 + 1 graphs
        {7, 2, 3, 0, true, 2, 2, {1}},        // only the first graph page
        {7, 3, 3, 0, false, 0, 0, {0, 1}},    {6, 2, 3, 0, false, 0, 0, {0, 1}},
        {0, 2, 3, 0, false, 0, 0, {0}},       {7, 2, 3, 2, false, 0, 0, {0, 1, 2, 3, 4}},
        {7, 2, 3, 0, true, 3, 9, {2}}, // pages that do not exist are left out
        {7, 2, 3, 0, true, 9, 9, {}},
    };
    for (const auto &c : cases) {
        ReportLayout l;
        l.graphs = c.graphs;
        l.across = c.across;
        l.down = c.down;
        l.tablePages = c.tablePages;
        EXPECT_EQ(l.pagesToPrint(c.range, c.from, c.to), c.pages)
            << c.graphs << " " << c.across << "x" << c.down << " " << c.from << "-" << c.to;
    }
    ReportLayout l;
    l.graphs = 7;
    l.tablePages = 1;
    EXPECT_EQ(l.kind(1), ReportLayout::Table);
    EXPECT_EQ(l.graphsOn(1), 0);

    // Half-inch margins, a one-inch header, integer cells.
    const ReportLayout::Geometry g = l.geometry(QSize(1110, 1470), 144, 144);
    EXPECT_EQ(g.cellWidth, (1110 - 3 * 72) / 2);
    EXPECT_EQ(g.cellHeight, (1470 - 3 * 72 - 144) / 3);
    EXPECT_EQ(g.cell(3),
              QRect(72 + g.cellWidth + 72, 144 + g.cellHeight + 72, g.cellWidth, g.cellHeight));
}

TEST(ReportPages, SevenGraphsMakeThreePdfPagesWithEveryCellDrawn) {
    Graphs graphs(7);
    const QSize before = graphs.list[0]->size();
    TempDir dir;
    const QString pdf = QString::fromStdString(dir.file("report.pdf"));
    ReportSetup setup;
    setup.texts.title = "Panel acceptance";
    int pages = 0;
    ASSERT_TRUE(writeReportPdf(pdf, setup, graphs.list, 2, 3, &pages));
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(pdfPages(pdf), 3);
    EXPECT_EQ(graphs.list[0]->size(), before); // the graphs get their size back

    // The same pages on images: every placed cell has ink, empty cells none.
    const QSize page(1110, 1470);
    ReportPainter painter(setup, graphs.list, 2, 3);
    const ReportLayout layout = painter.layoutFor(page, 144);
    const ReportLayout::Geometry g = layout.geometry(page, 144, 144);
    for (int p = 1; p <= 2; ++p) {
        QImage img(page, QImage::Format_RGB32);
        img.setDotsPerMeterX(5669); // 144 dpi
        img.setDotsPerMeterY(5669);
        img.fill(Qt::white);
        QPainter painterOnImage(&img);
        painter.paintPage(painterOnImage, p, page, 144, 144);
        painterOnImage.end();
        for (int i = 0; i < 6; ++i) {
            const bool placed = (p - 1) * 6 + i < 7;
            EXPECT_EQ(inkIn(img, g.cell(i)) > 200, placed) << "page " << p << " cell " << i;
        }
    }
    EXPECT_FALSE(
        writeReportPdf(QString::fromStdString(dir.file("no/such/dir/x.pdf")), setup, graphs.list));
}

TEST(ReportPages, ThePreviewReLaysAtOnceAndExportsThePdf) {
    Graphs graphs(7);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintPreviewExtended preview(&printer, nullptr, graphs.list);
    preview.updatePreview();
    EXPECT_EQ(preview.renderedPages(), 3);
    preview.acrossBox()->setValue(3); // 9 a page
    EXPECT_EQ(preview.renderedPages(), 2);
    preview.downBox()->setValue(1); // 3 a page
    EXPECT_EQ(preview.renderedPages(), 4);

    ScriptedDialogs dialogs;
    TempDir dir;
    const QString pdf = QString::fromStdString(dir.file("export.pdf"));
    dialogs.queueFileName(pdf);
    preview.findChild<QAction *>("actionExportPdf")->trigger();
    EXPECT_EQ(dialogs.last().title, "Export PDF");
    EXPECT_EQ(pdfPages(pdf), 4);

    auto labels = preview.findChildren<QLabel *>();
    QStringList texts;
    for (QLabel *l : labels)
        texts << l->text();
    for (const char *t : {"Title: ", "Name: ", "Company: ", "Email: ", "Phone Number: "})
        EXPECT_TRUE(texts.contains(t)) << t;
    EXPECT_EQ(preview.acrossBox()->prefix(), " Graphs Across: ");
    preview.resize(1300, 800);
    preview.show();
    QTest::qWait(50);
    saveShot(preview.grab().toImage(), "print-preview-extended");
    preview.hide();
}

TEST(ReportPages, GraphsPrintAsVectorsOnLightPaperInTheNightTheme) {
    initTintwellResources();
    qApp->setStyleSheet(loadStyleSheet(QStringLiteral(":/themes/night.qss")));
    CalibrationStandard standard;
    const QList<ColorPatch> patches = {{"White", Qt::white}, {"Red", Qt::red}, {"Blue", Qt::blue}};
    QList<Measurement> measured;
    for (const ColorPatch &p : patches)
        measured << targetFor(p.color, standard, 100);
    ReportSetup setup;
    setup.texts.title = "Night";
    setup.tables << comparePatches("Batch results", patches, measured, standard);
    QWidget holder;
    const QList<QWidget *> graphs = Reports::patchGraphs(setup.tables.first(), standard, &holder);
    holder.show(); // styled as on the screen: a dark chart
    ASSERT_LT(qGray(graphs.first()->palette().color(QPalette::Window).rgb()), 100);

    TempDir dir;
    const QString pdf = QString::fromStdString(dir.file("night.pdf"));
    int pages = 0;
    ASSERT_TRUE(writeReportPdf(pdf, setup, graphs, 1, 2, &pages));
    ASSERT_EQ(pages, 3); // summary, table, the two graphs
    // No photograph of the screen in the file: the charts are drawn.
    EXPECT_FALSE(
        QByteArray::fromStdString(TempDir::read(pdf.toStdString())).contains("/DCTDecode"));

    ChildProcess render({"/usr/bin/pdftoppm", "-png", "-r", "48", "-f", "3", "-l", "3",
                         "-singlefile", pdf.toStdString(), dir.file("graphs")});
    ASSERT_EQ(render.wait(), 0) << render.err();
    const QImage page(QString::fromStdString(dir.file("graphs.png")));
    ASSERT_FALSE(page.isNull());
    // Both graphs fill the page's width, on white paper with dark ink.
    const QRect graphsArea(page.width() / 10, page.height() / 6, page.width() * 8 / 10,
                           page.height() * 3 / 4);
    int light = 0, ink = 0, all = 0;
    for (int y = graphsArea.top(); y <= graphsArea.bottom(); ++y)
        for (int x = graphsArea.left(); x <= graphsArea.right(); ++x, ++all) {
            const int grey = qGray(page.pixel(x, y));
            light += grey > 200;
            ink += grey < 90;
        }
    EXPECT_GT(light, all * 7 / 10) << light << " of " << all;
    EXPECT_GT(ink, all / 200) << ink << " of " << all;
    saveShot(page, "report-graphs-night");
    qApp->setStyleSheet(QString());
}

TEST(ReportContent, TargetsAndDeltaEAgainstTheMeasuredWhite) {
    CalibrationStandard s;
    s.name = "REC709";
    const QList<ColorPatch> patches = {{"White", QColor(255, 255, 255)},
                                       {"Red", QColor(255, 0, 0)},
                                       {"Gray", QColor(128, 128, 128)},
                                       {"Black", QColor(0, 0, 0)}};
    // A display exactly on target with a 200 cd/m² white; its red drifted.
    QList<Measurement> measured;
    for (const ColorPatch &p : patches)
        measured << targetFor(p.color, s, 200);
    measured[1] = Measurement::fromxyY(0.58, 0.35, measured[1].bigY);
    const PatchTable t = comparePatches("Batch results", patches, measured, s);
    ASSERT_EQ(t.rows.size(), 4);
    EXPECT_NEAR(t.rows[0].target.bigY, 200, 1e-6);
    EXPECT_NEAR(t.rows[0].deltaE, 0, 1e-6);
    EXPECT_NEAR(t.rows[2].deltaE, 0, 1e-6);
    EXPECT_NEAR(t.rows[2].target.bigY, 200 * std::pow(128 / 255.0, 2.2), 1e-6);
    EXPECT_GT(t.rows[1].deltaE, 2);
    EXPECT_EQ(t.worstRow(), 1);
    EXPECT_NEAR(t.averageDeltaE(), t.rows[1].deltaE / 4, 1e-9);
    EXPECT_TRUE(tableSummaryText(t).startsWith("4 patches, average ΔE2000 "));
    EXPECT_EQ(patchTableCells(t.rows[3]).mid(2, 3), QStringList({"-", "-", "0.00"}));

    // In video range, code 16 is black and 235 the full white.
    s.videoLow = 16;
    s.videoHigh = 235;
    EXPECT_NEAR(targetFor(QColor(16, 16, 16), s, 100).bigY, 0, 1e-9);
    EXPECT_NEAR(targetFor(QColor(235, 235, 235), s, 100).bigY, 100, 1e-9);
    EXPECT_NEAR(targetFor(QColor(255, 255, 255), s, 100).bigY, 100, 1e-9); // clipped
}

TEST(ReportFiles, PatchSetsAndTheRGBXYZFile) {
    const struct {
        int steps;
        bool grey, colours;
        int low, high, count;
    } sets[] = {{3, true, true, 0, 255, 15},
                {2, true, false, 0, 255, 2},
                {11, true, true, 16, 235, 71},
                {5, false, true, 0, 255, 25}};
    for (const auto &c : sets)
        EXPECT_EQ(Reports::patchSet(c.steps, c.grey, c.colours, c.low, c.high).size(), c.count)
            << c.steps;
    const QList<ColorPatch> set = Reports::patchSet(3, true, false, 16, 235);
    EXPECT_EQ(set.at(1).color, QColor(126, 126, 126));
    EXPECT_EQ(set.at(1).name, "Gray - 50%");

    const QList<Measurement> m = {Measurement::fromXYZ(95.05, 100, 108.9),
                                  Measurement::fromXYZ(1.5, 0.75, 0.125)};
    const QString text = Reports::reportFileText(set, m);
    EXPECT_TRUE(text.startsWith("R,G,B,X,Y,Z\n16,16,16,95.05,100,108.9\n")) << text.toStdString();
    QList<ColorPatch> p;
    QList<Measurement> back;
    ASSERT_TRUE(Reports::readReportFile(text, &p, &back));
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(p[1].color, QColor(126, 126, 126));
    EXPECT_DOUBLE_EQ(back[1].bigZ, 0.125);
    for (const char *bad : {"X,Y,Z\n", "R,G,B,X,Y,Z\n1,2,3,4,5\n", "R,G,B,X,Y,Z\n1,2,256,4,5,6\n",
                            "R,G,B,X,Y,Z\n1,2,3,4,-5,6\n", "R,G,B,X,Y,Z\n1,2,3,nan,5,6\n"})
        EXPECT_FALSE(Reports::readReportFile(bad, &p, &back)) << bad;
}

class ReportsPage : public EmptySettings {};

TEST_F(ReportsPage, EachKindOfReportKeepsItsOwnTitle) {
    Reports::storeTexts({"Batch QC Report", "Ann Lee", "Lab 4", "", "", ""}, "batch");
    const ReportSetup screen = Reports::currentSetup(nullptr, nullptr, "screencal", "Grey Scale");
    EXPECT_EQ(screen.texts.title, "Grey Scale");
    EXPECT_EQ(screen.texts.name, "Ann Lee"); // who made it is the same for every kind
    EXPECT_EQ(Reports::currentSetup(nullptr, nullptr, "batch", "Display").texts.title,
              "Batch QC Report");
    Reports::storeTexts({"Spectrum of panel 7", "Ann Lee", "Lab 4", "", "", ""}, "spectral");
    EXPECT_EQ(Reports::currentSetup(nullptr, nullptr, "batch", "Display").texts.title,
              "Batch QC Report");
}

TEST_F(ReportsPage, SavesMeasuredPatchesAndComparesPreAndPost) {
    ScriptedDialogs dialogs;
    TempDir dir;
    Reports page;
    auto *label = page.findChild<QLabel *>("labelPatches");
    EXPECT_EQ(label->text(), "Steps: 11 - Patches per dimension: 11 - Total Patches: 71");
    page.measureDone(Measurement::fromXYZ(95.05, 100, 108.9), 0, 64); // the grey at full level
    page.measureDone(Measurement::fromXYZ(0.1, 0.1, 0.1), 0, 0);
    const QString pre = QString::fromStdString(dir.file("pre.csv"));
    dialogs.queueFileName(pre);
    page.on_pushSave_clicked();
    EXPECT_EQ(dialogs.last().title, "Save Report");
    EXPECT_EQ(TempDir::read(pre.toStdString()),
              "R,G,B,X,Y,Z\n0,0,0,0.1,0.1,0.1\n255,255,255,95.05,100,108.9\n");

    dialogs.queueFileName(pre);
    page.on_pushLoadPre_clicked();
    dialogs.queueFileName(QString::fromStdString(dir.write("junk.csv", "Name,Big Y nits\n")));
    page.on_pushLoadPost_clicked();
    page.on_pushGenerate_clicked();
    ASSERT_EQ(page.report().tables.size(), 1); // the unreadable post file is said, not used
    EXPECT_EQ(page.report().tables[0].title, "Pre-calibration");
    EXPECT_EQ(page.report().tables[0].rows.size(), 2);
    EXPECT_TRUE(dialogs.last().text.contains("could not be read"))
        << dialogs.last().text.toStdString();
}
