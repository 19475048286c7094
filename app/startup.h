#pragma once
// Pieces of the start-up sequence, shared by the application and its tests.

#include <QString>

class QApplication;
class QWidget;

// INI as the default format, then organisation, domain, name and version.
// Must run before the application object and any settings object exist.
void prepareApplicationIdentity();

// The style sheet text of a theme resource (decoded as Latin-1); empty when
// the path is not a ":/" resource or cannot be opened, so an unknown theme
// never stops start-up.
QString loadStyleSheet(const QString &resourcePath);

// Style "Windows" and the theme named by "Theme".
void applyStyleAndTheme(QApplication &app);

// Unattended runs for demos and headless machines, driven by the environment:
// TINTWELL_SCREENSHOT=path saves a picture of the window, TINTWELL_EXIT_AFTER_MS
// quits after that many milliseconds (default 1500 when a screenshot is asked).
void armUnattendedRun(QWidget *mainWindow);
