#pragma once
// Gzip: unwraps one gzip member held in memory and inflates its data into a byte buffer.
//
// API summary (the HTTP client's call on a body marked "Content-Encoding: gzip"):
//
//     DataBuffer expanded;
//     if (Gzip::unGzip(body, expanded, log)) {
//         // `expanded` holds the decoded bytes
//     }
//
// - `out` is emptied first and receives the decoded bytes. `in` and `out` may be one buffer
//   (the input is copied first; "Out of memory." and nothing touched if that fails).
// - False, with one of these errors in `log`, when the member cannot be read: "Gzip data too
//   small" (under 10 bytes), "Invalid GZip ID" (not 1F 8B), "Invalid GZip compression method"
//   (not 8), "Buffer would have been overrun" (FEXTRA, FNAME, FCOMMENT or FHCRC run past the
//   end), "Not enough data for trailing CRC32 or ISIZE" (fewer than 8 bytes after the header);
//   or when inflating fails ("Sink write failed." when the output cannot grow, each followed by
//   "Inflate from memory source failed." and "Compressed to uncompressed failed."); `out` then
//   holds what was decoded.
// - True otherwise, also when the deflate data is truncated or damaged: `out` holds everything
//   decoded before the damage. Exactly 8 bytes after the header: true with empty output.
// - Only the first member is decoded; bytes after its last block are ignored. The trailer's
//   CRC-32 and ISIZE are not checked (ISIZE only sizes the output), nor the header CRC, MTIME,
//   XFL, OS or the reserved flags.
// - Logs "CompressedSize" and "UncompressedSize" (the trailer's ISIZE) as data.

class DataBuffer;
class LogBase;

class Gzip {
public:
    static bool unGzip(const DataBuffer& in, DataBuffer& out, LogBase& log);
};
