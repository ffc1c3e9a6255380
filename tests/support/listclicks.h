#pragma once

#include <QString>

class QListWidget;

namespace testsupport {

// Clicks (double-clicks) the item of the list whose text is exactly text, scrolled into view first;
// fails the test when there is none.
void clickItem(QListWidget* list, const QString& text);
void doubleClickItem(QListWidget* list, const QString& text);

} // namespace testsupport
