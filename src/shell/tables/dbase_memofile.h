#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace tables {

// The memo file beside a dBASE table: .dbt of dBASE III (text ended by 0x1A), .dbt of dBASE IV (blocks
// with a length header) or .fpt of FoxPro. New memos always go into fresh blocks at the end of the file,
// so a record keeps pointing at intact data until it is itself rewritten.
class DbaseMemoFile {
public:
    enum class Kind { Dbase3, Dbase4, FoxPro };

    // Opens and checks the header; throws AppError naming the file when it is missing or damaged.
    DbaseMemoFile(const QString& path, Kind kind, bool writable);

    QString path() const { return m_path; }
    bool isWritable() const { return m_file.isWritable(); }
    // Reopens the file for writing, at the first change: opening a table never writes.
    void reopenForWriting();
    Kind kind() const { return m_kind; }
    // dBASE III memos end at the first 0x1A, so they cannot hold arbitrary bytes.
    bool canHoldBinary() const { return m_kind != Kind::Dbase3; }

    // The memo starting at block; throws AppError when the block or its length lies outside the file.
    QByteArray read(quint32 block);
    // Writes data into fresh blocks and returns the first one; the data is on disk when it returns.
    quint32 append(const QByteArray& data, bool binary);

private:
    [[noreturn]] void fail(const QString& what) const;
    quint32 nextFreeBlock();

    QString m_path;
    Kind m_kind;
    QFile m_file;
    quint32 m_blockSize = 512;
};

} // namespace tables
