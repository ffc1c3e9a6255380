#include "generator/savepage.h"

#include "shell/error.h"

#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace generator {

QString colorToHtml(shell::ColorValue color)
{
    const auto hex = [](int byte) {
        return QStringLiteral("%1").arg(byte & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + hex(color) + hex(color >> 8) + hex(color >> 16);
}

QByteArray pageBytes(const QString& text)
{
    if (text.isEmpty())
        return {};
    // Every line ends in CR LF: only the last one can lack it.
    QByteArray bytes = text.toUtf8();
    if (!text.endsWith(QLatin1String("\r\n")))
        bytes += "\r\n";
    return bytes;
}

namespace {

// Writes the bytes into a file opened for writing and closes it; on failure removes it and throws.
void writeAndClose(std::FILE* file, const QByteArray& bytes, const QByteArray& name, const QString& path)
{
    std::setvbuf(file, nullptr, _IONBF, 0); // one write of the whole file, no buffer to size
    const bool written =
        bytes.isEmpty()
        || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    const int error = written ? 0 : errno;
    if (std::fclose(file) != 0 || !written) {
        const QString why = QString::fromLocal8Bit(std::strerror(error ? error : errno));
        std::remove(name.constData());
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2").arg(path, why));
    }
}

} // namespace

// A file that is not there yet is created under its own name at once: there is no earlier file to keep
// whole, and a fresh shop is tens of thousands of such files. It is created exclusively ("x"), so a link
// left under the name is never written through. An existing file is written beside and renamed over, so
// a killed run never leaves half a file where a whole one was; the temporary, too, is created
// exclusively, and the rename replaces a link under the file's name instead of the file it points to.
// Plain C files: they need nothing more.
void writeFileBeside(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    if (std::FILE* file = std::fopen(target.constData(), "wbx")) {
        writeAndClose(file, bytes, target, path);
        return;
    }
    const QString temporary = path + QStringLiteral(".part");
    const QByteArray name = QFile::encodeName(temporary);
    std::FILE* file = std::fopen(name.constData(), "wbx");
    if (!file && errno == EEXIST) {
        std::remove(name.constData()); // a leftover of a killed run, or a link
        file = std::fopen(name.constData(), "wbx");
    }
    if (!file)
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    writeAndClose(file, bytes, name, path);
    std::error_code renameError;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), renameError);
    if (renameError) {
        std::remove(name.constData());
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(renameError.message())));
    }
}

void removeLeftoverTemporaries(const QString& folder)
{
    // Only temporaries of the kinds of file a run writes: a file of the user's is never taken for one.
    QStringList names;
    for (const char* kind :
         {"html", "php", "js", "css", "json", "xml", "txt", "jpg", "jpeg", "gif", "png", "bmp", "ico"})
        names << QStringLiteral("*.%1.part").arg(QLatin1String(kind));
    QDirIterator leftovers(folder, names, QDir::Files | QDir::System | QDir::Hidden);
    while (leftovers.hasNext())
        QFile::remove(leftovers.next());
}

QByteArray readWholeFile(const QString& path)
{
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return {};
    std::setvbuf(file, nullptr, _IONBF, 0); // read straight into our own buffer
    QByteArray bytes;
    char buffer[64 * 1024];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, qsizetype(got));
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return failed ? QByteArray() : bytes;
}

void savePage(const QString& text, const QString& path)
{
    writeFileBeside(path, pageBytes(text));
}

bool appendPageLine(const QString& path, const QString& line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    bytes += pageBytes(line.isEmpty() ? QStringLiteral("\r\n") : line);
    writeFileBeside(path, bytes);
    return true;
}

QString memoText(const QString& lines)
{
    if (lines.isEmpty())
        return {};
    QString result;
    for (const QString& line : lines.split(QLatin1Char('\n')))
        result += line + QStringLiteral("\r\n");
    return result;
}

QString commonHeadBlock()
{
    return QStringLiteral("<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en-GB\" lang=\"en-GB\"> ")
           + QStringLiteral("<head profile=\"http://dublincore.org/documents/2008/08/04/dc-html/\">")
           + QString(21, QLatin1Char(' '))
           + QStringLiteral("<meta name=\"dcterms.created\" content=\"2010-09-08T14:26:53Z\" />")
           + QString(16, QLatin1Char(' '))
           + QStringLiteral("<meta http-equiv=\"content-type\" content=\"text/html;charset=UTF-8\" />")
           + QString(12, QLatin1Char(' '));
}

QString makerFooter()
{
    return QStringLiteral("<img align=left SRC=\"img/orvane.jpg\"><FONT SIZE=1>")
           + QStringLiteral("Web shop made with Kalmenor &copy; Tavrone. All rights reserved.</FONT>");
}

} // namespace generator
