#include "catalogue/pricehistory.h"

#include "catalogue/categorytree.h"
#include "shell/error.h"
#include "shell/tables/connection.h"
#include "shell/tables/table.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace catalogue {

namespace {

namespace columns = products;

const QString kTable = QStringLiteral("historiacen");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// As the pages show it: a product without a status sells at its regular price.
bool isPromotedStatus(const QString& status)
{
    return !status.isEmpty() && status != QStringLiteral("Normal") && status != QStringLiteral("New");
}

// Prices are compared as the price rules keep them, to four decimals, so the noise of a double never
// adds a row.
qint64 units(double value)
{
    return std::llround(value * 10000.0);
}

bool samePrice(const EffectivePrice& a, const EffectivePrice& b)
{
    return units(a.net) == units(b.net) && units(a.gross) == units(b.gross) && a.promoted == b.promoted;
}

QString foldedId(const QString& id)
{
    return id.trimmed().toUpper();
}

EffectivePrice priceFromRow(const QVector<QVariant>& row, int first)
{
    return {row.value(first).toDouble(), row.value(first + 1).toDouble(), row.value(first + 2).toInt() != 0};
}

// A product's row with its time as stored: the stored texts sort as the times do, and only a few of
// them need reading as times.
struct StoredRow {
    QString when;
    EffectivePrice price;
};

// The lowest price before the promotion of a product's rows, oldest first (lowestBeforePromotion).
std::optional<LowestPriceBefore> lowestBefore(const std::vector<StoredRow>& rows)
{
    if (rows.empty() || !rows.back().price.promoted)
        return std::nullopt;
    size_t start = rows.size() - 1;
    while (start > 0 && rows[start - 1].price.promoted)
        --start;
    if (start == 0)
        return std::nullopt; // promoted since the first row: no price before it is known

    const auto timeOf = [&rows](size_t i) { return QDateTime::fromString(rows[i].when, kTimeFormat); };
    const QDateTime began = timeOf(start);
    const QDateTime windowOpens = began.addDays(-PriceHistory::kLawfulDays);
    // The price in force when the window opened counts too: the last row before it.
    size_t first = start - 1;
    while (first > 0 && timeOf(first) > windowOpens)
        --first;
    LowestPriceBefore lowest{rows[first].price.net, rows[first].price.gross, began};
    for (size_t i = first + 1; i < start; ++i) {
        lowest.net = std::min(lowest.net, rows[i].price.net);
        lowest.gross = std::min(lowest.gross, rows[i].price.gross);
    }
    return lowest;
}

} // namespace

EffectivePrice effectivePrice(double net, double gross, double promotionNet, double promotionGross,
                              const QString& status)
{
    if (isPromotedStatus(status))
        return {promotionNet, promotionGross, true};
    return {net, gross, false};
}

EffectivePrice effectivePriceOf(const tables::DataSet& products)
{
    return effectivePrice(products.number(columns::kNetPrice), products.number(columns::kGrossPrice),
                          products.number(columns::kPromoNet), products.number(columns::kPromoGross),
                          products.text(columns::kStatus));
}

PriceHistory::PriceHistory(const QString& dataFolder)
{
    m_path = dataFolder;
    if (!m_path.isEmpty() && !m_path.endsWith(QLatin1Char('/')))
        m_path += QLatin1Char('/');
    m_path += fileName();
}

PriceHistory::~PriceHistory() = default;

bool PriceHistory::open(bool create) const
{
    if (m_connection)
        return true;
    if (!QFileInfo::exists(m_path)) {
        if (!create)
            return false;
        tables::Table::create(m_path, {{QStringLiteral("ID"), tables::FieldType::Alpha, kKeyLength},
                                       {QStringLiteral("Data"), tables::FieldType::Timestamp},
                                       {QStringLiteral("Netto"), tables::FieldType::Number},
                                       {QStringLiteral("Brutto"), tables::FieldType::Number},
                                       {QStringLiteral("Promocja"), tables::FieldType::Logical}});
    }
    auto connection = std::make_unique<tables::Connection>(m_path);
    connection->exec(QStringLiteral("CREATE INDEX IF NOT EXISTS historiacen_id ON historiacen (ID)"));
    m_connection = std::move(connection);
    return true;
}

std::optional<EffectivePrice> PriceHistory::lastPrice(const QString& productId) const
{
    if (!open(false))
        return std::nullopt;
    const auto rows = m_connection->select(
        QStringLiteral("SELECT Netto, Brutto, Promocja FROM %1 WHERE ID = ? ORDER BY rowid DESC "
                       "LIMIT 1")
            .arg(kTable),
        {foldedId(productId)});
    if (rows.isEmpty())
        return std::nullopt;
    return priceFromRow(rows.first(), 0);
}

bool PriceHistory::record(const QString& productId, const EffectivePrice& price, const QDateTime& when)
{
    const QString id = foldedId(productId);
    if (id.isEmpty())
        return false;
    const std::optional<EffectivePrice> last = lastPrice(id);
    if (last && samePrice(*last, price))
        return false;
    open(true);
    m_connection->run(
        QStringLiteral("INSERT INTO %1 (ID, Data, Netto, Brutto, Promocja) VALUES (?, ?, ?, ?, ?)")
            .arg(kTable),
        {id, when.toString(kTimeFormat), price.net, price.gross, price.promoted ? 1 : 0});
    return true;
}

