#pragma once

// Importer's main window over folders of tables, as the window tests drive it.

#include "fakeinteraction.h"
#include "ui/importer/importermainwindow.h"
#include "ui/importer/mappinggrid.h"
#include "ui/importer/tablesidepanel.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace importertest {

// The texts of one column of a mapping grid.
inline QStringList column(MappingGrid* grid, int c)
{
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r)
        out << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
    return out;
}

// A widget or action under parent by its object name: the tests find what the user sees, as the user
// does, rather than through accessors kept for them. Throws (failing the test) when there is none.
template <typename T> T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no child named ") + name);
    return found;
}

class ImporterWindowFixture : public ::testing::Test {
protected:
    FakeInteraction ui;
    std::unique_ptr<ImporterMainWindow> window;
    TableSidePanel* source = nullptr;
    TableSidePanel* target = nullptr;

    template <typename T> T* find(const char* name) const { return child<T>(window.get(), name); }

    // Shows the window with each side's file list over a folder.
    void openWindow(const QString& sourceFolder, const QString& targetFolder)
    {
        window = std::make_unique<ImporterMainWindow>(&ui);
        window->show();
        source = find<TableSidePanel>("sourcePanel");
        target = find<TableSidePanel>("targetPanel");
        source->setFolder(sourceFolder);
        target->setFolder(targetFolder);
    }
};

} // namespace importertest
