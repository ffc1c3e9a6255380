#include "listclicks.h"

#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace testsupport {

namespace {

QPoint itemCentre(QListWidget* list, const QString& text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty()) {
        ADD_FAILURE() << "no item " << text.toStdString();
        return {-1, -1};
    }
    list->scrollToItem(found.first());
    return list->visualItemRect(found.first()).center();
}

} // namespace

void clickItem(QListWidget* list, const QString& text)
{
    const QPoint at = itemCentre(list, text);
    if (at.x() >= 0)
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

void doubleClickItem(QListWidget* list, const QString& text)
{
    const QPoint at = itemCentre(list, text);
    if (at.x() < 0)
        return;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace testsupport
