#pragma once

#include "shell/interaction.h"

#include <QPointer>
#include <QWidget>

// The desktop's message boxes, file dialogs, browser and program start.
class WidgetInteraction : public shell::Interaction {
public:
    explicit WidgetInteraction(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void message(const QString& text, const QString& caption = {}) override;
    void error(const QString& text) override;
    bool question(const QString& text, const QString& caption) override;
    std::optional<QString> textQuestion(const QString& text, const QString& caption,
                                        const QString& initial = {}) override;
    QString openFileName(const QString& caption, const QString& dir, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& dir, const QString& filter,
                         const QString& defaultSuffix = {}) override;
    QString existingDirectory(const QString& caption, const QString& dir) override;
    bool openInShell(const QString& urlOrPath) override;
    bool startProgram(const QString& program, const QStringList& args = {}) override;

private:
    QPointer<QWidget> m_parent;
};
