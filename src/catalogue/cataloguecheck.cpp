#include "catalogue/cataloguecheck.h"

#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "shell/programfolder.h"
#include "shell/tables/table.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTextStream>

namespace catalogue {

QStringList catalogueProblems(const CategoryTree& tree, const QString& productsTablePath,
                              const QString& picturesFolder)
{
    tables::Table table;
    table.open(productsTablePath);
    const auto rows = table.connection().select(
        QStringLiteral("SELECT \"ID\", \"Nazwa\" FROM %1 ORDER BY rowid").arg(table.sqlName()));

    QSet<QString> recordIds;
    for (const auto& r : rows)
        recordIds.insert(r.value(0).toString().toUpper());

    QStringList problems;
    QSet<QString> entryKeys;
    tree.walk([&](TreeNode& n) {
        if (!n.isProduct())
            return;
        const QString key = n.key().toUpper();
        entryKeys.insert(key);
        if (!recordIds.contains(key))
            problems << QStringLiteral("Product entry without a record: %1").arg(n.text());
    });

    for (const auto& r : rows) {
        const QString id = r.value(0).toString();
        const QString name = r.value(1).toString();
        const QString who = QStringLiteral("%1 (%2)").arg(name, id);
        if (!entryKeys.contains(id.toUpper()))
            problems << QStringLiteral("Product without a tree entry: %1").arg(who);
        if (!products::isSafePictureId(id)) {
            problems << QStringLiteral("Product ID cannot name picture files: %1").arg(who);
            continue;
        }
        const struct {
            QString path;
            const char* what;
        } pictureFiles[] = {{products::smallPicturePath(picturesFolder, id), "small"},
                            {products::bigPicturePath(picturesFolder, id), "big"}};
        for (const auto& p : pictureFiles) {
            if (!QFileInfo::exists(p.path))
                problems << QStringLiteral("No %1 picture: %2").arg(QLatin1String(p.what), who);
            else if (!pictures::isPicture(p.path))
                problems << QStringLiteral("Not a picture: %1").arg(QDir::toNativeSeparators(p.path));
        }
    }
    return problems;
}

int runCatalogueCheck(const shell::ProgramFolder& folder, QTextStream& out, QTextStream& err,
                      const std::function<QStringList(const CategoryTree&)>& moreProblems)
{
    CategoryTree tree;
    try {
        tree.load(folder.treeFile());
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return 2;
    }
    const TreeStatistics s = computeStatistics(tree, nullptr);
    out << "Categories: " << s.categoryCount << '\n'
        << "Products: " << s.productCount << '\n'
        << "Subcategories: " << s.subcategoryCount << '\n'
        << "All: " << s.allCount << '\n'
        << "Nest count: " << s.nestCount << '\n';
    QStringList problems;
    try {
        problems = catalogueProblems(tree, folder.productsTable(), folder.pictures());
        if (moreProblems)
            problems += moreProblems(tree);
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return 2;
    }
    if (!problems.isEmpty()) {
        out << '\n' << "Problems (" << problems.size() << "):" << '\n';
        for (const QString& p : problems)
            out << "  " << p << '\n';
    }
    out.flush();
    // Scripts test the status: a catalogue with problems is not a clean one.
    return problems.isEmpty() ? 0 : 1;
}

} // namespace catalogue
