#pragma once

#include <cstddef>
#include <string>

namespace tarvo::ftp {

// Error numbers of the FTP transport. The values are the ones the FTP client's error table
// was written against, so they must not be renumbered.
enum class FtpError : unsigned {
    None = 0,
    NoMoreEntries = 18,
    InvalidHandle = 6,    // no session, or it was disconnected
    InvalidArgument = 87, // CR, LF or NUL in an argument; nothing was sent
    DiskFull = 112,       // not raised here: for callers that report local file errors
    AlreadyExists = 183,  // likewise
    Timeout = 12002,
    ServerRefused = 12003, // a 4xx or 5xx reply; the reply is in lastResponse()
    NameNotResolved = 12007,
    PasswordRefused = 12014,
    LoginFailed = 12015,
    Cancelled = 12017,
    CannotConnect = 12029,
    ConnectionAborted = 12030, // broken pipe, or the server broke the protocol
    ConnectionReset = 12031,
    TransferInProgress = 12110,
    ControlClosed = 12111, // the server closed the control connection (or sent 421)
};

// Result of the calling thread's last transport call: 0 after a success.
FtpError lastError();

// Every server reply read during the calling thread's last call on the control connection,
// each line followed by "\n". Stream reads and writes leave it as it is. A server that floods
// the connection with lines cannot make it grow without end: the lines of the first MiB are
// kept, then kResponseCutMarker ends it.
const std::string& lastResponse();

// The error in words, as the system words the failure behind it where it has one.
std::string errorText(FtpError error);

inline constexpr std::size_t kMaxResponseSize = 1024 * 1024;
inline constexpr const char* kResponseCutMarker = "[further reply lines dropped]\n";

namespace detail {

// Starts a call that talks on the control connection: forgets the previous replies.
void beginExchangeCall();
void appendResponseLine(const std::string& line);
void setLastError(FtpError error);

// Sets the last error and returns false, for the many failure exits.
inline bool fail(FtpError error) {
    setLastError(error);
    return false;
}

} // namespace detail

} // namespace tarvo::ftp
