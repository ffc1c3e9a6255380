#include "catalogue/categorytree.h"
#include "catalogue/pictures.h"
#include "catalogue/productstable.h"
#include "catalogue/treecommands.h"
#include "fakeinteraction.h"
#include "shell/tables/table.h"
#include "testsupport.h"
#include "ui/kalmenor/categorypanel.h"
#include "ui/kalmenor/categorytreeview.h"
#include "ui/kalmenor/listeditor.h"
#include "ui/kalmenor/namedialog.h"
#include "ui/kalmenor/picturebox.h"
#include "ui/kalmenor/productdialog.h"
#include "ui/kalmenor/productsearch.h"
#include "ui/kalmenor/renamedialog.h"
#include "ui/kalmenor/webshoppage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

struct WebshopPageTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<shell::ProgramFolder> folder;
    tables::Table products;
    CategoryTree tree;
    FakeInteraction ui;
    std::unique_ptr<WebshopPage> page;

    void SetUp() override
    {
        folder = std::make_unique<shell::ProgramFolder>(dir.path());
        QDir().mkpath(folder->pictures());
        createProductsTable(folder->productsTable());
        products.open(folder->productsTable());
        page = std::make_unique<WebshopPage>(*folder, products, tree, ui);
        page->resize(1100, 800);
        page->show();
    }
    void TearDown() override { page.reset(); }

    template <typename T> T* find(const char* name) const
    {
        T* w = page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    template <typename T> static T* in(QWidget* parent, const char* name)
    {
        T* w = parent->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(w) << name;
        return w;
    }
    void click(const char* name) { find<QAbstractButton>(name)->click(); }
    QStringList fileLines() const
    {
        CategoryTree copy;
        copy.load(folder->treeFile());
        return copy.toLines();
    }
    // Adds a category through its button and dialog.
    TreeNode* addCategory(const QString& name)
    {
        click("newCategoryButton");
        NameDialog* d = find<NameDialog>("Kategoria");
        d->nameBox()->setText(name);
        in<QPushButton>(d, "addButton")->click();
        return tree.findText(tree.nodesInOrder().back()->text());
    }
    TreeNode* addProduct(TreeNode* under, const QString& name)
    {
        find<CategoryTreeView>("TreeView1")->selectNode(under);
        click("newProductButton");
        ProductDialog* d = find<ProductDialog>("Produkt");
        d->setName(name);
        QTest::keyClick(d->nameBox(), Qt::Key_Return); // Enter is "Add"

        for (TreeNode* n : tree.nodesInOrder())
            if (n->parent() == under && n->displayName() == name)
                return n;
        return nullptr;
    }
};

} // namespace

TEST_F(WebshopPageTest, TreeCommandsThroughButtonsAndDialogs)
{
    click("newCategoryButton");
    NameDialog* category = find<NameDialog>("Kategoria");
    ASSERT_TRUE(category->isVisible());
    EXPECT_EQ(category->windowTitle(), QStringLiteral("Add new category"));
    category->nameBox()->setText(QStringLiteral("Buty"));
    QTest::keyClick(category->nameBox(), Qt::Key_Return); // Enter is "Add"
    ASSERT_EQ(tree.nodeCount(), 1);
    EXPECT_EQ(find<CategoryTreeView>("TreeView1")->selectedNode(),
              tree.topLevel(0)); // the only node gets selected
    EXPECT_TRUE(category->isVisible());
    EXPECT_EQ(category->nameBox()->text(), QStringLiteral("Buty")); // the dialog keeps its text
    EXPECT_EQ(fileLines(), QStringList{tree.topLevel(0)->text()});
    category->nameBox()->clear();
    in<QPushButton>(category, "addButton")->click();
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Enter category name"));
    in<QPushButton>(category, "closeButton")->click();
    EXPECT_FALSE(category->isVisible());

    find<CategoryTreeView>("TreeView1")->clearSelection();
    click("newSubcategoryButton");
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Please select category"));
    EXPECT_FALSE(find<NameDialog>("Podkategoria")->isVisible());
    find<CategoryTreeView>("TreeView1")->selectNode(tree.topLevel(0));
    click("newSubcategoryButton");
    ASSERT_TRUE(find<NameDialog>("Podkategoria")->isVisible());
    find<NameDialog>("Podkategoria")->nameBox()->setText(QStringLiteral("Zimowe"));
    in<QPushButton>(find<NameDialog>("Podkategoria"), "addButton")->click();
    ASSERT_EQ(tree.topLevel(0)->childCount(), 1);
    EXPECT_TRUE(find<CategoryTreeView>("TreeView1")
                    ->isExpanded(find<CategoryTreeView>("TreeView1")->model()->index(0, 0)));

    // The product dialog: a new name makes a record; the entry carries its ID.
    TreeNode* winter = tree.topLevel(0)->child(0);
    TreeNode* boot = addProduct(winter, QStringLiteral("Kozak"));
    ASSERT_TRUE(boot);
    EXPECT_EQ(products.recordCount(), 1);
    EXPECT_EQ(boot->key(), products.text(products::kId));
    EXPECT_EQ(fileLines().size(), 3);

    // A product selected: a subcategory is refused at the command and again at "Add".
    find<CategoryTreeView>("TreeView1")->selectNode(boot);
    click("newSubcategoryButton");
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("You can't add subcategory to the product"));
    in<QPushButton>(find<NameDialog>("Podkategoria"), "addButton")->click();
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("You can't add subcategory to the product"));
    EXPECT_EQ(tree.nodeCount(), 3);

    // Delete asks; No keeps the node.
    ui.answers = {false, true};
    click("deleteNodeButton");
    EXPECT_EQ(tree.nodeCount(), 3);
    click("deleteNodeButton");
    EXPECT_EQ(tree.nodeCount(), 2);
    EXPECT_EQ(fileLines().size(), 2);
    EXPECT_EQ(products.recordCount(), 1); // the table is not touched
}

