#include "ftp/raw_command.h"

#include "platform/ftp/ftp_stream.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::string prefixOf(std::string_view command) {
    std::string prefix(command.substr(0, 4));
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return prefix;
}

bool holds(const std::string& prefix, std::string_view part) {
    return prefix.find(part) != std::string::npos;
}

} // namespace

RawCommandKind rawCommandKind(std::string_view command) {
    const std::string prefix = prefixOf(command);
    if (holds(prefix, "retr") || holds(prefix, "stor") || holds(prefix, "stou"))
        return RawCommandKind::Refused;
    if (holds(prefix, "list") || holds(prefix, "nlst"))
        return RawCommandKind::Listing;
    return RawCommandKind::Plain;
}

bool rawCommandChangesFolder(std::string_view command) {
    const std::string prefix = prefixOf(command);
    return holds(prefix, "cwd") || holds(prefix, "cdup");
}

std::uint64_t runRawCommand(tarvo::ftp::Session& session, const std::string& command,
                            const LogClock& clock, const LogSink& log) {
    log("[" + clock() + "] Command:> " + command);
    const RawCommandKind kind = rawCommandKind(command);
    if (kind == RawCommandKind::Refused)
        return 0;
    if (kind == RawCommandKind::Plain) {
        session.command(command);
        logReplies(clock, log);
        return 0;
    }
    const auto stream = session.commandWithData(command, tarvo::ftp::TransferType::Ascii);
    logReplies(clock, log);
    if (!stream)
        return 0;
    // Read until the server closes the data connection, whatever the control connection
    // said meanwhile: a 226 may arrive before the last of the data has been read.
    std::string data;
    std::vector<char> buffer(64 * 1024);
    bool failed = false;
    for (;;) {
        const auto count = stream->read(buffer.data(), buffer.size());
        if (!count) {
            failed = true;
            break;
        }
        if (*count == 0)
            break;
        data.append(buffer.data(), *count);
    }
    const std::uint64_t bytes = data.size();
    if (!data.empty())
        log(std::move(data));
    if (failed)
        log("[" + clock() + "] Status:>  Data error ");
    stream->close();
    logReplies(clock, log);
    return bytes;
}
