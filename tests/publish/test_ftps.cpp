// Publishing over explicit TLS against pyftpdlib's TLS handler: certificates the system store vouches
// for (SSL_CERT_FILE), certificates trusted by their fingerprint, and refusals.
#include "fakeinteraction.h"
#include "ftptestservers.h"
#include "publish/shopupload.h"
#include "publish/tlscontext.h"
#include "publish/truststore.h"
#include "publish/uploadcommand.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace publish;
using namespace std::chrono_literals;

namespace {

// Points OpenSSL's default verify paths somewhere for one test.
class CertificateStore {
public:
    explicit CertificateStore(const QString& file)
    {
        qputenv("SSL_CERT_FILE", file.toLocal8Bit());
        qputenv("SSL_CERT_DIR", "/nonexistent");
    }
    ~CertificateStore()
    {
        qunsetenv("SSL_CERT_FILE");
        qunsetenv("SSL_CERT_DIR");
    }
};

class FtpsUploadTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(certificate.error.isEmpty()) << certificate.error.toStdString();
        ASSERT_TRUE(server.started()) << server.startError().toStdString();
        ftp = localFtpSettings(server.port(), GetParam());
        ftp.tls = true;
        options.trustFile = config.filePath(truststore::kFileName);
        for (const char* name : {"index.html", "ID000000001K.html", "sk.js"})
            testsupport::writeFile(shop() + QLatin1Char('/') + QLatin1String(name),
                                   QByteArray(40000, name[0]));
        testsupport::writeFile(shop() + QStringLiteral("/img/a.jpg"), QByteArray(100000, 'j'));
    }
    QString shop() const { return local.filePath(QStringLiteral("Kalmenor")); }
    UploadResult upload()
    {
        report.clear();
        UploadCallbacks callbacks;
        callbacks.appendReport = [this](const QString& line) { report << line; };
        FtpClient client;
        return uploadShop(shop(), ftp, QTime::currentTime(), client, callbacks, interaction, options);
    }
    void expectArrived()
    {
        for (const char* name : {"index.html", "ID000000001K.html", "sk.js", "img/a.jpg"})
            EXPECT_EQ(
                testsupport::readFile(server.home() + QStringLiteral("/Kalmenor/") + QLatin1String(name)),
                testsupport::readFile(shop() + QLatin1Char('/') + QLatin1String(name)))
                << name;
    }

    InactivityLimit limit{10s};
    TestCertificate certificate;
    RealFtpServer server{certificate.certificate, certificate.key, true};
    QTemporaryDir local, config;
    shell::FtpSettings ftp;
    UploadOptions options;
    FakeInteraction interaction;
    QStringList report;
};

TEST_P(FtpsUploadTest, CertificateFromTheStoreNamedBySslCertFile)
{
    const CertificateStore store(certificate.certificate);
    ftp.host = QStringLiteral("localhost");
    const UploadResult result = upload();
    EXPECT_TRUE(result.succeeded()) << interaction.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(result.filesSent, 4);
    EXPECT_TRUE(interaction.questions.isEmpty());
    EXPECT_EQ(report.filter(QStringLiteral("unencrypted")), QStringList());
    expectArrived();
}

TEST_P(FtpsUploadTest, SelfSignedCertificateIsShownAndTrustedByItsFingerprint)
{
    const CertificateStore store(QStringLiteral("/nonexistent"));
    // Refused: nothing sent, the fingerprint is told.
    interaction.answers = {false};
    UploadResult result = upload();
    EXPECT_FALSE(result.connected);
    EXPECT_EQ(result.untrustedFingerprint, certificate.fingerprint);
    ASSERT_EQ(interaction.errors.size(), 1);
    EXPECT_TRUE(interaction.errors[0].contains(certificate.fingerprint))
        << interaction.errors[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(server.home() + QStringLiteral("/Kalmenor/index.html")));

    // Trusted: remembered for the host, and the next upload asks nothing.
    interaction.answers = {true};
    result = upload();
    EXPECT_TRUE(result.succeeded()) << interaction.errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(truststore::fingerprintsFor(options.trustFile, QStringLiteral("127.0.0.1")),
              QStringList{certificate.fingerprint});
    expectArrived();
    const qsizetype asked = interaction.questions.size();
    testsupport::writeFile(shop() + QStringLiteral("/index.html"), "changed");
    EXPECT_TRUE(upload().succeeded());
    EXPECT_EQ(interaction.questions.size(), asked);
    EXPECT_EQ(testsupport::readFile(server.home() + QStringLiteral("/Kalmenor/index.html")), "changed");
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, FtpsUploadTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Passive" : "Active"; });

TEST(FtpsCertificates, NameMismatchNeedsTrustAndCommandLineTrustIsChecked)
{
    const InactivityLimit limit(10s);
    const TestCertificate other(QStringLiteral("other.example"));
    ASSERT_TRUE(other.error.isEmpty()) << other.error.toStdString();
    // Vouched for by the store, but issued for another name.
    const CertificateStore store(other.certificate);
    RealFtpServer server(other.certificate, other.key, true);
    ASSERT_TRUE(server.started());
    FtpClient client;
    client.Host = QStringLiteral("127.0.0.1");
    client.Port = server.port();
    client.User = QStringLiteral("kupiec");
    client.Password = QStringLiteral("tajne");
    client.Tls = true;
    try {
        client.connectAndLogin();
        FAIL() << "a certificate for another name was taken";
    } catch (const UntrustedCertificate& e) {
        EXPECT_EQ(e.fingerprint(), other.fingerprint);
    }
    EXPECT_FALSE(client.isConnected());
    client.TrustedFingerprints = {other.fingerprint.toLower().remove(QLatin1Char(':'))};
    EXPECT_NO_THROW(client.connectAndLogin());
    client.disconnect();

    QTemporaryDir config;
    const QString file = config.filePath(truststore::kFileName);
    QString errText;
    QTextStream err(&errText);
    EXPECT_FALSE(trustCommandLineFingerprint(QStringLiteral("AB:CD"), QStringLiteral("h"), file, err));
    EXPECT_TRUE(errText.contains(QStringLiteral("not a SHA-256 fingerprint")));
    EXPECT_TRUE(trustCommandLineFingerprint(QStringLiteral("SHA256:") + other.fingerprint,
                                            QStringLiteral("h"), file, err));
    EXPECT_EQ(truststore::fingerprintsFor(file, QStringLiteral("H")), QStringList{other.fingerprint});
    EXPECT_TRUE(truststore::fingerprintsFor(file, QStringLiteral("other")).isEmpty());
}

} // namespace
