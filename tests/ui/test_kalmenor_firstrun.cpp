// Starting outside a shop folder, and moving between shop folders through the File menu.
#include "catalogue/categorytree.h"
#include "catalogue/workspace.h"
#include "fakeinteraction.h"
#include "shell/programfolder.h"
#include "testsupport.h"
#include "ui/kalmenor/kalmenorapp.h"
#include "ui/kalmenor/mainwindow.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Choice = KalmenorApp::StartChoice;

struct FirstRunTest : ::testing::Test {
    QTemporaryDir home;
    QTemporaryDir config;
    FakeInteraction ui;
    std::unique_ptr<KalmenorApp> app;
    QStringList asked;

    QString dir(const char* name) const { return home.filePath(QString::fromLatin1(name)); }
    void makeApp(std::vector<Choice> choices)
    {
        app = std::make_unique<KalmenorApp>(config.path(), ui);
        app->skeletonRoot = QStringLiteral(KAL_SOURCE_DIR "/data/skeleton");
        app->askStart = [this, choices](const QString& d) mutable {
            asked << d;
            const Choice c = choices.empty() ? Choice::Quit : choices.front();
            if (!choices.empty())
                choices.erase(choices.begin());
            return c;
        };
    }
};

TEST_F(FirstRunTest, QuitLeavesAnEmptyFolderAsItWas)
{
    QDir().mkpath(dir("empty"));
    makeApp({Choice::Quit});
    EXPECT_FALSE(app->open(dir("empty")));
    EXPECT_EQ(asked, QStringList{dir("empty")});
    EXPECT_EQ(app->window(), nullptr);
    EXPECT_TRUE(QDir(dir("empty")).isEmpty()); // no Bd, no certyfikaty.txt
    EXPECT_TRUE(ui.errors.isEmpty());
}

TEST_F(FirstRunTest, CreatedHereTheTreeTheUserBuildsIsStored)
{
    QDir().mkpath(dir("shop"));
    makeApp({Choice::CreateHere});
    ASSERT_TRUE(app->open(dir("shop")));
    MainWindow* w = app->window();
    ASSERT_TRUE(w);
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(w->workspace().treeLoaded());
    w->workspace().tree().addNode(nullptr, QStringLiteral("Kubki ID000000001K"));
    QSignalSpy finished(app.get(), &KalmenorApp::finished);
    w->close();
    EXPECT_EQ(finished.size(), 1);
    EXPECT_EQ(testsupport::readFile(shell::ProgramFolder(dir("shop")).treeFile()), "Kubki ID000000001K\r\n");
    EXPECT_EQ(shell::recentProgramFolders(config.path()), QStringList{dir("shop")});
}

TEST_F(FirstRunTest, OpenAnotherAsksAgainUntilAShopFolderIsChosen)
{
    catalogue::createProgramFolder(dir("real"), QStringLiteral(KAL_SOURCE_DIR "/data/skeleton"));
    QDir().mkpath(dir("nothing"));
    QDir().mkpath(dir("start"));
    makeApp({Choice::OpenAnother, Choice::OpenAnother});
    ui.files = {dir("nothing"), dir("real")};
    ASSERT_TRUE(app->open(dir("start")));
    EXPECT_EQ(asked, (QStringList{dir("start"), dir("nothing")}));
    EXPECT_EQ(app->window()->workspace().folder().program(), dir("real"));
    EXPECT_TRUE(QDir(dir("start")).isEmpty());
}

TEST_F(FirstRunTest, FileMenuSwitchesFoldersStoringTheOneLeft)
{
    catalogue::createProgramFolder(dir("a"), QStringLiteral(KAL_SOURCE_DIR "/data/skeleton"));
    makeApp({});
    ASSERT_TRUE(app->open(dir("a")));
    app->window()->workspace().tree().addNode(nullptr, QStringLiteral("A ID000000001K"));

    // "New shop folder…" makes the folder and opens it; the tree of the folder left is stored.
    ui.files = {dir("b")};
    QDir().mkpath(dir("b"));
    QSignalSpy opened(app.get(), &KalmenorApp::windowOpened);
    app->window()->findChild<QAction*>(QStringLiteral("newShopFolderAction"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 1; }, 5000));
    EXPECT_EQ(app->window()->workspace().folder().program(), dir("b"));
    EXPECT_TRUE(shell::holdsProgramFolder(dir("b")));
    EXPECT_EQ(testsupport::readFile(shell::ProgramFolder(dir("a")).treeFile()), "A ID000000001K\r\n");

    // The recent list offers the first folder again; "Open shop folder…" refuses a folder without a shop.
    EXPECT_EQ(shell::recentProgramFolders(config.path()), (QStringList{dir("b"), dir("a")}));
    QDir().mkpath(dir("c"));
    ui.files = {dir("c")};
    app->window()->findChild<QAction*>(QStringLiteral("openShopFolderAction"))->trigger();
    QTest::qWait(50);
    EXPECT_EQ(opened.size(), 1);
    EXPECT_FALSE(shell::holdsProgramFolder(dir("c")));
    EXPECT_EQ(ui.messages.size(), 1);
    auto* recent = app->window()->findChild<QMenu*>(QStringLiteral("recentFoldersMenu"));
    ASSERT_TRUE(recent);
    Q_EMIT recent->aboutToShow();
    ASSERT_EQ(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 5000));
    EXPECT_EQ(app->window()->workspace().folder().program(), dir("a"));
    EXPECT_EQ(app->window()->workspace().tree().nodeCount(), 1);
}

} // namespace
