#include "net/LoggedSocket2.h"

#include "core/DataBuffer.h"
#include "core/LogBase.h"
#include "core/StringBuffer.h"

LoggedSocket2::LoggedSocket2() = default;

LoggedSocket2::~LoggedSocket2() = default;

void LoggedSocket2::AttachSecureChannel(std::unique_ptr<SecureChannel> channel) {
    channel_ = std::move(channel);
    if (channel_) {
        channel_->SetVerbose(verbose_);
    }
}

template <class Send>
bool LoggedSocket2::RecordedSend(const unsigned char* data, uint32_t count, Send send) {
    const bool sent = send();
    if (sent) {
        transcript_.Record(SocketTranscript::kSent, data, count);
    }
    transcript_.NoteDirection(SocketTranscript::kSent);
    return sent;
}

template <class Read>
bool LoggedSocket2::RecordedRead(DataBuffer& out, Read read) {
    const uint32_t before = out.GetSize();
    const bool succeeded = read();
    if (succeeded && out.GetSize() > before) {
        transcript_.Record(SocketTranscript::kReceived, out.GetData() + before,
                           out.GetSize() - before);
    }
    transcript_.NoteDirection(SocketTranscript::kReceived);
    return succeeded;
}

template <class Read>
bool LoggedSocket2::StreamedRead(Read read) {
    transcript_.Mark(SocketTranscript::kReceived);
    const bool succeeded = read();
    transcript_.NoteDirection(SocketTranscript::kReceived);
    return succeeded;
}

bool LoggedSocket2::SendBytes(const unsigned char* data, uint32_t count, uint32_t maxChunk,
                              SocketReadParams& params, LogBase& log) {
    return RecordedSend(data, count,
                        [&] { return socket_.SendBytes2(data, count, maxChunk, params, log); });
}

bool LoggedSocket2::SendText(const StringBuffer& text, uint32_t maxChunk, SocketReadParams& params,
                             LogBase& log) {
    return SendBytes(reinterpret_cast<const unsigned char*>(text.GetString()), text.GetSize(),
                     maxChunk, params, log);
}

bool LoggedSocket2::SendBytesDraining(const unsigned char* data, uint32_t count,
                                      uint32_t firstChunkSize, uint32_t firstChunkCount,
                                      uint32_t laterChunkSize, DataBuffer& received,
                                      SocketReadParams& params, LogBase& log) {
    transcript_.Mark(SocketTranscript::kSent);
    const bool sent = socket_.SendBytesDraining(data, count, firstChunkSize, firstChunkCount,
                                                laterChunkSize, received, params, log);
    if (sent) {
        transcript_.Append(data, count);
    }
    transcript_.NoteDirection(SocketTranscript::kSent);
    return sent;
}

bool LoggedSocket2::ReadHeaderBlock(DataBuffer& out, SocketReadParams& params, LogBase& log,
                                    uint32_t maxBytes) {
    return RecordedRead(out, [&] { return socket_.ReadHeaderBlock(out, params, log, maxBytes); });
}

bool LoggedSocket2::ReadCrlfLine(DataBuffer& out, SocketReadParams& params, LogBase& log) {
    return RecordedRead(out, [&] { return socket_.ReadCrlfLine(out, params, log); });
}

bool LoggedSocket2::ReadN(uint32_t count, DataBuffer& out, SocketReadParams& params, LogBase& log) {
    return RecordedRead(out, [&] { return socket_.ReadN(count, out, params, log); });
}

bool LoggedSocket2::ReadNToOutput(uint64_t count, OutputSink& out, SocketReadParams& params,
                                  LogBase& log) {
    return StreamedRead(
        [&] { return socket_.ReadNToOutput(count, out, params, log, &transcript_); });
}

bool LoggedSocket2::ReadUntilClosed(OutputSink& out, uint32_t chunkSize, SocketReadParams& params,
                                    LogBase& log) {
    return StreamedRead(
        [&] { return socket_.ReadUntilClosed(out, chunkSize, params, log, &transcript_); });
}

bool LoggedSocket2::NoChannel(LogBase& log) const {
    if (channel_) {
        return false;
    }
    log.AddError("No secure channel is available for this connection.");
    return true;
}

bool LoggedSocket2::SecureSend(const unsigned char* data, uint32_t count, uint32_t idleTimeoutMs,
                               SocketReadParams& params, LogBase& log) {
    return RecordedSend(data, count, [&] {
        return !NoChannel(log) && channel_->SendBytes(data, count, idleTimeoutMs, params, log);
    });
}

bool LoggedSocket2::SecureReceive(DataBuffer& target, uint32_t idleTimeoutMs,
                                  SocketReadParams& params, bool& endOfData, LogBase& log) {
    endOfData = false;
    target.Clear();  // the channel replaces the target's bytes
    return RecordedRead(target, [&] {
        return !NoChannel(log) &&
               channel_->ReceiveBytes(target, idleTimeoutMs, params, endOfData, log);
    });
}

bool LoggedSocket2::SecureClose(bool closeSocket, uint32_t idleTimeoutMs, SocketReadParams& params,
                                LogBase& log) {
    return !NoChannel(log) && channel_->CloseChannel(closeSocket, idleTimeoutMs, params, log);
}

void LoggedSocket2::Close(LogBase& log) {
    socket_.CloseSocket(log);
    if (channel_) {
        channel_->CloseSocketAndReset(log);
    }
}

void LoggedSocket2::SetVerbose(bool on) {
    verbose_ = on;
    if (channel_) {
        channel_->SetVerbose(on);
    }
}
