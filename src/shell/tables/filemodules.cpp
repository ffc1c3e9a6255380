#include "shell/tables/filemodules.h"

namespace tables {

void registerFileModules(sqlite3* db)
{
    registerDbaseModule(db);
    registerParadoxModule(db);
}

} // namespace tables
