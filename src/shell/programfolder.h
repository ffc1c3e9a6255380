#pragma once

#include <QString>
#include <QStringList>

namespace shell {

// The program folder (current directory at start-up unless given) and the data folder inside it.
// Every path of Kalmenor is built from these two by concatenation.
class ProgramFolder {
public:
    ProgramFolder() = default;
    explicit ProgramFolder(const QString& programDir);

    QString program() const { return m_program; }                       // no trailing separator
    QString data() const { return m_program + QStringLiteral("/Bd/"); } // with the trailing separator
    QString dataFile(const QString& name) const { return data() + name; }
    QString treeFile() const { return dataFile(QStringLiteral("kalmenor.kmr")); }
    QString productsTable() const { return dataFile(QStringLiteral("towary.db")); }
    QString pictures() const { return data() + QStringLiteral("jpg/"); }
    QString work() const { return data() + QStringLiteral("Work/"); }
    QString style() const { return data() + QStringLiteral("Style/"); }
    QString previewShop() const { return data() + QStringLiteral("Temp"); }
    QString publishShop() const { return data() + QStringLiteral("Kalmenor"); }
    QString helpIndex() const { return m_program + QStringLiteral("/help/index.htm"); }
    QString backupRoot() const { return m_program + QStringLiteral("/Kopia Bd"); }

private:
    QString m_program;
};

// A folder that holds a data folder (Bd): the windows open only such a folder, so whatever the user
// adds can be stored.
bool holdsProgramFolder(const QString& dir);

// Program folders opened lately, most recent first, kept in the configuration folder (recent.txt); only
// those that still hold a data folder are returned. remember puts dir first and keeps the last eight.
QStringList recentProgramFolders(const QString& configDir);
void rememberProgramFolder(const QString& configDir, const QString& dir);

} // namespace shell
