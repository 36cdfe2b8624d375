#pragma once

#include "ftp/reply_log.h"
#include "platform/ftp/ftp_session.h"

#include <cstdint>
#include <string>
#include <string_view>

// Commands typed by the user in a command window, run on an open connection.

// What a typed command asks of the connection, told by its first four characters, case
// ignored.
enum class RawCommandKind {
    Plain,   // sent as typed; only replies come back
    Listing, // LIST or NLST: the reply's data comes on a data connection
    Refused, // RETR, STOR, STOU: a file transfer the window has nowhere to put or take from
};
RawCommandKind rawCommandKind(std::string_view command);

// Whether the command may have moved the server to another folder (CWD, XCWD, CDUP).
bool rawCommandChangesFolder(std::string_view command);

// Runs the command and logs it: the Command line, the server's replies, and a listing's data
// read to its end, as one addition after the reply lines. A refused command logs only its
// Command line and sends nothing. Returns the bytes of data read.
std::uint64_t runRawCommand(tarvo::ftp::Session& session, const std::string& command,
                            const LogClock& clock, const LogSink& log);
