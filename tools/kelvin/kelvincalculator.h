#pragma once
// Converts one colour description into every other: a colour entered in any
// notation is converted through the colour library with the current gamut
// standard, every field is filled from the result and the colour is
// plotted. Refused input leaves every field as it was and says why.

#include "kelvinconvert.h"
#include "qmemorymainwindow.h"

#include <array>

namespace Ui {
class KelvinCalculator;
}
class ChromaGamutSpec;
class QLineEditViewChange;

class KelvinCalculator : public QMemoryMainWindow {
    Q_OBJECT
public:
    explicit KelvinCalculator(QWidget *parent = nullptr);
    ~KelvinCalculator() override;

    QLineEditViewChange *field(KelvinField f) const { return m_fields[f]; }
    bool hasColour() const { return m_haveColour; }
    const Measurement &colour() const { return m_colour; }

signals:
    // A hidden-mode word switched a mode: windows offering its entries
    // show or hide them now.
    void hiddenModesChanged();

public slots:
    void updateGamut();

private slots:
    void on_pushD65_clicked();
    void on_pushConvertxy_clicked();
    void on_pushConvertK_clicked();
    void on_pushConvertuv_clicked();
    void on_pushConvertnm_clicked();
    void on_pushConvertNTSC_clicked();
    void on_pushConvertXYZ_clicked();
    void on_pushConvertHSV_clicked();
    void on_pushConvertLab_clicked();
    void on_radioPlotXY_clicked();
    void on_radioPlotuv_clicked();
    void on_radioHue_clicked();
    void on_pushClear_clicked();
    void on_pushGamutSetting_clicked();
    void on_pushClose_clicked();

private:
    void convert(KelvinNotation notation);
    void display(const Measurement &m);
    void setUpGraph();
    void plot();

    Ui::KelvinCalculator *ui;
    ChromaGamutSpec *m_spec;
    std::array<QLineEditViewChange *, kelvinFieldCount> m_fields{};
    Measurement m_colour;
    bool m_haveColour = false;
};
