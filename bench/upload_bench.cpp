// Uploads a shop folder with Kalmenor's FTP client, for bench/upload_bench.sh.
//   upload_bench SHOP_DIR PORT   sends SHOP_DIR (and its img) to 127.0.0.1:PORT in passive mode as
//                                user kupiec, password tajne; prints "seconds <s>", "files <n>" (sent),
//                                "unchanged <n>" and "commands <n>"
#include "benchsupport.h"
#include "publish/ftpclient.h"
#include "publish/shopupload.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

using namespace publish;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: upload_bench SHOP_DIR PORT\n";
        return 2;
    }
    shell::FtpSettings ftp;
    ftp.host = QStringLiteral("127.0.0.1");
    ftp.port = args[2];
    ftp.user = QStringLiteral("kupiec");
    ftp.password = QStringLiteral("tajne");
    ftp.passive = true;
    ftp.tls = false; // the bench's server speaks plain FTP, as lftp's run does
    bench::QuietInteraction interaction;
    FtpClient client;
    UploadCallbacks callbacks;
    callbacks.appendReport = [](const QString&) {};
    QElapsedTimer timer;
    timer.start();
    const UploadResult result =
        uploadShop(args[1], ftp, QTime::currentTime(), client, callbacks, interaction);
    QTextStream(stdout) << "seconds " << bench::seconds(timer) << "\nfiles " << result.filesSent
                        << "\nunchanged " << result.filesUnchanged << "\ncommands " << client.commandsSent()
                        << '\n';
    return uploadExitStatus(result);
}
