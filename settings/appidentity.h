#pragma once
// Who the program is to QSettings: the INI file every front end shares.

// INI as the default format, then organisation, domain, name and version.
// Must run before the application object and any settings object exist.
void prepareApplicationIdentity();
