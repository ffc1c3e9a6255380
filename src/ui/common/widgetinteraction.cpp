#include "ui/common/widgetinteraction.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

void WidgetInteraction::message(const QString& text, const QString& caption)
{
    QMessageBox::information(m_parent, caption.isEmpty() ? QApplication::applicationDisplayName() : caption,
                             text);
}

void WidgetInteraction::error(const QString& text)
{
    QMessageBox::critical(m_parent, QApplication::applicationDisplayName(), text);
}

bool WidgetInteraction::question(const QString& text, const QString& caption)
{
    return QMessageBox::question(m_parent, caption, text, QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

std::optional<QString> WidgetInteraction::textQuestion(const QString& text, const QString& caption,
                                                       const QString& initial)
{
    bool ok = false;
    const QString answer =
        QInputDialog::getText(m_parent, caption.isEmpty() ? QApplication::applicationDisplayName() : caption,
                              text, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

QString WidgetInteraction::openFileName(const QString& caption, const QString& dir, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, dir, filter);
}

QString WidgetInteraction::saveFileName(const QString& caption, const QString& dir, const QString& filter,
                                        const QString& defaultSuffix)
{
    QFileDialog dialog(m_parent, caption, dir, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString WidgetInteraction::existingDirectory(const QString& caption, const QString& dir)
{
    return QFileDialog::getExistingDirectory(m_parent, caption, dir);
}

bool WidgetInteraction::openInShell(const QString& urlOrPath)
{
    const QUrl url =
        QFileInfo::exists(urlOrPath) ? QUrl::fromLocalFile(urlOrPath) : QUrl::fromUserInput(urlOrPath);
    return QDesktopServices::openUrl(url);
}

bool WidgetInteraction::startProgram(const QString& program, const QStringList& args)
{
    return QProcess::startDetached(program, args);
}
