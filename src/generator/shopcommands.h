#pragma once

#include "shell/programfolder.h"

#include <QString>
#include <QTextStream>
#include <functional>

namespace tables {
class Table;
}

// The generator's face on the command line: build or preview the shop of a program folder without a
// window, and make a demo program folder.
namespace generator {

// The folder holding skeleton/ (the program-folder skeleton) and demo/ (the demo catalogue):
// $KALMENOR_DATA_DIR when set, else share/kalmenor beside the program, else the source tree's data folder.
QString bundledDataRoot();

// Makes a program folder in dir from the skeleton and fills it with the demo catalogue: tree file,
// products, pictures, texts and delivery methods. When configDir holds no KVO.INI yet, the demo's
// settings are put there too (returns true then). Throws AppError; refuses a folder that already
// holds a data folder.
bool createDemoProgramFolder(const QString& dir, const QString& configDir,
                             const QString& dataRoot = bundledDataRoot());

// Appends the records of a tab-separated products file (a heading line of column names, then one line
// per product; logical columns as 1/0, numbers with a decimal point). Throws AppError naming the line.
void appendProductsFromText(tables::Table& products, const QString& path);

// kalmenor build [TARGET]: what "Build Webshop" does with TARGET as the chosen file (an empty TARGET
// builds the preview folder's index.html). Prints the report lines on out and then the path of the
// start page; failures go to err. Returns the exit status: 0 built, 1 failed, 2 refused (start page
// name, or a folder holding other files without force).
// theme: kClassicTheme or kModernTheme overrides Opcje/motyw for this run; -1 keeps the setting.
int buildShopCommand(const shell::ProgramFolder& folder, const QString& configDir, const QString& target,
                     bool force, QTextStream& out, QTextStream& err, int theme = -1);
// "classic" or "modern" as a theme number; -1 for any other text.
int themeFromName(const QString& name);

// kalmenor preview [--no-open]: builds the preview folder and opens its index.html in the browser.
int previewShopCommand(const shell::ProgramFolder& folder, const QString& configDir, bool openPage,
                       QTextStream& out, QTextStream& err, int theme = -1);

// kalmenor upload, its generation half: generates the publishing folder (Bd/Kalmenor) and calls upload
// at the end of the run, after the summary lines. Report lines go to out. Returns false, having said why
// on err, when the catalogue could not be opened or a page could not be written (upload is not called).
// Fits the generate argument of uploadShopCommand.
bool generateForUploadCommand(const shell::ProgramFolder& folder, const QString& configDir,
                              const std::function<void()>& upload, QTextStream& out, QTextStream& err,
                              int theme = -1);

} // namespace generator
