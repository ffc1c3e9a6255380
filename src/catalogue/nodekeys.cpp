#include "catalogue/nodekeys.h"

#include "catalogue/categorytree.h"
#include "shell/tables/table.h"

#include <QDateTime>
#include <random>

namespace catalogue::nodekeys {
namespace {

struct Generator {
    std::mt19937_64 engine;
    bool seeded = false;
};

Generator& generator()
{
    static Generator g;
    return g;
}

// Enough draws to make a miss practically impossible, and a bound so a full key space cannot hang us.
constexpr int kMaxDraws = 1000;

} // namespace

void seed(quint64 value, bool force)
{
    Generator& g = generator();
    if (g.seeded && !force)
        return;
    g.engine.seed(value);
    g.seeded = true;
}

void seedFromClock()
{
    seed(quint64(QDateTime::currentMSecsSinceEpoch()));
}

QString draw(QChar kind)
{
    seedFromClock();
    std::uniform_int_distribution<int> digits(0, 99999999);
    return QStringLiteral("ID%1").arg(digits(generator().engine), 9, 10, QLatin1Char('0')) + kind;
}

bool productIdExists(const tables::Table& products, const QString& id)
{
    if (!products.isOpen())
        return false;
    const auto rows = products.connection().select(
        QStringLiteral("SELECT 1 FROM %1 WHERE \"ID\" = ? COLLATE NOCASE LIMIT 1").arg(products.sqlName()),
        {id});
    return !rows.isEmpty();
}

QString freshProductId(const tables::Table& products)
{
    QString id = draw(kProductKind);
    for (int i = 0; i < kMaxDraws && productIdExists(products, id); ++i)
        id = draw(kProductKind);
    return id;
}

QString freshNodeKey(const CategoryTree& tree, QChar kind)
{
    QString key = draw(kind);
    for (int i = 0; i < kMaxDraws && tree.containsKey(key); ++i)
        key = draw(kind);
    return key;
}

} // namespace catalogue::nodekeys
