#include "generator/pictures.h"

#include <QFile>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

struct HeaderErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void leaveOnError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<HeaderErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void ignoreMessage(j_common_ptr, int) {}

// Only plain C objects live in this function, so leaving it by longjmp skips no destructor.
bool jpegHeaderReads(const QByteArray& bytes)
{
    jpeg_decompress_struct info;
    HeaderErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = leaveOnError;
    errors.base.emit_message = ignoreMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    const bool ok = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK && info.image_width > 0
                    && info.image_height > 0;
    jpeg_destroy_decompress(&info);
    return ok;
}

} // namespace

namespace pictures {

bool isPresent(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The header of a JPEG sits in its first kilobytes; tables beyond are rare, so read more when needed.
    QByteArray head = file.read(64 * 1024);
    if (head.startsWith("\xFF\xD8")) {
        if (jpegHeaderReads(head))
            return true;
        if (!file.atEnd()) {
            head += file.readAll();
            return jpegHeaderReads(head);
        }
        return false;
    }
    file.close();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.canRead() && reader.size().isValid();
}

bool copyReplacing(const QString& source, const QString& target)
{
    if (QFile::exists(target) && !QFile::remove(target))
        return false;
    return QFile::copy(source, target);
}

} // namespace pictures

namespace pictures {

bool ShopPictures::provide(const QString& source, const QString& target)
{
    const auto known = m_present.constFind(source);
    if (known != m_present.constEnd())
        return known.value();
    const bool present = isPresent(source);
    if (present)
        copyReplacing(source, target);
    m_present.insert(source, present);
    return present;
}

} // namespace pictures
