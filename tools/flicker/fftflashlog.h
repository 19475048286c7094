#pragma once
// Asks for a flicker log's file, how long it runs and, for a flash log, the
// threshold a flash must reach.

#include <QDialog>

namespace Ui {
class FFTFlashLog;
}

class FFTFlashLog : public QDialog {
    Q_OBJECT
public:
    // showThreshold: the flash log's dialog; the others hide that row.
    explicit FFTFlashLog(bool showThreshold, QWidget *parent = nullptr);
    ~FFTFlashLog() override;

    QString path() const;
    double threshold() const; // % Diff * Second
    double minutes() const;   // 0: until flickering stops

    void setPath(const QString &path);
    void setMinutes(double minutes);
    void setThreshold(double threshold);

public slots:
    // Only with a file named.
    void accept() override;

private slots:
    void on_pushBrowse_clicked();
    void updateOk();

private:
    Ui::FFTFlashLog *ui;
};
