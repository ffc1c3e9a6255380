#include "catalogue/categorytree.h"

#include "shell/tables/table.h"
#include "shell/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace catalogue {

QChar kindLetterOfText(const QString& nodeText)
{
    return nodeText.isEmpty() ? QChar() : nodeText.back();
}

NodeKind kindOfText(const QString& nodeText)
{
    const QChar k = kindLetterOfText(nodeText);
    if (k == kCategoryKind)
        return NodeKind::Category;
    if (k == kSubcategoryKind)
        return NodeKind::Subcategory;
    if (k == kProductKind)
        return NodeKind::Product;
    return NodeKind::Other;
}

QString displayNameOfText(const QString& nodeText)
{
    return nodeText.left(std::max<qsizetype>(0, nodeText.size() - (kKeyLength + 1)));
}

QString keyOfText(const QString& nodeText)
{
    return nodeText.right(kKeyLength);
}

int imageIndexOf(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Category:
        return 1;
    case NodeKind::Subcategory:
        return 2;
    case NodeKind::Product:
        return 3;
    case NodeKind::Other:
        break;
    }
    return 0;
}

TreeNode::~TreeNode()
{
    std::vector<std::unique_ptr<TreeNode>> pending = std::move(m_children);
    while (!pending.empty()) {
        std::unique_ptr<TreeNode> n = std::move(pending.back());
        pending.pop_back();
        for (auto& c : n->m_children)
            pending.push_back(std::move(c));
        n->m_children.clear();
    }
}

int TreeNode::depth() const
{
    int d = -1;
    for (const TreeNode* p = m_parent; p; p = p->m_parent)
        ++d;
    return d;
}

bool TreeNode::isInside(const TreeNode* other) const
{
    for (const TreeNode* p = this; p; p = p->m_parent)
        if (p == other)
            return true;
    return false;
}

CategoryTree::CategoryTree(QObject* parent) : QObject(parent), m_root(std::make_unique<TreeNode>()) {}

CategoryTree::~CategoryTree() = default;

void CategoryTree::renumber(TreeNode* parent, int from)
{
    for (int i = from; i < parent->childCount(); ++i)
        parent->m_children[size_t(i)]->m_row = i;
}

void CategoryTree::walk(const std::function<void(TreeNode&)>& visit) const
{
    // Iterative, so depth is no concern.
    std::vector<TreeNode*> stack;
    for (int i = m_root->childCount() - 1; i >= 0; --i)
        stack.push_back(m_root->child(i));
    while (!stack.empty()) {
        TreeNode* n = stack.back();
        stack.pop_back();
        visit(*n);
        for (int i = n->childCount() - 1; i >= 0; --i)
            stack.push_back(n->child(i));
    }
}

void CategoryTree::walkWithDepth(const std::function<void(TreeNode&, int depth)>& visit) const
{
    std::vector<std::pair<TreeNode*, int>> stack;
    for (int i = m_root->childCount() - 1; i >= 0; --i)
        stack.emplace_back(m_root->child(i), 0);
    while (!stack.empty()) {
        auto [n, depth] = stack.back();
        stack.pop_back();
        visit(*n, depth);
        for (int i = n->childCount() - 1; i >= 0; --i)
            stack.emplace_back(n->child(i), depth + 1);
    }
}

std::vector<TreeNode*> CategoryTree::nodesInOrder() const
{
    std::vector<TreeNode*> out;
    walk([&out](TreeNode& n) { out.push_back(&n); });
    return out;
}

int CategoryTree::nodeCount() const
{
    int count = 0;
    walk([&count](TreeNode&) { ++count; });
    return count;
}

int CategoryTree::indexInOrder(const TreeNode* node) const
{
    int index = 0;
    int found = -1;
    walk([&](TreeNode& n) {
        if (&n == node)
            found = index;
        ++index;
    });
    return found;
}

