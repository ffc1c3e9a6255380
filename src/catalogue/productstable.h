#pragma once

#include "shell/tables/fieldtype.h"

#include <QString>
#include <QVector>

namespace catalogue {

// The columns of the products table `Produkty` (file towary.db).
QVector<tables::Field> productsTableFields();
// Creates an empty products table file; throws AppError when it exists or cannot be written.
void createProductsTable(const QString& path);

} // namespace catalogue
