#pragma once

#include <QStringList>
#include <QTextStream>

namespace importer {

// The verbs of the command line:
//   importer copy SOURCE TARGET [--replace] [--skip-source N,...] [--skip-target N,...] [--yes]
//   importer export (--html | --text [--separator S]) (SOURCE | --sql STATEMENT) OUTPUT
class CommandLine {
public:
    // True when the arguments (program name first) name a verb.
    static bool hasVerb(const QStringList& arguments);
    // Runs the verb; returns the exit status (0 only when everything succeeded).
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

private:
    static int copy(const QStringList& arguments, QTextStream& out, QTextStream& err);
    static int exportTable(const QStringList& arguments, QTextStream& out, QTextStream& err);
};

} // namespace importer
