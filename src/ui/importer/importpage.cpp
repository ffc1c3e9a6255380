#include "ui/importer/importpage.h"

#include "ui/importer/historylist.h"
#include "ui/importer/pagewidgets.h"
#include "ui/importer/tablesidepanel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

ImportPage::ImportPage(tables::Table& source, tables::Table& target, shell::Interaction& interaction,
                       QWidget* parent)
    : QWidget(parent)
{
    m_source = new TableSidePanel(TableSidePanel::Side::Source, source, interaction, this);
    m_target = new TableSidePanel(TableSidePanel::Side::Target, target, interaction, this);
    m_source->setObjectName("sourcePanel");
    m_target->setObjectName("targetPanel");
    m_import = new QPushButton("Przenieś Dane >>", this);
    m_import->setObjectName("importButton");
    m_import->setToolTip("importuj wszystkie dane");
    m_import->setEnabled(false);
    QFont bold = m_import->font();
    bold.setBold(true);
    m_import->setFont(bold);
    m_check = new QPushButton("Sprawdź", this);
    m_check->setObjectName("checkButton");
    m_check->setToolTip("sprawdź bez zapisywania, co cel odrzuciłby lub zmienił");
    m_check->setEnabled(false);
    m_pairByName = new QPushButton("paruj wg nazw", this);
    m_pairByName->setObjectName("pairByNameButton");
    m_pairByName->setToolTip("ustaw pola o tych samych nazwach obok siebie");
    m_newTable = new QPushButton("Nowa tabela…", this);
    m_newTable->setObjectName("newTableButton");
    m_newTable->setToolTip("utwórz tabelę docelową z pól tabeli źródłowej");
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("importProgress");
    m_progress->setValue(0);
    m_showHistory = new QCheckBox("pokaż historię", this);
    m_showHistory->setObjectName("showHistory");
    m_showHistory->setChecked(true);
    m_history = new HistoryList(this);
    m_history->setObjectName("history");

    auto* sides = new QHBoxLayout;
    sides->addWidget(boxed("Dane źródłowe", m_source, this));
    sides->addWidget(boxed("Dane docelowe", m_target, this));

    auto* controls = new QHBoxLayout;
    controls->addWidget(m_showHistory);
    controls->addWidget(m_pairByName);
    controls->addWidget(m_newTable);
    controls->addWidget(m_progress, 1);
    controls->addWidget(m_check);
    controls->addWidget(m_import);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sides, 3);
    layout->addLayout(controls);
    layout->addWidget(m_history, 1);

    connect(m_showHistory, &QCheckBox::toggled, m_history, &QWidget::setVisible);
}
