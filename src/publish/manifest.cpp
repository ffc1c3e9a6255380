#include "publish/manifest.h"

#include "shell/error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace publish {

namespace {

bool isHexHash(const QByteArray& text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

QByteArray serializeManifest(const Manifest& manifest)
{
    QByteArray bytes;
    for (auto it = manifest.cbegin(); it != manifest.cend(); ++it)
        bytes += it.value() + "  " + it.key().toUtf8() + '\n';
    return bytes;
}

Manifest parseManifest(const QByteArray& bytes)
{
    Manifest manifest;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
        const QByteArray hash = line.left(64).toLower();
        if (line.size() < 67 || line.mid(64, 2) != "  " || !isHexHash(hash))
            continue;
        const QString path = QString::fromUtf8(line.mid(66));
        if (isShopPath(path))
            manifest.insert(path, hash);
    }
    return manifest;
}

bool isShopPath(const QString& path)
{
    QString name = path;
    if (name.startsWith(QStringLiteral("img/")))
        name = name.mid(4);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..")
        || name == kManifestName)
        return false;
    for (const QChar c : name)
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20)
            return false;
    return true;
}

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        throw shell::AppError(QStringLiteral("Cannot read file %1. %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    return hash.result().toHex();
}

} // namespace publish
