#include "importer/commandline.h"
#include "programversion.h"

#include "importer/csv.h"
#include "importer/pairing.h"
#include "importer/tablecreator.h"
#include "importer/tableexport.h"
#include "importer/tableimport.h"
#include "shell/consoleinteraction.h"
#include "shell/error.h"
#include "shell/tables/messages.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <memory>

namespace importer {

namespace {

const char* const kUsage =
    "użycie:\n"
    "  importer [SOURCE [TARGET]]   (okna programu, z tymi tabelami)\n"
    "  importer copy SOURCE TARGET [--replace] [--dry-run] [--create [--format sqlite|dbase|paradox]]\n"
    "                [--sorted | --by-name] [--skip-source N,...] [--skip-target N,...] [--yes]\n"
    "                [--separator S] [--no-header] [--source-codepage CP] [--target-codepage CP]\n"
    "                [--allow-stale-indexes] [--round-numbers]\n"
    "  importer export (--html | --text [--separator S] | --csv [--separator S] [--no-header]\n"
    "                  [--codepage CP]) [--source-codepage CP] (SOURCE | --sql STATEMENT) OUTPUT\n"
    "  importer --help | --version\n"
    "SOURCE and TARGET: a .db/.sqlite/.dbf/Paradox table file, FILE::TABLE for one table of an SQLite\n"
    "database, or (SOURCE only) a .csv file. Field numbers count from 0 in the table's field order.\n"
    "--text writes every field followed by the separator and does not quote; --csv writes RFC 4180.\n"
    "--create makes TARGET from the source's fields: .dbf a dBASE table (code page UTF-8 unless\n"
    "--target-codepage), .db an SQLite table, or with --format paradox an unkeyed Paradox 7 table\n"
    "(code page Windows-1250 unless --target-codepage names another with a number, e.g. 852 or 1252).\n";

// Qt's own options of a windowed program, with the number of values they take.
int qtOptionValues(const QString& argument)
{
    static const QStringList withValue = {
        QStringLiteral("-platform"),      QStringLiteral("-platformpluginpath"),
        QStringLiteral("-platformtheme"), QStringLiteral("-plugin"),
        QStringLiteral("-qmljsdebugger"), QStringLiteral("-style"),
        QStringLiteral("-stylesheet"),    QStringLiteral("-display"),
        QStringLiteral("-geometry"),      QStringLiteral("-qwindowgeometry"),
        QStringLiteral("-qwindowtitle"),  QStringLiteral("-qwindowicon"),
        QStringLiteral("-session")};
    static const QStringList flags = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                      QStringLiteral("-nograb"), QStringLiteral("-dograb"),
                                      QStringLiteral("-sync")};
    if (withValue.contains(argument))
        return 1;
    if (flags.contains(argument))
        return 0;
    return -1;
}

// "1,3" -> {1, 3}; false on anything that is not a list of field numbers.
bool parseNumbers(const QString& text, QSet<int>* numbers)
{
    if (text.trimmed().isEmpty())
        return true;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 0)
            return false;
        numbers->insert(n);
    }
    return true;
}

void markSkipped(Mapping& rows, const QSet<int>& skipped)
{
    for (MappingRow& row : rows)
        if (skipped.contains(row.index))
            row.skipped = true;
}

void checkNumbers(const tables::Table& table, const QSet<int>& numbers)
{
    for (int n : numbers)
        if (n >= table.fields().size())
            throw shell::AppError(QStringLiteral("%1 nie ma pola numer %2").arg(table.sourceName()).arg(n));
}

bool separatorOf(const QString& text, char* separator)
{
    const QString s =
        text == QLatin1String("Tab") || text == QLatin1String("\\t") ? QStringLiteral("\t") : text;
    if (s.size() != 1 || s[0].unicode() > 127 || s[0] == QLatin1Char('"') || s[0] == QLatin1Char('\n')
        || s[0] == QLatin1Char('\r'))
        return false;
    *separator = char(s[0].unicode());
    return true;
}

// The options after the verb (arguments[1]); false, with the usage told, when they do not parse.
bool parseVerb(QCommandLineParser& parser, const QStringList& arguments, QTextStream& err)
{
    QStringList args = arguments;
    args.removeAt(1);
    if (parser.parse(args))
        return true;
    err << "importer " << arguments[1] << ": " << parser.errorText() << Qt::endl << CommandLine::usage();
    return false;
}

// "source.dbf" or "data.csv" opened as a table; a CSV file is read into a table of its own first.
struct OpenedSource {
    std::unique_ptr<CsvSource> csv;
    tables::Table table;
};

} // namespace

