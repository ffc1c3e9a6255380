#include "generator/assets.h"

#include "generator/savepage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace generator {

namespace {

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

QString choiceFolder(int index)
{
    // An empty choice is index -1; its folder does not exist, so nothing is copied for it.
    return QString::number(index < 0 ? -1 : index);
}

} // namespace

bool copyShopFile(const QString& source, const QString& target)
{
    const QFileInfo from(source);
    if (source.isEmpty() || !from.isFile())
        return false;
    const QFileInfo to(target);
    // A logo picked from the shop's own img folder is already in place; a link there is replaced below.
    if (to.exists() && !to.isSymLink() && from.canonicalFilePath() == to.canonicalFilePath())
        return true;

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    // The temporary is created afresh (never opened through a link left there) and renamed over the
    // target, which replaces a link instead of writing into what it points to.
    const QString temporary = target + QStringLiteral(".part");
    QFile::remove(temporary);
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    bool copied = true;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0 || out.write(buffer, got) != got) {
            copied = false;
            break;
        }
    }
    out.close();
    copied = copied && out.error() == QFileDevice::NoError;
    if (copied) {
        std::error_code error;
        std::filesystem::rename(nativePath(temporary), nativePath(target), error);
        copied = !error;
    }
    if (!copied)
        QFile::remove(temporary);
    return copied;
}

QString colorCssText(const shell::Settings& settings)
{
    return QStringLiteral(".navig {background-color:") + colorToHtml(settings.options.menuColor)
           + QStringLiteral(";}");
}

QString navigCssText(const shell::Settings& settings)
{
    return QStringLiteral(".navig a{display: block;padding: 4px 7px 2px 7px;width: auto;voice-family:inherit;"
                          "margin: 0;text-decoration: none;color:")
           + colorToHtml(settings.options.menuHighlightColor) + QStringLiteral(";}");
}

void copyShopAssets(GeneratorContext& context)
{
    const shell::Settings& s = context.settings();
    const QString work = context.folder().work();
    const QString style = context.folder().style();

    // One level each; an existing folder is fine, and a failure shows at the first page write.
    QDir().mkdir(context.shopFolder());
    QDir().mkdir(context.shopFile(QStringLiteral("img")));

    if (s.options.headerShowsLogo && !s.options.logoPath.isEmpty())
        copyShopFile(s.options.logoPath, context.imageFile(QFileInfo(s.options.logoPath).fileName()));
    if (!s.options.bannerPath.isEmpty())
        copyShopFile(s.options.bannerPath, context.imageFile(QFileInfo(s.options.bannerPath).fileName()));

    copyShopFile(work + QStringLiteral("sk.js"), context.shopFile(QStringLiteral("sk.js")));
    // The style sheets go straight into the shop: the asset folder may be read-only.
    context.writePage(colorCssText(s), context.shopFile(QStringLiteral("color.css")));
    copyShopFile(work + QStringLiteral("empty.html"), context.shopFile(QStringLiteral("empty.html")));
    context.writePage(navigCssText(s), context.shopFile(QStringLiteral("navig.css")));

    const QString styleFolder = style + choiceFolder(s.options.stylePreset) + QLatin1Char('/');
    static const char* const pictures[] = {"b1",   "b3",   "b4",     "b5",     "b6",   "b7",  "kupuj",
                                           "more", "back", "koszyk", "prev",   "b1b",  "b3b", "b4b",
                                           "b5b",  "b6b",  "b7b",    "kupujb", "moreb"};
    for (const char* picture : pictures) {
        const QString name = QString::fromLatin1(picture) + QStringLiteral(".jpg");
        copyShopFile(styleFolder + name, context.imageFile(name));
    }

    const QString gif = style + QStringLiteral("Szablon/gif/");
    copyShopFile(gif + QStringLiteral("Promocja/") + choiceFolder(s.options.promotionMarker)
                     + QStringLiteral("/promocja.gif"),
                 context.imageFile(QStringLiteral("promocja.gif")));
    copyShopFile(gif + QStringLiteral("New/") + choiceFolder(s.options.newMarker)
                     + QStringLiteral("/new.gif"),
                 context.imageFile(QStringLiteral("new.gif")));
    copyShopFile(gif + QStringLiteral("Sale/") + choiceFolder(s.options.saleMarker)
                     + QStringLiteral("/sale.gif"),
                 context.imageFile(QStringLiteral("sale.gif")));
    copyShopFile(gif + QStringLiteral("delete.jpg"), context.imageFile(QStringLiteral("delete.jpg")));
    copyShopFile(gif + QStringLiteral("orvane.jpg"), context.imageFile(QStringLiteral("orvane.jpg")));
}

} // namespace generator
