#include "dialogs.h"

namespace {
Dialogs *replacementDialogs = nullptr;
}

Dialogs &dialogs() {
    static WidgetDialogs widgetDialogs;
    return replacementDialogs ? *replacementDialogs : widgetDialogs;
}

Dialogs *setDialogs(Dialogs *replacement) {
    Dialogs *previous = replacementDialogs;
    replacementDialogs = replacement;
    return previous;
}

QMessageBox::StandardButton WidgetDialogs::warning(QWidget *parent, const QString &title,
                                                   const QString &text,
                                                   QMessageBox::StandardButtons buttons,
                                                   QMessageBox::StandardButton defaultButton) {
    return QMessageBox::warning(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton WidgetDialogs::information(QWidget *parent, const QString &title,
                                                       const QString &text,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton) {
    return QMessageBox::information(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton WidgetDialogs::question(QWidget *parent, const QString &title,
                                                    const QString &text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    return QMessageBox::question(parent, title, text, buttons, defaultButton);
}

QMessageBox::StandardButton WidgetDialogs::critical(QWidget *parent, const QString &title,
                                                    const QString &text,
                                                    QMessageBox::StandardButtons buttons,
                                                    QMessageBox::StandardButton defaultButton) {
    return QMessageBox::critical(parent, title, text, buttons, defaultButton);
}

QString WidgetDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter) {
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString WidgetDialogs::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                       const QString &filter) {
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString WidgetDialogs::getExistingDirectory(QWidget *parent, const QString &caption,
                                            const QString &dir) {
    return QFileDialog::getExistingDirectory(parent, caption, dir);
}
