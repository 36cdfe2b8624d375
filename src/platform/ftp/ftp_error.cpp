#include "platform/ftp/ftp_error.h"

namespace tarvo::ftp {

namespace {
thread_local FtpError threadLastError = FtpError::None;
thread_local std::string threadLastResponse;
thread_local bool threadResponseCut = false;
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
