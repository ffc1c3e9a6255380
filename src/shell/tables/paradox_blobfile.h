#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QVector>

namespace tables {

// The blob file (.MB) of a Paradox table: memo, formatted memo, binary, OLE and graphic data. pxlib's own
// reader cannot be used (its Debian build overruns a stack buffer on every .MB file), so the format is
// handled here: 4,096-byte blocks, each starting with a type byte (0 header, 2 one blob over several
// blocks, 3 up to 64 small blobs, 4 free). A record's blob field holds a leader (the first bytes of the
// data) and a 10-byte pointer: offset in the file (block | index within it), length, modification number.
class ParadoxBlobFile {
public:
    // Opens and checks the header block; throws AppError naming the file.
    ParadoxBlobFile(const QString& path, bool writable);

    QString path() const { return m_path; }

    // The data a record's blob field points to. field is the raw field (leader + 10-byte pointer);
    // isNull is set when the field is empty. Throws AppError when the pointer leads outside the file or
    // to a block that does not hold it.
    QByteArray read(const char* field, int fieldSize, bool graphic, bool* isNull);

    // Stores data for a field of fieldSize bytes and returns the field's new bytes. Data that fits the
    // leader stays in the record alone; small blobs share blocks, large ones get blocks of their own.
    QByteArray store(const QByteArray& data, int fieldSize, bool graphic);
    // Frees the space of the blob a field points to (once the record no longer points to it).
    void release(const char* field, int fieldSize);

private:
    struct SmallBlock {
        qint64 offset = 0;
        int endUnit = 0; // first free 16-byte unit after the last blob
        int freeEntries = 0;
    };

    [[noreturn]] void fail(const QString& what) const;
    QByteArray readAt(qint64 offset, qint64 size);
    void writeAt(qint64 offset, const QByteArray& bytes);
    void scanSmallBlocks();
    SmallBlock measureSmallBlock(qint64 offset);
    int nextModification();

    QString m_path;
    QFile m_file;
    bool m_scanned = false;
    QVector<SmallBlock> m_small;
};

} // namespace tables
