// The crash-safe journal and the atomic save: records come back intact and
// in order, a torn or damaged line is dropped without losing the others, a
// journal never takes more records than its limit, a journal whose program
// died is found while a live one is not, and a save that cannot complete
// leaves the old file as it was.
#include "atomicsave.h"
#include "filebytes.h"
#include "journal.h"
#include "tempdir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <gtest/gtest.h>

namespace {

class JournalTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(LogJournal::directory()).removeRecursively(); }
    void TearDown() override { QDir(LogJournal::directory()).removeRecursively(); }
};

} // namespace

TEST_F(JournalTest, RecordsAndNotesComeBackInOrder) {
    LogJournal journal;
    ASSERT_TRUE(journal.create("logging", {{"model", "TV-40", 0}}));
    EXPECT_TRUE(journal.path().startsWith(LogJournal::directory()));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(journal.append(QByteArray::number(i) + ",a,b"));
    ASSERT_TRUE(journal.note("saved", "/tmp/x.csv"));
    ASSERT_TRUE(journal.append("5,a,b"));
    // Line ends and tabs would break the line format; a leading "@" would
    // read back as a note.
    EXPECT_FALSE(journal.append("two\nlines"));
    EXPECT_FALSE(journal.append("@model=x"));

    JournalContents c;
    ASSERT_EQ(readJournal(journal.path(), &c, true), JournalRead::Ok);
    EXPECT_EQ(c.kind, "logging");
    EXPECT_EQ(c.value("model"), "TV-40");
    ASSERT_EQ(c.records.size(), 6);
    EXPECT_EQ(c.records.at(5), "5,a,b");
    EXPECT_EQ(c.lastNote("saved")->atRecord, 5);
    EXPECT_EQ(c.damagedLines, 0);
}

TEST_F(JournalTest, TornAndDamagedLinesAreDroppedAndTheRestKept) {
    LogJournal journal;
    ASSERT_TRUE(journal.create("peaks", {}));
    for (int i = 0; i < 4; ++i)
        journal.append("line " + QByteArray::number(i));
    const QString path = journal.path();
    journal.release();

    QByteArray bytes = fileBytes(path);
    bytes.replace("line 1", "line X"); // a flipped byte: the checksum no longer fits
    bytes += "line 4\t1234";           // a crash in the middle of a write
    ASSERT_TRUE(writeFileBytes(path, bytes));

    JournalContents c;
    ASSERT_EQ(readJournal(path, &c, true), JournalRead::Ok);
    EXPECT_EQ(c.records, QVector<QByteArray>({"line 0", "line 2", "line 3"}));
    EXPECT_EQ(c.damagedLines, 2);

    // Taken over, it goes on after the torn line.
    ASSERT_TRUE(journal.adopt(path));
    EXPECT_EQ(journal.records(), 3);
    ASSERT_TRUE(journal.append("line 5"));
    ASSERT_EQ(readJournal(path, &c, true), JournalRead::Ok);
    EXPECT_EQ(c.records.last(), "line 5");
    EXPECT_EQ(c.damagedLines, 2);
}

TEST_F(JournalTest, NeverGrowsPastItsLimitAndRefusesForeignFiles) {
    LogJournal journal;
    ASSERT_TRUE(journal.create("logging", {}));
    journal.setMaxRecords(3);
    int accepted = 0;
    for (int i = 0; i < 10; ++i)
        accepted += journal.append("r") ? 1 : 0;
    EXPECT_EQ(accepted, 3);
    JournalContents c;
    EXPECT_EQ(readJournal(journal.path(), &c, true, 2), JournalRead::TooLarge);

    const QString foreign = LogJournal::directory() + "/other.journal";
    ASSERT_TRUE(writeFileBytes(foreign, "Date,Time\n1,2\n"));
    EXPECT_EQ(readJournal(foreign, &c, false), JournalRead::NotAJournal);
}

TEST_F(JournalTest, OnlyJournalsOfEndedProgramsAreOrphans) {
    LogJournal live;
    ASSERT_TRUE(live.create("logging", {}));
    EXPECT_FALSE(orphanJournals().contains(live.path()));

    // A journal whose lock names a process that no longer exists.
    LogJournal dead;
    ASSERT_TRUE(dead.create("signal", {}));
    const QString path = dead.path();
    dead.release();
    ASSERT_TRUE(writeFileBytes(path + ".lock",
                               "999999999\n" + QCoreApplication::applicationName().toUtf8() + "\n" +
                                   QSysInfo::machineHostName().toUtf8() + "\n"));
    EXPECT_EQ(orphanJournals(), QStringList{path});
    // A journal held by a live program cannot be removed behind its back.
    EXPECT_FALSE(removeOrphanJournal(live.path()));
    EXPECT_TRUE(removeOrphanJournal(path));
    EXPECT_FALSE(QFile::exists(path));
    live.discard();
    EXPECT_FALSE(QFile::exists(live.path()));
}

TEST(AtomicSave, AFailedSaveLeavesTheOldFileUntouched) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("log.csv"));
    ASSERT_EQ(saveAtomically(path, QByteArray("old\n")), SaveResult::Saved);
    // The writer gives up half-way (as on a full disk).
    EXPECT_EQ(saveAtomically(path,
                             [](QIODevice &out) {
                                 out.write("new, half");
                                 return false;
                             }),
              SaveResult::WriteFailed);
    EXPECT_EQ(fileBytes(path), "old\n");
    EXPECT_EQ(QDir(QString::fromStdString(dir.path())).entryList(QDir::Files),
              QStringList{"log.csv"});

    EXPECT_EQ(saveAtomically(QString::fromStdString(dir.file("missing/log.csv")), QByteArray("x")),
              SaveResult::CannotOpen);
    // A read-only place, also for root.
    EXPECT_EQ(saveAtomically("/proc/tintwell-test.csv", QByteArray("x")), SaveResult::CannotOpen);
}
