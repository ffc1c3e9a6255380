// Publishing over explicit TLS to vsftpd with ssl_enable=YES, which requires the data connections to
// resume the control connection's TLS session (require_ssl_reuse).
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/manifest.h"
#include "publish/shopupload.h"
#include "publish/tcpsocket.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace publish;

namespace {

// vsftpd on 127.0.0.1 for anonymous users over TLS only, writing into root/pub.
class Vsftpd {
public:
    explicit Vsftpd(const TestCertificate& certificate) : port(unusedLocalPort())
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("root/pub"));
        QFile::setPermissions(root(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                          | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                          | QFile::ExeOther);
        QFile::setPermissions(m_dir.path(), QFile::permissions(root()));
        // Anonymous sessions run as the "ftp" user, which must own the folder it writes into.
        QProcess::execute(QStringLiteral("chown"), {QStringLiteral("ftp"), root() + QStringLiteral("/pub")});
        const QString config = m_dir.filePath(QStringLiteral("vsftpd.conf"));
        testsupport::writeFile(config,
                               QStringLiteral("listen=YES\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                                              "background=NO\nanonymous_enable=YES\nlocal_enable=NO\n"
                                              "write_enable=YES\nanon_upload_enable=YES\n"
                                              "anon_mkdir_write_enable=YES\nanon_other_write_enable=YES\n"
                                              "anon_world_readable_only=NO\nanon_umask=022\n"
                                              "anon_root=%2\nno_anon_password=YES\n"
                                              "allow_writeable_chroot=YES\nseccomp_sandbox=NO\nisolate=NO\n"
                                              "isolate_network=NO\nssl_enable=YES\nallow_anon_ssl=YES\n"
                                              "force_anon_logins_ssl=YES\nforce_anon_data_ssl=YES\n"
                                              "require_ssl_reuse=YES\nrsa_cert_file=%3\n"
                                              "rsa_private_key_file=%4\npasv_address=127.0.0.1\n"
                                              "xferlog_enable=NO\n")
                                   .arg(port)
                                   .arg(root(), certificate.certificate, certificate.key)
                                   .toUtf8());
        m_process.start(QStringLiteral("/usr/sbin/vsftpd"), {config});
        if (!m_process.waitForStarted(5000)) {
            error = QStringLiteral("vsftpd cannot start: ") + m_process.errorString();
            return;
        }
        for (int i = 0; i < 100 && m_process.state() == QProcess::Running; ++i) {
            try {
                TcpSocket::connectTo(QStringLiteral("127.0.0.1"), port);
                return;
            } catch (const std::exception&) {
                QThread::msleep(50);
            }
        }
        error = QStringLiteral("vsftpd did not start: ") + QString::fromLocal8Bit(m_process.readAll());
    }
    ~Vsftpd()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    QString root() const { return m_dir.filePath(QStringLiteral("root")); }
    int port;
    QString error;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

class VsftpdTest : public ::testing::TestWithParam<bool> {};

TEST_P(VsftpdTest, ShopArrivesOverTlsWithResumedDataSessions)
{
    if (!QFile::exists(QStringLiteral("/usr/sbin/vsftpd")))
        GTEST_SKIP() << "vsftpd is not installed (scripts/install-deps.sh installs it)";
    const InactivityLimit limit(std::chrono::seconds(10));
    const TestCertificate certificate;
    ASSERT_TRUE(certificate.error.isEmpty()) << certificate.error.toStdString();
    Vsftpd server(certificate);
    if (!server.error.isEmpty())
        GTEST_SKIP() << server.error.toStdString(); // vsftpd needs the rights to change root and user
    qputenv("SSL_CERT_FILE", certificate.certificate.toLocal8Bit());

    QTemporaryDir local;
    const QString shop = local.filePath(QStringLiteral("Kalmenor"));
    testsupport::writeFile(shop + QStringLiteral("/index.html"), "<frameset></frameset>");
    testsupport::writeFile(shop + QStringLiteral("/ID000000001P.html"), QByteArray(70000, 'p'));
    testsupport::writeFile(shop + QStringLiteral("/img/a.jpg"), QByteArray(200000, 'j'));
    shell::FtpSettings ftp = localFtpSettings(server.port, GetParam());
    ftp.host = QStringLiteral("localhost");
    ftp.user = QStringLiteral("anonymous");
    ftp.tls = true;
    ftp.folder = QStringLiteral("pub/sklep");
    FakeInteraction interaction;
    QStringList report;
    UploadCallbacks callbacks;
    callbacks.appendReport = [&report](const QString& line) { report << line; };
    FtpClient client;
    UploadResult result = uploadShop(shop, ftp, QTime::currentTime(), client, callbacks, interaction);
    EXPECT_TRUE(result.succeeded()) << interaction.errors.join(QLatin1Char('\n')).toStdString()
                                    << report.join(QLatin1Char('\n')).toStdString();
    const QString remote = server.root() + QStringLiteral("/pub/sklep/");
    for (const char* name : {"index.html", "ID000000001P.html", "img/a.jpg"})
        EXPECT_EQ(testsupport::readFile(remote + QLatin1String(name)),
                  testsupport::readFile(shop + QLatin1Char('/') + QLatin1String(name)))
            << name;
    EXPECT_EQ(parseManifest(testsupport::readFile(remote + kManifestName)).size(), 3);

    // The manifest comes back over TLS too: nothing changed, nothing sent.
    report.clear();
    result = uploadShop(shop, ftp, QTime::currentTime(), client, callbacks, interaction);
    EXPECT_EQ(result.filesSent, 0);
    EXPECT_EQ(result.filesUnchanged, 3) << report.join(QLatin1Char('\n')).toStdString();
    qunsetenv("SSL_CERT_FILE");
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, VsftpdTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

} // namespace
