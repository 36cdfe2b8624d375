#include "ftp/reply_log.h"

#include "platform/ftp/ftp_error.h"

int replyCode(const std::string& replies) {
    if (replies.find("226") != std::string::npos &&
        replies.find("Directory send OK") != std::string::npos)
        return 226;
    std::size_t end = replies.size();
    while (end > 0 && replies[end - 1] == '\n')
        --end;
    const std::size_t start = replies.rfind('\n', end == 0 ? 0 : end - 1);
    const std::string last = replies.substr(start == std::string::npos ? 0 : start + 1, 3);
    if (last.size() < 3 || last.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(last);
}

int logReplies(const LogClock& clock, const LogSink& log) {
    const std::string& replies = tarvo::ftp::lastResponse();
    if (replies.empty())
        return 0;
    const int code = replyCode(replies);
    log("[" + clock() + "] Status:>  ");
    log(replies.substr(0, replies.size() - 1));
    return code;
}
