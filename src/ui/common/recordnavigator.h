#pragma once

#include "shell/tables/dataset.h"

#include <QPointer>
#include <QToolButton>
#include <QWidget>

namespace shell {
class Interaction;
}

// The record navigator bar: first, prior, next, last, insert, delete, edit, post, cancel, refresh.
// Buttons are enabled by the data set's state; errors go to the interaction's error box.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, ButtonCount };

    explicit RecordNavigator(QWidget* parent = nullptr);
    void setDataSet(tables::DataSet* dataSet);
    void setInteraction(shell::Interaction* interaction) { m_interaction = interaction; }
    // Asks before deleting; empty text = no question.
    void setDeleteQuestion(const QString& text, const QString& caption);
    void setVisibleButtons(const QList<Button>& buttons);
    QToolButton* button(Button b) const { return m_buttons[b]; }
    // Hints shown over the buttons.
    void setHints(const QStringList& hints);

Q_SIGNALS:
    void refreshRequested();

private:
    void run(Button b);
    void updateButtons();

    QPointer<tables::DataSet> m_dataSet;
    shell::Interaction* m_interaction = nullptr;
    QToolButton* m_buttons[ButtonCount] = {};
    QStringList m_hints;
    QString m_deleteQuestion;
    QString m_deleteCaption;
};
