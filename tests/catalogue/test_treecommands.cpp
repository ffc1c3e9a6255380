#include "catalogue/categorytree.h"
#include "catalogue/nodekeys.h"
#include "catalogue/pictures.h"
#include "catalogue/pricing.h"
#include "catalogue/productlists.h"
#include "catalogue/productrules.h"
#include "catalogue/productstable.h"
#include "catalogue/treecommands.h"
#include "fakeinteraction.h"
#include "shell/tables/table.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

// A data folder with an empty products table, the rules hooked in, and the tree commands.
struct Catalogue : ::testing::Test {
    QTemporaryDir dir;
    QString treeFile;
    QString pictures;
    tables::Table products;
    CategoryTree tree;
    FakeInteraction ui;
    std::unique_ptr<ProductRules> rules;
    std::unique_ptr<TreeCommands> commands;

    void SetUp() override
    {
        treeFile = dir.filePath(QStringLiteral("kalmenor.kmr"));
        pictures = dir.filePath(QStringLiteral("jpg/"));
        QDir().mkpath(pictures);
        createProductsTable(dir.filePath(QStringLiteral("towary.db")));
        products.open(dir.filePath(QStringLiteral("towary.db")));
        rules = std::make_unique<ProductRules>(products, tree, ui, pictures);
        commands = std::make_unique<TreeCommands>(tree, products, ui, treeFile);
    }

    QStringList fileLines() const
    {
        CategoryTree copy;
        copy.load(treeFile);
        return copy.toLines();
    }

    void addRecord(const QString& name, const QString& id)
    {
        products.append();
        products.setValue(products::kName, name);
        if (!id.isNull())
            products.setValue(products::kId, id);
        products.post();
    }
};

} // namespace

TEST_F(Catalogue, CreatedTableHasEveryColumn)
{
    for (const char* c :
         {"ID",     "Nazwa", "CenaNetto", "CenaBrutto", "VAT",    "PromocjaNetto", "PromocjaBrutto",
          "Status", "Opis",  "Opis2",     "Jm",         "SWW",    "Klasa",         "R",
          "K",      "W",     "Rozmiar",   "Kolor",      "Wymiar", "Magazyn",       "Liczba",
          "Temp",   "Index"})
        EXPECT_GE(products.fieldIndex(QString::fromLatin1(c)), 0) << c;
    EXPECT_THROW(createProductsTable(dir.filePath(QStringLiteral("towary.db"))), shell::AppError);
}

TEST_F(Catalogue, IdRuleFillsDefaultsAndReplacesBadIds)
{
    products.append();
    EXPECT_EQ(products.text(products::kStatus), QStringLiteral("Normal")); // as soon as appended
    products.setValue(products::kStatus, QVariant());
    products.setValue(products::kName, QStringLiteral("Kubek"));
    products.post();
    EXPECT_EQ(products.text(products::kStatus), QStringLiteral("Normal"));
    EXPECT_EQ(products.text(products::kVat), QStringLiteral("22"));
    EXPECT_EQ(products.number(products::kNetPrice), 0.0);
    const QString id = products.text(products::kId);
    EXPECT_EQ(id.size(), 12);
    EXPECT_TRUE(id.startsWith(QStringLiteral("ID0")) && id.endsWith(QLatin1Char('P')));
    EXPECT_TRUE(ui.messages.isEmpty());

    for (const QString& bad : {QStringLiteral("ID01234567P"), QStringLiteral("ID0123456789P")}) {
        products.setValue(products::kId, bad);
        products.post();
        EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Product ID is incorrect, new ID will be added"));
        EXPECT_EQ(products.text(products::kId).size(), 12);
    }
}

TEST_F(Catalogue, FreshProductIdsAvoidExistingOnesWithoutRegardToCase)
{
    nodekeys::seed(4242, true);
    const QString first = nodekeys::draw(kProductKind);
    addRecord(QStringLiteral("taken"), first.toLower());
    EXPECT_TRUE(nodekeys::productIdExists(products, first));
    nodekeys::seed(4242, true);
    EXPECT_NE(nodekeys::freshProductId(products), first);
}

