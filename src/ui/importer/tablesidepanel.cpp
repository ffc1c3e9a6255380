#include "ui/importer/tablesidepanel.h"

#include "importer/csv.h"
#include "importer/pairing.h"
#include "importer/recordstream.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/sidecolors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QStorageInfo>

TableSidePanel::TableSidePanel(Side side, tables::Table& table, shell::Interaction& interaction,
                               QWidget* parent)
    : QWidget(parent), m_side(side), m_table(table), m_interaction(interaction)
{
    const bool source = side == Side::Source;
    m_drives = new QComboBox(this);
    m_drives->setObjectName(source ? "sourceDrives" : "targetDrives");
    m_folderLabel = new QLabel(this);
    m_folderLabel->setWordWrap(true);
    m_folders = new QListWidget(this);
    m_folders->setObjectName(source ? "sourceFolders" : "targetFolders");
    m_files = new QListWidget(this);
    m_files->setObjectName(source ? "sourceFiles" : "targetFiles");
    m_tables = new QListWidget(this);
    m_tables->setObjectName(source ? "sourceTables" : "targetTables");
    m_tables->setToolTip("tabele w pliku bazy danych");
    m_tables->hide();
    m_chosen = new QLabel(source ? "Wybierz plik źrodłowy !" : "Wybierz plik docelowy !", this);
    m_chosen->setObjectName(source ? "sourceChosenFile" : "targetChosenFile");
    m_chosen->setWordWrap(true);
    QFont bold = m_chosen->font();
    bold.setBold(true);
    m_chosen->setFont(bold);
    m_fields = new QListWidget(this);
    m_fields->setObjectName(source ? "sourceFieldList" : "targetFieldList");
    m_sort = new QCheckBox("sortuj", this);
    m_sort->setObjectName(source ? "sourceSort" : "targetSort");
    m_sort->setChecked(true);
    m_recordCount = new QLabel(this);
    m_recordCount->setObjectName(source ? "sourceRecordCount" : "targetRecordCount");
    m_fieldCount = new QLabel(this);
    m_fieldCount->setObjectName(source ? "sourceFieldCount" : "targetFieldCount");
    buildOptions();
    m_grid = new MappingGrid(this);
    m_grid->setObjectName(source ? "sourceGrid" : "targetGrid");

    const QColor background = source ? sidecolors::source() : sidecolors::target();
    for (QWidget* w : std::initializer_list<QWidget*>{m_folders, m_files, m_tables, m_fields, m_grid}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, background);
        w->setPalette(p);
    }

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_drives, 0, 0);
    layout->addWidget(m_folderLabel, 1, 0);
    layout->addWidget(m_folders, 2, 0);
    layout->addWidget(m_files, 0, 1, 2, 1);
    layout->addWidget(m_tables, 2, 1);
    layout->addWidget(m_chosen, 3, 0, 1, 2);
    layout->addWidget(m_recordCount, 4, 0);
    layout->addWidget(m_fieldCount, 4, 1);
    layout->addWidget(m_fields, 5, 0);
    layout->addWidget(m_grid, 5, 1);
    layout->addWidget(m_sort, 6, 0);
    auto* codePage = new QHBoxLayout;
    codePage->addWidget(new QLabel("strona kodowa:", this));
    codePage->addWidget(m_codePage, 1);
    layout->addLayout(codePage, 7, 0, 1, 2);
    // Both halves stay as wide as each other whatever their extra choices.
    auto* choices = new QHBoxLayout;
    if (m_allowStale) {
        choices->addWidget(m_allowStale);
        choices->addWidget(m_roundNumbers);
    }
    choices->addStretch();
    layout->addLayout(choices, 8, 0, 1, 2);
    layout->addWidget(m_warnings, 9, 0, 1, 2);
    layout->addWidget(m_preview, 10, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    layout->setRowStretch(5, 2);
    updateCounts();

    fillDrives();
    connect(m_drives, &QComboBox::activated, this, [this](int i) { setFolder(m_drives->itemText(i)); });
    connect(m_folders, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { enterFolder(item->text()); });
    connect(m_files, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { fileClicked(item->text()); });
    connect(m_files, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        if (chosenPath() != QDir(m_folder).filePath(item->text()))
            fileClicked(item->text());
    });
    connect(m_tables, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        openTable(tables::joinTableRef({m_tablesOf, item->text()}));
    });
    connect(m_sort, &QCheckBox::toggled, this, [this] {
        if (m_table.isOpen())
            reloadFields();
    });
    setFolder(QDir::currentPath());
}

