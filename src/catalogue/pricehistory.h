#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tables {
class Connection;
class DataSet;
class Table;
} // namespace tables

namespace catalogue {

// The price a customer pays for a product at one moment: the regular price for "Normal" and "New",
// the promotion price for every other status (promoted).
struct EffectivePrice {
    double net = 0;
    double gross = 0;
    bool promoted = false;
    bool operator==(const EffectivePrice&) const = default;
};

// The effective price of a product with these prices and status.
EffectivePrice effectivePrice(double net, double gross, double promotionNet, double promotionGross,
                              const QString& status);
// Effective price of the current record of the products table.
EffectivePrice effectivePriceOf(const tables::DataSet& products);

struct PriceHistoryEntry {
    QString productId;
    QDateTime when;
    EffectivePrice price;
};

// The lowest effective price in the 30 days before the current promotion of a product began.
struct LowestPriceBefore {
    double net = 0;
    double gross = 0;
    QDateTime promotionStart;
};

// The price history of every product, kept in the native table historiacen.db of the data folder
// (columns ID, Data, Netto, Brutto, Promocja). A row is added only when a product's effective price
// differs from its last row, so recording the same price again is harmless.
class PriceHistory {
public:
    static constexpr int kLawfulDays = 30;

    // The history file of the data folder (with its trailing separator); created at the first row.
    explicit PriceHistory(const QString& dataFolder);
    ~PriceHistory();
    PriceHistory(const PriceHistory&) = delete;
    PriceHistory& operator=(const PriceHistory&) = delete;

    static QString fileName() { return QStringLiteral("historiacen.db"); }
    QString path() const { return m_path; }

    // Adds a row when the price differs from the product's last row; returns true when it did. Throws
    // AppError when the file cannot be written.
    bool record(const QString& productId, const EffectivePrice& price, const QDateTime& when);

    // At a build: one row for every product whose effective price changed since its last row (or that
    // has none), in one transaction; the products as read from the table, in its order (the first of an
    // ID is the product). Returns the number of rows added.
    struct CurrentPrice {
        QString productId;
        EffectivePrice price;
    };
    int recordChanges(const std::vector<CurrentPrice>& products, const QDateTime& when);

    // The product's rows, oldest first.
    std::vector<PriceHistoryEntry> entries(const QString& productId) const;
    std::optional<EffectivePrice> lastPrice(const QString& productId) const;

    // For a product whose last row is promoted: the lowest effective price in force at any moment of
    // the 30 days before the run of promoted rows began (the price in force when the window opened
    // included). Empty when the product is not promoted or nothing is known of the time before.
    std::optional<LowestPriceBefore> lowestBeforePromotion(const QString& productId) const;
    // The same for every product at once, in one read of the table (a shop build asks for thousands),
    // by the product's key.
    QHash<QString, LowestPriceBefore> lowestBeforePromotions() const;
    // A product ID as the history keeps it: IDs match without case.
    static QString keyOf(const QString& productId);

private:
    bool open(bool create) const;

    QString m_path;
    mutable std::unique_ptr<tables::Connection> m_connection;
};

// Keeps the history of a products table up to date: after every stored record its effective price is
// recorded (history file beside the table file). Calling it again for the same table does nothing. A
// history that cannot be written is logged as a warning; storing the product is never refused for it.
void watchPriceChanges(tables::Table& products);

} // namespace catalogue
