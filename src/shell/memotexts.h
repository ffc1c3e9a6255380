#pragma once

#include <QString>

namespace shell {

// The long texts of the options dialog, one memo line per file line.
namespace memotexts {

enum class ReadResult { Loaded, Missing, Unreadable };

// Lines joined by '\n'; *text is left alone unless the file was loaded.
ReadResult read(const QString& path, QString* text);
// Each memo line followed by CR LF; an empty memo gives an empty file. Atomic; throws AppError.
void write(const QString& path, const QString& text);

} // namespace memotexts

} // namespace shell
