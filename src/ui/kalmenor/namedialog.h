#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The dialogs that collect the name of a new category or subcategory: a name box, "Add" and "Close".
// Enter in the box is "Add". The dialog stays open after "Add" and keeps its text.
class NameDialog : public QDialog {
    Q_OBJECT
public:
    NameDialog(const QString& objectName, const QString& caption, const QString& label,
               QWidget* parent = nullptr);

    QLineEdit* nameBox() const { return m_name; }
    QString name() const;

Q_SIGNALS:
    void addRequested(const QString& name);

private:
    QLineEdit* m_name;
};
