#include "shell/tables/filemodules.h"

namespace tables {

// Placeholder until the dBASE module lands.
void registerDbaseModule(sqlite3*) {}

} // namespace tables
