#pragma once

#include "shell/tables/codepage.h"
#include "shell/tables/dbase_memofile.h"
#include "shell/tables/tablefilemodule.h"

#include <shapefil.h>

#include <memory>

namespace tables {

// A dBASE III/IV/5 or FoxPro table read and written through shapelib, with its memo file read and
// written here (shapelib knows only the block numbers). The header is checked before shapelib sees it.
class DbaseTableFile : public TableFile {
public:
    // options: an optional code page name that overrides the file's own.
    DbaseTableFile(const QString& path, const QStringList& options);
    ~DbaseTableFile() override;

    static std::unique_ptr<TableFile> open(const QString& path, const QStringList& options);

    QVector<FileColumn> columns() const override;
    qint64 rowLimit() const override;
    bool readRow(qint64 row, QByteArray& buffer) override;
    void resultColumn(const QByteArray& record, int column, sqlite3_context* ctx) override;
    QString readOnlyReason() const override { return m_readOnlyReason; }
    void updateRow(qint64 row, sqlite3_value** values) override;
    qint64 insertRow(sqlite3_value** values) override;
    void deleteRow(qint64 row) override;

    QByteArray codePageName() const { return m_codePage->name(); }

private:
    enum class Storage {
        Text,
        Numeric,
        Date,
        Logical,
        Memo,
        BinaryMemo,
        FoxInteger,
        FoxCurrency,
        FoxDateTime,
        FoxDouble,
        Raw
    };
    struct FieldInfo {
        QString name;
        char type = 'C';
        int offset = 0;
        int length = 0;
        int decimals = 0;
        Storage storage = Storage::Text;
        Field field;
    };
    struct PendingMemo {
        int field;
        QByteArray data;
        bool binary;
    };

    void readHeader();
    void openMemoFile();
    void checkRow(qint64 row);
    void checkUnchangedByOthers();
    QByteArray record(qint64 row);
    // Puts the new values into a record; memo contents are collected to be written once every field passed.
    void encodeValues(QByteArray& record, sqlite3_value** values, bool isNew,
                      QVector<PendingMemo>& memos) const;
    void writeMemos(QByteArray& record, const QVector<PendingMemo>& memos);
    void writeRecord(int index, const QByteArray& record);

    QString m_path;
    struct DbfCloser {
        void operator()(DBFInfo* dbf) const { DBFClose(dbf); }
    };
    std::unique_ptr<DBFInfo, DbfCloser> m_handle; // closed also when the constructor fails
    DBFInfo* m_dbf = nullptr;
    std::shared_ptr<const CodePage> m_codePage;
    std::unique_ptr<DbaseMemoFile> m_memo;
    QVector<FieldInfo> m_fields;
    int m_version = 0;
    int m_recordLength = 0;
    int m_headerLength = 0;
    qint64 m_records = 0;
    bool m_visualFoxPro = false;
    bool m_needsMemo = false;
    bool m_writable = false;
    QString m_readOnlyReason;
};

} // namespace tables
