#pragma once

#include "shell/interaction.h"

#include <QStringList>
#include <deque>

// Records every message and answers questions and file choices from queues (default: Yes / cancel).
class FakeInteraction : public shell::Interaction {
public:
    QStringList messages;     // message() texts
    QStringList captions;     // their captions
    QStringList errors;       // error() texts
    QStringList questions;    // question() texts
    QStringList opened;       // openInShell() arguments
    QStringList started;      // startProgram() programs
    std::deque<bool> answers; // next answers to questions; empty = defaultAnswer
    bool defaultAnswer = true;
    std::deque<QString> files;                // next answers to file and folder choices; empty = cancel
    QStringList textQuestions;                // textQuestion() texts
    std::deque<std::optional<QString>> texts; // next answers to text questions; empty = cancel

    void message(const QString& text, const QString& caption = {}) override
    {
        messages << text;
        captions << caption;
    }
    void error(const QString& text) override { errors << text; }
    bool question(const QString& text, const QString&) override
    {
        questions << text;
        if (answers.empty())
            return defaultAnswer;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<QString> textQuestion(const QString& text, const QString&, const QString&) override
    {
        textQuestions << text;
        if (texts.empty())
            return std::nullopt;
        std::optional<QString> answer = texts.front();
        texts.pop_front();
        return answer;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return nextFile(); }
    QString saveFileName(const QString&, const QString&, const QString&, const QString&) override
    {
        return nextFile();
    }
    QString existingDirectory(const QString&, const QString&) override { return nextFile(); }
    bool openInShell(const QString& urlOrPath) override
    {
        opened << urlOrPath;
        return true;
    }
    bool startProgram(const QString& program, const QStringList&) override
    {
        started << program;
        return true;
    }

private:
    QString nextFile()
    {
        if (files.empty())
            return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};
