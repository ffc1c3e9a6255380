#pragma once

#include <QDialog>

class QComboBox;

// "Add new product": an editable list of every product name (newest first), "Find product", "Add" and
// "Close". Enter in the name box is "Add".
class ProductDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProductDialog(const QString& productsTablePath, QWidget* parent = nullptr);

    QComboBox* nameBox() const { return m_name; }
    QString name() const;
    void setName(const QString& name);
    // Refills the name list from the products table file (done each time the dialog is shown).
    void reloadNames();

Q_SIGNALS:
    void addRequested(const QString& name);
    void findRequested();
    void failed(const QString& message);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_tablePath;
    QComboBox* m_name;
};
