#include "catalogue/pictures.h"

#include "catalogue/categorytree.h"
#include "shell/error.h"
#include "shell/textfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>

namespace catalogue::pictures {
namespace {

// libjpeg reports fatal errors through error_exit; we jump back and turn it into an exception outside
// the libjpeg calls, so no C++ object lives across the jump.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info)
{
    auto* mgr = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, mgr->message);
    std::longjmp(mgr->jump, 1);
}

void onMessage(j_common_ptr) {} // warnings of damaged but readable files stay quiet

QByteArray readHead(const QString& path, qint64 n)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(n);
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw shell::AppError(QStringLiteral("Cannot open the picture %1: %2")
                                  .arg(QDir::toNativeSeparators(path), f.errorString()));
    return f.readAll();
}

// Decodes into rgb (already sized by the caller after the header is read). Plain C data only here.
bool decodeInto(const unsigned char* data, unsigned long size, int denominator, ErrorManager* err,
                QImage* (*allocate)(void*, int, int), void* context)
{
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&err->base);
    err->base.error_exit = onError;
    err->base.output_message = onMessage;
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    info.scale_num = 1;
    info.scale_denom = unsigned(denominator);
    jpeg_start_decompress(&info);
    QImage* image = allocate(context, int(info.output_width), int(info.output_height));
    if (!image) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

// The size from the frame header, when the markers up to the first scan are well formed: a shop checks
// tens of thousands of pictures, and setting up the library for each costs far more than this walk.
// Anything unusual (no frame before the scan, a marker out of place, a length past the end) is left to
// the library to judge.
bool jpegSizeFromMarkers(const QByteArray& data, QSize* size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype end = data.size();
    const auto word = [bytes](qsizetype at) { return int(bytes[at]) << 8 | int(bytes[at + 1]); };
    QSize frame;
    qsizetype at = 2; // after SOI
    for (;;) {
        if (at >= end || bytes[at] != 0xFF)
            return false;
        while (at < end && bytes[at] == 0xFF)
            ++at; // fill bytes
        if (at + 2 >= end)
            return false;
        const int marker = bytes[at++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length
        if (marker == 0x00 || marker == 0xD8 || marker == 0xD9)
            return false;
        const int length = word(at);
        if (length < 2 || at + length > end)
            return false;
        if (marker == 0xDA) { // start of scan: the header is complete
            if (!frame.isValid())
                return false;
            *size = frame;
            return true;
        }
        const bool startOfFrame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (startOfFrame) {
            if (frame.isValid() || length < 8)
                return false;
            const int height = word(at + 3);
            const int width = word(at + 5);
            if (height <= 0 || width <= 0 || bytes[at + 7] == 0)
                return false;
            frame = QSize(width, height);
        }
        at += length;
    }
}

bool jpegSize(const QByteArray& data, QSize* size)
{
    if (jpegSizeFromMarkers(data, size))
        return true;
    ErrorManager err{};
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&info, TRUE);
    *size = QSize(int(info.image_width), int(info.image_height));
    jpeg_destroy_decompress(&info);
    return true;
}

QImage loadAny(const QString& path, const QSize& atLeast)
{
    const QByteArray data = readAll(path);
    if (looksLikeJpeg(data)) {
        int denominator = 1;
        QSize full;
        if (atLeast.isValid() && jpegSize(data, &full)) {
            // libjpeg scales by 1/2, 1/4 and 1/8 in the DCT; take the smallest that still covers the box.
            for (int d : {8, 4, 2}) {
                if (full.width() / d >= atLeast.width() && full.height() / d >= atLeast.height()) {
                    denominator = d;
                    break;
                }
            }
        }
        return decodeJpeg(data, path, denominator);
    }
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull())
        throw shell::AppError(QStringLiteral("%1 is not a picture (%2)")
                                  .arg(QDir::toNativeSeparators(path), reader.errorString()));
    return image;
}

} // namespace

bool looksLikeJpeg(const QByteArray& head)
{
    return head.size() >= 3 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8 && uchar(head[2]) == 0xFF;
}

QImage decodeJpeg(const QByteArray& data, const QString& nameForErrors, int scaleDenominator)
{
    QImage result;
    ErrorManager err{};
    const bool ok = decodeInto(
        reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size(),
        scaleDenominator, &err,
        [](void* context, int w, int h) -> QImage* {
            auto* img = static_cast<QImage*>(context);
            if (w <= 0 || h <= 0 || qint64(w) * h > 100'000'000)
                return nullptr;
            *img = QImage(w, h, QImage::Format_RGB888);
            return img->isNull() ? nullptr : img;
        },
        &result);
    if (!ok) {
        const QString why =
            err.message[0] ? QString::fromLocal8Bit(err.message) : QStringLiteral("picture too large");
        throw shell::AppError(QStringLiteral("%1 is not a valid JPEG picture (%2)")
                                  .arg(QDir::toNativeSeparators(nameForErrors), why));
    }
    return result;
}

