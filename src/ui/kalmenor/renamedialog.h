#pragma once

#include <QDialog>

class QLineEdit;

// "Edit": renames the node it was opened for. Enter has no special meaning here.
class RenameDialog : public QDialog {
    Q_OBJECT
public:
    explicit RenameDialog(QWidget* parent = nullptr);
    QLineEdit* nameBox() const { return m_name; }

Q_SIGNALS:
    void okRequested(const QString& name);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* m_name;
};
