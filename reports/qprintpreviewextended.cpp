#include "qprintpreviewextended.h"

#include "dialogs.h"
#include "reportpainter.h"
#include "windowplacement.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QSpinBox>
#include <QToolBar>

QPrintPreviewExtended::QPrintPreviewExtended(QPrinter *printer, QWidget *parent,
                                             const QList<QWidget *> &graphs,
                                             const ReportSetup &setup, int across, int down)
    : QPrintPreviewDialog(printer, parent), m_graphs(graphs), m_setup(setup) {
    m_preview = findChild<QPrintPreviewWidget *>();
    // The standard dialog keeps its tool bar in an inner main window; the
    // two report tool bars go below it.
    auto *inner = findChild<QMainWindow *>();

    auto *layoutBar = new QToolBar(QStringLiteral("Layout"), this);
    m_across = new QSpinBox(layoutBar);
    m_across->setObjectName(QStringLiteral("spinAcross"));
    m_across->setPrefix(QStringLiteral(" Graphs Across: "));
    m_across->setRange(1, 3);
    m_across->setValue(across);
    m_down = new QSpinBox(layoutBar);
    m_down->setObjectName(QStringLiteral("spinDown"));
    m_down->setPrefix(QStringLiteral(" Graphs Down: "));
    m_down->setRange(1, 4);
    m_down->setValue(down);
    layoutBar->addWidget(m_across);
    layoutBar->addWidget(m_down);
    layoutBar->addSeparator();
    QAction *exportPdf = layoutBar->addAction(QStringLiteral("Export PDF"));
    exportPdf->setObjectName(QStringLiteral("actionExportPdf"));

    auto *textBar = new QToolBar(QStringLiteral("Report Text"), this);
    m_title = addTextField(textBar, QStringLiteral("Title: "), setup.texts.title);
    m_name = addTextField(textBar, QStringLiteral("Name: "), setup.texts.name);
    m_company = addTextField(textBar, QStringLiteral("Company: "), setup.texts.company);
    m_email = addTextField(textBar, QStringLiteral("Email: "), setup.texts.email);
    m_phone = addTextField(textBar, QStringLiteral("Phone Number: "), setup.texts.phone);
    m_website = addTextField(textBar, QStringLiteral("Website: "), setup.texts.website);
    QAction *update = textBar->addAction(QStringLiteral("Update Text"));

    if (inner) {
        inner->addToolBarBreak();
        inner->addToolBar(layoutBar);
        inner->addToolBarBreak();
        inner->addToolBar(textBar);
    }

    connect(this, &QPrintPreviewDialog::paintRequested, this,
            &QPrintPreviewExtended::previewGraphs);
    connect(m_across, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &QPrintPreviewExtended::updatePreview);
    connect(m_down, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &QPrintPreviewExtended::updatePreview);
    connect(update, &QAction::triggered, this, &QPrintPreviewExtended::updateText);
    connect(exportPdf, &QAction::triggered, this,
            &QPrintPreviewExtended::on_actionExportPdf_triggered);
}

QPrintPreviewExtended::~QPrintPreviewExtended() = default;

void QPrintPreviewExtended::showEvent(QShowEvent *event) {
    // Open at a size where a page can be read: most of the screen, a whole
    // page width at a time.
    const QRect screen = placement::availableFor(this);
    resize(screen.width() * 4 / 5, screen.height() * 9 / 10);
    placement::centreOverParent(this);
    if (m_preview)
        m_preview->fitToWidth();
    QPrintPreviewDialog::showEvent(event);
    placement::keepOnScreenWhenFramed(this);
}

QLineEdit *QPrintPreviewExtended::addTextField(QToolBar *bar, const QString &label,
                                               const QString &value) {
    bar->addWidget(new QLabel(label, bar));
    auto *edit = new QLineEdit(value, bar);
    edit->setMinimumWidth(label.startsWith(QLatin1String("Title")) ? 260 : 120);
    bar->addWidget(edit);
    return edit;
}

void QPrintPreviewExtended::updateText() {
    m_setup.texts = {m_title->text(), m_name->text(),  m_company->text(),
                     m_email->text(), m_phone->text(), m_website->text()};
    updatePreview();
}

void QPrintPreviewExtended::updatePreview() {
    if (m_preview)
        m_preview->updatePreview();
}

void QPrintPreviewExtended::previewGraphs(QPrinter *printer) {
    printer->setResolution(reportDpi);
    ReportPainter painter(m_setup, m_graphs, m_across->value(), m_down->value());
    const bool range = printer->printRange() == QPrinter::PageRange ||
                       printer->printRange() == QPrinter::CurrentPage;
    m_renderedPages = painter.paint(printer, range, printer->fromPage(), printer->toPage());
}

bool QPrintPreviewExtended::exportPdf(const QString &path) {
    return writeReportPdf(path, m_setup, m_graphs, m_across->value(), m_down->value());
}

void QPrintPreviewExtended::on_actionExportPdf_triggered() {
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Export PDF"), QString(),
                                                   QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!exportPdf(path))
        dialogs().warning(this, QStringLiteral("Export PDF"),
                          QStringLiteral("The PDF file couldn't be written."), QMessageBox::Ok,
                          QMessageBox::Ok);
}
