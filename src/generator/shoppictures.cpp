#include "generator/shoppictures.h"

#include "catalogue/pictures.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace generator {

bool ShopPictures::provide(const QString& source, const QString& target)
{
    const auto known = m_present.constFind(source);
    if (known != m_present.constEnd())
        return known.value();
    const bool present = catalogue::pictures::isPicture(source);
    if (present) {
        // A plain copy over the old one: the shop folder is output made again by every run, so the
        // flush to disk that QFile::copy does per file (thousands of pictures) buys nothing.
        std::error_code ignored;
        std::filesystem::copy_file(QFile::encodeName(source).toStdString(),
                                   QFile::encodeName(target).toStdString(),
                                   std::filesystem::copy_options::overwrite_existing, ignored);
    }
    m_present.insert(source, present);
    return present;
}

} // namespace generator
