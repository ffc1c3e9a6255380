#pragma once

class QString;
class QVariant;
class QWidget;
class RecordNavigator;
namespace shell {
class Interaction;
}
namespace tables {
class DataSet;
class Table;
} // namespace tables

// The record navigator under the product pages: hints, the delete question, and "Refresh" rereading the
// table file.
RecordNavigator* productNavigator(QWidget* parent, const QString& name, tables::Table& products,
                                  shell::Interaction& ui);

// Stores a typed but unconfirmed product edit; a bad value is reported and false returned.
bool storePendingEdit(tables::DataSet& products, shell::Interaction& ui);
// Writes one column of the current record and stores it; a refusal is reported, the edit cancelled and
// false returned.
bool storeValue(tables::DataSet& products, const QString& column, const QVariant& value,
                shell::Interaction& ui);
