#pragma once
// Keeps windows wholly on the screen: a window with its frame (title bar and
// borders) fits inside the available area of its screen, a new window opens
// centred over the window that opened it, and a window bigger than the
// screen is shrunk to it. Before the window manager has framed a window its
// frame is not known; the frame of a window already shown stands in for it.

#include <QMargins>
#include <QRect>

class QWidget;

namespace placement {

// The client rectangle moved, and shrunk when it must be, so that the
// rectangle grown by frame lies inside available.
QRect fitInside(const QRect &client, const QMargins &frame, const QRect &available);

// The frame a top-level window has, or will have once it is framed.
QMargins frameOf(const QWidget *window);
// The available area of the screen the window is on (or will be on: its
// parent's).
QRect availableFor(const QWidget *window);

// Centres a window not yet shown over the window that opens it (its parent's
// window, else the screen), at its current size, fitted to the screen.
void centreOverParent(QWidget *window);
// Moves (and if need be shrinks) a window so that it lies wholly on its
// screen, frame included. Nothing happens to a maximised or full-screen window.
void keepOnScreen(QWidget *window);
// keepOnScreen now, and again once the window manager has framed the window
// (for a window being shown).
void keepOnScreenWhenFramed(QWidget *window);

} // namespace placement
