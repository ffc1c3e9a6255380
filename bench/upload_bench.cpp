// Uploads a shop folder with Kalmenor's FTP client, for bench/upload_bench.sh.
//   upload_bench SHOP_DIR PORT   sends SHOP_DIR (and its img) to 127.0.0.1:PORT in passive mode as
//                                user kupiec, password tajne; prints "seconds <s>", "files <n>" (sent),
//                                "unchanged <n>" and "commands <n>"
#include "publish/ftpclient.h"
#include "publish/shopupload.h"
#include "shell/interaction.h"
#include "shell/settings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

using namespace publish;

namespace {

class ConsoleErrors : public shell::Interaction {
public:
    void message(const QString& text, const QString&) override { QTextStream(stderr) << text << '\n'; }
    void error(const QString& text) override { QTextStream(stderr) << text << '\n'; }
    bool question(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString existingDirectory(const QString&, const QString&) override { return {}; }
    bool openInShell(const QString&) override { return false; }
    bool startProgram(const QString&, const QStringList&) override { return false; }
};

} // namespace

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
    ConsoleErrors interaction;
    FtpClient client;
    UploadCallbacks callbacks;
    callbacks.appendReport = [](const QString&) {};
    QElapsedTimer timer;
    timer.start();
    const UploadResult result =
        uploadShop(args[1], ftp, QTime::currentTime(), client, callbacks, interaction);
    QTextStream(stdout) << "seconds " << double(timer.nsecsElapsed()) / 1e9 << "\nfiles " << result.filesSent
                        << "\nunchanged " << result.filesUnchanged << "\ncommands " << client.commandsSent()
                        << '\n';
    return uploadExitStatus(result);
}