TEST_F(WebshopPageTest, ClickingAProductEntryShowsItsRecordAndRenameAppliesToItsOwnNode)
{
    TreeNode* cat = addCategory(QStringLiteral("Kuchnia"));
    TreeNode* mug = addProduct(cat, QStringLiteral("Kubek"));
    TreeNode* plate = addProduct(cat, QStringLiteral("Talerz"));
    ASSERT_TRUE(mug && plate);
    QTreeView* view = find<CategoryTreeView>("TreeView1");
    const QModelIndex mugIndex = view->model()->index(0, 0, view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(mugIndex).center());
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Kubek"));
    EXPECT_EQ(find<QLineEdit>("nameEdit")->text(), QStringLiteral("Kubek"));
    EXPECT_EQ(find<QLabel>("productInfoHeading")->text(), QStringLiteral("Kubek"));

    find<CategoryTreeView>("TreeView1")->selectNode(mug);
    click("renameButton");
    RenameDialog* rename = find<RenameDialog>("Edycja");
    ASSERT_TRUE(rename->isVisible());
    EXPECT_EQ(rename->nameBox()->text(), QStringLiteral("Kubek"));
    rename->nameBox()->setText(QStringLiteral("Kubek duży"));
    find<CategoryTreeView>("TreeView1")->selectNode(plate); // the selection moves while the dialog is open
    in<QPushButton>(rename, "okButton")->click();
    EXPECT_EQ(mug->displayName(), QStringLiteral("Kubek duży"));
    EXPECT_EQ(plate->displayName(), QStringLiteral("Talerz"));
    ASSERT_TRUE(products::locateProduct(products, mug->key()));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Kubek duży"));

    // The node is gone: "ok" does nothing.
    find<CategoryTreeView>("TreeView1")->selectNode(mug);
    click("renameButton");
    ui.answers = {true};
    find<CategoryPanel>("categoryPanel")->commands().deleteNode(mug);
    rename->nameBox()->setText(QStringLiteral("x"));
    in<QPushButton>(rename, "okButton")->click();
    EXPECT_EQ(tree.findText(QStringLiteral("x ") + plate->key()), nullptr);
    EXPECT_EQ(plate->displayName(), QStringLiteral("Talerz"));
}

TEST_F(WebshopPageTest, DropMovesNodesByTheRules)
{
    TreeNode* a = addCategory(QStringLiteral("A"));
    TreeNode* b = addCategory(QStringLiteral("B"));
    TreeNode* p = addProduct(b, QStringLiteral("p"));
    CategoryTreeView* view = find<CategoryTreeView>("TreeView1");
    EXPECT_FALSE(view->dropNode(a, p));
    EXPECT_TRUE(view->dropNode(p, a));
    EXPECT_EQ(p->parent(), a);
    EXPECT_TRUE(view->dropNode(b, a));
    EXPECT_EQ(view->selectedNode(), a);
    EXPECT_FALSE(view->dropNode(a, b)); // into its own child
    EXPECT_EQ(a->child(0), p);
    EXPECT_EQ(a->child(1), b);
}

