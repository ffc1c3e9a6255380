#include "shell/tables/filemodules.h"
#include "shell/tables/paradox_tablefile.h"

namespace tables {

void registerParadoxModule(sqlite3* db)
{
    registerTableFileModule(db, "paradox", &ParadoxTableFile::open);
}

bool looksLikeParadox(const QByteArray& head, qint64 fileSize)
{
    return ParadoxTableFile::looksLikeTable(head, fileSize);
}

QString paradoxReadOnlyReason(const QString& path)
{
    return ParadoxTableFile::open(path, {})->readOnlyReason();
}

} // namespace tables
