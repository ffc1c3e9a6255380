#pragma once

#include "generator/generatorcontext.h"

namespace generator {

// The frame set page (the start page): context.startPage() in the shop folder. Reports
// "Web Shop INDEX: " + F + "/" + N.
void writeIndexPage(GeneratorContext& context);
// top.html: the header strip with the shop's buttons.
void writeTopPage(GeneratorContext& context);
// menu.html: the category menu and the optional link list.
void writeMenuPage(GeneratorContext& context);

// The page the body frame opens first: the welcome page when it is included, else the first tree
// node's page (a product entry's page is named by its record's ID), else the search page.
QString bodyStartPage(GeneratorContext& context);

// The file name part of a path setting, with the characters that would break a reference in a page
// ("'", '"', "#", "%", "?") percent-encoded. The copied file keeps its real name.
QString pictureReference(const QString& path);
// A file name with those characters percent-encoded.
QString percentEncodedName(const QString& name);

// Text for a double-quoted attribute: '"' becomes "&quot;", everything else stays as typed.
QString quoteAttribute(const QString& text);

} // namespace generator
