#pragma once

#include "shell/settings.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <variant>
#include <vector>

namespace shell {

enum class SettingType { String, Integer, Boolean, Color };

// What a text typed for a String key must look like; the window's own controls already keep to these.
enum class TextRule { Any, Port, Email, WholeNumber, HttpsAddress, Language, CurrencyCode };

// Where a key's value lives in Settings.
using SettingRef = std::variant<QString*, int*, bool*>;

// One key of KVO.INI. The table of all keys is the one place that names sections and keys; the
// defaults are the initial values of the Settings members.
struct SettingKey {
    QString section;
    QString key;
    SettingType type = SettingType::String;
    std::function<SettingRef(Settings&)> ref;
    // Integers that index a list: valid values are 0 … choiceCount-1 (and -1 when noneAllowed).
    int choiceCount = 0;
    bool noneAllowed = false;
    // Names of the list's entries, for messages (may be empty).
    QStringList choiceNames;
    // Integers that are no index: the range a user may give.
    int minimum = std::numeric_limits<int>::min();
    int maximum = std::numeric_limits<int>::max();
    TextRule rule = TextRule::Any;

    QString name() const { return section + QLatin1Char('/') + key; }
};

// Every key, in the order the file is read and written: Faktury, Font, Opcje, Poczta, FTP, Linki.
const std::vector<SettingKey>& settingKeys();
// Case-insensitive lookup of "Section/key"; nullptr when unknown.
const SettingKey* findSettingKey(const QString& sectionSlashKey);

// The text stored in the file: strings verbatim, booleans "1"/"0", integers and colours in decimal.
QString storedText(const SettingKey& key, const Settings& settings);
// Reads a stored text the way the profile functions do: booleans are any non-zero integer, a text that
// does not parse (or an index outside its list) returns false and leaves the member alone.
bool readStoredText(const SettingKey& key, const QString& text, Settings& settings);
// Reads what a user typed on the command line: like readStoredText, and also colours as "#rrggbb" and
// booleans as true/false/yes/no; each key's type, range or list is checked, and line breaks and NUL
// characters are refused (they would start a new line of the file). Returns an error message naming
// the allowed values, empty on success.
QString readUserText(const SettingKey& key, const QString& text, Settings& settings);

// The first installed font family, or empty without a GUI application.
QString firstInstalledFont();

} // namespace shell
