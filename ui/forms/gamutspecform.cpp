#include "gamutspecform.h"
#include "ui_gamutspecform.h"

#include "chromagamutspec.h"
#include "dialogs.h"

#include <QFont>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidgetItem>

#include <iterator>

namespace {

struct RangeCheck {
    double low, high;
    const char *line;
};

// In the order of the fields: white, red, green, blue; x then y.
const RangeCheck gamutRanges[8] = {
    {0.28, 0.46, "White x value out of range (.28, .46)\n"},
    {0.28, 0.42, "White y value out of range (.28, .42)\n"},
    {0.5, 0.8, "Red x value out of range (.5, .8)\n"},
    {0.28, 0.42, "Red y value out of range (.28, .42)\n"},
    {0.15, 0.4, "Green x value out of range (.15, .4)\n"},
    {0.5, 0.9, "Green y value out of range (.5, .9)\n"},
    {0.1, 0.25, "Blue x value out of range (.1, .25)\n"},
    {0.01, 0.1, "Blue y value out of range (.01, .1)\n"},
};

// The roll-off combo's entries: clip, then the mastering peaks (cd/m²).
const int rollOffEntries[] = {0, 1000, 4000, 10000};

const int maxNameLength = 10;
const int maxVisibleRows = 9;
const double maxOffSet = 0.015;

bool readNumber(const QLineEdit *edit, double &value) {
    bool ok = false;
    value = edit->text().trimmed().toDouble(&ok);
    return ok;
}

} // namespace

gamutSpecForm::gamutSpecForm(QWidget *parent)
    : QDialog(parent), ui(new Ui::gamutSpecForm), m_spec(ChromaGamutSpec::instance()) {
    ui->setupUi(this);
    QHeaderView *header = ui->tableGamutSpecs->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);

    connect(m_spec, &ChromaGamutSpec::GamutSpecChanged, this, &gamutSpecForm::updateList);
    // The list also has to follow additions, removals and the current choice.
    connect(m_spec, &ChromaGamutSpec::GamutSpecsListChanged, this, &gamutSpecForm::updateList);
    connect(m_spec, &ChromaGamutSpec::CurrentGamutChanged, this, &gamutSpecForm::updateList);
    connect(m_spec, &ChromaGamutSpec::OffSetListChanged, this, &gamutSpecForm::updateOffSets);
    connect(m_spec, &ChromaGamutSpec::CurrentOffSetChanged, this, &gamutSpecForm::updateOffSets);
    connect(ui->listOffSets, &QListWidget::currentRowChanged, this, &gamutSpecForm::offSetChanged);
    connect(ui->tableGamutSpecs, &QTableWidget::itemSelectionChanged, this,
            &gamutSpecForm::updateRemoveButtons);
    connect(ui->listOffSets, &QListWidget::itemSelectionChanged, this,
            &gamutSpecForm::updateRemoveButtons);

    connect(m_spec, &ChromaGamutSpec::transferChanged, this, &gamutSpecForm::updateCurves);
    connect(m_spec, &ChromaGamutSpec::MinBigYChanged, this, &gamutSpecForm::updateCurves);

    updateList();
    updateOffSets();
    updateCurves();
}

void gamutSpecForm::updateCurves() {
    const QSignalBlocker a(ui->comboSdrCurve), b(ui->spinBlack), c(ui->spinHdrPeak),
        d(ui->comboRollOff);
    ui->comboSdrCurve->setCurrentIndex(m_spec->bt1886() ? 1 : 0);
    ui->spinBlack->setValue(m_spec->minBigY());
    ui->spinHdrPeak->setValue(m_spec->hdrPeak());
    for (int i = 0; i < int(std::size(rollOffEntries)); ++i)
        if (rollOffEntries[i] == m_spec->hdrRollOff())
            ui->comboRollOff->setCurrentIndex(i);
}

void gamutSpecForm::on_comboSdrCurve_activated(int index) {
    m_spec->setBt1886(index == 1);
}

