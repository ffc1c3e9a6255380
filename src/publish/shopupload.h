#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>

namespace shell {
class Interaction;
struct FtpSettings;
} // namespace shell

namespace publish {

class FtpClient;

// Sending the generated shop to the merchant's FTP server: the check of the FTP settings that runs before
// generation, and the upload routine the generation driver calls at its end.

// Name of the remote folder, relative to where the login places the user, when the settings name none;
// pictures go to its "img".
inline const QString kRemoteShopFolder = QStringLiteral("Kalmenor");

// The remote folder of the settings: `[FTP] folder` without surrounding blanks and slashes at its end,
// or kRemoteShopFolder when that is empty.
QString remoteShopFolder(const shell::FtpSettings& ftp);

// Choices of one upload beyond the FTP settings.
struct UploadOptions {
    bool sendAll = false;       // send every file, changed or not
    bool deleteRemoved = false; // delete remote files the previous upload sent and the shop no longer has
    QString trustFile;          // remembered certificate fingerprints; empty = none remembered
    QString manifestCopy;       // local copy of the manifest written; empty = none
    QString shopAddress;        // where the shop is online; empty = no check after the upload
};

// Shows the message of the first empty field (host, port, user, password) and returns false; true when
// all are filled (blanks count as filled).
bool checkFtpSettings(const shell::FtpSettings& ftp, shell::Interaction& interaction);

// What the step panel, the status bar and the report area are told during the upload. Every member may be
// left unset except appendReport.
struct UploadCallbacks {
    std::function<void(const QString& line)> appendReport;
    std::function<void(const QString& text)> showStatus;
    // The control connection is open: mark step 3 ("3. Sending store to FTP").
    std::function<void()> connected;
    // The list shows this folder's files (the publishing folder, then its img subfolder).
    std::function<void(const QString& folder, const QStringList& files)> showFolder;
    std::function<void(int maximum)> progressMaximum;
    // About to send files[index] of the folder shown; progress is the bar's new value.
    std::function<void(int index, int progress)> fileStarting;
    // The file was sent (ok) or not (message says why); a point to let the window repaint.
    std::function<void(const QString& fileName, bool ok, const QString& message)> fileFinished;
    // Asked before each file: true stops the upload there (the file under way is always finished, so
    // the server never keeps half a file).
    std::function<bool()> cancelRequested;
};

struct UploadResult {
    bool connected = false; // the port was a number and connecting and logging in succeeded
    int filesSent = 0;
    int filesFailed = 0;
    bool cancelled = false;
    int filesNotSent = 0;   // left when the connection was lost for good
    int filesUnchanged = 0; // the server has them as they are
    int filesDeleted = 0;
    QString untrustedFingerprint; // the certificate the user did not trust
    bool succeeded() const { return connected && filesFailed == 0 && filesNotSent == 0 && !cancelled; }
};

// The upload routine: connects with the FTP settings (over TLS when they ask for it), creates the remote
// folders, reads the manifest of the previous upload and sends the files of publishFolder and of its img
// subfolder whose bytes differ from it (all with sendAll), pictures first and the start page last, each
// that replaces a file under a temporary name renamed over the old one (a file the server's listing
// lacks under its own name), with one report line each; then the new manifest,
// the disconnect and the start, end and elapsed time lines (startTime was recorded when the whole command
// began). A port that is not a number, or a failed connection or login, is shown with
// interaction.error() and ends the routine with no files sent and no time lines. The client's
// notifications are bound for the run only.
UploadResult uploadShop(const QString& publishFolder, const shell::FtpSettings& ftp, const QTime& startTime,
                        FtpClient& client, const UploadCallbacks& callbacks, shell::Interaction& interaction,
                        const UploadOptions& options = {});

// The order files go to the server, so a visitor meets no page whose pictures or links are not there
// yet: assets first, then product pages, category pages, the other pages and the start page last.
QStringList uploadOrder(const QStringList& names, const QString& startPage = QStringLiteral("index.html"));

// The ordinary files of a folder as the upload sends them: no folders, no hidden files, names in
// alphabetical order regardless of case.
QStringList uploadFileList(const QString& folder);

// A time of day in the locale's long time format, without a time-zone name.
QString reportTimeText(const QTime& time);
// end - start; a run that crosses midnight adds 24 hours instead of going negative.
QTime elapsedTime(const QTime& start, const QTime& end);

// "Save report": asks for a file name (raport.txt) and writes every line, one per line. Returns false when
// the user cancelled; raises AppError when the file cannot be written.
bool saveReport(const QStringList& reportLines, shell::Interaction& interaction);

// Command line: the remembered password when there is one, else $KALMENOR_FTP_PASSWORD.
shell::FtpSettings withCommandLinePassword(shell::FtpSettings ftp);
// Command line exit status: 0 all sent, 1 some file failed, 2 no connection (or no valid port).
int uploadExitStatus(const UploadResult& result);

} // namespace publish
