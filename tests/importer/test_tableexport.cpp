#include "importer/tableexport.h"

#include "importer/recordstream.h"
#include "importertables.h"
#include "shell/error.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace importer;
using namespace importertest;
using tables::FieldType;

namespace {

const QByteArray kHead =
    "<HTML><HEAD><META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"text/html; charset=iso-8859-2\">"
    "<META NAME=\"GENERATOR\"CONTENT=\"ORVANE Importer\"></HEAD><body bgcolor=\"#FFFFFF\">";

QByteArray htmlText(const QString& s)
{
    ExportSink out;
    TableExport::appendHtmlText(out, s);
    return out.take();
}

QByteArray htmlOf(const tables::DataSet& data, const ExportSettings& settings)
{
    ExportSink out;
    TableExport::html(data, settings, out);
    return out.take();
}

QByteArray textOf(const tables::DataSet& data, const QString& separator)
{
    ExportSink out;
    TableExport::text(data, separator, out);
    return out.take();
}

} // namespace

TEST(TableExport, HtmlPageWithAlternatingRowColours)
{
    QTemporaryDir dir;
    makeTable(dir.filePath("t.db"), {field("Nazwa", FieldType::Alpha, 20), field("Cena", FieldType::Number)},
              {{"a", 1.5}, {"b", QVariant()}, {"c", 3}});
    tables::Table t;
    t.open(dir.filePath("t.db"));
    ExportSettings settings;
    EXPECT_EQ(htmlOf(t, settings), kHead
                                       + "<TABLE BORDER=0><TR><TD>Nazwa<TD>Cena</TR>"
                                         "<TR bgcolor=\"#EBF4FE\"><TD>a<TD>1.5</TR>"
                                         "<TR bgcolor=\"#FFFFFF\"><TD>b<TD></TR>"
                                         "<TR bgcolor=\"#EBF4FE\"><TD>c<TD>3</TR>"
                                         "</TABLE></HTML>\r\n");
    settings.boldLines = true;
    settings.oddRowColor = QColor(1, 0xAB, 0xFF);
    t.setFilter("Nazwa = 'b'");
    EXPECT_EQ(htmlOf(t, settings), kHead
                                       + "<TABLE BORDER=1><TR><TD>Nazwa<TD>Cena</TR><TR "
                                         "bgcolor=\"#01ABFF\"><TD>b<TD></TR></TABLE></HTML>\r\n");
}

TEST(TableExport, HtmlTextIsEscapedAndKeepsEveryCharacter)
{
    EXPECT_EQ(htmlText("a<b & c>d"), "a&lt;b &amp; c&gt;d");
    // ż, ł, ć keep their code; ó becomes an entity.
    EXPECT_EQ(htmlText("żółć"), QByteArray("\xBF&oacute;\xB3\xE6"));
    EXPECT_EQ(htmlText("ĄŚŹąśźÓ"), QByteArray("\xA1\xA6\xAC\xB1\xB6\xBC&Oacute;"));
    // Outside ISO-8859-2: numeric references instead of losing the character.
    EXPECT_EQ(htmlText("5€ ☺ \U0001F600 é"), QByteArray("5&#8364; &#9786; &#128512; \xE9"));
    // Cells come as UTF-8 and read as their text would; damaged bytes as the decoder replaces them.
    for (const QByteArray& utf8 : {QByteArray("a<b & c>d"), QByteArray("Łódź 5€ \xF0\x9F\x98\x80"),
                                   QByteArray("A\xFF"
                                              "B\xC3"),
                                   QByteArray("\xED\xA0\x80"), QByteArray("x \xC0\xAF&"),
                                   QByteArray("\xF4\x90\x80\x80"), QByteArray()}) {
        ExportSink out;
        TableExport::appendHtmlUtf8(out, utf8);
        EXPECT_EQ(out.take(), htmlText(QString::fromUtf8(utf8))) << utf8.toHex().constData();
    }
}

TEST(TableExport, LargeOutputGoesToTheFileInBlocksAndOnlyWhenComplete)
{
    QByteArray piece(1000, 'x');
    QByteArray expected;
    QBuffer device;
    device.open(QIODevice::WriteOnly);
    ExportSink sink(device);
    for (int i = 0; i < 3000; ++i) {
        piece[0] = char('a' + i % 26);
        sink.append(piece);
        sink.append('\n');
        expected += piece + '\n';
        if (i == 1500) { // more than a block at once
            const QByteArray big(3 << 20, 'b');
            sink.append(big);
            expected += big;
        }
    }
    sink.flush();
    EXPECT_EQ(device.data(), expected);

    // An export that fails part way leaves the file as it was.
    QTemporaryDir dir;
    const QString path = dir.filePath("out.txt");
    writeExportFile(path, [](ExportSink& out) { out.append("old"); });
    EXPECT_THROW(writeExportFile(path,
                                 [&](ExportSink& out) {
                                     out.append(expected);
                                     throw shell::AppError("znak spoza strony kodowej");
                                 }),
                 shell::AppError);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old");
}

