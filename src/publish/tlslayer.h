#pragma once

#include <QtGlobal>
#include <memory>
#include <optional>

namespace publish {

class TlsContext;

// The TLS state of one connection; only TcpSocket uses it.
struct TlsLayer;

struct TlsLayerDeleter {
    void operator()(TlsLayer* layer) const;
};
using TlsLayerPtr = std::unique_ptr<TlsLayer, TlsLayerDeleter>;

namespace tls {

// Client handshake on a connected non-blocking descriptor; raises UntrustedCertificate when the
// certificate is neither vouched for by the system nor trusted by the user, AppError for other
// failures of TLS and SocketError for the network.
TlsLayerPtr handshake(int fd, TlsContext& context, bool isControl);
void sendAll(TlsLayer& layer, int fd, const char* data, qsizetype size);
// wait false: returns nothing at once when no application data is ready.
std::optional<qsizetype> receive(TlsLayer& layer, int fd, char* buffer, qsizetype capacity, bool wait);
bool hasBufferedData(const TlsLayer& layer);
// Tells the peer the stream ends (close_notify) without waiting for its answer.
void shutdown(TlsLayer& layer);
// Ends a data connection: close_notify, then reads to the peer's end.
void finish(TlsLayer& layer, int fd);

} // namespace tls
} // namespace publish
