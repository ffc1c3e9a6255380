#pragma once

#include "shell/programfolder.h"

#include <QList>
#include <QWidget>

class CategoryPanel;
class ProductSearch;
namespace shell {
class Interaction;
}
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace tables {
class Table;
}
namespace catalogue {
class CategoryTree;
}

// The "Webshop" page of the main window: the category tree (or a panel in its place) beside the product
// form and the products list, the generation commands and the report area.
class WebshopPage : public QWidget {
    Q_OBJECT
public:
    WebshopPage(const shell::ProgramFolder& folder, tables::Table& products, catalogue::CategoryTree& tree,
                shell::Interaction& ui, QWidget* parent = nullptr);

    // The generation and upload report.
    QPlainTextEdit* reportArea() const { return m_report; }

    // Stores a typed but unconfirmed product edit; a bad value is reported and false returned.
    bool storePendingEdit();
    // Panels that take the category tree's place (the upload's step panel).
    void addSidePanel(QWidget* panel);
    void showSidePanel(QWidget* panel);
    void showTreePanel();
    // While a run goes: its commands off, Cancel on, the catalogue held still.
    void setRunning(bool running);

Q_SIGNALS:
    void previewRequested();
    void buildRequested();
    void uploadRequested();
    void cancelRequested();

private:
    void openProductSearch();

    tables::Table& m_products;
    shell::Interaction& m_ui;
    QTabWidget* m_tabs = nullptr;
    QPlainTextEdit* m_report = nullptr;
    CategoryPanel* m_categories = nullptr;
    QStackedWidget* m_side = nullptr;
    QList<QPushButton*> m_runButtons;
    QPushButton* m_cancelButton = nullptr;
    ProductSearch* m_search = nullptr;
};
