#include "shell/textfile.h"

#include "shell/error.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <cstdio>

namespace shell {

namespace textfile {
namespace {

// Windows-1250 upper half, 0x80..0xFF; 0 marks an unassigned byte.
constexpr std::array<char16_t, 128> kCp1250 = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021, 0,      0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

bool isValidUtf8(const QByteArray& b, bool* hasNonAscii)
{
    *hasNonAscii = false;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype n = b.size();
    for (qsizetype i = 0; i < n;) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        *hasNonAscii = true;
        int len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || (len == 2 && c < 0xC2) || i + len > n)
            return false;
        for (int k = 1; k < len; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

} // namespace

QString fromCp1250(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out.append(QChar(c));
        else if (kCp1250[c - 0x80] != 0)
            out.append(QChar(kCp1250[c - 0x80]));
        else
            out.append(QChar(c)); // unassigned bytes map to the same code point, so they survive a round trip
    }
    return out;
}

bool toCp1250(const QString& text, QByteArray* out)
{
    out->clear();
    out->reserve(text.size());
    for (QChar qc : text) {
        const char16_t u = qc.unicode();
        if (u < 0x80) {
            out->append(char(u));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 128; ++i)
            if (kCp1250[i] == u || (kCp1250[i] == 0 && u == 0x80 + i)) {
                found = i;
                break;
            }
        if (found < 0)
            return false;
        out->append(char(0x80 + found));
    }
    return true;
}

QString decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    bool nonAscii = false;
    if (isValidUtf8(bytes, &nonAscii) && nonAscii)
        return QString::fromUtf8(bytes);
    return fromCp1250(bytes);
}

QByteArray encode(const QString& text)
{
    QByteArray cp;
    if (toCp1250(text, &cp))
        return cp;
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open file %1: %2").arg(path, f.errorString()));
    return decode(f.readAll());
}

QStringList readLines(const QString& path)
{
    QString text = read(path);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit())
        throw AppError(QStringLiteral("Cannot write file %1: %2").arg(path, f.errorString()));
}

void write(const QString& path, const QString& text)
{
    writeBytes(path, encode(text));
}

void writeLines(const QString& path, const QStringList& lines)
{
    QString text;
    for (const QString& l : lines) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    write(path, text);
}

} // namespace textfile

} // namespace shell
