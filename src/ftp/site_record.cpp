#include "ftp/site_record.h"

#include <charconv>
#include <cstdint>

namespace {

// Where each field lies in the record file.
struct TextField {
    std::size_t offset;
    std::size_t width; // the text, its terminator included
    unsigned char key; // 0: stored in clear
};

constexpr TextField kName{0, 40, 0};
constexpr TextField kHost{40, 255, 0};
constexpr TextField kUser{295, 255, 0xE7};
constexpr TextField kPassword{550, 255, 0x9D};
constexpr std::size_t kPort = 808;
constexpr TextField kStartDir{812, 512, 0};
constexpr std::size_t kPassive = 1324;
constexpr std::size_t kKeepAlive = 1326;
constexpr std::size_t kNoopInterval = 1332;
constexpr std::size_t kCtrlRecvTimeout = 1336;
constexpr std::size_t kCtrlSendTimeout = 1340;
constexpr std::size_t kDataRecvTimeout = 1344;
constexpr std::size_t kDataSendTimeout = 1348;

void putText(std::string& record, const TextField& field, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        record[field.offset + i] =
            static_cast<char>(static_cast<unsigned char>(text[i]) ^ field.key);
}

std::string getText(std::string_view record, const TextField& field) {
    std::string text;
    for (std::size_t i = 0; i < field.width; ++i) {
        const auto byte = static_cast<unsigned char>(record[field.offset + i]);
        if (byte == 0)
            break;
        text += static_cast<char>(byte ^ field.key);
    }
    return text;
}

void putNumber(std::string& record, std::size_t offset, int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

int getNumber(std::string_view record, std::size_t offset) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(record[offset + i]))
                << (8 * i);
    return static_cast<int>(bits);
}

bool fits(const TextField& field, const std::string& text) {
    if (text.size() >= field.width || text.find('\0') != std::string::npos)
        return false;
    return field.key == 0 || text.find(static_cast<char>(field.key)) == std::string::npos;
}

} // namespace

std::string encodeSiteRecord(const SiteRecord& site) {
    std::string record(kSiteRecordSize, '\0');
    putText(record, kName, site.Name);
    putText(record, kHost, site.Host);
    putText(record, kUser, site.User);
    putText(record, kPassword, site.Password);
    putNumber(record, kPort, site.Port);
    putText(record, kStartDir, site.StartDir);
    record[kPassive] = site.Passive ? 1 : 0;
    record[kKeepAlive] = site.KeepAlive ? 1 : 0;
    putNumber(record, kNoopInterval, site.NoopInterval);
    putNumber(record, kCtrlRecvTimeout, site.CtrlRecvTimeout);
    putNumber(record, kCtrlSendTimeout, site.CtrlSendTimeout);
    putNumber(record, kDataRecvTimeout, site.DataRecvTimeout);
    putNumber(record, kDataSendTimeout, site.DataSendTimeout);
    return record;
}

int usableNoopInterval(int cycles) {
    // Under 10 s, zero and negative ones (a stored number of 2^31 or more) included, the worker
    // would send a NOOP every few cycles or on every one.
    constexpr int kShortest = 100;
    constexpr int kRaised = 300;
    return cycles < kShortest ? kRaised : cycles;
}

std::optional<SiteRecord> decodeSiteRecord(std::string_view bytes) {
    if (bytes.size() != kSiteRecordSize)
        return std::nullopt;
    SiteRecord site;
    site.Name = getText(bytes, kName);
    site.Host = getText(bytes, kHost);
    site.User = getText(bytes, kUser);
    site.Password = getText(bytes, kPassword);
    site.Port = getNumber(bytes, kPort);
    site.StartDir = getText(bytes, kStartDir);
    site.Passive = bytes[kPassive] != 0;
    site.KeepAlive = bytes[kKeepAlive] != 0;
    site.NoopInterval = usableNoopInterval(getNumber(bytes, kNoopInterval));
    site.CtrlRecvTimeout = getNumber(bytes, kCtrlRecvTimeout);
    site.CtrlSendTimeout = getNumber(bytes, kCtrlSendTimeout);
    site.DataRecvTimeout = getNumber(bytes, kDataRecvTimeout);
    site.DataSendTimeout = getNumber(bytes, kDataSendTimeout);
    return site;
}

std::optional<std::string> unstorableText(const SiteRecord& site) {
    const std::pair<const TextField&, const std::string&> texts[] = {{kName, site.Name},
                                                                     {kHost, site.Host},
                                                                     {kUser, site.User},
                                                                     {kPassword, site.Password},
                                                                     {kStartDir, site.StartDir}};
    for (const auto& [field, text] : texts) {
        if (!fits(field, text))
            return text;
    }
    return std::nullopt;
}

bool isSiteFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name != "lista.txt" &&
           name.size() < kName.width && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

int portNumber(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
        return 21;
    return port;
}
