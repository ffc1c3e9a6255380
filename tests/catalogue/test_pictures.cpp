#include "catalogue/pictures.h"
#include "shell/error.h"
#include "testsupport.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace catalogue;

namespace {

QImage sample(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(200, 30, 30));
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

TEST(Pictures, JpegRoundTripThroughLibjpegAndScaledThumbnails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("IDM.jpg"));
    testsupport::writeFile(path, pictures::encodeJpeg(sample(800, 400)));
    EXPECT_TRUE(pictures::looksLikeJpeg(testsupport::readFile(path)));
    EXPECT_TRUE(pictures::isPicture(path));
    const QImage full = pictures::load(path);
    EXPECT_EQ(full.size(), QSize(800, 400));
    EXPECT_NEAR(qRed(full.pixel(400, 200)), 200, 8);
    // DCT scaling: the smallest of 1/2, 1/4, 1/8 that still covers the box.
    EXPECT_EQ(pictures::loadThumbnail(path, QSize(100, 50)).size(), QSize(100, 50));
    EXPECT_EQ(pictures::loadThumbnail(path, QSize(150, 50)).size(), QSize(200, 100));
    EXPECT_EQ(pictures::loadThumbnail(path, QSize(1000, 50)).size(), QSize(800, 400));
}

TEST(Pictures, OtherFormatsUnderJpgNamesStillLoad)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("oldM.jpg"));
    testsupport::writeFile(path, encoded(sample(30, 20), "BMP"));
    EXPECT_TRUE(pictures::isPicture(path));
    EXPECT_EQ(pictures::load(path).size(), QSize(30, 20));
}

TEST(Pictures, NonPicturesAndDamagedJpegsAreErrors)
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("textM.jpg"));
    testsupport::writeFile(text, "this is not a picture at all");
    EXPECT_FALSE(pictures::isPicture(text));
    EXPECT_THROW(pictures::load(text), shell::AppError);
    EXPECT_FALSE(pictures::isPicture(dir.filePath(QStringLiteral("missing.jpg"))));
    EXPECT_THROW(pictures::load(dir.filePath(QStringLiteral("missing.jpg"))), shell::AppError);

    // A JPEG cut after its markers, and one with only the start marker.
    QByteArray jpeg = pictures::encodeJpeg(sample(64, 64));
    const QString cut = dir.filePath(QStringLiteral("cutM.jpg"));
    testsupport::writeFile(cut, QByteArray("\xFF\xD8\xFF\xE0", 4));
    EXPECT_FALSE(pictures::isPicture(cut));
    EXPECT_THROW(pictures::load(cut), shell::AppError);
    const QString garbage = dir.filePath(QStringLiteral("garbageM.jpg"));
    testsupport::writeFile(garbage, jpeg.left(3) + QByteArray(500, '\x55'));
    EXPECT_THROW(pictures::load(garbage), shell::AppError);
}

TEST(Pictures, SizeReadFromTheHeaderAsTheLibraryReadsIt)
{
    const QByteArray jpeg = pictures::encodeJpeg(sample(120, 45));
    EXPECT_EQ(pictures::pictureDataSize(jpeg), QSize(120, 45));
    // Camera pictures: an APP1 block (with a fill byte before its marker) ahead of the tables.
    QByteArray exif = jpeg.left(2) + QByteArray("\xFF\xFF\xE1\x00\x08Exif\x00\x00", 11) + jpeg.mid(2);
    EXPECT_EQ(pictures::pictureDataSize(exif), QSize(120, 45));
    // Progressive pictures have another frame marker.
    QByteArray progressive = jpeg;
    const qsizetype frame = progressive.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(frame, 0);
    progressive[frame + 1] = char(0xC2);
    EXPECT_EQ(pictures::pictureDataSize(progressive), QSize(120, 45));

    // Cut before the scan, a frame of no width, and a block longer than the file are no pictures.
    EXPECT_FALSE(pictures::pictureDataSize(jpeg.left(frame + 12)).isValid());
    QByteArray noWidth = jpeg;
    noWidth[frame + 7] = 0;
    noWidth[frame + 8] = 0;
    EXPECT_FALSE(pictures::pictureDataSize(noWidth).isValid());
    EXPECT_FALSE(
        pictures::pictureDataSize(jpeg.left(2) + QByteArray("\xFF\xE1\x7F\xFF", 4) + jpeg.mid(2)).isValid());
    EXPECT_FALSE(pictures::pictureDataSize(jpeg.left(3) + QByteArray(500, '\x55')).isValid());
}

TEST(Pictures, StoringKeepsJpegBytesConvertsOthersAndRefusesNonPictures)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("ID000000001PM.jpg"));

    const QByteArray jpeg = pictures::encodeJpeg(sample(40, 40), 70);
    const QString pickedJpeg = dir.filePath(QStringLiteral("photo.jpeg"));
    testsupport::writeFile(pickedJpeg, jpeg);
    pictures::storeAsJpeg(pickedJpeg, target);
    EXPECT_EQ(testsupport::readFile(target), jpeg);

    const QString pickedPng = dir.filePath(QStringLiteral("photo.png"));
    testsupport::writeFile(pickedPng, encoded(sample(50, 10), "PNG"));
    pictures::storeAsJpeg(pickedPng, target);
    EXPECT_TRUE(pictures::looksLikeJpeg(testsupport::readFile(target)));
    EXPECT_EQ(pictures::load(target).size(), QSize(50, 10));

    const QByteArray before = testsupport::readFile(target);
    const QString pickedText = dir.filePath(QStringLiteral("notes.bmp"));
    testsupport::writeFile(pickedText, "hello");
    EXPECT_THROW(pictures::storeAsJpeg(pickedText, target), shell::AppError);
    EXPECT_EQ(testsupport::readFile(target), before);
}

TEST(Pictures, ScaledToFitKeepsTheAspectRatio)
{
    EXPECT_EQ(pictures::scaledToFit(sample(400, 100), QSize(200, 200)).size(), QSize(200, 50));
    EXPECT_EQ(pictures::scaledToFit(sample(100, 400), QSize(200, 200)).size(), QSize(50, 200));
    EXPECT_EQ(pictures::scaledToFit(sample(20, 10), QSize(200, 200)).size(), QSize(20, 10));
    EXPECT_EQ(pictures::placeholder(QSize(90, 60)).size(), QSize(90, 60));
}
