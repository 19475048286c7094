#pragma once
// A Dialogs double for tests: records every box and file dialog that a
// window asked for (kind, title, text) and answers from queues instead of
// waiting for a person. Installed for its lifetime.

#include "dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString
            kind; // "warning", "information", "question", "critical", "open", "save", "directory"
        QString title;
        QString text; // the message, or the file dialog's directory and filter
    };

    ScriptedDialogs();           // installs itself
    ~ScriptedDialogs() override; // restores the previous instance

    // Answers for message boxes, used in order; when none is queued a box
    // returns its default button, else the first of Ok, Yes, No, Cancel offered.
    void queueButton(QMessageBox::StandardButton button) { m_buttons.enqueue(button); }
    // Answers for file dialogs; when none is queued a file dialog is cancelled.
    void queueFileName(const QString &path) { m_files.enqueue(path); }

    const QList<Shown> &shown() const { return m_shown; }
    Shown last() const { return m_shown.isEmpty() ? Shown{} : m_shown.last(); }
    int count() const { return m_shown.size(); }
    void clear() { m_shown.clear(); }
    int pendingButtons() const { return m_buttons.size(); }

    QMessageBox::StandardButton warning(QWidget *, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton information(QWidget *, const QString &title, const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton question(QWidget *, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QMessageBox::StandardButton critical(QWidget *, const QString &title, const QString &text,
                                         QMessageBox::StandardButtons buttons,
                                         QMessageBox::StandardButton defaultButton) override;
    QString getOpenFileName(QWidget *, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getSaveFileName(QWidget *, const QString &caption, const QString &dir,
                            const QString &filter) override;
    QString getExistingDirectory(QWidget *, const QString &caption, const QString &dir) override;

private:
    QMessageBox::StandardButton box(const char *kind, const QString &title, const QString &text,
                                    QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton);
    QString file(const char *kind, const QString &caption, const QString &details);

    Dialogs *m_previous;
    QList<Shown> m_shown;
    QQueue<QMessageBox::StandardButton> m_buttons;
    QQueue<QString> m_files;
};
