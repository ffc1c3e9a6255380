#include "catalogue/productrules.h"

#include "catalogue/categorytree.h"
#include "catalogue/nodekeys.h"
#include "catalogue/pricehistory.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/table.h"

namespace catalogue {

using namespace products;

namespace {
bool isBlank(const tables::DataSet& set, const QString& field)
{
    const QVariant v = set.value(field);
    return v.isNull() || v.toString().isEmpty();
}
} // namespace

ProductRules::ProductRules(tables::Table& products, CategoryTree& tree, shell::Interaction& ui,
                           const QString& picturesFolder)
    : m_products(products), m_tree(tree), m_ui(ui), m_pictures(picturesFolder)
{
    using Event = tables::DataSet::Event;
    m_hooks = {products.subscribe(Event::BeforePost, [this](tables::DataSet&) { beforePost(); }),
               products.subscribe(Event::AfterInsert, [this](tables::DataSet&) { afterInsert(); }),
               products.subscribe(Event::BeforeDelete, [this](tables::DataSet&) { beforeDelete(); })};
    watchPriceChanges(products);
}

void ProductRules::checkCanChange() const
{
    // Nothing else (tree entries, picture files, the record's values) is touched before this check.
    if (m_products.isReadOnly())
        throw shell::AppError(QStringLiteral("The products table cannot be changed: %1")
                                  .arg(m_products.readOnlyReason().isEmpty()
                                           ? QStringLiteral("it is read-only")
                                           : m_products.readOnlyReason()));
}

void ProductRules::beforePost()
{
    checkCanChange();
    if (isBlank(m_products, kNetPrice))
        m_products.setValue(kNetPrice, 0.0);
    if (isBlank(m_products, kStatus))
        m_products.setValue(kStatus, QStringLiteral("Normal"));
    if (isBlank(m_products, kVat))
        m_products.setValue(kVat, QStringLiteral("22"));
    repairId(QStringLiteral("Product ID is incorrect, new ID will be added"));
}

void ProductRules::repairId(const QString& wrongLengthMessage)
{
    if (isBlank(m_products, kId)) {
        m_products.setValue(kId, nodekeys::freshProductId(m_products));
    } else if (m_products.text(kId).size() != kKeyLength) {
        m_ui.message(wrongLengthMessage);
        m_products.setValue(kId, nodekeys::freshProductId(m_products));
    }
}

void ProductRules::storePicture(const QString& pickedFile, pictures::Size which)
{
    checkCanChange();
    // This command words the message its own way.
    if (which == pictures::Size::Small)
        repairId(QStringLiteral("Product ID is incorect, new ID will be added."));
    m_products.post();
    pictures::storeProductPicture(pickedFile, m_pictures, m_products.text(kId), which);
}

void ProductRules::deletePicture(pictures::Size which)
{
    checkCanChange();
    pictures::deleteProductPicture(m_pictures, m_products.text(kId), which);
}

void ProductRules::afterInsert()
{
    m_products.setValue(kStatus, QStringLiteral("Normal"));
}

void ProductRules::beforeDelete()
{
    checkCanChange();
    const QString id = m_products.text(kId);
    const QString entryText = m_products.text(kName) + QLatin1Char(' ') + id;
    // Collect first: removing while walking would skip nodes.
    std::vector<TreeNode*> doomed;
    m_tree.walk([&](TreeNode& n) {
        if (n.text() == entryText)
            doomed.push_back(&n);
    });
    // Last first: a node that holds another doomed node comes before it in the walk.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        m_tree.removeNode(*it);
    pictures::deleteProductPictures(m_pictures, id);
}

} // namespace catalogue
