#pragma once

// dBASE files built byte by byte in every header layout, for the variants the sample files do not cover.

#include <QByteArray>
#include <QVector>
#include <QtEndian>

#include <cstring>

namespace dbasebuilder {

struct Field {
    QByteArray name;
    char type;
    int length;
    int decimals = 0;
    int flags = 0;    // Visual FoxPro field flags (0x02 nullable, 0x0C auto-increment)
    quint32 next = 0; // next auto-increment value
    int step = 0;
};

struct Layout {
    int languageDriver = 0;
    bool endMark = true;
};

inline int recordLength(const QVector<Field>& fields)
{
    int length = 1;
    for (const Field& f : fields)
        length += f.length;
    return length;
}

// records: whole records, deletion mark included.
inline QByteArray build(int version, const QVector<Field>& fields, const QVector<QByteArray>& records,
                        Layout layout = {})
{
    const bool dbase2 = version == 0x02;
    const bool dbase7 = version == 0x04 || version == 0x8C;
    const bool fox = version >= 0x30 && version <= 0x32;
    const int start = dbase2 ? 8 : dbase7 ? 68 : 32;
    const int size = dbase2 ? 16 : dbase7 ? 48 : 32;
    int headerLength = start + size * int(fields.size()) + (layout.endMark ? 1 : 0) + (fox ? 263 : 0);
    if (dbase2)
        headerLength = 521;
    QByteArray out(headerLength, '\0');
    auto* h = reinterpret_cast<uchar*>(out.data());
    h[0] = uchar(version);
    const int reclen = recordLength(fields);
    if (dbase2) {
        qToLittleEndian<quint16>(quint16(records.size()), h + 1);
        h[3] = 7;
        h[4] = 1;
        h[5] = 85;
        qToLittleEndian<quint16>(quint16(reclen), h + 6);
    } else {
        h[1] = 124;
        h[2] = 1;
        h[3] = 1;
        qToLittleEndian<quint32>(quint32(records.size()), h + 4);
        qToLittleEndian<quint16>(quint16(headerLength), h + 8);
        qToLittleEndian<quint16>(quint16(reclen), h + 10);
        h[29] = uchar(layout.languageDriver);
    }
    int offset = 1;
    for (int i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        uchar* d = h + start + size * i;
        std::memcpy(d, f.name.constData(), f.name.size());
        if (dbase7) {
            d[32] = uchar(f.type);
            d[33] = uchar(f.length);
            d[34] = uchar(f.decimals);
            qToLittleEndian<quint32>(f.next, d + 40);
        } else if (dbase2) {
            d[11] = uchar(f.type);
            d[12] = uchar(f.length);
            d[15] = uchar(f.decimals);
        } else {
            d[11] = uchar(f.type);
            qToLittleEndian<quint32>(quint32(offset), d + 12);
            d[16] = uchar(f.length);
            d[17] = uchar(f.decimals);
            d[18] = uchar(f.flags);
            qToLittleEndian<quint32>(f.next, d + 19);
            d[23] = uchar(f.step);
        }
        offset += f.length;
    }
    if (layout.endMark || dbase2)
        h[start + size * fields.size()] = 0x0D;
    for (const QByteArray& r : records)
        out += r.leftJustified(reclen, ' ', true);
    out += '\x1A';
    return out;
}

inline QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<qint32>(v, b.data());
    return b;
}

inline QByteArray be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}

} // namespace dbasebuilder
