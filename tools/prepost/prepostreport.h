#pragma once
// The pre/post report window: the report page (a patch set of grey and
// colour steps, a pre and a post file compared against a standard, printed)
// with what it needs to measure the set: the colorimeter menu, mirroring
// the main window's, and the pattern panel that steps the display through
// the patches. Each measured patch goes to the page as it is taken; "Save"
// on the page writes the measured set as a pre or a post file.

#include "qmemorymainwindow.h"

class GenMeasure;
class QPatternManger;
class QPortMenu;
class QPushButton;
class Reports;

class PrePostReport : public QMemoryMainWindow {
    Q_OBJECT
public:
    // linkTo: the main window's colorimeter menu, mirrored here (may be null).
    explicit PrePostReport(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr);
    ~PrePostReport() override;

    Reports *page() const { return m_page; }
    QPatternManger *patternManager() const { return m_patterns; }
    QPortMenu *colorimeterMenu() const { return m_menu; }

public slots:
    // Runs the page's patch set through the pattern panel with the colorimeter.
    void on_pushMeasure_clicked();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void updateButtons();

    QPortMenu *m_menu;
    GenMeasure *m_device;
    Reports *m_page;
    QPatternManger *m_patterns;
    QPushButton *m_measure;
};
