#include "ui/kalmenor/dialogplacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void showCentred(QWidget* dialog)
{
    dialog->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = dialog->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        dialog->move(frame.topLeft());
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