TEST(TableExport, TextWithSeparatorAfterEveryFieldAndLineFeeds)
{
    QTemporaryDir dir;
    makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 5), field("B", FieldType::Alpha, 5)},
              {{"a", "b"}, {"ż", QVariant()}});
    tables::Table t;
    t.open(dir.filePath("t.db"));
    EXPECT_EQ(textOf(t, "|"), QByteArray("a|b|\n\xC5\xBC||\n\r\n"));
    EXPECT_EQ(textOf(t, ExportSettings::separatorFor("Tab")), QByteArray("a\tb\t\n\xC5\xBC\t\t\n\r\n"));
    t.setFilter("A = 'none'");
    EXPECT_EQ(textOf(t, "|"), QByteArray("\r\n"));
}

TEST(TableExport, QueryResultExportsLikeATable)
{
    QTemporaryDir dir;
    const QString path =
        makeTable(dir.filePath("t.db"), {field("A", FieldType::Alpha, 5), field("N", FieldType::Integer)},
                  {{"x", 1}, {"y", 2}, {"z", 3}});
    tables::Query q;
    q.open(QStringLiteral("SELECT N, A FROM %1 WHERE N >= 2").arg(tables::quoteLiteral(path)));
    EXPECT_EQ(textOf(q, "#"), QByteArray("2#y#\n3#z#\n\r\n"));
    EXPECT_TRUE(htmlOf(q, {}).contains("<TR><TD>N<TD>A</TR><TR bgcolor=\"#EBF4FE\"><TD>2<TD>y</TR>"));
}

TEST(TableExport, SeparatorChoices)
{
    const QStringList options = ExportSettings::separatorOptions();
    ASSERT_EQ(options.size(), 14);
    EXPECT_EQ(options[0], "Tab");
    EXPECT_EQ(options[1], ExportSettings().separatorOption);
    EXPECT_EQ(options[5], "\\");
}

TEST(TableExport, NumbersReadAsTheTableToolsShowThem)
{
    QTemporaryDir dir;
    // clang-format off
    const QVector<double> values = {0.1 + 0.2, 1234567.89, 1e21, -40, 19.685, 1.0 / 3, 2.5e-7,
                                    9007199254740993.0, 0.0001, 0.00011, -0.0999, 0.123456789012345,
                                    999999999999999.9, -0.0, 1e15 - 0.5, 123456789012.345};
    // clang-format on
    QVector<QVector<QVariant>> rows;
    for (double v : values)
        rows.push_back({v});
    makeTable(dir.filePath("n.db"), {field("N", FieldType::Number)}, rows);
    tables::Table t;
    t.open(dir.filePath("n.db"));
    QByteArray expected;
    for (double v : values)
        expected += tables::valueToText(v, FieldType::Number).toUtf8() + "|\n";
    EXPECT_EQ(textOf(t, "|"), expected + "\r\n");

    // The quick way to a number's text gives what the general formatting gives: prices, fractions near
    // the edges of the plain decimal form, and any bit pattern at all.
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const quint64 bits = random();
        double any;
        memcpy(&any, &bits, sizeof any);
        for (const double v : {double(random() % 100000000) / 100,
                               std::ldexp(double(random() >> 11), -int(random() % 80)), any}) {
            if (std::isfinite(v)) {
                ASSERT_EQ(RecordStream::cellText(v, FieldType::Number),
                          tables::valueToText(v, FieldType::Number))
                    << v;
            }
        }
    }
}

TEST(TableExport, PreviewNamesBinaryDataInsteadOfDecodingIt)
{
    tables::Table fish;
    fish.open(testsupport::sharedTablesDir() + QStringLiteral("/biolife.db"));
    const QStringList lines = RecordStream::preview(fish, 1);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("90020 | Triggerfish | Clown Triggerfish")))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("(dane binarne, "))) << lines[0].toStdString();
    EXPECT_FALSE(lines[0].contains(QStringLiteral("BM"))) << lines[0].toStdString();
}
