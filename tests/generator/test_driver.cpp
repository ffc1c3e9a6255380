// The whole run: order of the report, warning count, upload hand-off, the demo catalogue built from
// the command line, refusals and failures.
#include "catalogue/categorytree.h"
#include "catalogue/productstable.h"
#include "fakeinteraction.h"
#include "generator/generateshop.h"
#include "generator/generatorcontext.h"
#include "generator/shopcommands.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDate>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace generator;

namespace {

class DriverFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = shell::ProgramFolder(m_dir.path() + QStringLiteral("/prog"));
        QDir().mkpath(m_folder.pictures());
        catalogue::createProductsTable(m_folder.productsTable());
        m_products.open(m_folder.productsTable());
        m_settings.options.email = QStringLiteral("orders@example.com");
        m_settings.options.includeWelcomePage = false;
        m_settings.options.includePriceList = false;
        m_settings.options.includeInformation = false;
        m_settings.options.includeRegulation = false;
    }

    void addProduct(const QString& id, const QString& name)
    {
        m_products.append();
        m_products.setValue(QStringLiteral("ID"), id);
        m_products.setValue(QStringLiteral("Nazwa"), name);
        m_products.setValue(QStringLiteral("Status"), QStringLiteral("Normal"));
        m_products.post();
    }

    QTemporaryDir m_dir;
    shell::ProgramFolder m_folder;
    tables::Table m_products;
    catalogue::CategoryTree m_tree;
    shell::Settings m_settings;
    FakeInteraction m_ui;
};

} // namespace

TEST_F(DriverFixture, ReportOrderWarningsProgressAndUploadHandOff)
{
    auto* books = m_tree.addNode(nullptr, QStringLiteral("Books ID000000001K"));
    m_tree.addNode(books, QStringLiteral("Atlas ID000000002P"));
    m_tree.addNode(books, QStringLiteral("Gone ID000000003P")); // no record: one warning
    addProduct(QStringLiteral("ID000000002P"), QStringLiteral("Atlas"));

    QStringList hookLines;
    int clears = 0;
    int lastMaximum = -1;
    QStringList linesAtUpload;
    GenerationHooks hooks;
    hooks.clearReport = [&] {
        ++clears;
        hookLines.clear();
    };
    hooks.reportLine = [&](const QString& line) { hookLines << line; };
    hooks.progress = [&](int, int maximum) { lastMaximum = maximum; };
    hooks.upload = [&] { linesAtUpload = hookLines; };
    GeneratorContext context(m_settings, m_tree, m_products, m_folder, m_ui, hooks);
    context.report(QStringLiteral("left from an earlier run"));
    context.warn(QStringLiteral(" warning: stale"));

    const QString shop = m_dir.path() + QStringLiteral("/shop");
    generateShop(context, shop, QStringLiteral("start.html"));

    EXPECT_EQ(clears, 1);
    EXPECT_EQ(hookLines, context.reportLines());
    const QStringList& lines = context.reportLines();
    ASSERT_GE(lines.size(), 9);
    EXPECT_EQ(lines[0], QStringLiteral("Generate web shop to the directory ") + shop);
    EXPECT_EQ(lines[1], QStringLiteral("Web Shop INDEX: ") + shop + QStringLiteral("/start.html"));
    EXPECT_EQ(lines[2], QStringLiteral("Using PHP is turn on"));
    EXPECT_EQ(lines[3], QStringLiteral("Orders at e-mail: orders@example.com"));
    EXPECT_TRUE(lines.contains(QStringLiteral("create category Books ID000000001K")));
    EXPECT_TRUE(lines.contains(QStringLiteral("1 warning: product is missing:  Gone ID000000003P")));
    EXPECT_EQ(lines.mid(lines.size() - 4),
              (QStringList{QStringLiteral("END"), QString(), QStringLiteral("Warnings: 1"),
                           QStringLiteral("Report: ")
                               + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat)}));
    EXPECT_EQ(context.warningCount(), 1);
    EXPECT_EQ(lastMaximum, m_tree.nodeCount());
    EXPECT_EQ(linesAtUpload, lines); // the upload comes after the summary

    for (const char* name : {"start.html", "top.html", "menu.html", "find.html", "send.html", "send.php",
                             "color.css", "navig.css", "ID000000001K.html", "ID000000002P.html"})
        EXPECT_TRUE(QFileInfo::exists(shop + QLatin1Char('/') + QString::fromLatin1(name))) << name;
    for (const char* name :
         {"cennik.html", "onas.html", "regulamin.html", "powitanie.html", "ID000000003P.html"})
        EXPECT_FALSE(QFileInfo::exists(shop + QLatin1Char('/') + QString::fromLatin1(name))) << name;
    // The empty search index: the search page consumed it.
    EXPECT_TRUE(context.searchIndex().isEmpty());
}

