#pragma once

#include <QHash>
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

// The product pictures of one pass. A picture counts as present when its content reads as a picture
// (nothing is decoded); each source is read, checked and written into the shop once, however many tree
// entries show it.
class ShopPictures {
public:
    // True when the source picture is present; it is then copied over target, once. A failed copy is counted
    // as a missing picture: the page still shows the picture's place.
    bool provide(GeneratorContext& context, const QString& source, const QString& target);
    // The width and height of a present picture that was provided; invalid otherwise.
    QSize size(const QString& source) const;

private:
    QHash<QString, QSize> m_known; // invalid: no picture
};

// Reads a product picture and tells whether it is present (its content reads as a picture); with copy set
// a present picture is also written over target, and a failed copy counted as a missing picture. Safe on
// the writer threads: it touches nothing but the files and the context's failed copies.
bool checkPicture(GeneratorContext& context, const QString& source, const QString& target, bool copy);

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

// The Status texts of the products that have an entry in the tree.
QSet<QString> statusesShown(const catalogue::CategoryTree& tree, const tables::Table& products);
// The same from the products a run has read.
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
