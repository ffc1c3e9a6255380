#pragma once

#include "shell/error.h"

namespace publish {

// A failure of the network layer, carrying the system's error number. The message is
// "Socket Error # <number>\r\n<the system's text for it>".
class SocketError : public shell::AppError {
public:
    explicit SocketError(int errorNumber);
    // For failures whose number and text come from elsewhere than errno (name resolution).
    SocketError(int errorNumber, const QString& systemText);

    int errorNumber() const { return m_errorNumber; }

    // The error of the last failed system call.
    static SocketError fromErrno();

private:
    int m_errorNumber;
};

} // namespace publish
