#include "platform/ftp/ftp_error.h"

#include <cerrno>
#include <system_error>

namespace tarvo::ftp {

namespace {
thread_local FtpError threadLastError = FtpError::None;
thread_local std::string threadLastResponse;
thread_local bool threadResponseCut = false;

std::string systemText(int error) {
    return std::generic_category().message(error);
}
} // namespace

FtpError lastError() {
    return threadLastError;
}

const std::string& lastResponse() {
    return threadLastResponse;
}

std::string errorText(FtpError error) {
    switch (error) {
    case FtpError::None:
        return {};
    case FtpError::ConnectionReset:
        return systemText(ECONNRESET);
    case FtpError::Timeout:
        return systemText(ETIMEDOUT);
    case FtpError::ConnectionAborted:
        return systemText(ECONNABORTED);
    case FtpError::CannotConnect:
        return systemText(ECONNREFUSED);
    case FtpError::ControlClosed:
        return "The server closed the connection";
    case FtpError::InvalidHandle:
        return "Not connected";
    case FtpError::NameNotResolved:
        return "Unknown host";
    case FtpError::Cancelled:
        return systemText(ECANCELED);
    default:
        return "FTP error " + std::to_string(static_cast<unsigned>(error));
    }
}

namespace detail {

void beginExchangeCall() {
    threadLastResponse.clear();
    threadResponseCut = false;
}

void appendResponseLine(const std::string& line) {
    if (threadResponseCut)
        return;
    if (threadLastResponse.size() + line.size() + 1 > kMaxResponseSize) {
        threadLastResponse += kResponseCutMarker;
        threadResponseCut = true;
        return;
    }
    threadLastResponse += line;
    threadLastResponse += '\n';
}

void setLastError(FtpError error) {
    threadLastError = error;
}

} // namespace detail

} // namespace tarvo::ftp
