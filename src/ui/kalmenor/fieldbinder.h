#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

namespace shell {
class Interaction;
}
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tables {
class DataSet;
}

// Binds editing widgets to columns of the current record: the widgets show the record whenever it
// changes, and typing puts the record into editing and writes the column. Number columns are written
// just before the record is stored (flush), so half-typed numbers are never rejected while typing.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    FieldBinder(tables::DataSet& data, shell::Interaction& ui, QObject* parent = nullptr);

    void bind(QLineEdit* edit, const QString& column);
    void bind(QPlainTextEdit* edit, const QString& column);
    void bind(QComboBox* box, const QString& column);

    // Writes pending number texts into the record; throws when one is not a number.
    void flush();
    // Shows the current record in every bound widget.
    void refresh();
    // True while the widgets are being filled from the record (not the user typing).
    bool isRefreshing() const { return m_refreshing; }

private:
    struct Binding {
        QPointer<QWidget> widget;
        QString column;
        bool number = false;
        bool pending = false;
    };
    void write(Binding& b, const QString& text);
    QString shownText(const QString& column) const;
    bool isNumber(const QString& column) const;

    tables::DataSet& m_data;
    shell::Interaction& m_ui;
    QList<Binding> m_bindings;
    bool m_refreshing = false;
};
