#pragma once

#include <functional>
#include <string>

// How server replies are written into a log (the console, a command window's log).

using LogClock = std::function<std::string()>;    // the time of day as log lines show it
using LogSink = std::function<void(std::string)>; // one addition to a log

// The code of the last reply among the lines: its first three characters, 0 when they are no
// number. A listing's two replies in one text ("150 ...", "226 ... Directory send OK") count as
// the 226 that ended it.
int replyCode(const std::string& replies);

// Logs the replies of the calling thread's last call: "[time] Status:>  " alone, then the
// replies without their last line break. Returns the last reply's code; 0, and nothing logged,
// when there was none.
int logReplies(const LogClock& clock, const LogSink& log);
