#include "shell/desktop.h"

#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>

namespace shell {

#endif

namespace desktop {

static QString firstFound(std::initializer_list<const char*> names, const char* fallback)
{
    for (const char* n : names) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(n));
        if (!found.isEmpty())
            return found;
    }
    return QString::fromLatin1(fallback);
}

QString textEditorCommand()
{
    return firstFound({"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "xed", "pluma", "leafpad"},
                      "xdg-open");
}

QString calculatorCommand()
{
    return firstFound({"gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc"},
                      "xcalc");
}

} // namespace desktop

namespace desktop {

bool stderrIsTerminal()
{
#ifdef Q_OS_UNIX
    return isatty(STDERR_FILENO) == 1;
#else
    return false;
#endif
}

} // namespace desktop

} // namespace shell