TEST_F(WebshopPageTest, PriceConversionsOnEnter)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Kubek"));
    QLineEdit* net = find<QLineEdit>("netPriceEdit");
    QComboBox* vat = find<QComboBox>("vatBox");
    vat->setCurrentText(QStringLiteral("22"));
    net->setText(QString());
    QTest::keyClick(net, Qt::Key_Return);
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Please enter net value"));
    QTest::keyClicks(net, QStringLiteral("0,01"));
    QTest::keyClick(net, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(products.number(products::kGrossPrice), 0.0122);
    EXPECT_EQ(find<QLineEdit>("grossPriceEdit")->text(), QStringLiteral("0,0122"));
    EXPECT_EQ(products.state(), tables::DataSet::State::Browse);

    QLineEdit* gross = find<QLineEdit>("grossPriceEdit");
    gross->clear();
    QTest::keyClicks(gross, QStringLiteral("122"));
    QTest::keyClick(gross, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(products.number(products::kNetPrice), 100.0);

    // Exempt: no conversion error.
    vat->setCurrentText(QStringLiteral("zw."));
    net->clear();
    QTest::keyClicks(net, QStringLiteral("50"));
    QTest::keyClick(net, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(products.number(products::kGrossPrice), 50.0);
    EXPECT_TRUE(ui.errors.isEmpty());

    // Not a number: the error is shown and nothing is stored.
    QLineEdit* promo = find<QLineEdit>("promotionGrossEdit");
    QTest::keyClicks(promo, QStringLiteral("abc"));
    QTest::keyClick(promo, Qt::Key_Return);
    EXPECT_EQ(ui.errors.size(), 1);
    tables::Table reread;
    reread.open(products.path());
    EXPECT_TRUE(reread.text(products::kPromoNet).isEmpty());
    EXPECT_DOUBLE_EQ(reread.number(products::kNetPrice), 50.0);
}

TEST_F(WebshopPageTest, TypedFieldsAreStoredByTheNavigatorAndChecked)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Kubek"));
    QPlainTextEdit* description = find<QPlainTextEdit>("shortDescriptionEdit");
    description->setPlainText(QString(255, QLatin1Char('a')));
    EXPECT_TRUE(ui.messages.isEmpty());
    description->setPlainText(QString(256, QLatin1Char('a')));
    EXPECT_EQ(ui.messages.takeLast(), QStringLiteral("Short description (only 255 character)"));
    EXPECT_EQ(description->toPlainText().size(), 256); // not cut
    find<QWidget>("productInfoNavigator")->findChild<QToolButton*>(QStringLiteral("cancelButton"))->click();
    EXPECT_TRUE(products.text(products::kShortDescription).isEmpty());

    // A price that is not a number: storing reports it and keeps the record as it was.
    QLineEdit* net = find<QLineEdit>("netPriceEdit");
    net->clear();
    QTest::keyClicks(net, QStringLiteral("12x"));
    QWidget* navigator = find<QWidget>("productInfoNavigator");
    navigator->findChild<QToolButton*>(QStringLiteral("postButton"))->click();
    EXPECT_EQ(ui.errors.size(), 1);
    net->clear();
    QTest::keyClicks(net, QStringLiteral("12,5"));
    navigator->findChild<QToolButton*>(QStringLiteral("postButton"))->click();
    EXPECT_EQ(ui.errors.size(), 1);
    tables::Table reread;
    reread.open(products.path());
    EXPECT_DOUBLE_EQ(reread.number(products::kNetPrice), 12.5);
}

TEST_F(WebshopPageTest, VariantSwitchAndListEditor)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Koszulka"));
    QCheckBox* size = find<QCheckBox>("sizeSwitch");
    size->click(); // the list is empty: the switch stays off and the editor opens
    EXPECT_FALSE(size->isChecked());
    EXPECT_FALSE(products.logical(products::kHasSizes));
    ListEditor* editor = find<ListEditor>("ListEdit");
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Edit size list"));
    editor->grid()->setItem(0, 0, new QTableWidgetItem(QStringLiteral("S")));
    editor->grid()->setItem(2, 0, new QTableWidgetItem(QStringLiteral("L")));
    in<QPushButton>(editor, "applyButton")->click();
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(products.text(products::kSizes), QStringLiteral("S|L|"));
    EXPECT_EQ(find<QComboBox>("sizeBox")->count(), 2);
    size->click();
    EXPECT_TRUE(size->isChecked());
    EXPECT_TRUE(products.logical(products::kHasSizes));

    // A list longer than twenty rows survives "Apply" whole.
    QStringList many;
    for (int i = 1; i <= 25; ++i)
        many << QString::number(i);
    products.setValue(products::kColours, products::joinList(many));
    products.post();
    find<QLabel>("colorEditLink")->linkActivated(QStringLiteral("#"));
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->grid()->rowCount(), 25);
    in<QPushButton>(editor, "applyButton")->click();
    EXPECT_EQ(products::splitList(products.text(products::kColours)), many);

    // "Use product list" copies another product's list; "Cancel" stores nothing.
    addProduct(cat, QStringLiteral("Czapka"));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Czapka"));
    find<QLabel>("sizeEditLink")->linkActivated(QStringLiteral("#"));
    QComboBox* names = in<QComboBox>(editor, "productList");
    ASSERT_EQ(names->count(), 1);
    editor->useProductList(QStringLiteral("KOSZULKA"));
    EXPECT_EQ(editor->rows().mid(0, 3), (QStringList{QStringLiteral("S"), QStringLiteral("L"), QString()}));
    in<QPushButton>(editor, "cancelButton")->click();
    EXPECT_TRUE(products.text(products::kSizes).isEmpty());
    find<QLabel>("sizeEditLink")->linkActivated(QStringLiteral("#"));
    editor->useProductList(QStringLiteral("Koszulka"));
    in<QPushButton>(editor, "applyButton")->click();
    EXPECT_EQ(products.text(products::kSizes), QStringLiteral("S|L|"));
}

