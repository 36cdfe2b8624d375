// ftpbench: times a download, an upload or a parsed listing through the FTP transport.
//   ftpbench get HOST PORT USER PASS REMOTE LOCAL [--active]
//   ftpbench put HOST PORT USER PASS LOCAL REMOTE [--active]
//   ftpbench list HOST PORT USER PASS DIR
//   ftpbench panel HOST PORT USER PASS DIR [KEY]   (see panel_bench.cpp)
//   ftpbench raw HOST PORT USER PASS DIR COMMAND
// The last line is "BYTES bytes SECONDS seconds"; the time runs from connecting to the end
// of the transfer (for list: of the parse).
// raw enters DIR and runs COMMAND with the command window's own runner (a listing command's
// data read to its end), printing each addition the window's log would get; BYTES counts the
// data.

#include "ftp/raw_command.h"
#include "panel_bench.h"
#include "platform/ftp/ftp_session.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace tarvo::ftp;

constexpr std::size_t kBufferSize = 256 * 1024;

struct Arguments {
    std::string verb;
    ConnectOptions options;
    std::string first;
    std::string second;
};

int failure(const std::string& what) {
    std::fprintf(stderr, "ftpbench: %s (error %u)\n", what.c_str(),
                 static_cast<unsigned>(lastError()));
    if (!lastResponse().empty())
        std::fprintf(stderr, "%s", lastResponse().c_str());
    return 1;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

int get(Session& session, const std::string& remote, const std::string& local,
        std::uint64_t& bytes) {
    const std::string temporary = local + ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return failure("cannot create " + temporary + ": " + std::strerror(errno));
    auto stream = session.openRead(remote);
    if (!stream) {
        ::close(fd);
        return failure("RETR " + remote + " refused");
    }
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const auto got = stream->read(buffer.data(), buffer.size());
        if (!got) {
            ::close(fd);
            return failure("download broken");
        }
        if (*got == 0)
            break;
        if (!writeAll(fd, buffer.data(), *got)) {
            ::close(fd);
            return failure("cannot write " + temporary + ": " + std::strerror(errno));
        }
        bytes += *got;
    }
    if (!stream->close()) {
        ::close(fd);
        return failure("download not completed");
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), local.c_str()) != 0)
        return failure("cannot keep " + local + ": " + std::strerror(errno));
    return 0;
}

int put(Session& session, const std::string& local, const std::string& remote,
        std::uint64_t& bytes) {
    const int fd = ::open(local.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure("cannot open " + local + ": " + std::strerror(errno));
    auto stream = session.openWrite(remote);
    if (!stream) {
        ::close(fd);
        return failure("STOR " + remote + " refused");
    }
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            ::close(fd);
            return failure("cannot read " + local + ": " + std::strerror(errno));
        }
        if (got == 0)
            break;
        if (!stream->write(buffer.data(), static_cast<std::size_t>(got))) {
            ::close(fd);
            return failure("upload broken");
        }
        bytes += static_cast<std::uint64_t>(got);
    }
    ::close(fd);
    return stream->close() ? 0 : failure("upload not completed");
}

char kindOf(const RemoteEntry& entry) {
    if (entry.link)
        return 'l';
    return entry.directory ? 'd' : 'f';
}

int list(Session& session, const std::string& directory, Listing& listing) {
    auto found = session.find(directory);
    if (!found)
        return failure("LIST " + directory + " failed");
    listing = std::move(*found);
    return 0;
}

