#pragma once

#include "shell/interaction.h"

#include <QTextStream>

namespace shell {

// Interaction for the command line: messages are printed; questions are printed and answered Yes only
// when the user said so beforehand (--yes); nothing is chosen or opened.
class ConsoleInteraction : public Interaction {
public:
    ConsoleInteraction(QTextStream& out, QTextStream& err, bool answerYes);

    void message(const QString& text, const QString& caption = {}) override;
    void error(const QString& text) override;
    bool question(const QString& text, const QString& caption) override;
    // Nobody answers a running command: the question is printed and counts as cancelled.
    std::optional<QString> textQuestion(const QString& text, const QString& caption,
                                        const QString& initial = {}) override;
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString existingDirectory(const QString&, const QString&) override { return {}; }
    // Preview opens the shop in the desktop's browser even from the command line.
    bool openInShell(const QString& urlOrPath) override;
    bool startProgram(const QString&, const QStringList&) override { return false; }

private:
    QTextStream& m_out;
    QTextStream& m_err;
    bool m_answerYes;
};

} // namespace shell
