#include "ui/importer/historylist.h"

#include <QStringListModel>

HistoryList::HistoryList(QWidget* parent) : QListView(parent), m_model(new QStringListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void HistoryList::clear()
{
    m_lines.clear();
    m_model->setStringList({});
}

void HistoryList::flush()
{
    m_model->setStringList(m_lines);
    scrollToBottom();
}
