#pragma once

#include "shell/error.h"

namespace publish {

// A reply code the operation does not accept; the message is the server's last reply line.
class FtpReplyError : public shell::AppError {
public:
    FtpReplyError(int code, const QString& lastLine) : shell::AppError(lastLine), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

} // namespace publish
