// Reads every record of a dBASE file through the table engine, every field of every record, and prints
// the seconds it took. Used by dbase_read_bench.sh.
#include "shell/tables/query.h"
#include "shell/tables/table.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s table|query FILE.dbf\n", argv[0]);
        return 2;
    }
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    QElapsedTimer timer;
    timer.start();
    qint64 records = 0;
    qint64 bytes = 0;
    try {
        std::unique_ptr<tables::DataSet> data;
        if (mode == QLatin1String("table")) {
            auto table = std::make_unique<tables::Table>();
            table->open(path);
            data = std::move(table);
        } else {
            auto query = std::make_unique<tables::Query>();
            query->open(QStringLiteral("select * from %1").arg(tables::quoteLiteral(path)));
            data = std::move(query);
        }
        const int fields = int(data->fields().size());
        for (data->first(); !data->eof(); data->next()) {
            for (int f = 0; f < fields; ++f)
                bytes += data->value(f).toString().size();
            ++records;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%lld records, %lld characters, %.3f s\n", static_cast<long long>(records),
                static_cast<long long>(bytes), timer.elapsed() / 1000.0);
    return 0;
}