TEST_F(WebshopPageTest, ProductSearchAndAddDialogNames)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Kubek"));
    addProduct(cat, QStringLiteral("Talerz"));
    addProduct(cat, QStringLiteral("Miska"));
    ProductDialog* dialog = find<ProductDialog>("Produkt");
    dialog->reloadNames();
    ASSERT_EQ(dialog->nameBox()->count(), 3);
    EXPECT_EQ(dialog->nameBox()->itemText(0), QStringLiteral("Miska")); // newest first

    in<QPushButton>(dialog, "findButton")->click();
    ProductSearch* search = find<ProductSearch>("FindTowar");
    ASSERT_TRUE(search->isVisible());
    EXPECT_EQ(search->windowTitle(), QStringLiteral("search"));
    in<QLineEdit>(search, "searchText")->setText(QStringLiteral("Tal"));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Talerz"));
    EXPECT_EQ(find<QLineEdit>("nameEdit")->text(), QStringLiteral("Talerz"));
    ASSERT_TRUE(
        find<CategoryTreeView>("TreeView1")->selectedNode()); // the tree shows the product the form shows
    EXPECT_EQ(find<CategoryTreeView>("TreeView1")->selectedNode()->key(), products.text(products::kId));
    in<QLineEdit>(search, "searchText")->setText(QStringLiteral("tal")); // case-sensitive: no match, no move
    in<QLineEdit>(search, "searchText")->setText(QStringLiteral("Zzz"));
    EXPECT_EQ(products.text(products::kName), QStringLiteral("Talerz"));
    in<QPushButton>(search, "okButton")->click();
    EXPECT_FALSE(search->isVisible());
    EXPECT_EQ(dialog->name(), QStringLiteral("Talerz"));
}

TEST_F(WebshopPageTest, PicturesLoadAsJpegAndDelete)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Kubek"));
    const QString id = products.text(products::kId);
    QImage image(60, 30, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString png = dir.filePath(QStringLiteral("pick.png"));
    ASSERT_TRUE(image.save(png, "PNG"));
    ui.files = {png};
    click("loadSmallPictureButton");
    const QString small = products::smallPicturePath(folder->pictures(), id);
    ASSERT_TRUE(QFileInfo::exists(small));
    EXPECT_TRUE(pictures::looksLikeJpeg(testsupport::readFile(small)));
    EXPECT_TRUE(find<PictureBox>("smallPicture")->hasPicture());

    // A file that is not a picture: the error, and the stored picture stays.
    const QString text = dir.filePath(QStringLiteral("notes.jpg"));
    testsupport::writeFile(text, "not a picture");
    ui.files = {text};
    click("loadBigPictureButton");
    EXPECT_EQ(ui.errors.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(products::bigPicturePath(folder->pictures(), id)));

    ui.answers = {false, true};
    click("deleteSmallPictureButton");
    EXPECT_TRUE(QFileInfo::exists(small));
    click("deleteSmallPictureButton");
    EXPECT_EQ(ui.questions.last(), QStringLiteral("Delete picture?"));
    EXPECT_FALSE(QFileInfo::exists(small));
    EXPECT_FALSE(find<PictureBox>("smallPicture")->hasPicture());
}

