#pragma once
// Unpacks the stored text of a code page table (see CodePageData.h) into the table bytes:
// "x" + base64 of the table, or "c" + base64 of the magic E1 A7 94 B3, the unpacked length
// (32-bit little-endian) and a bzip2 stream. A wrong magic, a bad base64 character, a broken
// bzip2 stream or a length that does not match give false and an empty table.

class DataBuffer;

// `pieces` ends with a null pointer; the pieces are joined before decoding.
bool UnpackStoredTable(const char* const* pieces, DataBuffer& table);
