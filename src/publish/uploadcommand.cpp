#include "publish/uploadcommand.h"

#include "publish/ftpclient.h"
#include "publish/shopupload.h"
#include "shell/settings.h"

#include "publish/tlscontext.h"
#include "publish/truststore.h"
#include "shell/error.h"

#include <optional>

namespace publish {

int uploadShopCommand(const shell::FtpSettings& loaded, const QString& publishFolder,
                      const std::function<bool(const std::function<void()>& upload)>& generate,
                      QTextStream& out, QTextStream& err, shell::Interaction& interaction,
                      const UploadOptions& options)
{
    const shell::FtpSettings ftp = withCommandLinePassword(loaded);
    if (!checkFtpSettings(ftp, interaction))
        return 2;
    const QTime startTime = QTime::currentTime();

    UploadCallbacks callbacks;
    callbacks.appendReport = [&out](const QString& line) { out << line << Qt::endl; };
    callbacks.fileFinished = [&err](const QString& name, bool ok, const QString& message) {
        if (!ok)
            err << name << QStringLiteral(": ") << message << Qt::endl;
    };
    FtpClient client;
    std::optional<UploadResult> result;
    generate(
        [&] { result = uploadShop(publishFolder, ftp, startTime, client, callbacks, interaction, options); });
    if (!result)
        return 1; // generation stopped before the upload could start
    if (!result->untrustedFingerprint.isEmpty())
        err << QStringLiteral("To trust this certificate: kalmenor upload --trust ")
            << result->untrustedFingerprint << Qt::endl;
    return uploadExitStatus(*result);
}

bool trustCommandLineFingerprint(const QString& fingerprint, const QString& host, const QString& trustFile,
                                 QTextStream& err)
{
    const QString normalized = normalizedFingerprint(fingerprint);
    if (normalized.isEmpty()) {
        err << QStringLiteral("'%1' is not a SHA-256 fingerprint (64 hexadecimal digits, colons allowed)")
                   .arg(fingerprint)
            << Qt::endl;
        return false;
    }
    try {
        truststore::remember(trustFile, host, normalized);
    } catch (const std::exception& e) {
        err << shell::messageOf(e) << Qt::endl;
        return false;
    }
    return true;
}

} // namespace publish
