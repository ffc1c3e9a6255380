#include "ui/importer/optionspage.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

OptionsPage::OptionsPage(QWidget* parent) : QWidget(parent)
{
    const importer::ExportSettings defaults;
    m_even = defaults.evenRowColor;
    m_odd = defaults.oddRowColor;

    auto* importBox = new QGroupBox("Import danych", this);
    m_append = new QRadioButton("Importuj dane nie usuwając starych danych", importBox);
    m_replace = new QRadioButton("Importuj dane usuwając stare dane", importBox);
    m_append->setObjectName("appendModeButton");
    m_replace->setObjectName("replaceModeButton");
    m_append->setChecked(true);
    auto* importLayout = new QVBoxLayout(importBox);
    importLayout->addWidget(m_append);
    importLayout->addWidget(m_replace);

    auto* htmlBox = new QGroupBox("Zapis di pliku HTML", this);
    m_evenColor = new QPushButton(htmlBox);
    m_evenColor->setObjectName("evenRowColor");
    m_oddColor = new QPushButton(htmlBox);
    m_oddColor->setObjectName("oddRowColor");
    paintSwatch(m_evenColor, m_even);
    paintSwatch(m_oddColor, m_odd);
    m_boldLines = new QCheckBox("Linie Tabeli pogrubione", htmlBox);
    auto* htmlLayout = new QFormLayout(htmlBox);
    htmlLayout->addRow("kolor rekordow parzystych", m_evenColor);
    htmlLayout->addRow("kolor rekordow nieparzystych", m_oddColor);
    htmlLayout->addRow(m_boldLines);

    auto* textBox = new QGroupBox("Zapis do pliku txt ", this);
    m_separator = new QComboBox(textBox);
    m_separator->setObjectName("separator");
    m_separator->addItems(importer::ExportSettings::separatorOptions());
    m_separator->setCurrentIndex(1);
    auto* textLayout = new QFormLayout(textBox);
    textLayout->addRow("Dane rozdziel separatorem", m_separator);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(importBox);
    layout->addWidget(htmlBox);
    layout->addWidget(textBox);
    layout->addStretch();

    connect(m_append, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Q_EMIT importModeChanged(importer::ImportMode::Append);
    });
    connect(m_replace, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Q_EMIT importModeChanged(importer::ImportMode::Replace);
    });
    connect(m_evenColor, &QPushButton::clicked, this, [this] { chooseColor(m_evenColor, &m_even); });
    connect(m_oddColor, &QPushButton::clicked, this, [this] { chooseColor(m_oddColor, &m_odd); });
}

importer::ImportMode OptionsPage::importMode() const
{
    return m_replace->isChecked() ? importer::ImportMode::Replace : importer::ImportMode::Append;
}

void OptionsPage::setImportMode(importer::ImportMode mode)
{
    (mode == importer::ImportMode::Replace ? m_replace : m_append)->setChecked(true);
}

importer::ExportSettings OptionsPage::exportSettings() const
{
    importer::ExportSettings s;
    s.evenRowColor = m_even;
    s.oddRowColor = m_odd;
    s.boldLines = m_boldLines->isChecked();
    s.separatorOption = m_separator->currentText();
    return s;
}

void OptionsPage::chooseColor(QPushButton* button, QColor* color)
{
    const QColor chosen = QColorDialog::getColor(*color, this);
    if (!chosen.isValid())
        return;
    *color = chosen;
    paintSwatch(button, chosen);
}

void OptionsPage::paintSwatch(QPushButton* button, const QColor& color)
{
    QPixmap swatch(48, 16);
    swatch.fill(color);
    QPainter p(&swatch);
    p.setPen(Qt::darkGray);
    p.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    p.end();
    button->setIcon(QIcon(swatch));
    button->setIconSize(swatch.size());
    button->setText(color.name().toUpper());
}
