#include "platform/ftp/ftp_error.h"

namespace tarvo::ftp {

namespace {
thread_local FtpError threadLastError = FtpError::None;
thread_local std::string threadLastResponse;
} // namespace

FtpError lastError() {
    return threadLastError;
}

const std::string& lastResponse() {
    return threadLastResponse;
}

namespace detail {

void beginExchangeCall() {
    threadLastResponse.clear();
}

void appendResponseLine(const std::string& line) {
    threadLastResponse += line;
    threadLastResponse += '\n';
}

void setLastError(FtpError error) {
    threadLastError = error;
}

} // namespace detail

} // namespace tarvo::ftp
