#include "publish/socketerror.h"

#include <cerrno>
#include <cstring>

namespace publish {

namespace {

QString systemText(int errorNumber)
{
    char buffer[256] = {};
    // GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return QString::fromLocal8Bit(text);
}

QString socketMessage(int errorNumber, const QString& text)
{
    return QStringLiteral("Socket Error # %1\r\n%2").arg(errorNumber).arg(text);
}

} // namespace

SocketError::SocketError(int errorNumber)
    : shell::AppError(socketMessage(errorNumber, systemText(errorNumber))), m_errorNumber(errorNumber)
{
}

SocketError::SocketError(int errorNumber, const QString& text)
    : shell::AppError(socketMessage(errorNumber, text)), m_errorNumber(errorNumber)
{
}

SocketError SocketError::fromErrno()
{
    return SocketError(errno);
}

} // namespace publish
