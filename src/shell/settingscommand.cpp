#include "shell/settingscommand.h"

#include "shell/error.h"
#include "shell/inifile.h"
#include "shell/passwordstore.h"
#include "shell/settings.h"
#include "shell/settingskeys.h"

#include <QDir>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>

namespace shell {

#endif

namespace {

QString iniPath(const QString& configDir)
{
    return QDir(configDir).filePath(QStringLiteral("KVO.INI"));
}

// The values in force after start-up: file values over defaults, then the colour preset.
Settings effectiveSettings(const IniFile& ini)
{
    Settings s;
    s.font.family = firstInstalledFont();
    for (const SettingKey& key : settingKeys())
        if (const auto text = ini.value(key.section, key.key))
            readStoredText(key, *text, s);
    applyStylePreset(s, s.options.stylePreset);
    return s;
}

const QString kUsage = QStringLiteral("usage: kalmenor config list\n"
                                      "       kalmenor config get Section/key\n"
                                      "       kalmenor config set Section/key VALUE\n"
                                      "       kalmenor config password ftp|mail [--clear | --empty]\n");

// A settings file that did not read cleanly is said so before anything is written over it.
void loadIni(IniFile& ini, const QString& configDir, const ConfigCommandIo& io)
{
    ini.load(iniPath(configDir));
    for (const QString& warning : ini.warnings())
        *io.err << warning << QStringLiteral(" (a copy is kept as KVO.INI.bak before it is changed)\n");
}

bool isPresetColour(const SettingKey& key)
{
    const QString n = key.name();
    return n == QStringLiteral("Font/kolor") || n == QStringLiteral("Opcje/kolormenu")
           || n == QStringLiteral("Opcje/kolormenu2");
}

int setValue(const QString& name, const QString& value, const QString& configDir, const ConfigCommandIo& io)
{
    const SettingKey* key = findSettingKey(name);
    if (!key) {
        *io.err << QStringLiteral("Unknown setting %1; \"kalmenor config list\" shows them all.\n").arg(name);
        return 2;
    }
    Settings scratch;
    const QString problem = readUserText(*key, value, scratch);
    if (!problem.isEmpty()) {
        *io.err << problem << QLatin1Char('\n');
        return 2;
    }
    IniFile ini;
    loadIni(ini, configDir, io);
    ini.setValue(key->section, key->key, storedText(*key, scratch));
    QDir().mkpath(configDir);
    ini.save(iniPath(configDir));
    const int preset = effectiveSettings(ini).options.stylePreset;
    if (isPresetColour(*key) && preset >= 0)
        *io.err << QStringLiteral(
                       "Note: the colour preset Opcje/Styl=%1 replaces this colour at every start.\n")
                       .arg(preset);
    return 0;
}

int setPassword(const QStringList& args, const QString& configDir, const ConfigCommandIo& io)
{
    const QString which = args.value(1).toLower();
    const bool clear = args.size() == 3 && args[2] == QStringLiteral("--clear");
    const bool allowEmpty = args.size() == 3 && args[2] == QStringLiteral("--empty");
    if ((which != QStringLiteral("ftp") && which != QStringLiteral("mail"))
        || (args.size() == 3 && !clear && !allowEmpty) || args.size() > 3) {
        *io.err << kUsage;
        return 2;
    }
    const bool ftp = which == QStringLiteral("ftp");
    const QString valueName = ftp ? PasswordStore::ftpValueName() : PasswordStore::mailValueName();
    QDir().mkpath(configDir);
    PasswordStore store(configDir);
    if (clear) {
        store.remove(valueName);
    } else {
        const QString password = io.readPassword ? io.readPassword() : readPasswordFromStdin();
        QString problem = PasswordStore::checkPassword(password);
        // An empty line is most often a script whose standard input ran dry, not a wish.
        if (password.isEmpty() && !allowEmpty)
            problem = QStringLiteral("No password was read; give --empty to store an empty one, or --clear "
                                     "to forget it");
        if (!problem.isEmpty()) {
            *io.err << problem << QLatin1Char('\n');
            return 2;
        }
        store.store(valueName, password);
    }
    // The save box goes with the stored value: the window forgets a password whose box is unticked.
    IniFile ini;
    loadIni(ini, configDir, io);
    ini.setValue(ftp ? QStringLiteral("FTP") : QStringLiteral("Poczta"), QStringLiteral("pasword"),
                 clear ? QStringLiteral("0") : QStringLiteral("1"));
    ini.save(iniPath(configDir));
    return 0;
}

} // namespace

int runConfigCommand(const QStringList& args, const QString& configDir, ConfigCommandIo io)
{
    QTextStream defaultOut(stdout);
    QTextStream defaultErr(stderr);
    if (!io.out)
        io.out = &defaultOut;
    if (!io.err)
        io.err = &defaultErr;
    const QString verb = args.value(0);
    try {
        if (verb == QStringLiteral("list") && args.size() == 1) {
            IniFile ini;
            ini.load(iniPath(configDir));
            const Settings s = effectiveSettings(ini);
            for (const SettingKey& key : settingKeys())
                *io.out << key.name() << QLatin1Char('=') << storedText(key, s) << QLatin1Char('\n');
            return 0;
        }
        if (verb == QStringLiteral("get") && args.size() == 2) {
            const SettingKey* key = findSettingKey(args[1]);
            if (!key) {
                *io.err << QStringLiteral("Unknown setting %1; \"kalmenor config list\" shows them all.\n")
                               .arg(args[1]);
                return 2;
            }
            IniFile ini;
            ini.load(iniPath(configDir));
            *io.out << storedText(*key, effectiveSettings(ini)) << QLatin1Char('\n');
            return 0;
        }
        if (verb == QStringLiteral("set") && args.size() == 3)
            return setValue(args[1], args[2], configDir, io);
        if (verb == QStringLiteral("password") && args.size() >= 2)
            return setPassword(args, configDir, io);
    } catch (const AppError& e) {
        *io.err << e.message() << QLatin1Char('\n');
        return 1;
    }
    *io.err << kUsage;
    return 2;
}

QString readPasswordFromStdin()
{
#ifdef Q_OS_UNIX
    termios saved{};
    const bool terminal = isatty(STDIN_FILENO) == 1 && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        std::fputs("Password: ", stderr);
    }
#endif
    std::string line;
    std::getline(std::cin, line);
#ifdef Q_OS_UNIX
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        std::fputs("\n", stderr);
    }
#endif
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line.c_str());
}

} // namespace shell
