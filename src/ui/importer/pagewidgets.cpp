#include "ui/importer/pagewidgets.h"

#include "ui/common/datasetmodel.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

QGroupBox* boxed(const QString& title, QWidget* content, QWidget* parent)
{
    auto* box = new QGroupBox(title, parent);
    (new QVBoxLayout(box))->addWidget(content);
    return box;
}

QTableView* recordGrid(DataSetModel* model, const char* name, QWidget* parent)
{
    auto* grid = new QTableView(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setModel(model);
    grid->verticalHeader()->setDefaultSectionSize(20);
    return grid;
}
