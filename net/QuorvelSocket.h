#pragma once
// QuorvelSocket: the library's one TCP endpoint. It connects to a host name or numeric address
// within a connect time-out, sends and receives with an idle time-out, lets the caller's
// progress monitor see heartbeats and abort any wait, can hold either direction to a byte rate,
// and closes. It knows nothing of HTTP or TLS; every operation writes its story to the caller's
// log and reports success as a boolean, with the details in SocketReadParams flags or out-flags.
//
// API summary (what the HTTP and TLS layers call):
//   Settings      SetConnectTimeoutSeconds(s) (default 7 s; 0 = one blocking connect),
//                 SetIdleTimeoutMs(ms) (default 30000; 0 = six hours), SetBindAddress(ip, port),
//                 SetBufferSizes(send, receive), SetPerfMonitoring(on), ResetPerfMonitors(),
//                 UploadThrottle()/DownloadThrottle().SetLimit(bytesPerSecond).
//   Connect       SocketConnect(host, port, heartbeatMs, log, dnsFailed, monitor); on failure
//                 ConnectFailReason() is one of ConnectFailCode.h. RemoteIp() is the address.
//   State         IsConnected(), CloseSocket(log), TakeOverConnection(other),
//                 WaitWritableSeconds(seconds, log) (is the connection still writable?),
//                 PeerHasClosed() (has the server closed it meanwhile?).
//   Send          SendBytes2(data, n, maxChunk, params, log); SendBytesDraining(...).
//   Receive       ReadHeaderBlock(buffer, params, log[, maxBytes])   up to and including the
//                                                        first empty line, at most maxBytes
//                 ReadCrlfLine(buffer, params, log)      up to and including the first CR LF
//                 ReadN(n, buffer, params, log)          exactly n bytes appended
//                 ReadNToOutput(n, sink, params, log, transcript)   exactly n bytes to a sink
//                 ReadUntilClosed(sink, chunk, params, log, transcript)  until the peer closes
//                 ReceiveOnce, ReadExact, WaitForData, ReadUntilIdle, DrainAvailable.
//   Every receive waits at most IdleTimeoutMs() for data. `params` (SocketReadParams) carries
//   the heartbeat and monitor in and the timed-out / aborted / fatal / closed flags out; a
//   time-out or an abort leaves the connection open, a closed peer or an error closes it.

#include <cstdint>
#include <vector>

#include "core/QuorvelObject.h"
#include "core/StringBuffer.h"
#include "net/BandwidthThrottle.h"
#include "net/PerformanceMon.h"
#include "net/SocketReadParams.h"
#include "platform/Sockets.h"

class DataBuffer;
class LogBase;
class OutputSink;
class ProgressMonitor;
class SocketTranscript;

class QuorvelSocket : public QuorvelObject {
public:
    static constexpr uint32_t kDefaultIdleTimeoutMs = 30000;
    static constexpr uint32_t kDefaultConnectTimeoutMs = 7000;
    static constexpr uint32_t kSixHoursMs = 21600000;

    QuorvelSocket();
    ~QuorvelSocket() override;  // closes an open socket
    QuorvelSocket(const QuorvelSocket&) = delete;
    QuorvelSocket& operator=(const QuorvelSocket&) = delete;

    // The socket library needs no start-up on this platform; the call marks it started.
    static bool startupWSA(LogBase& log);

    // --- settings
    void SetConnectTimeoutSeconds(uint32_t seconds) { connectTimeoutMs_ = seconds * 1000; }
    void SetConnectTimeoutMs(uint32_t ms) { connectTimeoutMs_ = ms; }
    uint32_t ConnectTimeoutMs() const { return connectTimeoutMs_; }
    void SetIdleTimeoutMs(uint32_t ms) { idleTimeoutMs_ = ms == 0 ? kSixHoursMs : ms; }
    uint32_t IdleTimeoutMs() const { return idleTimeoutMs_; }
    // Local address (numeric IPv4 text; empty = any) and port (0 = any) to bind before connecting.
    void SetBindAddress(const char* ip, int port);
    // SO_SNDBUF / SO_RCVBUF for every new socket; applied only when at least 1000 and below
    // 2000000 (0, the default, leaves the system's sizes).
    void SetBufferSizes(uint32_t sendSize, uint32_t receiveSize);
    void SetPerfMonitoring(bool on) { perfMonitoring_ = on; }
    void ResetPerfMonitors();
    BandwidthThrottle& UploadThrottle() { return uploadThrottle_; }
    BandwidthThrottle& DownloadThrottle() { return downloadThrottle_; }

