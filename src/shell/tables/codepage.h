#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <memory>

namespace tables {

// The code page text of a dBASE or Paradox file is stored in. Single-byte code pages are turned into
// 256-entry tables once (through iconv, or our own table for Mazovia and Kamenický), so decoding a record
// costs a table look-up per byte; UTF-8 (a .cpg may name it) is handled by Qt.
class CodePage {
public:
    // A code page by its iconv name ("CP1250", "CP852", "ISO-8859-2", "UTF-8"); throws AppError when iconv
    // does not know it. Instances are shared and never change.
    static std::shared_ptr<const CodePage> byName(const QByteArray& iconvName);

    QByteArray name() const { return m_name; }
    // As the user knows it: "Windows-1250", "Mazovia (620)", "CP852".
    QString displayName() const;
    bool isUtf8() const { return m_utf8; }

    QString decode(const char* data, qsizetype size) const;
    QString decode(const QByteArray& bytes) const { return decode(bytes.constData(), bytes.size()); }
    // Encodes text. Returns false when a character has no byte in this code page; *missing then names it.
    bool encode(const QString& text, QByteArray& out, QString* missing = nullptr) const;

    // iconv names for the numbers and labels table files use; empty when unknown.
    static QByteArray fromWindowsNumber(int number);           // 437, 850, 852, 1250, 1252, ...
    static QByteArray fromDbaseLanguageDriver(int driverByte); // header byte 29 of a .dbf
    static QByteArray fromCpgText(const QByteArray& text);     // contents of a .cpg file
    // A code page the user typed: a number (852, 1250, 620 for Mazovia) or any name iconv knows;
    // throws AppError saying what is accepted when it is neither.
    static QByteArray fromUserChoice(const QString& choice);

    explicit CodePage(const QByteArray& iconvName); // use byName()

private:
    QByteArray m_name;
    bool m_utf8 = false;
    char16_t m_decode[256] = {};
    QHash<char16_t, unsigned char> m_encode;
};

// Code pages assumed for files that do not name theirs: a dBASE file without language driver byte or .cpg
// (Windows-1250) and a Paradox 3 table (850 unless set). Names as CodePage::fromCpgText takes them ("852",
// "CP1250", "ISO-8859-2"); an unknown name throws AppError and changes nothing. Tables opened afterwards
// use the new setting.
void setParadoxFallbackCodePage(const QByteArray& name);
QByteArray dbaseFallbackCodePage();
QByteArray paradoxFallbackCodePage();

} // namespace tables
