#include "shell/tables/messages.h"

#include <QHash>

#include <atomic>

namespace tables {

namespace {

std::atomic<MessageLanguage> language{MessageLanguage::English};

} // namespace

void setMessageLanguage(MessageLanguage chosen)
{
    language = chosen;
}

QString msg(const char* english)
{
    if (language == MessageLanguage::English)
        return QString::fromUtf8(english);
    static const QHash<QByteArray, const char*> polish = [] {
        QHash<QByteArray, const char*> byKey;
        for (const auto& [key, text] : polishMessages())
            byKey.insert(QByteArray(key), text);
        return byKey;
    }();
    const char* text = polish.value(QByteArray::fromRawData(english, qstrlen(english)));
    return QString::fromUtf8(text ? text : english);
}

} // namespace tables
