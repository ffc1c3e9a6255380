#pragma once

// Importer's command line run in this process, with what it printed.

#include "importer/commandline.h"

#include <QStringList>
#include <QTextStream>

namespace importertest {

struct CommandLineOutcome {
    int status;
    QString out;
    QString err;
};

// args: what follows the program name ("copy", SOURCE, TARGET, ...).
inline CommandLineOutcome runCommandLine(QStringList args)
{
    args.prepend(QStringLiteral("importer"));
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = importer::CommandLine::run(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

} // namespace importertest
