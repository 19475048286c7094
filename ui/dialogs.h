#pragma once
// Every message box and file dialog of the application goes through one
// replaceable object, so tests can answer them without a person and check
// the title and text that were shown.

#include <QFileDialog>
#include <QMessageBox>
#include <QString>

class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual QMessageBox::StandardButton
    warning(QWidget *parent, const QString &title, const QString &text,
            QMessageBox::StandardButtons buttons = QMessageBox::Ok,
            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton
    information(QWidget *parent, const QString &title, const QString &text,
                QMessageBox::StandardButtons buttons = QMessageBox::Ok,
                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton
    question(QWidget *parent, const QString &title, const QString &text,
             QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;
    virtual QMessageBox::StandardButton
    critical(QWidget *parent, const QString &title, const QString &text,
             QMessageBox::StandardButtons buttons = QMessageBox::Ok,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton) = 0;

    virtual QString getOpenFileName(QWidget *parent, const QString &caption,
                                    const QString &dir = QString(),
                                    const QString &filter = QString()) = 0;
    virtual QString getSaveFileName(QWidget *parent, const QString &caption,
                                    const QString &dir = QString(),
                                    const QString &filter = QString()) = 0;
    virtual QString getExistingDirectory(QWidget *parent, const QString &caption,
                                         const QString &dir = QString()) = 0;
};

// The real boxes and dialogs.
class WidgetDialogs : public Dialogs {
public:
    QMessageBox::StandardButton warning(QWidget *parent, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton information(QWidget *parent, const QString &title,
                                            const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton question(QWidget *parent, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton critical(QWidget *parent, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QString getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getExistingDirectory(QWidget *parent, const QString &caption,
                                 const QString &dir) override;
};

// The process-wide instance: the widget implementation unless replaced.
Dialogs &dialogs();
// Replaces the instance (nullptr restores the default) and returns the
// previous replacement, if any. The caller keeps ownership.
Dialogs *setDialogs(Dialogs *replacement);