int PriceHistory::recordChanges(const std::vector<CurrentPrice>& current, const QDateTime& when)
{
    if (current.empty())
        return 0;

    open(true);
    QHash<QString, EffectivePrice> last;
    // The row with the greatest rowid of each product is its latest: rows are only ever appended.
    for (const auto& row : m_connection->select(
             QStringLiteral("SELECT ID, Netto, Brutto, Promocja, max(rowid) FROM %1 GROUP BY ID")
                 .arg(kTable)))
        last.insert(row.value(0).toString(), priceFromRow(row, 1));

    const QString stamp = when.toString(kTimeFormat);
    int added = 0;
    QSet<QString> seen;
    m_connection->begin();
    try {
        for (const CurrentPrice& product : current) {
            const QString id = foldedId(product.productId);
            if (id.isEmpty() || seen.contains(id))
                continue; // the first record of an ID is the product, as every lookup finds it
            seen.insert(id);
            const auto known = last.constFind(id);
            if (known != last.constEnd() && samePrice(known.value(), product.price))
                continue;
            m_connection->run(
                QStringLiteral("INSERT INTO %1 (ID, Data, Netto, Brutto, Promocja) VALUES (?, ?, ?, ?, ?)")
                    .arg(kTable),
                {id, stamp, product.price.net, product.price.gross, product.price.promoted ? 1 : 0});
            ++added;
        }
        m_connection->commit();
    } catch (const shell::AppError&) {
        m_connection->rollback();
        throw;
    }
    return added;
}

std::vector<PriceHistoryEntry> PriceHistory::entries(const QString& productId) const
{
    std::vector<PriceHistoryEntry> result;
    if (!open(false))
        return result;
    const QString id = foldedId(productId);
    const auto rows = m_connection->select(
        QStringLiteral("SELECT Data, Netto, Brutto, Promocja FROM %1 WHERE ID = ? ORDER BY Data, rowid")
            .arg(kTable),
        {id});
    result.reserve(size_t(rows.size()));
    for (const auto& row : rows)
        result.push_back(
            {id, QDateTime::fromString(row.value(0).toString(), kTimeFormat), priceFromRow(row, 1)});
    return result;
}

std::optional<LowestPriceBefore> PriceHistory::lowestBeforePromotion(const QString& productId) const
{
    if (!open(false))
        return std::nullopt;
    std::vector<StoredRow> rows;
    for (const auto& row : m_connection->select(
             QStringLiteral("SELECT Data, Netto, Brutto, Promocja FROM %1 WHERE ID = ? ORDER BY Data, rowid")
                 .arg(kTable),
             {foldedId(productId)}))
        rows.push_back({row.value(0).toString(), priceFromRow(row, 1)});
    return lowestBefore(rows);
}

QHash<QString, LowestPriceBefore> PriceHistory::lowestBeforePromotions() const
{
    QHash<QString, LowestPriceBefore> result;
    if (!open(false))
        return result;
    const auto rows = m_connection->select(
        QStringLiteral("SELECT ID, Data, Netto, Brutto, Promocja FROM %1 ORDER BY ID, Data, rowid")
            .arg(kTable));
    QString id;
    std::vector<StoredRow> product; // the rows of id
    auto done = [&] {
        if (const std::optional<LowestPriceBefore> lowest = lowestBefore(product))
            result.insert(id, *lowest);
        product.clear();
    };
    for (const auto& row : rows) {
        QString rowId = row.value(0).toString();
        if (rowId != id) {
            done();
            id = std::move(rowId);
        }
        product.push_back({row.value(1).toString(), priceFromRow(row, 2)});
    }
    done();
    return result;
}

QString PriceHistory::keyOf(const QString& productId)
{
    return foldedId(productId);
}

namespace {

// Lives as a child of the products table; records after a record was stored.
class PriceWatcher : public QObject {
public:
    explicit PriceWatcher(tables::Table& products) : QObject(&products), m_products(&products)
    {
        setObjectName(QStringLiteral("priceHistoryWatcher"));
        m_wasEditing = products.state() == tables::DataSet::State::Edit
                       || products.state() == tables::DataSet::State::Insert;
        connect(&products, &tables::DataSet::stateChanged, this, [this] { stateChanged(); });
    }

private:
    void stateChanged()
    {
        const tables::DataSet::State state = m_products->state();
        const bool wasEditing = m_wasEditing;
        m_wasEditing = state == tables::DataSet::State::Edit || state == tables::DataSet::State::Insert;
        if (!wasEditing || state != tables::DataSet::State::Browse || m_products->isEmpty())
            return;
        const QString dataFolder = QFileInfo(m_products->path()).absolutePath();
        try {
            if (!m_history || m_folder != dataFolder) {
                m_history = std::make_unique<PriceHistory>(dataFolder);
                m_folder = dataFolder;
            }
            m_history->record(m_products->text(columns::kId), effectivePriceOf(*m_products),
                              QDateTime::currentDateTime());
        } catch (const shell::AppError& e) {
            qWarning().noquote()
                << QStringLiteral("The price history could not be written: %1").arg(e.message());
        }
    }

    QPointer<tables::Table> m_products;
    bool m_wasEditing = false;
    QString m_folder;
    std::unique_ptr<PriceHistory> m_history;
};

} // namespace

void watchPriceChanges(tables::Table& products)
{
    if (products.findChild<QObject*>(QStringLiteral("priceHistoryWatcher"), Qt::FindDirectChildrenOnly))
        return;
    new PriceWatcher(products);
}

} // namespace catalogue
