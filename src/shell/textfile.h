#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace shell {

// Text files of the program (tree file, memo texts, delivery list, settings) are read as UTF-8 when they
// carry a byte-order mark or are valid UTF-8 with non-ASCII bytes, otherwise as Windows-1250. They are
// written as Windows-1250, or as UTF-8 with a byte-order mark when a character does not fit, so nothing
// is ever lost or replaced.
namespace textfile {

QString decode(const QByteArray& bytes);
QByteArray encode(const QString& text);

// Windows-1250 conversions on their own; toCp1250 returns false when a character does not fit.
QString fromCp1250(const QByteArray& bytes);
bool toCp1250(const QString& text, QByteArray* out);

// Throws AppError (message names the file) when the file cannot be read.
QString read(const QString& path);
// Lines without their CR LF / LF ends; a missing final line end is fine.
QStringList readLines(const QString& path);

// Atomic: writes beside the file, then renames over it. Throws AppError on failure.
void write(const QString& path, const QString& text);
void writeBytes(const QString& path, const QByteArray& bytes);
// Each line followed by CR LF.
void writeLines(const QString& path, const QStringList& lines);

} // namespace textfile

} // namespace shell