TEST_F(WebshopPageTest, ProductsListFilterCountAndDelete)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    addProduct(cat, QStringLiteral("Kubek"));
    addProduct(cat, QStringLiteral("Talerz"));
    products.setValue(products::kStatus, QStringLiteral("New"));
    products.post();
    QLabel* count = find<QLabel>("recordCountLabel");
    EXPECT_EQ(count->text(), QStringLiteral("Record count:  2"));
    find<QComboBox>("statusFilter")->setCurrentIndex(2);
    EXPECT_EQ(products.filter(), QStringLiteral("Status='New'"));
    EXPECT_EQ(count->text(), QStringLiteral("Record count:  1"));
    QTableView* grid = find<QTableView>("DBGrid1");
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(
        grid->model()->headerData(products.fieldIndex(QStringLiteral("SWW")), Qt::Horizontal).toString(),
        QStringLiteral("Picture"));
    grid->grab(); // paints every visible cell through the delegate
    find<QComboBox>("statusFilter")->setCurrentIndex(0);
    EXPECT_EQ(count->text(), QStringLiteral("Record count:  2"));

    // Deleting a record asks, then removes its tree entry.
    products.last();
    QWidget* navigator = find<QWidget>("productListNavigator");
    ui.answers = {true};
    in<QToolButton>(navigator, "deleteButton")->click();
    EXPECT_EQ(products.recordCount(), 1);
    EXPECT_EQ(cat->childCount(), 1);
}

TEST_F(WebshopPageTest, MenuStatisticsAndGenerationSignals)
{
    TreeNode* cat = addCategory(QStringLiteral("K"));
    TreeNode* p = addProduct(cat, QStringLiteral("Kubek"));
    QSignalSpy preview(page.get(), &WebshopPage::previewRequested);
    QSignalSpy upload(page.get(), &WebshopPage::uploadRequested);
    find<QMenu>("treeMenu")->findChild<QAction*>(QStringLiteral("previewAction"))->trigger();
    find<QPushButton>("uploadButton")->click();
    EXPECT_EQ(preview.size(), 1);
    EXPECT_EQ(upload.size(), 1);
    QStringList texts;
    for (QAction* a : find<QMenu>("treeMenu")->actions())
        if (!a->isSeparator())
            texts << a->text();
    EXPECT_EQ(texts, (QStringList{
                         QStringLiteral("New Category"), QStringLiteral("New Subkategory"),
                         QStringLiteral("New Product"), QStringLiteral("Edit"), QStringLiteral("Expand tree"),
                         QStringLiteral("Collapse tree"), QStringLiteral("Sort"), QStringLiteral("Delete"),
                         QStringLiteral("Delete all"), QStringLiteral("Preview Webshop"),
                         QStringLiteral("Build Webshop"), QStringLiteral("Upload Webshop on FTP serwer")}));

    find<CategoryTreeView>("TreeView1")->selectNode(p);
    find<CategoryPanel>("categoryPanel")->toggleStatistics();
    EXPECT_FALSE(find<CategoryTreeView>("TreeView1")->isVisible());
    EXPECT_TRUE(find<QLabel>("statisticsLink")->text().contains(QStringLiteral("back")));
    EXPECT_EQ(find<QLabel>("statisticsCounter3")->text(), QStringLiteral("2")); // All
    EXPECT_EQ(find<QLabel>("statisticsCounter5")->text(), QStringLiteral("2")); // Current position
    find<CategoryPanel>("categoryPanel")->toggleStatistics();
    EXPECT_TRUE(find<CategoryTreeView>("TreeView1")->isVisible());

    // Delete all through the menu asks and empties the tree file.
    ui.answers = {true};
    find<QMenu>("treeMenu")->findChild<QAction*>(QStringLiteral("deleteAllAction"))->trigger();
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_TRUE(fileLines().isEmpty());
    find<QPlainTextEdit>("FTPMemoStatus"); // the report area keeps its name
}
