#pragma once

#include <QString>

namespace tables {
class Table;
}

namespace catalogue {

class CategoryTree;

// Node keys and product IDs: "ID", nine digits, kind letter. The digits are a number between 0 and
// 99 999 999 with leading zeros, so the first of the nine is always "0" (stored files rely on it).
namespace nodekeys {

// Seeds the generator once; later calls are ignored unless force is set (tests).
void seed(quint64 value, bool force = false);
void seedFromClock();

// One draw, no uniqueness check.
QString draw(QChar kind);
// Draws again while a record of the table has that ID (without regard to case).
QString freshProductId(const tables::Table& products);
// Draws again while the tree holds that key.
QString freshNodeKey(const CategoryTree& tree, QChar kind);

bool productIdExists(const tables::Table& products, const QString& id);

} // namespace nodekeys
} // namespace catalogue
