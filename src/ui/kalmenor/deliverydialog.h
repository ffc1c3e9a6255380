#pragma once

#include "shell/programfolder.h"

#include <QWidget>

class DeliveryGridView;
class DeliveryMethodsModel;
namespace shell {
class Interaction;
}
class QPushButton;

// The delivery methods editor: the grid and its "+", "-", "Confirm" and "Cancel" buttons. It lives
// for the whole run, borderless, and the options window puts it into its "Sending form" page.
class DeliveryDialog : public QWidget {
    Q_OBJECT
public:
    DeliveryDialog(const shell::ProgramFolder& folder, shell::Interaction& interaction,
                   QWidget* parent = nullptr);

    DeliveryMethodsModel* model() const { return m_model; }
    DeliveryGridView* grid() const { return m_grid; }

    void addRow();
    void deleteCurrentRow();
    void confirm();
    void cancel();

private:
    shell::Interaction& m_interaction;
    DeliveryMethodsModel* m_model = nullptr;
    DeliveryGridView* m_grid = nullptr;
};
