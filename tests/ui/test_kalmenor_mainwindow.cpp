#include "catalogue/workspace.h"
#include "fakeinteraction.h"
#include "shell/settings.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/kalmenor/banner.h"
#include "ui/kalmenor/mainwindow.h"
#include "ui/kalmenor/shoprun.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QTemporaryDir config;
    FakeInteraction ui;

    shell::ProgramFolder folder() const { return shell::ProgramFolder(dir.path()); }
    void makeDataFolder() { QDir().mkpath(dir.filePath(QStringLiteral("Bd/jpg"))); }
    static QTabWidget* pages(const MainWindow& w)
    {
        auto* found = w.findChild<QTabWidget*>(QStringLiteral("mainPages"));
        EXPECT_TRUE(found);
        return found;
    }
    std::unique_ptr<MainWindow> startWindow()
    {
        auto w = std::make_unique<MainWindow>(folder(), config.path(), ui);
        w->start();
        return w;
    }
};

TEST_F(MainWindowTest, StartsWithItsPagesAndCreatesAMissingProductsTable)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "Ubrania ID012345678K\r\n\tKoszula ID000000001P\r\n");
    auto w = startWindow();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Kalmenor"));
    ASSERT_GE(pages(*w)->count(), 2);
    EXPECT_EQ(pages(*w)->tabText(0), QStringLiteral("Info"));
    EXPECT_EQ(pages(*w)->tabText(1), QStringLiteral("Webshop"));
    auto* version = w->findChild<QLabel*>(QStringLiteral("versionLabel"));
    ASSERT_TRUE(version);
    EXPECT_EQ(version->text(), QStringLiteral("wer. 1.7"));
    EXPECT_TRUE(QFile::exists(folder().productsTable()));
    EXPECT_TRUE(w->workspace().products().isOpen());
    EXPECT_EQ(w->workspace().tree().nodeCount(), 2);
    EXPECT_GE(w->workspace().products().fieldIndex(QStringLiteral("CenaBrutto")), 0);
}

TEST_F(MainWindowTest, ToolBarStartsProgramsAndOpensHelp)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "");
    auto w = startWindow();
    w->findChild<QAction*>(QStringLiteral("notepadAction"))->trigger();
    w->findChild<QAction*>(QStringLiteral("calculatorAction"))->trigger();
    w->findChild<QAction*>(QStringLiteral("helpAction"))->trigger();
    EXPECT_EQ(ui.started.size(), 2);
    EXPECT_EQ(ui.opened, QStringList{dir.path() + QStringLiteral("/help/index.htm")});
}

TEST_F(MainWindowTest, DamagedTableShowsTheErrorAndSkipsTheRest)
{
    makeDataFolder();
    testsupport::writeFile(folder().productsTable(), QByteArray(2048, 'x'));
    const QByteArray tree = "Kategoria ID012345678K\r\n";
    testsupport::writeFile(folder().treeFile(), tree);
    auto w = startWindow();
    ASSERT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(ui.errors[0].contains(QLatin1String("towary.db"))) << ui.errors[0].toStdString();
    EXPECT_FALSE(w->workspace().products().isOpen());
    EXPECT_EQ(pages(*w)->count(), 2); // the program goes on
    // the tree was never loaded, so closing must not replace the merchant's tree file
    w->close();
    EXPECT_EQ(testsupport::readFile(folder().treeFile()), tree);
}

TEST_F(MainWindowTest, BadTreeLineKeepsTheTreeFileAtClosing)
{
    makeDataFolder();
    const QByteArray tree = "A ID012345678K\r\n\t\tZa gleboko ID012345679W\r\n";
    testsupport::writeFile(folder().treeFile(), tree);
    auto w = startWindow();
    EXPECT_EQ(ui.errors.size(), 1);
    w->close();
    EXPECT_EQ(testsupport::readFile(folder().treeFile()), tree);
}

