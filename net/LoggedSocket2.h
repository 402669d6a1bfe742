#pragma once
// LoggedSocket2: the connection object the HTTP client holds for every connection. It owns one
// plain QuorvelSocket and, for "https", a secure channel, offers the operations of both under
// one roof (the caller picks the plain or the secure form by the URL's scheme), and keeps an
// optional transcript of every byte sent and received (SocketTranscript).
//
// API summary:
//   Socket()                 the plain socket: SocketConnect, time-outs, IsConnected, ...
//   Transcript()             SetInMemory(on) / SetFile(path); Buffer(); LastDirection()
//   SendBytes/SendText       SendBytes2 of the socket; recorded after a successful send
//   SendBytesDraining        marker first, the bytes after a successful send
//   ReadHeaderBlock, ReadCrlfLine, ReadN      recorded (the new bytes) after success
//   ReadNToOutput, ReadUntilClosed            marker first, each piece as it arrives
//   SecureSend/SecureReceive/SecureClose      forwarded to the attached secure channel; without
//                                             one they fail with "No secure channel is
//                                             available for this connection."
//   Close(log)               closes the plain socket and resets the secure channel
//   SetVerbose(on)           detailed logging of the secure channel
// Every operation returns the result of the one it forwards to. The transcript settings survive
// reconnects.

#include <cstdint>
#include <memory>

#include "core/QuorvelObject.h"
#include "net/QuorvelSocket.h"
#include "net/SecureChannel.h"
#include "net/SocketTranscript.h"

class DataBuffer;
class LogBase;
class OutputSink;
class StringBuffer;

class LoggedSocket2 : public QuorvelObject {
public:
    LoggedSocket2();
    ~LoggedSocket2() override;
    LoggedSocket2(const LoggedSocket2&) = delete;
    LoggedSocket2& operator=(const LoggedSocket2&) = delete;

    QuorvelSocket& Socket() { return socket_; }
    SocketTranscript& Transcript() { return transcript_; }

    // Takes ownership of the channel; the verbose setting is passed on to it.
    void AttachSecureChannel(std::unique_ptr<SecureChannel> channel);
    SecureChannel* Channel() { return channel_.get(); }

    // --- plain forms
    bool SendBytes(const unsigned char* data, uint32_t count, uint32_t maxChunk,
                   SocketReadParams& params, LogBase& log);
    bool SendText(const StringBuffer& text, uint32_t maxChunk, SocketReadParams& params,
                  LogBase& log);
    bool SendBytesDraining(const unsigned char* data, uint32_t count, uint32_t firstChunkSize,
                           uint32_t firstChunkCount, uint32_t laterChunkSize, DataBuffer& received,
                           SocketReadParams& params, LogBase& log);
    bool ReadHeaderBlock(DataBuffer& out, SocketReadParams& params, LogBase& log,
                         uint32_t maxBytes = 0);
    bool ReadCrlfLine(DataBuffer& out, SocketReadParams& params, LogBase& log);
    bool ReadN(uint32_t count, DataBuffer& out, SocketReadParams& params, LogBase& log);
    bool ReadNToOutput(uint64_t count, OutputSink& out, SocketReadParams& params, LogBase& log);
    bool ReadUntilClosed(OutputSink& out, uint32_t chunkSize, SocketReadParams& params,
                         LogBase& log);

    // --- secure forms
    bool SecureSend(const unsigned char* data, uint32_t count, uint32_t idleTimeoutMs,
                    SocketReadParams& params, LogBase& log);
    bool SecureReceive(DataBuffer& target, uint32_t idleTimeoutMs, SocketReadParams& params,
                       bool& endOfData, LogBase& log);
    bool SecureClose(bool closeSocket, uint32_t idleTimeoutMs, SocketReadParams& params,
                     LogBase& log);

    void Close(LogBase& log);
    void SetVerbose(bool on);

private:
    // Run a send or a read and write the transcript around it as the table above says.
    template <class Send>
    bool RecordedSend(const unsigned char* data, uint32_t count, Send send);
    template <class Read>
    bool RecordedRead(DataBuffer& out, Read read);  // the bytes it appended, after success
    template <class Read>
    bool StreamedRead(Read read);  // the marker first; the reader records each piece
    bool NoChannel(LogBase& log) const;

    QuorvelSocket socket_;
    std::unique_ptr<SecureChannel> channel_;
    SocketTranscript transcript_;
    bool verbose_ = false;
};
