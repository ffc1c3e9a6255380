#pragma once

class QLabel;
class QString;
class QWidget;

// A label whose rich text holds a link that mouse and keyboard can follow ("more info >>", "<< back").
QLabel* linkLabel(const QString& text, QWidget* parent);
