#pragma once
// "Screen Calibration": a guided calibration whose pages come from an
// imported XML template. The template model gives the page tree and each
// page's widgets and run; this window builds them, drives the colorimeter
// and the pattern manager through the run, keeps the measurements of each
// run kind while it is open and draws them into the page's graphs and tables.

#include "calplots.h"
#include "pagebuilder.h"
#include "patchlist.h"
#include "qmemorymainwindow.h"
#include "qpatternmanger.h"
#include "reportcontent.h"
#include "runstore.h"
#include "templatemodel.h"

#include <QByteArray>
#include <QModelIndex>
#include <QPointer>

#include <optional>

class ChromaGamutSpec;
class GenMeasurePntWrapper;
class QPortMenu;
class QStandardItemModel;

namespace Ui {
class ScreenCal;
}

class ScreenCal : public QMemoryMainWindow {
    Q_OBJECT
public:
    // linkTo: the main window's colorimeter menu, mirrored here.
    explicit ScreenCal(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr);
    ~ScreenCal() override;

    // Loads the template and builds its first page; false (tree empty or cut
    // short) with the problems in templateIssues().
    bool loadTemplate(const QString &path);
    const screencal::TemplateTree &tree() const { return m_tree; }
    QStringList templateIssues() const;
    // Page `page` of header `header`; false when there is none.
    bool selectPage(int header, int page);
    QString currentPageName() const { return m_page.name; }
    const screencal::BuiltPage &builtPage() const { return m_built; }
    const std::optional<screencal::RunDefinition> &run() const { return m_page.run; }
    const QVector<screencal::Rgb> &patches() const { return m_patches; }
    screencal::PatchSettings patchSettings() const;
    const screencal::RunStore &store() const { return m_store; }
    QPatternManger *patternManager() const;
    QPortMenu *portMenu() const { return m_menu; }
    QString liveText() const;
    // The page's graphs in page order, and the report they print in.
    QList<QWidget *> graphsToPrint() const;
    ReportSetup report() const;

public slots:
    void colorLevelChanged(int index);
    void videoModeChanged();
    void spaceChanged(int index);
    void RGBChanged(int index);
    void grayChanged(int index);
    void colorSaleChanged(int index);
    void PrintGraphs();
    void ClickNext();
    void StartCalibration();
    void startMeasure();
    void stopMeasuring();
    void torvaConnected();
    void torvaClosed();
    void torvaCalFileChanged();
    void measuring(const Measurement &m);
    void measureDone(const Measurement &m, QPatternManger::measureDevice tag, int index);
    void Aborted();
    void finished();
    void setButtons(bool enabled);
    void pauseMeasuring();
    void resumeMeasuring();

private slots:
    void on_actionImport_Template_triggered();
    void on_treeView_clicked(const QModelIndex &index);
    void on_treeView_doubleClicked(const QModelIndex &index);

private:
    void fillTree();
    void buildPage(int frameIndex);
    void clearPage();
    void rebuildPatches();
    // The codes of the page's run: 10-bit full range for a PQ grey scale,
    // else the video range.
    CodeRange runRange() const;
    // Hands the patches to the pattern manager at their depth.
    void showPatches();
    void redraw();
    void showTemplateIssues(bool boxes);
    screencal::PlotContext plotContext() const;
    bool deviceConnected() const;
    void setLive(const Measurement &m);
    void setDeviceFields();
    void setMeasureButtons(bool checked);

    Ui::ScreenCal *ui;
    QPortMenu *m_menu;
    GenMeasurePntWrapper *m_device;
    ChromaGamutSpec *m_spec;
    QStandardItemModel *m_model;
    QByteArray m_bytes;
    QString m_path;
    screencal::TemplateTree m_tree;
    screencal::PageModel m_page;
    screencal::BuiltPage m_built;
    QPointer<QWidget> m_pageWidget;
    QVector<screencal::Rgb> m_patches;
    screencal::RunStore m_store;
    std::optional<Measurement> m_live;
    int m_runningKind = -1;
    bool m_pausedMeasuring = false;
    // Choices of the page combos, kept from page to page.
    int m_greyMode = screencal::BalanceOnly;
    int m_colourMode = screencal::BalanceOnly;
    int m_levelIre = 70;
    bool m_xy = true;
    bool m_hsv = false;
};
