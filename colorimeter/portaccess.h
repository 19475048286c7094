#pragma once
// Why this user may not open a serial port, in plain words that name the
// group whose members may (on Debian and Ubuntu "dialout"). Serial ports are
// not open to every account; a user who was never told so sees only "not
// found", so every place that opens a port asks here first.

#include "seriallink.h"

#include <string>

// What the system says about one port and this account.
struct PortAccess {
    bool denied = false;       // opening for reading and writing fails with EACCES
    std::string group;         // the port's group; empty when unknown
    bool groupIsRoot = false;  // the port belongs to the superuser's group
    bool memberActive = false; // this process already has the group
    bool memberListed = false; // the group lists the account (joined, not logged in again)
    std::string user;          // the account's login name; empty when unknown
};

PortAccess portAccess(const std::string &path);

// The advice for one port; empty when access was not denied.
std::string portAccessAdvice(const std::string &path, const PortAccess &access);

// Both together: the sentence to show, or "" when nothing stands in the way.
std::string portPermissionProblem(const std::string &path);

// Why a port could not be opened, in words: "no port at P", "P is in use by
// another program", the permission advice, or "P cannot be opened (no
// permission, or not a serial port)"; empty for OpenFailure::None.
std::string openFailureText(OpenFailure failure, const std::string &path);

// Opens the port once and closes it again: the text above, or "" when it
// opens (so whatever did not answer there, the port itself is fine).
std::string portOpenProblem(const std::string &path);
