#include "platform/ftp/data_channel.h"

#include <array>
#include <charconv>

namespace tarvo::ftp::detail {

namespace {

// Reads a decimal number of at most `limit` at text[pos], moving pos past it.
std::optional<unsigned> numberAt(const std::string& text, std::size_t& pos, unsigned limit) {
    unsigned value = 0;
    const char* begin = text.data() + pos;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (error != std::errc() || end == begin || value > limit)
        return std::nullopt;
    pos += static_cast<std::size_t>(end - begin);
    return value;
}

std::string portArgument(const Endpoint& local, std::uint16_t port) {
    std::string address = local.hostText();
    for (char& c : address) {
        if (c == '.')
            c = ',';
    }
    return "PORT " + address + ',' + std::to_string(port >> 8) + ',' + std::to_string(port & 0xff);
}

std::string extendedPortArgument(const Endpoint& local, std::uint16_t port) {
    return "EPRT |2|" + local.hostText() + '|' + std::to_string(port) + '|';
}

} // namespace

std::optional<std::uint16_t> passivePort(const std::string& replyText) {
    // Six numbers separated by commas, after the reply code; servers differ in what
    // surrounds them, so the first digit after the code starts the search.
    for (std::size_t start = replyText.find_first_of("0123456789", 4); start != std::string::npos;
         start = replyText.find_first_of("0123456789", start + 1)) {
        std::array<unsigned, 6> numbers{};
        std::size_t pos = start;
        bool complete = true;
        for (std::size_t i = 0; i < numbers.size() && complete; ++i) {
            const auto number = numberAt(replyText, pos, 255);
            complete = number.has_value() && (i == numbers.size() - 1 ||
                                              (pos < replyText.size() && replyText[pos] == ','));
            if (complete) {
                numbers[i] = *number;
                pos += i == numbers.size() - 1 ? 0 : 1;
            }
        }
        if (complete)
            return static_cast<std::uint16_t>(numbers[4] * 256 + numbers[5]);
    }
    return std::nullopt;
}

std::optional<std::uint16_t> extendedPassivePort(const std::string& replyText) {
    const auto open = replyText.find('(');
    if (open == std::string::npos || open + 4 >= replyText.size())
        return std::nullopt;
    const char delimiter = replyText[open + 1];
    if (replyText[open + 2] != delimiter || replyText[open + 3] != delimiter)
        return std::nullopt;
    std::size_t pos = open + 4;
    const auto port = numberAt(replyText, pos, 65535);
    if (!port || *port == 0 || pos >= replyText.size() || replyText[pos] != delimiter)
        return std::nullopt;
    return static_cast<std::uint16_t>(*port);
}

FtpError DataChannel::prepare(ControlConnection& control, DataMode mode, const Wait& wait) {
    return mode == DataMode::Passive ? preparePassive(control, wait) : prepareActive(control, wait);
}

FtpError DataChannel::preparePassive(ControlConnection& control, const Wait& wait) {
    Endpoint target = control.peer();
    const bool extended = target.family() == AF_INET6;
    Reply reply;
    if (const FtpError error = control.exchange(extended ? "EPSV" : "PASV", wait, reply);
        error != FtpError::None)
        return error;
    if (reply.code != (extended ? 229 : 227))
        return refusal(reply);
    const auto port = extended ? extendedPassivePort(reply.text) : passivePort(reply.text);
    if (!port)
        return FtpError::ServerRefused;
    target.setPort(*port);
    if (const FtpError error = connectTo(target, wait, connected_); error != FtpError::None)
        return error == FtpError::Cancelled ? error : FtpError::CannotConnect;
    return FtpError::None;
}

FtpError DataChannel::prepareActive(ControlConnection& control, const Wait& wait) {
    const Endpoint local = control.local();
    if (const FtpError error = listenOn(local, listener_); error != FtpError::None)
        return error;
    const std::uint16_t port = localEndpoint(listener_.fd()).port();
    const std::string command =
        local.family() == AF_INET6 ? extendedPortArgument(local, port) : portArgument(local, port);
    Reply reply;
    if (const FtpError error = control.exchange(command, wait, reply); error != FtpError::None)
        return error;
    return reply.kind() == 2 ? FtpError::None : refusal(reply);
}

FtpError DataChannel::complete(const ControlConnection& control, const Wait& wait, Socket& out) {
    if (connected_.valid()) {
        out = std::move(connected_);
        return FtpError::None;
    }
    const FtpError error = acceptFrom(listener_.fd(), control.peer(), wait, out);
    listener_.close();
    return error;
}

} // namespace tarvo::ftp::detail
