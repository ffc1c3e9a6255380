#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace tables {

// The primary index (.PX) of a keyed Paradox table: for every data block, in key order, the key of its
// first record, its number and how many records it holds. Rewritten whole after every change (one entry
// per block keeps it small), beside the old one and renamed over it.
class ParadoxPrimaryIndex {
public:
    struct Entry {
        QByteArray key;
        int block = 0;
        int records = 0;
    };

    // tableHeader: the header of the .DB; keyFields/keySize: how many of its first fields form the key and
    // the bytes they take. An existing index file's header is kept (only its counters change) when it
    // describes the same key; otherwise a new one is made.
    ParadoxPrimaryIndex(const QString& path, const QByteArray& tableHeader, int fieldInfoStart, int keyFields,
                        int keySize);

    QString path() const { return m_path; }
    // Writes the index for the entries given; throws AppError naming the file when it cannot.
    void write(const QVector<Entry>& entries) const;
    // The bytes write() would store; what the fuzzer and the tests look at.
    QByteArray build(const QVector<Entry>& entries) const;

private:
    QByteArray freshHeader(const QByteArray& tableHeader, int fieldInfoStart) const;

    QString m_path;
    QByteArray m_header;
    int m_keyFields = 0;
    int m_keySize = 0;
    int m_blockSize = 2048;
};

} // namespace tables
