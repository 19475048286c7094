#include "qmemorymainwindow.h"

#include "tintwellresources.h"
#include "windowplacement.h"

#include <QIcon>
#include <QLayout>
#include <QScrollArea>
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
        makeRoom();
        restoreWindowGeometry();
    }
    QMainWindow::showEvent(event);
}

void QMemoryMainWindow::restoreWindowGeometry() {
    // "geometry" knows the frame and the client area apart and is restored
    // as a client area, so the window comes back exactly where it was.
    // "pos" is where the frame was: moving the client area there would move
    // the window up by its title bar at every restore.
    const QByteArray geometry = m_settings.value("geometry").toByteArray();
    const bool restored = !geometry.isEmpty() && restoreGeometry(geometry);
    restoreState(m_settings.value("windowState").toByteArray());
    if (!restored) {
        if (m_settings.contains("size"))
            resize(m_settings.value("size").toSize());
        if (m_settings.contains("pos"))
            move(m_settings.value("pos").toPoint());
        else if (!m_placed)
            placement::centreOverParent(this);
    }
    m_placed = true;
    if (m_settings.value("maximized", isMaximized()).toBool())
        showMaximized();
    else
        placement::keepOnScreenWhenFramed(this);
}

void QMemoryMainWindow::makeRoom() {
    if (m_scrolled || !centralWidget())
        return;
    const QRect room = placement::availableFor(this).marginsRemoved(placement::frameOf(this));
    const QSize need = minimumSizeHint().expandedTo(minimumSize());
    if (need.width() <= room.width() && need.height() <= room.height())
        return;
    // A screen smaller than the window's least size: the contents scroll
    // rather than hang off the screen.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("scrollCentral"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(takeCentralWidget());
    setCentralWidget(scroll);
    // The smaller least size holds now, before the geometry is restored.
    if (layout())
        layout()->activate();
    m_scrolled = true;
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
