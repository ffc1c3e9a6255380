// A shop as a new merchant makes it: a fresh program folder (what `kalmenor init DIR` makes), settings
// as a fresh installation chooses them for the classic shop (style 0), one category and one product
// with its two pictures, built into the preview folder. Prints the report and, last, the path of index.html;
// the count of missing pictures, if any, goes to standard error.
#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "catalogue/workspace.h"
#include "generator/shopcommands.h"
#include "shell/error.h"
#include "shell/tables/table.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTextStream>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw shell::AppError(QStringLiteral("Cannot write %1").arg(path));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: makefreshshop DIR" << Qt::endl;
        return 2;
    }
    const shell::ProgramFolder folder(args[1] + QStringLiteral("/program"));
    const QString config = args[1] + QStringLiteral("/config");
    try {
        catalogue::createProgramFolder(folder.program(),
                                       generator::bundledDataRoot() + QStringLiteral("/skeleton"));
        tables::Table products;
        products.open(folder.productsTable());
        products.append();
        products.setValue(QStringLiteral("ID"), QStringLiteral("ID000000002P"));
        products.setValue(QStringLiteral("Nazwa"), QStringLiteral("Lampa stołowa"));
        products.setValue(QStringLiteral("CenaNetto"), 100.0);
        products.setValue(QStringLiteral("CenaBrutto"), 123.0);
        products.setValue(QStringLiteral("Status"), QStringLiteral("New"));
        products.post();
        catalogue::CategoryTree tree;
        tree.addNode(tree.addNode(nullptr, QStringLiteral("Oświetlenie ID000000001K")),
                     QStringLiteral("Lampa stołowa ID000000002P"));
        tree.save(folder.treeFile());
        QDir().mkpath(folder.pictures());
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        const QByteArray jpeg = catalogue::pictures::encodeJpeg(image);
        writeBytes(folder.pictures() + QStringLiteral("ID000000002PM.jpg"), jpeg);
        writeBytes(folder.pictures() + QStringLiteral("ID000000002PD.jpg"), jpeg);
        QDir().mkpath(config);
        writeBytes(config + QStringLiteral("/KVO.INI"), "[Opcje]\r\nStyl=0\r\nmotyw=0\r\n");
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return 1;
    }
    return generator::buildShopCommand(folder, config, QString(), false, out, err);
}
