#pragma once

#include <string>

// The FTP connection bar as it stood when a connect was asked for.
struct ConnectFields {
    std::string SiteName;
    std::string Host;
    std::string Port; // as typed
    std::string User;
    std::string Password;
};
