#include "importer/commandline.h"

#include "importer/tableexport.h"
#include "importer/tableimport.h"
#include "shell/consoleinteraction.h"
#include "shell/error.h"
#include "shell/tables/query.h"
#include "shell/tables/table.h"
#include "shell/textfile.h"

#include <QCommandLineParser>
#include <QSet>

namespace importer {

namespace {

const char* const kUsage =
    "usage:\n"
    "  importer copy SOURCE TARGET [--replace] [--skip-source N,...] [--skip-target N,...] [--yes]\n"
    "  importer export (--html | --text [--separator S]) (SOURCE | --sql STATEMENT) OUTPUT\n"
    "Field numbers count from 0 in the table's field order.\n";

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

Mapping positionalMapping(const tables::Table& table, const QSet<int>& skipped)
{
    Mapping rows;
    const QVector<tables::Field>& fields = table.fields();
    for (int i = 0; i < fields.size(); ++i)
        rows.push_back({fields[i].name, skipped.contains(i), i});
    return rows;
}

} // namespace

bool CommandLine::hasVerb(const QStringList& arguments)
{
    return arguments.size() > 1
           && (arguments[1] == QLatin1String("copy") || arguments[1] == QLatin1String("export")
               || arguments[1] == QLatin1String("--help") || arguments[1] == QLatin1String("-h"));
}

int CommandLine::run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    try {
        if (arguments.size() > 1 && arguments[1] == QLatin1String("copy"))
            return copy(arguments, out, err);
        if (arguments.size() > 1 && arguments[1] == QLatin1String("export"))
            return exportTable(arguments, out, err);
        out << kUsage;
        return arguments.size() > 1
                       && (arguments[1] == QLatin1String("--help") || arguments[1] == QLatin1String("-h"))
                   ? 0
                   : 2;
    } catch (const std::exception& e) {
        err << "importer: " << messageOf(e) << Qt::endl;
        return 1;
    }
}

int CommandLine::copy(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("Delete the target's records first."));
    const QCommandLineOption skipSource(QStringLiteral("skip-source"),
                                        QStringLiteral("Source fields to skip."), QStringLiteral("N,..."));
    const QCommandLineOption skipTarget(QStringLiteral("skip-target"),
                                        QStringLiteral("Target fields to skip."), QStringLiteral("N,..."));
    const QCommandLineOption yes(QStringLiteral("yes"), QStringLiteral("Answer Yes to every question."));
    parser.addOptions({replace, skipSource, skipTarget, yes});
    QStringList args = arguments;
    args.removeAt(1);
    if (!parser.parse(args)) {
        err << "importer copy: " << parser.errorText() << Qt::endl << kUsage;
        return 2;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 2) {
        err << "importer copy: give SOURCE and TARGET" << Qt::endl << kUsage;
        return 2;
    }
    QSet<int> skippedSource, skippedTarget;
    if (!parseNumbers(parser.value(skipSource), &skippedSource)
        || !parseNumbers(parser.value(skipTarget), &skippedTarget)) {
        err << "importer copy: --skip-source and --skip-target take field numbers separated by commas"
            << Qt::endl;
        return 2;
    }

    tables::Table source, target;
    source.open(positional[0]);
    target.open(positional[1]);
    for (int n : std::as_const(skippedSource))
        if (n >= source.fields().size())
            throw AppError(QStringLiteral("%1 has no field number %2").arg(source.sourceName()).arg(n));
    for (int n : std::as_const(skippedTarget))
        if (n >= target.fields().size())
            throw AppError(QStringLiteral("%1 has no field number %2").arg(target.sourceName()).arg(n));

    ConsoleInteraction interaction(out, err, parser.isSet(yes));
    TableImport import(source, target, interaction);
    // Every moved record would drown the errors and the summary.
    import.reportMovedRecords = false;
    import.onHistory = [&](const QString& line) { out << line << '\n';
};
const auto outcome =
    import.run(positionalMapping(source, skippedSource), positionalMapping(target, skippedTarget),
               parser.isSet(replace) ? ImportMode::Replace : ImportMode::Append);
out.flush();
if (outcome == TableImport::Outcome::Refused)
    return 1;
if (outcome == TableImport::Outcome::Cancelled) {
    err << "importer copy: stopped" << Qt::endl;
    return 1;
}
return import.errorCount() == 0 ? 0 : 1;
} // namespace importer

int CommandLine::exportTable(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    Q_UNUSED(out);
    QCommandLineParser parser;
    const QCommandLineOption html(QStringLiteral("html"), QStringLiteral("Write an HTML table."));
    const QCommandLineOption text(QStringLiteral("text"), QStringLiteral("Write delimited text."));
    const QCommandLineOption separator(QStringLiteral("separator"),
                                       QStringLiteral("Field separator (Tab or a character)."),
                                       QStringLiteral("S"), QStringLiteral("|"));
    const QCommandLineOption sql(QStringLiteral("sql"), QStringLiteral("Export the result of a statement."),
                                 QStringLiteral("STATEMENT"));
    parser.addOptions({html, text, separator, sql});
    QStringList args = arguments;
    args.removeAt(1);
    if (!parser.parse(args)) {
        err << "importer export: " << parser.errorText() << Qt::endl << kUsage;
        return 2;
    }
    const QStringList positional = parser.positionalArguments();
    const bool fromSql = parser.isSet(sql);
    if (parser.isSet(html) == parser.isSet(text) || positional.size() != (fromSql ? 1 : 2)
        || (parser.isSet(separator) && !parser.isSet(text)) || parser.value(separator).isEmpty()) {
        err << "importer export: give --html or --text, and SOURCE OUTPUT or --sql STATEMENT OUTPUT"
            << Qt::endl
            << kUsage;
        return 2;
    }
    const QString output = positional.last();

    std::unique_ptr<tables::DataSet> data;
    if (fromSql) {
        auto query = std::make_unique<tables::Query>();
        query->open(parser.value(sql));
        if (!query->isOpen())
            throw AppError(QStringLiteral("the statement returns no records to export"));
        data = std::move(query);
    } else {
        auto table = std::make_unique<tables::Table>();
        table->open(positional[0]);
        data = std::move(table);
    }
    ExportSettings settings;
    const QByteArray bytes =
        parser.isSet(html) ? TableExport::html(*data, settings)
                           : TableExport::text(*data, ExportSettings::separatorFor(parser.value(separator)));
    textfile::writeBytes(output, bytes);
    return 0;
}

} // namespace importer
