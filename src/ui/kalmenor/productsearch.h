#pragma once

#include <QDialog>

namespace shell {
class Interaction;
}
class QComboBox;
class QLineEdit;

namespace tables {
class DataSet;
}

// "search": finds a product by the beginning of its name or price; the record found becomes the current
// record everywhere. "Ok" hands the product's name to whoever opened the search.
class ProductSearch : public QDialog {
    Q_OBJECT
public:
    ProductSearch(tables::DataSet& products, shell::Interaction& ui, QWidget* parent = nullptr);

    void search(const QString& text);

Q_SIGNALS:
    // "Ok": the name and ID of the current record.
    void productChosen(const QString& name, const QString& id);

private:
    void showRecord();

    tables::DataSet& m_products;
    shell::Interaction& m_ui;
    QComboBox* m_column;
    QLineEdit* m_search;
    QLineEdit* m_name;
    QLineEdit* m_gross;
    QLineEdit* m_vat;
    QLineEdit* m_net;
};
