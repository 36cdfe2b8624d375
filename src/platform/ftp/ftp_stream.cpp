#include "platform/ftp/ftp_stream.h"

#include "platform/ftp/session_core.h"

namespace tarvo::ftp {

using detail::setLastError;

Stream::Stream(std::shared_ptr<detail::StreamState> state) : state_(std::move(state)) {}

// A stream dropped without close() was given up: an upload must not end as if complete.
Stream::~Stream() {
    if (!state_->closed)
        state_->close(false);
}

std::optional<std::size_t> Stream::read(char* buffer, std::size_t size) {
    std::size_t received = 0;
    const FtpError error = state_->read(buffer, size, received);
    setLastError(error);
    return error == FtpError::None ? std::optional(received) : std::nullopt;
}

bool Stream::write(const char* data, std::size_t size) {
    const FtpError error = state_->write(data, size);
    setLastError(error);
    return error == FtpError::None;
}

std::optional<std::size_t> Stream::available() {
    std::size_t count = 0;
    const FtpError error = state_->available(count);
    setLastError(error);
    return error == FtpError::None ? std::optional(count) : std::nullopt;
}

bool Stream::close() {
    detail::beginExchangeCall();
    const FtpError error = state_->close();
    setLastError(error);
    return error == FtpError::None;
}

void Stream::abort() {
    state_->abort();
}

} // namespace tarvo::ftp
