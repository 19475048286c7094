#pragma once
// The test colour batch: an ordered list of named colour patches, edited,
// moved, imported and exported as CSV, with a default batch kept beside the
// program; "Run Batch" steps the pattern generator through the list with the
// pattern manager, measures each patch with the colorimeter and writes one
// row per patch to the results file as it is measured. The last run can be
// printed or exported as a PDF report.

#include "batchfile.h"
#include "batchresults.h"
#include "defaultbatch.h"
#include "measurement.h"
#include "qmemorymainwindow.h"
#include "qpatternmanger.h"
#include "reportcontent.h"

#include <functional>

namespace Ui {
class TestColorBatch;
}

class GenMeasure;
class QPortMenu;

class TestColorBatch : public QMemoryMainWindow {
    Q_OBJECT
public:
    // The window's colorimeter menu mirrors linkTo (the main window's), if given.
    explicit TestColorBatch(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr,
                            const DefaultBatch &defaultBatch = DefaultBatch());
    ~TestColorBatch() override;

    const QList<ColorPatch> &patches() const { return m_patches; }
    void setPatches(const QList<ColorPatch> &patches);
    QPatternManger *patternManager() const;
    QPortMenu *colorimeterMenu() const { return m_menu; }
    // The column groups chosen for a run (the column dialog in the window).
    void setColumnChooser(std::function<QList<bool>(bool *accepted)> chooser) {
        m_chooser = std::move(chooser);
    }
    // The patches and readings of the last run, in patch order.
    const QList<ColorPatch> &runPatches() const { return m_runPatches; }
    const QList<Measurement> &runMeasured() const { return m_runMeasured; }
    // Writes the report of the last run; false without one or when it cannot.
    bool exportReport(const QString &pdfPath);

    // The profiles "Select Profile" offers: slot and entry text of every
    // profile the instrument holds, empty slots left out.
    static QList<QPair<int, QString>> profileChoices(const QStringList &entries);

    // Reads a batch file into the batch (after the confirmation), with the
    // Part's messages; the same as the Import button after its file dialog.
    void importFile(const QString &path);

public slots:
    void measureDone(const Measurement &m, QPatternManger::measureDevice tag, int index);
    void Aborted(QPatternManger::measureDevice tag);
    void finished(QPatternManger::measureDevice tag);
    void setButtons(bool running);
    void changeColorIndex(int index);
    void torvaConnected();
    void torvaClosed();
    void torvaCalFileChanged();
    void messageBox();
    void newDelete();

private slots:
    void on_pushAddNew_clicked();
    void on_pushDeleteSelect_clicked();
    void on_pushDeleteAll_clicked();
    void on_pushMoveUp_clicked();
    void on_pushMoveDown_clicked();
    void on_pushImport_clicked();
    void on_pushExport_clicked();
    void on_pushRun_clicked();
    void on_pushCalfile_clicked();
    void on_actionImport_triggered();
    void on_actionExport_triggered();
    void on_actionSet_Default_triggered();
    void on_actionClear_Default_triggered();
    void on_actionReset_Default_triggered();
    void on_actionPrint_Report_triggered();
    void on_actionExport_Report_triggered();
    void nameEdited(int row, int column);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void loadDefaultBatch();
    void refreshTable();
    // The current standard with the video range at the batch's depth.
    VideoStandard runStandard() const;
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);
    void moveSelection(int step);
    bool confirmDefaultOverwrite();
    bool writeDefault(const QString &text);
    void showProfile();
    ReportSetup reportSetup() const;

    Ui::TestColorBatch *ui;
    QPortMenu *m_menu;
    GenMeasure *m_device;
    DefaultBatch m_defaultBatch;
    bool m_relocationShown = false;
    QList<ColorPatch> m_patches;
    std::function<QList<bool>(bool *)> m_chooser;

    BatchResultsFile m_results;
    bool m_running = false;
    QList<ColorPatch> m_runList;    // the batch as it was when the run began
    QList<ColorPatch> m_runPatches; // measured so far, in order
    QList<Measurement> m_runMeasured;
    VideoStandard m_runStandard; // the targets of the run
    CodeRange m_shownRange;      // the codes the generator showed

    bool m_writeFailed = false;
};
