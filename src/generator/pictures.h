#pragma once

#include <QHash>
#include <QString>

namespace pictures {

// A product picture counts as present when it would load. Reading the header is enough to know that, so
// a run does not decode every picture: a JPEG header that libjpeg accepts, or a file Qt recognises as
// another image format (a picked bitmap is kept under its ".jpg" name).
bool isPresent(const QString& path);

// Copies a picture into the shop, replacing an older copy; false when it could not be copied.
bool copyReplacing(const QString& source, const QString& target);

} // namespace pictures

namespace pictures {

// The product pictures of one pass: each source is checked and copied once, however many tree entries
// show the product.
class ShopPictures {
public:
    // True when the source picture is present; it is then copied to target (once per pass). A failed
    // copy is ignored: the page still shows the picture's place.
    bool provide(const QString& source, const QString& target);

private:
    QHash<QString, bool> m_present;
};

} // namespace pictures
