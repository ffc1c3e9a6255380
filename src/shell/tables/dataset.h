#pragma once

#include "shell/tables/fieldtype.h"

#include <QObject>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

struct sqlite3;

namespace tables {

struct DataSetHandlers;

// Keeps one handler subscribed to a data set event for as long as it lives; destroying or resetting it
// unsubscribes. Outliving the data set is harmless.
class Subscription {
public:
    Subscription() = default;
    Subscription(Subscription&& other) noexcept;
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }

    void reset();
    bool isActive() const;

private:
    friend class DataSet;
    Subscription(std::weak_ptr<DataSetHandlers> handlers, quint64 id);

    std::weak_ptr<DataSetHandlers> m_handlers;
    quint64 m_id = 0;
};

// What Table and Query share: a field list, an ordered view of records, a current record, and
// editing of the current record. Grids and exports work on a DataSet.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit DataSet(QObject* parent = nullptr);
    ~DataSet() override;

    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    virtual void close();

    const QVector<Field>& fields() const { return m_fields; }
    int fieldIndex(const QString& name) const;     // without regard to case; -1 when missing
    const Field& field(const QString& name) const; // throws when missing

    // Navigation on the current view. recordNumber() counts from 1; 0 when the view is empty.
    int recordCount() const { return int(m_rowIds.size()); }
    int recordNumber() const { return m_pos + 1; }
    bool isEmpty() const { return m_rowIds.isEmpty(); }
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    void first();
    void prior();
    void next();
    void last();
    void moveTo(int index); // 0-based index in the view

    // Values of the current record (the edit buffer while editing).
    QVariant value(int field) const;
    QVariant value(const QString& name) const;
    QString text(const QString& name) const;
    double number(const QString& name) const;
    bool logical(const QString& name) const;
    // Writing puts the record into editing when it is browsing.
    void setValue(const QString& name, const QVariant& v);
    void setText(const QString& name, const QString& text);

    // Values of any record of the view, for grids and exports.
    QVector<QVariant> row(int index) const;
    QString textAt(int index, int field) const;

    // Locate: make current the first record of the view whose field equals the value without regard to
    // case (Polish letters included), or, with partialKey, whose text begins with the value
    // (case-sensitive). Returns false and stays put when nothing matches.
    bool locate(const QString& fieldName, const QString& value, bool partialKey = false);

    // Changes.
    void append();
    void insert() { append(); }
    void edit();
    void post();
    void cancel();
    void remove(); // delete the current record

    // Events around changes. Every subscriber is called, in the order they subscribed; one that throws
    // aborts the operation and the subscribers after it.
    enum class Event { BeforePost, AfterInsert, BeforeDelete };
    using Handler = std::function<void(DataSet&)>;
    [[nodiscard]] Subscription subscribe(Event event, Handler handler);

    // tables::textToValue, with the source named in the error.
    QVariant textToValue(const QString& text, const Field& f) const;

    QString sourceName() const { return m_sourceName; }

Q_SIGNALS:
    void afterScroll();            // the current record changed
    void viewChanged();            // records were added, removed, refiltered or reloaded
    void recordChanged(int index); // one record of the view was stored
    void stateChanged();           // browsing, editing or inserting began

protected:
    // Implemented by Table and Query.
    virtual QVector<QVariant> fetchRow(qint64 rowId) const = 0;
    virtual qint64 storeRecord(qint64 rowId, bool isNew, const QVector<QVariant>& values,
                               const QVector<bool>& changed) = 0;
    virtual void deleteRecord(qint64 rowId) = 0;
    virtual QVector<qint64> matchRows(int field, const QString& value, bool partialKey) const = 0;

    void setView(QVector<qint64> rowIds, int keepPos = -1);
    // Appended to "cannot be modified" errors: why the whole source is read-only, if it is.
    virtual QString readOnlyNote() const { return {}; }
    qint64 currentRowId() const { return m_pos >= 0 ? m_rowIds[m_pos] : -1; }
    void clearRowCache() const;
    void checkOpen() const;
    void checkBrowsing(const char* what) const;
    [[noreturn]] void fail(const QString& message) const;
    // What storeRecord writes: the quoted columns and their values, for every modifiable field that a new
    // record gives a value or that an edit changed. columnNames: the stored names, when not the fields'.
    void writtenColumns(bool isNew, const QVector<QVariant>& values, const QVector<bool>& changed,
                        QStringList& columns, QVector<QVariant>& params,
                        const QStringList* columnNames = nullptr) const;

    QVector<Field> m_fields;
    QVector<qint64> m_rowIds;
    QString m_sourceName; // file or statement named in errors
    State m_state = State::Inactive;

private:
    void setPos(int pos);
    void loadCurrent();
    void notify(Event event);

    int m_pos = -1;
    bool m_bof = true;
    bool m_eof = true;
    QVector<QVariant> m_current;
    QVector<bool> m_changed;
    mutable QVector<QPair<qint64, QVector<QVariant>>> m_cache; // small cache for grids
    std::shared_ptr<DataSetHandlers> m_handlers;
};

} // namespace tables
