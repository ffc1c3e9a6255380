#pragma once

#include "shell/settings.h"

#include <QByteArray>
#include <QString>

namespace generator {

// "#" and the red, green and blue bytes of a colour value (0x00BBGGRR) in upper-case hexadecimal.
QString colorToHtml(shell::ColorValue color);

// The bytes savePage writes for a page text: UTF-8, split at CR LF pairs, CR LF after every line (the
// last one included); a lone LF stays inside its line. An empty text gives an empty file.
QByteArray pageBytes(const QString& text);

// Writes a page (replacing the file by writing beside it and renaming). Throws AppError with the
// platform's message when the file cannot be written; the run stops there.
void savePage(const QString& text, const QString& path);

// Writes a file: a new one under its name at once, an existing one beside its path and renamed over it
// (never through a link there). Throws AppError with the reason.
void writeFileBeside(const QString& path, const QByteArray& bytes);
// Removes the temporaries ("page.html.part", "x.jpg.part", ...) a killed run left in a folder (links
// among them as links).
void removeLeftoverTemporaries(const QString& folder);
// The whole content of a file; empty when it cannot be read.
QByteArray readWholeFile(const QString& path);

// Adds one line (converted to UTF-8, followed by CR LF) to the end of a page written earlier, leaving
// the bytes already in the file unchanged. Returns false when the file cannot be read; throws
// AppError when it cannot be written back.
bool appendPageLine(const QString& path, const QString& line);

// Memo text (lines joined by '\n') as the pages take it: each line followed by CR LF; an empty text
// gives an empty result.
QString memoText(const QString& lines);

// The common head block of the catalogue, navigation, price list and search pages.
QString commonHeadBlock();

// The generator meta tag in its four forms.
inline const QString kGeneratorTagUpperWithHead =
    QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></HEAD>");
inline const QString kGeneratorTagLowerWithHead =
    QStringLiteral("<meta name=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\"></head>");
inline const QString kGeneratorTag = QStringLiteral("<META NAME=\"GENERATOR\"CONTENT=\"Tavrone Kalmenor\">");
inline const QString kGeneratorTagFrameSet =
    QStringLiteral("<META NAME=\"GENERATOR\" CONTENT=\"Tavrone Kalmenor\">");

// The maker's footer of the search page and the order form: logo piece and copyright line.
QString makerFooter();

} // namespace generator
