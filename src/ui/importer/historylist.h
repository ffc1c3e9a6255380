#pragma once

#include <QListView>
#include <QStringList>

class QStringListModel;

// The import history: a plain list view, so 200,000 lines stay quick. Lines are gathered and handed to
// the view when flushed (the history is hidden while the import runs).
class HistoryList : public QListView {
    Q_OBJECT
public:
    explicit HistoryList(QWidget* parent = nullptr);

    void append(const QString& line) { m_lines << line; }
    void clear();
    void flush();
    const QStringList& lines() const { return m_lines; }

private:
    QStringList m_lines;
    QStringListModel* m_model;
};
