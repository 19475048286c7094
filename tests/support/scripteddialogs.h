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
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    ScriptedDialogs() : m_previous(setDialogs(this)) {}
    ~ScriptedDialogs() override { setDialogs(m_previous); }

    // Answers for message boxes, used in order; when none is queued a box
    // returns its default button, else the first of Ok, Yes, No, Cancel offered.
    void queueButton(Button button) { m_buttons.enqueue(button); }
    // Answers for file dialogs; when none is queued a file dialog is cancelled.
    void queueFileName(const QString &path) { m_files.enqueue(path); }

    const QList<Shown> &shown() const { return m_shown; }
    Shown last() const { return m_shown.isEmpty() ? Shown{} : m_shown.last(); }
    int count() const { return m_shown.size(); }
    void clear() { m_shown.clear(); }

    Button warning(QWidget *, const QString &t, const QString &s, Buttons b, Button d) override {
        return box("warning", t, s, b, d);
    }
    Button information(QWidget *, const QString &t, const QString &s, Buttons b,
                       Button d) override {
        return box("information", t, s, b, d);
    }
    Button question(QWidget *, const QString &t, const QString &s, Buttons b, Button d) override {
        return box("question", t, s, b, d);
    }
    Button critical(QWidget *, const QString &t, const QString &s, Buttons b, Button d) override {
        return box("critical", t, s, b, d);
    }
    QString getOpenFileName(QWidget *, const QString &c, const QString &dir,
                            const QString &filter) override {
        return file("open", c, dir + '|' + filter);
    }
    QString getSaveFileName(QWidget *, const QString &c, const QString &dir,
                            const QString &filter) override {
        return file("save", c, dir + '|' + filter);
    }
    QString getExistingDirectory(QWidget *, const QString &c, const QString &dir) override {
        return file("directory", c, dir);
    }

private:
    Button box(const char *kind, const QString &title, const QString &text, Buttons offered,
               Button defaultButton) {
        m_shown.append({QString::fromLatin1(kind), title, text});
        if (!m_buttons.isEmpty())
            return m_buttons.dequeue();
        if (defaultButton != QMessageBox::NoButton)
            return defaultButton;
        for (Button b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            if (offered.testFlag(b))
                return b;
        return QMessageBox::NoButton;
    }
    QString file(const char *kind, const QString &caption, const QString &details) {
        m_shown.append({QString::fromLatin1(kind), caption, details});
        return m_files.isEmpty() ? QString() : m_files.dequeue();
    }

    Dialogs *m_previous;
    QList<Shown> m_shown;
    QQueue<Button> m_buttons;
    QQueue<QString> m_files;
};
