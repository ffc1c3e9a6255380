#pragma once

// Importer's main window over folders of tables, as the window tests drive it.

#include "fakeinteraction.h"
#include "ui/importer/importermainwindow.h"
#include "ui/importer/importpage.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

namespace importertest {

// The texts of one column of a mapping grid.
inline QStringList column(MappingGrid* grid, int c)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return out;
}

class ImporterWindowFixture : public ::testing::Test {
protected:
    FakeInteraction ui;
    std::unique_ptr<ImporterMainWindow> window;
    TableSidePanel* source = nullptr;
    TableSidePanel* target = nullptr;

    // Shows the window with each side's file list over a folder.
    void openWindow(const QString& sourceFolder, const QString& targetFolder)
    {
        window = std::make_unique<ImporterMainWindow>(&ui);
        window->show();
        source = window->importPage()->sourcePanel();
        target = window->importPage()->targetPanel();
        source->setFolder(sourceFolder);
        target->setFolder(targetFolder);
    }
};

} // namespace importertest
