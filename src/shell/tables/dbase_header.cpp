#include "shell/tables/dbase_header.h"

#include "shell/tables/messages.h"

#include "shell/tables/tablefilesupport.h"

#include <QtEndian>

#include <limits>

namespace tables::dbase {

namespace {

constexpr int descriptorSize = 32;
constexpr int dbase7DescriptorSize = 48;
constexpr int dbase7Descriptors = 68;
constexpr int dbase2DescriptorSize = 16;
constexpr int dbase2MaxFields = 32;
constexpr char fieldListEnd = 0x0D;

// Within a descriptor of dBASE III/IV and Visual FoxPro.
namespace field {
constexpr int type = 11;
constexpr int length = 16;
constexpr int decimals = 17;
constexpr int foxFlags = 18;
constexpr int foxNextValue = 19;
constexpr int foxStep = 23;
} // namespace field

// Within a dBASE 7 descriptor.
namespace field7 {
constexpr int nameLength = 32;
constexpr int type = 32;
constexpr int length = 33;
constexpr int decimals = 34;
constexpr int nextValue = 40;
} // namespace field7

// Within a dBASE II descriptor.
namespace field2 {
constexpr int type = 11;
constexpr int length = 12;
constexpr int decimals = 15;
} // namespace field2

namespace foxFlag {
constexpr int nullable = 0x02;
constexpr int autoIncrement = 0x0C;
} // namespace foxFlag

bool knownVersion(int version, Dialect& dialect)
{
    switch (version) {
    case 0x02:
        dialect = Dialect::Dbase2;
        return true;
    case 0x03:
    case 0x83:
    case 0xF5:
    case 0xFB:
        dialect = Dialect::Dbase3;
        return true;
    case 0x05:
    case 0x43:
    case 0x63:
    case 0x8B:
    case 0xCB:
        dialect = Dialect::Dbase4;
        return true;
    case 0x04:
    case 0x8C:
        dialect = Dialect::Dbase7;
        return true;
    case 0x30:
    case 0x31:
    case 0x32:
        dialect = Dialect::VisualFoxPro;
        return true;
    default:
        return false;
    }
}

QByteArray nameOf(const uchar* d, int room)
{
    int length = 0;
    while (length < room && d[length] != 0)
        ++length;
    return QByteArray(reinterpret_cast<const char*>(d), length).trimmed();
}

// Decides storage and engine type; false when the width does not suit the type.
bool classify(FieldLayout& f, Dialect dialect)
{
    const bool fox = dialect == Dialect::VisualFoxPro;
    const bool d7 = dialect == Dialect::Dbase7;
    const auto fixed = [&](Storage storage, FieldType type, int width) {
        f.storage = storage;
        f.engineType = type;
        return f.length == width;
    };
    switch (f.type) {
    case 'C':
        f.storage = Storage::Text;
        f.engineType = FieldType::Alpha;
        return true;
    case 'N':
    case 'F':
        f.storage = Storage::Numeric;
        f.engineType =
            f.type == 'N' && f.decimals == 0 && f.length <= 18 ? FieldType::Integer : FieldType::Number;
        return true;
    case 'D':
        if (f.length != 8)
            return false;
        f.storage = Storage::Date;
        f.engineType = FieldType::Date;
        return true;
    case 'L':
        f.storage = Storage::Logical;
        f.engineType = FieldType::Logical;
        return f.length >= 1;
    case 'M':
        f.storage = Storage::Memo;
        f.engineType = FieldType::Memo;
        return f.length == 10 || f.length == 4;
    case 'G':
    case 'P':
    case 'W':
        f.storage = Storage::BinaryMemo;
        f.engineType = f.type == 'W' ? FieldType::Binary : FieldType::Graphic;
        return f.length == 10 || f.length == 4;
    case 'B':
        if (fox)
            return fixed(Storage::FoxDouble, FieldType::Number, 8);
        f.storage = Storage::BinaryMemo;
        f.engineType = FieldType::Binary;
        return f.length == 10 || f.length == 4;
    case 'I':
        if (d7)
            return fixed(Storage::Dbase7Long, FieldType::Integer, 4);
        return fixed(Storage::FoxInteger, f.autoIncrement ? FieldType::AutoInc : FieldType::Integer, 4);
    case '+':
        if (!d7)
            break;
        f.autoIncrement = true;
        return fixed(Storage::Dbase7Long, FieldType::AutoInc, 4);
    case 'O':
        if (!d7)
            break;
        return fixed(Storage::Dbase7Double, FieldType::Number, 8);
    case '@':
        if (!d7)
            break;
        return fixed(Storage::Dbase7Stamp, FieldType::Timestamp, 8);
    case 'Y':
        return fixed(Storage::FoxCurrency, FieldType::Money, 8);
    case 'T':
        return fixed(Storage::FoxDateTime, FieldType::Timestamp, 8);
    case 'V':
        if (!fox)
            break;
        f.storage = Storage::VarChar;
        f.engineType = FieldType::Alpha;
        return true;
    case 'Q':
        if (!fox)
            break;
        f.storage = Storage::VarBinary;
        f.engineType = FieldType::Binary;
        return true;
    default:
        break;
    }
    f.storage = Storage::Raw;
    f.engineType = FieldType::Bytes;
    return true;
}

} // namespace

int headerBytesNeeded(const QByteArray& head)
{
    if (head.size() < 32)
        return 32;
    const int version = static_cast<uchar>(head.at(0));
    if (version == 0x02)
        return offsets::dbase2HeaderLength;
    return qFromLittleEndian<quint16>(head.constData() + offsets::headerLength);
}

Header parseHeader(const QByteArray& head, qint64 fileSize, const QString& path)
{
    const auto damaged = [&](const QString& what) {
        failFile(path, msg("the header is damaged (%1)").arg(what));
    };
    if (head.size() < 32 || fileSize < 32)
        failFile(path, msg("the file is too short to be a dBASE table"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    Header hd;
    hd.version = h[offsets::version];
    if (!knownVersion(hd.version, hd.dialect))
        failFile(path, msg("the file is not a dBASE table (unknown version byte 0x%1)")
                           .arg(hd.version, 2, 16, QLatin1Char('0')));
    hd.foxPro = hd.dialect == Dialect::VisualFoxPro || hd.version == 0xF5 || hd.version == 0xFB;

    int descriptors = 32;
    int size = descriptorSize;
    if (hd.dialect == Dialect::Dbase2) {
        hd.records = qFromLittleEndian<quint16>(h + offsets::dbase2RecordCount);
        hd.recordLength = qFromLittleEndian<quint16>(h + offsets::dbase2RecordLength);
        hd.headerLength = offsets::dbase2HeaderLength;
        descriptors = offsets::dbase2Fields;
        size = dbase2DescriptorSize;
    } else {
        hd.records = qFromLittleEndian<quint32>(h + offsets::recordCount);
        hd.headerLength = qFromLittleEndian<quint16>(h + offsets::headerLength);
        hd.recordLength = qFromLittleEndian<quint16>(h + offsets::recordLength);
        hd.languageDriver = h[offsets::languageDriver];
        if (hd.dialect == Dialect::Dbase7) {
            descriptors = dbase7Descriptors;
            size = dbase7DescriptorSize;
        }
    }
    if (hd.headerLength < descriptors || hd.headerLength > fileSize)
        damaged(msg("header length %1 in a file of %2 bytes").arg(hd.headerLength).arg(fileSize));
    if (head.size() < hd.headerLength)
        failFile(path, msg("the header cannot be read"));
    if (hd.records > std::numeric_limits<int>::max())
        damaged(msg("record count %1").arg(hd.records));
    if (hd.recordLength < 1)
        damaged(msg("record length %1").arg(hd.recordLength));

    // The field list ends with its mark or with the header; Visual FoxPro's backlink area follows it.
    int end = hd.headerLength;
    if (hd.dialect == Dialect::Dbase2)
        end = qMin(end, descriptors + dbase2MaxFields * size);
    hd.terminated = false;
    int offset = 1; // after the deletion mark
    QVector<FieldLayout> all;
    for (int at = descriptors; at < end; at += size) {
        const uchar* d = h + at;
        if (d[0] == fieldListEnd) {
            hd.terminated = true;
            break;
        }
        if (at + size > end)
            break;
        FieldLayout f;
        f.descriptor = at;
        if (hd.dialect == Dialect::Dbase7) {
            f.rawName = nameOf(d, field7::nameLength);
            f.type = static_cast<char>(d[field7::type]);
            f.length = d[field7::length];
            f.decimals = d[field7::decimals];
            if (f.type == '+')
                f.nextValue = qFromLittleEndian<quint32>(d + field7::nextValue);
        } else if (hd.dialect == Dialect::Dbase2) {
            f.rawName = nameOf(d, 11);
            f.type = static_cast<char>(d[field2::type]);
            f.length = d[field2::length];
            f.decimals = d[field2::decimals];
        } else {
            f.rawName = nameOf(d, 11);
            f.type = static_cast<char>(d[field::type]);
            f.length = d[field::length];
            f.decimals = d[field::decimals];
            if (f.type == 'C' || f.type == 'V' || f.type == 'Q') {
                // FoxPro and Clipper keep long character widths in both bytes
                if (f.type == 'C')
                    f.length |= d[field::decimals] << 8;
                f.decimals = 0;
            }
            if (hd.dialect == Dialect::VisualFoxPro) {
                const int flags = d[field::foxFlags];
                f.autoIncrement = f.type == 'I' && (flags & foxFlag::autoIncrement) == foxFlag::autoIncrement;
                f.nextValue = qFromLittleEndian<quint32>(d + field::foxNextValue);
                f.step = qMax(1, int(d[field::foxStep]));
                f.nullBit = (flags & foxFlag::nullable) && f.type != '0' ? 1 : -1; // numbered below
            }
        }
        // A Visual FoxPro header without its end mark: its backlink area is zeros, not fields.
        if (f.rawName.isEmpty() && f.type == 0)
            break;
        if (f.length < 1)
            damaged(msg("field %1 has no width").arg(QString::fromLatin1(f.rawName)));
        f.offset = offset;
        offset += f.length;
        if (offset > hd.recordLength + (hd.dialect == Dialect::Dbase2 ? 1 : 0))
            damaged(msg("the fields are wider than the record length %1").arg(hd.recordLength));
        if (f.type != '0' && !classify(f, hd.dialect))
            damaged(msg("field %1 of type %2 has the width %3")
                        .arg(QString::fromLatin1(f.rawName), QChar::fromLatin1(f.type))
                        .arg(f.length));
        all.push_back(f);
    }
    // dBASE II may count a record without its deletion mark.
    if (hd.dialect == Dialect::Dbase2 && offset > hd.recordLength)
        hd.recordLength = offset;

    int bit = 0;
    for (const FieldLayout& f : std::as_const(all)) {
        if (f.type == '0') {
            hd.nullFlagsOffset = f.offset;
            hd.nullFlagsLength = f.length;
            continue;
        }
        FieldLayout g = f;
        // A varying-length field's bit comes before its null bit.
        if (g.storage == Storage::VarChar || g.storage == Storage::VarBinary)
            g.varLengthBit = bit++;
        if (g.nullBit >= 0)
            g.nullBit = bit++;
        if (g.storage == Storage::Memo || g.storage == Storage::BinaryMemo)
            hd.needsMemo = true;
        hd.fields.push_back(g);
    }
    if (bit > hd.nullFlagsLength * 8) {
        // Without room for the flags, nothing can say which values are NULL or short.
        for (FieldLayout& f : hd.fields) {
            if (f.nullBit >= 0 || f.varLengthBit >= 0)
                damaged(msg("field %1 needs the _NullFlags field, which is missing or too short")
                            .arg(QString::fromLatin1(f.rawName)));
        }
    }
    return hd;
}

} // namespace tables::dbase