QImage load(const QString& path)
{
    return loadAny(path, QSize());
}

QImage loadThumbnail(const QString& path, const QSize& atLeast)
{
    return loadAny(path, atLeast);
}

bool isPicture(const QString& path)
{
    const QByteArray head = readHead(path, 64 * 1024);
    if (head.isEmpty())
        return false;
    if (looksLikeJpeg(head)) {
        QSize size;
        // The header may be longer than what we read; read the whole file then.
        return jpegSize(head, &size) || jpegSize(readHead(path, 64 * 1024 * 1024), &size);
    }
    return isPictureData(head);
}

bool isPictureData(const QByteArray& bytes)
{
    return pictureDataSize(bytes).isValid();
}

QSize pictureDataSize(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    if (looksLikeJpeg(bytes)) {
        QSize size;
        return jpegSize(bytes, &size) ? size : QSize();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.canRead() ? reader.size() : QSize();
}

QImage scaledToFit(const QImage& image, const QSize& box)
{
    if (image.isNull() || box.isEmpty())
        return image;
    if (image.width() <= box.width() && image.height() <= box.height())
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage placeholder(const QSize& size)
{
    QImage image(size.isValid() ? size : QSize(120, 120), QImage::Format_RGB32);
    image.fill(QColor(236, 236, 248));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(image.rect()).adjusted(8, 8, -8, -8);
    p.setPen(QPen(QColor(150, 150, 190), 2, Qt::DashLine));
    p.drawRect(r);
    // A simple landscape: mountains and a sun, the usual "no picture" sign.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 170, 210));
    QPolygonF hills;
    hills << QPointF(r.left(), r.bottom())
          << QPointF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.45)
          << QPointF(r.left() + r.width() * 0.55, r.top() + r.height() * 0.7)
          << QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.5)
          << QPointF(r.right(), r.bottom());
    p.drawPolygon(hills);
    const qreal sun = std::min(r.width(), r.height()) * 0.12;
    p.drawEllipse(QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.25), sun, sun);
    return image;
}

QByteArray encodeJpeg(const QImage& source, int quality)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    if (image.isNull())
        throw shell::AppError(QStringLiteral("There is no picture to store"));
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    ErrorManager err{};
    jpeg_compress_struct info;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.output_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(out);
        throw shell::AppError(QStringLiteral("The picture cannot be written as JPEG (%1)")
                                  .arg(QString::fromLocal8Bit(err.message)));
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return bytes;
}

void storeAsJpeg(const QString& pickedFile, const QString& target)
{
    const QByteArray data = readAll(pickedFile);
    if (looksLikeJpeg(data)) {
        decodeJpeg(data, pickedFile, 8); // proves it is a readable JPEG before it replaces anything
        shell::textfile::writeBytes(target, data);
        return;
    }
    shell::textfile::writeBytes(target, encodeJpeg(load(pickedFile)));
}

QString openFilter()
{
    return QStringLiteral(
        "All pictures (*.jpg *.jpeg *.bmp *.png *.gif *.ico);;JPEG (*.jpg *.jpeg);;Bitmaps (*.bmp);;"
        "PNG (*.png);;GIF (*.gif);;Icons (*.ico);;All files (*)");
}

QString productPicture(const QString& picturesFolder, const QString& id, Size which)
{
    if (!products::isSafePictureId(id))
        return {};
    return which == Size::Small ? products::smallPicturePath(picturesFolder, id)
                                : products::bigPicturePath(picturesFolder, id);
}

void storeProductPicture(const QString& pickedFile, const QString& picturesFolder, const QString& id,
                         Size which)
{
    const QString target = productPicture(picturesFolder, id, which);
    if (target.isEmpty())
        throw shell::AppError(QStringLiteral("The product ID %1 cannot name a picture file").arg(id));
    QDir().mkpath(picturesFolder);
    storeAsJpeg(pickedFile, target);
}

void deleteProductPicture(const QString& picturesFolder, const QString& id, Size which)
{
    const QString target = productPicture(picturesFolder, id, which);
    if (!target.isEmpty())
        QFile::remove(target);
}

void deleteProductPictures(const QString& picturesFolder, const QString& id)
{
    deleteProductPicture(picturesFolder, id, Size::Small);
    deleteProductPicture(picturesFolder, id, Size::Big);
}

} // namespace catalogue::pictures
