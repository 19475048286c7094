#pragma once
// The print preview of graph reports: the standard preview with a layout
// tool bar (graphs across and down, "Export PDF") and a tool bar of report
// texts (title, name, company, e-mail, phone, website, "Update Text").
// Every change re-lays the pages at once.

#include "reportcontent.h"

#include <QList>
#include <QPrintPreviewDialog>

class QLineEdit;
class QPrintPreviewWidget;
class QPrinter;
class QSpinBox;
class ReportPainter;

class QPrintPreviewExtended : public QPrintPreviewDialog {
    Q_OBJECT
public:
    // graphs are borrowed: they must outlive the dialog.
    // across × down: the graphs a page holds to begin with.
    QPrintPreviewExtended(QPrinter *printer, QWidget *parent, const QList<QWidget *> &graphs,
                          const ReportSetup &setup = ReportSetup(), int across = 2, int down = 3);
    ~QPrintPreviewExtended() override;

    QSpinBox *acrossBox() const { return m_across; }
    QSpinBox *downBox() const { return m_down; }
    QPrintPreviewWidget *previewWidget() const { return m_preview; }
    ReportSetup setup() const { return m_setup; }
    // Pages the last rendering painted.
    int renderedPages() const { return m_renderedPages; }

    // The same pages written to a PDF file; false when it cannot be written.
    bool exportPdf(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;

public slots:
    void previewGraphs(QPrinter *printer);
    void updateText();
    void updatePreview();
    // Asks for a file name and exports.
    void on_actionExportPdf_triggered();

private:
    QLineEdit *addTextField(class QToolBar *bar, const QString &label, const QString &value);

    QList<QWidget *> m_graphs;
    ReportSetup m_setup;
    QSpinBox *m_across;
    QSpinBox *m_down;
    QLineEdit *m_title, *m_name, *m_company, *m_email, *m_phone, *m_website;
    QPrintPreviewWidget *m_preview = nullptr;
    int m_renderedPages = 0;
};