TableSidePanel::~TableSidePanel() = default;

void TableSidePanel::buildOptions()
{
    const bool source = m_side == Side::Source;
    m_codePage = new QComboBox(this);
    m_codePage->setObjectName(source ? "sourceCodePage" : "targetCodePage");
    m_codePage->setToolTip("strona kodowa tekstów pliku; wybrana zastępuje oznaczenie w pliku");
    const std::pair<const char*, const char*> pages[] = {{"z oznaczenia pliku", ""},
                                                         {"1250 Windows środkowoeuropejska", "1250"},
                                                         {"852 DOS Latin 2", "852"},
                                                         {"620 Mazovia", "620"},
                                                         {"437 DOS", "437"},
                                                         {"850 DOS Latin 1", "850"},
                                                         {"1252 Windows zachodnia", "1252"},
                                                         {"ISO-8859-2", "ISO-8859-2"},
                                                         {"UTF-8", "UTF-8"}};
    for (const auto& [caption, value] : pages)
        m_codePage->addItem(QString::fromUtf8(caption), QString::fromLatin1(value));
    m_preview = new QLabel(this);
    m_preview->setObjectName(source ? "sourcePreview" : "targetPreview");
    m_preview->setToolTip("pierwsze rekordy odczytane w wybranej stronie kodowej");
    m_preview->setTextFormat(Qt::PlainText);
    m_preview->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_preview->setMinimumHeight(m_preview->fontMetrics().lineSpacing() * 3);
    m_preview->setMinimumWidth(1);
    m_warnings = new QLabel(this);
    m_warnings->setObjectName(source ? "sourceWarnings" : "targetWarnings");
    m_warnings->setWordWrap(true);
    m_warnings->setStyleSheet("color: #a00000");
    m_warnings->hide();
    if (!source) {
        m_allowStale = new QCheckBox("zapisuj mimo indeksów", this);
        m_allowStale->setObjectName("targetAllowStale");
        m_allowStale->setToolTip(
            "pozwól zapisywać tabelę dBASE z plikami indeksów; indeksy staną się nieaktualne");
        m_roundNumbers = new QCheckBox("zaokrąglaj liczby", this);
        m_roundNumbers->setObjectName("targetRoundNumbers");
        m_roundNumbers->setToolTip(
            "zapisuj liczby zaokrąglone do miejsc dziesiętnych pola zamiast je odrzucać");
        connect(m_allowStale, &QCheckBox::toggled, this, &TableSidePanel::reopen);
        connect(m_roundNumbers, &QCheckBox::toggled, this, &TableSidePanel::reopen);
    }
    connect(m_codePage, &QComboBox::activated, this, &TableSidePanel::reopen);
}

void TableSidePanel::reopen()
{
    // The same file again, read with the options now chosen.
    if (!m_lastPath.isEmpty())
        openTable(m_lastPath);
}

void TableSidePanel::showOpened()
{
    const QStringList warnings = m_table.isOpen() ? m_table.openWarnings() : QStringList();
    m_warnings->setText(warnings.join('\n'));
    m_warnings->setVisible(!warnings.isEmpty());
    m_preview->setText(importer::RecordStream::preview(m_table, 3).join('\n'));
}

void TableSidePanel::fillDrives()
{
    QStringList roots;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& v : volumes)
        if (v.isValid() && v.isReady() && !roots.contains(v.rootPath()))
            roots << v.rootPath();
    if (!roots.contains(QDir::rootPath()))
        roots.prepend(QDir::rootPath());
    roots.sort();
    m_drives->addItems(roots);
}

void TableSidePanel::setFolder(const QString& folder)
{
    m_folder = QDir(folder).absolutePath();
    // The drive list shows the mount the folder is on.
    const QString root = QStorageInfo(m_folder).rootPath();
    const int driveIndex = m_drives->findText(root);
    if (driveIndex >= 0)
        m_drives->setCurrentIndex(driveIndex);
    fillFolder();
    // A folder change empties the grid (and on the source side the field list).
    m_grid->clearFields();
    if (m_side == Side::Source)
        m_fields->clear();
}

void TableSidePanel::fillFolder()
{
    m_folderLabel->setText(QDir::toNativeSeparators(m_folder));
    m_folders->clear();
    QDir dir(m_folder);
    if (!dir.isRoot())
        m_folders->addItem("..");
    m_folders->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    m_files->clear();
    QStringList masks = {"*.db", "*.dbf", "*.sqlite", "*.sqlite3", "*.db3"};
    if (m_side == Side::Source)
        masks << "*.csv";
    const QStringList files = dir.entryList(masks, QDir::Files, QDir::Name | QDir::IgnoreCase);
    m_files->addItems(files);
    Q_EMIT filesChanged(files);
}

