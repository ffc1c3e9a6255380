#pragma once

#include <QString>
#include <array>

#include "shell/tables/table.h"

namespace shell {
class Interaction;
}

namespace catalogue {

class CategoryTree;

// The rules of the products table, hooked into its events: the ID rule on every post, "Normal" for a new
// record, and the clean-up before a record is deleted (its tree entries and picture files).
class ProductRules {
public:
    ProductRules(tables::Table& products, CategoryTree& tree, shell::Interaction& ui,
                 const QString& picturesFolder);
    ProductRules(const ProductRules&) = delete;
    ProductRules& operator=(const ProductRules&) = delete;

    void beforePost();
    void afterInsert();
    void beforeDelete();
    // Throws AppError naming the reason when the products table cannot be changed.
    void checkCanChange() const;

private:
    tables::Table& m_products;
    CategoryTree& m_tree;
    shell::Interaction& m_ui;
    QString m_pictures;
    std::array<tables::Subscription, 3> m_hooks; // last: unhooked before the rest goes
};

// Deletes the small and big picture files of a product; a missing file is fine.
void deletePictureFiles(const QString& picturesFolder, const QString& id);

} // namespace catalogue
