#include "ui/common/recordnavigator.h"

#include "shell/tables/table.h"

#include "shell/error.h"
#include "shell/interaction.h"

#include <QHBoxLayout>

RecordNavigator::RecordNavigator(QWidget* parent) : QWidget(parent)
{
    static const char* const names[ButtonCount] = {"firstButton",  "priorButton",  "nextButton", "lastButton",
                                                   "insertButton", "deleteButton", "editButton", "postButton",
                                                   "cancelButton", "refreshButton"};
    static const char* const texts[ButtonCount] = {"|◀", "◀", "▶", "▶|", "+", "−", "✎", "✔", "✖", "↻"};
    static const char* const hints[ButtonCount] = {
        "First record",  "Prior record", "Next record", "Last record", "Insert record",
        "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int i = 0; i < ButtonCount; ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(names[i]));
        b->setText(QString::fromUtf8(texts[i]));
        b->setToolTip(QString::fromLatin1(hints[i]));
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, [this, i] { run(Button(i)); });
        layout->addWidget(b);
        m_buttons[i] = b;
    }
    layout->addStretch();
    updateButtons();
}

void RecordNavigator::setDataSet(tables::DataSet* dataSet)
{
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (m_dataSet) {
        connect(m_dataSet, &tables::DataSet::afterScroll, this, &RecordNavigator::updateButtons);
        connect(m_dataSet, &tables::DataSet::viewChanged, this, &RecordNavigator::updateButtons);
        connect(m_dataSet, &tables::DataSet::recordChanged, this, &RecordNavigator::updateButtons);
        connect(m_dataSet, &tables::DataSet::stateChanged, this, &RecordNavigator::updateButtons);
    }
    updateButtons();
}

void RecordNavigator::setDeleteQuestion(const QString& text, const QString& caption)
{
    m_deleteQuestion = text;
    m_deleteCaption = caption;
}

void RecordNavigator::setVisibleButtons(const QList<Button>& buttons)
{
    for (int i = 0; i < ButtonCount; ++i)
        m_buttons[i]->setVisible(buttons.contains(Button(i)));
}

void RecordNavigator::setHints(const QStringList& hints)
{
    m_hints = hints;
    updateButtons();
}

void RecordNavigator::run(Button b)
{
    if (!m_dataSet || !m_dataSet->isOpen())
        return;
    try {
        switch (b) {
        case First:
            m_dataSet->first();
            break;
        case Prior:
            m_dataSet->prior();
            break;
        case Next:
            m_dataSet->next();
            break;
        case Last:
            m_dataSet->last();
            break;
        case Insert:
            m_dataSet->insert();
            break;
        case Delete:
            if (!m_deleteQuestion.isEmpty() && m_interaction
                && !m_interaction->question(m_deleteQuestion, m_deleteCaption))
                break;
            m_dataSet->remove();
            break;
        case Edit:
            m_dataSet->edit();
            break;
        case Post:
            m_dataSet->post();
            break;
        case Cancel:
            m_dataSet->cancel();
            break;
        case Refresh:
            Q_EMIT refreshRequested();
            break;
        case ButtonCount:
            break;
        }
    } catch (const std::exception& e) {
        if (m_interaction)
            m_interaction->error(shell::messageOf(e));
        else
            qWarning("%s", e.what());
    }
    updateButtons();
}

void RecordNavigator::updateButtons()
{
    const bool open = m_dataSet && m_dataSet->isOpen();
    const bool browsing = open && m_dataSet->state() == tables::DataSet::State::Browse;
    const bool editing = open && !browsing;
    const bool hasRecords = open && !m_dataSet->isEmpty();
    const int pos = open ? m_dataSet->recordNumber() : 0;
    const int count = open ? m_dataSet->recordCount() : 0;
    m_buttons[First]->setEnabled(browsing && pos > 1);
    m_buttons[Prior]->setEnabled(browsing && pos > 1);
    m_buttons[Next]->setEnabled(browsing && pos < count);
    m_buttons[Last]->setEnabled(browsing && pos < count);
    // A table that cannot change says why on the buttons that would change it.
    const auto* table = qobject_cast<const tables::Table*>(m_dataSet.data());
    const QString readOnly =
        table && table->isOpen() && table->isReadOnly()
            ? (table->readOnlyReason().isEmpty() ? QStringLiteral("the table is read-only")
                                                 : table->readOnlyReason())
            : QString();
    const bool canChange = readOnly.isEmpty();
    m_buttons[Insert]->setEnabled(open && canChange);
    m_buttons[Delete]->setEnabled(hasRecords && canChange);
    m_buttons[Edit]->setEnabled(browsing && hasRecords && canChange);
    m_buttons[Post]->setEnabled(editing);
    m_buttons[Cancel]->setEnabled(editing);
    m_buttons[Refresh]->setEnabled(open);
    for (int i = 0; i < ButtonCount; ++i) {
        QString hint = m_hints.value(i);
        if (!canChange && (i == Insert || i == Delete || i == Edit))
            hint = hint.isEmpty() ? readOnly : QStringLiteral("%1 (%2)").arg(hint, readOnly);
        m_buttons[i]->setToolTip(hint);
    }
}
