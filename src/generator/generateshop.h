#pragma once

#include "generator/generatorcontext.h"

#include <QString>

namespace catalogue {
class CategoryTree;
}

namespace generator {

// Opcje/motyw: which pages a run writes.
inline constexpr int kClassicTheme = 0;
inline constexpr int kModernTheme = 1;

// The whole run: clears the report, copies the assets and writes every page in its fixed order into
// shopFolder (no trailing separator) with startPage as the frame set's file name, then the summary
// lines; with the context's upload hook set, calls it at the end. A failed page write throws AppError
// and stops the run (the report keeps the lines written so far).
void generateShop(GeneratorContext& context, const QString& shopFolder, const QString& startPage);

// What "Build Webshop" makes of the chosen file: ".html" added to a name without extension, the start
// page is the file name, the shop folder is the file's folder + "/" + the name cut before its last ".".
struct BuildTarget {
    QString shopFolder;
    QString startPage;
};
BuildTarget buildTargetFor(const QString& chosenFile);

// Why a start page name cannot be used, or an empty text when it can: a name of only an extension, or
// the name of a file the run writes (compared without regard to case), which would be overwritten.
QString startPageProblem(const QString& startPage, const catalogue::CategoryTree& tree);

// True when the folder exists, holds something, and holds neither the start page nor top.html of an
// earlier build: building there would overwrite files that are not ours.
bool holdsForeignFiles(const BuildTarget& target);

// The commands of the shop page. Each one clears the products table's filter, runs, shows failures
// through the context's interaction (error box) and resets the progress to 0. The context must carry
// no upload hook (the upload command builds its own run).
// "Build Webshop": asks for the target file; returns false when cancelled, refused or failed.
bool buildWebshop(GeneratorContext& context);
// Generates into the chosen file's target without the save dialog (the command line and tests);
// force builds into a folder holding other files without asking.
bool buildWebshopAt(GeneratorContext& context, const QString& chosenFile, bool force);
// "Preview Webshop": generates into the preview folder and opens its index.html when openPage is set.
bool previewWebshop(GeneratorContext& context, bool openPage = true);

} // namespace generator
