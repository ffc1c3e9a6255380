#pragma once

#include <QString>

namespace publish {

// True for a dotted IPv4 address such as "10.0.0.5".
bool isDottedIPv4(const QString& host);

// The first IPv4 address of a host name, dotted. Raises SocketError when the name cannot be resolved.
QString resolveHost(const QString& hostName);

} // namespace publish
