#include "shell/tables/dataset.h"

#include "shell/tables/messages.h"

#include "shell/error.h"
#include "shell/tables/connection.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSet>
#include <QTime>
#include <algorithm>
#include <utility>
#include <vector>

namespace tables {
namespace {
constexpr int kCacheSize = 256;
}

struct DataSetHandlers {
    struct Entry {
        quint64 id;
        DataSet::Event event;
        DataSet::Handler handler;
    };
    std::vector<Entry> entries;
    quint64 lastId = 0;
};

Subscription::Subscription(std::weak_ptr<DataSetHandlers> handlers, quint64 id)
    : m_handlers(std::move(handlers)), m_id(id)
{
}

Subscription::Subscription(Subscription&& other) noexcept
    : m_handlers(std::move(other.m_handlers)), m_id(std::exchange(other.m_id, 0))
{
}

Subscription& Subscription::operator=(Subscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_handlers = std::move(other.m_handlers);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void Subscription::reset()
{
    if (const auto handlers = m_handlers.lock())
        std::erase_if(handlers->entries, [this](const DataSetHandlers::Entry& e) { return e.id == m_id; });
    m_handlers.reset();
    m_id = 0;
}

bool Subscription::isActive() const
{
    const auto handlers = m_handlers.lock();
    return handlers
           && std::any_of(handlers->entries.begin(), handlers->entries.end(),
                          [this](const DataSetHandlers::Entry& e) { return e.id == m_id; });
}

DataSet::DataSet(QObject* parent) : QObject(parent), m_handlers(std::make_shared<DataSetHandlers>()) {}

Subscription DataSet::subscribe(Event event, Handler handler)
{
    const quint64 id = ++m_handlers->lastId;
    m_handlers->entries.push_back({id, event, std::move(handler)});
    return Subscription(m_handlers, id);
}

void DataSet::notify(Event event)
{
    // A handler may unsubscribe itself or others; each one is looked up again before it is called.
    QVector<quint64> ids;
    for (const DataSetHandlers::Entry& e : m_handlers->entries)
        if (e.event == event)
            ids.append(e.id);
    for (const quint64 id : ids) {
        const auto& entries = m_handlers->entries;
        const auto found = std::find_if(entries.begin(), entries.end(),
                                        [id](const DataSetHandlers::Entry& e) { return e.id == id; });
        if (found == entries.end())
            continue;
        const Handler handler = found->handler;
        handler(*this);
    }
}

DataSet::~DataSet() = default;

void DataSet::close()
{
    m_state = State::Inactive;
    m_fields.clear();
    m_rowIds.clear();
    m_current.clear();
    m_changed.clear();
    m_pos = -1;
    m_bof = m_eof = true;
    clearRowCache();
}

void DataSet::fail(const QString& message) const
{
    throw shell::AppError(m_sourceName.isEmpty() ? message : m_sourceName + QStringLiteral(": ") + message);
}

void DataSet::checkOpen() const
{
    if (m_state == State::Inactive)
        throw shell::AppError(msg("%1: the table is not open").arg(m_sourceName));
}

void DataSet::writtenColumns(bool isNew, const QVector<QVariant>& values, const QVector<bool>& changed,
                             QStringList& columns, QVector<QVariant>& params,
                             const QStringList* columnNames) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].modifiable && (isNew ? !values[i].isNull() : changed[i])) {
            columns << quoteIdentifier(columnNames ? columnNames->at(i) : m_fields[i].name);
            params << values[i];
        }
    }
}

void DataSet::checkBrowsing(const char* what) const
{
    checkOpen();
    if (m_state != State::Browse)
        fail(msg("cannot %1 while a record is being edited").arg(msg(what)));
}

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

const Field& DataSet::field(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        fail(msg("field '%1' not found").arg(name));
    return m_fields[i];
}

void DataSet::clearRowCache() const
{
    m_cache.clear();
}

