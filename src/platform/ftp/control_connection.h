#pragma once

#include "platform/ftp/socket_io.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvo::ftp::detail {

// A bound on one reply line and on one whole reply, so that a hostile server cannot make us
// buffer without end.
constexpr std::size_t kMaxReplySize = 1024 * 1024;

struct Reply {
    int code = 0;
    std::string text; // every line of the reply, joined with "\n"

    int kind() const { return code / 100; }
    bool preliminary() const { return kind() == 1; }
};

// The error a refusing reply stands for: 421 announces the close of the connection.
FtpError refusal(const Reply& reply);

// The control connection: commands out, replies in, in step. It counts the replies the server
// still owes, so that a reply left unread by a cancelled call is read and dropped before the
// next command instead of being taken as that command's answer.
class ControlConnection {
public:
    explicit ControlConnection(Socket socket);

    // Reads the next reply and, unless told not to, records it in lastResponse(); 1xx
    // replies leave the final reply still owed.
    FtpError readReply(const Wait& wait, Reply& reply, bool record = true);
    // Reads replies up to the final one. The wait bounds them all, so a server that keeps
    // sending 1xx lines cannot hold the call beyond its deadline.
    FtpError readFinalReply(const Wait& wait, Reply& reply, bool record = true);
    // Sends one command after reading any reply still owed from an earlier call.
    FtpError sendCommand(std::string_view command, const Wait& wait);
    // sendCommand followed by readFinalReply, all within the one wait.
    FtpError exchange(std::string_view command, const Wait& wait, Reply& reply, bool record = true);

    bool owesReplies() const { return owedReplies_ > 0; }
    // False once the server broke the protocol, announced its close (421, 221), let a reply
    // time out or the connection failed: it cannot be used any more.
    bool usable() const { return usable_; }
    Endpoint peer() const { return peerEndpoint(socket_.fd()); }
    Endpoint local() const { return localEndpoint(socket_.fd()); }

private:
    FtpError readOneReply(const Wait& wait, Reply& reply);
    FtpError readLine(const Wait& wait, std::string& line);
    FtpError failWith(FtpError error);

    Socket socket_;
    std::string received_;      // bytes read from the server
    std::size_t lineStart_ = 0; // where the next line starts in received_
    std::size_t replyBytes_ = 0;
    int continuingCode_ = 0; // code of a multi-line reply whose end is not read yet
    int owedReplies_ = 0;
    bool usable_ = true;
};

} // namespace tarvo::ftp::detail
