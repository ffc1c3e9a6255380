// A damaged Paradox .db (and its blob file) must give an error, never a crash.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray table, blobs;
    fuzzsupport::splitInput(data, size, table, blobs);
    const QString dir = fuzzsupport::folder().path();
    fuzzsupport::writeFile(dir + QStringLiteral("/t.db"), table.constData(), table.size());
    fuzzsupport::writeFile(dir + QStringLiteral("/t.mb"), blobs.constData(), blobs.size());
    (void)tables::looksLikeParadox(table.left(128), table.size());
    fuzzsupport::exercise("paradox", dir + QStringLiteral("/t.db"));
    return 0;
}
