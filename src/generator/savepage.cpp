#include "generator/savepage.h"

#include "shell/error.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace generator {

QString colorToHtml(ColorValue color)
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
    QStringList lines = text.split(QStringLiteral("\r\n"));
    // A text ending in CR LF has no empty line after it.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    QByteArray bytes;
    bytes.reserve(text.size() + lines.size() * 2 + 16);
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

namespace {

// Written beside and renamed, so a killed run never leaves half a page under its name. The temporary is
// made afresh: a link left under its name is removed, never written through, and the rename replaces a
// link under the page's own name instead of the file it points to.
void writeBeside(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".part");
    QFile::remove(temporary);
    QFile file(temporary);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)
                         && file.write(bytes) == bytes.size();
    QString why = file.errorString();
    file.close();
    if (written && file.error() != QFileDevice::NoError)
        why = file.errorString();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(temporary);
        throw AppError(QStringLiteral("Cannot write file %1: %2").arg(path, why));
    }
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(temporary.toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), error);
    if (error) {
        QFile::remove(temporary);
        throw AppError(
            QStringLiteral("Cannot write file %1: %2").arg(path, QString::fromLocal8Bit(error.message())));
    }
}

} // namespace

void savePage(const QString& text, const QString& path)
{
    writeBeside(path, pageBytes(text));
}

bool appendPageLine(const QString& path, const QString& line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    bytes += pageBytes(line.isEmpty() ? QStringLiteral("\r\n") : line);
    writeBeside(path, bytes);
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
