#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstring>
#include <functional>

class QIODevice;

namespace importer {

// Where an export writes: bytes gather in one large buffer that goes to the device each time it fills,
// never record by record. Without a device every byte stays in memory for take().
class ExportSink {
public:
    ExportSink() = default;
    explicit ExportSink(QIODevice& device) : m_device(&device) {}
    ExportSink(const ExportSink&) = delete;
    ExportSink& operator=(const ExportSink&) = delete;

    void append(const char* data, qsizetype size)
    {
        if (m_end - m_pos < size)
            makeRoom(size);
        if (size > 0)
            memcpy(m_pos, data, size_t(size));
        m_pos += size;
    }
    void append(QByteArrayView bytes) { append(bytes.data(), bytes.size()); }
    void append(char c)
    {
        if (m_pos == m_end)
            makeRoom(1);
        *m_pos++ = c;
    }
    // Room for `size` bytes written in place; commit(n) keeps the first n of them.
    char* reserve(qsizetype size)
    {
        if (m_end - m_pos < size)
            makeRoom(size);
        return m_pos;
    }
    void commit(qsizetype written) { m_pos += written; }

    // Hands what is buffered to the device; throws AppError when it refuses.
    void flush();
    // Everything written, when there is no device.
    QByteArray take();

private:
    void makeRoom(qsizetype size);

    QIODevice* m_device = nullptr;
    QByteArray m_buffer;
    char* m_pos = nullptr;
    char* m_end = nullptr;
};

// Writes a file through a sink: beside the file first, renamed over it only when write returns.
void writeExportFile(const QString& path, const std::function<void(ExportSink&)>& write);

} // namespace importer