TEST_F(Catalogue, CategoryCommandsPlaceNodesAndWriteTheFile)
{
    TreeNode* shoes = commands->addCategory(nullptr, QStringLiteral("Buty"));
    ASSERT_TRUE(shoes);
    EXPECT_EQ(shoes->kind(), NodeKind::Category);
    EXPECT_EQ(fileLines(), QStringList{shoes->text()});
    EXPECT_EQ(commands->addCategory(nullptr, QString()), nullptr);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Enter category name"));

    TreeNode* winter = commands->addSubcategory(shoes, QStringLiteral("Zimowe"));
    ASSERT_TRUE(winter);
    EXPECT_EQ(winter->parent(), shoes);
    EXPECT_EQ(winter->kind(), NodeKind::Subcategory);
    // A category made with a subcategory selected goes to the subcategory's level.
    TreeNode* boots = commands->addCategory(winter, QStringLiteral("Kozaki"));
    EXPECT_EQ(boots->parent(), shoes);
    EXPECT_EQ(fileLines().size(), 3);

    EXPECT_EQ(commands->addSubcategory(nullptr, QStringLiteral("x")), nullptr);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Please select category"));
    EXPECT_EQ(commands->addSubcategory(shoes, QStringLiteral("\t  ")), nullptr);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Enter subcategory name"));

    // Names cannot start a line with levels or split it.
    TreeNode* odd = commands->addCategory(nullptr, QStringLiteral(" \tLine\r\nbreak"));
    EXPECT_EQ(odd->displayName(), QStringLiteral("Line break"));
    EXPECT_EQ(fileLines().last(), odd->text());
}

TEST_F(Catalogue, CommandsRefuseProductsAsParentsAlsoAtAdd)
{
    TreeNode* cat = commands->addCategory(nullptr, QStringLiteral("Kat"));
    TreeNode* product = commands->addProduct(cat, QStringLiteral("Kubek"));
    ASSERT_TRUE(product);
    ui.messages.clear();
    EXPECT_FALSE(commands->beginNewCategory(product));
    EXPECT_EQ(commands->addCategory(product, QStringLiteral("x")), nullptr);
    EXPECT_FALSE(commands->beginNewSubcategory(product));
    EXPECT_EQ(commands->addSubcategory(product, QStringLiteral("x")), nullptr);
    EXPECT_EQ(ui.messages, (QStringList{QStringLiteral("You can't add category to the product"),
                                        QStringLiteral("You can't add category to the product"),
                                        QStringLiteral("You can't add subcategory to the product"),
                                        QStringLiteral("You can't add subcategory to the product")}));
    // A product selected for a new product adds beside it, under its category.
    EXPECT_EQ(commands->beginNewProduct(product), cat);
    EXPECT_EQ(commands->addProduct(product, QStringLiteral("Talerz"))->parent(), cat);
}

