#include "publish/onlinecheck.h"

#include "publish/hostresolver.h"
#include "publish/tcpsocket.h"
#include "publish/tlscontext.h"
#include "shell/error.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace publish {

namespace {

constexpr qsizetype kMaxPageSize = 32 << 20;

QString firstProductPage(const QString& publishFolder)
{
    static const QRegularExpression productPage(QStringLiteral("^ID\\d{9}P\\.html$"));
    const QStringList pages =
        QDir(publishFolder).entryList({QStringLiteral("ID*P.html")}, QDir::Files, QDir::Name);
    for (const QString& page : pages)
        if (productPage.match(page).hasMatch())
            return page;
    return {};
}

} // namespace

QByteArray httpGet(const QString& url, qsizetype maxSize)
{
    const QUrl parsed(url);
    const bool https = parsed.scheme() == QStringLiteral("https");
    if (!parsed.isValid() || (!https && parsed.scheme() != QStringLiteral("http")) || parsed.host().isEmpty())
        throw shell::AppError(
            QStringLiteral("The shop address %1 is not an http:// or https:// address.").arg(url));
    const QString host = parsed.host();
    const QString address = isDottedIPv4(host) ? host : resolveHost(host);
    TcpSocket socket = TcpSocket::connectTo(address, parsed.port(https ? 443 : 80));
    std::unique_ptr<TlsContext> tls;
    if (https) {
        tls = std::make_unique<TlsContext>(host);
        socket.startTls(*tls, true);
    }
    QString path = parsed.path(QUrl::FullyEncoded);
    if (path.isEmpty())
        path = QStringLiteral("/");
    const QByteArray request = "GET " + path.toLatin1() + " HTTP/1.0\r\nHost: " + parsed.authority().toUtf8()
                               + "\r\nUser-Agent: Kalmenor\r\nConnection: close\r\n\r\n";
    socket.sendAll(request.constData(), request.size());
    QByteArray answer;
    char piece[32768];
    while (const qsizetype n = socket.receive(piece, sizeof piece)) {
        answer.append(piece, n);
        if (answer.size() > maxSize + 65536)
            throw shell::AppError(QStringLiteral("%1 is larger than the shop's files can be.").arg(url));
    }
    socket.close();
    const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
    const QByteArray statusLine = answer.left(answer.indexOf("\r\n"));
    const QList<QByteArray> fields = statusLine.split(' ');
    if (headerEnd < 0 || fields.size() < 2 || !fields[0].startsWith("HTTP/"))
        throw shell::AppError(QStringLiteral("%1 gave no HTTP answer.").arg(url));
    if (fields[1] != "200")
        throw shell::AppError(QStringLiteral("%1: %2").arg(url, QString::fromLatin1(statusLine)));
    return answer.mid(headerEnd + 4);
}

QStringList checkShopOnline(const QString& address, const QString& publishFolder)
{
    QString base = address.trimmed();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    QStringList names = {QStringLiteral("index.html")};
    if (const QString product = firstProductPage(publishFolder); !product.isEmpty())
        names << product;
    names << QStringLiteral("sk.js");

    QStringList differences;
    for (const QString& name : names) {
        QFile local(QDir(publishFolder).filePath(name));
        if (!local.open(QIODevice::ReadOnly))
            continue; // not part of this shop
        try {
            if (httpGet(base + name, kMaxPageSize) != local.readAll())
                differences << QStringLiteral("Shop online: %1 differs from the file sent").arg(base + name);
        } catch (const std::exception& e) {
            differences << QStringLiteral("Shop online: %1")
                               .arg(shell::messageOf(e).replace(QStringLiteral("\r\n"), QStringLiteral(" ")));
        }
    }
    if (differences.isEmpty())
        return {QStringLiteral("Shop online: OK")};
    return differences;
}

} // namespace publish
