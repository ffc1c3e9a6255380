// An old Paradox products table: offered for conversion at start-up, converted headless, and read-only
// while it is kept.

#include "catalogue/paradoxconversion.h"
#include "catalogue/workspace.h"
#include "fakeinteraction.h"
#include "shell/error.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

extern "C" { // pxlib's header does not say so itself
#include <paradox.h>
}

namespace {

class ParadoxProducts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(m_folder.data())); }

    // A Paradox towary.db made by pxlib with some of the native table's columns, and two products.
    QString makeParadoxProducts()
    {
        const QString file = m_folder.productsTable();
        pxdoc_t* px = PX_new();
        static char names[][16] = {"ID", "Nazwa", "CenaNetto"};
        const struct {
            char type;
            int size;
        } types[] = {{pxfAlpha, 31}, {pxfAlpha, 255}, {pxfNumber, 8}};
        auto* fields = static_cast<pxfield_t*>(px->malloc(px, 3 * sizeof(pxfield_t), "test"));
        for (int i = 0; i < 3; ++i) {
            fields[i].px_fname = PX_strdup(px, names[i]);
            fields[i].px_ftype = types[i].type;
            fields[i].px_flen = types[i].size;
            fields[i].px_fdc = 0;
        }
        EXPECT_EQ(PX_create_file(px, fields, 3, QFile::encodeName(file).constData(), pxfFileTypNonIndexDB),
                  0);
        PX_close(px);
        PX_delete(px);
        QByteArray bytes = testsupport::readFile(file); // a Polish table: code page 1250
        bytes[0x6A] = char(1250 & 0xFF);
        bytes[0x6B] = char(1250 >> 8);
        testsupport::writeFile(file, bytes);
        tables::Table t;
        t.open(file);
        for (const auto& [id, name, price] :
             {std::tuple{"A1", "Stół", 100.0}, std::tuple{"A2", "Krzesło", 45.5}}) {
            t.append();
            t.setValue(QStringLiteral("ID"), QString::fromUtf8(id));
            t.setValue(QStringLiteral("Nazwa"), QString::fromUtf8(name));
            t.setValue(QStringLiteral("CenaNetto"), price);
            t.post();
        }
        return file;
    }

    QString data(const QString& name) const { return QDir(m_folder.data()).filePath(name); }

    QTemporaryDir m_dir;
    shell::ProgramFolder m_folder{m_dir.path()};
};

} // namespace

TEST_F(ParadoxProducts, StartUpOffersTheConversionOnceAndKeepsTheOriginal)
{
    const QString file = makeParadoxProducts();
    testsupport::writeFile(data(QStringLiteral("towary.PX")), QByteArray("an index")); // a companion
    const QByteArray original = testsupport::readFile(file);
    FakeInteraction ui;
    ui.answers = {true};
    catalogue::Workspace w(m_folder, ui);
    w.open();
    ASSERT_TRUE(w.tableOpened()) << ui.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ui.questions.size(), 1);
    EXPECT_TRUE(ui.questions.value(0).contains(QStringLiteral("towary.paradox.db")));
    EXPECT_EQ(w.products().format(), tables::FileFormat::SQLite);
    EXPECT_FALSE(w.products().isReadOnly());
    EXPECT_EQ(w.products().recordCount(), 2);
    ASSERT_TRUE(w.products().locate(QStringLiteral("ID"), QStringLiteral("A1")));
    EXPECT_EQ(w.products().text(QStringLiteral("Nazwa")), QStringLiteral("Stół"));
    EXPECT_EQ(testsupport::readFile(data(QStringLiteral("towary.paradox.db"))), original);
    EXPECT_EQ(testsupport::readFile(data(QStringLiteral("towary.paradox.PX"))), QByteArray("an index"));
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("towary.PX"))));
    EXPECT_EQ(QDir(m_folder.data()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              3);

    // Next start: a native table, no question.
    FakeInteraction again;
    catalogue::Workspace w2(m_folder, again);
    w2.open();
    EXPECT_TRUE(again.questions.isEmpty());
}

TEST_F(ParadoxProducts, DeclinedTheTableIsReadOnlyAndUnchanged)
{
    const QString file = makeParadoxProducts();
    const QByteArray original = testsupport::readFile(file);
    FakeInteraction ui;
    ui.answers = {false};
    catalogue::Workspace w(m_folder, ui);
    w.open();
    ASSERT_TRUE(w.tableOpened());
    EXPECT_EQ(w.products().format(), tables::FileFormat::Paradox);
    EXPECT_TRUE(w.products().isReadOnly());
    EXPECT_TRUE(w.products().readOnlyReason().contains(QStringLiteral("kalmenor catalogue --convert")));
    EXPECT_THROW(
        {
            w.products().edit();
            w.products().setValue(QStringLiteral("Nazwa"), QStringLiteral("x"));
            w.products().post();
        },
        shell::AppError);
    w.products().cancel();
    EXPECT_EQ(testsupport::readFile(file), original);
    EXPECT_FALSE(QFileInfo::exists(data(QStringLiteral("towary.paradox.db"))));
}

TEST_F(ParadoxProducts, HeadlessConversionAndWhatItRefuses)
{
    // Columns the native table has no place for: nothing converted, the original where it was.
    testsupport::copySharedTable(QStringLiteral("country.db"), m_folder.data());
    QFile::rename(data(QStringLiteral("country.db")), m_folder.productsTable());
    const QByteArray country = testsupport::readFile(m_folder.productsTable());
    QString out, err;
    {
        QTextStream o(&out), e(&err);
        EXPECT_EQ(catalogue::runParadoxConversionCommand(m_folder.productsTable(), o, e), 2);
    }
    EXPECT_TRUE(err.contains(QStringLiteral("Capital"))) << err.toStdString();
    EXPECT_EQ(testsupport::readFile(m_folder.productsTable()), country);
    EXPECT_EQ(QDir(m_folder.data()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("towary.db")});
    QFile::remove(m_folder.productsTable());

    // A kept original from an earlier conversion is never overwritten.
    makeParadoxProducts();
    testsupport::writeFile(data(QStringLiteral("towary.paradox.db")), QByteArray("earlier"));
    EXPECT_THROW(catalogue::convertParadoxProductsTable(m_folder.productsTable()), shell::AppError);
    EXPECT_EQ(testsupport::readFile(data(QStringLiteral("towary.paradox.db"))), QByteArray("earlier"));
    QFile::remove(data(QStringLiteral("towary.paradox.db")));

    out.clear();
    err.clear();
    {
        QTextStream o(&out), e(&err);
        EXPECT_EQ(catalogue::runParadoxConversionCommand(m_folder.productsTable(), o, e), 0);
    }
    EXPECT_TRUE(out.contains(QStringLiteral("Converted 2 records"))) << out.toStdString();
    EXPECT_FALSE(catalogue::isParadoxTable(m_folder.productsTable()));
    QTextStream o(&out), e(&err);
    EXPECT_EQ(catalogue::runParadoxConversionCommand(m_folder.productsTable(), o, e),
              2); // nothing to convert
}
