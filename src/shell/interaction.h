#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace shell {

// Everything core code asks of the user or the desktop goes through this interface, so tests answer
// questions and pick files without modal windows.
class Interaction {
public:
    virtual ~Interaction() = default;

    // A plain message box with an OK button; caption empty = the application's title.
    virtual void message(const QString& text, const QString& caption = {}) = 0;
    // The application's standard error message box.
    virtual void error(const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool question(const QString& text, const QString& caption) = 0;
    // A question answered with a line of text, offered with initial; empty result (no value) when the
    // user cancels.
    virtual std::optional<QString> textQuestion(const QString& text, const QString& caption,
                                                const QString& initial = {}) = 0;

    // File choice; an empty result means the user cancelled.
    virtual QString openFileName(const QString& caption, const QString& dir, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& dir, const QString& filter,
                                 const QString& defaultSuffix = {}) = 0;
    virtual QString existingDirectory(const QString& caption, const QString& dir) = 0;

    // The shell's "open" verb: a web address or a file in its default program.
    virtual bool openInShell(const QString& urlOrPath) = 0;
    // Starts a desktop program without waiting (the text editor, the calculator).
    virtual bool startProgram(const QString& program, const QStringList& args = {}) = 0;
};

} // namespace shell
