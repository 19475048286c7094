#pragma once
// Turns part of the computer's screen into a colour patch the colorimeter
// can be held against: the colour comes from sliders, preset buttons or the
// main window's current target, and the colorimeter's readings are shown
// beside it.

#include "measurement.h"
#include "qmemorymainwindow.h"

#include <QColor>

namespace Ui {
class TestPanel;
}
class GenMeasure;

class TestPanel : public QMemoryMainWindow {
    Q_OBJECT
public:
    // Readings come from device's measured() (the colorimeter menu's wrapper).
    explicit TestPanel(GenMeasure *device = nullptr, QWidget *parent = nullptr);
    ~TestPanel() override;

    QColor panelColour() const;
    bool isLinked() const;
    int refreshCount() const { return m_refreshes; }

    // The style sheet of the panel, and the groove gradient of a channel's
    // slider (0 red, 1 green, 2 blue) with the other two at their values.
    static QString panelStyle(int r, int g, int b);
    static QString grooveGradient(int channel, int r, int g, int b);

public slots:
    void on_pushWhite_clicked();
    void on_pushGray_clicked();
    void on_pushBlack_clicked();
    void slider_valueChanged();
    void on_sliderRed_valueChanged(int value);
    void on_sliderGreen_valueChanged(int value);
    void on_sliderBlue_valueChanged(int value);
    void on_sliderWhite_valueChanged(int value);
    void on_pushRed_clicked();
    void on_pushGreen_clicked();
    void on_pushBlue_clicked();
    void on_pushCyan_clicked();
    void on_pushMagenta_clicked();
    void on_pushYellow_clicked();
    void measure(const Measurement &m);
    void updateColor(const QColor &colour);
    void on_pushMapColor_clicked();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Sets the three colour sliders as one change.
    void setColour(int r, int g, int b);
    void preset(int r, int g, int b);
    void unlink();
    void refresh();
    void restoreSettings();
    void storeSettings();

    Ui::TestPanel *ui;
    QColor m_target; // the main window's last target colour
    bool m_guard = false;
    bool m_open = false;
    int m_refreshes = 0;
};
