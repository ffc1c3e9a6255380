#include "publish/shopupload.h"

#include "publish/ftpclient.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settings.h"
#include "shell/textfile.h"

#include "publish/ftpreplyerror.h"
#include "publish/manifest.h"
#include "publish/onlinecheck.h"
#include "publish/tlscontext.h"
#include "publish/truststore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

namespace publish {

namespace {

// Binds the client's notifications to the callbacks for one run and unbinds them afterwards, so a
// client that outlives the run never calls into a finished one.
class NotificationBinding {
public:
    NotificationBinding(FtpClient& client, const UploadCallbacks& callbacks) : m_client(client)
    {
        client.OnStatus = [&callbacks](FtpStatus, const QString& text) {
            if (callbacks.showStatus)
                callbacks.showStatus(text);
        };
        client.OnConnected = [&callbacks] {
            const QString text = QStringLiteral("Connected with FTP serwer");
            if (callbacks.showStatus)
                callbacks.showStatus(text);
            callbacks.appendReport(text);
            if (callbacks.connected)
                callbacks.connected();
        };
        client.OnNotice = [&callbacks](const QString& text) { callbacks.appendReport(text); };
        client.OnDisconnected = [&callbacks] {
            const QString text = QStringLiteral("Disconnected");
            if (callbacks.showStatus)
                callbacks.showStatus(text);
            callbacks.appendReport(text);
        };
    }
    ~NotificationBinding()
    {
        m_client.OnStatus = nullptr;
        m_client.OnConnected = nullptr;
        m_client.OnNotice = nullptr;
        m_client.OnDisconnected = nullptr;
    }
    NotificationBinding(const NotificationBinding&) = delete;
    NotificationBinding& operator=(const NotificationBinding&) = delete;

private:
    FtpClient& m_client;
};

int portNumber(const QString& text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok)
        throw shell::AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (port < 1 || port > 65535)
        throw shell::AppError(QStringLiteral("'%1' is not a valid port number").arg(text));
    return port;
}

struct Pass {
    QString folder;
    QStringList files;
    QString remoteFolder;
    QString prefix; // of the manifest's paths
    QString sentLine;
    QString failedLine;
};

bool reconnect(FtpClient& client, const UploadCallbacks& callbacks)
{
    callbacks.appendReport(QStringLiteral("Connection lost; connecting again"));
    try {
        client.connectAndLogin();
        return true;
    } catch (const std::exception& e) {
        callbacks.appendReport(shell::messageOf(e));
        return false;
    }
}

// Connects and logs in; a certificate the system does not vouch for is shown with its fingerprint and,
// when the user trusts it, remembered for the host and the login tried again.
bool connect(FtpClient& client, const shell::FtpSettings& ftp, const UploadOptions& options,
             shell::Interaction& interaction, UploadResult& result)
{
    try {
        client.Host = ftp.host;
        client.Port = portNumber(ftp.port);
        client.User = ftp.user;
        client.Password = ftp.password;
        client.Passive = ftp.passive;
        client.Tls = ftp.tls;
        client.TrustedFingerprints = truststore::fingerprintsFor(options.trustFile, ftp.host);
        try {
            client.connectAndLogin();
        } catch (const UntrustedCertificate& e) {
            if (!interaction.question(
                    e.message() + QStringLiteral("\n\nTrust this certificate for %1?").arg(e.host()),
                    QStringLiteral("Certificate"))) {
                result.untrustedFingerprint = e.fingerprint();
                throw;
            }
            if (!options.trustFile.isEmpty())
                truststore::remember(options.trustFile, e.host(), e.fingerprint());
            client.TrustedFingerprints << e.fingerprint();
            client.connectAndLogin();
        }
    } catch (const std::exception& e) {
        interaction.error(shell::messageOf(e));
        return false;
    }
    return true;
}

// Creates every level of the remote folder; levels that exist already are refused, which changes
// nothing.
void makeRemoteFolders(FtpClient& client, const QString& folder)
{
    const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = folder.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    for (const QString& part : parts) {
        path += part;
        try {
            client.makeDirectory(path);
        } catch (const std::exception&) {
        }
        path += QLatin1Char('/');
    }
}

// Stores under a temporary name and renames it over the old file, so a visitor never loads half a page;
// servers that refuse renaming get the file under its own name from then on. A file the server does not
// have yet (replaces false) goes under its own name at once: no page links to it before the pages sent
// after it.
class NearAtomicStore {
public:
    explicit NearAtomicStore(FtpClient& client) : m_client(client) {}
    // transferFollows: another file goes next, so the rename can carry its passive port request.
    void store(const QString& localPath, const QString& remoteFolder, const QString& name, bool replaces,
               bool transferFollows)
    {
        const QString target = remoteFolder + QLatin1Char('/') + name;
        if (!m_renameWorks || !replaces) {
            m_client.storeFile(localPath, target);
            return;
        }
        const QString temporary = remoteFolder + QStringLiteral("/.") + name + QStringLiteral(".part");
        m_client.storeFile(localPath, temporary);
        try {
            m_client.renameFile(temporary, target, transferFollows);
        } catch (const FtpReplyError& e) {
            if (e.code() < 500)
                throw FtpReplyError(e.code(), QStringLiteral("Stored as %1 but not renamed to %2: %3")
                                                  .arg(temporary, target, e.message()));
            m_renameWorks = false;
            m_client.storeFile(localPath, target);
            try {
                m_client.deleteFile(temporary);
            } catch (const FtpReplyError&) {
            }
        }
    }

private:
    FtpClient& m_client;
    bool m_renameWorks = true;
};

// The names a remote folder holds, in lower case (servers that ignore case match either way); nothing
// when the server does not list it, and then every file is renamed over its old one.
std::optional<QSet<QString>> remoteNames(FtpClient& client, const QString& folder)
{
    try {
        QSet<QString> names;
        for (const QString& name : client.listNames(folder, 16 << 20))
            names.insert(name.toLower());
        return names;
    } catch (const std::exception&) {
        // Not knowing costs only the rename of files that are new; a lost connection shows at the
        // next file, which connects again.
        return std::nullopt;
    }
}

// The page a visitor gets without following a link, so it always replaces through a rename.
bool isStartPage(const QString& name)
{
    return name.compare(QStringLiteral("index.html"), Qt::CaseInsensitive) == 0;
}

Manifest readRemoteManifest(FtpClient& client, const QString& remoteFolder, const UploadCallbacks& callbacks)
{
    try {
        if (const auto bytes = client.retrieveFile(remoteFolder + QLatin1Char('/') + kManifestName, 64 << 20))
            return parseManifest(*bytes);
    } catch (const std::exception& e) {
        // Without it every file goes, which is what the server needs anyway.
        callbacks.appendReport(
            QStringLiteral("The list of files sent before cannot be read: %1").arg(shell::messageOf(e)));
    }
    return {};
}

UploadResult finishRun(FtpClient& client, const UploadCallbacks& callbacks, const QTime& startTime,
                       const UploadResult& result)
{
    client.disconnect();
    const QTime endTime = QTime::currentTime();
    callbacks.appendReport(QStringLiteral("Start task ") + reportTimeText(startTime));
    callbacks.appendReport(QStringLiteral("End task ") + reportTimeText(endTime));
    callbacks.appendReport(QStringLiteral("Time ") + reportTimeText(elapsedTime(startTime, endTime)));
    return result;
}

} // namespace

