// Republishing a 1,000-product shop of the classic theme after one price changed: generation gives the
// same bytes for everything else, so only a handful of files go again.
#include "catalogue/categorytree.h"
#include "catalogue/deliverymethods.h"
#include "catalogue/productstable.h"
#include "catalogue/workspace.h"
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "generator/generateshop.h"
#include "publish/shopupload.h"
#include "shell/programfolder.h"
#include "shell/settings.h"
#include "shell/tables/table.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace publish;

namespace {

constexpr int kProducts = 1000;

void makeCatalogue(const shell::ProgramFolder& folder)
{
    catalogue::createProgramFolder(folder.program(), QStringLiteral(KAL_SOURCE_DIR "/data/skeleton"));
    QDir().mkpath(folder.pictures());
    if (!QFile::exists(folder.productsTable()))
        catalogue::createProductsTable(folder.productsTable());
    tables::Table products;
    products.open(folder.productsTable());
    catalogue::CategoryTree tree;
    std::vector<catalogue::TreeNode*> categories;
    for (int c = 0; c < 40; ++c)
        categories.push_back(tree.addNode(
            nullptr, QStringLiteral("Category %1 ID%2K").arg(c).arg(100000 + c, 9, 10, QLatin1Char('0'))));
    products.beginBulk();
    for (int i = 1; i <= kProducts; ++i) {
        const QString id = QStringLiteral("ID%1P").arg(i, 9, 10, QLatin1Char('0'));
        products.append();
        products.setValue(QStringLiteral("ID"), id);
        products.setValue(QStringLiteral("Nazwa"), QStringLiteral("Product %1").arg(i));
        products.setValue(QStringLiteral("CenaNetto"), 10.0 + i);
        products.setValue(QStringLiteral("CenaBrutto"), (10.0 + i) * 1.23);
        products.setValue(QStringLiteral("VAT"), QStringLiteral("23"));
        products.setValue(QStringLiteral("Status"), QStringLiteral("Normal"));
        products.setValue(QStringLiteral("Opis"), QStringLiteral("A sturdy product %1.").arg(i));
        products.post();
        tree.addNode(categories[size_t(i) % categories.size()], QStringLiteral("Product %1 ").arg(i) + id);
    }
    products.commitBulk();
    tree.save(folder.treeFile());
}

void setPrice(const shell::ProgramFolder& folder, const QString& id, double net)
{
    tables::Table products;
    products.open(folder.productsTable());
    ASSERT_TRUE(products.locate(QStringLiteral("ID"), id));
    products.edit();
    products.setValue(QStringLiteral("CenaNetto"), net);
    products.setValue(QStringLiteral("CenaBrutto"), net * 1.23);
    products.post();
}

TEST(Republish, OnePriceChangedSendsOnlyAFewFiles)
{
    const InactivityLimit limit(std::chrono::seconds(20));
    RealFtpServer server;
    ASSERT_TRUE(server.started()) << server.startError().toStdString();
    QTemporaryDir program, config;
    const shell::ProgramFolder folder(program.path());
    ASSERT_NO_THROW(makeCatalogue(folder));
    shell::FtpSettings ftp = localFtpSettings(server.port(), true);
    ftp.tls = false;

    auto publishShop = [&] {
        FakeInteraction ui;
        catalogue::Workspace workspace(folder, ui);
        EXPECT_TRUE(workspace.open());
        shell::Settings settings = shell::loadSettings(config.path(), folder);
        settings.options.theme = 0; // classic, whatever a fresh installation starts with
        settings.deliveryMethods = readDeliveryMethods(folder);
        generator::GeneratorContext context(settings, workspace.tree(), workspace.products(), folder, ui);
        QDir().mkpath(folder.publishShop());
        generator::generateShop(context, folder.publishShop(), QStringLiteral("index.html"));
        UploadCallbacks callbacks;
        QStringList sent;
        callbacks.appendReport = [&sent](const QString& line) {
            if (line.endsWith(QStringLiteral(" upload")) || line.endsWith(QStringLiteral(" przesłany")))
                sent << line.section(QLatin1Char(' '), 0, 0);
        };
        FtpClient client;
        const UploadResult result =
            uploadShop(folder.publishShop(), ftp, QTime::currentTime(), client, callbacks, ui);
        EXPECT_TRUE(result.succeeded()) << ui.errors.join(QLatin1Char('\n')).toStdString();
        return sent;
    };

    EXPECT_GT(publishShop().size(), kProducts);
    setPrice(folder, QStringLiteral("ID000000500P"), 77.5);
    const QStringList again = publishShop();
    // The manifest goes as well: at most ten transfers in all.
    EXPECT_LE(again.size() + 1, 10) << again.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(again.contains(QStringLiteral("ID000000500P.html")))
        << again.join(QLatin1Char(' ')).toStdString();
}

} // namespace
