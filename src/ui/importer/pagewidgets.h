#pragma once

class DataSetModel;
class QGroupBox;
class QString;
class QTableView;
class QWidget;

// Pieces the Importer's pages and dialogs are built from.

// A titled frame holding one widget.
QGroupBox* boxed(const QString& title, QWidget* content, QWidget* parent);
// A grid over a data set's records, in the pages' row height.
QTableView* recordGrid(DataSetModel* model, const char* name, QWidget* parent);
