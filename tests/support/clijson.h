#pragma once
// tintwell-cli run as a child to the end: its exit code, its standard error
// and the JSON objects it printed, one a line.

#include "childprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <string>
#include <vector>

struct CliJsonRun {
    int code = -1;
    std::string err;
    QList<QJsonObject> objects;
};

// args after "tintwell-cli".
inline CliJsonRun runCliJson(const std::vector<std::string> &args, int timeoutMs = 30000) {
    std::vector<std::string> all{"tintwell-cli"};
    all.insert(all.end(), args.begin(), args.end());
    ChildProcess p(all);
    CliJsonRun r;
    r.code = p.wait(timeoutMs);
    r.err = p.err();
    for (const std::string &line : p.lines())
        if (!line.empty())
            r.objects << QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    return r;
}
