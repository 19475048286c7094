#pragma once
// Answers the next modal dialog a window opens with exec(): the action runs
// on it as soon as it is shown (polled every 20 ms from the event loop the
// dialog runs).

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

inline void whenModal(const std::function<void(QDialog *)> &action, int triesLeft = 250) {
    QTimer::singleShot(20, [action, triesLeft] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            action(dialog);
        else if (triesLeft > 0)
            whenModal(action, triesLeft - 1);
    });
}

// Types the password into the profile password dialog and presses OK, then
// (when a wrong password keeps it open) Cancel.
inline void answerPassword(const QString &password) {
    whenModal([password](QDialog *dialog) {
        dialog->findChild<QLineEdit *>("linePassword")->setText(password);
        auto *box = dialog->findChild<QDialogButtonBox *>("buttonBox");
        box->button(QDialogButtonBox::Ok)->click();
        if (dialog->isVisible())
            box->button(QDialogButtonBox::Cancel)->click();
    });
}
