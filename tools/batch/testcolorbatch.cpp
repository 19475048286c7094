#include "testcolorbatch.h"
#include "ui_testcolorbatch.h"

#include "appsettings.h"
#include "atomicsave.h"
#include "chromagamutspec.h"
#include "devicetypes.h"
#include "dialogs.h"
#include "genmeasure.h"
#include "genpattern.h"
#include "newcolors.h"
#include "newpatches.h"
#include "patternsequence.h"
#include "qportmenu.h"
#include "reports.h"
#include "saveheaders.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

namespace {

const char *const startRun = "Start Run";

enum Column { NameColumn, RedColumn, GreenColumn, BlueColumn, SwatchColumn };

QString readError(const BatchRead &r) {
    switch (r.status) {
    case BatchRead::Ok:
        return QString();
    case BatchRead::BadFormat:
        return QStringLiteral("The file you have selected wasn't in the correct format.");
    case BatchRead::BadColor:
        return QStringLiteral("The file you have selected had a bad color.");
    case BatchRead::OutOfRange:
        return QStringLiteral("The file you have selected had a color value outside 0 to %1 "
                              "on line %2.")
            .arg((1 << r.bits) - 1)
            .arg(r.line);
    case BatchRead::BadDepth:
        return QStringLiteral("The file you have selected gives a bit depth other than 8 or 10 "
                              "on line %1.")
            .arg(r.line);
    }
    return QString();
}

} // namespace

TestColorBatch::TestColorBatch(QPortMenu *linkTo, QWidget *parent, const DefaultBatch &defaultBatch)
    : QMemoryMainWindow(QStringLiteral("testColorBatch"), parent), ui(new Ui::TestColorBatch),
      m_defaultBatch(defaultBatch) {
    ui->setupUi(this);
    m_menu = QPortMenu::addColorimeterMenu(ui->menubar);
    if (linkTo)
        m_menu->linkTo(linkTo);
    m_device = m_menu->device();
    connect(m_device, &GenDevice::connected, this, &TestColorBatch::torvaConnected);
    connect(m_device, &GenDevice::closed, this, &TestColorBatch::torvaClosed);
    connect(m_device, &GenMeasure::calfileChanged, this, &TestColorBatch::torvaCalFileChanged);

    QPatternManger *manager = ui->patternManager;
    connect(manager, &QPatternManger::Measured, this, &TestColorBatch::measureDone);
    connect(manager, &QPatternManger::Aborted, this, &TestColorBatch::Aborted);
    connect(manager, &QPatternManger::finished, this, &TestColorBatch::finished);
    connect(manager, QOverload<bool>::of(&QPatternManger::isRunning), this,
            &TestColorBatch::setButtons);
    connect(manager, &QPatternManger::changedColorIndex, this, &TestColorBatch::changeColorIndex);
    connect(manager, &QPatternManger::runEnded, this, [this](const QString &summary) {
        statusBar()->showMessage(m_results.path().isEmpty()
                                     ? summary
                                     : summary + QStringLiteral(", written to ") +
                                           QDir::toNativeSeparators(m_results.path()));
    });
    connect(ui->tableColors, &QTableWidget::cellChanged, this, &TestColorBatch::nameEdited);

    ui->tableColors->setColumnCount(5);
    ui->tableColors->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Red"),
                                                QStringLiteral("Green"), QStringLiteral("Blue"),
                                                QString()});
    ui->tableColors->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);

    m_chooser = [this](bool *accepted) { return saveHeaders::getHeaders(this, accepted); };
    loadDefaultBatch();
    torvaClosed();
    if (m_menu->currentDevice())
        torvaConnected();
    if (!appSettings().value("messageBox", false).toBool())
        QTimer::singleShot(0, this, &TestColorBatch::messageBox);
}

TestColorBatch::~TestColorBatch() {
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    ui->patternManager->abort();
    delete ui;
}

QPatternManger *TestColorBatch::patternManager() const {
    return ui->patternManager;
}

void TestColorBatch::setPatches(const QList<ColorPatch> &patches) {
    m_patches = patches;
    refreshTable();
}

// ---- The default batch ----

