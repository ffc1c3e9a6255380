#pragma once

#include <QWidget>

// "Informacje": program name, version, logo and the maker's contact.
class InfoPage : public QWidget {
    Q_OBJECT
public:
    explicit InfoPage(QWidget* parent = nullptr);
};
