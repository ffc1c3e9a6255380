#pragma once

#include "catalogue/treecommands.h"

#include <QStringList>
#include <functional>

namespace shell {
class ProgramFolder;
}
class QTextStream;

namespace catalogue {

class CategoryTree;

// Problems a merchant should fix before publishing: entries without a record, records without an entry,
// missing pictures and picture files that are not pictures.
QStringList catalogueProblems(const CategoryTree& tree, const QString& productsTablePath,
                              const QString& picturesFolder);

// The headless check: loads the tree file and the products table of the program folder, prints the
// counters of the tree statistics ("Name: number" lines) and then the problems. Returns 0 when there is
// no problem, 1 when problems were listed, 2 (with the error) when the tree or the table cannot be read.
// moreProblems adds the problems of the shop the catalogue would make (the generator knows them).
int runCatalogueCheck(const shell::ProgramFolder& folder, QTextStream& out, QTextStream& err,
                      const std::function<QStringList(const CategoryTree&)>& moreProblems = {});

} // namespace catalogue
