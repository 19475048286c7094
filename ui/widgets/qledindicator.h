#pragma once
// A painted lamp: a checkable button that is lit when checked.

#include <QAbstractButton>
#include <QColor>

class QLedIndicator : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QColor onColor1 READ onColor1 WRITE setOnColor1)
    Q_PROPERTY(QColor onColor2 READ onColor2 WRITE setOnColor2)
    Q_PROPERTY(QColor offColor1 READ offColor1 WRITE setOffColor1)
    Q_PROPERTY(QColor offColor2 READ offColor2 WRITE setOffColor2)
public:
    explicit QLedIndicator(QWidget *parent = nullptr);

    QColor onColor1() const { return m_onColor1; }
    QColor onColor2() const { return m_onColor2; }
    QColor offColor1() const { return m_offColor1; }
    QColor offColor2() const { return m_offColor2; }
    void setOnColor1(const QColor &colour);
    void setOnColor2(const QColor &colour);
    void setOffColor1(const QColor &colour);
    void setOffColor2(const QColor &colour);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_onColor1{0, 255, 0};
    QColor m_onColor2{0, 192, 0};
    QColor m_offColor1{0, 28, 0};
    QColor m_offColor2{0, 128, 0};
};
