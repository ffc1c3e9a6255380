#include "shell/backup.h"
#include "shell/error.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class BackupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    shell::ProgramFolder folder{dir.path()};
    const QDate december{2026, 12, 7};

    QString backupFile(const QString& relative) const
    {
        return dir.filePath(QStringLiteral("Kopia Bd/2026-12/") + relative);
    }
};

TEST_F(BackupTest, CopiesFilesOfBdAndJpgOnly)
{
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "v1");
    testsupport::writeFile(folder.dataFile(QStringLiteral("kalmenor.kmr")), "tree");
    testsupport::writeFile(folder.pictures() + QStringLiteral("ID000000001PM.jpg"), "jpeg");
    testsupport::writeFile(folder.work() + QStringLiteral("sk.js"), "script");
    testsupport::writeFile(folder.dataFile(QStringLiteral("Kalmenor/index.html")), "shop");

    EXPECT_TRUE(shell::backup::run(folder, december));
    EXPECT_EQ(testsupport::readFile(backupFile(QStringLiteral("Bd/towary.db"))), "v1");
    EXPECT_EQ(testsupport::readFile(backupFile(QStringLiteral("Bd/kalmenor.kmr"))), "tree");
    EXPECT_EQ(testsupport::readFile(backupFile(QStringLiteral("Bd/jpg/ID000000001PM.jpg"))), "jpeg");
    EXPECT_FALSE(QFile::exists(backupFile(QStringLiteral("Bd/Work"))));
    EXPECT_FALSE(QFile::exists(backupFile(QStringLiteral("Bd/Kalmenor"))));
    EXPECT_EQ(shell::backup::resultMessage(true),
              QStringLiteral("Kopia bezpieczeństwa została wykonana pomyślnie"));
}

TEST_F(BackupTest, SecondBackupOfTheMonthOverwritesAndKeepsDeletedFiles)
{
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "v1");
    testsupport::writeFile(folder.dataFile(QStringLiteral("stary.txt")), "old");
    ASSERT_TRUE(shell::backup::run(folder, december));
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "version two");
    QFile::remove(folder.dataFile(QStringLiteral("stary.txt")));
    ASSERT_TRUE(shell::backup::run(folder, QDate(2026, 12, 31)));
    EXPECT_EQ(testsupport::readFile(backupFile(QStringLiteral("Bd/towary.db"))), "version two");
    EXPECT_EQ(testsupport::readFile(backupFile(QStringLiteral("Bd/stary.txt"))), "old");
    // the next month gets its own folder
    ASSERT_TRUE(shell::backup::run(folder, QDate(2027, 1, 1)));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Kopia Bd/2027-01/Bd/towary.db"))));
}

TEST_F(BackupTest, EmptyOrMissingJpgStillSucceeds)
{
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "v1");
    EXPECT_TRUE(shell::backup::run(folder, december));
    EXPECT_TRUE(QDir(backupFile(QStringLiteral("Bd/jpg"))).exists());
}

TEST_F(BackupTest, FolderThatCannotBeCreatedStopsWithItsMessage)
{
    // a plain file where the backup folder must go: nobody can create it, root included
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "v1");
    testsupport::writeFile(dir.filePath(QStringLiteral("Kopia Bd")), "not a folder");
    try {
        shell::backup::run(folder, december);
        ADD_FAILURE() << "no error";
    } catch (const shell::AppError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Błąd utworzenia katalogu Kopia Bd"));
    }
    EXPECT_EQ(testsupport::readFile(dir.filePath(QStringLiteral("Kopia Bd"))), "not a folder");
}

TEST_F(BackupTest, AFileInTheWayOfAFolderGivesThatFoldersMessage)
{
    testsupport::writeFile(folder.dataFile(QStringLiteral("towary.db")), "v1");
    testsupport::writeFile(dir.filePath(QStringLiteral("Kopia Bd/2026-12")), "not a folder");
    try {
        shell::backup::run(folder, december);
        ADD_FAILURE() << "no error";
    } catch (const shell::AppError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Błąd utworzenia katalogu 2026-12"));
    }
    testsupport::writeFile(dir.filePath(QStringLiteral("Kopia Bd/2027-01/Bd/jpg")), "x");
    try {
        shell::backup::run(folder, QDate(2027, 1, 2));
        ADD_FAILURE() << "no error";
    } catch (const shell::AppError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Błąd utworzenia katalogu jpg"));
    }
}

TEST_F(BackupTest, FileThatCannotBeCopiedChangesOnlyTheFinalMessage)
{
    testsupport::writeFile(folder.dataFile(QStringLiteral("a.db")), "a");
    testsupport::writeFile(folder.dataFile(QStringLiteral("b.db")), "b");
    testsupport::writeFile(folder.dataFile(QStringLiteral("c.db")), "c");
    // a folder standing where the copy of b.db must go
    testsupport::writeFile(backupFile(QStringLiteral("Bd/b.db/inside")), "x");
    EXPECT_FALSE(shell::backup::run(folder, december));
    EXPECT_TRUE(QFile::exists(backupFile(QStringLiteral("Bd/a.db"))));
    EXPECT_TRUE(QFile::exists(backupFile(QStringLiteral("Bd/c.db"))));
    EXPECT_EQ(shell::backup::resultMessage(false),
              QStringLiteral("Wystąpił błąd podczas wykonywania Kopii bezpieczeństwa"));
}

} // namespace
