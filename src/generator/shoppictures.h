#pragma once

#include <QHash>
#include <QString>

namespace generator {

// The product pictures of one pass. A picture counts as present when its header reads as a picture
// (nothing is decoded); each source is checked and copied once, however many tree entries show it.
class ShopPictures {
public:
    // True when the source picture is present; it is then copied over target. A failed copy is ignored:
    // the page still shows the picture's place.
    bool provide(const QString& source, const QString& target);

private:
    QHash<QString, bool> m_present;
};

} // namespace generator
