#include "colorfile.h"

#include "cliargs.h"

#include <QFile>

QList<ColorPatch> readColorFile(const std::string &path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw CliError("cannot open '" + path + "'");
    const BatchRead r = readBatch(QString::fromUtf8(file.readAll()));
    const std::string where = path + " line " + std::to_string(r.line) + ": ";
    switch (r.status) {
    case BatchRead::Ok:
        break;
    case BatchRead::BadFormat:
        throw CliError(where + "not 'name,red,green,blue'");
    case BatchRead::BadColor:
    case BatchRead::OutOfRange:
        throw CliError(where + "red, green and blue must be whole numbers from 0 to 255");
    }
    if (r.patches.isEmpty())
        throw CliError(path + " holds no colours");
    return r.patches;
}
