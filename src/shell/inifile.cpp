#include "shell/inifile.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QFile>
// Header-only use: UTF-8 in, UTF-8 out, no wide-character converter needed.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <string>

struct IniFile::Data {
    // Case-insensitive names; UTF-8 inside, whatever the file's own encoding.
    CSimpleIniA ini{true, false, false};
    Data() { ini.SetSpaces(false); }
};

IniFile::IniFile() : m_data(std::make_unique<Data>()) {}
IniFile::~IniFile() = default;

void IniFile::load(const QString& path)
{
    if (!QFile::exists(path)) {
        loadText({});
        return;
    }
    loadText(textfile::read(path));
}

void IniFile::loadText(const QString& text)
{
    m_data->ini.Reset();
    const QByteArray utf8 = text.toUtf8();
    // SimpleIni skips lines it cannot make sense of, so garbage yields an empty document.
    if (m_data->ini.LoadData(utf8.constData(), size_t(utf8.size())) < 0)
        throw AppError(QStringLiteral("Cannot parse the settings text"));
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const char* v = m_data->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!v)
        return std::nullopt;
    return QString::fromUtf8(v);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    // SetValue copies the strings; an existing key keeps its spelling and place.
    if (m_data->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(),
                             value.toUtf8().constData())
        < 0)
        throw AppError(QStringLiteral("Cannot set %1/%2").arg(section, key));
}

bool IniFile::remove(const QString& section, const QString& key)
{
    return m_data->ini.Delete(section.toUtf8().constData(), key.toUtf8().constData(), true);
}

QStringList IniFile::sections() const
{
    CSimpleIniA::TNamesDepend names;
    m_data->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    CSimpleIniA::TNamesDepend names;
    m_data->ini.GetAllKeys(section.toUtf8().constData(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList out;
    for (const auto& n : names)
        out << QString::fromUtf8(n.pItem);
    return out;
}

QString IniFile::text() const
{
    std::string out;
    if (m_data->ini.Save(out, false) < 0)
        throw AppError(QStringLiteral("Cannot compose the settings text"));
    return QString::fromUtf8(out);
}

void IniFile::save(const QString& path) const
{
    QString t = text();
    // Windows profile files use CR LF; SimpleIni writes the platform's line end.
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    textfile::writeBytes(path, textfile::encode(t));
}
