#pragma once

#include <atomic>

// The one FTP session of the program.
class FTPCom {
public:
    // 0 while no panel shows the remote listing, 1 the right panel, 2 the left panel.
    std::atomic<int> FtpPanel{0};
};
