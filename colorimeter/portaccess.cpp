#include "portaccess.h"

#include "serialport.h"

#ifndef _WIN32
#include <cerrno>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

PortAccess portAccess(const std::string &path) {
    PortAccess a;
#ifndef _WIN32
    // access() answers for the real user, who is the one to advise.
    if (::access(path.c_str(), R_OK | W_OK) == 0 || errno != EACCES)
        return a;
    a.denied = true;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return a;
    if (const passwd *pw = ::getpwuid(::getuid()))
        a.user = pw->pw_name;
    a.groupIsRoot = st.st_gid == 0;
    const group *g = ::getgrgid(st.st_gid);
    if (!g)
        return a;
    a.group = g->gr_name;
    for (char **m = g->gr_mem; m && *m; ++m) {
        if (!a.user.empty() && a.user == *m)
            a.memberListed = true;
    }
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(0, ::getgroups(0, nullptr))));
    const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
    a.memberActive = ::getgid() == st.st_gid;
    for (int i = 0; i < n; ++i) {
        if (groups[static_cast<std::size_t>(i)] == st.st_gid)
            a.memberActive = true;
    }
#else
    (void)path;
#endif
    return a;
}

std::string portAccessAdvice(const std::string &path, const PortAccess &a) {
    if (!a.denied)
        return std::string();
    const std::string head = "no permission to open " + path;
    const std::string udev = "a udev rule can give it to the group 'dialout' (see the help, "
                             "\"Serial port access\")";
    if (a.group.empty() || a.groupIsRoot)
        return head + ": only root may use it; " + udev;
    if (a.memberActive)
        return head + ", not even for its group '" + a.group + "'; " + udev;
    if (a.memberListed)
        return head + ": log out and back in to use the group '" + a.group + "' you joined";
    const std::string who = a.user.empty() ? std::string("$USER") : a.user;
    return head + ": join the group '" + a.group + "' (sudo usermod -aG " + a.group + " " + who +
           ") and log in again";
}

std::string portPermissionProblem(const std::string &path) {
    return portAccessAdvice(path, portAccess(path));
}

std::string openFailureText(OpenFailure failure, const std::string &path) {
    switch (failure) {
    case OpenFailure::None:
        return std::string();
    case OpenFailure::NoSuchPort:
        return "no port at " + path;
    case OpenFailure::Busy:
        return path + " is in use by another program";
    case OpenFailure::Refused:
        break;
    }
    const std::string denied = portPermissionProblem(path);
    return denied.empty() ? path + " cannot be opened (no permission, or not a serial port)"
                          : denied;
}

std::string portOpenProblem(const std::string &path) {
    serialPort probe(path);
    if (probe.open()) {
        probe.close();
        return std::string();
    }
    return openFailureText(probe.openFailure(), path);
}
