#pragma once

#include <QString>

namespace shell {

// The desktop's stand-ins for the programs the tool bar starts.
namespace desktop {
QString textEditorCommand(); // "notepad.exe" here
QString calculatorCommand(); // "calc.exe" here
} // namespace desktop

namespace desktop {
// True when standard error goes to a terminal (progress lines are shown only there).
bool stderrIsTerminal();
} // namespace desktop

} // namespace shell
