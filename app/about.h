#pragma once
// The About box: the logo, the version, the maker's rights line and the
// licence notice of the open-source libraries the program uses.

#include <QColor>
#include <QDialog>

namespace Ui {
class About;
}

class About : public QDialog {
    Q_OBJECT
    // Themes set it (qproperty-linkColor) so links read on either background.
    Q_PROPERTY(QColor linkColor READ linkColor WRITE setLinkColor)
public:
    explicit About(QWidget *parent = nullptr);
    ~About() override;

    QColor linkColor() const { return m_linkColor; }
    void setLinkColor(const QColor &colour);

    QString noticeText() const; // the rich text shown

private slots:
    void on_buttonBox_accepted();

private:
    void updateNotice();

    Ui::About *ui;
    QColor m_linkColor{74, 159, 232};
};
