#include "shell/tables/filemodules.h"

namespace tables {

// Placeholder until the Paradox module lands.
void registerParadoxModule(sqlite3*) {}

bool looksLikeParadox(const QByteArray&, qint64)
{
    return false;
}

} // namespace tables
