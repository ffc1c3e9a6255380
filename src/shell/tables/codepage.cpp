#include "shell/tables/codepage.h"

#include "shell/tables/messages.h"

#include "shell/error.h"

#include <QMap>
#include <QRegularExpression>

#include <iconv.h>
#include <mutex>

namespace tables {

namespace {

constexpr char16_t replacementChar = 0xFFFD;

// One byte through iconv; replacementChar when the byte means nothing in the code page.
char16_t decodeByte(iconv_t cd, unsigned char byte)
{
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || sizeof out - outLeft != 2)
        return replacementChar;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0])
                                 | (static_cast<unsigned char>(out[1]) << 8));
}

struct ByteChange {
    unsigned char byte;
    char16_t character;
};

// Polish DOS code page Mazovia (620): code page 437 with Polish letters in place of some accented
// Western letters and currency signs. iconv does not know it.
constexpr ByteChange mazoviaChanges[] = {
    {0x86, u'ą'}, {0x8D, u'ć'}, {0x8F, u'Ą'}, {0x90, u'Ę'}, {0x91, u'ę'}, {0x92, u'ł'},
    {0x95, u'Ć'}, {0x98, u'Ś'}, {0x9C, u'Ł'}, {0x9E, u'ś'}, {0xA0, u'Ź'}, {0xA1, u'Ż'},
    {0xA3, u'Ó'}, {0xA4, u'ń'}, {0xA5, u'Ń'}, {0xA6, u'ź'}, {0xA7, u'ż'},
};

// Czech and Slovak DOS code page Kamenický (895), 437 with the upper half's letters replaced.
constexpr ByteChange kamenickyChanges[] = {
    {0x80, u'Č'}, {0x83, u'ď'}, {0x85, u'Ď'}, {0x86, u'Ť'}, {0x87, u'č'}, {0x88, u'ě'}, {0x89, u'Ě'},
    {0x8A, u'Ĺ'}, {0x8B, u'Í'}, {0x8C, u'ľ'}, {0x8D, u'ĺ'}, {0x8F, u'Á'}, {0x91, u'ž'}, {0x92, u'Ž'},
    {0x95, u'Ó'}, {0x96, u'ů'}, {0x97, u'Ú'}, {0x98, u'ý'}, {0x9B, u'Š'}, {0x9C, u'Ľ'}, {0x9D, u'Ý'},
    {0x9E, u'Ř'}, {0x9F, u'ť'}, {0xA4, u'ň'}, {0xA5, u'Ň'}, {0xA6, u'Ů'}, {0xA7, u'Ô'}, {0xA8, u'š'},
    {0xA9, u'ř'}, {0xAA, u'ŕ'}, {0xAB, u'Ŕ'}, {0xAD, u'§'},
};

} // namespace

CodePage::CodePage(const QByteArray& iconvName) : m_name(iconvName.toUpper())
{
    if (m_name == "UTF-8" || m_name == "UTF8") {
        m_name = "UTF-8";
        m_utf8 = true;
        return;
    }
    const bool mazovia = m_name == "MAZOVIA";
    const bool kamenicky = m_name == "KAMENICKY";
    const QByteArray source = mazovia || kamenicky ? QByteArray("CP437") : m_name;
    iconv_t cd = iconv_open("UTF-16LE", source.constData());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw shell::AppError(msg("the code page %1 is not known").arg(QString::fromLatin1(m_name)));
    for (int b = 0; b < 256; ++b)
        m_decode[b] = decodeByte(cd, static_cast<unsigned char>(b));
    iconv_close(cd);
    if (mazovia) {
        for (const ByteChange& c : mazoviaChanges)
            m_decode[c.byte] = c.character;
    }
    if (kamenicky) {
        for (const ByteChange& c : kamenickyChanges)
            m_decode[c.byte] = c.character;
    }
    for (int b = 0; b < 256; ++b) {
        const char16_t c = m_decode[b];
        if (c != replacementChar && !m_encode.contains(c))
            m_encode.insert(c, static_cast<unsigned char>(b));
    }
}

