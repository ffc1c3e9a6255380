#include "catalogue/categorytree.h"
#include "catalogue/nodekeys.h"
#include "shell/textfile.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

QStringList texts(const CategoryTree& tree)
{
    QStringList out;
    tree.walk([&out](TreeNode& n) { out << QString(n.depth(), QLatin1Char('.')) + n.text(); });
    return out;
}

} // namespace

TEST(CategoryTree, NodeTextPartsAndKinds)
{
    const QString text = QStringLiteral("Buty zimowe ID012345678K");
    EXPECT_EQ(displayNameOfText(text), QStringLiteral("Buty zimowe"));
    EXPECT_EQ(keyOfText(text), QStringLiteral("ID012345678K"));
    EXPECT_EQ(kindOfText(text), NodeKind::Category);
    EXPECT_EQ(kindOfText(QStringLiteral("a ID000000001W")), NodeKind::Subcategory);
    EXPECT_EQ(kindOfText(QStringLiteral("a ID000000001P")), NodeKind::Product);
    EXPECT_EQ(kindOfText(QString()), NodeKind::Other);
    EXPECT_EQ(imageIndexOf(NodeKind::Category), 1);
    EXPECT_EQ(imageIndexOf(NodeKind::Subcategory), 2);
    EXPECT_EQ(imageIndexOf(NodeKind::Product), 3);
    // Short texts give an empty name rather than garbage.
    EXPECT_EQ(displayNameOfText(QStringLiteral("xK")), QString());
}

TEST(CategoryTree, LoadsDepthsFromTabsAndBlanksAndSavesWithTabsAndCrLf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kalmenor.kmr"));
    testsupport::writeFile(
        path,
        "A ID000000001K\r\n\tB ID000000002W\r\n  C ID000000003P\n\n\tD ID000000004P\r\nE ID000000005K\r\n");
    CategoryTree tree;
    tree.load(path);
    EXPECT_EQ(texts(tree), (QStringList{QStringLiteral("A ID000000001K"), QStringLiteral(".B ID000000002W"),
                                        QStringLiteral("..C ID000000003P"), QStringLiteral(".D ID000000004P"),
                                        QStringLiteral("E ID000000005K")}));
    EXPECT_FALSE(tree.isPartial());
    tree.save(path);
    EXPECT_EQ(testsupport::readFile(path),
              QByteArray("A ID000000001K\r\n\tB ID000000002W\r\n\t\tC ID000000003P\r\n\tD ID000000004P\r\nE "
                         "ID000000005K\r\n"));
}

TEST(CategoryTree, PolishNamesRoundTripInWindows1250)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kalmenor.kmr"));
    CategoryTree tree;
    tree.addNode(nullptr, QStringLiteral("Żółte łódki ID000000001K"));
    tree.save(path);
    QByteArray expected;
    ASSERT_TRUE(shell::textfile::toCp1250(QStringLiteral("Żółte łódki ID000000001K\r\n"), &expected));
    EXPECT_EQ(testsupport::readFile(path), expected);
    CategoryTree again;
    again.load(path);
    EXPECT_EQ(again.topLevel(0)->text(), QStringLiteral("Żółte łódki ID000000001K"));
}

TEST(CategoryTree, EmptyFileIsEmptyTreeAndMissingFileIsAnError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kalmenor.kmr"));
    testsupport::writeFile(path, "");
    CategoryTree tree;
    tree.addNode(nullptr, QStringLiteral("old ID000000001K"));
    tree.load(path);
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_THROW(tree.load(dir.filePath(QStringLiteral("missing.kmr"))), TreeFileError);
}

TEST(CategoryTree, DeepJumpStopsLoadingAndTheUnreadFileIsKeptBeforeTheFirstWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kalmenor.kmr"));
    const QByteArray original =
        "A ID000000001K\r\n\tB ID000000002W\r\n\t\t\tC ID000000003P\r\nD ID000000004K\r\n";
    testsupport::writeFile(path, original);
    CategoryTree tree;
    try {
        tree.load(path);
        FAIL() << "a jump of two levels must stop the loading";
    } catch (const TreeFileError& e) {
        EXPECT_EQ(e.line(), 3);
        EXPECT_TRUE(e.message().contains(path));
        EXPECT_TRUE(e.message().contains(QStringLiteral("line 3")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("kalmenor.kmr.unread")));
    }
    EXPECT_EQ(tree.nodeCount(), 2); // what was read before the bad line
    EXPECT_TRUE(tree.isPartial());
    EXPECT_FALSE(QFileInfo::exists(path + QStringLiteral(".unread"))); // nothing written by loading

    tree.addNode(nullptr, QStringLiteral("New ID000000009K"));
    tree.save(path);
    EXPECT_EQ(testsupport::readFile(path + QStringLiteral(".unread")), original);
    EXPECT_FALSE(tree.isPartial());
    // A later save does not replace the kept copy.
    tree.save(path);
    EXPECT_EQ(testsupport::readFile(path + QStringLiteral(".unread")), original);

    // A second partial load never overwrites an earlier kept copy.
    testsupport::writeFile(path, "\t\tX ID000000001K\r\n");
    EXPECT_THROW(tree.load(path), TreeFileError);
    tree.save(path);
    EXPECT_EQ(testsupport::readFile(path + QStringLiteral(".unread")), original);
    EXPECT_EQ(testsupport::readFile(path + QStringLiteral(".unread.1")),
              QByteArray("\t\tX ID000000001K\r\n"));
}