TEST_F(Catalogue, ProductEntriesShareTheRecordOfAnExistingName)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* b = commands->addCategory(nullptr, QStringLiteral("B"));
    TreeNode* first = commands->addProduct(a, QStringLiteral("Kubek"));
    TreeNode* second = commands->addProduct(b, QStringLiteral("KUBEK"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(products.recordCount(), 1);
    EXPECT_EQ(first->key(), second->key());
    EXPECT_EQ(second->text(), QStringLiteral("KUBEK ") + first->key());
    EXPECT_EQ(fileLines().size(), 4);

    // An existing record whose ID is not 12 characters gets a fresh one when its name is entered.
    products.connection().run(
        QStringLiteral("INSERT INTO %1 (ID, Nazwa) VALUES ('short', 'Talerz')").arg(products.sqlName()));
    products.refresh();
    TreeNode* plate = commands->addProduct(a, QStringLiteral("talerz"));
    ASSERT_TRUE(plate);
    EXPECT_EQ(plate->key().size(), 12);
    EXPECT_EQ(products.recordCount(), 2);
    ASSERT_TRUE(products::locateProduct(products, plate->key()));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Talerz"));
}

TEST_F(Catalogue, RenameUpdatesNodeAndRecordButNotOtherEntries)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* b = commands->addCategory(nullptr, QStringLiteral("B"));
    TreeNode* first = commands->addProduct(a, QStringLiteral("Kubek"));
    TreeNode* second = commands->addProduct(b, QStringLiteral("Kubek"));
    const QString key = first->key();
    EXPECT_EQ(commands->beginRename(first), QStringLiteral("Kubek"));
    products.first();
    ASSERT_TRUE(commands->rename(first, QStringLiteral("Kubek duży")));
    EXPECT_EQ(first->text(), QStringLiteral("Kubek duży ") + key);
    EXPECT_EQ(second->text(), QStringLiteral("Kubek ") + key);
    ASSERT_TRUE(products::locateProduct(products, key.toLower()));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Kubek duży"));
    EXPECT_TRUE(fileLines().contains(QStringLiteral("\tKubek duży ") + key));

    EXPECT_FALSE(commands->rename(first, QStringLiteral("  ")));
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Enter product name"));
    EXPECT_FALSE(commands->rename(a, QString()));
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Enter category name"));
    EXPECT_FALSE(commands->rename(nullptr, QStringLiteral("x")));

    // Deleting the record removes only the entries that still carry its current text.
    ASSERT_TRUE(products::locateProduct(products, key));
    products.remove();
    EXPECT_EQ(tree.findText(QStringLiteral("Kubek duży ") + key), nullptr);
    EXPECT_NE(tree.findText(QStringLiteral("Kubek ") + key), nullptr);
}

TEST_F(Catalogue, DeletingARecordRemovesAllItsEntriesAndPictures)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* b = commands->addCategory(nullptr, QStringLiteral("B"));
    const QString key = commands->addProduct(a, QStringLiteral("Kubek"))->key();
    commands->addProduct(b, QStringLiteral("Kubek"));
    commands->addProduct(b, QStringLiteral("Talerz"));
    testsupport::writeFile(products::smallPicturePath(pictures, key), "x");
    testsupport::writeFile(products::bigPicturePath(pictures, key), "y");
    ASSERT_TRUE(products::locateProduct(products, key));
    products.remove();
    EXPECT_EQ(tree.nodeCount(), 3);
    EXPECT_FALSE(QFileInfo::exists(products::smallPicturePath(pictures, key)));
    EXPECT_FALSE(QFileInfo::exists(products::bigPicturePath(pictures, key)));
    // Missing pictures are fine.
    products.first();
    products.remove();
    EXPECT_EQ(tree.nodeCount(), 2);
}

TEST_F(Catalogue, PicturesAreNamedAfterTheStoredIdOfTheRecord)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    const QString picked = dir.filePath(QStringLiteral("pick.png"));
    ASSERT_TRUE(image.save(picked, "PNG"));
    addRecord(QStringLiteral("Kubek"), QString());

    // A small picture repairs an ID of the wrong length first, in its own words, and stores the record.
    products.setValue(products::kId, QStringLiteral("ID01234567P"));
    rules->storePicture(picked, pictures::Size::Small);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Product ID is incorect, new ID will be added."));
    EXPECT_EQ(products.state(), tables::DataSet::State::Browse);
    const QString id = products.text(products::kId);
    ASSERT_EQ(id.size(), 12);
    EXPECT_TRUE(pictures::looksLikeJpeg(testsupport::readFile(products::smallPicturePath(pictures, id))));

    // A big picture only stores the record; the rule of every post still repairs the ID.
    products.setValue(products::kId, QStringLiteral("ID0123456789P"));
    rules->storePicture(picked, pictures::Size::Big);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Product ID is incorrect, new ID will be added"));
    const QString second = products.text(products::kId);
    EXPECT_TRUE(QFileInfo::exists(products::bigPicturePath(pictures, second)));

    rules->deletePicture(pictures::Size::Big);
    EXPECT_FALSE(QFileInfo::exists(products::bigPicturePath(pictures, second)));
    EXPECT_TRUE(QFileInfo::exists(products::smallPicturePath(pictures, id)));
    rules->deletePicture(pictures::Size::Big); // already gone: fine

    // An ID that would name a file elsewhere names none: refused, nothing written.
    products.setValue(products::kId, QStringLiteral("ID/../0000P."));
    EXPECT_THROW(rules->storePicture(picked, pictures::Size::Big), shell::AppError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("0000P.D.jpg"))));
    EXPECT_NO_THROW(rules->deletePicture(pictures::Size::Small));
    EXPECT_TRUE(QFileInfo::exists(products::smallPicturePath(pictures, id)));
}