QString CodePage::displayName() const
{
    if (m_name == "MAZOVIA")
        return QStringLiteral("Mazovia (620)");
    if (m_name == "KAMENICKY")
        return QStringLiteral("Kamenický (895)");
    if (m_name.startsWith("CP125"))
        return QStringLiteral("Windows-") + QString::fromLatin1(m_name.mid(2));
    return QString::fromLatin1(m_name);
}

QByteArray CodePage::fromUserChoice(const QString& choice)
{
    const QByteArray text = choice.trimmed().toLatin1();
    QByteArray name = fromCpgText(text);
    if (name.isEmpty() && !text.isEmpty() && choice.trimmed() == QString::fromLatin1(text)) {
        // Any other name iconv knows, as long as each byte is one character.
        iconv_t cd = iconv_open("UTF-16LE", text.toUpper().constData());
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(cd);
            name = text.toUpper();
        }
    }
    try {
        if (!name.isEmpty()) {
            byName(name); // throws when iconv cannot convert it
            return name;
        }
    } catch (const shell::AppError&) {
        // refused below with the same words as an unknown name
    }
    throw shell::AppError(msg("the code page \"%1\" is not known; give a number such as 852 or 1250 (620 "
                              "for Mazovia) or a name such as CP852 or ISO-8859-2")
                              .arg(choice));
}

std::shared_ptr<const CodePage> CodePage::byName(const QByteArray& iconvName)
{
    static std::mutex lock;
    static QMap<QByteArray, std::shared_ptr<const CodePage>> cache;
    const std::lock_guard<std::mutex> guard(lock);
    const QByteArray key = iconvName.toUpper();
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, std::make_shared<const CodePage>(key));
    return it.value();
}

QString CodePage::decode(const char* data, qsizetype size) const
{
    if (m_utf8)
        return QString::fromUtf8(data, size);
    QString text(size, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < size; ++i)
        out[i] = QChar(m_decode[static_cast<unsigned char>(data[i])]);
    return text;
}

bool CodePage::encode(const QString& text, QByteArray& out, QString* missing) const
{
    if (m_utf8) {
        out = text.toUtf8();
        return true;
    }
    out.resize(text.size());
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto it = m_encode.constFind(text.at(i).unicode());
        if (it == m_encode.constEnd()) {
            if (missing) {
                // Name the whole character, also when it is a surrogate pair.
                const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size();
                *missing = text.mid(i, pair ? 2 : 1);
            }
            out.clear();
            return false;
        }
        dst[i] = static_cast<char>(it.value());
    }
    return true;
}

QByteArray CodePage::fromWindowsNumber(int number)
{
    switch (number) {
    case 437:
    case 737:
    case 775:
    case 850:
    case 852:
    case 855:
    case 857:
    case 860:
    case 861:
    case 862:
    case 863:
    case 864:
    case 865:
    case 866:
    case 869:
    case 874:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
        return "CP" + QByteArray::number(number);
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 620:
        return "MAZOVIA";
    case 895:
        return "KAMENICKY";
    case 10000:
        return "MACINTOSH";
    case 10007:
        return "MAC-CYRILLIC";
    case 10029:
        return "MAC-CENTRALEUROPE";
    case 65001:
        return "UTF-8";
    case 28591:
        return "ISO-8859-1";
    case 28592:
        return "ISO-8859-2";
    default:
        return {};
    }
}