QString CommandLine::usage()
{
    return QString::fromUtf8(kUsage);
}

bool CommandLine::hasVerb(const QStringList& arguments)
{
    static const QStringList verbs = {QStringLiteral("copy"),      QStringLiteral("export"),
                                      QStringLiteral("--help"),    QStringLiteral("-h"),
                                      QStringLiteral("--version"), QStringLiteral("-v")};
    return arguments.size() > 1 && verbs.contains(arguments[1]);
}

CommandLine::Face CommandLine::faceOf(const QStringList& arguments, QStringList* files)
{
    if (hasVerb(arguments))
        return Face::Command;
    QStringList found;
    for (int i = 1; i < arguments.size(); ++i) {
        const int values = qtOptionValues(arguments[i]);
        if (values >= 0) {
            i += values;
            continue;
        }
        // Anything else that is not a table file is a mistyped command: the usage says so.
        if (arguments[i].startsWith(QLatin1Char('-'))
            || !QFileInfo(tables::splitTableRef(arguments[i]).file).isFile())
            return Face::Command;
        found << arguments[i];
    }
    if (found.size() > 2)
        return Face::Command;
    if (files)
        *files = found;
    return Face::Windows;
}

int CommandLine::run(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal)
{
    // Importer speaks Polish, the table engine's messages too.
    tables::setMessageLanguage(tables::MessageLanguage::Polish);
    try {
        const QString verb = arguments.value(1);
        if (verb == QLatin1String("copy"))
            return copy(arguments, out, err, terminal);
        if (verb == QLatin1String("export"))
            return exportTable(arguments, out, err);
        if (verb == QLatin1String("--version") || verb == QLatin1String("-v")) {
            out << "importer " << version::importer << Qt::endl;
            return 0;
        }
        if (verb == QLatin1String("--help") || verb == QLatin1String("-h")) {
            out << usage();
            return 0;
        }
        if (!verb.isEmpty() && !verb.startsWith(QLatin1Char('-')))
            err << "importer: nie ma takiego polecenia ani pliku tabeli: " << verb << Qt::endl;
        err << usage();
        return 2;
    } catch (const std::exception& e) {
        err << "importer: " << shell::messageOf(e) << Qt::endl;
        return 1;
    }
}