void TestColorBatch::loadDefaultBatch() {
    const QString path = m_defaultBatch.readPath();
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        // An unreadable line keeps the patches before it, as an import does.
        setPatches(readBatch(QString::fromUtf8(file.readAll())).patches);
        return;
    }
    const ChromaGamutSpec *spec = ChromaGamutSpec::instance();
    setPatches(newpatches::builtInBatch(spec->videoMin(), spec->videoMax()));
}

void TestColorBatch::messageBox() {
    const QString title = QStringLiteral("Default Load");
    const QString text = QStringLiteral("We have loaded the default batch.\nIf you would like to "
                                        "change, go to the File and select set default.\n");
    if (!dynamic_cast<WidgetDialogs *>(&dialogs())) {
        // Scripted dialogs have no check box; the notice stays on.
        dialogs().information(this, title, text, QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
    auto *dontShow = new QCheckBox(QStringLiteral("Do not display this message again."), &box);
    box.setCheckBox(dontShow);
    box.exec();
    appSettings().setValue("messageBox", dontShow->isChecked());
}

bool TestColorBatch::confirmDefaultOverwrite() {
    return dialogs().question(this, QStringLiteral("Overwrite Default Batch"),
                              QStringLiteral("Are you sure you want to overwrite the default "
                                             "batch?"),
                              QMessageBox::Yes | QMessageBox::Abort,
                              QMessageBox::Abort) == QMessageBox::Yes;
}

bool TestColorBatch::writeDefault(const QString &text) {
    if (m_defaultBatch.relocated() && !m_relocationShown) {
        m_relocationShown = true;
        dialogs().information(this, QStringLiteral("Default Batch"),
                              QStringLiteral("The program's folder cannot be written, so the "
                                             "default batch is kept in\n%1")
                                  .arg(m_defaultBatch.writePath()),
                              QMessageBox::Ok, QMessageBox::Ok);
    }
    if (!m_defaultBatch.prepareWrite() ||
        saveAtomically(m_defaultBatch.writePath(), text.toUtf8()) != SaveResult::Saved) {
        dialogs().warning(this, QStringLiteral("Export"),
                          QStringLiteral("The file couldn't be opened."), QMessageBox::Ok,
                          QMessageBox::Ok);
        return false;
    }
    return true;
}

void TestColorBatch::on_actionSet_Default_triggered() {
    if (confirmDefaultOverwrite())
        writeDefault(writeBatch(m_patches));
}

void TestColorBatch::on_actionClear_Default_triggered() {
    if (confirmDefaultOverwrite())
        writeDefault(QString());
}

void TestColorBatch::on_actionReset_Default_triggered() {
    const QString path = m_defaultBatch.writePath();
    if (!QFile::exists(path))
        return;
    if (dialogs().question(this, QStringLiteral("Resetting Default Batch"),
                           QStringLiteral("Are you sure you want to reset the default batch?"),
                           QMessageBox::Yes | QMessageBox::Abort,
                           QMessageBox::Abort) == QMessageBox::Yes)
        QFile::remove(path);
}

// ---- Editing ----

void TestColorBatch::refreshTable() {
    const QSignalBlocker block(ui->tableColors);
    ui->tableColors->setRowCount(m_patches.size());
    for (int row = 0; row < m_patches.size(); ++row) {
        const ColorPatch &p = m_patches.at(row);
        const std::array<int, 3> values = p.codes();
        auto *name = new QTableWidgetItem(p.name);
        ui->tableColors->setItem(row, NameColumn, name);
        for (int c = 0; c < 3; ++c) {
            auto *item = new QTableWidgetItem(QString::number(values[c]));
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            ui->tableColors->setItem(row, RedColumn + c, item);
        }
        auto *swatch = new QTableWidgetItem();
        swatch->setFlags(swatch->flags() & ~Qt::ItemIsEditable);
        swatch->setBackground(p.color);
        ui->tableColors->setItem(row, SwatchColumn, swatch);
    }
    const int bits = deepestBits(m_patches);
    if (bits > 8) {
        QList<Codes> codes;
        for (const ColorPatch &p : m_patches)
            codes << codesAtBits(p, bits);
        ui->patternManager->setCodes(codes, runStandard().range);
        return;
    }
    QList<QColor> colors;
    for (const ColorPatch &p : m_patches)
        colors << p.color;
    ui->patternManager->setColors(colors);
}

VideoStandard TestColorBatch::runStandard() const {
    VideoStandard s = ChromaGamutSpec::instance()->currentVideoStandard();
    s.range = rangeAtBits(s.range, deepestBits(m_patches));
    return s;
}

void TestColorBatch::nameEdited(int row, int column) {
    if (column == NameColumn && row >= 0 && row < m_patches.size())
        m_patches[row].name = ui->tableColors->item(row, column)->text();
}

QList<int> TestColorBatch::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex &i : ui->tableColors->selectionModel()->selectedRows())
        rows << i.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TestColorBatch::selectRows(const QList<int> &rows) {
    ui->tableColors->clearSelection();
    const QAbstractItemView::SelectionMode mode = ui->tableColors->selectionMode();
    ui->tableColors->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int row : rows)
        ui->tableColors->selectRow(row);
    ui->tableColors->setSelectionMode(mode);
}

