#include "platform/ftp/control_connection.h"

namespace tarvo::ftp::detail {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The code of a first reply line ("220 text", "220-text" or a bare "220"), or 0. Codes begin
// with 1 to 5: every caller judges a reply by that first digit.
int leadingCode(const std::string& line) {
    if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !isDigit(line[1]) || !isDigit(line[2]))
        return 0;
    if (line.size() > 3 && line[3] != ' ' && line[3] != '-')
        return 0;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

bool endsMultiLine(const std::string& line, int code) {
    return leadingCode(line) == code && (line.size() == 3 || line[3] == ' ');
}

} // namespace

FtpError refusal(const Reply& reply) {
    return reply.code == 421 ? FtpError::ControlClosed : FtpError::ServerRefused;
}

// The greeting is the first reply the server owes.
ControlConnection::ControlConnection(Socket socket) : socket_(std::move(socket)), owedReplies_(1) {}

FtpError ControlConnection::failWith(FtpError error) {
    // A cancel leaves the connection in a known state (a reply still owed), read before the
    // next command. Anything else leaves it unusable; after a time-out in particular, every
    // later command would first wait out the reply the server did not send.
    if (error != FtpError::Cancelled)
        usable_ = false;
    return error;
}

FtpError ControlConnection::readLine(const Wait& wait, std::string& line) {
    std::size_t scanFrom = lineStart_;
    for (;;) {
        const auto end = received_.find('\n', scanFrom);
        if (end != std::string::npos) {
            line.assign(received_, lineStart_, end - lineStart_);
            replyBytes_ += end + 1 - lineStart_;
            lineStart_ = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (replyBytes_ > kMaxReplySize)
                return failWith(FtpError::ConnectionAborted);
            return FtpError::None;
        }
        // Lines read so far are dropped only now, not one by one, so that a flood of short
        // lines costs no more than one long line.
        received_.erase(0, lineStart_);
        lineStart_ = 0;
        scanFrom = received_.size();
        if (replyBytes_ + received_.size() > kMaxReplySize)
            return failWith(FtpError::ConnectionAborted);
        char chunk[4096];
        std::size_t got = 0;
        if (const FtpError error = receiveSome(socket_.fd(), chunk, sizeof chunk, wait, got);
            error != FtpError::None)
            return failWith(error);
        if (got == 0)
            return failWith(FtpError::ControlClosed);
        received_.append(chunk, got);
    }
}

FtpError ControlConnection::readOneReply(const Wait& wait, Reply& reply) {
    if (!usable_)
        return FtpError::ControlClosed;
    reply = Reply{};
    std::string line;
    if (continuingCode_ == 0) {
        replyBytes_ = 0;
        if (const FtpError error = readLine(wait, line); error != FtpError::None)
            return error;
        const int code = leadingCode(line);
        if (code == 0)
            return failWith(FtpError::ConnectionAborted);
        reply.text = line;
        if (line.size() > 3 && line[3] == '-')
            continuingCode_ = code;
        else
            reply.code = code;
    }
    while (continuingCode_ != 0) {
        if (const FtpError error = readLine(wait, line); error != FtpError::None)
            return error;
        if (!reply.text.empty())
            reply.text += '\n';
        reply.text += line;
        if (endsMultiLine(line, continuingCode_)) {
            reply.code = continuingCode_;
            continuingCode_ = 0;
        }
    }
    if (!reply.preliminary())
        --owedReplies_;
    if (reply.code == 421 || reply.code == 221) {
        // The server closes the control connection after these replies.
        usable_ = false;
    }
    return FtpError::None;
}

FtpError ControlConnection::readReply(const Wait& wait, Reply& reply, bool record) {
    if (const FtpError error = readOneReply(wait, reply); error != FtpError::None || !record)
        return error;
    std::size_t start = 0;
    while (start <= reply.text.size()) {
        auto end = reply.text.find('\n', start);
        if (end == std::string::npos)
            end = reply.text.size();
        detail::appendResponseLine(reply.text.substr(start, end - start));
        start = end + 1;
    }
    return FtpError::None;
}

FtpError ControlConnection::readFinalReply(const Wait& wait, Reply& reply, bool record) {
    do {
        if (const FtpError error = readReply(wait, reply, record); error != FtpError::None)
            return error;
    } while (reply.preliminary());
    return FtpError::None;
}

FtpError ControlConnection::sendCommand(std::string_view command, const Wait& wait) {
    if (!usable_)
        return FtpError::ControlClosed;
    Reply dropped;
    while (owedReplies_ > 0) {
        if (const FtpError error = readOneReply(wait, dropped); error != FtpError::None)
            return error;
    }
    if (!usable_)
        return FtpError::ControlClosed;
    std::string line(command);
    line += "\r\n";
    if (const FtpError error = sendAll(socket_.fd(), line.data(), line.size(), wait);
        error != FtpError::None)
        return failWith(error);
    owedReplies_ = 1;
    return FtpError::None;
}

FtpError ControlConnection::exchange(std::string_view command, const Wait& wait, Reply& reply,
                                     bool record) {
    if (const FtpError error = sendCommand(command, wait); error != FtpError::None)
        return error;
    return readFinalReply(wait, reply, record);
}

} // namespace tarvo::ftp::detail
