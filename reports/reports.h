#pragma once
// Report printing for every window that measures patch sets.
//
// Entry points (static; any window may call them):
//   Reports::preview(parent, graphs, setup)  the print preview with the layout
//       and text tool bars, "Export PDF", print; returns the dialog's result.
//       It opens with one graph across the page, two down.
//   Reports::exportPdf(path, graphs, setup)  the same pages as a PDF file,
//       without a dialog (headless runs, the command line).
//   Reports::currentSetup(meter, generator, kind) a ReportSetup filled from
//       the shared calibration standard, the stored report texts (the title
//       that kind of report had last) and the devices.
//   Reports::patchGraphs(table, standard, parent) the chromaticity and ΔE2000
//       graphs of a patch table, for the graph pages.
// A report is: page 0 the summary (texts, meter, generator, profile,
// standard, results), then one page run per patch table (target and
// measured x, y, Y with ΔE2000), then the graphs across × down.
//
// The Reports widget itself prepares a patch set for a pre/post comparison:
// it builds grey and colour steps, collects the measured patches
// (measureDone), saves them as "R,G,B,X,Y,Z" and loads a pre and a post file
// to compare against the selected standard.

#include "reportcontent.h"

#include <QList>
#include <QWidget>

class GenMeasure;
class GenPattern;
class QGraphBox;

namespace Ui {
class Reports;
}

class Reports : public QWidget {
    Q_OBJECT
public:
    explicit Reports(QWidget *parent = nullptr);
    ~Reports() override;

    // Graphs fill the page's width: one across, two down.
    static constexpr int patchGraphsAcross = 1, patchGraphsDown = 2;

    // ---- Entry points ----
    static int preview(QWidget *parent, const QList<QWidget *> &graphs, const ReportSetup &setup,
                       int across = patchGraphsAcross, int down = patchGraphsDown);
    static bool exportPdf(const QString &path, const QList<QWidget *> &graphs,
                          const ReportSetup &setup, int across = 2, int down = 3);
    // Either device may be null. The title is the one this kind of report
    // was given last, else defaultTitle.
    static ReportSetup currentSetup(GenMeasure *meter, GenPattern *generator,
                                    const QString &kind = QString(),
                                    const QString &defaultTitle = QString());
    static CalibrationStandard currentStandard();
    static CalibrationStandard standardOf(const QString &name, const VideoStandard &video);
    // Owned by parent; the graphs a patch table prints with.
    static QList<QWidget *> patchGraphs(const PatchTable &table,
                                        const CalibrationStandard &standard, QWidget *parent);
    // The report texts last used ("Update Text" stores them): the title per
    // kind of report, who made it (name, company, e-mail, phone, website)
    // for all of them.
    static ReportTexts storedTexts(const QString &kind);
    static void storeTexts(const ReportTexts &texts, const QString &kind);

    // ---- The pre/post page ----
    // Grey steps and colour steps of the video range, duplicates removed.
    static QList<ColorPatch> patchSet(int steps, bool grey, bool colours, int low, int high);
    // "R,G,B,X,Y,Z" rows; false (and nothing read) for a file of another form.
    static bool readReportFile(const QString &text, QList<ColorPatch> *patches,
                               QList<Measurement> *measured);
    static QString reportFileText(const QList<ColorPatch> &patches,
                                  const QList<Measurement> &measured);

    const QList<ColorPatch> &patches() const { return m_patches; }
    const ReportSetup &report() const { return m_report; }
    QGraphBox *graph() const;
    void setMeasured(int index, const Measurement &m);

public slots:
    void updatePatches();
    void measureDone(const Measurement &m, int tag, int index);
    void on_pushLoadPre_clicked();
    void on_pushLoadPost_clicked();
    void on_pushGenerate_clicked();
    void on_comboRGBSpec_currentIndexChanged(int index);
    void on_pushPrint_clicked();
    void on_pushSave_clicked();

private:
    bool loadInto(QString *path, class QLineEdit *field);
    void redrawGraph();

    Ui::Reports *ui;
    QList<ColorPatch> m_patches;
    QList<Measurement> m_measured; // by patch index; avgCount 0 = not measured
    QString m_prePath, m_postPath;
    ReportSetup m_report;
};