void gamutSpecForm::on_spinBlack_editingFinished() {
    m_spec->setMinBigY(ui->spinBlack->value());
}

void gamutSpecForm::on_spinHdrPeak_editingFinished() {
    m_spec->setHdrPeak(ui->spinHdrPeak->value());
}

void gamutSpecForm::on_comboRollOff_activated(int index) {
    if (index >= 0 && index < int(std::size(rollOffEntries)))
        m_spec->setHdrRollOff(rollOffEntries[index]);
}

gamutSpecForm::~gamutSpecForm() {
    delete ui;
}

QString gamutSpecForm::offSetText(const QString &name, double dx, double dy) {
    return QStringLiteral("%1 (%2x, %3y)").arg(name).arg(dx).arg(dy);
}

void gamutSpecForm::updateList() {
    QTableWidget *table = ui->tableGamutSpecs;
    const QSignalBlocker blocker(table);
    const int selected = table->currentRow();
    const QList<NamedGamut> &gamuts = m_spec->gamutSpecs();
    table->setRowCount(gamuts.size());
    for (int row = 0; row < gamuts.size(); ++row) {
        const GamutSpec &s = gamuts.at(row).spec;
        const double points[4][2] = {
            {s.whiteX, s.whiteY}, {s.redX, s.redY}, {s.greenX, s.greenY}, {s.blueX, s.blueY}};
        auto *name = new QTableWidgetItem(gamuts.at(row).name);
        // The current standard stands out; the tool tip tells built-in from user.
        QFont font = name->font();
        font.setBold(row == m_spec->currentGamutIndex());
        name->setFont(font);
        name->setToolTip(ChromaGamutSpec::isBuiltInGamut(row) ? tr("Built-in standard")
                                                              : tr("User standard"));
        table->setItem(row, 0, name);
        for (int c = 0; c < 4; ++c) {
            auto *item = new QTableWidgetItem(
                QStringLiteral("%1, %2").arg(ChromaGamutSpec::shortestNumber(points[c][0]),
                                             ChromaGamutSpec::shortestNumber(points[c][1])));
            item->setTextAlignment(Qt::AlignCenter);
            table->setItem(row, c + 1, item);
        }
    }
    if (selected >= 0 && selected < gamuts.size())
        table->selectRow(selected);
    else
        table->clearSelection();
    fitTableToContents();
    updateRemoveButtons();
}

void gamutSpecForm::fitTableToContents() {
    // Wide enough for every coordinate and tall enough for the built-ins and
    // a few user standards, so nothing is cut off or needs sideways scrolling.
    QTableWidget *table = ui->tableGamutSpecs;
    table->resizeColumnsToContents();
    const int frame = 2 * table->frameWidth();
    const int width = table->horizontalHeader()->length() + frame +
                      table->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8;
    const int rows = qBound(1, table->rowCount(), maxVisibleRows);
    const int rowHeight = table->rowCount() > 0 ? table->rowHeight(0) : 24;
    const int height = table->horizontalHeader()->sizeHint().height() + rows * rowHeight + frame;
    table->setMinimumSize(width, height);
}

void gamutSpecForm::updateOffSets() {
    QListWidget *list = ui->listOffSets;
    const QSignalBlocker blocker(list);
    list->clear();
    for (const WhiteOffSet &o : m_spec->offSets())
        list->addItem(offSetText(o.name, o.dx, o.dy));
    list->setCurrentRow(m_spec->currentOffSetIndex());
    // Every entry readable without sideways scrolling.
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
    updateRemoveButtons();
}

void gamutSpecForm::offSetChanged() {
    const int row = ui->listOffSets->currentRow();
    if (row >= 0)
        m_spec->setCurrentOffSet(row);
}

