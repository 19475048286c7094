#pragma once
// The Display Correction window: a target (standard, curve, black), a
// characterisation of the display through the pattern manager (progress and
// Stop are the manager's), the model's fit, the gamut coverage and the
// verification before correction; the 3D table and the ICC profile saved
// where the user says; and a verification run through the correction once
// the table is loaded into the video processor.

#include "correctionrun.h"
#include "measurement.h"
#include "qmemorymainwindow.h"
#include "qpatternmanger.h"

#include <QFutureWatcher>

#include <memory>
#include <string>

namespace Ui {
class DisplayCorrection;
}

class QPortMenu;

class DisplayCorrection : public QMemoryMainWindow {
    Q_OBJECT
public:
    // The window's colorimeter menu mirrors linkTo (the main window's), if given.
    explicit DisplayCorrection(QPortMenu *linkTo = nullptr, QWidget *parent = nullptr);
    ~DisplayCorrection() override;

    QPatternManger *patternManager() const;
    QPortMenu *colorimeterMenu() const { return m_menu; }
    // Null before a characterisation has finished.
    const correction::Correction *result() const { return m_result.get(); }
    // The last verification through the correction, empty before one.
    const std::vector<correction::VerifiedPatch> &verified() const { return m_after; }
    // The model, table and profile are being computed from a characterisation.
    bool isComputing() const { return m_computing; }

private slots:
    void on_pushRun_clicked();
    void on_pushVerify_clicked();
    void on_pushSaveCube_clicked();
    void on_pushSaveIcc_clicked();
    void on_comboCurve_currentIndexChanged(int index);
    void measureDone(const Measurement &m, QPatternManger::measureDevice tag, int index);
    void runFinished(QPatternManger::measureDevice tag);
    void setButtons(bool running);

private:
    enum class Mode { Idle, Characterise, Verify };
    bool start(Mode mode, const std::vector<std::pair<std::string, correction::Patch>> &patches);
    correction::TargetSpec targetSpec() const;
    // Computes the correction from the characterisation off the GUI thread
    // (a display whose channels interact takes seconds), then shows it.
    void characterised();
    void computed();
    void showResults();
    // The last verification found the display further off than before.
    bool verifiedFurther() const;
    // The path saved to, empty when nothing was.
    QString saveBytes(const QString &caption, const QString &filter, const QByteArray &bytes);

    Ui::DisplayCorrection *ui;
    QPortMenu *m_menu;
    Mode m_mode = Mode::Idle;
    std::vector<std::pair<std::string, correction::Patch>> m_patches;
    std::vector<correction::MeasuredPatch> m_measured;
    std::shared_ptr<correction::Correction> m_result;
    QString m_standardName;
    std::vector<correction::VerifiedPatch> m_after;
    struct Computed {
        std::shared_ptr<correction::Correction> correction; // null when none could be made
        std::string why;
        QString standard;
    };
    QFutureWatcher<Computed> m_compute;
    bool m_computing = false;
};
