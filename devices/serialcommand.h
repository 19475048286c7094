#pragma once
// One command of a reference instrument with what its reply needs: the
// shortest reply that counts and the time it may take.

struct SerialCommand {
    const char *text;
    int minLength;      // characters; a shorter reply is no reply
    int timeoutSeconds; // s
};
