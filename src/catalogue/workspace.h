#pragma once

#include "catalogue/categorytree.h"
#include "shell/programfolder.h"
#include "shell/tables/table.h"

#include <QString>
#include <memory>

namespace shell {
class Interaction;
}

namespace catalogue {

// What Kalmenor opens at start-up and keeps until it ends: the products table `Produkty` (towary.db)
// and the category tree (the product page installs the table's rules). The other tables of the data folder
// serve no reachable feature and are not opened; the backup copies their files all the same.
class Workspace {
public:
    Workspace(const shell::ProgramFolder& folder, shell::Interaction& ui);
    ~Workspace();

    // The start-up steps: bind and open the products table (created with its columns when the data folder
    // has no towary.db), then load the tree file. A step that fails shows its error and the remaining
    // steps are skipped. Returns true when everything was opened and loaded.
    bool open();

    const shell::ProgramFolder& folder() const { return m_folder; }
    tables::Table& products() { return m_products; }
    CategoryTree& tree() { return m_tree; }
    bool tableOpened() const { return m_products.isOpen(); }
    // The tree file was read to its end; only then may closing write it.
    bool treeLoaded() const { return m_treeLoaded; }

    // Closing: writes the tree file when it was loaded completely. Returns false (after showing the
    // error) when it could not be written.
    bool saveTreeOnClose();

private:
    shell::ProgramFolder m_folder;
    shell::Interaction& m_ui;
    tables::Table m_products;
    CategoryTree m_tree;
    bool m_treeLoaded = false;
};

// Makes a fresh program folder from a skeleton folder (which may be a Qt resource path): every file of
// the skeleton, the data folder Bd with an empty products table and an empty tree file, Bd/jpg.
// Refuses (AppError) when dir already holds a data folder.
void createProgramFolder(const QString& dir, const QString& skeletonRoot);

// Copies every file below from into to, creating folders; existing files are replaced.
void copyTree(const QString& from, const QString& to);

} // namespace catalogue
