#pragma once

#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

#include <vector>

namespace catalogue {
class CategoryTree;
}
namespace tables {
class Table;
}
namespace shell {
class ProgramFolder;
struct Settings;
} // namespace shell

namespace generator {

class GeneratorContext;
class ProductLookup;

// Reads a product picture once: its width and height when it is present (its content reads as a
// picture; nothing is decoded), invalid otherwise. With copy set a present picture is also written over
// target, and a failed copy counted as a missing picture (the page still shows its place). Safe on the
// writer threads: it touches nothing but the files and the context's failed copies.
QSize providePicture(GeneratorContext& context, const QString& source, const QString& target, bool copy);

// A picture the pages refer to by its name in the shop folder (such as "img/b1.jpg"), and the file a
// run copies it from.
struct PictureNeed {
    QString shopName;
    QString source;
};

// The fixed pictures the classic pages refer to: header buttons (of the pages included), cart, tile and
// detail page buttons, the status icons of the statuses shown, the maker's logo, and the logo and the
// welcome banner when they are shown. statuses: the Status texts of the products that get pages.
std::vector<PictureNeed> fixedPictureNeeds(const shell::Settings& settings,
                                           const shell::ProgramFolder& folder, const QSet<QString>& statuses);

// The Status texts of the products that have an entry in the tree (as the pages find them).
QSet<QString> statusesShown(const catalogue::CategoryTree& tree, const ProductLookup& products);

// What the shop built from this catalogue and these settings would lack, one line per problem, for the
// catalogue check: keys that name a page of the shop itself, and pictures the pages refer to whose
// source file is missing.
QStringList shopProblems(const shell::Settings& settings, const shell::ProgramFolder& folder,
                         const catalogue::CategoryTree& tree, const tables::Table& products);
// The same with the program folder's products table; throws AppError when it cannot be opened.
QStringList shopProblems(const shell::Settings& settings, const shell::ProgramFolder& folder,
                         const catalogue::CategoryTree& tree);

} // namespace generator