int CommandLine::copy(const QStringList& arguments, QTextStream& out, QTextStream& err, bool terminal)
{
    QCommandLineParser parser;
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("Delete the target's records first."));
    const QCommandLineOption skipSource(QStringLiteral("skip-source"),
                                        QStringLiteral("Source fields to skip."), QStringLiteral("N,..."));
    const QCommandLineOption skipTarget(QStringLiteral("skip-target"),
                                        QStringLiteral("Target fields to skip."), QStringLiteral("N,..."));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Answer Yes to the type questions."));
    const QCommandLineOption sorted(QStringLiteral("sorted"), QStringLiteral("Pair fields sorted by name."));
    const QCommandLineOption byName(QStringLiteral("by-name"), QStringLiteral("Pair fields of equal name."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Check without writing."));
    const QCommandLineOption create(QStringLiteral("create"), QStringLiteral("Create the target."));
    const QCommandLineOption format(QStringLiteral("format"), QStringLiteral("Format of a created target."),
                                    QStringLiteral("F"));
    const QCommandLineOption separator(QStringLiteral("separator"), QStringLiteral("CSV separator."),
                                       QStringLiteral("S"), QStringLiteral(","));
    const QCommandLineOption noHeader(QStringLiteral("no-header"),
                                      QStringLiteral("CSV without field names."));
    const QCommandLineOption sourceCodePage(QStringLiteral("source-codepage"),
                                            QStringLiteral("Code page of the source."), QStringLiteral("CP"));
    const QCommandLineOption targetCodePage(QStringLiteral("target-codepage"),
                                            QStringLiteral("Code page of the target."), QStringLiteral("CP"));
    const QCommandLineOption allowStale(
        QStringLiteral("allow-stale-indexes"),
        QStringLiteral("Write a dBASE table whose index files will not follow."));
    const QCommandLineOption roundNumbers(QStringLiteral("round-numbers"),
                                          QStringLiteral("Store numbers rounded to the field's decimals."));
    parser.addOptions({replace, skipSource, skipTarget, yes, sorted, byName, dryRun, create, format,
                       separator, noHeader, sourceCodePage, targetCodePage, allowStale, roundNumbers});
    if (!parseVerb(parser, arguments, err))
        return 2;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        err << "importer copy: podaj SOURCE i TARGET" << Qt::endl << usage();
        return 2;
    }
    QSet<int> skippedSource, skippedTarget;
    char csvSeparator = ',';
    if (!parseNumbers(parser.value(skipSource), &skippedSource)
        || !parseNumbers(parser.value(skipTarget), &skippedTarget)) {
        err << "importer copy: --skip-source i --skip-target biorą numery pól rozdzielone przecinkami"
            << Qt::endl;
        return 2;
    }
    if ((parser.isSet(sorted) && parser.isSet(byName)) || !separatorOf(parser.value(separator), &csvSeparator)
        || (parser.isSet(format) && !parser.isSet(create))) {
        err << "importer copy: sprzeczne lub błędne opcje" << Qt::endl << usage();
        return 2;
    }

    OpenedSource source;
    if (isCsvPath(positional[0])) {
        CsvOptions csv;
        csv.separator = csvSeparator;
        csv.header = !parser.isSet(noHeader);
        if (parser.isSet(sourceCodePage))
            csv.codePage = parser.value(sourceCodePage).toLatin1();
        source.csv = std::make_unique<CsvSource>(positional[0], csv);
        source.table.open(source.csv->tablePath());
    } else {
        source.table.setCodePage(parser.value(sourceCodePage));
        source.table.open(positional[0]);
    }
    // Warnings (no code-page mark, a missing memo file ...) are told, and the copy goes on.
    const auto warn = [&](const tables::Table& table) {
        for (const QString& warning : table.openWarnings())
            err << "importer: uwaga: " << warning << Qt::endl;
    };
    warn(source.table);

    // A created target is removed again when the copy does not finish.
    QString created;
    TableCreator::Format createdFormat = TableCreator::Format::Native;
    const auto removeCreated = [&] {
        if (!created.isEmpty())
            TableCreator::remove(created, createdFormat);
        created.clear();
    };
    tables::Table target;
    if (parser.isSet(create)) {
        QStringList renamed;
        createdFormat = TableCreator::formatFor(positional[1], parser.value(format));
        TableCreator::create(positional[1], source.table.fields(), createdFormat,
                             parser.value(targetCodePage).toLatin1(), &renamed,
                             TableCreator::longestTexts(source.table));
        created = positional[1];
        for (const QString& line : std::as_const(renamed))
            out << "skrócona nazwa pola: " << line << '\n';
    }
    try {
        // A created table names its code page already (a dBASE .cpg, a Paradox header).
        if (created.isEmpty())
            target.setCodePage(parser.value(targetCodePage));
        // Granted only by these options, never by --yes.
        target.setAllowStaleIndexes(parser.isSet(allowStale));
        target.setAllowRounding(parser.isSet(roundNumbers));
        target.open(positional[1]);
        warn(target);
        checkNumbers(source.table, skippedSource);
        checkNumbers(target, skippedTarget);

        const PairingRule rule = parser.isSet(byName)   ? PairingRule::ByName
                                 : parser.isSet(sorted) ? PairingRule::Sorted
                                                        : PairingRule::FieldOrder;
        Pairing pairing = Pairing::make(source.table, target, rule);
        markSkipped(pairing.source, skippedSource);
        markSkipped(pairing.target, skippedTarget);
        out << "Pary pól:\n";
        for (const QString& line : pairing.describe())
            out << "  " << line << '\n';

        shell::ConsoleInteraction interaction(out, err, parser.isSet(yes));
        TableImport import(source.table, target, interaction);
        // Every moved record would drown the errors and the summary.
        import.reportMovedRecords = false;
        import.dryRun = parser.isSet(dryRun);
        import.askTypeQuestions = source.csv == nullptr && created.isEmpty();
        const auto printLine = [&](const QString& line) { out << line << '\n'; };
        import.onHistory = printLine;
        QElapsedTimer clock;
        clock.start();
        int total = 0;
        bool progressShown = false;
        const auto setTotal = [&](int maximum) { total = maximum; };
        const auto showProgress = [&](int position) {
            // A line that rewrites itself, once the copy has taken a second.
            if (position % 1000 != 0 || clock.elapsed() < 1000)
                return;
            err << "\r" << position << " / " << total << " rekordów" << Qt::flush;
            progressShown = true;
        };
        if (terminal) {
            import.onProgressRange = setTotal;
            import.onProgress = showProgress;
        }
        const auto outcome = import.run(pairing.source, pairing.target,
                                        parser.isSet(replace) ? ImportMode::Replace : ImportMode::Append);
        if (progressShown)
            err << "\r" << total << " / " << total << " rekordów" << Qt::endl;
        for (const QString& warning : import.warnings())
            err << "importer: uwaga: " << warning << Qt::endl;
        out.flush();
        if (outcome != TableImport::Outcome::Finished || import.dryRun)
            removeCreated();
        if (outcome == TableImport::Outcome::Cancelled)
            err << "importer copy: przerwano" << Qt::endl;
        if (outcome != TableImport::Outcome::Finished)
            return 1;
        // Refused records are the copy's failure; a dry run reports them and succeeds.
        return import.errorCount() == 0 || import.dryRun ? 0 : 1;
    } catch (const std::exception&) {
        target.close();
        removeCreated();
        throw;
    }
}

