#pragma once

#include "shell/error.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace publish {

// A certificate the system's store does not vouch for (self-signed, expired, issued for another name).
// The user may still trust it for this host by its fingerprint.
class UntrustedCertificate : public shell::AppError {
public:
    UntrustedCertificate(const QString& host, const QString& fingerprint, const QString& reason);
    QString host() const { return m_host; }
    // SHA-256 of the certificate, upper-case hexadecimal pairs joined by ':'.
    QString fingerprint() const { return m_fingerprint; }
    QString reason() const { return m_reason; }

private:
    QString m_host;
    QString m_fingerprint;
    QString m_reason;
};

// The TLS settings of one FTP session: certificates are checked against OpenSSL's default verify
// paths (SSL_CERT_FILE and SSL_CERT_DIR apply) and the host name; fingerprints the user trusts for the
// host are accepted as well. Data connections resume the control connection's session, as servers
// that check it (vsftpd's require_ssl_reuse) demand.
class TlsContext {
public:
    explicit TlsContext(const QString& host, QStringList trustedFingerprints = {});
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    QString host() const { return m_host; }
    bool trusts(const QString& fingerprint) const;

    struct Impl;
    Impl& impl() { return *m_impl; }

private:
    QString m_host;
    QStringList m_trusted;
    std::unique_ptr<Impl> m_impl;
};

// "AB:CD:..." from any spelling of a SHA-256 fingerprint (colons or not, any case, an optional
// "SHA256:" in front); empty when the text is not one.
QString normalizedFingerprint(const QString& text);

} // namespace publish