void TestColorBatch::on_pushAddNew_clicked() {
    NewColors dialog(this);
    if (dialog.exec() == QDialog::Accepted && !dialog.patches().isEmpty())
        setPatches(m_patches + dialog.patches());
}

void TestColorBatch::newDelete() {
    on_pushDeleteSelect_clicked();
}

void TestColorBatch::on_pushDeleteSelect_clicked() {
    const QList<int> rows = selectedRows();
    for (int i = rows.size() - 1; i >= 0; --i)
        m_patches.removeAt(rows.at(i));
    refreshTable();
}

void TestColorBatch::on_pushDeleteAll_clicked() {
    if (dialogs().question(this, QStringLiteral("Clear All"),
                           QStringLiteral("Are you sure you want to clear all?"),
                           QMessageBox::Yes | QMessageBox::Cancel,
                           QMessageBox::Cancel) == QMessageBox::Yes)
        setPatches({});
}

void TestColorBatch::moveSelection(int step) {
    QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    // Each selected patch moves one place unless a selected neighbour at
    // the edge blocks it, so a block of rows moves together.
    if (step > 0)
        std::reverse(rows.begin(), rows.end());
    QList<int> moved;
    for (int row : rows) {
        const int to = row + step;
        if (to < 0 || to >= m_patches.size() || moved.contains(to)) {
            moved << row;
            continue;
        }
        m_patches.swapItemsAt(row, to);
        moved << to;
    }
    refreshTable();
    selectRows(moved);
}

void TestColorBatch::on_pushMoveUp_clicked() {
    moveSelection(-1);
}

void TestColorBatch::on_pushMoveDown_clicked() {
    moveSelection(1);
}

// ---- Import and export ----

