#include "shell/settingskeys.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QRegularExpression>

namespace shell {

namespace {

template <typename Member> std::function<SettingRef(Settings&)> at(Member Settings::*group, auto member)
{
    return [group, member](Settings& s) -> SettingRef { return &((s.*group).*member); };
}

void addRules(std::vector<SettingKey>& keys);

std::vector<SettingKey> buildKeys()
{
    using T = SettingType;
    std::vector<SettingKey> k;
    auto add = [&k](const char* section, const char* key, T type, std::function<SettingRef(Settings&)> ref,
                    int choiceCount = 0, bool noneAllowed = false) {
        SettingKey entry;
        entry.section = QString::fromLatin1(section);
        entry.key = QString::fromLatin1(key);
        entry.type = type;
        entry.ref = std::move(ref);
        entry.choiceCount = choiceCount;
        entry.noneAllowed = noneAllowed;
        k.push_back(std::move(entry));
    };
    using S = Settings;
    using F = InvoiceSettings;
    add("Faktury", "Fczcionka", T::String, at(&S::invoice, &F::fontName));
    add("Faktury", "Fczrozmiar", T::String, at(&S::invoice, &F::fontSize));
    add("Faktury", "Mwystawienia", T::String, at(&S::invoice, &F::placeOfIssue));
    add("Faktury", "termin", T::String, at(&S::invoice, &F::paymentMethod));
    add("Faktury", "forma", T::String, at(&S::invoice, &F::paymentTerm));
    add("Faktury", "Logo", T::Boolean, at(&S::invoice, &F::logoOnPrint));
    add("Faktury", "Archiwizacja", T::Boolean, at(&S::invoice, &F::autoArchive));
    add("Faktury", "Tabela", T::Boolean, at(&S::invoice, &F::printAsTable));
    add("Faktury", "Numeracja1", T::Boolean, at(&S::invoice, &F::numberingFromYearStart));
    add("Faktury", "Numeracja2", T::Boolean, at(&S::invoice, &F::numberingFromMonthStart));
    add("Faktury", "Tekst", T::String, at(&S::invoice, &F::extraText));
    add("Faktury", "Nr", T::String, at(&S::invoice, &F::number));
    add("Faktury", "Format", T::String, at(&S::invoice, &F::numberFormat));
    add("Faktury", "Sprzedaz", T::String, at(&S::invoice, &F::saleDateFormat));
    add("Faktury", "Wystawienie", T::String, at(&S::invoice, &F::issueDateFormat));
    add("Faktury", "Wydruk", T::Integer, at(&S::invoice, &F::printForm), int(invoicePrintForms().size()));
    add("Faktury", "Styl", T::Integer, at(&S::invoice, &F::style), int(invoiceStyles().size()));

    using N = FontSettings;
    add("Font", "kolor", T::Color, at(&S::font, &N::color));
    add("Font", "rozmiar", T::String, at(&S::font, &N::size));
    add("Font", "czcionka", T::String, at(&S::font, &N::family));
    add("Font", "margines", T::String, at(&S::font, &N::margin));
    add("Font", "znaki", T::String, at(&S::font, &N::letterSpacing));
    add("Font", "wyrazy", T::String, at(&S::font, &N::wordSpacing));
    add("Font", "powitaniekolor", T::Color, at(&S::font, &N::headerTextColor));
    add("Font", "orderThanks", T::String, at(&S::font, &N::orderThanks));

    using O = ShopOptions;
    add("Opcje", "Styl", T::Integer, at(&S::options, &O::stylePreset), int(stylePresetNames().size()), true);
    add("Opcje", "Nazwa", T::String, at(&S::options, &O::linksHeading));
    add("Opcje", "kolumny", T::Integer, at(&S::options, &O::columnsIndex), 6);
    add("Opcje", "otaczanie", T::Integer, at(&S::options, &O::textFlow), int(textFlowNames().size()));
    add("Opcje", "imageSize", T::Boolean, at(&S::options, &O::fixedImageSize));
    add("Opcje", "imageWidt", T::Integer, at(&S::options, &O::imageWidth));
    add("Opcje", "imageHeight", T::Integer, at(&S::options, &O::imageHeight));
    add("Opcje", "kolormenu", T::Color, at(&S::options, &O::menuColor));
    add("Opcje", "kolormenu2", T::Color, at(&S::options, &O::menuHighlightColor));
    add("Opcje", "promocja", T::Integer, at(&S::options, &O::promotionMarker), int(markerNames().size()));
    add("Opcje", "new", T::Integer, at(&S::options, &O::newMarker), int(markerNames().size()));
    add("Opcje", "sale", T::Integer, at(&S::options, &O::saleMarker), int(markerNames().size()));
    add("Opcje", "waluta", T::String, at(&S::options, &O::currency));
    add("Opcje", "title", T::String, at(&S::options, &O::title));
    add("Opcje", "e-mail", T::String, at(&S::options, &O::email));
    add("Opcje", "php", T::Boolean, at(&S::options, &O::usePhp));
    add("Opcje", "powitanie", T::String, at(&S::options, &O::shopName));
    add("Opcje", "path", T::String, at(&S::options, &O::logoPath));
    add("Opcje", "powitaniepath", T::String, at(&S::options, &O::bannerPath));
    add("Opcje", "tabela", T::Boolean, at(&S::options, &O::texture));
    add("Opcje", "powitalna", T::Boolean, at(&S::options, &O::includeWelcomePage));
    add("Opcje", "linki", T::Boolean, at(&S::options, &O::includeLinks));
    add("Opcje", "cennik", T::Boolean, at(&S::options, &O::includePriceList));
    add("Opcje", "informacje", T::Boolean, at(&S::options, &O::includeInformation));
    add("Opcje", "regulamin", T::Boolean, at(&S::options, &O::includeRegulation));
    add("Opcje", "pay", T::Boolean, at(&S::options, &O::payments));
    add("Opcje", "kurier", T::Boolean, at(&S::options, &O::courier));
    add("Opcje", "delivery", T::Boolean, at(&S::options, &O::includeDelivery));
    add("Opcje", "powitanie2", T::Boolean, at(&S::options, &O::headerShowsShopName));
    add("Opcje", "baner", T::Boolean, at(&S::options, &O::headerShowsLogo));
    add("Opcje", "wyrownanie", T::Integer, at(&S::options, &O::headerAlignment),
        int(alignmentNames().size()));
    add("Opcje", "Netto", T::Boolean, at(&S::options, &O::priceListNet));
    add("Opcje", "Brutto", T::Boolean, at(&S::options, &O::priceListGross));
    add("Opcje", "motyw", T::Integer, at(&S::options, &O::theme), int(themeNames().size()));
    add("Opcje", "adres", T::String, at(&S::options, &O::address));
    add("Opcje", "jezyk", T::String, at(&S::options, &O::language));
    add("Opcje", "waluta_kod", T::String, at(&S::options, &O::currencyCode));

    using M = MailSettings;
    add("Poczta", "message1", T::Boolean, at(&S::mail, &M::deleteFetched));
    add("Poczta", "message2", T::Boolean, at(&S::mail, &M::keepFetched));
    add("Poczta", "host", T::String, at(&S::mail, &M::host));
    add("Poczta", "user", T::String, at(&S::mail, &M::user));
    add("Poczta", "pop3", T::String, at(&S::mail, &M::pop3Port));
    add("Poczta", "smtp", T::String, at(&S::mail, &M::smtpPort));
    add("Poczta", "pasword", T::Boolean, at(&S::mail, &M::savePassword));

    using P = FtpSettings;
    add("FTP", "host", T::String, at(&S::ftp, &P::host));
    add("FTP", "port", T::String, at(&S::ftp, &P::port));
    add("FTP", "user", T::String, at(&S::ftp, &P::user));
    add("FTP", "pasword", T::Boolean, at(&S::ftp, &P::savePassword));
    add("FTP", "pasywny", T::Boolean, at(&S::ftp, &P::passive));
    add("FTP", "tls", T::Boolean, at(&S::ftp, &P::tls));
    add("FTP", "folder", T::String, at(&S::ftp, &P::folder));

    for (int n = 1; n <= Settings::linkCount; ++n)
        add("Linki", qPrintable(QStringLiteral("L%1").arg(n)), T::String,
            [n](Settings& s) -> SettingRef { return &s.links[size_t(n - 1)].name; });
    for (int n = 1; n <= Settings::linkCount; ++n)
        add("Linki", qPrintable(QStringLiteral("P%1").arg(n)), T::String,
            [n](Settings& s) -> SettingRef { return &s.links[size_t(n - 1)].path; });
    addRules(k);
    return k;
}

// Ranges and shapes the window's controls keep to, so the command line keeps to them too.
void addRules(std::vector<SettingKey>& keys)
{
    const struct {
        const char* name;
        TextRule rule;
        int minimum, maximum;
    } rules[] = {
        {"FTP/port", TextRule::Port, 1, 65535},
        {"Poczta/pop3", TextRule::Port, 1, 65535},
        {"Poczta/smtp", TextRule::Port, 1, 65535},
        {"Opcje/e-mail", TextRule::Email, 0, 0},
        {"Faktury/Nr", TextRule::WholeNumber, 0, std::numeric_limits<int>::max()},
        {"Font/rozmiar", TextRule::WholeNumber, 8, 14},
        {"Font/margines", TextRule::WholeNumber, 0, 30},
        {"Opcje/imageWidt", TextRule::Any, 1, 2000},
        {"Opcje/imageHeight", TextRule::Any, 1, 2000},
        {"Opcje/adres", TextRule::HttpsAddress, 0, 0},
        {"Opcje/jezyk", TextRule::Language, 0, 0},
        {"Opcje/waluta_kod", TextRule::CurrencyCode, 0, 0},
    };
    for (SettingKey& key : keys) {
        for (const auto& r : rules) {
            if (key.name() != QLatin1String(r.name))
                continue;
            key.rule = r.rule;
            key.minimum = r.minimum;
            key.maximum = r.maximum;
        }
    }
    const struct {
        const char* name;
        QStringList names;
    } lists[] = {
        {"Faktury/Wydruk", invoicePrintForms()},
        {"Faktury/Styl", invoiceStyles()},
        {"Opcje/Styl", stylePresetNames()},
        {"Opcje/kolumny",
         {QStringLiteral("1 column"), QStringLiteral("2 columns"), QStringLiteral("3 columns"),
          QStringLiteral("4 columns"), QStringLiteral("5 columns"), QStringLiteral("6 columns")}},
        {"Opcje/otaczanie", textFlowNames()},
        {"Opcje/promocja", markerNames()},
        {"Opcje/new", markerNames()},
        {"Opcje/sale", markerNames()},
        {"Opcje/wyrownanie", alignmentNames()},
        {"Opcje/motyw", themeNames()},
    };
    for (SettingKey& key : keys)
        for (const auto& l : lists)
            if (key.name() == QLatin1String(l.name))
                key.choiceNames = l.names;
}

// "0 = first, 1 = second, …" (or "0 … n-1" when the entries have no names).
QString allowedValues(const SettingKey& key)
{
    QStringList parts;
    if (key.noneAllowed)
        parts << QStringLiteral("-1 = none");
    for (int i = 0; i < key.choiceCount; ++i)
        parts << (i < key.choiceNames.size() ? QStringLiteral("%1 = %2").arg(i).arg(key.choiceNames[i])
                                             : QString::number(i));
    return parts.join(QStringLiteral(", "));
}

QString checkText(const SettingKey& key, const QString& text)
{
    const QString t = text.trimmed();
    switch (key.rule) {
    case TextRule::Any:
        return {};
    case TextRule::Port:
    case TextRule::WholeNumber: {
        bool ok = false;
        const int v = t.toInt(&ok);
        if (ok && v >= key.minimum && v <= key.maximum)
            return {};
        if (key.maximum == std::numeric_limits<int>::max())
            return QStringLiteral("%1 is a whole number from %2 (not \"%3\")")
                .arg(key.name())
                .arg(key.minimum)
                .arg(text);
        return QStringLiteral("%1 is a whole number from %2 to %3 (not \"%4\")")
            .arg(key.name())
            .arg(key.minimum)
            .arg(key.maximum)
            .arg(text);
    }
    case TextRule::HttpsAddress: {
        // Canonical links and the sitemap need the whole address; an empty one switches them off.
        static const QRegularExpression https(
            QStringLiteral("^https://[A-Za-z0-9.-]+(:[0-9]{1,5})?(/[^\\s\"'<>]*)?$"));
        if (t.isEmpty() || https.match(t).hasMatch())
            return {};
        return QStringLiteral("%1 is the shop's address, beginning with https:// (not \"%2\")")
            .arg(key.name(), text);
    }
    case TextRule::Language: {
        static const QRegularExpression tag(QStringLiteral("^[a-zA-Z]{2,3}(-[a-zA-Z0-9]{2,8})*$"));
        if (tag.match(t).hasMatch())
            return {};
        return QStringLiteral("%1 is a language code such as pl or en-GB (not \"%2\")").arg(key.name(), text);
    }
    case TextRule::CurrencyCode: {
        static const QRegularExpression code(QStringLiteral("^[A-Z]{3}$"));
        if (t.isEmpty() || code.match(t).hasMatch())
            return {};
        return QStringLiteral("%1 is a three-letter currency code such as PLN (not \"%2\")")
            .arg(key.name(), text);
    }
    case TextRule::Email: {
        // One address: something before and after a single "@", a dot in the domain, no blanks.
        static const QRegularExpression address(
            QStringLiteral("^[^@\\s,;<>\"]+@[^@\\s,;<>\"]+\\.[^@\\s,;<>\".]+$"));
        if (address.match(text).hasMatch())
            return {};
        return QStringLiteral("%1 is an e-mail address such as shop@example.com (not \"%2\")")
            .arg(key.name(), text);
    }
    }
    return {};
}

// Integer text as the profile functions accept it: optional sign, decimal or $/0x hexadecimal,
// surrounding blanks ignored.
bool parseInteger(const QString& raw, int* out)
{
    QString t = raw.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t = t.mid(1);
    }
    if (t.isEmpty() || t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')))
        return false;
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || t.contains(QLatin1Char(' ')))
        return false;
    if (negative)
        v = -v;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return false;
    *out = int(v);
    return true;
}

bool indexInRange(const SettingKey& key, int v)
{
    if (key.choiceCount == 0)
        return true;
    return (v >= 0 && v < key.choiceCount) || (key.noneAllowed && v == -1);
}

} // namespace

