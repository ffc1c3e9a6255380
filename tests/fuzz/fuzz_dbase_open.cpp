// A damaged .dbf (and its memo file) must give an error, never a crash.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray table, memo;
    fuzzsupport::splitInput(data, size, table, memo);
    const QString dir = fuzzsupport::folder().path();
    fuzzsupport::writeFile(dir + QStringLiteral("/t.dbf"), table.constData(), table.size());
    fuzzsupport::writeFile(dir + QStringLiteral("/t.dbt"), memo.constData(), memo.size());
    fuzzsupport::writeFile(dir + QStringLiteral("/t.fpt"), memo.constData(), memo.size());
    fuzzsupport::exercise("dbase", dir + QStringLiteral("/t.dbf"));
    return 0;
}