QVector<QVariant> DataSet::row(int index) const
{
    checkOpen();
    if (index < 0 || index >= m_rowIds.size())
        fail(msg("record %1 is out of range").arg(index + 1));
    if (index == m_pos && m_state == State::Browse && !m_current.isEmpty())
        return m_current;
    const qint64 id = m_rowIds[index];
    for (const auto& entry : m_cache)
        if (entry.first == id)
            return entry.second;
    QVector<QVariant> values = fetchRow(id);
    if (m_cache.size() >= kCacheSize)
        m_cache.removeFirst();
    m_cache.append({id, values});
    return values;
}

QString DataSet::textAt(int index, int fieldNo) const
{
    const QVector<QVariant> r = row(index);
    return tables::valueToText(r.value(fieldNo), m_fields[fieldNo].type);
}

void DataSet::setView(QVector<qint64> rowIds, int keepPos)
{
    m_rowIds = std::move(rowIds);
    clearRowCache();
    m_state = State::Browse;
    const int pos = m_rowIds.isEmpty() ? -1 : qBound(0, keepPos < 0 ? 0 : keepPos, int(m_rowIds.size()) - 1);
    m_pos = pos;
    m_bof = pos <= 0;
    m_eof = m_rowIds.isEmpty();
    loadCurrent();
    Q_EMIT viewChanged();
    Q_EMIT afterScroll();
}

void DataSet::loadCurrent()
{
    m_changed = QVector<bool>(m_fields.size(), false);
    if (m_pos < 0) {
        m_current = QVector<QVariant>(m_fields.size());
        return;
    }
    m_current = fetchRow(m_rowIds[m_pos]);
    m_current.resize(m_fields.size());
}

void DataSet::setPos(int pos)
{
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    if (m_rowIds.isEmpty()) {
        m_bof = m_eof = true;
        return;
    }
    const int n = int(m_rowIds.size());
    m_bof = pos < 0 || (pos == 0 && m_pos == 0);
    m_eof = pos >= n;
    pos = qBound(0, pos, n - 1);
    if (pos == m_pos)
        return;
    m_pos = pos;
    loadCurrent();
    Q_EMIT afterScroll();
}

void DataSet::first()
{
    checkOpen();
    setPos(0);
    m_bof = true;
    m_eof = m_rowIds.isEmpty();
}

void DataSet::last()
{
    checkOpen();
    setPos(int(m_rowIds.size()) - 1);
    m_eof = true;
    m_bof = m_rowIds.isEmpty();
}

void DataSet::next()
{
    checkOpen();
    setPos(m_pos + 1);
    if (!m_eof)
        m_bof = false;
}

void DataSet::prior()
{
    checkOpen();
    setPos(m_pos - 1);
    if (!m_bof)
        m_eof = false;
}

void DataSet::moveTo(int index)
{
    checkOpen();
    setPos(index);
    m_bof = index <= 0;
    m_eof = m_rowIds.isEmpty();
}

QVariant DataSet::value(int fieldNo) const
{
    checkOpen();
    return m_current.value(fieldNo);
}

QVariant DataSet::value(const QString& name) const
{
    checkOpen();
    field(name); // throws when the field is missing
    return m_current.value(fieldIndex(name));
}

QString DataSet::text(const QString& name) const
{
    const Field& f = field(name);
    return tables::valueToText(value(fieldIndex(name)), f.type);
}

double DataSet::number(const QString& name) const
{
    const QVariant v = value(name);
    if (v.isNull())
        return 0.0;
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        fail(msg("'%1' is not a valid number in field '%2'").arg(v.toString(), name));
    return d;
}

bool DataSet::logical(const QString& name) const
{
    const QVariant v = value(name);
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toUpper();
        return s == QLatin1String("T") || s == QLatin1String("TRUE") || s == QLatin1String("Y")
               || s == QLatin1String("1");
    }
    return v.toLongLong() != 0;
}

