#include "shell/tables/dbase_tablefile.h"
#include "shell/tables/filemodules.h"

namespace tables {

void registerDbaseModule(sqlite3* db)
{
    registerTableFileModule(db, "dbase", &DbaseTableFile::open);
}

} // namespace tables
