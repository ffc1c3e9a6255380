#include "shell/inifile.h"

#include "shell/error.h"
#include "shell/textfile.h"

#include <QFile>
// Header-only use: UTF-8 in, UTF-8 out, no wide-character converter needed.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>
#include <string>

namespace shell {

struct IniFile::Data {
    // Case-insensitive names; UTF-8 inside, whatever the file's own encoding.
    CSimpleIniA ini{true, false, false};
    QStringList warnings;
    // The bytes of a file that did not read cleanly, kept beside before the first write over it.
    QString loadedPath;
    QByteArray originalBytes;
    Data() { ini.SetSpaces(false); }
};

namespace {

// UTF-16 files start with their byte-order mark; the profile functions of other programs write them.
bool decodeUtf16(const QByteArray& bytes, QString* text)
{
    if (bytes.startsWith("\xFF\xFE") && bytes.size() % 2 == 0) {
        QByteArray body = bytes.mid(2);
        QList<char16_t> units(body.size() / 2);
        for (qsizetype i = 0; i < units.size(); ++i)
            units[i] = char16_t(uchar(body[2 * i]) | (uchar(body[2 * i + 1]) << 8));
        *text = QString(reinterpret_cast<const QChar*>(units.constData()), units.size());
        return true;
    }
    if (bytes.startsWith("\xFE\xFF") && bytes.size() % 2 == 0) {
        QByteArray body = bytes.mid(2);
        QList<char16_t> units(body.size() / 2);
        for (qsizetype i = 0; i < units.size(); ++i)
            units[i] = char16_t((uchar(body[2 * i]) << 8) | uchar(body[2 * i + 1]));
        *text = QString(reinterpret_cast<const QChar*>(units.constData()), units.size());
        return true;
    }
    return false;
}

// Lines that look like "name=value" inside a section: what the file holds, whether or not it parsed.
int keyLikeLines(const QString& text)
{
    int count = 0;
    bool inSection = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inSection = true;
        else if (inSection && line.contains(QLatin1Char('=')) && !line.startsWith(QLatin1Char(';'))
                 && !line.startsWith(QLatin1Char('#')) && !line.startsWith(QLatin1Char('=')))
            ++count;
    }
    return count;
}

} // namespace

IniFile::IniFile() : m_data(std::make_unique<Data>()) {}
IniFile::~IniFile() = default;

void IniFile::load(const QString& path)
{
    m_data->warnings.clear();
    m_data->loadedPath = path;
    m_data->originalBytes.clear();
    if (!QFile::exists(path)) {
        loadText({});
        return;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file %1: %2").arg(path, f.errorString()));
    const QByteArray bytes = f.readAll();
    QString text;
    bool unclean = false;
    if (decodeUtf16(bytes, &text)) {
        // Written back in the program's own encoding: the original stays beside.
        unclean = true;
    } else {
        QByteArray cleaned = bytes;
        if (cleaned.removeIf([](char c) { return c == '\0'; }).size() != bytes.size()) {
            m_data->warnings << QStringLiteral("%1: NUL bytes dropped while reading").arg(path);
            unclean = true;
        }
        text = textfile::decode(cleaned);
    }
    text.remove(QChar(0));
    QStringList warnings = m_data->warnings;
    loadText(text);
    m_data->warnings = warnings;
    int understood = 0;
    for (const QString& section : sections())
        understood += int(keys(section).size());
    if (understood < keyLikeLines(text)) {
        m_data->warnings << QStringLiteral("%1: %2 of its lines could not be read")
                                .arg(path)
                                .arg(keyLikeLines(text) - understood);
        unclean = true;
    }
    if (unclean)
        m_data->originalBytes = bytes;
}

QStringList IniFile::warnings() const
{
    return m_data->warnings;
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
    if (!m_data->originalBytes.isEmpty() && path == m_data->loadedPath) {
        // Nothing read incompletely is written over before a copy of it is kept.
        textfile::writeBytes(path + QStringLiteral(".bak"), m_data->originalBytes);
        m_data->originalBytes.clear();
    }
    textfile::writeBytes(path, textfile::encode(t));
}

} // namespace shell
