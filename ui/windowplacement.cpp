#include "windowplacement.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace placement {

namespace {

// A typical title bar and border, used until some window has been framed.
const QMargins typicalFrame(4, 30, 4, 4); // px

QMargins knownFrame(const QWidget *w) {
    if (!w || !w->isWindow() || !w->isVisible())
        return QMargins();
    const QRect frame = w->frameGeometry(), client = w->geometry();
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

bool decorated(const QWidget *w) {
    const Qt::WindowFlags f = w->windowFlags();
    return !(f & Qt::FramelessWindowHint) && (f & Qt::WindowType_Mask) != Qt::Popup &&
           (f & Qt::WindowType_Mask) != Qt::ToolTip;
}

} // namespace

QRect fitInside(const QRect &client, const QMargins &frame, const QRect &available) {
    if (!available.isValid())
        return client;
    const QRect room = available.marginsRemoved(frame);
    QRect r(client.topLeft(), QSize(std::min(client.width(), std::max(1, room.width())),
                                    std::min(client.height(), std::max(1, room.height()))));
    if (r.right() > room.right())
        r.moveRight(room.right());
    if (r.bottom() > room.bottom())
        r.moveBottom(room.bottom());
    if (r.left() < room.left())
        r.moveLeft(room.left());
    if (r.top() < room.top())
        r.moveTop(room.top());
    return r;
}

QMargins frameOf(const QWidget *window) {
    if (!window || !decorated(window))
        return QMargins();
    QMargins own = knownFrame(window);
    if (own.isNull() && window->windowHandle())
        own = window->windowHandle()->frameMargins();
    if (!own.isNull())
        return own;
    // Not framed yet: the frame the window manager gave another window.
    for (const QWidget *w : QApplication::topLevelWidgets()) {
        if (w == window || !decorated(w))
            continue;
        const QMargins m = knownFrame(w);
        if (!m.isNull())
            return m;
    }
    // Only a window manager adds frames we cannot know in advance.
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"))
               ? typicalFrame
               : QMargins();
}

QRect availableFor(const QWidget *window) {
    QScreen *screen = nullptr;
    if (window && window->isVisible())
        screen = window->screen();
    else if (window && window->parentWidget())
        screen = window->parentWidget()->window()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void centreOverParent(QWidget *window) {
    if (!window)
        return;
    const QRect available = availableFor(window);
    QRect over = available;
    if (QWidget *parent = window->parentWidget()) {
        QWidget *top = parent->window();
        if (top->isVisible() && available.intersects(top->frameGeometry()))
            over = top->frameGeometry();
    }
    QRect client(QPoint(), window->size());
    client.moveCenter(over.center());
    window->setGeometry(fitInside(client, frameOf(window), available));
}

void keepOnScreen(QWidget *window) {
    if (!window || window->isMaximized() || window->isFullScreen())
        return;
    const QRect client = window->geometry();
    const QRect fitted = fitInside(client, frameOf(window), availableFor(window));
    if (fitted != client)
        window->setGeometry(fitted);
}

void keepOnScreenWhenFramed(QWidget *window) {
    keepOnScreen(window);
    QPointer<QWidget> guard(window);
    QTimer::singleShot(0, window, [guard] { keepOnScreen(guard); });
}

} // namespace placement
