#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace shell {

// "kalmenor config ...": the settings of the options window for scripts.
//   list                          every key as Section/key=value, its effective value
//   get Section/key               one value
//   set Section/key VALUE         checked against the key's type, stored like the window stores it
//   password ftp|mail [--clear]   a password from standard input into the remembered-password store
// args are the words after "config". Returns the process exit code.
struct ConfigCommandIo {
    QTextStream* out = nullptr;
    QTextStream* err = nullptr;
    // Reads one password line; the default reads standard input without echo on a terminal.
    std::function<QString()> readPassword;
};

int runConfigCommand(const QStringList& args, const QString& configDir, ConfigCommandIo io);

// One line from standard input, echo turned off while a terminal is attached.
QString readPasswordFromStdin();

} // namespace shell
