#include "shell/settings.h"

#include "shell/error.h"
#include "shell/inifile.h"
#include "shell/memotexts.h"
#include "shell/passwordstore.h"
#include "shell/settingskeys.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace shell {

namespace {

const QString kSettingsFileName = QStringLiteral("KVO.INI");

QString settingsPath(const QString& configDir)
{
    return QDir(configDir).filePath(kSettingsFileName);
}

// Reads one memo; a missing file keeps the design text, an unreadable one is remembered so that
// storing does not overwrite what was never read.
void loadMemo(Settings& s, QString Settings::*text, const QString& path)
{
    if (memotexts::read(path, &(s.*text)) == memotexts::ReadResult::Unreadable)
        s.unreadableTextFiles << path;
}

void storeMemo(const Settings& s, QString Settings::*text, const QString& path, QStringList& failures)
{
    if (s.unreadableTextFiles.contains(path))
        return;
    try {
        memotexts::write(path, s.*text);
    } catch (const AppError& e) {
        failures << e.message();
    }
}

} // namespace

QString configFolder(const QString& override)
{
    if (!override.isEmpty())
        return override;
    const QString env = qEnvironmentVariable("KALMENOR_CONFIG_DIR");
    if (!env.isEmpty())
        return env;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Kalmenor");
}

Settings loadSettings(const QString& configDir, const ProgramFolder& folder)
{
    Settings s;
    s.font.family = firstInstalledFont();

    // Each text file on its own: one missing file must not leave the others at their design text.
    loadMemo(s, &Settings::infoText, folder.dataFile(QStringLiteral("opis.txt")));
    loadMemo(s, &Settings::welcomeText, folder.dataFile(QStringLiteral("powitanie.txt")));
    loadMemo(s, &Settings::regulationText, folder.dataFile(QStringLiteral("regulamin.txt")));
    s.metaDescription = s.infoText;
    loadMemo(s, &Settings::metaKeywords, folder.dataFile(QStringLiteral("klucze.txt")));

    // A fresh installation starts with what a new shop needs: TLS, the modern pages and a style whose
    // buttons exist. A settings file without these keys keeps the older defaults.
    if (!QFile::exists(settingsPath(configDir))) {
        s.ftp.tls = true;
        s.options.theme = 1;
        s.options.stylePreset = 0;
    }
    IniFile ini;
    try {
        ini.load(settingsPath(configDir));
        for (const QString& warning : ini.warnings())
            qWarning("%s", qPrintable(warning));
    } catch (const AppError&) {
        // An unreadable settings file gives the defaults, like a missing one.
    }
    for (const SettingKey& key : settingKeys())
        if (const auto text = ini.value(key.section, key.key))
            readStoredText(key, *text, s);

    const PasswordStore passwords(configDir);
    if (s.ftp.savePassword)
        s.ftp.password = passwords.read(PasswordStore::ftpValueName()).value_or(QString());
    if (s.mail.savePassword)
        s.mail.password = passwords.read(PasswordStore::mailValueName()).value_or(QString());

    applyStylePreset(s, s.options.stylePreset);

    loadMemo(s, &Settings::certificates, folder.program() + QStringLiteral("/certyfikaty.txt"));
    return s;
}

void saveSettings(const Settings& s, const QString& configDir, const ProgramFolder& folder)
{
    QStringList failures;
    QDir().mkpath(configDir);

    PasswordStore passwords(configDir);
    auto storePassword = [&](bool save, const QString& valueName, const QString& password) {
        try {
            if (save)
                passwords.store(valueName, password);
            else
                passwords.remove(valueName);
        } catch (const AppError& e) {
            failures << e.message();
        }
    };
    storePassword(s.ftp.savePassword, PasswordStore::ftpValueName(), s.ftp.password);
    storePassword(s.mail.savePassword, PasswordStore::mailValueName(), s.mail.password);

    // opis.txt ends up holding the information text; the meta description is only its copy.
    storeMemo(s, &Settings::welcomeText, folder.dataFile(QStringLiteral("powitanie.txt")), failures);
    storeMemo(s, &Settings::regulationText, folder.dataFile(QStringLiteral("regulamin.txt")), failures);
    storeMemo(s, &Settings::metaKeywords, folder.dataFile(QStringLiteral("klucze.txt")), failures);
    storeMemo(s, &Settings::infoText, folder.dataFile(QStringLiteral("opis.txt")), failures);

    const QString path = settingsPath(configDir);
    try {
        IniFile ini;
        bool keepCopy = false;
        try {
            ini.load(path);
            // A file with content but nothing SimpleIni understood is kept aside rather than replaced.
            keepCopy = ini.sections().isEmpty() && QFile(path).size() > 0;
        } catch (const AppError&) {
            keepCopy = QFile::exists(path);
        }
        if (keepCopy) {
            QFile::remove(path + QStringLiteral(".bak"));
            QFile::copy(path, path + QStringLiteral(".bak"));
        }
        for (const SettingKey& key : settingKeys())
            ini.setValue(key.section, key.key, storedText(key, s));
        ini.save(path);
    } catch (const AppError& e) {
        failures << e.message();
    }

    storeMemo(s, &Settings::certificates, folder.program() + QStringLiteral("/certyfikaty.txt"), failures);

    if (!failures.isEmpty())
        throw AppError(failures.join(QLatin1Char('\n')));
}

