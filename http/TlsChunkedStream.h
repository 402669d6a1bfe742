#pragma once
// The chunked body of a TLS response, handled as one whole stream: the TLS body reader first
// collects every byte of the chunked stream, then decodes it here in one pass.
//
//   if (IsCompleteChunkedStream(stream)) ...     // does it end with the last chunk?
//   DecodeChunkedStream(stream, body, log, monitor);
//
// Completeness is judged by the stream's last bytes: it is exactly "0\r\n\r\n", or it ends with
// "\r\n0\r\n\r\n" or "\r\n0000\r\n\r\n". Trailer fields are not supported.
//
// Decoding walks the chunks from the start. Each needs at least 10 bytes from its start (the
// stream is padded with 10 NUL bytes, so only a stream cut inside a chunk's CR LF runs short):
//   (1) no such room: "Failed to parse chunked SSL response data. (1)"
//   (2) a size line that does not start with a hexadecimal number (blanks, tabs and line ends
//       before it are skipped): "... (2)"; only white space up to the end of the stream counts
//       as the last chunk, so a stream that ends right after a chunk decodes completely
//   (3) no CR LF after the size (before the first NUL byte): "... (3)"
//   (4) fewer data bytes than the size: "... (4)"
// Chunk extensions after the size are skipped, however long. Every chunk size is sent to the
// monitor as the event "ChunkSize". Decoded bytes stay in `body` also when decoding fails.

#include "core/DataBuffer.h"

class LogBase;
class ProgressMonitor;

bool IsCompleteChunkedStream(const DataBuffer& stream);

bool DecodeChunkedStream(const DataBuffer& stream, DataBuffer& body, LogBase& log,
                         ProgressMonitor* monitor);
