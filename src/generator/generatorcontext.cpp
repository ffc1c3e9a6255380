#include "generator/generatorcontext.h"

#include "generator/filewriterpool.h"
#include "generator/productrecord.h"
#include "generator/savepage.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>

#include <mutex>
#include <utility>

namespace generator {

struct FailedCopies {
    std::mutex mutex;
    QStringList names;
};

GeneratorContext::GeneratorContext(const shell::Settings& settings, const catalogue::CategoryTree& tree,
                                   tables::Table& products, const shell::ProgramFolder& folder,
                                   shell::Interaction& interaction, GenerationHooks hooks)
    : m_settings(settings), m_tree(tree), m_products(products), m_folder(folder), m_interaction(interaction),
      m_hooks(std::move(hooks)), m_failedCopies(std::make_shared<FailedCopies>())
{
}

void GeneratorContext::writePage(const QString& text, const QString& path)
{
    if (!m_pool) {
        savePage(text, path);
        return;
    }
    m_pool->submit([text, path] { savePage(text, path); });
}

void GeneratorContext::noteFailedPictureCopy(const QString& shopName)
{
    const std::lock_guard lock(m_failedCopies->mutex);
    m_failedCopies->names << shopName;
}

void GeneratorContext::submitTask(std::function<void()> task)
{
    if (m_pool)
        m_pool->submit(std::move(task));
    else
        task();
}

void GeneratorContext::finishWrites()
{
    if (m_pool)
        m_pool->finish();
}

std::shared_ptr<const ProductLookup> GeneratorContext::productLookup()
{
    if (m_lookup)
        return m_lookup;
    auto lookup = std::make_shared<const ProductLookup>(m_products);
    if (m_shareLookup)
        m_lookup = lookup;
    return lookup;
}

void GeneratorContext::shareProductLookup(bool share)
{
    m_shareLookup = share;
    m_lookup.reset();
}

QStringList GeneratorContext::failedPictureCopies() const
{
    const std::lock_guard lock(m_failedCopies->mutex);
    return m_failedCopies->names;
}

void GeneratorContext::clearPictureFailures()
{
    const std::lock_guard lock(m_failedCopies->mutex);
    m_failedCopies->names.clear();
    m_missingPictures.clear();
}

QString missingPicturesLine(int count)
{
    return QStringLiteral("Missing pictures: %1 (kalmenor catalogue lists them)").arg(count);
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

void GeneratorContext::reportRunEnd()
{
    report(QStringLiteral("END"));
    report(QString());
    report(QStringLiteral("Warnings: ") + QString::number(m_warnings));
    report(QStringLiteral("Report: ")
           + QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
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
    if (namesOwnPage(key)) {
        warn(
            QStringLiteral(" warning: ") + nodeText
            + QStringLiteral(" has a key that names a page of the web shop itself and is left out of the web "
                             "shop"));
        return false;
    }
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

const QStringList& ownPageNames()
{
    static const QStringList names{
        QStringLiteral("index"),     QStringLiteral("top"),    QStringLiteral("menu"),
        QStringLiteral("send"),      QStringLiteral("find"),   QStringLiteral("cennik"),
        QStringLiteral("powitanie"), QStringLiteral("onas"),   QStringLiteral("regulamin"),
        QStringLiteral("empty"),     QStringLiteral("koszyk"), // the modern shop's cart
    };
    return names;
}

bool namesOwnPage(const QString& key)
{
    return ownPageNames().contains(key, Qt::CaseInsensitive);
}

bool isSafeFileKey(const QString& key)
{
    if (key.isEmpty() || key == QStringLiteral(".") || key.contains(QStringLiteral(".."))
        || namesOwnPage(key))
        return false;
    for (const QChar c : key) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

} // namespace generator
