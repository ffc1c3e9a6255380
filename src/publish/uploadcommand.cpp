#include "publish/uploadcommand.h"

#include "publish/ftpclient.h"
#include "publish/shopupload.h"
#include "shell/settings.h"

#include <optional>

namespace publish {

int uploadShopCommand(const FtpSettings& loaded, const QString& publishFolder,
                      const std::function<bool(const std::function<void()>& upload)>& generate,
                      QTextStream& out, QTextStream& err, Interaction& interaction)
{
    const FtpSettings ftp = withCommandLinePassword(loaded);
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
    generate([&] { result = uploadShop(publishFolder, ftp, startTime, client, callbacks, interaction); });
    if (!result)
        return 1; // generation stopped before the upload could start
    return uploadExitStatus(*result);
}

} // namespace publish
