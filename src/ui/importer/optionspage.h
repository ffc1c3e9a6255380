#pragma once

#include "importer/exportsettings.h"
#include "importer/tableimport.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

// "Opcje": the import mode and the settings of both exports. Nothing here is stored between runs.
class OptionsPage : public QWidget {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);

    importer::ImportMode importMode() const;
    void setImportMode(importer::ImportMode mode);
    importer::ExportSettings exportSettings() const;

Q_SIGNALS:
    void importModeChanged(importer::ImportMode mode);

private:
    void chooseColor(QPushButton* button, QColor* color);
    static void paintSwatch(QPushButton* button, const QColor& color);

    QRadioButton* m_append;
    QRadioButton* m_replace;
    QPushButton* m_evenColor;
    QPushButton* m_oddColor;
    QCheckBox* m_boldLines;
    QComboBox* m_separator;
    QColor m_even;
    QColor m_odd;
};
