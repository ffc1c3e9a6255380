#include "generator/generatorcontext.h"

#include <utility>

namespace generator {

GeneratorContext::GeneratorContext(const Settings& settings, const catalogue::CategoryTree& tree,
                                   tables::Table& products, const ProgramFolder& folder,
                                   Interaction& interaction, GenerationHooks hooks)
    : m_settings(settings), m_tree(tree), m_products(products), m_folder(folder), m_interaction(interaction),
      m_hooks(std::move(hooks))
{
}

void GeneratorContext::setTarget(const QString& shopFolder, const QString& startPage)
{
    m_shopFolder = shopFolder;
    while (m_shopFolder.size() > 1 && m_shopFolder.endsWith(QLatin1Char('/')))
        m_shopFolder.chop(1);
    m_startPage = startPage;
}

QString GeneratorContext::shopFile(const QString& name) const
{
    return m_shopFolder + QLatin1Char('/') + name;
}

QString GeneratorContext::imageFile(const QString& name) const
{
    return m_shopFolder + QStringLiteral("/img/") + name;
}

void GeneratorContext::clearReport()
{
    m_report.clear();
    if (m_hooks.clearReport)
        m_hooks.clearReport();
}

void GeneratorContext::report(const QString& line)
{
    m_report << line;
    if (m_hooks.reportLine)
        m_hooks.reportLine(line);
}

void GeneratorContext::warn(const QString& textAfterCounter)
{
    ++m_warnings;
    report(QString::number(m_warnings) + textAfterCounter);
}

bool GeneratorContext::checkFileKey(const QString& key, const QString& nodeText)
{
    if (isSafeFileKey(key))
        return true;
    warn(QStringLiteral(" warning: ") + nodeText
         + QStringLiteral(" has a key that can't be used as a file name and is left out of the web shop"));
    return false;
}

void GeneratorContext::setProgressMaximum(int maximum)
{
    m_progressMaximum = maximum;
    emitProgress();
}

void GeneratorContext::setProgress(int value)
{
    m_progressValue = value;
    emitProgress();
}

void GeneratorContext::advanceProgress()
{
    ++m_progressValue;
    emitProgress();
}

void GeneratorContext::emitProgress()
{
    if (m_hooks.progress)
        m_hooks.progress(m_progressValue, m_progressMaximum);
}

bool isSafeFileKey(const QString& key)
{
    if (key.isEmpty() || key == QStringLiteral(".") || key.contains(QStringLiteral("..")))
        return false;
    for (const QChar c : key) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

} // namespace generator
