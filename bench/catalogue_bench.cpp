// The catalogue at merchant scale, for bench/catalogue_bench.sh: a tree of about 20,000 nodes over
// 10,000 products with small pictures. Prints the seconds of loading and saving the tree file and of
// opening the products list (the Webshop page built, the list shown and painted with its pictures).
#include "benchsupport.h"
#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "catalogue/productstable.h"
#include "shell/programfolder.h"
#include "shell/tables/table.h"
#include "ui/kalmenor/webshoppage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTabWidget>
#include <QTableView>
#include <QTextStream>

using namespace bench;

namespace {

void prepare(const shell::ProgramFolder& folder, int products)
{
    QDir().mkpath(folder.pictures());
    catalogue::createProductsTable(folder.productsTable());
    tables::Table table;
    table.open(folder.productsTable());
    table.beginBulk();
    for (int i = 0; i < products; ++i) {
        table.append();
        table.setValue(catalogue::products::kId, productId(i));
        table.setValue(catalogue::products::kName, QStringLiteral("Product number %1").arg(i));
        table.setValue(catalogue::products::kNetPrice, 10.0 + i % 97);
        table.setValue(catalogue::products::kVat, QStringLiteral("22"));
        table.setValue(catalogue::products::kStatus, QStringLiteral("Normal"));
        table.post();
    }
    table.commitBulk();
    QImage image(240, 180, QImage::Format_RGB32);
    for (int i = 0; i < products; ++i) {
        image.fill(QColor::fromHsv(i % 360, 120, 220));
        QFile f(catalogue::products::smallPicturePath(folder.pictures(), productId(i)));
        if (f.open(QIODevice::WriteOnly))
            f.write(catalogue::pictures::encodeJpeg(image, 80));
    }
    // 100 categories, 9 subcategories each, about 21 entries in each subcategory: ~20,000 nodes, every
    // product at least once.
    catalogue::CategoryTree tree;
    int next = 0;
    for (int c = 0; c < 100; ++c) {
        auto* cat =
            tree.addNode(nullptr, QStringLiteral("Category %1 ID%2K").arg(c).arg(c, 9, 10, QLatin1Char('0')));
        for (int s = 0; s < 9; ++s) {
            auto* sub = tree.addNode(
                cat, QStringLiteral("Sub %1 ID%2W").arg(s).arg(c * 10 + s, 9, 10, QLatin1Char('0')));
            for (int p = 0; p < 21; ++p, ++next)
                tree.addNode(sub, QStringLiteral("Product number %1 %2")
                                      .arg(next % products)
                                      .arg(productId(next % products)));
        }
    }
    tree.save(folder.treeFile());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: catalogue_bench PROGRAM_DIR [PRODUCTS]\n";
        return 2;
    }
    const shell::ProgramFolder folder(QString::fromLocal8Bit(argv[1]));
    const int products = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 10000;
    if (!QFile::exists(folder.treeFile()))
        prepare(folder, products);

    QTextStream out(stdout);
    catalogue::CategoryTree tree;
    QElapsedTimer t;
    t.start();
    tree.load(folder.treeFile());
    out << "tree load (" << tree.nodeCount() << " nodes): " << seconds(t) << " s\n";
    t.restart();
    tree.save(folder.treeFile());
    out << "tree save: " << seconds(t) << " s\n";

    QuietInteraction ui;
    tables::Table table;
    t.restart();
    table.open(folder.productsTable());
    WebshopPage page(folder, table, tree, ui);
    page.resize(1280, 900);
    page.show();
    page.findChild<QTabWidget*>(QStringLiteral("productTabs"))->setCurrentIndex(2);
    auto* grid = page.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    grid->grab(); // paints every visible cell, pictures included
    out << "products list opened (" << table.recordCount() << " products, pictures shown): " << seconds(t)
        << " s\n";
    return 0;
}
