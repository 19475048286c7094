#include "colorfile.h"

#include "cliargs.h"

#include <QFile>

QList<ColorPatch> readColorFile(const std::string &path, int bits) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw CliError("cannot open '" + path + "'");
    const BatchRead r = readBatch(QString::fromUtf8(file.readAll()), bits);
    const std::string where = path + " line " + std::to_string(r.line) + ": ";
    switch (r.status) {
    case BatchRead::Ok:
        break;
    case BatchRead::BadFormat:
        throw CliError(where + "not 'name,red,green,blue'");
    case BatchRead::BadColor:
    case BatchRead::OutOfRange:
        throw CliError(where + "red, green and blue must be whole numbers from 0 to " +
                       std::to_string((1 << r.bits) - 1) + " (" + std::to_string(r.bits) +
                       "-bit values)");
    case BatchRead::BadDepth:
        throw CliError(where + (bits > 0 ? "the file does not hold the " + std::to_string(bits) +
                                               "-bit values --bits asks for"
                                         : std::string("the depth must be '#bits=8' or "
                                                       "'#bits=10'")));
    }
    if (r.patches.isEmpty())
        throw CliError(path + " holds no colours");
    return r.patches;
}
