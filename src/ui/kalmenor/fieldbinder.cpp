#include "ui/kalmenor/fieldbinder.h"

#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/tables/dataset.h"

#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>

FieldBinder::FieldBinder(tables::DataSet& data, shell::Interaction& ui, QObject* parent)
    : QObject(parent), m_data(data), m_ui(ui)
{
    connect(&data, &tables::DataSet::afterScroll, this, &FieldBinder::refresh);
    connect(&data, &tables::DataSet::recordChanged, this, &FieldBinder::refresh);
    connect(&data, &tables::DataSet::viewChanged, this, &FieldBinder::refresh);
}

bool FieldBinder::isNumber(const QString& column) const
{
    const int i = m_data.fieldIndex(column);
    return i >= 0 && tables::isNumberType(m_data.fields()[i].type);
}

QString FieldBinder::shownText(const QString& column) const
{
    if (!m_data.isOpen() || (m_data.isEmpty() && m_data.state() != tables::DataSet::State::Insert))
        return {};
    const QVariant v = m_data.value(column);
    if (isNumber(column) && !v.isNull()) {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(v.toDouble(), 'g', 15);
    }
    return v.toString();
}

void FieldBinder::bind(QLineEdit* edit, const QString& column)
{
    m_bindings.append({edit, column, isNumber(column), false});
    const int n = int(m_bindings.size()) - 1;
    connect(edit, &QLineEdit::textEdited, this,
            [this, n](const QString& text) { write(m_bindings[n], text); });
    // Number texts are written by flush(), which storing the record runs first; a text that is not a
    // number is reported then, and nothing is stored.
}

void FieldBinder::bind(QPlainTextEdit* edit, const QString& column)
{
    m_bindings.append({edit, column, false, false});
    const int n = int(m_bindings.size()) - 1;
    connect(edit, &QPlainTextEdit::textChanged, this, [this, n, edit] {
        if (!m_refreshing)
            write(m_bindings[n], edit->toPlainText());
    });
}

void FieldBinder::bind(QComboBox* box, const QString& column)
{
    m_bindings.append({box, column, false, false});
    const int n = int(m_bindings.size()) - 1;
    connect(box, &QComboBox::currentTextChanged, this, [this, n](const QString& text) {
        if (!m_refreshing)
            write(m_bindings[n], text);
    });
}

void FieldBinder::write(Binding& b, const QString& text)
{
    if (!m_data.isOpen() || (m_data.isEmpty() && m_data.state() == tables::DataSet::State::Browse))
        return;
    try {
        if (b.number) {
            // Only mark the record as being edited; the text goes in when the box is left.
            m_data.edit();
            b.pending = true;
            return;
        }
        m_data.setValue(b.column, text.isEmpty() ? QVariant() : QVariant(text));
    } catch (const std::exception& e) {
        m_ui.error(shell::messageOf(e));
    }
}

void FieldBinder::flush()
{
    for (Binding& b : m_bindings) {
        if (!b.pending || !b.widget)
            continue;
        const QString text = static_cast<QLineEdit*>(b.widget.data())->text();
        const tables::Field& f = m_data.field(b.column);
        m_data.setValue(b.column, m_data.textToValue(text, f));
        b.pending = false;
    }
}

void FieldBinder::refresh()
{
    m_refreshing = true;
    for (Binding& b : m_bindings) {
        b.pending = false;
        if (!b.widget)
            continue;
        const QString text = shownText(b.column);
        if (auto* line = qobject_cast<QLineEdit*>(b.widget)) {
            if (line->text() != text)
                line->setText(text);
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(b.widget)) {
            if (memo->toPlainText() != text)
                memo->setPlainText(text);
        } else if (auto* box = qobject_cast<QComboBox*>(b.widget)) {
            if (box->isEditable())
                box->setCurrentText(text);
            else
                box->setCurrentIndex(box->findText(text));
        }
    }
    m_refreshing = false;
}
