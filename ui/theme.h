#pragma once
// The widget style and the theme style sheet, applied at start-up and again
// when the Settings dialog changes the theme.

#include <QString>

class QApplication;

// The style sheet text of a theme resource (decoded as Latin-1); empty when
// the path is not a ":/" resource or cannot be opened, so an unknown theme
// never stops start-up.
QString loadStyleSheet(const QString &resourcePath);

// Style "Windows" and the theme named by "Theme".
void applyStyleAndTheme(QApplication &app);
