// The shop generator on a generated catalogue, for bench/shop_bench.sh.
//   shop_bench prepare PROGRAM_DIR PRODUCTS   makes a program folder with that many products
//   shop_bench build PROGRAM_DIR CONFIG_DIR SHOP_DIR   opens it like the program does and builds the shop;
//                                                      prints "seconds <s>" and "peak_kb <kb>"
#include "benchsupport.h"
#include "catalogue/categorytree.h"
#include "catalogue/deliverymethods.h"
#include "catalogue/pictures.h"
#include "catalogue/productstable.h"
#include "catalogue/workspace.h"
#include "generator/generateshop.h"
#include "shell/error.h"
#include "shell/settings.h"
#include "shell/tables/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTextStream>

#include <sys/resource.h>

namespace {

QByteArray smallJpeg(int seed)
{
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 3 + seed) & 0xFF, (y * 5 + seed) & 0xFF, (x + y) & 0xFF));
    return catalogue::pictures::encodeJpeg(image, 80);
}

int prepare(const QString& dir, int count)
{
    catalogue::createProgramFolder(dir, QStringLiteral(KAL_SOURCE_DIR "/data/skeleton"));
    const shell::ProgramFolder folder(dir);
    QDir().mkpath(folder.pictures());
    if (!QFile::exists(folder.productsTable()))
        catalogue::createProductsTable(folder.productsTable());
    tables::Table products;
    products.open(folder.productsTable());

    // 100 categories with four subcategories each: 500 pages holding the products in turn.
    catalogue::CategoryTree tree;
    std::vector<catalogue::TreeNode*> holders;
    for (int c = 0; c < 100; ++c) {
        auto* category = tree.addNode(
            nullptr, QStringLiteral("Category %1 ID%2K").arg(c).arg(100000 + c, 9, 10, QLatin1Char('0')));
        holders.push_back(category);
        for (int s = 0; s < 4; ++s)
            holders.push_back(tree.addNode(category, QStringLiteral("Subcategory %1.%2 ID%3W")
                                                         .arg(c)
                                                         .arg(s)
                                                         .arg(200000 + c * 4 + s, 9, 10, QLatin1Char('0'))));
    }
    const QByteArray small = smallJpeg(1);
    const QByteArray big = smallJpeg(2);
    const QStringList statuses{QStringLiteral("Normal"), QStringLiteral("New"), QStringLiteral("Promotion"),
                               QStringLiteral("Sale")};
    const QString description =
        QStringLiteral("A sturdy product for everyday use, made to last and easy to care for. ");
    products.beginBulk();
    for (int i = 0; i < count; ++i) {
        const QString id = bench::productId(i + 1);
        const QString name = QStringLiteral("Product number %1").arg(i + 1);
        const bool variants = i % 3 == 0;
        products.append();
        products.setValue(QStringLiteral("ID"), id);
        products.setValue(QStringLiteral("Nazwa"), name);
        products.setValue(QStringLiteral("CenaNetto"), 10.0 + i % 997);
        products.setValue(QStringLiteral("CenaBrutto"), (10.0 + i % 997) * 1.23);
        products.setValue(QStringLiteral("PromocjaNetto"), 9.0 + i % 997);
        products.setValue(QStringLiteral("PromocjaBrutto"), (9.0 + i % 997) * 1.23);
        products.setValue(QStringLiteral("VAT"), QStringLiteral("23"));
        products.setValue(QStringLiteral("Status"), statuses[i % 4]);
        products.setValue(QStringLiteral("Opis"), description);
        products.setValue(QStringLiteral("Opis2"), description.repeated(12));
        products.setValue(QStringLiteral("R"), variants);
        products.setValue(QStringLiteral("K"), variants);
        products.setValue(QStringLiteral("W"), false);
        products.setValue(QStringLiteral("Rozmiar"), variants ? QStringLiteral("S|M|L|XL|") : QString());
        products.setValue(QStringLiteral("Kolor"), variants ? QStringLiteral("red|green|blue|") : QString());
        products.post();
        tree.addNode(holders[size_t(i) % holders.size()], name + QLatin1Char(' ') + id);
        QFile smallFile(folder.pictures() + id + QStringLiteral("M.jpg"));
        QFile bigFile(folder.pictures() + id + QStringLiteral("D.jpg"));
        if (!smallFile.open(QIODevice::WriteOnly) || !bigFile.open(QIODevice::WriteOnly))
            throw shell::AppError(QStringLiteral("cannot write pictures"));
        smallFile.write(small);
        bigFile.write(big);
    }
    products.commitBulk();
    tree.save(folder.treeFile());
    return 0;
}

int build(const QString& dir, const QString& config, const QString& shop)
{
    QElapsedTimer timer;
    timer.start();
    const shell::ProgramFolder folder(dir);
    bench::QuietInteraction ui;
    catalogue::Workspace workspace(folder, ui);
    if (!workspace.open())
        return 1;
    shell::Settings settings = shell::loadSettings(config, folder);
    settings.deliveryMethods = readDeliveryMethods(folder);
    generator::GeneratorContext context(settings, workspace.tree(), workspace.products(), folder, ui);
    QDir().mkpath(shop);
    generator::generateShop(context, shop, QStringLiteral("index.html"));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    QTextStream out(stdout);
    out << "seconds " << QString::number(bench::seconds(timer), 'f', 3) << '\n';
    out << "peak_kb " << usage.ru_maxrss << '\n';
    out << "warnings " << context.warningCount() << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        if (args.size() == 4 && args[1] == QLatin1String("prepare"))
            return prepare(args[2], args[3].toInt());
        if (args.size() == 5 && args[1] == QLatin1String("build"))
            return build(args[2], args[3], args[4]);
    } catch (const std::exception& e) {
        QTextStream(stderr) << shell::messageOf(e) << '\n';
        return 1;
    }
    QTextStream(stderr) << "usage: shop_bench prepare DIR COUNT | shop_bench build DIR CONFIG SHOP\n";
    return 2;
}