void gamutSpecForm::updateRemoveButtons() {
    ui->pushRemoveGamutSpec->setEnabled(ui->tableGamutSpecs->currentRow() >= 0 &&
                                        !ui->tableGamutSpecs->selectedItems().isEmpty());
    ui->pushRemoveOffSet->setEnabled(ui->listOffSets->currentRow() >= 0);
}

void gamutSpecForm::on_pushClose_clicked() {
    close();
}

void gamutSpecForm::on_pushAddWhite_clicked() {
    const QString name = ui->lineOffSetName->text().trimmed();
    double dx = 0, dy = 0;
    const bool numbers = readNumber(ui->lineOffSetX, dx) && readNumber(ui->lineOffSetY, dy);
    // Written so that NaN fails too.
    if (!ChromaGamutSpec::isStorableName(name) || !numbers || !(qAbs(dx) < maxOffSet) ||
        !(qAbs(dy) < maxOffSet)) {
        dialogs().warning(this, "Off-Set",
                          "Name must be filled out, the x and y must be less than .01");
        return;
    }
    m_spec->addOffSet({name, dx, dy});
    ui->lineOffSetName->clear();
    ui->lineOffSetX->clear();
    ui->lineOffSetY->clear();
}

void gamutSpecForm::on_pushAddGamut_clicked() {
    QLineEdit *const fields[8] = {ui->lineWhiteX, ui->lineWhiteY, ui->lineRedX,  ui->lineRedY,
                                  ui->lineGreenX, ui->lineGreenY, ui->lineBlueX, ui->lineBlueY};
    double values[8];
    for (int i = 0; i < 8; ++i) {
        if (!readNumber(fields[i], values[i])) {
            dialogs().warning(this, "Gamut Spec", "One of the points were not a number");
            return;
        }
    }
    QString problems;
    for (int i = 0; i < 8; ++i) {
        if (!(values[i] >= gamutRanges[i].low && values[i] <= gamutRanges[i].high))
            problems += QLatin1String(gamutRanges[i].line);
    }
    const QString name = ui->lineGamutName->text().trimmed();
    if (name.isEmpty() || name.size() > maxNameLength)
        problems += "Name needs to be filled in and be less than 11 character.";
    else if (!ChromaGamutSpec::isStorableName(name))
        problems += "Name may not contain \",\" or \";\".";
    if (!problems.isEmpty()) {
        dialogs().warning(this, "Gumat Spec",
                          "There was a problem with Gamut Spec you have entered:\n\n" + problems);
        return;
    }
    UserGamutEntry entry;
    entry.name = name;
    entry.whiteX = values[0];
    entry.whiteY = values[1];
    entry.redX = values[2];
    entry.redY = values[3];
    entry.greenX = values[4];
    entry.greenY = values[5];
    entry.blueX = values[6];
    entry.blueY = values[7];
    m_spec->addGamutSpec(entry);
    ui->lineGamutName->clear();
    for (QLineEdit *field : fields)
        field->clear();
}

void gamutSpecForm::on_pushRemoveOffSet_clicked() {
    const int row = ui->listOffSets->currentRow();
    if (row < 0)
        return;
    if (ChromaGamutSpec::isBuiltInOffSet(row)) {
        dialogs().warning(this, "Off-Set", "You may not delete a default Off-Set");
        return;
    }
    const QString name = m_spec->offSets().at(row).name;
    if (dialogs().question(this, "Off-Set",
                           QString("Are you sure you wish to delete %1?").arg(name),
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        m_spec->removeOffSet(row);
}

void gamutSpecForm::on_pushRemoveGamutSpec_clicked() {
    const int row = ui->tableGamutSpecs->currentRow();
    if (row < 0)
        return;
    if (ChromaGamutSpec::isBuiltInGamut(row)) {
        dialogs().warning(this, "Gamut Spec", "You may not delete a default spec");
        return;
    }
    const QString name = m_spec->gamutSpecs().at(row).name;
    if (dialogs().question(this, "Gamut Spec", "Are you sure you want to delete:\n" + name,
                           QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        m_spec->removeGamutSpec(row);
}
