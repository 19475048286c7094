#include "qmemorymainwindow.h"

#include "tintwellresources.h"

#include <QIcon>
#include <QShowEvent>

QMemoryMainWindow::QMemoryMainWindow(const QString &groupName, QWidget *parent, int flag)
    : QMainWindow(parent), m_groupName(groupName), m_flag(flag) {
    initTintwellResources();
    m_settings.beginGroup(groupName);
    setWindowIcon(QIcon(QStringLiteral(":/icons/bigt.ico")));
}

QMemoryMainWindow::~QMemoryMainWindow() {
    // A window that was never shown has no geometry worth keeping; saving it
    // would overwrite what an earlier run stored.
    if (m_everShown)
        saveWindowGeometry();
}

void QMemoryMainWindow::setVisible(bool visible) {
    if (!visible && isVisible())
        saveWindowGeometry();
    QMainWindow::setVisible(visible);
}

void QMemoryMainWindow::showEvent(QShowEvent *event) {
    // A spontaneous show (the window manager restoring a minimised window)
    // must not move the window back to where it was last hidden.
    if (!event->spontaneous()) {
        m_everShown = true;
        restoreWindowGeometry();
    }
    QMainWindow::showEvent(event);
}

void QMemoryMainWindow::restoreWindowGeometry() {
    restoreGeometry(m_settings.value("geometry").toByteArray());
    restoreState(m_settings.value("windowState").toByteArray());
    move(m_settings.value("pos", pos()).toPoint());
    resize(m_settings.value("size", size()).toSize());
    if (m_settings.value("maximized", isMaximized()).toBool())
        showMaximized();
}

void QMemoryMainWindow::saveWindowGeometry() {
    m_settings.setValue("geometry", saveGeometry());
    m_settings.setValue("windowState", saveState());
    const bool maximized = isMaximized();
    m_settings.setValue("maximized", maximized);
    if (maximized) {
        m_settings.remove("pos");
        m_settings.remove("size");
    } else {
        m_settings.setValue("pos", pos());
        m_settings.setValue("size", size());
    }
}
