#pragma once
// A read-only readout whose font grows and shrinks with the field, sized so
// that its width template (by default "333333") fits.

#include <QLineEdit>

class FontFitter;

class QLineEditResize : public QLineEdit {
    Q_OBJECT
public:
    explicit QLineEditResize(QWidget *parent = nullptr);

    // The text to show, also while a fit is pending and the field is blank.
    QString text() const;
    QString widthTemplate() const;
    void setWidthTemplate(const QString &widthTemplate); // refits at once
    bool isFitPending() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setText(const QString &text);
    void changeFont();

protected:
    bool event(QEvent *event) override;

private:
    FontFitter *m_fitter;
};
