#pragma once

#include "shell/programfolder.h"
#include "shell/settings.h"

#include <QAbstractTableModel>
#include <QLocale>
#include <QStringList>
#include <vector>

// The delivery methods list and its file delivery.bdt: one line per row, "name|price|mark", CR LF.
// The file's last line is a row the grid keeps but never shows; it is written back unchanged, so a
// file read and written again stays the same.
struct DeliveryMethodList {
    std::vector<shell::DeliveryMethodRow> rows; // shown rows
    shell::DeliveryMethodRow hidden;            // the row after them, never shown

    // Heading row plus four empty rows: what a grid shows without a file.
    static DeliveryMethodList designState();

    // Name before the first "|", price between the first and the last "|", mark the one character
    // after the last "|". A line without "|" gives only a mark, its first character.
    static shell::DeliveryMethodRow splitLine(const QString& line);
    static QString joinLine(const shell::DeliveryMethodRow& row);

    static DeliveryMethodList fromLines(const QStringList& lines);
    QStringList toLines() const; // every shown row, then the hidden one

    // Throws AppError when the file cannot be read or written.
    static DeliveryMethodList read(const QString& path);
    void write(const QString& path) const;
};

QString deliveryFilePath(const shell::ProgramFolder& folder);    // Bd/delivery.bdt
QString deliveryScratchPath(const shell::ProgramFolder& folder); // Bd/temp.bdt

// The rows as the editor shows them at start-up (the design state when the file is missing or unreadable).
std::vector<shell::DeliveryMethodRow> readDeliveryMethods(const shell::ProgramFolder& folder);

// A price as typed: empty, or a number in the user's format (or with a point), a trailing decimal
// separator allowed while typing.
bool isAcceptablePriceText(const QString& text, const QLocale& locale = QLocale());

// The editor's grid: columns "Delivery method", "Price" and the offered mark.
class DeliveryMethodsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn = 0, PriceColumn = 1, MarkColumn = 2, ColumnCount = 3 };
    static constexpr int MarkRole = Qt::UserRole + 1; // the raw mark text

    explicit DeliveryMethodsModel(const shell::ProgramFolder& folder, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    bool moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                  const QModelIndex& destinationParent, int destinationChild) override;

    const DeliveryMethodList& list() const { return m_list; }
    const std::vector<shell::DeliveryMethodRow>& rows() const { return m_list.rows; }

    // Reads delivery.bdt again, dropping unconfirmed changes; a missing or unreadable file keeps the
    // rows as they are. Returns whether the file was read.
    bool reload();
    // Writes every row (and the hidden one) to delivery.bdt. Throws AppError.
    void confirm() const;
    // Adds a row at the end: the row the grid kept hidden comes into view.
    void addRow();
    // Deletes a shown row through temp.bdt; delivery.bdt is untouched until confirm(). Throws AppError.
    void deleteRow(int row);
    // A mark other than "1" becomes "1", a "1" becomes "0".
    void toggleMark(int row);

Q_SIGNALS:
    void rowsEdited(); // any change of the rows, for whoever mirrors them

private:
    void replace(DeliveryMethodList list);

    shell::ProgramFolder m_folder;
    DeliveryMethodList m_list;
};
