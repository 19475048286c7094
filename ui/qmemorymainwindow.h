#pragma once
// A main window that remembers its geometry, tool bars and docks in its own
// settings group: restored when shown, saved when hidden or destroyed, so a
// window closed and reopened comes back where it was. A window with nothing
// stored opens centred over the window that opened it; either way it opens
// wholly on the screen, frame included.

#include <QMainWindow>
#include <QSettings>
#include <QString>

class QMemoryMainWindow : public QMainWindow {
    Q_OBJECT
public:
    // flag is kept for the subclass; the geometry memory does not use it.
    explicit QMemoryMainWindow(const QString &groupName, QWidget *parent = nullptr, int flag = 0);
    ~QMemoryMainWindow() override;

    void setVisible(bool visible) override;

    QString groupName() const { return m_groupName; }
    int flag() const { return m_flag; }

protected:
    void showEvent(QShowEvent *event) override;
    // Settings of this window, with its group open.
    QSettings &windowSettings() { return m_settings; }

private:
    void restoreWindowGeometry();
    // Lets the contents scroll when the screen is smaller than the window
    // can be.
    void makeRoom();
    void saveWindowGeometry();

    QSettings m_settings;
    QString m_groupName;
    int m_flag;
    bool m_everShown = false;
    bool m_scrolled = false;
    bool m_placed = false; // given a place once: later shows keep where it was
};