TEST_F(DriverFixture, KeysThatLeaveTheShopFolderWriteNothingAndAreCounted)
{
    auto* cat = m_tree.addNode(nullptr, QStringLiteral("Books ID000000001K"));
    m_tree.addNode(cat, QStringLiteral("Bad ID/../../xxP"));
    addProduct(QStringLiteral("ID/../../xxP"), QStringLiteral("Bad"));
    m_tree.addNode(nullptr, QStringLiteral("Evil ../escapeK"));
    GeneratorContext context(m_settings, m_tree, m_products, m_folder, m_ui);
    const QString shop = m_dir.path() + QStringLiteral("/deep/er/shop");
    QDir().mkpath(shop);
    generateShop(context, shop, QStringLiteral("index.html"));
    EXPECT_GE(context.warningCount(), 2);
    EXPECT_TRUE(context.reportLines().last(2).first().startsWith(QStringLiteral("Warnings: ")));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + QStringLiteral("/deep/xxP.html")));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + QStringLiteral("/deep/er/escapeK.html")));
    const QString menu = QString::fromUtf8(testsupport::readFile(shop + QStringLiteral("/menu.html")));
    EXPECT_FALSE(menu.contains(QStringLiteral("escapeK")));
}

TEST_F(DriverFixture, FailedPageWriteStopsTheRunWithoutSummary)
{
    GeneratorContext context(m_settings, m_tree, m_products, m_folder, m_ui);
    const QString blocked = m_dir.path() + QStringLiteral("/file-not-folder");
    testsupport::writeFile(blocked, "x");
    EXPECT_THROW(generateShop(context, blocked, QStringLiteral("index.html")), shell::AppError);
    EXPECT_FALSE(context.reportLines().contains(QStringLiteral("END")));
    EXPECT_EQ(context.reportLines().first(), QStringLiteral("Generate web shop to the directory ") + blocked);

    // Through the window command the failure is shown and the progress goes back to 0.
    FakeInteraction ui;
    GeneratorContext windowContext(m_settings, m_tree, m_products, m_folder, ui);
    EXPECT_FALSE(buildWebshopAt(windowContext, blocked + QStringLiteral("/x.html"), true));
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_EQ(windowContext.progress(), 0);
}

TEST_F(DriverFixture, WindowCommandsAskAndRefuse)
{
    GeneratorContext context(m_settings, m_tree, m_products, m_folder, m_ui);
    // Cancelled dialog: nothing happens.
    EXPECT_FALSE(buildWebshop(context));
    EXPECT_TRUE(context.reportLines().isEmpty());

    // A start page named like a page of the shop.
    m_ui.files.push_back(m_dir.path() + QStringLiteral("/top.html"));
    EXPECT_FALSE(buildWebshop(context));
    EXPECT_EQ(m_ui.messages.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + QStringLiteral("/top")));

    // A folder with other files: asked first; No leaves it alone.
    const QString shop = m_dir.path() + QStringLiteral("/docs");
    testsupport::writeFile(shop + QStringLiteral("/letter.txt"), "keep me");
    m_ui.answers.push_back(false);
    m_ui.files.push_back(m_dir.path() + QStringLiteral("/docs"));
    EXPECT_FALSE(buildWebshop(context));
    EXPECT_EQ(m_ui.questions.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(shop + QStringLiteral("/docs.html")));
    m_ui.answers.push_back(true);
    m_ui.files.push_back(m_dir.path() + QStringLiteral("/docs"));
    EXPECT_TRUE(buildWebshop(context));
    EXPECT_TRUE(QFileInfo::exists(shop + QStringLiteral("/docs.html")));
    EXPECT_EQ(testsupport::readFile(shop + QStringLiteral("/letter.txt")), QByteArray("keep me"));
    // A second build into the shop's own folder asks nothing.
    m_ui.files.push_back(m_dir.path() + QStringLiteral("/docs.html"));
    EXPECT_TRUE(buildWebshop(context));
    EXPECT_EQ(m_ui.questions.size(), 2);

    // Preview: built into the preview folder and opened.
    EXPECT_TRUE(previewWebshop(context));
    EXPECT_EQ(m_ui.opened, QStringList{m_folder.previewShop() + QStringLiteral("/index.html")});
}