// Writes the lines through one reused buffer: printf line by line took longer than reading and
// parsing the listing, and this output is the benchmark's, not the transport's.
std::uint64_t printEntries(const std::vector<RemoteEntry>& entries) {
    constexpr std::size_t kFlushAt = 60 * 1024;
    std::string lines;
    lines.reserve(kFlushAt + 4096);
    std::uint64_t bytes = 0;
    const auto flush = [&] {
        std::fwrite(lines.data(), 1, lines.size(), stdout);
        bytes += lines.size();
        lines.clear();
    };
    // Many entries share a date; each date is formatted once per run of them.
    std::optional<RemoteTime> dated;
    char date[32];
    int dateLength = 0;
    for (const RemoteEntry& entry : entries) {
        if (dated != entry.time) {
            dateLength =
                std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d", entry.time.year,
                              entry.time.month, entry.time.day, entry.time.hour, entry.time.minute);
            dated = entry.time;
        }
        char size[24];
        const auto sizeEnd = std::to_chars(size, size + sizeof size, entry.size).ptr;
        lines += kindOf(entry);
        lines += '\t';
        lines.append(size, sizeEnd);
        lines += '\t';
        lines.append(date, static_cast<std::size_t>(dateLength));
        lines += '\t';
        lines += entry.name;
        lines += '\n';
        if (lines.size() >= kFlushAt)
            flush();
    }
    flush();
    return bytes;
}

std::string timeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

int raw(Session& session, const std::string& folder, const std::string& command,
        std::uint64_t& bytes) {
    if (!session.changeDir(folder))
        return failure("cannot enter " + folder);
    bytes = runRawCommand(session, command, timeOfDay, [](const std::string& addition) {
        std::fwrite(addition.data(), 1, addition.size(), stdout);
        std::fputc('\n', stdout);
    });
    return lastError() == FtpError::None ? 0 : failure(command + " failed");
}

bool parseArguments(int argc, char** argv, Arguments& arguments) {
    if (argc < 7)
        return false;
    arguments.verb = argv[1];
    const bool transfer =
        arguments.verb == "get" || arguments.verb == "put" || arguments.verb == "raw";
    if (!transfer && arguments.verb != "list")
        return false;
    const int required = transfer ? 8 : 7;
    if (argc < required || argc > required + (transfer ? 1 : 0))
        return false;
    if (argc == required + 1) {
        if (arguments.verb == "raw")
            return false;
        if (std::strcmp(argv[required], "--active") != 0)
            return false;
        arguments.options.mode = TransferMode::Active;
    }
    arguments.options.host = argv[2];
    char* end = nullptr;
    const long port = std::strtol(argv[3], &end, 10);
    if (*end != '\0' || port < 1 || port > 65535)
        return false;
    arguments.options.port = static_cast<std::uint16_t>(port);
    arguments.options.user = argv[4];
    arguments.options.password = argv[5];
    arguments.first = argv[6];
    arguments.second = transfer ? argv[7] : "";
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "panel") == 0)
        return panelBench(argc, argv);
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: ftpbench get HOST PORT USER PASS REMOTE LOCAL [--active]\n"
                             "       ftpbench put HOST PORT USER PASS LOCAL REMOTE [--active]\n"
                             "       ftpbench list HOST PORT USER PASS DIR\n"
                             "       ftpbench panel HOST PORT USER PASS DIR [KEY]\n"
                             "       ftpbench raw HOST PORT USER PASS DIR COMMAND\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    Session session;
    if (!session.connect(arguments.options))
        return failure("cannot log in to " + arguments.options.host);
    std::uint64_t bytes = 0;
    Listing listing;
    int result = 0;
    if (arguments.verb == "get")
        result = get(session, arguments.first, arguments.second, bytes);
    else if (arguments.verb == "put")
        result = put(session, arguments.first, arguments.second, bytes);
    else if (arguments.verb == "raw")
        result = raw(session, arguments.first, arguments.second, bytes);
    else
        result = list(session, arguments.first, listing);
    if (result != 0)
        return result;
    // Timed like curl's total time: up to the end of the transfer, without the QUIT.
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    session.disconnect();
    if (arguments.verb == "list") {
        bytes = printEntries(listing.entries);
        if (listing.unreadableLines > 0)
            std::fprintf(stderr, "ftpbench: %zu listing lines not read\n", listing.unreadableLines);
    }
    std::printf("%llu bytes %.3f seconds\n", static_cast<unsigned long long>(bytes),
                elapsed.count());
    return 0;
}