TEST_F(Catalogue, DeleteCommandsAskFirst)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    commands->addSubcategory(a, QStringLiteral("s"));
    commands->addCategory(nullptr, QStringLiteral("B"));
    ui.answers = {false};
    EXPECT_FALSE(commands->deleteNode(a));
    EXPECT_EQ(ui.questions.takeLast(), QStringLiteral("Delete this item ?"));
    EXPECT_EQ(tree.nodeCount(), 3);
    EXPECT_TRUE(commands->deleteNode(a));
    EXPECT_EQ(fileLines().size(), 1);
    EXPECT_FALSE(commands->deleteNode(nullptr));
    ui.answers = {false};
    EXPECT_FALSE(commands->deleteAll());
    EXPECT_EQ(ui.questions.takeLast(), QStringLiteral("Delete all ?"));
    EXPECT_TRUE(commands->deleteAll());
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_TRUE(fileLines().isEmpty());
    EXPECT_EQ(products.recordCount(), 0);
}

TEST_F(Catalogue, DropRules)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* sub = commands->addSubcategory(a, QStringLiteral("s"));
    TreeNode* b = commands->addCategory(nullptr, QStringLiteral("B"));
    TreeNode* product = commands->addProduct(b, QStringLiteral("p1"));
    TreeNode* product2 = commands->addProduct(sub, QStringLiteral("p2"));
    const QStringList before = fileLines();

    EXPECT_FALSE(TreeCommands::canDrop(a, product)); // onto a product entry
    EXPECT_FALSE(TreeCommands::canDrop(a, sub));     // onto its own subcategory
    EXPECT_FALSE(TreeCommands::canDrop(a, a));
    EXPECT_FALSE(commands->drop(a, sub));
    // A product goes first, a category last.
    ASSERT_TRUE(commands->drop(product, sub));
    EXPECT_EQ(sub->child(0), product);
    EXPECT_EQ(sub->child(1), product2);
    ASSERT_TRUE(commands->drop(b, sub));
    EXPECT_EQ(sub->child(2), b);
    EXPECT_EQ(fileLines(), before); // moving does not write the file
}

TEST_F(Catalogue, NodeWatchForgetsRemovedNodes)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* sub = commands->addSubcategory(a, QStringLiteral("s"));
    NodeWatch watch(tree);
    watch.watch(sub);
    commands->addCategory(nullptr, QStringLiteral("B"));
    EXPECT_EQ(watch.node(), sub);
    commands->deleteNode(a);
    EXPECT_EQ(watch.node(), nullptr);
    EXPECT_FALSE(commands->rename(watch.node(), QStringLiteral("x")));
    TreeNode* b = tree.topLevel(0);
    watch.watch(b);
    tree.clear();
    EXPECT_EQ(watch.node(), nullptr);
}

