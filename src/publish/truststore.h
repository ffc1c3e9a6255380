#pragma once

#include <QString>
#include <QStringList>

namespace publish {

// Certificate fingerprints the user trusts per FTP host, kept in a small text file beside the settings
// ("host fingerprint" per line).
namespace truststore {

inline const QString kFileName = QStringLiteral("trusted-certificates.txt");

QStringList fingerprintsFor(const QString& file, const QString& host);
// Written beside and renamed; raises AppError when it cannot be written.
void remember(const QString& file, const QString& host, const QString& fingerprint);

} // namespace truststore
} // namespace publish