TEST(CategoryTree, RandomBytesNeverCrashAndSaveReadsBackTheSame)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kalmenor.kmr"));
    QRandomGenerator rng(7);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(int(rng.bounded(2000)), Qt::Uninitialized);
        for (char& c : bytes) {
            // Plenty of tabs and line ends, so levels actually vary.
            const quint32 r = rng.bounded(10u);
            c = r == 0 ? '\t' : r == 1 ? '\n' : char(rng.bounded(256u));
        }
        testsupport::writeFile(path, bytes);
        CategoryTree tree;
        try {
            tree.load(path);
        } catch (const TreeFileError&) {
        }
        const QStringList before = texts(tree);
        const QString saved = dir.filePath(QStringLiteral("copy.kmr"));
        tree.save(saved);
        CategoryTree again;
        again.load(saved);
        EXPECT_EQ(texts(again), before) << "round " << round;
    }
}

TEST(CategoryTree, VeryDeepTreeLoadsWalksAndDies)
{
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QString(i, QLatin1Char('\t')) + QStringLiteral("n ID000000001K");
    CategoryTree tree;
    tree.fromLines(lines, QStringLiteral("deep"));
    EXPECT_EQ(tree.nodeCount(), 5000);
    EXPECT_EQ(tree.toLines().size(), 5000);
    tree.clear();
    EXPECT_TRUE(tree.isEmpty());
}

TEST(CategoryTree, AddMoveRemoveKeepRowsAndOrder)
{
    CategoryTree tree;
    TreeNode* a = tree.addNode(nullptr, QStringLiteral("A ID000000001K"));
    TreeNode* b = tree.addNode(nullptr, QStringLiteral("B ID000000002K"));
    TreeNode* a1 = tree.addNode(a, QStringLiteral("a1 ID000000003P"));
    TreeNode* a2 = tree.addNode(a, QStringLiteral("a2 ID000000004W"));
    EXPECT_EQ(a2->row(), 1);
    tree.moveNode(a2, b);
    EXPECT_EQ(a2->parent(), b);
    EXPECT_EQ(a2->depth(), 1);
    tree.moveNode(a1, a2, 0);
    EXPECT_EQ(a1->depth(), 2);
    // A node cannot go below itself.
    tree.moveNode(b, a2);
    EXPECT_EQ(b->parent(), tree.root());
    tree.moveNode(b, nullptr, 0);
    EXPECT_EQ(b->row(), 0);
    EXPECT_EQ(a->row(), 1);
    EXPECT_EQ(tree.indexInOrder(a1), 2);
    tree.removeNode(b);
    EXPECT_EQ(tree.nodeCount(), 1);
    EXPECT_EQ(a->row(), 0);
}

TEST(CategoryTree, SortOrdersEveryLevel)
{
    CategoryTree tree;
    TreeNode* z = tree.addNode(nullptr, QStringLiteral("Zegarki ID000000001K"));
    tree.addNode(nullptr, QStringLiteral("Auta ID000000002K"));
    tree.addNode(z, QStringLiteral("b ID000000003P"));
    tree.addNode(z, QStringLiteral("a ID000000004P"));
    tree.sort();
    EXPECT_EQ(texts(tree),
              (QStringList{QStringLiteral("Auta ID000000002K"), QStringLiteral("Zegarki ID000000001K"),
                           QStringLiteral(".a ID000000004P"), QStringLiteral(".b ID000000003P")}));
    EXPECT_EQ(z->child(0)->row(), 0);
}

TEST(ProductLists, SplitAndJoin)
{
    using products::joinList;
    using products::splitList;
    EXPECT_EQ(splitList(QStringLiteral("S|M|L|")),
              (QStringList{QStringLiteral("S"), QStringLiteral("M"), QStringLiteral("L")}));
    EXPECT_EQ(splitList(QStringLiteral("S|M|L")), (QStringList{QStringLiteral("S"), QStringLiteral("M")}));
    EXPECT_EQ(splitList(QStringLiteral("S||L|")),
              (QStringList{QStringLiteral("S"), QString(), QStringLiteral("L")}));
    EXPECT_TRUE(splitList(QString()).isEmpty());
    EXPECT_EQ(joinList({QStringLiteral("S"), QStringLiteral("M")}), QStringLiteral("S|M|"));
    EXPECT_FALSE(products::isSafePictureId(QStringLiteral("../x")));
    EXPECT_FALSE(products::isSafePictureId(QString()));
    EXPECT_TRUE(products::isSafePictureId(QStringLiteral("ID012345678P")));
}

TEST(NodeKeys, NineDigitsAlwaysBeginWithZero)
{
    nodekeys::seed(12345, true);
    for (int i = 0; i < 2000; ++i) {
        const QString key = nodekeys::draw(kProductKind);
        ASSERT_EQ(key.size(), kKeyLength);
        ASSERT_TRUE(key.startsWith(QStringLiteral("ID0")));
        ASSERT_TRUE(key.endsWith(QLatin1Char('P')));
        bool ok = false;
        key.mid(2, 9).toInt(&ok);
        ASSERT_TRUE(ok);
    }
}

TEST(NodeKeys, FreshNodeKeyAvoidsKeysInTheTree)
{
    // With the same seed the first draw is known; put it into the tree and the fresh key must differ.
    nodekeys::seed(99, true);
    const QString first = nodekeys::draw(kCategoryKind);
    CategoryTree tree;
    tree.addNode(nullptr, QStringLiteral("x ") + first.toLower());
    nodekeys::seed(99, true);
    const QString fresh = nodekeys::freshNodeKey(tree, kCategoryKind);
    EXPECT_NE(fresh, first);
    EXPECT_EQ(fresh.size(), kKeyLength);
}
