#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace publish {

// What an upload put on the server: each file's path relative to the remote folder ("index.html",
// "img/b.jpg") with the SHA-256 of its bytes. Stored on the server as the hidden file
// ".kalmenor-manifest", one "hash  path" line per file as sha256sum writes them.
using Manifest = QMap<QString, QByteArray>;

inline const QString kManifestName = QStringLiteral(".kalmenor-manifest");

QByteArray serializeManifest(const Manifest& manifest);
// Lines that are not a hash and a safe path are left out: a damaged or hostile manifest costs at
// most a full upload, and never names a file outside the shop's own two folders.
Manifest parseManifest(const QByteArray& bytes);
// A file name the shop may hold: "name" or "img/name", no other folder, no way up.
bool isShopPath(const QString& path);

// Lower-case hexadecimal SHA-256 of a file's bytes; raises AppError when it cannot be read.
QByteArray fileHash(const QString& path);

} // namespace publish
