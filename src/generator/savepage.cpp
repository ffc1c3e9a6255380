#include "generator/savepage.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QFile>

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

void savePage(const QString& text, const QString& path)
{
    textfile::writeGenerated(path, pageBytes(text));
}

bool appendPageLine(const QString& path, const QString& line)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    bytes += pageBytes(line.isEmpty() ? QStringLiteral("\r\n") : line);
    textfile::writeGenerated(path, bytes);
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