void DataSet::setValue(const QString& name, const QVariant& v)
{
    checkOpen();
    const int i = fieldIndex(name);
    if (i < 0)
        fail(msg("field '%1' not found").arg(name));
    if (!m_fields[i].modifiable)
        fail(msg("field '%1' cannot be modified%2").arg(m_fields[i].name, readOnlyNote()));
    if (m_state == State::Browse)
        edit();
    QVariant stored = v;
    if (v.isValid() && !v.isNull() && v.typeId() == QMetaType::QString && !isTextType(m_fields[i].type))
        stored = textToValue(v.toString(), m_fields[i]);
    else if (v.typeId() == QMetaType::Bool)
        stored = QVariant(qlonglong(v.toBool() ? 1 : 0));
    m_current[i] = stored;
    m_changed[i] = true;
}

void DataSet::setText(const QString& name, const QString& text)
{
    const Field& f = field(name);
    setValue(name, textToValue(text, f));
}

QVariant DataSet::textToValue(const QString& text, const Field& f) const
{
    try {
        return tables::textToValue(text, f);
    } catch (const shell::AppError& e) {
        fail(e.message());
    }
}

bool DataSet::locate(const QString& fieldName, const QString& value, bool partialKey)
{
    checkOpen();
    const int f = fieldIndex(fieldName);
    if (f < 0)
        fail(msg("field '%1' not found").arg(fieldName));
    if (m_rowIds.isEmpty())
        return false;
    const QVector<qint64> matches = matchRows(f, value, partialKey);
    if (matches.isEmpty())
        return false;
    const QSet<qint64> wanted(matches.begin(), matches.end());
    for (int i = 0; i < m_rowIds.size(); ++i) {
        if (wanted.contains(m_rowIds[i])) {
            setPos(i);
            return true;
        }
    }
    return false;
}

void DataSet::append()
{
    checkOpen();
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    m_state = State::Insert;
    m_current = QVector<QVariant>(m_fields.size());
    m_changed = QVector<bool>(m_fields.size(), false);
    Q_EMIT stateChanged();
    notify(Event::AfterInsert);
    Q_EMIT afterScroll();
}

void DataSet::edit()
{
    checkOpen();
    if (m_state != State::Browse)
        return;
    if (m_pos < 0)
        fail(msg("there is no record to edit"));
    m_state = State::Edit;
    Q_EMIT stateChanged();
}

void DataSet::post()
{
    checkOpen();
    if (m_state == State::Browse)
        return;
    notify(Event::BeforePost);
    for (int i = 0; i < m_fields.size(); ++i) {
        const Field& f = m_fields[i];
        if (f.type == FieldType::Alpha && f.size > 0 && m_current[i].toString().size() > f.size)
            fail(msg("the value of field '%1' is longer than %2 characters").arg(f.name).arg(f.size));
    }
    const bool isNew = m_state == State::Insert;
    const qint64 id = storeRecord(isNew ? -1 : m_rowIds[m_pos], isNew, m_current, m_changed);
    clearRowCache();
    m_state = State::Browse;
    Q_EMIT stateChanged();
    if (isNew) {
        m_rowIds.append(id);
        m_pos = int(m_rowIds.size()) - 1;
        m_bof = m_eof = false;
        loadCurrent();
        Q_EMIT viewChanged();
        Q_EMIT afterScroll();
    } else {
        loadCurrent();
        Q_EMIT recordChanged(m_pos);
    }
}

void DataSet::cancel()
{
    checkOpen();
    if (m_state == State::Browse)
        return;
    m_state = State::Browse;
    loadCurrent();
    Q_EMIT stateChanged();
    Q_EMIT afterScroll();
}

void DataSet::remove()
{
    checkOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (m_pos < 0)
        fail(msg("cannot delete: there is no record"));
    notify(Event::BeforeDelete);
    deleteRecord(m_rowIds[m_pos]);
    clearRowCache();
    m_rowIds.removeAt(m_pos);
    if (m_pos >= m_rowIds.size())
        m_pos = int(m_rowIds.size()) - 1;
    m_eof = m_rowIds.isEmpty();
    m_bof = m_pos <= 0;
    loadCurrent();
    Q_EMIT viewChanged();
    Q_EMIT afterScroll();
}

} // namespace tables
