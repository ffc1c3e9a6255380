// Files written by the engine, read back by readers that share no code with it: a struct-level Python
// reader and GDAL's ogrinfo. Every field type of each layout goes in and must come out equal.

#include "dbase_builder.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dbasebuilder;

namespace {

QByteArray run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput();
}

// Memo files as a program creates them for an empty table: the header block and nothing else.
QByteArray emptyMemo(bool fox, bool dbase4)
{
    QByteArray m(512, '\0');
    if (fox) {
        qToBigEndian<quint32>(8, m.data()); // 512 / 64
        qToBigEndian<quint16>(64, m.data() + 6);
    } else {
        qToLittleEndian<quint32>(1, m.data());
        if (dbase4)
            qToLittleEndian<quint16>(512, m.data() + 20);
    }
    return m;
}

struct Variant {
    const char* name;
    int version;
    QVector<Field> fields;
    const char* memoExtension; // null: no memo
};

} // namespace

TEST(DbaseReaders, WrittenFilesReadTheSameEverywhere)
{
    const QVector<Field> common = {{"NAME", 'C', 20}, {"PRICE", 'N', 9, 2}, {"QTY", 'N', 5},
                                   {"DAY", 'D', 8},   {"OK", 'L', 1},       {"RATE", 'F', 12, 4}};
    const Variant layouts[] = {
        {"dBASE III", 0x03, common, nullptr},
        {"dBASE III memo", 0x83, common + QVector<Field>{{"NOTE", 'M', 10}}, "dbt"},
        {"dBASE IV memo", 0x8B, common + QVector<Field>{{"NOTE", 'M', 10}}, "dbt"},
        {"Visual FoxPro", 0x30,
         common
             + QVector<Field>{{"NOTE", 'M', 4}, {"COUNT", 'I', 4}, {"AMOUNT", 'Y', 8}, {"SIZE", 'B', 8, 3}},
         "fpt"},
    };
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    const QString ogrinfo = QStandardPaths::findExecutable(QStringLiteral("ogrinfo"));
    if (python.isEmpty() || ogrinfo.isEmpty())
        GTEST_SKIP() << "python3 and ogrinfo (gdal-bin) are needed";
    const QString reader = testsupport::fixturesDir() + QStringLiteral("/../tables/read_dbf.py");

    for (const Variant& layout : layouts) {
        SCOPED_TRACE(layout.name);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("t.dbf"));
        testsupport::writeFile(file, build(layout.version, layout.fields, {}, {0xC8, true}));
        if (layout.memoExtension)
            testsupport::writeFile(dir.filePath(QStringLiteral("t.") + QLatin1String(layout.memoExtension)),
                                   emptyMemo(layout.version == 0x30, layout.version == 0x8B));
        const bool memo = layout.memoExtension != nullptr;
        const bool fox = layout.version == 0x30;
        // Each record: NAME, PRICE, QTY, DAY, OK, RATE[, NOTE][, COUNT, AMOUNT, SIZE]
        QVector<QVector<QVariant>> written = {
            {QStringLiteral("Zażółć gęślą jaźń"), 1234.5, -42, QStringLiteral("2024-02-29"), true, 0.0625},
            {QStringLiteral("Łódź"), 0.01, 0, QStringLiteral("1999-12-31"), false, -3.5},
            {QStringLiteral("usunięty"), 1.0, 1, QStringLiteral("2000-01-01"), true, 1.0},
            {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
        };
        for (int i = 0; i < written.size(); ++i) {
            if (memo)
                written[i] << (i == 3 ? QVariant() : QVariant(QStringLiteral("Notatka %1\r\nżółw").arg(i)));
            if (fox)
                written[i] << (i == 3 ? QVariant(0) : QVariant(100000 + i))
                           << (i == 3 ? 0.0 : 12.3456 * (i + 1)) << (i == 3 ? 0.0 : -0.125 * i);
        }
        {
            tables::Table t;
            t.open(file);
            ASSERT_FALSE(t.isReadOnly()) << t.readOnlyReason().toStdString();
            for (const auto& values : written) {
                t.append();
                for (int f = 0; f < values.size(); ++f)
                    t.setValue(t.fields()[f].name, values[f]);
                t.post();
            }
            t.moveTo(2);
            t.remove();
        }
        written.remove(2);

        // The engine itself, opened again.
        tables::Table t;
        t.open(file);
        ASSERT_EQ(t.recordCount(), written.size());
        for (int r = 0; r < written.size(); ++r) {
            t.moveTo(r);
            for (int f = 0; f < written[r].size(); ++f) {
                const QVariant got = t.value(f);
                const QVariant want = written[r][f];
                if (want.typeId() == QMetaType::Double) {
                    EXPECT_DOUBLE_EQ(got.toDouble(), want.toDouble()) << r << "/" << f;
                } else if (want.typeId() == QMetaType::Bool) {
                    EXPECT_EQ(got.toBool(), want.toBool()) << r << "/" << f;
                } else {
                    EXPECT_EQ(got.toString(), want.toString()) << r << "/" << f;
                }
            }
        }

        // The Python reader.
        const QJsonObject py =
            QJsonDocument::fromJson(run(python, {reader, file, QStringLiteral("cp1250")})).object();
        const QJsonArray records = py.value(QStringLiteral("records")).toArray();
        ASSERT_EQ(records.size(), written.size());
        for (int r = 0; r < written.size(); ++r) {
            const QJsonArray rec = records[r].toArray();
            for (int f = 0; f < written[r].size(); ++f) {
                const QVariant want = written[r][f];
                const QJsonValue got = rec[f];
                if (want.isNull()) {
                    EXPECT_TRUE(got.isNull()) << r << "/" << f;
                } else if (want.typeId() == QMetaType::Bool) {
                    EXPECT_EQ(got.toBool(), want.toBool()) << r << "/" << f;
                } else if (want.typeId() == QMetaType::QString) {
                    EXPECT_EQ(got.toString(), want.toString()) << r << "/" << f;
                } else {
                    EXPECT_DOUBLE_EQ(got.toDouble(), want.toDouble()) << r << "/" << f;
                }
            }
        }

        // GDAL: text in the table's code page, numbers and dates as stored.
        const QString gdal =
            QString::fromUtf8(run(ogrinfo, {QStringLiteral("-al"), QStringLiteral("-q"), file}));
        EXPECT_EQ(gdal.count(QStringLiteral("OGRFeature(t)")), written.size()) << gdal.toStdString();
        for (const char* expected :
             {"NAME (String) = Zażółć gęślą jaźń", "NAME (String) = Łódź", "PRICE (Real) = 1234.50",
              "QTY (Integer) = -42", "DAY (Date) = 2024/02/29", "RATE (Real) = -3.5000",
              "PRICE (Real) = 0.01"})
            EXPECT_TRUE(gdal.contains(QString::fromUtf8(expected))) << expected << "\n" << gdal.toStdString();
        EXPECT_FALSE(gdal.contains(QStringLiteral("usunięty")));
    }
}
