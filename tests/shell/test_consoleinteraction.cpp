// The command line opens pages with the desktop's opener found on PATH; without one it says so.
#include "shell/consoleinteraction.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

struct PathOverride {
    explicit PathOverride(const QString& path) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", path.toLocal8Bit());
    }
    ~PathOverride() { qputenv("PATH", m_saved); }
    QByteArray m_saved;
};

TEST(ConsoleInteraction, OpensThroughXdgOpenOnPathOrReportsThatItCannot)
{
    QTemporaryDir bin;
    QString out, err;
    QTextStream o(&out), e(&err);
    shell::ConsoleInteraction console(o, e, false);
    const QString page = bin.filePath(QStringLiteral("index.html"));
    testsupport::writeFile(page, "<html></html>");
    {
        PathOverride path(bin.path());
        EXPECT_FALSE(console.openInShell(page)); // no opener at all: the caller prints the path
    }
    const QString opener = bin.filePath(QStringLiteral("xdg-open"));
    const QString seen = bin.filePath(QStringLiteral("seen"));
    testsupport::writeFile(opener, QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(seen).toUtf8());
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    PathOverride path(bin.path() + QStringLiteral(":/usr/bin:/bin"));
    EXPECT_TRUE(console.openInShell(page));
    QDeadlineTimer deadline(20000);
    while (!QFile::exists(seen) && !deadline.hasExpired())
        QThread::msleep(20);
    QThread::msleep(100);
    EXPECT_EQ(testsupport::readFile(seen).trimmed(), QUrl::fromLocalFile(page).toString().toUtf8());
}

} // namespace
