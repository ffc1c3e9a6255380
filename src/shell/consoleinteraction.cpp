#include "shell/consoleinteraction.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace shell {

ConsoleInteraction::ConsoleInteraction(QTextStream& out, QTextStream& err, bool answerYes)
    : m_out(out), m_err(err), m_answerYes(answerYes)
{
}

void ConsoleInteraction::message(const QString& text, const QString& caption)
{
    if (!caption.isEmpty())
        m_out << caption << ": ";
    m_out << text << Qt::endl;
}

void ConsoleInteraction::error(const QString& text)
{
    m_err << text << Qt::endl;
}

bool ConsoleInteraction::question(const QString& text, const QString& caption)
{
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (m_answerYes) {
        m_err << caption << ": " << oneLine << " -> yes (--yes)" << Qt::endl;
        return true;
    }
    m_err << caption << ": " << oneLine << " -> no (give --yes to go on)" << Qt::endl;
    return false;
}

std::optional<QString> ConsoleInteraction::textQuestion(const QString& text, const QString& caption,
                                                        const QString&)
{
    QString oneLine = text;
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
    m_err << caption << ": " << oneLine << " -> not answered on the command line" << Qt::endl;
    return std::nullopt;
}

bool ConsoleInteraction::openInShell(const QString& urlOrPath)
{
    // QDesktopServices needs a GUI application; a command-line run asks the desktop's opener directly.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        return false;
    const QUrl url =
        QFileInfo::exists(urlOrPath) ? QUrl::fromLocalFile(urlOrPath) : QUrl::fromUserInput(urlOrPath);
    return QProcess::startDetached(opener, {url.toString()});
}

} // namespace shell
