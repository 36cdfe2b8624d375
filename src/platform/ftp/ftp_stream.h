#pragma once

#include <cstddef>
#include <memory>
#include <optional>

namespace tarvo::ftp {

namespace detail {
struct StreamState;
}

// The data connection of one transfer, opened by a Session. Reads and writes block with the
// session's receive time-out; they set lastError() but leave lastResponse() alone.
// abort() may be called from any thread; everything else belongs to the thread that opened it.
class Stream {
public:
    explicit Stream(std::shared_ptr<detail::StreamState> state);
    // A stream not closed is ended as a failed transfer: its data connection is reset.
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Up to `size` bytes; 0 at the end of the data; nothing on failure.
    std::optional<std::size_t> read(char* buffer, std::size_t size);
    // Writes all of it, or fails.
    bool write(const char* data, std::size_t size);
    // Waits until data is there and tells how many bytes can be read at once; 0 at the end.
    std::optional<std::size_t> available();
    // Ends the transfer and reads the server's final reply, so that the control connection
    // stays in step; fails when that reply is not 2xx or the transfer was aborted. After an
    // abort or a failed read or write the data connection is reset rather than closed, so a
    // server never keeps a cut upload as a whole file. A failed read or write is also what
    // close() reports; the final reply is then waited for a few seconds only, and a server
    // that does not send it loses the control connection (connected() turns false).
    bool close();
    // Makes every blocked and later read or write fail with Cancelled.
    void abort();

private:
    std::shared_ptr<detail::StreamState> state_;
};

} // namespace tarvo::ftp
