#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace shell {

// An INI file kept whole in memory: section and key names compared without regard to case, values
// stored verbatim, every line the program does not touch (unknown keys, sections, comments) written
// back as it was. Text is decoded like every other text file of the program.
class IniFile {
public:
    IniFile();
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // A missing file gives an empty document. Throws AppError when the file exists but cannot be read.
    // A UTF-16 file (with its byte-order mark) is read as such; stray NUL bytes are dropped with a
    // warning. When the file may hold more than was understood, the next save to the same path first
    // keeps the original bytes as path + ".bak".
    void load(const QString& path);
    void loadText(const QString& text);

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    bool remove(const QString& section, const QString& key);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // What load noticed about the file (NUL bytes dropped, keys it could not read); empty when clean.
    QStringList warnings() const;

    QString text() const;
    // Atomic (write beside, then rename). Throws AppError.
    void save(const QString& path) const;

private:
    struct Data;
    std::unique_ptr<Data> m_data;
};

} // namespace shell
