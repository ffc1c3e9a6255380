#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

namespace importer {

// What a copy refused or would refuse, per target field and reason: how many records and the first
// of them. A dry run and a real import end with the same report.
class LossReport {
public:
    enum class Reason {
        TooLong,      // text longer than the field
        LostDigits,   // a number that fits only by losing digits
        CodePage,     // characters the target's code page lacks
        NullRequired, // no value for a field that needs one
        Invalid,      // a value that is not one of the field's type
        Refused,      // anything else the target refused; its message is kept
    };

    void add(Reason reason, const QString& field, int record, const QString& message = {});
    bool isEmpty() const { return m_entries.isEmpty(); }
    int total() const;
    // One line per field and reason, in the order first met.
    QStringList lines() const;
    void clear() { m_entries.clear(); }

    // The reason a refusal message of the engine names, or Refused; *field receives the field it names.
    static Reason reasonOf(const QString& message, QString* field = nullptr);

private:
    struct Entry {
        Reason reason;
        QString field;
        QString message;
        int count = 0;
        int firstRecord = 0;
    };
    QVector<Entry> m_entries;
};

} // namespace importer
