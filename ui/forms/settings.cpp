#include "settings.h"
#include "ui_settings.h"

#include "gamutspecform.h"
#include "theme.h"

#include <QApplication>

const char *const Settings::nightTheme = ":/themes/night.qss";
const char *const Settings::dayTheme = ":/themes/day.qss";

Settings::Settings(QWidget *parent) : QDialog(parent), ui(new Ui::Settings) {
    ui->setupUi(this);
    loadControls();
}

Settings::~Settings() {
    delete ui;
}

void Settings::loadControls() {
    const bool nits = m_settings.value("isNits", true).toBool();
    ui->radioNits->setChecked(nits);
    ui->radioFootLamberts->setChecked(!nits);

    const bool four = m_settings.value("sigFigs", 3).toInt() == 4;
    ui->radio4Digits->setChecked(four);
    ui->radio3Digits->setChecked(!four);

    ui->checkPR650->setChecked(m_settings.value("checkPR650", false).toBool());
    ui->checkCS2000->setChecked(m_settings.value("checkCS2000", false).toBool());
    ui->checkBM7->setChecked(m_settings.value("checkBM7", false).toBool());
    // Combo index = sync mode + 1 (mode -1 leaves the instrument's own);
    // unknown modes show the default, internal sync.
    const int syncMode = m_settings.value("cs2000SyncMode", 1).toInt();
    ui->comboCS2000Sync->setCurrentIndex(syncMode >= -1 && syncMode <= 2 ? syncMode + 1 : 2);
    ui->doubleCS2000SyncHz->setValue(m_settings.value("cs2000SyncHz", 60.0).toDouble());
    ui->doubleCS2000SyncHz->setEnabled(ui->comboCS2000Sync->currentIndex() == 2);
    connect(ui->comboCS2000Sync, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) { ui->doubleCS2000SyncHz->setEnabled(index == 2); });
    ui->checkTorvaPatternGenerator->setChecked(
        m_settings.value("checkTorvaPatternGenerator", false).toBool());

    // An unknown speed would leave the combo empty and be stored back as -1.
    const int speed = m_settings.value("torvaSpeed", 0).toInt();
    ui->comboSpeed->setCurrentIndex(speed >= 0 && speed < ui->comboSpeed->count() ? speed : 0);
    ui->spinMaxAvg->setValue(m_settings.value("torvaMaxAvg", 32).toInt());

    // Neither theme button is checked when "Theme" names some other sheet.
    const QString theme = m_settings.value("Theme", nightTheme).toString();
    ui->radioNight->setChecked(theme == QLatin1String(nightTheme));
    ui->radioDay->setChecked(theme == QLatin1String(dayTheme));
}

QVector<QPair<QString, QVariant>> Settings::valuesToStore() const {
    QString theme;
    if (ui->radioNight->isChecked())
        theme = nightTheme;
    else if (ui->radioDay->isChecked())
        theme = dayTheme;
    return {
        {"isNits", ui->radioNits->isChecked()},
        {"sigFigs", ui->radio4Digits->isChecked() ? 4 : 3},
        {"checkPR650", ui->checkPR650->isChecked()},
        {"checkCS2000", ui->checkCS2000->isChecked()},
        {"checkBM7", ui->checkBM7->isChecked()},
        {"cs2000SyncMode", ui->comboCS2000Sync->currentIndex() - 1},
        {"cs2000SyncHz", ui->doubleCS2000SyncHz->value()},
        {"checkTorvaPatternGenerator", ui->checkTorvaPatternGenerator->isChecked()},
        {"torvaSpeed", ui->comboSpeed->currentIndex()},
        {"torvaMaxAvg", ui->spinMaxAvg->value()},
        {"Theme", theme},
    };
}

void Settings::on_buttonBox_accepted() {
    for (const auto &entry : valuesToStore())
        m_settings.setValue(entry.first, entry.second);
    applyStyleAndTheme(*qApp);
    emit updateSettings();
    accept();
}

void Settings::on_pushButton_clicked() {
    gamutSpecForm form(this);
    form.exec();
}
