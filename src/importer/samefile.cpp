#include "importer/samefile.h"

#include <QFile>
#include <filesystem>
#include <system_error>

namespace importer {

bool isSameFile(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    std::error_code error;
    const bool same =
        std::filesystem::equivalent(std::filesystem::path(QFile::encodeName(a).toStdString()),
                                    std::filesystem::path(QFile::encodeName(b).toStdString()), error);
    return !error && same;
}

} // namespace importer
