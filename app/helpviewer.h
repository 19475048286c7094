#pragma once
// A small window showing the help page compiled into the program, so help
// works without a network, a browser or an installed documentation folder.

#include <QDialog>

class QTextBrowser;

class HelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    static const char *const pageUrl; // "qrc:/help/index.html"

    QTextBrowser *browser() const { return m_browser; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QTextBrowser *m_browser;
};
