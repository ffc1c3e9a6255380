#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tables {

// Reads the blob file (.MB) of a Paradox table: memo, formatted memo, binary, OLE and graphic data.
// pxlib's own reader cannot be used (its Debian build overruns a stack buffer on every .MB file), so the
// format is read here: 4,096-byte blocks, each starting with a type byte (0 header, 2 one blob over
// several blocks, 3 up to 64 small blobs, 4 free).
class ParadoxBlobFile {
public:
    // Opens and checks the header block; throws AppError naming the file.
    explicit ParadoxBlobFile(const QString& path);

    QString path() const { return m_path; }

    // The data a record's blob field points to. field is the raw field (leader + 10-byte pointer);
    // isNull is set when the field is empty. Throws AppError when the pointer leads outside the file or
    // to a block that does not hold it.
    QByteArray read(const char* field, int fieldSize, bool graphic, bool* isNull);

private:
    [[noreturn]] void fail(const QString& what) const;
    QByteArray readAt(qint64 offset, qint64 size);

    QString m_path;
    QFile m_file;
};

} // namespace tables