QString remoteShopFolder(const shell::FtpSettings& ftp)
{
    QString folder = ftp.folder.trimmed();
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder.isEmpty() || folder == QStringLiteral("/") ? kRemoteShopFolder : folder;
}

QStringList uploadOrder(const QStringList& names, const QString& startPage)
{
    static const QRegularExpression productPage(QStringLiteral("^ID\\d{9}P\\.html?$"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression categoryPage(QStringLiteral("^ID\\d{9}[KW]\\.html?$"),
                                                 QRegularExpression::CaseInsensitiveOption);
    auto rank = [&](const QString& name) {
        if (name.compare(startPage, Qt::CaseInsensitive) == 0)
            return 4;
        if (productPage.match(name).hasMatch())
            return 1;
        if (categoryPage.match(name).hasMatch())
            return 2;
        const QString suffix = QFileInfo(name).suffix().toLower();
        return suffix == QStringLiteral("html") || suffix == QStringLiteral("htm") ? 3 : 0;
    };
    QStringList ordered = names;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const QString& a, const QString& b) { return rank(a) < rank(b); });
    return ordered;
}

bool checkFtpSettings(const shell::FtpSettings& ftp, shell::Interaction& interaction)
{
    const struct {
        const QString& value;
        QString message;
    } fields[] = {
        {ftp.host, QStringLiteral("Please fill Host name - (Options/FTP page)")},
        {ftp.port, QStringLiteral("Please fill Port value, default value is 21 - (Options/FTP page)")},
        {ftp.user, QStringLiteral("Please fill User ID  - (Options/FTP page)")},
        {ftp.password, QStringLiteral("Please fill Password - (Options/FTP page)")},
    };
    for (const auto& field : fields) {
        if (field.value.isEmpty()) {
            interaction.message(field.message);
            return false;
        }
    }
    return true;
}