void applyStylePreset(Settings& s, int presetIndex)
{
    struct Preset {
        int header, odd, even, line, font, menu, menuHighlight; // 0xRRGGBB
    };
    static constexpr Preset presets[] = {
        {0xFFFFFF, 0xF3F2E4, 0xE7DFC7, 0xFF8040, 0x808080, 0xF5F5F5, 0xFF8040}, // Soft orange
        {0xE4F2F2, 0xFFFFFF, 0xE4F2F2, 0x94CDCD, 0x000000, 0xE4F2F2, 0x94CDCD}, // Ocean
        {0xFFFFFF, 0xFFFFFF, 0xF0F0F0, 0x000000, 0x000000, 0xDBDBDB, 0x808080}, // Silver
        {0xFE9900, 0xFE9900, 0xFFC164, 0xDE500C, 0x000000, 0xFF8000, 0xFFFF80}, // Orange
        {0x9090D4, 0x9090D4, 0xBCBCD4, 0x9090D4, 0x000000, 0xB4B4E2, 0xFFFFFF}, // Blue
    };
    if (presetIndex < 0 || presetIndex >= int(std::size(presets)))
        return;
    const Preset& p = presets[presetIndex];
    auto c = [](int rgb) { return colorFromRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF); };
    s.headerColor = c(p.header);
    s.oddColor = c(p.odd);
    s.evenColor = c(p.even);
    s.lineColor = c(p.line);
    s.font.color = c(p.font);
    s.options.menuColor = c(p.menu);
    s.options.menuHighlightColor = c(p.menuHighlight);
}

QStringList stylePresetNames()
{
    return {QStringLiteral("Soft orange"), QStringLiteral("Ocean"), QStringLiteral("Silver"),
            QStringLiteral("Orange"), QStringLiteral("Blue")};
}

QStringList markerNames()
{
    return {QStringLiteral("button"), QStringLiteral("star"), QStringLiteral("flat button")};
}

QStringList textFlowNames()
{
    return {QStringLiteral("flow picture"), QStringLiteral("below picture")};
}

QStringList alignmentNames()
{
    return {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")};
}

QStringList themeNames()
{
    return {QStringLiteral("Classic (frames)"), QStringLiteral("Modern")};
}

QString currencyCodeOf(const ShopOptions& options)
{
    if (!options.currencyCode.trimmed().isEmpty())
        return options.currencyCode.trimmed().toUpper();
    // The currency box offers "$ net", "€ gross" and the like: the symbol is the first word.
    const QString symbol = options.currency.trimmed().section(QLatin1Char(' '), 0, 0).toLower();
    if (symbol == QStringLiteral("zł") || symbol == QStringLiteral("zl") || symbol == QStringLiteral("pln"))
        return QStringLiteral("PLN");
    if (symbol == QStringLiteral("€") || symbol == QStringLiteral("eur"))
        return QStringLiteral("EUR");
    if (symbol == QStringLiteral("$") || symbol == QStringLiteral("usd"))
        return QStringLiteral("USD");
    return {};
}

QStringList invoicePrintForms()
{
    return {QStringLiteral("oryginał/kopia 1x"),
            QStringLiteral("oryginał/kopia 2x"),
            QStringLiteral("oryginał i kopia osobno 1x"),
            QStringLiteral("oryginał i dwie kopie osobno"),
            QStringLiteral("tylko oryginał"),
            QStringLiteral("tylko kopia"),
            QStringLiteral("bez napisu"),
            QStringLiteral("Duplikat")};
}

QStringList invoiceStyles()
{
    return {QStringLiteral("Klasyczny układ faktury"), QStringLiteral("Tryb ekonomiczny"),
            QStringLiteral("Układ geometryczny"),      QStringLiteral("Odcień szarości"),
            QStringLiteral("Układ Kalmenor"),          QStringLiteral("Niebieski obszar"),
            QStringLiteral("Popielate pola"),          QStringLiteral("Zielony obszar")};
}

} // namespace shell