int CommandLine::exportTable(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Q_UNUSED(out);
    QCommandLineParser parser;
    const QCommandLineOption html(QStringLiteral("html"), QStringLiteral("Write an HTML table."));
    const QCommandLineOption text(QStringLiteral("text"),
                                  QStringLiteral("Write delimited text (not quoted)."));
    const QCommandLineOption csv(QStringLiteral("csv"), QStringLiteral("Write CSV (RFC 4180)."));
    const QCommandLineOption separator(QStringLiteral("separator"), QStringLiteral("Field separator."),
                                       QStringLiteral("S"));
    const QCommandLineOption noHeader(QStringLiteral("no-header"),
                                      QStringLiteral("CSV without field names."));
    const QCommandLineOption codePage(QStringLiteral("codepage"),
                                      QStringLiteral("Code page of the CSV file."), QStringLiteral("CP"));
    const QCommandLineOption sql(QStringLiteral("sql"), QStringLiteral("Export the result of a statement."),
                                 QStringLiteral("STATEMENT"));
    const QCommandLineOption sourceCodePage(QStringLiteral("source-codepage"),
                                            QStringLiteral("Code page of the source."), QStringLiteral("CP"));
    const QCommandLineOption targetCodePage(QStringLiteral("target-codepage"),
                                            QStringLiteral("Code page of the CSV file (as --codepage)."),
                                            QStringLiteral("CP"));
    parser.addOptions({html, text, csv, separator, noHeader, codePage, sql, sourceCodePage, targetCodePage});
    if (!parseVerb(parser, arguments, err))
        return 2;
    const QStringList positional = parser.positionalArguments();
    const bool fromSql = parser.isSet(sql);
    const int kinds = int(parser.isSet(html)) + int(parser.isSet(text)) + int(parser.isSet(csv));
    char csvSeparator = ',';
    if (kinds != 1 || positional.size() != (fromSql ? 1 : 2)
        || (parser.isSet(separator) && parser.isSet(html))
        || (parser.isSet(separator) && parser.value(separator).isEmpty())
        || ((parser.isSet(noHeader) || parser.isSet(codePage) || parser.isSet(targetCodePage))
            && !parser.isSet(csv))
        || (fromSql && parser.isSet(sourceCodePage))
        || (parser.isSet(csv) && parser.isSet(separator)
            && !separatorOf(parser.value(separator), &csvSeparator))) {
        err << "importer export: podaj --html, --text albo --csv oraz SOURCE OUTPUT albo --sql STATEMENT "
               "OUTPUT"
            << Qt::endl
            << usage();
        return 2;
    }
    const QString output = positional.last();

    std::unique_ptr<tables::DataSet> data;
    if (fromSql) {
        auto query = std::make_unique<tables::Query>();
        // An export only reads: a statement that would change data is refused before it runs.
        query->setReadOnly(true);
        query->open(parser.value(sql));
        if (!query->isOpen())
            throw shell::AppError(QStringLiteral("polecenie nie zwraca rekordów do zapisania"));
        data = std::move(query);
    } else {
        auto table = std::make_unique<tables::Table>();
        table->setCodePage(parser.value(sourceCodePage));
        table->open(positional[0]);
        for (const QString& warning : table->openWarnings())
            err << "importer: uwaga: " << warning << Qt::endl;
        data = std::move(table);
    }
    CsvOptions options;
    options.separator = csvSeparator;
    options.header = !parser.isSet(noHeader);
    if (parser.isSet(codePage) || parser.isSet(targetCodePage))
        options.codePage = parser.value(parser.isSet(codePage) ? codePage : targetCodePage).toLatin1();
    const QString textSeparator = ExportSettings::separatorFor(
        parser.value(separator).isEmpty() ? QStringLiteral("|") : parser.value(separator));
    writeExportFile(output, [&](ExportSink& sink) {
        if (parser.isSet(html))
            TableExport::html(*data, ExportSettings(), sink);
        else if (parser.isSet(text))
            TableExport::text(*data, textSeparator, sink);
        else
            Csv::write(*data, options, sink);
    });
    return 0;
}

} // namespace importer
