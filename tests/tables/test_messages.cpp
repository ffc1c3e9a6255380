// The engine's messages in Importer's Polish: every message raised in the engine has its Polish form, with
// the same placeholders, and the chosen language reaches messages that travel through SQLite.
#include "shell/error.h"
#include "shell/tables/messages.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tables;

namespace {

QString joinedLiterals(const QString& pieces)
{
    static const QRegularExpression piece(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QString joined;
    for (auto it = piece.globalMatch(pieces); it.hasNext();)
        joined += it.next().captured(1);
    // As the compiler reads the escapes the messages use.
    return joined.replace(QLatin1String("\\\""), QLatin1String("\""))
        .replace(QLatin1String("\\\\"), QLatin1String("\\"));
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("%\\d"));
    QStringList found;
    for (auto it = number.globalMatch(text); it.hasNext();)
        found << it.next().captured(0);
    found.sort();
    return found;
}

} // namespace

TEST(EngineMessages, EveryMessageHasItsPolishFormWithTheSamePlaceholders)
{
    QSet<QString> keys;
    for (const auto& [english, polish] : polishMessages()) {
        const QString key = QString::fromUtf8(english);
        EXPECT_FALSE(keys.contains(key)) << "twice: " << english;
        keys.insert(key);
        EXPECT_EQ(placeholders(key), placeholders(QString::fromUtf8(polish))) << english;
    }
    // msg("..."), and the words put into messages: bad("number"), refuse(f, v, "a date"),
    // checkBrowsing("...").
    static const QRegularExpression raised(QStringLiteral(
        R"((?:\bmsg|\bbad|\bcheckBrowsing|\brefuse\(\w+, \w+,)\(?\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))"));
    int found = 0;
    const QDir sources(QStringLiteral(KAL_TABLES_SOURCES));
    for (const QString& name : sources.entryList({QStringLiteral("*.cpp")})) {
        if (name.startsWith(QLatin1String("messages")))
            continue;
        const QString code = QString::fromUtf8(testsupport::readFile(sources.filePath(name)));
        for (auto it = raised.globalMatch(code); it.hasNext(); ++found) {
            const QString english = joinedLiterals(it.next().captured(1));
            EXPECT_TRUE(keys.contains(english))
                << name.toStdString() << ": no Polish for \"" << english.toStdString() << "\"";
        }
    }
    EXPECT_GT(found, 150); // the scan still finds the messages
}

TEST(EngineMessages, ChosenLanguageReachesMessagesThroughSqlite)
{
    QTemporaryDir dir;
    const auto restore = qScopeGuard([] { setMessageLanguage(MessageLanguage::English); });
    const auto failure = [&](const std::function<void()>& action) {
        try {
            action();
        } catch (const shell::AppError& e) {
            return e.message();
        }
        return QString();
    };
    const QString missing = dir.filePath(QStringLiteral("brak.dbf"));
    EXPECT_TRUE(failure([&] { Table().open(missing); }).contains(QStringLiteral("the file does not exist")));

    setMessageLanguage(MessageLanguage::Polish);
    EXPECT_TRUE(failure([&] { Table().open(missing); }).contains(QStringLiteral("plik nie istnieje")));
    // A damaged dBASE header: the module's message is carried by SQLite's error.
    testsupport::writeFile(dir.filePath(QStringLiteral("zly.dbf")), QByteArray(40, '\x03'));
    const QString damaged = failure([&] { Table().open(dir.filePath(QStringLiteral("zly.dbf"))); });
    EXPECT_TRUE(damaged.contains(QStringLiteral("uszkodzony"))
                || damaged.contains(QStringLiteral("plik nie")))
        << damaged.toStdString();
    EXPECT_FALSE(damaged.contains(QStringLiteral("damaged"))) << damaged.toStdString();
}
