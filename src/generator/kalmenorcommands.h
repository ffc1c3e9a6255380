#pragma once

#include <QString>
#include <optional>

// Kalmenor's command line: the verbs (init, build, preview, upload, config, catalogue), --help and
// --version. It links no widgets, so a nightly rebuild runs without a display.
namespace generator {

// Where the windows start when no verb was given.
struct WindowStart {
    QString programFolder; // empty: the current directory
    QString configDir;     // the folder of KVO.INI
};

// Runs a verb (or prints the help or version) and returns its exit status; returns nothing when the
// arguments ask for the windows, filling start.
std::optional<int> runCommandLine(int argc, char** argv, WindowStart* start);

} // namespace generator