const std::vector<SettingKey>& settingKeys()
{
    static const std::vector<SettingKey> keys = buildKeys();
    return keys;
}

const SettingKey* findSettingKey(const QString& sectionSlashKey)
{
    for (const SettingKey& k : settingKeys())
        if (k.name().compare(sectionSlashKey, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

QString storedText(const SettingKey& key, const Settings& settings)
{
    const SettingRef ref = key.ref(const_cast<Settings&>(settings));
    if (auto s = std::get_if<QString*>(&ref))
        return **s;
    if (auto b = std::get_if<bool*>(&ref))
        return **b ? QStringLiteral("1") : QStringLiteral("0");
    return QString::number(*std::get<int*>(ref));
}

bool readStoredText(const SettingKey& key, const QString& text, Settings& settings)
{
    const SettingRef ref = key.ref(settings);
    if (auto s = std::get_if<QString*>(&ref)) {
        **s = text;
        return true;
    }
    int v = 0;
    if (!parseInteger(text, &v))
        return false;
    if (auto b = std::get_if<bool*>(&ref)) {
        **b = v != 0;
        return true;
    }
    if (!indexInRange(key, v))
        return false;
    *std::get<int*>(ref) = v;
    return true;
}

QString readUserText(const SettingKey& key, const QString& text, Settings& settings)
{
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0)))
        return QStringLiteral("%1 takes one line: line breaks and NUL characters cannot be stored")
            .arg(key.name());
    const QString t = text.trimmed();
    switch (key.type) {
    case SettingType::String:
        if (const QString problem = checkText(key, text); !problem.isEmpty())
            return problem;
        readStoredText(key, text, settings);
        return {};
    case SettingType::Boolean: {
        const QString l = t.toLower();
        if (l == QStringLiteral("true") || l == QStringLiteral("yes") || l == QStringLiteral("on"))
            return readStoredText(key, QStringLiteral("1"), settings), QString();
        if (l == QStringLiteral("false") || l == QStringLiteral("no") || l == QStringLiteral("off"))
            return readStoredText(key, QStringLiteral("0"), settings), QString();
        if (readStoredText(key, t, settings))
            return {};
        return QStringLiteral("%1 is a yes/no setting: give 1 or 0 (not \"%2\")").arg(key.name(), text);
    }
    case SettingType::Color: {
        static const QRegularExpression html(QStringLiteral("^#([0-9a-fA-F]{6})$"));
        const auto m = html.match(t);
        if (m.hasMatch()) {
            const uint rgb = m.captured(1).toUInt(nullptr, 16);
            *std::get<int*>(key.ref(settings)) =
                colorFromRgb(int(rgb >> 16), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
            return {};
        }
        int v = 0;
        if (parseInteger(t, &v) && v >= 0 && v <= 0xFFFFFF) {
            *std::get<int*>(key.ref(settings)) = v;
            return {};
        }
        return QStringLiteral("%1 is a colour: give #rrggbb or blue*65536+green*256+red (not \"%2\")")
            .arg(key.name(), text);
    }
    case SettingType::Integer: {
        int v = 0;
        if (!parseInteger(t, &v))
            return QStringLiteral("%1 is a whole number (not \"%2\")").arg(key.name(), text);
        if (!indexInRange(key, v))
            return QStringLiteral("%1 must be one of: %2 (not \"%3\")")
                .arg(key.name(), allowedValues(key), text);
        if (v < key.minimum || v > key.maximum)
            return QStringLiteral("%1 is a whole number from %2 to %3 (not \"%4\")")
                .arg(key.name())
                .arg(key.minimum)
                .arg(key.maximum)
                .arg(text);
        *std::get<int*>(key.ref(settings)) = v;
        return {};
    }
    }
    return {};
}

QString firstInstalledFont()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QFontDatabase::families().value(0);
}

} // namespace shell
