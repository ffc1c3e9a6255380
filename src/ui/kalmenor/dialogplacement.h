#pragma once

class QWidget;

// Shows a modeless dialog centred on the screen and brings it to the front; it keeps its contents.
void showCentred(QWidget* dialog);
