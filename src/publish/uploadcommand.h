#pragma once

#include "publish/shopupload.h"

#include <QString>
#include <QTextStream>
#include <functional>

namespace shell {
class Interaction;
struct FtpSettings;
} // namespace shell

namespace publish {

// "kalmenor upload": what "Upload Webshop on FTP serwer" does, without windows. The report lines go to
// out, the reasons of failed files and the error messages to err.
//
// ftp: the loaded FTP settings; an empty password is taken from $KALMENOR_FTP_PASSWORD (never from the
// command line). generate(upload) must generate the shop into publishFolder and call upload() at its end
// (the upload flag); it returns false when generation failed, having said why.
//
// Exit status: 0 every file sent; 1 generation failed or some file failed; 2 the FTP settings are
// incomplete, the port is not a number, or connecting or logging in failed.
int uploadShopCommand(const shell::FtpSettings& ftp, const QString& publishFolder,
                      const std::function<bool(const std::function<void()>& upload)>& generate,
                      QTextStream& out, QTextStream& err, shell::Interaction& interaction,
                      const UploadOptions& options = {});

// "--trust FINGERPRINT": remembers the fingerprint for the host in trustFile. A text that is no SHA-256
// fingerprint, or a file that cannot be written, is told on err and gives false.
bool trustCommandLineFingerprint(const QString& fingerprint, const QString& host, const QString& trustFile,
                                 QTextStream& err);

} // namespace publish
