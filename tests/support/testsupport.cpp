#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace testsupport {

QString fixturesDir()
{
    const QByteArray env = qgetenv("KAL_FIXTURES");
    return env.isEmpty() ? QStringLiteral(KAL_SOURCE_DIR "/tests/fixtures") : QString::fromLocal8Bit(env);
}

QString sharedTablesDir()
{
    const QByteArray env = qgetenv("KAL_SHARED_TABLES");
    return env.isEmpty() ? QStringLiteral(KAL_SOURCE_DIR "/tests/fixtures/tables")
                         : QString::fromLocal8Bit(env);
}

QString copySharedTable(const QString& fileName, const QString& dir)
{
    const QString base = QFileInfo(fileName).completeBaseName();
    const QDir src(sharedTablesDir());
    const QStringList all = src.entryList(QDir::Files);
    for (const QString& f : all) {
        if (QFileInfo(f).completeBaseName() == base) {
            const QString to = dir + QLatin1Char('/') + f;
            QFile::remove(to);
            EXPECT_TRUE(QFile::copy(src.filePath(f), to)) << f.toStdString();
            QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    return dir + QLatin1Char('/') + fileName;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace testsupport
