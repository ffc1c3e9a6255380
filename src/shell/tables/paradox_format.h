#pragma once

// The layout of Paradox files (.DB tables, .PX primary indexes, .MB blob files) as this program reads and
// writes them. Offsets are bytes from the start of the header or block.

namespace tables::paradox {

// Field types as stored in the header.
enum FieldTypeCode : int {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    MemoBlob = 0x0C,
    Blob = 0x0D,
    FmtMemoBlob = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

// File types.
constexpr int keyedTable = 0;
constexpr int primaryIndex = 1;
constexpr int unkeyedTable = 2;

constexpr int blockHeaderSize = 6; // next block, previous block, bytes of records minus one record

// Header offsets shared by tables and primary indexes.
constexpr int hRecordSize = 0x00;
constexpr int hHeaderSize = 0x02;
constexpr int hFileType = 0x04;
constexpr int hMaxTableSize = 0x05; // block size in KB
constexpr int hRecords = 0x06;
constexpr int hUsedBlocks = 0x0A;
constexpr int hFileBlocks = 0x0C;
constexpr int hFirstBlock = 0x0E;
constexpr int hLastBlock = 0x10;
constexpr int hIndexRoot = 0x1E;   // primary index only
constexpr int hIndexLevels = 0x20; // primary index only
constexpr int hFieldCount = 0x21;
constexpr int hKeyFields = 0x23;
constexpr int hEncryption1 = 0x25; // Paradox 3
constexpr int hVersion = 0x39;
constexpr int hAutoIncrement = 0x49;
constexpr int hFirstFreeBlock = 0x4D;
constexpr int hEncryption2 = 0x5C; // Paradox 4 and later
constexpr int hCodePage = 0x6A;
// Where the field types and sizes start: tables of version 5 and later carry a longer header.
constexpr int fieldInfoShort = 0x58;
constexpr int fieldInfoLong = 0x78;

inline bool isBlobType(int type)
{
    return type == MemoBlob || type == Blob || type == FmtMemoBlob || type == Ole || type == Graphic;
}

// Blob files (.MB): 4 KB blocks; the first one is the header.
constexpr int mbBlockSize = 4096;
constexpr int mbHeaderBlock = 0;
constexpr int mbSingleBlob = 2; // one blob over one or more blocks
constexpr int mbSmallBlobs = 3; // up to 64 small blobs, 16-byte units
constexpr int mbFreeBlock = 4;
constexpr int mbPointerSize = 10;     // offset, length, modification number at the end of a blob field
constexpr int mbSingleHeaderSize = 9; // type, blocks, length, modification number
constexpr int mbSmallEntries = 64;
constexpr int mbSmallTableStart = 12; // entries of 5 bytes
constexpr int mbSmallDataStart = 336; // the first 16-byte unit after the entries
constexpr int mbGraphicPrefix = 8;    // graphic blobs start with 8 bytes before the picture itself

} // namespace tables::paradox