TEST_F(MainWindowTest, ClosingSavesTheTreeAndBacksUpWhenArchivingIsOn)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "A ID012345678K\n");
    auto w = startWindow();
    w->settings().invoice.autoArchive = true;
    w->close();
    EXPECT_EQ(testsupport::readFile(folder().treeFile()), "A ID012345678K\r\n");
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Kopia bezpieczeństwa została wykonana pomyślnie")});
    const QString month = QDate::currentDate().toString(QStringLiteral("yyyy-MM"));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("Kopia Bd/%1/Bd/towary.db").arg(month))));
}

TEST_F(MainWindowTest, FailedBackupIsShownAndTheWindowStillCloses)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "");
    testsupport::writeFile(dir.filePath(QStringLiteral("Kopia Bd")), "a file where the folder must go");
    auto w = startWindow();
    w->settings().invoice.autoArchive = true;
    w->show();
    EXPECT_TRUE(w->close());
    EXPECT_EQ(ui.errors, QStringList{QStringLiteral("Błąd utworzenia katalogu Kopia Bd")});
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, ProductsFollowChangesMadeByAnotherProgram)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "");
    auto w = startWindow();
    EXPECT_EQ(w->workspace().products().recordCount(), 0);
    {
        tables::Table other;
        other.open(folder().productsTable());
        other.append();
        other.setValue(QStringLiteral("Nazwa"), QStringLiteral("Z Importera"));
        other.setValue(QStringLiteral("ID"), QStringLiteral("ID000000007P"));
        other.post();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->workspace().products().recordCount() == 1; }, 5000));
}

TEST_F(MainWindowTest, PreviewFromTheWebshopPageWritesTheShopAndOpensIt)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "Ubrania ID012345678K\r\n");
    auto w = startWindow();
    w->resize(1200, 800);
    pages(*w)->setCurrentIndex(1);
    w->show();
    w->previewShop();
    w->findChild<ShopRun*>(QStringLiteral("shopRun"))->waitUntilFinished();
    EXPECT_TRUE(ui.errors.isEmpty()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QFile::exists(folder().previewShop() + QStringLiteral("/index.html")));
    EXPECT_TRUE(QFile::exists(folder().previewShop() + QStringLiteral("/ID012345678K.html")));
    ASSERT_EQ(ui.opened.size(), 1);
    EXPECT_TRUE(ui.opened[0].endsWith(QLatin1String("Temp/index.html")));
    const QString shots = qEnvironmentVariable("KAL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        w->grab().save(shots + QStringLiteral("/kalmenor-webshop.png"));
}

TEST_F(MainWindowTest, WheelOverTheProductGridMovesOneRecordPerNotch)
{
    makeDataFolder();
    testsupport::writeFile(folder().treeFile(), "");
    auto w = startWindow();
    tables::Table& products = w->workspace().products();
    for (const char* name : {"A", "B", "C"}) {
        products.append();
        products.setValue(QStringLiteral("Nazwa"), QString::fromLatin1(name));
        products.post();
    }
    products.first();
    auto* grid = w->findChild<QAbstractItemView*>(QStringLiteral("DBGrid1"));
    ASSERT_TRUE(grid);
    const auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(5, 5), grid->viewport()->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(-120);
    EXPECT_EQ(products.recordNumber(), 2);
    wheel(-360); // one record per notification, whatever the delta
    EXPECT_EQ(products.recordNumber(), 3);
    wheel(120);
    EXPECT_EQ(products.recordNumber(), 2);
}

TEST(Banner, ColumnColoursFollowTheGradient)
{
    EXPECT_EQ(banner::columnColor(-10), QColor(254, 255, 254)); // k = 1: 254.79, 254.79, 254.96
    EXPECT_EQ(banner::columnColor(0), QColor(252, 253, 254));   // k = 11: 252.69 -> 252 and 253
    EXPECT_EQ(banner::columnColor(2000), QColor(0, 0, 174));
}

} // namespace
