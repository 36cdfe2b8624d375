#pragma once

#include "platform/ftp/ftp_session.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tarvo::ftp::test {

// A server child process, stopped when this goes away.
class ServerProcess {
public:
    // Starts the program; when readPort is set, the first line it prints is its port.
    ServerProcess(const std::vector<std::string>& argv, bool readPort);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    bool running() const { return pid_ > 0; }
    std::uint16_t port() const { return port_; }
    void setPort(std::uint16_t port) { port_ = port; }

private:
    int pid_ = -1;
    std::uint16_t port_ = 0;
};

// A running FTP server with a root directory the test user may read and write.
struct TestServer {
    std::unique_ptr<TempTree> dir;
    std::filesystem::path root;
    std::string host;
    std::string user;
    std::string password;
    std::unique_ptr<ServerProcess> process;

    ConnectOptions options(TransferMode mode = TransferMode::Passive) const;
    // Writes a file into the server's root, readable by the server's user.
    void putFile(const std::string& name, const std::string& content) const;
};

// pyftpdlib with the given fault mode of fault_ftp_server.py (see there), or a hostile raw
// server; throttle in bytes per second, 0 for none.
std::unique_ptr<TestServer> startFaultServer(const std::string& host, const std::string& mode,
                                             const std::string& argument = "", int throttle = 0);
// vsftpd on the address, with a local user who may write; nothing when it cannot run here
// (not root, or not installed).
std::unique_ptr<TestServer> startVsftpd(const std::string& host);

// A loopback port on which nothing listens.
std::uint16_t closedPort(const std::string& host);

} // namespace tarvo::ftp::test
