#pragma once
// A label whose font grows and shrinks with the label, sized so that its
// width template (by default "333333") fits.

#include <QLabel>

class FontFitter;

class QLabelResize : public QLabel {
    Q_OBJECT
public:
    explicit QLabelResize(QWidget *parent = nullptr);

    // The text to show, also while a fit is pending and the label is blank.
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
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    FontFitter *m_fitter;
};
