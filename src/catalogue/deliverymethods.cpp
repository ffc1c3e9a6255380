#include "catalogue/deliverymethods.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QFile>

DeliveryMethodList DeliveryMethodList::designState()
{
    DeliveryMethodList list;
    list.rows.resize(4);
    return list;
}

shell::DeliveryMethodRow DeliveryMethodList::splitLine(const QString& line)
{
    shell::DeliveryMethodRow row;
    const qsizetype first = line.indexOf(QLatin1Char('|'));
    if (first < 0) {
        row.mark = line.left(1);
        return row;
    }
    const qsizetype last = line.lastIndexOf(QLatin1Char('|'));
    row.name = line.left(first);
    row.price = last > first ? line.mid(first + 1, last - first - 1) : QString();
    row.mark = line.mid(last + 1, 1);
    return row;
}

QString DeliveryMethodList::joinLine(const shell::DeliveryMethodRow& row)
{
    return row.name + QLatin1Char('|') + row.price + QLatin1Char('|') + row.mark;
}

DeliveryMethodList DeliveryMethodList::fromLines(const QStringList& lines)
{
    DeliveryMethodList list;
    for (const QString& line : lines)
        list.rows.push_back(splitLine(line));
    if (!list.rows.empty()) {
        list.hidden = list.rows.back();
        list.rows.pop_back();
    }
    return list;
}

QStringList DeliveryMethodList::toLines() const
{
    QStringList lines;
    for (const shell::DeliveryMethodRow& row : rows)
        lines << joinLine(row);
    lines << joinLine(hidden);
    return lines;
}

DeliveryMethodList DeliveryMethodList::read(const QString& path)
{
    return fromLines(shell::textfile::readLines(path));
}

void DeliveryMethodList::write(const QString& path) const
{
    shell::textfile::writeLines(path, toLines());
}

QString deliveryFilePath(const shell::ProgramFolder& folder)
{
    return folder.dataFile(QStringLiteral("delivery.bdt"));
}

QString deliveryScratchPath(const shell::ProgramFolder& folder)
{
    return folder.dataFile(QStringLiteral("temp.bdt"));
}

std::vector<shell::DeliveryMethodRow> readDeliveryMethods(const shell::ProgramFolder& folder)
{
    try {
        return DeliveryMethodList::read(deliveryFilePath(folder)).rows;
    } catch (const shell::AppError&) {
        return DeliveryMethodList::designState().rows; // no list yet: nothing to offer
    }
}

bool isAcceptablePriceText(const QString& text, const QLocale& locale)
{
    if (text.isEmpty())
        return true;
    auto reads = [&locale](const QString& t) {
        bool ok = false;
        locale.toDouble(t, &ok);
        if (!ok)
            QLocale::c().toDouble(t, &ok);
        return ok;
    };
    if (reads(text))
        return true;
    // "12," on the way to "12,50"
    const QChar last = text.back();
    return (last == locale.decimalPoint().front() || last == QLatin1Char('.')) && text.size() > 1
           && reads(text + QLatin1Char('0'));
}

DeliveryMethodsModel::DeliveryMethodsModel(const shell::ProgramFolder& folder, QObject* parent)
    : QAbstractTableModel(parent), m_folder(folder), m_list(DeliveryMethodList::designState())
{
    reload();
}

int DeliveryMethodsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_list.rows.size());
}

int DeliveryMethodsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeliveryMethodsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const shell::DeliveryMethodRow& row = m_list.rows[size_t(index.row())];
    switch (index.column()) {
    case NameColumn:
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return row.name;
        break;
    case PriceColumn:
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return row.price;
        break;
    case MarkColumn:
        if (role == MarkRole)
            return row.mark;
        if (role == Qt::ToolTipRole)
            return row.mark == QStringLiteral("1") ? QStringLiteral("Offered")
                                                   : QStringLiteral("Not offered");
        break;
    default:
        break;
    }
    return {};
}

bool DeliveryMethodsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount())
        return false;
    shell::DeliveryMethodRow& row = m_list.rows[size_t(index.row())];
    const QString text = value.toString();
    if (index.column() == NameColumn && role == Qt::EditRole) {
        row.name = text;
    } else if (index.column() == PriceColumn && role == Qt::EditRole) {
        if (!isAcceptablePriceText(text))
            return false; // the last valid price stays
        row.price = text;
    } else if (index.column() == MarkColumn && role == MarkRole) {
        row.mark = text;
    } else {
        return false;
    }
    Q_EMIT dataChanged(index, index);
    Q_EMIT rowsEdited();
    return true;
}

Qt::ItemFlags DeliveryMethodsModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() != MarkColumn)
        f |= Qt::ItemIsEditable; // the mark toggles instead of opening an editor
    return f;
}

QVariant DeliveryMethodsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString();
    if (section == NameColumn)
        return QStringLiteral("Delivery method");
    if (section == PriceColumn)
        return QStringLiteral("Price");
    return QString();
}

bool DeliveryMethodsModel::moveRows(const QModelIndex& sourceParent, int sourceRow, int count,
                                    const QModelIndex& destinationParent, int destinationChild)
{
    if (sourceParent.isValid() || destinationParent.isValid() || count < 1 || sourceRow < 0
        || sourceRow + count > rowCount() || destinationChild < 0 || destinationChild > rowCount())
        return false;
    if (destinationChild >= sourceRow && destinationChild <= sourceRow + count)
        return false;
    if (!beginMoveRows({}, sourceRow, sourceRow + count - 1, {}, destinationChild))
        return false;
    auto& r = m_list.rows;
    std::vector<shell::DeliveryMethodRow> moved(r.begin() + sourceRow, r.begin() + sourceRow + count);
    r.erase(r.begin() + sourceRow, r.begin() + sourceRow + count);
    const int insertAt = destinationChild > sourceRow ? destinationChild - count : destinationChild;
    r.insert(r.begin() + insertAt, moved.begin(), moved.end());
    endMoveRows();
    Q_EMIT rowsEdited();
    return true;
}

bool DeliveryMethodsModel::reload()
{
    try {
        replace(DeliveryMethodList::read(deliveryFilePath(m_folder)));
        return true;
    } catch (const shell::AppError&) {
        return false; // no list file yet: the grid stays as it is
    }
}

void DeliveryMethodsModel::confirm() const
{
    m_list.write(deliveryFilePath(m_folder));
}

void DeliveryMethodsModel::addRow()
{
    const int at = rowCount();
    beginInsertRows({}, at, at);
    m_list.rows.push_back(m_list.hidden);
    m_list.hidden = {};
    endInsertRows();
    Q_EMIT rowsEdited();
}

void DeliveryMethodsModel::deleteRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    DeliveryMethodList rest = m_list;
    rest.rows.erase(rest.rows.begin() + row);
    const QString scratch = deliveryScratchPath(m_folder);
    rest.write(scratch);
    replace(DeliveryMethodList::read(scratch));
}

void DeliveryMethodsModel::toggleMark(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const QString mark = m_list.rows[size_t(row)].mark;
    setData(index(row, MarkColumn), mark == QStringLiteral("1") ? QStringLiteral("0") : QStringLiteral("1"),
            MarkRole);
}

void DeliveryMethodsModel::replace(DeliveryMethodList list)
{
    beginResetModel();
    m_list = std::move(list);
    endResetModel();
    Q_EMIT rowsEdited();
}
