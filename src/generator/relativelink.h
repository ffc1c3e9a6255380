#pragma once

#include <QString>

namespace generator {

// Turns a link path typed in the hyperlink grid into the value of an OPTION of the menu, relative to
// base (the shop's top.html). Web addresses and relative paths are returned as typed; an absolute
// local path becomes a percent-encoded path relative to the base's folder (with "../" steps when it
// lies outside it). A Windows path ("X:\...") from an old settings file becomes a file:/// address.
QString relativeLink(const QString& base, const QString& link);

// Percent-encodes blanks, "*", "#", "%", "<", ">" and every byte of 128 or more of the UTF-8 form.
QString percentEncodeLink(const QString& text);

} // namespace generator