    // --- state
    int InstanceId() const { return instanceId_; }
    int ConnectFailReason() const { return connectFailReason_; }
    const StringBuffer& RemoteIp() const { return remoteIp_; }
    int LastSendError() const { return lastSendError_; }
    bool HasSocket() const { return handle_ != platform::kInvalidSocket; }
    bool IsConnected();

    // --- connecting (QuorvelSocketConnect.cpp)
    bool SocketConnect(const char* host, int port, uint32_t heartbeatMs, LogBase& log,
                       bool& dnsFailed, ProgressMonitor* monitor);
    bool createSocket(LogBase& log, bool bindIfConfigured);
    bool createSocket_ipv6(const platform::AddressRecord* record, LogBase& log,
                           bool bindIfConfigured);

    // --- waiting for writability (QuorvelSocketWait.cpp)
    bool WaitWritableSeconds(uint32_t seconds, LogBase& log);
    // Whether the peer has closed the connected socket (checked without waiting or reading).
    bool PeerHasClosed() const;
    bool WaitWritable(uint32_t timeoutMs, bool connectMode, LogBase& log, bool& refused,
                      bool& timedOut, bool& fatal);
    bool WaitWritableHb(uint32_t heartbeatMs, uint32_t initialDelayMs, uint32_t timeoutMs,
                        bool connectMode, LogBase& log, ProgressMonitor* monitor, bool& refused,
                        bool& aborted, bool& timedOut, bool& fatal);
    // Waits up to timeoutMs (0 = six hours) for data, firing the heartbeat between slices.
    bool WaitReadable(uint32_t timeoutMs, SocketReadParams& params, LogBase& log);

    // --- lifecycle
    void CloseSocket(LogBase& log);
    // Adopts the open connection (and its time-outs) of `other`, which is left without one.
    void TakeOverConnection(QuorvelSocket& other);
    bool GetLocalAddress(StringBuffer& ipText, int& port, LogBase& log);

    // --- receiving (QuorvelSocketReceive.cpp)
    // One wait and one receive of at most `size` bytes; `size` becomes the count received.
    bool ReceiveOnce(unsigned char* buffer, uint32_t& size, SocketReadParams& params, LogBase& log);
    bool ReadExact(unsigned char* buffer, uint32_t count, uint32_t& received,
                   SocketReadParams& params, LogBase& log);
    bool ReadN(uint32_t count, DataBuffer& out, SocketReadParams& params, LogBase& log);
    // maxBytes: the longest block accepted (0 = no limit).
    bool ReadHeaderBlock(DataBuffer& out, SocketReadParams& params, LogBase& log,
                         uint32_t maxBytes = 0);
    bool ReadCrlfLine(DataBuffer& out, SocketReadParams& params, LogBase& log);
    // Chunks (1 to 1000000 bytes) until the peer closes or a receive fails; true when the
    // output grew. The transcript, when given, gets every chunk too.
    bool ReadUntilClosed(OutputSink& out, uint32_t chunkSize, SocketReadParams& params,
                         LogBase& log, SocketTranscript* transcript);
    bool ReadNToOutput(uint64_t count, OutputSink& out, SocketReadParams& params, LogBase& log,
                       SocketTranscript* transcript);
    // Whatever arrives within the idle time-out (60 s when it is 0), at most `size` bytes.
    bool WaitForData(unsigned char* buffer, uint32_t& size, SocketReadParams& params, LogBase& log);
    bool ReadUntilIdle(DataBuffer& out, SocketReadParams& params, LogBase& log);
    // What has arrived already (and keeps arriving within 100 ms), without waiting for more.
    bool DrainAvailable(DataBuffer& out, SocketReadParams& params, LogBase& log);

