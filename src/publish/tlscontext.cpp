#include "publish/tlscontext.h"

#include "publish/hostresolver.h"
#include "publish/inactivitylimit.h"
#include "publish/socketerror.h"
#include "publish/socketwait.h"
#include "publish/tlslayer.h"

#include <QRegularExpression>
#include <cerrno>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>

namespace publish {

struct TlsContext::Impl {
    SSL_CTX* ctx = nullptr;
    SSL_SESSION* latestSession = nullptr; // the newest session of any connection
};

struct TlsLayer {
    SSL* ssl = nullptr;
    bool isControl = false;
};

void TlsLayerDeleter::operator()(TlsLayer* layer) const
{
    if (layer->ssl)
        SSL_free(layer->ssl);
    delete layer;
}

namespace {

int layerIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

int contextIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

// TLS 1.3 hands out session tickets after the handshake, and servers may take each only once; keep
// the newest of any connection of the session so the next data connection resumes with it.
int keepControlSession(SSL* ssl, SSL_SESSION* session)
{
    auto* layer = static_cast<TlsLayer*>(SSL_get_ex_data(ssl, layerIndex()));
    auto* impl = static_cast<TlsContext::Impl*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), contextIndex()));
    if (!layer || !impl)
        return 0;
    if (impl->latestSession)
        SSL_SESSION_free(impl->latestSession);
    impl->latestSession = session;
    return 1; // we keep the reference
}

QString openSslErrors()
{
    QStringList texts;
    while (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        texts << QString::fromLatin1(text);
    }
    return texts.join(QStringLiteral("; "));
}

[[noreturn]] void failTls(const char* what)
{
    const QString details = openSslErrors();
    throw shell::AppError(
        QStringLiteral("TLS: %1%2")
            .arg(QLatin1String(what), details.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(details)));
}

// Waits as OpenSSL asks; raises for real failures. Returns false when the peer closed the stream.
bool waitForTls(SSL* ssl, int fd, int result, const char* what)
{
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        socketwait::waitFor(fd, POLLIN, network::inactivityLimit());
        return true;
    case SSL_ERROR_WANT_WRITE:
        socketwait::waitFor(fd, POLLOUT, network::inactivityLimit());
        return true;
    case SSL_ERROR_ZERO_RETURN:
        return false;
    case SSL_ERROR_SYSCALL:
        if (errno == 0 || ERR_peek_error() != 0) {
            if (ERR_peek_error() != 0)
                failTls(what);
            return false; // closed without close_notify: the end of the stream all the same
        }
        throw SocketError::fromErrno();
    default:
        failTls(what);
    }
}

QString fingerprintOf(X509* certificate)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!X509_digest(certificate, EVP_sha256(), digest, &length))
        failTls("cannot compute the certificate's fingerprint");
    QStringList pairs;
    for (unsigned int i = 0; i < length; ++i)
        pairs << QStringLiteral("%1").arg(digest[i], 2, 16, QLatin1Char('0')).toUpper();
    return pairs.join(QLatin1Char(':'));
}

} // namespace

UntrustedCertificate::UntrustedCertificate(const QString& host, const QString& fingerprint,
                                           const QString& reason)
    : shell::AppError(QStringLiteral("The certificate of %1 is not trusted: %2.\nSHA-256 fingerprint: %3")
                          .arg(host, reason, fingerprint)),
      m_host(host), m_fingerprint(fingerprint), m_reason(reason)
{
}

