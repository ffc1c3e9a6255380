#include "generator/relativelink.h"

#include <algorithm>

namespace generator {

namespace {

QString folderOf(const QString& path)
{
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash);
}

// True when path lies inside folder (or is it), judged at a folder boundary.
bool isInsideFolder(const QString& path, const QString& folder)
{
    if (!path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(QLatin1Char('/'))
           || path.at(folder.size()) == QLatin1Char('/');
}

} // namespace

QString percentEncodeLink(const QString& text)
{
    QString result;
    const QByteArray bytes = text.toUtf8();
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte >= 128 || byte == ' ' || byte == '*' || byte == '#' || byte == '%' || byte == '<'
            || byte == '>')
            result += QStringLiteral("%%1").arg(int(byte), 2, 16, QLatin1Char('0')).toUpper();
        else
            result += QLatin1Char(ch);
    }
    // The bytes above 127 are escaped, so the rest is plain ASCII.
    return result;
}

QString relativeLink(const QString& base, const QString& link)
{
    if (link.contains(QStringLiteral(":\\"))) {
        // A drive path cannot be reached from a POSIX shop folder: an address of the whole path.
        QString path = percentEncodeLink(link);
        for (int i = 0; i < path.size() - 1; ++i) {
            if (path.at(i) == QLatin1Char('\\'))
                path[i] = QLatin1Char('/');
        }
        return QStringLiteral("file:///") + path;
    }
    if (!link.startsWith(QLatin1Char('/')))
        return link;

    // The longest common leading part shorter than the base, cut after its last "/".
    int common = 0;
    const int limit = std::min(base.size() - 1, link.size());
    while (common < limit && base.at(common) == link.at(common))
        ++common;
    const int cut = base.left(common).lastIndexOf(QLatin1Char('/')) + 1;

    QString result = percentEncodeLink(link.mid(cut));

    const QString baseFolder = folderOf(base);
    const QString linkFolder = folderOf(link);
    if (linkFolder != baseFolder && !isInsideFolder(linkFolder, baseFolder)) {
        const QString restOfBase = base.mid(cut);
        result = QStringLiteral("../").repeated(int(restOfBase.count(QLatin1Char('/')))) + result;
    }
    return result;
}

} // namespace generator
