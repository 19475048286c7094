#pragma once
// One command of a reference instrument whose replies end with a line end,
// with the time its reply may take.

struct SerialCommand {
    const char *text;
    int timeoutMs; // ms until the whole reply, line end included, must be in
};
