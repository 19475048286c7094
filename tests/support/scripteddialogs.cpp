#include "scripteddialogs.h"

ScriptedDialogs::ScriptedDialogs() : m_previous(setDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    setDialogs(m_previous);
}

QMessageBox::StandardButton ScriptedDialogs::box(const char *kind, const QString &title,
                                                 const QString &text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton) {
    m_shown.append({QString::fromLatin1(kind), title, text});
    if (!m_buttons.isEmpty())
        return m_buttons.dequeue();
    if (defaultButton != QMessageBox::NoButton)
        return defaultButton;
    for (QMessageBox::StandardButton b :
         {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
        if (buttons.testFlag(b))
            return b;
    }
    return QMessageBox::NoButton;
}

QString ScriptedDialogs::file(const char *kind, const QString &caption, const QString &details) {
    m_shown.append({QString::fromLatin1(kind), caption, details});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QMessageBox::StandardButton ScriptedDialogs::warning(QWidget *, const QString &title,
                                                     const QString &text,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton) {
    return box("warning", title, text, buttons, defaultButton);
}

QMessageBox::StandardButton
ScriptedDialogs::information(QWidget *, const QString &title, const QString &text,
                             QMessageBox::StandardButtons buttons,
                             QMessageBox::StandardButton defaultButton) {
    return box("information", title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ScriptedDialogs::question(QWidget *, const QString &title,
                                                      const QString &text,
                                                      QMessageBox::StandardButtons buttons,
                                                      QMessageBox::StandardButton defaultButton) {
    return box("question", title, text, buttons, defaultButton);
}

QMessageBox::StandardButton ScriptedDialogs::critical(QWidget *, const QString &title,
                                                      const QString &text,
                                                      QMessageBox::StandardButtons buttons,
                                                      QMessageBox::StandardButton defaultButton) {
    return box("critical", title, text, buttons, defaultButton);
}

QString ScriptedDialogs::getOpenFileName(QWidget *, const QString &caption, const QString &dir,
                                         const QString &filter) {
    return file("open", caption, dir + '|' + filter);
}

QString ScriptedDialogs::getSaveFileName(QWidget *, const QString &caption, const QString &dir,
                                         const QString &filter) {
    return file("save", caption, dir + '|' + filter);
}

QString ScriptedDialogs::getExistingDirectory(QWidget *, const QString &caption,
                                              const QString &dir) {
    return file("directory", caption, dir);
}
