#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace publish {

// After an upload: the shop as a visitor's browser gets it. Fetches the start page, one product page
// and the cart script from the shop's address and compares them with the local files; returns the
// report lines, the last one "Shop online: OK" or what differs.
QStringList checkShopOnline(const QString& address, const QString& publishFolder);

// One "GET" over HTTP/1.0 or HTTPS (certificates checked as for FTPS); the body of a 200 answer.
// Raises AppError with the status line for any other answer, SocketError for the network.
QByteArray httpGet(const QString& url, qsizetype maxSize);

} // namespace publish
