#include "publish/shopupload.h"

#include "publish/ftpclient.h"
#include "shell/error.h"
#include "shell/interaction.h"
#include "shell/settings.h"
#include "shell/textfile.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

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
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    if (port < 1 || port > 65535)
        throw AppError(QStringLiteral("'%1' is not a valid port number").arg(text));
    return port;
}

struct Pass {
    QString folder;
    QStringList files;
    QString remoteFolder;
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
        callbacks.appendReport(messageOf(e));
        return false;
    }
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

bool checkFtpSettings(const FtpSettings& ftp, Interaction& interaction)
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

UploadResult uploadShop(const QString& publishFolder, const FtpSettings& ftp, const QTime& startTime,
                        FtpClient& client, const UploadCallbacks& callbacks, Interaction& interaction)
{
    UploadResult result;
    const NotificationBinding binding(client, callbacks);
    try {
        client.Host = ftp.host;
        client.Port = portNumber(ftp.port);
        client.User = ftp.user;
        client.Password = ftp.password;
        client.Passive = ftp.passive;
        client.connectAndLogin();
    } catch (const std::exception& e) {
        interaction.error(messageOf(e));
        return result;
    }
    result.connected = true;

    const QString imgFolder = QDir(publishFolder).filePath(QStringLiteral("img"));
    const Pass passes[] = {
        {publishFolder, uploadFileList(publishFolder), kRemoteShopFolder,
         QStringLiteral(" file was successfuly upload"), QStringLiteral(" error during sending file")},
        {imgFolder, uploadFileList(imgFolder), kRemoteShopFolder + QStringLiteral("/img"),
         QStringLiteral(" plik pomyślnie przesłany"), QStringLiteral(" błąd przesyłania pliku")},
    };
    if (callbacks.progressMaximum)
        callbacks.progressMaximum(int(passes[0].files.size() + passes[1].files.size()));

    const int total = int(passes[0].files.size() + passes[1].files.size());
    int progress = 0;
    // One new connection after a loss, as long as the previous one carried at least one file; a
    // server that drops every connection at once ends the run instead of failing file after file.
    bool mayReconnect = true;
    for (const Pass& pass : passes) {
        if (result.cancelled)
            break;
        if (callbacks.showFolder)
            callbacks.showFolder(pass.folder, pass.files);
        // The folder may exist from an earlier upload; the server's refusal changes nothing.
        try {
            client.makeDirectory(pass.remoteFolder);
        } catch (const std::exception&) {
        }
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
                    client.storeFile(QDir(pass.folder).filePath(name),
                                     pass.remoteFolder + QLatin1Char('/') + name);
                } catch (const std::exception& e) {
                    failure = messageOf(e);
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
            if (ok)
                mayReconnect = true;
            callbacks.appendReport(name + (ok ? pass.sentLine : pass.failedLine));
            ++(ok ? result.filesSent : result.filesFailed);
            if (callbacks.fileFinished)
                callbacks.fileFinished(name, ok, failure);
        }
    }

    return finishRun(client, callbacks, startTime, result);
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

bool saveReport(const QStringList& reportLines, Interaction& interaction)
{
    QString path = interaction.saveFileName(QStringLiteral("Save report"), QStringLiteral("raport.txt"),
                                            QStringLiteral("pliki txt (*.txt)"), QStringLiteral("txt"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".txt");
    textfile::writeLines(path, reportLines);
    return true;
}

FtpSettings withCommandLinePassword(FtpSettings ftp)
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
