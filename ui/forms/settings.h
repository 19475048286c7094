#pragma once
// The application settings dialog: units, significant digits, optional
// devices, colorimeter speed and averaging, theme and gamut standard.

#include <QDialog>
#include <QPair>
#include <QSettings>
#include <QString>
#include <QVariant>
#include <QVector>

namespace Ui {
class Settings;
}

class Settings : public QDialog {
    Q_OBJECT
public:
    // Whoever opens the dialog connects updateSettings() to what must follow
    // an accepted change.
    explicit Settings(QWidget *parent = nullptr);
    ~Settings() override;

    // The keys and values acceptance writes, in the order it writes them.
    QVector<QPair<QString, QVariant>> valuesToStore() const;

    static const char *const nightTheme;
    static const char *const dayTheme;

signals:
    void updateSettings();

private slots:
    void on_buttonBox_accepted();
    void on_pushButton_clicked();

private:
    void loadControls();

    Ui::Settings *ui;
    QSettings m_settings;
};
