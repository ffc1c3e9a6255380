#include "catalogue/cataloguecheck.h"
#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "catalogue/productstable.h"
#include "shell/programfolder.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace catalogue;

TEST(CatalogueCheck, CountersAndProblems)
{
    QTemporaryDir dir;
    const shell::ProgramFolder folder(dir.path());
    QDir().mkpath(folder.pictures());
    createProductsTable(folder.productsTable());
    {
        tables::Table t;
        t.open(folder.productsTable());
        for (const char* id : {"ID000000001P", "ID000000002P", "ID000000003P"}) {
            t.append();
            t.setValue(products::kId, QString::fromLatin1(id));
            t.setValue(products::kName, QStringLiteral("Name ") + QString::fromLatin1(id));
            t.post();
        }
    }
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    testsupport::writeFile(products::smallPicturePath(folder.pictures(), QStringLiteral("ID000000001P")),
                           pictures::encodeJpeg(image));
    testsupport::writeFile(products::bigPicturePath(folder.pictures(), QStringLiteral("ID000000001P")),
                           "garbage");
    testsupport::writeFile(folder.treeFile(),
                           "K ID000000010K\r\n\tW ID000000011W\r\n\t\tA id000000001P\r\n\tB ID000000002P\r\n"
                           "\tGone ID000000009P\r\nL ID000000012K\r\n");
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    EXPECT_EQ(runCatalogueCheck(folder, o, e), 1); // problems listed: not a clean catalogue
    o.flush();
    EXPECT_TRUE(out.startsWith(
        QStringLiteral("Categories: 2\nProducts: 3\nSubcategories: 1\nAll: 6\nNest count: 2\n")))
        << qPrintable(out);
    EXPECT_TRUE(out.contains(QStringLiteral("Product entry without a record: Gone ID000000009P")));
    EXPECT_TRUE(
        out.contains(QStringLiteral("Product without a tree entry: Name ID000000003P (ID000000003P)")));
    EXPECT_FALSE(
        out.contains(QStringLiteral("without a tree entry: Name ID000000001P"))); // keys match without case
    EXPECT_TRUE(out.contains(QStringLiteral("Not a picture: ")));
    EXPECT_TRUE(out.contains(QStringLiteral("No small picture: Name ID000000002P")));
    EXPECT_FALSE(out.contains(QStringLiteral("No small picture: Name ID000000001P")));
    EXPECT_TRUE(err.isEmpty());

    testsupport::writeFile(folder.treeFile(), "K ID000000010K\r\n\t\tW ID000000011W\r\n");
    out.clear();
    EXPECT_EQ(runCatalogueCheck(folder, o, e), 2);
    e.flush();
    EXPECT_TRUE(err.contains(QStringLiteral("line 2"))) << qPrintable(err);

    // No tree file at all is an unreadable catalogue, not a crash.
    QFile::remove(folder.treeFile());
    err.clear();
    EXPECT_EQ(runCatalogueCheck(folder, o, e), 2);
}

TEST(CatalogueCheck, StatusOfACleanCatalogueAndOfAMissingTable)
{
    QTemporaryDir dir;
    const shell::ProgramFolder folder(dir.path());
    QDir().mkpath(folder.pictures());
    testsupport::writeFile(folder.treeFile(), "K ID000000010K\r\n");
    QString out;
    QTextStream o(&out);
    QTextStream e(&out);
    EXPECT_EQ(runCatalogueCheck(folder, o, e), 2); // no products table to read
    createProductsTable(folder.productsTable());
    EXPECT_EQ(runCatalogueCheck(folder, o, e), 0) << qPrintable(out);
}
