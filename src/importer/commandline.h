#pragma once

#include <QStringList>
#include <QTextStream>

namespace importer {

// The verbs of the command line (see usage()).
class CommandLine {
public:
    enum class Face {
        Command, // a verb, --help, --version or an argument error: no windows, no display needed
        Windows, // nothing but table files (at most two) and Qt's own options
    };
    // Which face the arguments (program name first) ask for; *files receives the table files to open
    // in the windows (source, then target).
    static Face faceOf(const QStringList& arguments, QStringList* files = nullptr);
    // True when the arguments name a verb, --help or --version.
    static bool hasVerb(const QStringList& arguments);
    // Runs the verb; returns the exit status (0 when everything succeeded, warnings included; 2 for a
    // wrong command line). terminal: standard error is a terminal, so long copies show their progress.
    static int run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal = false);

    static QString usage();

private:
    static int copy(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal);
    static int exportTable(const QStringList& arguments, QTextStream& out, QTextStream& err);
};

} // namespace importer
