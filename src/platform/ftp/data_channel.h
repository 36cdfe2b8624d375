#pragma once

#include "platform/ftp/control_connection.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarvo::ftp::detail {

enum class DataMode { Passive, Active };

// The data connection of one transfer, set up around the transfer command: prepare() before
// it is sent (PASV/EPSV and connect, or listen and PORT/EPRT), complete() after its 1xx reply.
class DataChannel {
public:
    FtpError prepare(ControlConnection& control, DataMode mode, const Wait& wait);
    FtpError complete(const ControlConnection& control, const Wait& wait, Socket& out);

private:
    FtpError preparePassive(ControlConnection& control, const Wait& wait);
    FtpError prepareActive(ControlConnection& control, const Wait& wait);

    Socket connected_;
    Socket listener_;
};

// The port of a 227 reply ("(h1,h2,h3,h4,p1,p2)"). The address in it is not returned on
// purpose: the data connection always goes to the control connection's peer.
std::optional<std::uint16_t> passivePort(const std::string& replyText);
// The port of a 229 reply ("(|||port|)").
std::optional<std::uint16_t> extendedPassivePort(const std::string& replyText);

} // namespace tarvo::ftp::detail
