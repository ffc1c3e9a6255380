#pragma once

#include <QString>
#include <array>

#include "catalogue/pictures.h"
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

    // Picture commands on the current record; they throw AppError and touch nothing when the table cannot
    // be changed. The record is stored first (for a small picture with a sound ID), so the picture file
    // and the record's ID cannot drift apart.
    void storePicture(const QString& pickedFile, pictures::Size which);
    void deletePicture(pictures::Size which);

private:
    // An empty ID gets a fresh one; an ID of another length is replaced after the message.
    void repairId(const QString& wrongLengthMessage);

    tables::Table& m_products;
    CategoryTree& m_tree;
    shell::Interaction& m_ui;
    QString m_pictures;
    std::array<tables::Subscription, 3> m_hooks; // last: unhooked before the rest goes
};

} // namespace catalogue
