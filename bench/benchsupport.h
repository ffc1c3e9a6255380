#pragma once

#include "shell/interaction.h"

#include <QElapsedTimer>
#include <QString>

namespace bench {

// The benchmarks run unattended: messages and errors go to stderr, every question is answered "no" and
// no file is ever chosen.
class QuietInteraction : public shell::Interaction {
public:
    void message(const QString& text, const QString& caption) override;
    void error(const QString& text) override;
    bool question(const QString&, const QString&) override { return false; }
    std::optional<QString> textQuestion(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString existingDirectory(const QString&, const QString&) override { return {}; }
    bool openInShell(const QString&) override { return false; }
    bool startProgram(const QString&, const QStringList&) override { return false; }
};

// The product ID of the n-th generated product: "ID", nine digits, "P".
QString productId(int n);

double seconds(const QElapsedTimer& timer);

} // namespace bench
