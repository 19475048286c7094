#pragma once
// Why this user may not open a serial port, in plain words that name the
// group whose members may (on Debian and Ubuntu "dialout"). Serial ports are
// not open to every account; a user who was never told so sees only "not
// found", so every place that opens a port asks here first.

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
