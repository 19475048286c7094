#include "outputpath.h"

#include "cliargs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

namespace {

QString native(const std::string &path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The file itself when it exists, else where it would be made.
bool sameFile(const std::string &a, const std::string &b) {
    struct stat sa {
    }, sb{};
    const bool ea = ::stat(a.c_str(), &sa) == 0, eb = ::stat(b.c_str(), &sb) == 0;
    if (ea || eb)
        return ea && eb && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    auto where = [](const std::string &p) {
        const QFileInfo f(native(p));
        return QFileInfo(f.absolutePath()).canonicalFilePath() + QLatin1Char('/') + f.fileName();
    };
    return where(a) == where(b);
}

} // namespace

void checkOutputPath(const std::string &path, const std::string &option,
                     const std::vector<std::string> &inputs) {
    for (const std::string &input : inputs) {
        if (!input.empty() && sameFile(path, input))
            throw CliError("will not write " + option + " " + path + ": it is " + input +
                           ", which this command reads");
    }
    const QFileInfo file(native(path));
    if (file.isDir())
        throw CliError("cannot write " + option + " " + path + ": it is a folder");
    const QString folder = file.absolutePath();
    if (!QFileInfo(folder).isDir())
        throw CliError("cannot write " + option + " " + path + ": there is no folder " +
                       folder.toStdString());
    // Asking the file system is the only sure test (read-only mounts, ACLs).
    QTemporaryFile probe(folder + QStringLiteral("/.tintwell-XXXXXX"));
    if (!probe.open())
        throw CliError("cannot write " + option + " " + path + ": " +
                       probe.errorString().toStdString());
    if (file.exists() && !file.isWritable())
        throw CliError("cannot write " + option + " " + path + ": it is read-only");
}
