#pragma once

// An order script of a generated shop run by the real PHP interpreter as one request, its mail captured
// through sendmail_path (every message appended to one file).

#include "pagesfixture.h"

#include <QProcess>
#include <QStandardPaths>

class PhpOrderFixture : public PagesFixture {
protected:
    void SetUp() override
    {
        PagesFixture::SetUp();
        php = QStandardPaths::findExecutable(QStringLiteral("php"));
        if (php.isEmpty())
            GTEST_SKIP() << "php-cli is not installed";
        mailFile = dir.path() + QStringLiteral("/mail.txt");
        settings.options.email = QStringLiteral("orders@example.com");
    }

    // Quotes a text as a PHP single-quoted literal.
    static QString phpLiteral(const QString& text)
    {
        QString quoted = text;
        quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"))
            .replace(QStringLiteral("'"), QStringLiteral("\\'"));
        return QLatin1Char('\'') + quoted + QLatin1Char('\'');
    }

    // Runs the shop's send.php after the PHP statements of setup (which fill $_SERVER and $_POST);
    // returns what the page prints. sendmail: the mail command, by default appending to mailFile.
    QString runSendScript(const QString& setup, const QString& sendmail = {})
    {
        QProcess process;
        process.start(php, {QStringLiteral("-n"), QStringLiteral("-d"), QStringLiteral("display_errors=1"),
                            QStringLiteral("-d"), QStringLiteral("error_reporting=-1"), QStringLiteral("-d"),
                            QStringLiteral("sendmail_path=")
                                + (sendmail.isEmpty() ? QStringLiteral("cat >> ") + mailFile : sendmail),
                            QStringLiteral("-r"),
                            setup + QStringLiteral("include ")
                                + phpLiteral(shop + QStringLiteral("/send.php")) + QLatin1Char(';')});
        EXPECT_TRUE(process.waitForFinished(20000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    // A request with the given method and posted fields (taken as they are).
    QString request(const QString& method, const QList<QPair<QString, QString>>& fields,
                    const QString& sendmail = {})
    {
        QString setup =
            QStringLiteral("$_SERVER['REQUEST_METHOD']=") + phpLiteral(method) + QStringLiteral(";");
        for (const auto& field : fields)
            setup += QStringLiteral("$_POST[") + phpLiteral(field.first) + QStringLiteral("]=")
                     + phpLiteral(field.second) + QStringLiteral(";");
        return runSendScript(setup, sendmail);
    }

    QString php;
    QString mailFile;
};
