#include "generator/savepage.h"

#include "shell/error.h"

#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Creates a file that must not exist yet (no link under the name is ever followed); -1 with errno set.
int createNew(const QByteArray& name)
{
    return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

// Writes the bytes into a file just created and closes it; on failure removes it and throws.
void writeAndClose(int file, const QByteArray& bytes, const QByteArray& name, const QString& path)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    int error = 0;
    while (left > 0) {
        const ssize_t written = ::write(file, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            error = written < 0 ? errno : ENOSPC;
            break;
        }
        data += written;
        left -= written;
    }
    if (::close(file) != 0 && error == 0)
        error = errno;
    if (error != 0) {
        ::unlink(name.constData());
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
}

} // namespace

// A file that is not there yet is created under its own name at once: there is no earlier file to keep
// whole, and a fresh shop is tens of thousands of such files. It is created exclusively, so a link left
// under the name is never written through. An existing file is written beside and renamed over, so a
// killed run never leaves half a file where a whole one was; the temporary, too, is created exclusively,
// and the rename replaces a link under the file's name instead of the file it points to. Plain system
// calls: a shop is tens of thousands of small files, and they need nothing more.
void writeFileBeside(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const int file = createNew(target);
    if (file >= 0) {
        writeAndClose(file, bytes, target, path);
        return;
    }
    const QString temporary = path + QStringLiteral(".part");
    const QByteArray name = QFile::encodeName(temporary);
    int part = createNew(name);
    if (part < 0 && errno == EEXIST) {
        ::unlink(name.constData()); // a leftover of a killed run, or a link
        part = createNew(name);
    }
    if (part < 0)
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    writeAndClose(part, bytes, name, path);
    if (::rename(name.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(name.constData());
        throw shell::AppError(QStringLiteral("Cannot write file %1: %2")
                                  .arg(path, QString::fromLocal8Bit(std::strerror(error))));
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
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return {};
    // A regular file is read in one call: asking for a byte more than its size, a short read is its end
    // (a regular file reads short only there). Anything else is read until nothing comes.
    struct stat info {};
    const bool regular = ::fstat(file, &info) == 0 && S_ISREG(info.st_mode);
    QByteArray bytes(regular ? qsizetype(info.st_size) + 1 : 64 * 1024, Qt::Uninitialized);
    qsizetype got = 0;
    bool failed = false;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(bytes.size() * 2); // it grew meanwhile
        const ssize_t n = ::read(file, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed = n < 0;
            break;
        }
        got += n;
        if (regular && got < bytes.size())
            break;
    }
    ::close(file);
    if (failed)
        return {};
    bytes.truncate(got);
    return bytes;
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