void TableSidePanel::enterFolder(const QString& name)
{
    setFolder(QDir(m_folder).filePath(name));
}

QStringList TableSidePanel::fileNames() const
{
    QStringList names;
    for (int i = 0; i < m_files->count(); ++i)
        names << m_files->item(i)->text();
    return names;
}

QString TableSidePanel::chosenPath() const
{
    return m_table.isOpen() ? m_table.path() : QString();
}

QString TableSidePanel::chosenFile() const
{
    return m_csv ? m_csvFile : chosenPath();
}

bool TableSidePanel::chooseFile(const QString& fileName)
{
    const auto found = m_files->findItems(fileName, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    m_files->setCurrentItem(found.first());
    fileClicked(fileName);
    return true;
}

void TableSidePanel::fileClicked(const QString& name)
{
    openTable(QDir(m_folder).filePath(name));
}

void TableSidePanel::openFile(const QString& path)
{
    const QString file = tables::splitTableRef(path).file;
    setFolder(QFileInfo(file).absolutePath());
    const auto found = m_files->findItems(QFileInfo(file).fileName(), Qt::MatchExactly);
    if (!found.isEmpty())
        m_files->setCurrentItem(found.first());
    openTable(QFileInfo(file).absoluteFilePath() + path.mid(file.size()));
}

void TableSidePanel::openTable(const QString& path)
{
    m_fields->clear();
    m_lastPath = path;
    m_chosen->setText(QDir::toNativeSeparators(path));
    m_table.close();
    m_csv.reset();
    const tables::TableRef ref = tables::splitTableRef(path);
    try {
        // A database of several tables: the user picks one from the list under the files.
        const QStringList names = tables::Table::tableNames(ref.file);
        m_tablesOf = ref.file;
        m_tables->clear();
        m_tables->addItems(names);
        m_tables->setVisible(names.size() > 1);
        const QString own = QFileInfo(ref.file).completeBaseName();
        const auto matching =
            m_tables->findItems(ref.table.isEmpty() ? own : ref.table, Qt::MatchFixedString);
        if (!matching.isEmpty())
            m_tables->setCurrentItem(matching.first());
        if (names.size() > 1 && matching.isEmpty()) {
            m_chosen->setText(QDir::toNativeSeparators(path) + " — wybierz tabelę z listy");
            m_grid->clearFields();
            updateCounts();
            Q_EMIT tableOpened();
            return;
        }
        const QString codePage = m_codePage->currentData().toString();
        if (m_side == Side::Source && importer::isCsvPath(ref.file)) {
            importer::CsvOptions options;
            if (!codePage.isEmpty())
                options.codePage = codePage.toLatin1();
            m_csv = std::make_unique<importer::CsvSource>(ref.file, options);
            m_csvFile = ref.file;
            m_table.setCodePage({});
            m_table.open(m_csv->tablePath());
        } else {
            m_table.setCodePage(codePage);
            if (m_allowStale) {
                m_table.setAllowStaleIndexes(m_allowStale->isChecked());
                m_table.setAllowRounding(m_roundNumbers->isChecked());
            }
            m_table.open(path);
        }
    } catch (const std::exception& e) {
        m_grid->clearFields();
        updateCounts();
        showOpened();
        Q_EMIT tableOpened();
        m_interaction.error(shell::messageOf(e));
        return;
    }
    updateCounts();
    reloadFields();
    showOpened();
    Q_EMIT tableOpened();
}

void TableSidePanel::reloadFields()
{
    m_fields->clear();
    if (!m_table.isOpen()) {
        m_grid->clearFields();
        return;
    }
    const importer::Mapping rows = importer::Pairing::side(m_table, m_sort->isChecked());
    for (const importer::MappingRow& row : rows)
        m_fields->addItem(row.field);
    m_grid->setMapping(rows);
}

void TableSidePanel::updateCounts()
{
    const bool source = m_side == Side::Source;
    const int records = m_table.isOpen() ? m_table.recordCount() : 0;
    const int fields = m_table.isOpen() ? int(m_table.fields().size()) : 0;
    m_recordCount->setText((source ? "rekordów: " : "rekordow: ") + QString::number(records));
    m_fieldCount->setText((source ? "dostępne pola: " : "dostepne pola: ") + QString::number(fields));
}