TEST(DemoShop, InitThenBuildFromTheCommandLine)
{
    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/demo");
    const QString config = dir.path() + QStringLiteral("/config");
    EXPECT_TRUE(createDemoProgramFolder(program, config));
    EXPECT_TRUE(QFileInfo::exists(config + QStringLiteral("/KVO.INI")));
    EXPECT_THROW(createDemoProgramFolder(program, config),
                 shell::AppError); // never over an existing data folder

    const shell::ProgramFolder folder(program);
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const QString target = dir.path() + QStringLiteral("/out/sklep.html");
    QDir().mkpath(dir.path() + QStringLiteral("/out"));
    // The demo chooses the modern pages; this checks the classic ones.
    ASSERT_EQ(buildShopCommand(folder, config, target, false, out, err, kClassicTheme), 0)
        << errText.toStdString();
    const QStringList lines = outText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ(lines.first(), QStringLiteral("Generate web shop to the directory ") + dir.path()
                                 + QStringLiteral("/out/sklep"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Warnings: 0"))) << outText.toStdString();
    EXPECT_EQ(lines.last(), dir.path() + QStringLiteral("/out/sklep/sklep.html"));
    EXPECT_TRUE(errText.isEmpty()) << errText.toStdString();

    const QString shop = dir.path() + QStringLiteral("/out/sklep/");
    for (const char* name : {"powitanie.html", "cennik.html", "onas.html", "regulamin.html", "sk.js",
                             "empty.html", "img/b1.jpg", "img/kupujb.jpg", "img/new.gif", "img/orvane.jpg",
                             "img/delete.jpg", "img/ID000001006PM.jpg", "img/ID000001006PD.jpg"})
        EXPECT_TRUE(QFileInfo::exists(shop + QString::fromLatin1(name))) << name;
    const QString top = QString::fromUtf8(testsupport::readFile(shop + QStringLiteral("top.html")));
    EXPECT_TRUE(top.contains(QStringLiteral("Kalmenor Demo")));

    // Refusals: a clashing start page, a folder of other files without --force.
    outText.clear();
    errText.clear();
    EXPECT_EQ(
        buildShopCommand(folder, config, dir.path() + QStringLiteral("/out/menu.html"), false, out, err), 2);
    EXPECT_FALSE(errText.isEmpty());
    testsupport::writeFile(dir.path() + QStringLiteral("/other/notes.txt"), "mine");
    EXPECT_EQ(buildShopCommand(folder, config, dir.path() + QStringLiteral("/other.html"), false, out, err),
              2);
    EXPECT_EQ(buildShopCommand(folder, config, dir.path() + QStringLiteral("/other.html"), true, out, err),
              0);
    // The upload's generation: the publishing folder, the upload called after the summary.
    outText.clear();
    int uploads = 0;
    EXPECT_TRUE(generateForUploadCommand(
        folder, config,
        [&] {
            ++uploads;
            EXPECT_TRUE(outText.contains(QStringLiteral("Warnings: 0")));
            EXPECT_TRUE(QFileInfo::exists(folder.publishShop() + QStringLiteral("/img/ID000001006PM.jpg")));
        },
        out, err));
    EXPECT_EQ(uploads, 1);
    // No target: the preview folder.
    EXPECT_EQ(buildShopCommand(folder, config, QString(), false, out, err), 0);
    EXPECT_TRUE(QFileInfo::exists(folder.previewShop() + QStringLiteral("/index.html")));
}
