#include "generator/shoppictures.h"

#include "catalogue/pictures.h"

#include <QFile>

namespace generator {

bool ShopPictures::provide(const QString& source, const QString& target)
{
    const auto known = m_present.constFind(source);
    if (known != m_present.constEnd())
        return known.value();
    const bool present = catalogue::pictures::isPicture(source);
    if (present) {
        // Replacing: a copy of an earlier run may be out of date.
        if (!QFile::exists(target) || QFile::remove(target))
            QFile::copy(source, target);
    }
    m_present.insert(source, present);
    return present;
}

} // namespace generator