QByteArray CodePage::fromDbaseLanguageDriver(int driverByte)
{
    // The language driver identifiers of dBASE and FoxPro, by the code page each stands for.
    static const QMap<int, int> drivers = {
        {0x01, 437},   {0x02, 850},   {0x03, 1252}, {0x08, 865},  {0x09, 437},  {0x0A, 850},  {0x0B, 437},
        {0x0D, 437},   {0x0E, 850},   {0x0F, 437},  {0x10, 850},  {0x11, 437},  {0x12, 850},  {0x13, 932},
        {0x14, 850},   {0x15, 437},   {0x16, 850},  {0x17, 865},  {0x18, 437},  {0x19, 437},  {0x1A, 850},
        {0x1B, 437},   {0x1C, 863},   {0x1D, 850},  {0x1F, 852},  {0x22, 852},  {0x23, 852},  {0x24, 860},
        {0x25, 850},   {0x26, 866},   {0x37, 850},  {0x40, 852},  {0x4D, 936},  {0x4E, 949},  {0x4F, 950},
        {0x50, 874},   {0x57, 1252},  {0x58, 1252}, {0x59, 1252}, {0x64, 852},  {0x65, 866},  {0x66, 865},
        {0x67, 861},   {0x68, 895},   {0x69, 620},  {0x6A, 737},  {0x6B, 857},  {0x6C, 863},  {0x78, 950},
        {0x79, 949},   {0x7A, 936},   {0x7B, 932},  {0x7C, 874},  {0x7D, 1255}, {0x7E, 1256}, {0x04, 10000},
        {0x96, 10007}, {0x97, 10029}, {0x86, 737},  {0x87, 852},  {0x88, 857},  {0xC8, 1250}, {0xC9, 1251},
        {0xCA, 1254},  {0xCB, 1253},  {0xCC, 1257},
    };
    return fromWindowsNumber(drivers.value(driverByte, 0));
}

QByteArray CodePage::fromCpgText(const QByteArray& text)
{
    const QByteArray t = text.trimmed().toUpper();
    if (t.isEmpty())
        return {};
    if (t == "UTF-8" || t == "UTF8")
        return "UTF-8";
    if (t == "MAZOVIA" || t == "CP620")
        return "MAZOVIA";
    if (t == "KAMENICKY" || t == "CP895")
        return "KAMENICKY";
    static const QRegularExpression isoRe(QStringLiteral("^(?:ISO[-_ ]?)?8859[-_ ]?(\\d{1,2})$"));
    const auto iso = isoRe.match(QString::fromLatin1(t));
    if (iso.hasMatch())
        return "ISO-8859-" + iso.captured(1).toLatin1();
    static const QRegularExpression numberRe(
        QStringLiteral("^(?:CP|WINDOWS-|ANSI[-_ ]?|IBM|OEM)?(\\d{3,6})$"));
    const auto number = numberRe.match(QString::fromLatin1(t));
    if (number.hasMatch()) {
        const int n = number.captured(1).toInt();
        if (n >= 88591 && n <= 88599)
            return "ISO-8859-" + QByteArray::number(n - 88590);
        if (n >= 885910 && n <= 885916)
            return "ISO-8859-" + QByteArray::number(n - 885900);
        return fromWindowsNumber(n);
    }
    return {};
}

namespace {

std::mutex fallbackLock;
QByteArray paradoxFallback = "CP850"; // Paradox 3 tables were mostly written on Western European DOS

} // namespace

void setParadoxFallbackCodePage(const QByteArray& name)
{
    const QByteArray iconvName = CodePage::fromCpgText(name);
    if (iconvName.isEmpty())
        throw shell::AppError(msg("the code page %1 is not known").arg(QString::fromLatin1(name)));
    CodePage::byName(iconvName); // throws when iconv cannot convert it
    const std::lock_guard<std::mutex> guard(fallbackLock);
    paradoxFallback = iconvName;
}

QByteArray dbaseFallbackCodePage()
{
    return QByteArrayLiteral("CP1250"); // the single-byte code page of Polish Windows
}

QByteArray paradoxFallbackCodePage()
{
    const std::lock_guard<std::mutex> guard(fallbackLock);
    return paradoxFallback;
}

} // namespace tables
