#include "benchsupport.h"

#include <QTextStream>

namespace bench {

void QuietInteraction::message(const QString& text, const QString&)
{
    QTextStream(stderr) << text << '\n';
}

void QuietInteraction::error(const QString& text)
{
    QTextStream(stderr) << text << '\n';
}

QString productId(int n)
{
    return QStringLiteral("ID%1P").arg(n, 9, 10, QLatin1Char('0'));
}

double seconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace bench
