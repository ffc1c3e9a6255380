#pragma once

#include "catalogue/pictures.h"
#include "catalogue/productlists.h"
#include "shell/programfolder.h"
#include "shell/tables/dataset.h"

#include <QObject>
#include <memory>

class FieldBinder;
class ListEditor;
class PictureBox;
class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;
namespace shell {
class Interaction;
}
namespace tables {
class Table;
}
namespace catalogue {
class CategoryTree;
class ProductRules;
} // namespace catalogue

// The product form: the "Product info" tab (name, prices, VAT, status, variant lists, small picture)
// and the "More information about product" tab (description, big picture), both bound to the current
// record. It holds the products table's rules while it lives.
class ProductEditor : public QObject {
    Q_OBJECT
public:
    ProductEditor(const shell::ProgramFolder& folder, tables::Table& products, catalogue::CategoryTree& tree,
                  shell::Interaction& ui, QWidget* parent);
    ~ProductEditor() override;

    QWidget* infoTab() const { return m_infoTab; }
    QWidget* moreInfoTab() const { return m_moreInfoTab; }

    void convertPrice(int conversion); // a catalogue::pricing::Conversion
    void switchVariant(catalogue::VariantList list, bool checked);
    void editVariantList(catalogue::VariantList list);
    void loadPicture(catalogue::pictures::Size which);
    void deletePicture(catalogue::pictures::Size which);

Q_SIGNALS:
    void findProductRequested();
    void smallPictureChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildInfoTab(QWidget* parent);
    QWidget* buildMoreInfoTab(QWidget* parent);
    QLabel* heading(QWidget* tab, const QString& name);
    QVBoxLayout* buildPictureColumn(QWidget* tab, catalogue::pictures::Size which);
    // The navigator and "Find product" under a product page.
    QHBoxLayout* buildBottomBar(QWidget* tab, const QString& navigatorName, const QString& findName);
    void refreshRecord();
    void refreshPictures();
    bool hasRecord() const;

    tables::Table& m_products;
    shell::Interaction& m_ui;
    QString m_pictures;
    FieldBinder* m_binder = nullptr;
    tables::Subscription m_flushBeforePost;
    std::unique_ptr<catalogue::ProductRules> m_rules;
    ListEditor* m_listEditor = nullptr;

    QWidget* m_infoTab = nullptr;
    QWidget* m_moreInfoTab = nullptr;
    QLabel* m_headings[2] = {};
    QLineEdit* m_priceBoxes[4] = {}; // net, gross, promotion net, promotion gross
    QComboBox* m_vatBox = nullptr;
    QCheckBox* m_switches[3] = {};
    QComboBox* m_variantBoxes[3] = {};
    PictureBox* m_pictureBoxes[2] = {}; // small, big
};
