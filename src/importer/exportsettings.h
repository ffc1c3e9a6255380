#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

namespace importer {

// The options of the HTML and text exports ("Opcje" page); not stored between runs.
struct ExportSettings {
    QColor evenRowColor = QColor(255, 255, 255);   // "kolor rekordow parzystych"
    QColor oddRowColor = QColor(0xEB, 0xF4, 0xFE); // "kolor rekordow nieparzystych"
    bool boldLines = false;                        // "Linie Tabeli pogrubione"
    QString separatorOption = QStringLiteral("|"); // "Dane rozdziel separatorem"

    // The choices of the separator, in the order offered.
    static QStringList separatorOptions();
    // The characters written for an option: a tab for "Tab", else the option itself.
    static QString separatorFor(const QString& option);
};

} // namespace importer
