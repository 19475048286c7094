#pragma once
// Raw line settings for a POSIX serial port, apart from the port so they can
// be checked without hardware (a pseudo-terminal ignores data bits and parity).
#ifndef _WIN32

#include <termios.h>

// Raw mode, receiver on, modem control lines ignored, no flow control, one
// stop bit; parity 'n' none, any other character odd.
void rawLineSettings(termios &tio, int dataBits, char parity);

#endif