TlsContext::TlsContext(const QString& host, QStringList trustedFingerprints)
    : m_host(host), m_trusted(std::move(trustedFingerprints)), m_impl(std::make_unique<Impl>())
{
    m_impl->ctx = SSL_CTX_new(TLS_client_method());
    if (!m_impl->ctx)
        failTls("cannot create a context");
    SSL_CTX_set_min_proto_version(m_impl->ctx, TLS1_2_VERSION);
    // The system's store, or whatever SSL_CERT_FILE / SSL_CERT_DIR name.
    if (SSL_CTX_set_default_verify_paths(m_impl->ctx) != 1)
        ERR_clear_error(); // no store at all: every certificate then needs the user's trust
    SSL_CTX_set_ex_data(m_impl->ctx, contextIndex(), m_impl.get());
    SSL_CTX_set_session_cache_mode(m_impl->ctx, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(m_impl->ctx, keepControlSession);
    SSL_CTX_set_mode(m_impl->ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
}

TlsContext::~TlsContext()
{
    if (m_impl->latestSession)
        SSL_SESSION_free(m_impl->latestSession);
    SSL_CTX_free(m_impl->ctx);
}

bool TlsContext::trusts(const QString& fingerprint) const
{
    for (const QString& trusted : m_trusted)
        if (normalizedFingerprint(trusted) == fingerprint)
            return true;
    return false;
}

QString normalizedFingerprint(const QString& text)
{
    QString hex = text.trimmed();
    if (hex.startsWith(QStringLiteral("SHA256:"), Qt::CaseInsensitive))
        hex = hex.mid(7);
    hex.remove(QLatin1Char(':'));
    static const QRegularExpression sha256(QStringLiteral("^[0-9A-Fa-f]{64}$"));
    if (!sha256.match(hex).hasMatch())
        return {};
    hex = hex.toUpper();
    QStringList pairs;
    for (int i = 0; i < 64; i += 2)
        pairs << hex.mid(i, 2);
    return pairs.join(QLatin1Char(':'));
}

namespace tls {

TlsLayerPtr handshake(int fd, TlsContext& context, bool isControl)
{
    TlsContext::Impl& impl = context.impl();
    TlsLayerPtr layer(new TlsLayer);
    layer->isControl = isControl;
    layer->ssl = SSL_new(impl.ctx);
    if (!layer->ssl)
        failTls("cannot create a connection");
    SSL_set_ex_data(layer->ssl, layerIndex(), layer.get());
    SSL_set_fd(layer->ssl, fd);
    const QByteArray host = context.host().toUtf8();
    if (isDottedIPv4(context.host())) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(layer->ssl), host.constData());
    } else {
        SSL_set_tlsext_host_name(layer->ssl, host.constData());
        SSL_set1_host(layer->ssl, host.constData());
    }
    // Checked below, so an untrusted certificate can be shown with its fingerprint.
    SSL_set_verify(layer->ssl, SSL_VERIFY_NONE, nullptr);
    if (!isControl && impl.latestSession)
        SSL_set_session(layer->ssl, impl.latestSession);

    for (;;) {
        errno = 0; // SSL_ERROR_SYSCALL is read by errno, which must be this call's
        const int result = SSL_connect(layer->ssl);
        if (result == 1)
            break;
        if (!waitForTls(layer->ssl, fd, result, "handshake failed"))
            throw SocketError(ECONNRESET);
    }

    X509* certificate = SSL_get1_peer_certificate(layer->ssl);
    if (!certificate)
        failTls("the server showed no certificate");
    const QString fingerprint = fingerprintOf(certificate);
    X509_free(certificate);
    const long verdict = SSL_get_verify_result(layer->ssl);
    if (verdict != X509_V_OK && !context.trusts(fingerprint))
        throw UntrustedCertificate(context.host(), fingerprint,
                                   QString::fromLatin1(X509_verify_cert_error_string(verdict)));
    return layer;
}

void sendAll(TlsLayer& layer, int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        errno = 0; // SSL_ERROR_SYSCALL is read by errno, which must be this call's
        const int n = SSL_write(layer.ssl, data, int(std::min<qsizetype>(size, 1 << 30)));
        if (n > 0) {
            data += n;
            size -= n;
        } else if (!waitForTls(layer.ssl, fd, n, "sending failed")) {
            throw SocketError(EPIPE);
        }
    }
}

std::optional<qsizetype> receive(TlsLayer& layer, int fd, char* buffer, qsizetype capacity, bool wait)
{
    for (;;) {
        errno = 0; // SSL_ERROR_SYSCALL is read by errno, which must be this call's
        const int n = SSL_read(layer.ssl, buffer, int(std::min<qsizetype>(capacity, 1 << 30)));
        if (n > 0)
            return n;
        const int error = SSL_get_error(layer.ssl, n);
        if (!wait && (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE))
            return std::nullopt;
        if (!waitForTls(layer.ssl, fd, n, "receiving failed"))
            return 0;
    }
}

bool hasBufferedData(const TlsLayer& layer)
{
    return SSL_pending(layer.ssl) > 0;
}

void shutdown(TlsLayer& layer)
{
    if (SSL_shutdown(layer.ssl) < 0)
        ERR_clear_error(); // the peer is gone already; closing goes on
}

void finish(TlsLayer& layer, int fd)
{
    shutdown(layer);
    // Reading to the peer's close takes in the tickets it sent, for the next data connection.
    char buffer[4096];
    try {
        while (receive(layer, fd, buffer, sizeof buffer, true).value_or(0) > 0) {
        }
    } catch (const std::exception&) {
        ERR_clear_error(); // the data went already; a peer that ends untidily changes nothing
    }
}

} // namespace tls
} // namespace publish
