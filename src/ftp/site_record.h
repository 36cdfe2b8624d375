#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// One FTP site profile. Texts are held in clear; only the record file scrambles the user name
// and the password.
struct SiteRecord {
    std::string Name = "default";
    std::string Host = "127.0.0.1";
    std::string User = "anonymous";
    std::string Password = "quillmoss";
    int Port = 21;
    std::string StartDir; // entered after connecting; empty: stay in the login folder
    bool Passive = false;
    bool KeepAlive = false;
    int NoopInterval = 900; // cycles of the remote worker, 100 ms each
    // Stored and carried, never applied to a connection.
    int CtrlRecvTimeout = 10000;
    int CtrlSendTimeout = 10000;
    int DataRecvTimeout = 10000;
    int DataSendTimeout = 10000;
};

// A saved site is one file of exactly this many bytes.
inline constexpr std::size_t kSiteRecordSize = 1352;

// The bytes of a record file: 32-bit little-endian numbers, zero-terminated texts in fixed
// fields, the user name and password scrambled. Every byte after a text's terminator, the pads
// and the reserved fields are zero, so nothing of an older, longer text survives in the file.
// The record must be storable (see unstorableText).
std::string encodeSiteRecord(const SiteRecord& site);

// The keep-alive interval as saving and loading a record keep it: one under 100 cycles becomes
// 300, so that no record makes the worker send a NOOP on every cycle.
int usableNoopInterval(int cycles);

// The record in a file's bytes; the keep-alive interval made usable; nothing unless they are
// exactly one record. Bytes after a text's terminator are not read.
std::optional<SiteRecord> decodeSiteRecord(std::string_view bytes);

// The first text of the record that its file cannot hold as it is: longer than its field, or
// holding a byte that would end it when read back (a zero; for the user name the byte 0xE7, for
// the password 0x9D, which scramble to zero). Nothing when every text fits.
std::optional<std::string> unstorableText(const SiteRecord& site);

// Whether the name can name a record file of the config folder: not empty, not "." or "..",
// no "/", not the site list's own file, at most 39 bytes, no zero byte.
bool isSiteFileName(std::string_view name);

// The port of a port box's text; 21 when the text is not a number from 1 to 65535.
int portNumber(std::string_view text);
