#pragma once

#include <QString>

class Interaction;

namespace tables {
class Table;
}

namespace catalogue {

class CategoryTree;

// The rules of the products table, hooked into its events: the ID rule on every post, "Normal" for a new
// record, and the clean-up before a record is deleted (its tree entries and picture files).
class ProductRules {
public:
    ProductRules(tables::Table& products, CategoryTree& tree, Interaction& ui, const QString& picturesFolder);
    ~ProductRules();  // unhooks the handlers
    ProductRules(const ProductRules&) = delete;
    ProductRules& operator=(const ProductRules&) = delete;

    void beforePost();
    void afterInsert();
    void beforeDelete();

private:
    tables::Table& m_products;
    CategoryTree& m_tree;
    Interaction& m_ui;
    QString m_pictures;
};

// Deletes the small and big picture files of a product; a missing file is fine.
void deletePictureFiles(const QString& picturesFolder, const QString& id);

} // namespace catalogue