void TestColorBatch::on_pushImport_clicked() {
    const QString path = dialogs().getOpenFileName(this, QStringLiteral("Import"), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        importFile(path);
}

void TestColorBatch::on_actionImport_triggered() {
    on_pushImport_clicked();
}

void TestColorBatch::importFile(const QString &path) {
    const QString title = QStringLiteral("Import");
    if (!m_patches.isEmpty()) {
        if (dialogs().question(this, title,
                               QStringLiteral("There are currently color patches in the batch. "
                                              "This will clear the current batch. Do you want "
                                              "to proceed?"),
                               QMessageBox::Yes | QMessageBox::Cancel,
                               QMessageBox::Cancel) != QMessageBox::Yes)
            return;
        setPatches({});
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        dialogs().warning(this, title, QStringLiteral("The file cannot be opened."),
                          QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const BatchRead r = readBatch(QString::fromUtf8(file.readAll()));
    setPatches(r.patches);
    if (r.status != BatchRead::Ok)
        dialogs().warning(this, title, readError(r), QMessageBox::Ok, QMessageBox::Ok);
}

void TestColorBatch::on_pushExport_clicked() {
    const QString title = QStringLiteral("Export");
    if (m_patches.isEmpty()) {
        dialogs().information(this, title, QStringLiteral("You must have a batch to be saved."),
                              QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const QString path =
        dialogs().getSaveFileName(this, title, QString(), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    if (saveAtomically(path, writeBatch(m_patches).toUtf8()) != SaveResult::Saved)
        dialogs().warning(this, title, QStringLiteral("The file couldn't be opened."),
                          QMessageBox::Ok, QMessageBox::Ok);
}

void TestColorBatch::on_actionExport_triggered() {
    on_pushExport_clicked();
}

// ---- Running ----

void TestColorBatch::on_pushRun_clicked() {
    const QString title = QString::fromLatin1(startRun);
    auto refuse = [&](const QString &text) {
        dialogs().warning(this, title, text, QMessageBox::Ok, QMessageBox::Ok);
    };
    GenMeasure *device = m_menu->currentDevice();
    if (!device)
        return refuse(QStringLiteral("You must have a Torva Device hooked up."));
    if (m_patches.isEmpty())
        return refuse(QStringLiteral("You must add color patches to the batch."));
    if (!ui->patternManager->generator())
        return refuse(QStringLiteral("You must have a Pattern Generator to run the batch\nOR you "
                                     "may set the Pattern Generator to \"PC Pattern Gen Screen "
                                     "1\"."));
    bool accepted = false;
    const QList<bool> flags = m_chooser(&accepted);
    if (!accepted)
        return;
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Save Logging"), QString(),
                                                   QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    // HDR runs and deep patches carry their targets, ΔE2000 and ΔE ITP.
    m_runStandard = runStandard();
    BatchColumns columns = BatchColumns::fromChooserFlags(flags, isNits());
    columns.targets = m_runStandard.curve.isHdr() || m_runStandard.range.bits > 8;
    if (!m_results.open(path, columns))
        return refuse(QStringLiteral("Could not open the file."));
    m_writeFailed = false;
    m_runList = m_patches;
    m_shownRange = m_runStandard.range;
    m_runPatches.clear();
    m_runMeasured.clear();
    refreshTable(); // the manager runs the batch as it stands
    ui->patternManager->start(device, QPatternManger::TorvaRun);
    if (!ui->patternManager->isRunning())
        m_results.close();
}

void TestColorBatch::measureDone(const Measurement &m, QPatternManger::measureDevice, int index) {
    if (index < 0 || index >= m_runList.size())
        return;
    // What the generator showed: a shallower one gets the nearest codes, and
    // the targets follow them.
    const ShownCodes shown = ui->patternManager->sequence()->shownCodes(index);
    m_runPatches << ColorPatch::withCodes(m_runList.at(index).name, shown.code, shown.range.bits);
    m_runMeasured << m;
    m_shownRange = shown.range;
    const PatchJudgement judged = judgePatch(shown, m, m_runStandard);
    if (!m_results.isOpen() || m_results.append(m_runList.at(index).name, m, &judged) ||
        m_writeFailed)
        return;
    m_writeFailed = true; // said once; the run goes on and the rows stay in the report
    dialogs().warning(
        this, QString::fromLatin1(startRun),
        QStringLiteral("The results file could not be written:\n%1").arg(m_results.path()),
        QMessageBox::Ok, QMessageBox::Ok);
}

void TestColorBatch::finished(QPatternManger::measureDevice) {
    m_results.close();
    dialogs().information(this, QStringLiteral("Finished Run"),
                          QStringLiteral("The batch has finished"), QMessageBox::Ok,
                          QMessageBox::Ok);
}

void TestColorBatch::Aborted(QPatternManger::measureDevice) {
    m_results.close();
}

void TestColorBatch::setButtons(bool running) {
    m_running = running;
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui->pushAddNew, ui->pushDeleteSelect, ui->pushDeleteAll, ui->pushMoveUp,
             ui->pushMoveDown, ui->pushImport, ui->pushExport, ui->pushRun})
        w->setEnabled(!running);
    ui->pushCalfile->setEnabled(!running && m_menu->currentDevice());
    ui->menuFile->setEnabled(!running);
    ui->tableColors->setEditTriggers(running ? QAbstractItemView::NoEditTriggers
                                             : QAbstractItemView::DoubleClicked |
                                                   QAbstractItemView::EditKeyPressed);
}

void TestColorBatch::changeColorIndex(int index) {
    if (index >= 0 && index < ui->tableColors->rowCount())
        ui->tableColors->selectRow(index);
}

void TestColorBatch::closeEvent(QCloseEvent *event) {
    ui->patternManager->abort();
    if (parentWidget())
        parentWidget()->window()->show();
    QMemoryMainWindow::closeEvent(event);
}

// ---- Colorimeter and profile ----

void TestColorBatch::showProfile() {
    if (!m_menu->currentDevice()) {
        ui->lineProfile->clear();
        return;
    }
    ui->lineProfile->setText(
        QStringLiteral("%1: %2").arg(m_device->calFileIndex()).arg(m_device->calFileName()));
}

void TestColorBatch::torvaConnected() {
    showProfile();
    ui->pushCalfile->setEnabled(!m_running);
}

void TestColorBatch::torvaClosed() {
    ui->lineProfile->clear();
    ui->pushCalfile->setEnabled(false);
}

void TestColorBatch::torvaCalFileChanged() {
    showProfile();
}

QList<QPair<int, QString>> TestColorBatch::profileChoices(const QStringList &entries) {
    QList<QPair<int, QString>> out;
    for (int i = 0; i < entries.size(); ++i) {
        // Each entry already reads "slot: name"; empty slots are not offered.
        const QString &entry = entries.at(i);
        const int colon = entry.indexOf(QLatin1String(": "));
        bool numbered = false;
        const int slot = colon > 0 ? entry.left(colon).toInt(&numbered) : i;
        const QString name = colon > 0 ? entry.mid(colon + 2).trimmed() : entry.trimmed();
        if (name.isEmpty() || name.compare(QLatin1String("blank"), Qt::CaseInsensitive) == 0)
            continue;
        out.append(
            {numbered ? slot : i, numbered ? entry : QStringLiteral("%1: %2").arg(i).arg(name)});
    }
    return out;
}

void TestColorBatch::on_pushCalfile_clicked() {
    if (!m_menu->currentDevice())
        return;
    QMenu menu(this);
    const int current = m_device->calFileIndex();
    for (const auto &choice : profileChoices(m_device->calFileList())) {
        QAction *a = menu.addAction(choice.second);
        a->setCheckable(true);
        a->setChecked(choice.first == current);
        const int slot = choice.first;
        connect(a, &QAction::triggered, this, [this, slot] { m_device->setCalFile(slot); });
    }
    menu.exec(ui->pushCalfile->mapToGlobal(QPoint(0, ui->pushCalfile->height())));
}

// ---- Reports ----

ReportSetup TestColorBatch::reportSetup() const {
    ReportSetup setup = Reports::currentSetup(
        m_menu->currentDevice(), ui->patternManager->generator(), QStringLiteral("batch"),
        QStringLiteral("Display Measurement Report"));
    VideoStandard shown = m_runStandard;
    shown.range = m_shownRange;
    setup.standard = Reports::standardOf(setup.standard.name, shown);
    setup.tables << comparePatches(QStringLiteral("Batch results"), m_runPatches, m_runMeasured,
                                   setup.standard);
    return setup;
}

bool TestColorBatch::exportReport(const QString &pdfPath) {
    if (m_runPatches.isEmpty())
        return false;
    const ReportSetup setup = reportSetup();
    QWidget holder;
    return Reports::exportPdf(pdfPath,
                              Reports::patchGraphs(setup.tables.first(), setup.standard, &holder),
                              setup, Reports::patchGraphsAcross, Reports::patchGraphsDown);
}

void TestColorBatch::on_actionPrint_Report_triggered() {
    if (m_runPatches.isEmpty()) {
        dialogs().information(this, QStringLiteral("Print Report"),
                              QStringLiteral("Run the batch first: the report shows the "
                                             "patches of the last run."),
                              QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    const ReportSetup setup = reportSetup();
    QWidget holder;
    Reports::preview(this, Reports::patchGraphs(setup.tables.first(), setup.standard, &holder),
                     setup);
}

void TestColorBatch::on_actionExport_Report_triggered() {
    if (m_runPatches.isEmpty()) {
        on_actionPrint_Report_triggered(); // says why there is nothing
        return;
    }
    const QString path = dialogs().getSaveFileName(this, QStringLiteral("Export PDF"), QString(),
                                                   QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty() && !exportReport(path))
        dialogs().warning(this, QStringLiteral("Export PDF"),
                          QStringLiteral("The PDF file couldn't be written."), QMessageBox::Ok,
                          QMessageBox::Ok);
}