TreeNode* CategoryTree::findText(const QString& text) const
{
    for (TreeNode* n : nodesInOrder())
        if (n->text() == text)
            return n;
    return nullptr;
}

bool CategoryTree::containsKey(const QString& key) const
{
    bool found = false;
    walk([&](TreeNode& n) {
        if (!found && n.key().compare(key, Qt::CaseInsensitive) == 0)
            found = true;
    });
    return found;
}

TreeNode* CategoryTree::addNode(TreeNode* parent, const QString& text, int row)
{
    if (!parent)
        parent = m_root.get();
    if (row < 0 || row > parent->childCount())
        row = parent->childCount();
    Q_EMIT nodeAboutToBeInserted(parent, row);
    auto node = std::make_unique<TreeNode>();
    node->m_text = text;
    node->m_parent = parent;
    TreeNode* raw = node.get();
    parent->m_children.insert(parent->m_children.begin() + row, std::move(node));
    renumber(parent, row);
    Q_EMIT nodeInserted(raw);
    return raw;
}

void CategoryTree::removeNode(TreeNode* node)
{
    if (!node || node->isRoot())
        return;
    Q_EMIT nodeAboutToBeRemoved(node);
    TreeNode* parent = node->m_parent;
    const int row = node->m_row;
    std::unique_ptr<TreeNode> gone = std::move(parent->m_children[size_t(row)]);
    parent->m_children.erase(parent->m_children.begin() + row);
    renumber(parent, row);
    gone.reset();
    Q_EMIT nodeRemoved();
}

void CategoryTree::clear()
{
    Q_EMIT aboutToReset();
    m_root = std::make_unique<TreeNode>();
    Q_EMIT resetDone();
}

void CategoryTree::setText(TreeNode* node, const QString& text)
{
    if (!node || node->isRoot())
        return;
    node->m_text = text;
    Q_EMIT nodeTextChanged(node);
}

void CategoryTree::moveNode(TreeNode* node, TreeNode* newParent, int row)
{
    if (!newParent)
        newParent = m_root.get();
    if (!node || node->isRoot() || newParent->isInside(node))
        return;
    if (row < 0 || row > newParent->childCount())
        row = newParent->childCount();
    TreeNode* oldParent = node->m_parent;
    const int oldRow = node->m_row;
    if (oldParent == newParent && (row == oldRow || row == oldRow + 1))
        return;
    Q_EMIT nodeAboutToBeMoved(node, newParent, row);
    std::unique_ptr<TreeNode> owned = std::move(oldParent->m_children[size_t(oldRow)]);
    oldParent->m_children.erase(oldParent->m_children.begin() + oldRow);
    if (oldParent == newParent && row > oldRow)
        --row;
    owned->m_parent = newParent;
    newParent->m_children.insert(newParent->m_children.begin() + row, std::move(owned));
    renumber(oldParent, 0);
    if (newParent != oldParent)
        renumber(newParent, 0);
    Q_EMIT nodeMoved(node);
}

void CategoryTree::sort()
{
    Q_EMIT aboutToReorder();
    std::vector<TreeNode*> parents{m_root.get()};
    walk([&parents](TreeNode& n) {
        if (n.hasChildren())
            parents.push_back(&n);
    });
    for (TreeNode* p : parents) {
        std::stable_sort(p->m_children.begin(), p->m_children.end(),
                         [](const std::unique_ptr<TreeNode>& a, const std::unique_ptr<TreeNode>& b) {
                             return QString::localeAwareCompare(a->m_text, b->m_text) < 0;
                         });
        renumber(p, 0);
    }
    Q_EMIT reordered();
}

QStringList CategoryTree::toLines() const
{
    QStringList lines;
    walkWithDepth(
        [&lines](TreeNode& n, int depth) { lines << QString(depth, QLatin1Char('\t')) + n.text(); });
    return lines;
}