QStringList uploadFileList(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

UploadResult uploadShop(const QString& publishFolder, const shell::FtpSettings& ftp, const QTime& startTime,
                        FtpClient& client, const UploadCallbacks& callbacks, shell::Interaction& interaction,
                        const UploadOptions& options)
{
    UploadResult result;
    const NotificationBinding binding(client, callbacks);
    if (!connect(client, ftp, options, interaction, result))
        return result;
    result.connected = true;
    if (!ftp.tls)
        callbacks.appendReport(QStringLiteral("Plain FTP: the password travels unencrypted"));

    const QString remote = remoteShopFolder(ftp);
    makeRemoteFolders(client, remote);
    const Manifest previous = options.sendAll ? Manifest() : readRemoteManifest(client, remote, callbacks);
    const Manifest before = options.sendAll ? readRemoteManifest(client, remote, callbacks) : previous;

    // Pictures first, then the pages, the start page last.
    const QString imgFolder = QDir(publishFolder).filePath(QStringLiteral("img"));
    Pass passes[] = {
        {imgFolder, uploadFileList(imgFolder), remote + QStringLiteral("/img"), QStringLiteral("img/"),
         QStringLiteral(" plik pomyślnie przesłany"), QStringLiteral(" błąd przesyłania pliku")},
        {publishFolder, uploadOrder(uploadFileList(publishFolder)), remote, QString(),
         QStringLiteral(" file was successfuly upload"), QStringLiteral(" error during sending file")},
    };
    // The new manifest starts from what the server holds and follows every file that arrives.
    Manifest manifest = before;
    Manifest local;
    QStringList present; // every file of the shop, also one that cannot be read now
    int total = 0;
    for (Pass& pass : passes) {
        QStringList changed;
        for (const QString& name : pass.files) {
            present << pass.prefix + name;
            QByteArray hash;
            try {
                hash = fileHash(QDir(pass.folder).filePath(name));
            } catch (const std::exception&) {
                changed << name; // storing it reports why
                continue;
            }
            local.insert(pass.prefix + name, hash);
            if (previous.value(pass.prefix + name) != hash)
                changed << name;
        }
        result.filesUnchanged += int(pass.files.size() - changed.size());
        pass.files = changed;
        total += int(changed.size());
    }
    if (callbacks.progressMaximum)
        callbacks.progressMaximum(total);
    if (result.filesUnchanged > 0)
        callbacks.appendReport(
            QStringLiteral("%1 files unchanged since the last upload, not sent").arg(result.filesUnchanged));

    NearAtomicStore store(client);
    int progress = 0;
    // One new connection after a loss, as long as the previous one carried at least one file; a
    // server that drops every connection at once ends the run instead of failing file after file.
    bool mayReconnect = true;
    for (const Pass& pass : passes) {
        if (result.cancelled)
            break;
        if (callbacks.showFolder)
            callbacks.showFolder(pass.folder, pass.files);
        // The picture folder may exist from an earlier upload; the server's refusal changes nothing.
        if (pass.prefix == QStringLiteral("img/")) {
            try {
                client.makeDirectory(pass.remoteFolder);
            } catch (const std::exception&) {
            }
        }
        const std::optional<QSet<QString>> existing =
            pass.files.isEmpty() ? std::nullopt : remoteNames(client, pass.remoteFolder);
        for (int i = 0; i < pass.files.size(); ++i) {
            const QString& name = pass.files[i];
            if (callbacks.cancelRequested && callbacks.cancelRequested()) {
                callbacks.appendReport(QStringLiteral("Upload cancelled before %1: %2 of %3 files sent")
                                           .arg(name)
                                           .arg(progress)
                                           .arg(total));
                result.cancelled = true;
                break;
            }
            if (callbacks.fileStarting)
                callbacks.fileStarting(i, ++progress);
            QString failure;
            for (;;) {
                failure = QString();
                try {
                    const bool replaces =
                        !existing || existing->contains(name.toLower()) || isStartPage(name);
                    store.store(QDir(pass.folder).filePath(name), pass.remoteFolder, name, replaces, true);
                } catch (const std::exception& e) {
                    failure = shell::messageOf(e);
                }
                if (failure.isNull() || client.isConnected() || !mayReconnect
                    || !reconnect(client, callbacks))
                    break;
                mayReconnect = false;
            }
            if (!failure.isNull() && !client.isConnected()) {
                const int done = progress - 1;
                result.filesNotSent = total - done;
                callbacks.appendReport(QStringLiteral("Connection lost after %1 of %2 files; %3 not sent")
                                           .arg(done)
                                           .arg(total)
                                           .arg(result.filesNotSent));
                if (callbacks.fileFinished)
                    callbacks.fileFinished(name, false, failure);
                return finishRun(client, callbacks, startTime, result);
            }
            const bool ok = failure.isNull();
            if (ok) {
                mayReconnect = true;
                manifest.insert(pass.prefix + name, local.value(pass.prefix + name));
            }
            callbacks.appendReport(name + (ok ? pass.sentLine : pass.failedLine));
            ++(ok ? result.filesSent : result.filesFailed);
            if (callbacks.fileFinished)
                callbacks.fileFinished(name, ok, failure);
        }
    }

    // Only what an earlier upload listed is ever deleted; whatever else the folder holds stays.
    if (options.deleteRemoved && !result.cancelled) {
        for (const QString& path : before.keys()) {
            if (present.contains(path))
                continue;
            try {
                client.deleteFile(remote + QLatin1Char('/') + path);
                manifest.remove(path);
                ++result.filesDeleted;
                callbacks.appendReport(path + QStringLiteral(" deleted from the server"));
            } catch (const FtpReplyError& e) {
                if (e.code() == 550)
                    manifest.remove(path); // gone already
                else
                    callbacks.appendReport(path + QStringLiteral(" cannot be deleted: ") + e.message());
            } catch (const std::exception& e) {
                callbacks.appendReport(path + QStringLiteral(" cannot be deleted: ") + shell::messageOf(e));
            }
        }
    }

    if (manifest != before) {
        try {
            const QString copy =
                options.manifestCopy.isEmpty()
                    ? QDir(QDir::tempPath())
                          .filePath(
                              QStringLiteral("kalmenor-manifest-%1").arg(QCoreApplication::applicationPid()))
                    : options.manifestCopy;
            shell::textfile::writeBytes(copy, serializeManifest(manifest));
            NearAtomicStore(client).store(copy, remote, kManifestName, true, false);
            if (options.manifestCopy.isEmpty())
                QFile::remove(copy);
        } catch (const std::exception& e) {
            callbacks.appendReport(QStringLiteral("The list of files sent cannot be stored on the server: %1")
                                       .arg(shell::messageOf(e)));
        }
    }

    finishRun(client, callbacks, startTime, result);
    // The files were sent whatever the check finds; it only tells what visitors get.
    if (!options.shopAddress.trimmed().isEmpty() && !result.cancelled)
        for (const QString& line : checkShopOnline(options.shopAddress, publishFolder))
            callbacks.appendReport(line);
    return result;
}

QString reportTimeText(const QTime& time)
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    // The long format names the time zone, which means nothing for a time of day or a duration.
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    format.remove(zone);
    return QLocale().toString(time, format.trimmed());
}

QTime elapsedTime(const QTime& start, const QTime& end)
{
    int seconds = start.secsTo(end);
    if (seconds < 0)
        seconds += 24 * 60 * 60;
    return QTime(0, 0).addSecs(seconds);
}

bool saveReport(const QStringList& reportLines, shell::Interaction& interaction)
{
    QString path = interaction.saveFileName(QStringLiteral("Save report"), QStringLiteral("raport.txt"),
                                            QStringLiteral("pliki txt (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".txt");
    shell::textfile::writeLines(path, reportLines);
    return true;
}

shell::FtpSettings withCommandLinePassword(shell::FtpSettings ftp)
{
    if (ftp.password.isEmpty())
        ftp.password = qEnvironmentVariable("KALMENOR_FTP_PASSWORD");
    return ftp;
}

int uploadExitStatus(const UploadResult& result)
{
    if (!result.connected)
        return 2;
    return result.succeeded() ? 0 : 1;
}

} // namespace publish
