#pragma once

#include <QString>
#include <stdexcept>

namespace shell {

// Failures of the platform (files, tables, sockets, number conversion) travel as exceptions carrying a
// message meant for the user. Catch std::exception and show messageOf(e).
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

inline QString messageOf(const std::exception& e)
{
    return QString::fromUtf8(e.what());
}

} // namespace shell
