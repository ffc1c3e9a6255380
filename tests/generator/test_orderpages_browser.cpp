// The demo shop with two extra products, served by PHP's built-in server with a sendmail_path that
// captures the order mail, driven through headless Chromium by tests/browser/order.test.mjs.

#include "catalogue/categorytree.h"
#include "catalogue/deliverymethods.h"
#include "fakeinteraction.h"
#include "generator/generateshop.h"
#include "generator/shopcommands.h"
#include "shell/settings.h"
#include "shell/tables/table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kBrowserTests = QStringLiteral(KAL_SOURCE_DIR "/tests/browser");

void addProduct(tables::Table& products, const QString& id, const QString& name, double gross, bool colours,
                const QString& colourList, bool sizes = false, bool dimensions = false)
{
    products.append();
    products.setValue(QStringLiteral("ID"), id);
    products.setValue(QStringLiteral("Nazwa"), name);
    products.setValue(QStringLiteral("CenaNetto"), gross / 1.23);
    products.setValue(QStringLiteral("CenaBrutto"), gross);
    products.setValue(QStringLiteral("Status"), QStringLiteral("Normal"));
    products.setValue(QStringLiteral("VAT"), QStringLiteral("23"));
    products.setValue(QStringLiteral("R"), sizes);
    products.setValue(QStringLiteral("Rozmiar"), QStringLiteral("S|M|L|"));
    products.setValue(QStringLiteral("K"), colours);
    products.setValue(QStringLiteral("Kolor"), colourList);
    products.setValue(QStringLiteral("W"), dimensions);
    products.setValue(QStringLiteral("Wymiar"), QStringLiteral("5x5|10x10|"));
    products.post();
}

// php -S on a free port; the port is drawn and drawn again while it is taken.
bool startPhpServer(QProcess& php, const QString& program, const QString& root, const QString& mailFile,
                    QString* base)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int port = 20000 + int(QRandomGenerator::global()->bounded(40000));
        php.setProcessChannelMode(QProcess::MergedChannels);
        php.start(program, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("display_errors=1"),
                            QStringLiteral("-d"), QStringLiteral("error_reporting=-1"), QStringLiteral("-d"),
                            QStringLiteral("sendmail_path=cat >> ") + mailFile, QStringLiteral("-S"),
                            QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-t"), root});
        QByteArray said;
        while (php.waitForReadyRead(10000) || php.state() == QProcess::Running) {
            said += php.readAll();
            if (said.contains("started")) {
                *base = QStringLiteral("http://127.0.0.1:%1").arg(port);
                return true;
            }
            if (said.contains("Failed to listen") || php.state() != QProcess::Running)
                break;
        }
        php.waitForFinished(2000);
    }
    return false;
}

} // namespace

TEST(OrderInBrowser, TileDetailSearchOrderFormAndMailThroughRealPhp)
{
    const QString php = QStandardPaths::findExecutable(QStringLiteral("php"));
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    QString chromium = qEnvironmentVariable("CHROMIUM");
    if (chromium.isEmpty())
        chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (php.isEmpty() || node.isEmpty() || chromium.isEmpty())
        GTEST_SKIP() << "php-cli, node or chromium is missing";
    if (!QFile::exists(kBrowserTests + QStringLiteral("/node_modules/playwright-core")))
        GTEST_SKIP() << "playwright-core is not installed in tests/browser (npm ci there)";

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString program = dir.path() + QStringLiteral("/program");
    const QString config = dir.path() + QStringLiteral("/config");
    generator::createDemoProgramFolder(program, config);
    const shell::ProgramFolder folder(program);

    tables::Table products;
    products.open(folder.productsTable());
    addProduct(products, QStringLiteral("ID000001901P"), QStringLiteral("Kubek \"Mały\" z'uchem"), 12.5, true,
               QStringLiteral("czerwony|zielony|"), true, true);
    addProduct(products, QStringLiteral("ID000001902P"), QStringLiteral("Pusta lista"), 3, true, QString());
    catalogue::CategoryTree tree;
    tree.load(folder.treeFile());
    auto* category = tree.addNode(nullptr, QStringLiteral("Testowa ID000000901K"));
    tree.addNode(category, QStringLiteral("Kubek \"Mały\" z'uchem ID000001901P"));
    tree.addNode(category, QStringLiteral("Pusta lista ID000001902P"));

    shell::Settings settings = shell::loadSettings(config, folder);
    settings.options.theme = generator::kClassicTheme; // the demo chooses the modern pages
    settings.deliveryMethods = readDeliveryMethods(folder);
    settings.options.includeDelivery = true;
    settings.separateDeliveryAddress = true;
    settings.options.email = QStringLiteral("orders@example.com");
    settings.font.orderThanks = QStringLiteral("Dziękujemy za zamówienie!");
    FakeInteraction ui;
    generator::GeneratorContext context(settings, tree, products, folder, ui);
    const QString shop = dir.path() + QStringLiteral("/shop");
    QDir().mkpath(shop);
    generator::generateShop(context, shop, QStringLiteral("index.html"));
    ASSERT_TRUE(QFile::exists(shop + QStringLiteral("/ID000000901K.html")));

    const QString mailFile = dir.path() + QStringLiteral("/mail.txt");
    QProcess server;
    QString base;
    ASSERT_TRUE(startPhpServer(server, php, shop, mailFile, &base));

    QProcess browser;
    browser.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CHROMIUM"), chromium);
    environment.remove(QStringLiteral("LD_PRELOAD"));
    browser.setProcessEnvironment(environment);
    browser.setWorkingDirectory(kBrowserTests);
    browser.start(node, {kBrowserTests + QStringLiteral("/order.test.mjs"), base, mailFile, dir.path()});
    const bool finished = browser.waitForFinished(240000);
    const QString output = QString::fromUtf8(browser.readAll());
    server.terminate();
    server.waitForFinished(5000);
    ASSERT_TRUE(finished) << output.toStdString();
    EXPECT_EQ(browser.exitCode(), 0) << output.toStdString();
}
