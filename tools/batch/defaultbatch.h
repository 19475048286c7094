#pragma once
// Where the default batch lives: "default.cvs" beside the program. An
// installed program's folder cannot be written, so the file is then kept in
// the application's data folder, and a copy there wins over one shipped
// beside the program.

#include <QString>

class DefaultBatch {
public:
    // The program's folder and the application's data folder.
    DefaultBatch();
    DefaultBatch(const QString &programDir, const QString &dataDir);

    // The file to read at start-up; empty when there is none.
    QString readPath() const;
    // The file the menu writes to.
    QString writePath() const;
    // True when writes go to the data folder because the program's cannot be written.
    bool relocated() const;
    // Creates the folder of writePath() when needed; false when it cannot.
    bool prepareWrite() const;

private:
    QString m_programDir;
    QString m_dataDir;
};
