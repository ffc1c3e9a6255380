#pragma once

#include <QString>

namespace shell {
class Interaction;
}
class QTextStream;

namespace catalogue {

// An old products table kept as a Paradox file (towary.db with its .PX/.MB) becomes the native table:
// every record is copied into a new native file made beside it, the original and its companions are
// renamed to towary.paradox.db/.PX/.MB, and only then the new file takes the name towary.db.

// True when the file at path is a Paradox table.
bool isParadoxTable(const QString& path);

// Converts; returns the number of records copied. Throws AppError (naming the file) and leaves the
// original in place when anything fails, or when a column of the old table has no place in the native one.
int convertParadoxProductsTable(const QString& path);

// Why a Paradox products table is open read-only until it is converted.
QString paradoxProductsReadOnlyReason();

// kalmenor catalogue --convert: status 0 converted, 2 not (the error on err).
int runParadoxConversionCommand(const QString& path, QTextStream& out, QTextStream& err);

// At start-up: asks once whether to convert a Paradox products table. Returns true when it was
// converted; a refusal or a failed conversion (its error shown) leaves the table as it is.
bool offerParadoxConversion(const QString& path, shell::Interaction& ui);

} // namespace catalogue
