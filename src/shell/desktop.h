#pragma once

#include <QString>

// The desktop's stand-ins for the programs the tool bar starts.
namespace desktop {
QString textEditorCommand(); // "notepad.exe" here
QString calculatorCommand(); // "calc.exe" here
} // namespace desktop