TEST_F(Catalogue, Statistics)
{
    TreeNode* a = commands->addCategory(nullptr, QStringLiteral("A"));
    TreeNode* sub = commands->addSubcategory(a, QStringLiteral("s"));
    TreeNode* p = commands->addProduct(sub, QStringLiteral("p"));
    commands->addCategory(nullptr, QStringLiteral("B"));
    const TreeStatistics s = computeStatistics(tree, p);
    EXPECT_EQ(s.categoryCount, 2);
    EXPECT_EQ(s.productCount, 1);
    EXPECT_EQ(s.subcategoryCount, 1);
    EXPECT_EQ(s.allCount, 4);
    EXPECT_EQ(s.nestCount, 2);
    EXPECT_EQ(s.currentPosition, 3);
    EXPECT_EQ(s.currentLevel, 2);
    EXPECT_EQ(s.products, QStringList{p->text()});
    EXPECT_EQ(s.categories.size(), 3);
    EXPECT_EQ(statusFilterText(0), QString());
    EXPECT_EQ(statusFilterText(3), QStringLiteral("Status='Promotion'"));
    EXPECT_EQ(recordCountText(7), QStringLiteral("Record count:  7"));
}

TEST_F(Catalogue, ConversionsStoreTheRecordOrReport)
{
    addRecord(QStringLiteral("Kubek"), QString());
    const QLocale pl(QLocale::Polish, QLocale::Poland);
    using pricing::Conversion;
    EXPECT_FALSE(
        pricing::applyConversion(products, Conversion::NetToGross, QString(), QStringLiteral("22"), pl, ui));
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Please enter net value"));
    EXPECT_TRUE(pricing::applyConversion(products, Conversion::NetToGross, QStringLiteral("100"),
                                         QStringLiteral("22"), pl, ui));
    EXPECT_EQ(products.number(products::kGrossPrice), 122.0);
    EXPECT_EQ(products.number(products::kNetPrice), 100.0);
    EXPECT_TRUE(
        pricing::applyConversion(products, Conversion::GrossToNet, QStringLiteral("244"), QString(), pl, ui));
    EXPECT_EQ(products.number(products::kNetPrice), 200.0);
    EXPECT_FALSE(pricing::applyConversion(products, Conversion::PromotionGrossToNet, QStringLiteral("abc"),
                                          QString(), pl, ui));
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_TRUE(products.isOpen());
    tables::Table reread;
    reread.open(products.path());
    EXPECT_EQ(reread.number(products::kNetPrice), 200.0);
    EXPECT_TRUE(reread.text(products::kPromoNet).isEmpty());
}

TEST_F(Catalogue, VariantListsAndNameLists)
{
    addRecord(QStringLiteral("Koszulka"), QString());
    products.setValue(products::kSizes, QStringLiteral("S|M|L|"));
    products.post();
    addRecord(QStringLiteral("Czapka"), QString());
    addRecord(QStringLiteral("Szalik"), QString());
    products.setValue(products::kSizes, QStringLiteral("XL|"));
    products.post();
    products.first();
    EXPECT_EQ(loadVariantList(products, VariantList::Sizes),
              (QStringList{QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L")}));
    EXPECT_TRUE(loadVariantList(products, VariantList::Colours).isEmpty());

    const auto sources = productsWithList(products.path(), VariantList::Sizes);
    ASSERT_EQ(sources.size(), 2);
    EXPECT_EQ(sources[0].name, QStringLiteral("Koszulka"));
    EXPECT_EQ(listOfProduct(sources, QStringLiteral("SZALIK")), QStringList{QStringLiteral("XL")});
    EXPECT_TRUE(listOfProduct(sources, QStringLiteral("Czapka")).isEmpty());
    EXPECT_EQ(productNamesNewestFirst(products.path()),
              (QStringList{QStringLiteral("Szalik"), QStringLiteral("Czapka"), QStringLiteral("Koszulka")}));

    EXPECT_EQ(encodeGridRows({QStringLiteral("a"), QString(), QStringLiteral("c")}), QStringLiteral("a|c|"));
    EXPECT_EQ(encodeGridRows({}), QString());
    EXPECT_EQ(editorRowCount(3), 20);
    EXPECT_EQ(editorRowCount(35), 35);
    EXPECT_EQ(listEditorCaption(VariantList::Colours), QStringLiteral("Edit color list"));
}