    // --- sending (QuorvelSocketSend.cpp)
    // The chunk size a send uses for the caller's maximum: 0 gives 32767, and the size is kept
    // between 1000 and 2000000.
    static uint32_t SendChunkSize(uint32_t maxChunk);
    bool SendBytes2(const unsigned char* data, uint32_t count, uint32_t maxChunk,
                    SocketReadParams& params, LogBase& log);
    // As SendBytes2, collecting what the peer sends meanwhile into `received`; the first
    // `firstChunkCount` chunks are `firstChunkSize` bytes, the later ones `laterChunkSize`.
    bool SendBytesDraining(const unsigned char* data, uint32_t count, uint32_t firstChunkSize,
                           uint32_t firstChunkCount, uint32_t laterChunkSize, DataBuffer& received,
                           SocketReadParams& params, LogBase& log);

private:
    struct ConnectPath;
    struct SendTexts;
    static const ConnectPath& PathFor(int number);

    // Connect paths (QuorvelSocketConnect.cpp).
    bool ConnectSocket2(const char* host, int port, LogBase& log, bool& dnsFailed,
                        ProgressMonitor* monitor);
    bool ConnectIpv4(const char* host, int port, uint32_t heartbeatMs, LogBase& log,
                     bool& dnsFailed, ProgressMonitor* monitor);
    bool ConnectAddressInfo(const char* host, int port, LogBase& log, bool& dnsFailed,
                            bool& retryIpv4);
    bool ConnectHeartbeatIpv6(const char* host, int port, uint32_t heartbeatMs, LogBase& log,
                              bool& dnsFailed, ProgressMonitor* monitor);
    // Records why a lookup failed (reason 4, 3 or 2) and returns false.
    bool LookupFailed(bool aborted, bool timedOut, bool& dnsFailed);
    bool ConnectToRecord(const platform::AddressRecord& record, const ConnectPath& path,
                         const char* host, uint32_t heartbeatMs, LogBase& log,
                         ProgressMonitor* monitor);
    bool RunConnectLoop(const platform::SocketAddress& address, const ConnectPath& path,
                        const char* host, uint32_t heartbeatMs, LogBase& log,
                        ProgressMonitor* monitor);
    void LogConnected(const char* ipTag, const char* portTag, const char* text, LogBase& log);
    void LogAddressDetails(const ConnectPath& path, const platform::SocketAddress& address,
                           const char* host, LogBase& log);
    bool BindIfConfigured(LogBase& log);
    void ApplyBufferSizes();

    // Shared by the receive operations.
    bool RequireSocket(SocketReadParams& params, LogBase& log);  // "This socket is not connected"
    bool ReadLineBlock(DataBuffer& out, bool carriageReturnEndsCount, uint32_t maxBytes,
                       SocketReadParams& params, LogBase& log);
    void AccountReceived(uint32_t count, SocketReadParams& params);
    // The download throttle's wait; false (with the text logged) when the application aborted.
    bool ThrottleDownload(SocketReadParams& params, const char* abortText, LogBase& log);
    // A refused connect or a failed wait for writability: its flag set (and the failure logged).
    bool WriteWaitEnded(platform::WaitOutcome outcome, const platform::SocketStatus& status,
                        bool& refused, bool& fatal, LogBase& log);
    bool SendLoop(const unsigned char* data, uint32_t count, const SendTexts& texts,
                  uint32_t firstChunkSize, uint32_t firstChunkCount, uint32_t laterChunkSize,
                  DataBuffer* drainInto, SocketReadParams& params, LogBase& log);
    bool WaitToSendDraining(DataBuffer& drainInto, SocketReadParams& params, LogBase& log);

    platform::SocketHandle handle_ = platform::kInvalidSocket;
    int addressFamily_ = platform::kFamilyIpv4;
    int instanceId_;
    bool isConnected_ = false;
    uint32_t idleTimeoutMs_ = kDefaultIdleTimeoutMs;
    uint32_t connectTimeoutMs_ = kDefaultConnectTimeoutMs;
    int lastSendError_ = 0;
    int lastError_ = 0;  // the socket error number of the last failed call or wait
    StringBuffer remoteIp_;
    int connectFailReason_ = 0;
    StringBuffer bindIp_;
    int bindPort_ = 0;
    uint32_t sendBufferSize_ = 0;
    uint32_t receiveBufferSize_ = 0;
    bool perfMonitoring_ = false;
    PerformanceMon sendMonitor_{PerformanceMon::Kind::Send};
    PerformanceMon receiveMonitor_{PerformanceMon::Kind::Receive};
    BandwidthThrottle uploadThrottle_;
    BandwidthThrottle downloadThrottle_;
};