void CategoryTree::fromLines(const QStringList& lines, const QString& fileName)
{
    Q_EMIT aboutToReset();
    m_root = std::make_unique<TreeNode>();
    std::vector<TreeNode*> path; // the last node read at each level
    int lineNumber = 0;
    // Views must hear the end of the reset also when a bad line stops the loading.
    struct ResetDone {
        CategoryTree* tree;
        ~ResetDone() { Q_EMIT tree->resetDone(); }
    } resetDone{this};
    {
        for (const QString& line : lines) {
            ++lineNumber;
            int level = 0;
            while (level < line.size()
                   && (line[level] == QLatin1Char('\t') || line[level] == QLatin1Char(' ')))
                ++level;
            if (level == line.size())
                continue; // blank line: no node
            if (level > int(path.size())) {
                throw TreeFileError(
                    QStringLiteral(
                        "%1, line %2: the line is more than one level deeper than the line before it. "
                        "Loading stopped there; the whole file is kept as %3.unread when the tree is "
                        "next saved.")
                        .arg(fileName)
                        .arg(lineNumber)
                        .arg(QFileInfo(fileName).fileName()),
                    lineNumber);
            }
            TreeNode* parent = level == 0 ? m_root.get() : path[size_t(level - 1)];
            auto node = std::make_unique<TreeNode>();
            node->m_text = line.mid(level);
            node->m_parent = parent;
            node->m_row = parent->childCount();
            path.resize(size_t(level));
            path.push_back(node.get());
            parent->m_children.push_back(std::move(node));
        }
    }
}

void CategoryTree::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TreeFileError(QStringLiteral("Cannot open the tree file %1: %2").arg(path, file.errorString()),
                            0);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw TreeFileError(QStringLiteral("Cannot read the tree file %1: %2").arg(path, file.errorString()),
                            0);
    QString text = shell::textfile::decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'));
    m_unreadBytes.clear();
    m_unreadSource.clear();
    try {
        fromLines(lines, path);
    } catch (const TreeFileError&) {
        m_unreadBytes = bytes;
        m_unreadSource = path;
        throw;
    }
}

void CategoryTree::save(const QString& path)
{
    if (!m_unreadBytes.isEmpty()) {
        // Never overwrite an earlier copy: it may hold lines that are still missing.
        QString keep = m_unreadSource + QStringLiteral(".unread");
        for (int n = 1; QFileInfo::exists(keep); ++n)
            keep = m_unreadSource + QStringLiteral(".unread.%1").arg(n);
        shell::textfile::writeBytes(keep, m_unreadBytes);
        m_unreadBytes.clear();
        m_unreadSource.clear();
    }
    shell::textfile::writeLines(path, toLines());
}

namespace products {

bool locateProduct(tables::Table& products, const QString& key)
{
    return products.locate(kId, key);
}

QStringList splitList(const QString& encoded)
{
    // Each item ends at its "|"; text after the last one is no item.
    QStringList items;
    qsizetype from = 0;
    for (qsizetype bar = encoded.indexOf(QLatin1Char('|')); bar >= 0;
         bar = encoded.indexOf(QLatin1Char('|'), from)) {
        items << encoded.mid(from, bar - from);
        from = bar + 1;
    }
    return items;
}

bool listHasItems(const QString& encoded)
{
    return encoded.contains(QLatin1Char('|'));
}

QString joinList(const QStringList& items)
{
    QString out;
    for (const QString& item : items)
        out += item + QLatin1Char('|');
    return out;
}

bool isSafePictureId(const QString& id)
{
    return !id.isEmpty() && !id.contains(QLatin1Char('/')) && !id.contains(QLatin1Char('\\'))
           && id != QLatin1String(".") && id != QLatin1String("..") && !id.contains(QChar());
}

QString smallPicturePath(const QString& picturesFolder, const QString& id)
{
    return picturesFolder + id + QStringLiteral("M.jpg");
}

QString bigPicturePath(const QString& picturesFolder, const QString& id)
{
    return picturesFolder + id + QStringLiteral("D.jpg");
}

} // namespace products
} // namespace catalogue
