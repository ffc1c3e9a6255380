#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace catalogue::pictures {

// Product pictures are recognised by their content, not their name: files under ".jpg" names may hold
// other formats written by older versions.
bool looksLikeJpeg(const QByteArray& head);

// Reads a picture file; JPEG through libjpeg, every other format through Qt's readers.
// Throws AppError naming the file when it is missing or not a picture.
QImage load(const QString& path);
// The same, decoding a JPEG at the smallest scale that still covers the given size (fast thumbnails).
QImage loadThumbnail(const QString& path, const QSize& atLeast);
// True when the file exists and its header is that of a picture (nothing is decoded).
bool isPicture(const QString& path);
// The same for the whole content of a file already read (a JPEG header is looked for in all of it).
bool isPictureData(const QByteArray& bytes);
// The width and height its header gives; invalid when the content is no picture.
QSize pictureDataSize(const QByteArray& bytes);

// Scaled to fit the box with the aspect ratio kept (never enlarged beyond the box).
QImage scaledToFit(const QImage& image, const QSize& box);

// The picture shown for a product without one.
QImage placeholder(const QSize& size);

// JPEG data of an image (libjpeg, quality 90).
QByteArray encodeJpeg(const QImage& image, int quality = 90);
QImage decodeJpeg(const QByteArray& data, const QString& nameForErrors, int scaleDenominator = 1);

// Stores a picked picture file as a product picture: a JPEG byte for byte, any other picture converted to
// JPEG. The target is written atomically; throws AppError (and leaves the target alone) when the picked
// file is not a picture.
void storeAsJpeg(const QString& pickedFile, const QString& target);

// The filter of the picture-open dialog.
QString openFilter();

// The two pictures of a product: the small one of lists and tiles, the big one of its own page.
enum class Size { Small, Big };

// The picture file of a product, or an empty text when its ID cannot name a file.
QString productPicture(const QString& picturesFolder, const QString& id, Size which);
// Stores a picked file as a picture of the product (making the pictures folder when it is missing).
// Throws AppError when the ID cannot name a picture file or the picked file is no picture.
void storeProductPicture(const QString& pickedFile, const QString& picturesFolder, const QString& id,
                         Size which);
// Deletes a picture file of a product; a missing file or an ID that names no file is fine.
void deleteProductPicture(const QString& picturesFolder, const QString& id, Size which);
// Both picture files (the product is deleted).
void deleteProductPictures(const QString& picturesFolder, const QString& id);

} // namespace catalogue::pictures
