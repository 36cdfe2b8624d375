#pragma once

#include "platform/ftp/ftp_session.h"
#include "support/file_content.h"
#include "support/temp_tree.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tarvo::ftp::test {

// A server child process, stopped when this goes away.
class ServerProcess {
public:
    // Starts the program; when readPort is set, the first line it prints is its port. What it
    // writes to its standard input and output is kept for output() (vsftpd reports why it
    // stopped on its standard input). Each overlay (file, system path) lays a file over a
    // system file in a mount namespace of the program's own, for it alone to see.
    ServerProcess(const std::vector<std::string>& argv, bool readPort,
                  const std::vector<std::pair<std::string, std::string>>& overlays = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    std::uint16_t port() const { return port_; }
    void setPort(std::uint16_t port) { port_ = port; }
    // Whether the program has ended; then output() holds all it wrote.
    bool ended();
    std::string output() const;

private:
    int pid_ = -1;
    int output_ = -1;
    std::uint16_t port_ = 0;
};

// A running FTP server with a root directory the test user may read and write.
struct TestServer {
    std::unique_ptr<TempTree> dir;
    std::filesystem::path root;
    std::string host;
    std::string user;
    std::string password;
    // The account the server reads and writes the root as; empty for the test's own.
    std::string owner;
    std::unique_ptr<ServerProcess> process;

    ConnectOptions options(TransferMode mode = TransferMode::Passive) const;
    // Writes a file into the server's root, owned by the server's account.
    void putFile(const std::string& name, const std::string& content) const;
    // Gives everything below the root to the server's account, which may then change it.
    void handOver() const;
};

// pyftpdlib with the given fault mode of fault_ftp_server.py (see there), or a hostile raw
// server; throttle in bytes per second, 0 for none.
std::unique_ptr<TestServer> startFaultServer(const std::string& host, const std::string& mode,
                                             const std::string& argument = "", int throttle = 0);
// A server, or why it could not start.
struct StartedServer {
    std::unique_ptr<TestServer> server;
    std::string whyNot;
};
// vsftpd on the address and a free port, with a configuration of its own: a user who may
// write (and chmod) in a private root, and anonymous logins that may only read. The user exists
// for vsftpd alone, so the machine gains no account and no system file changes. Needs root:
// vsftpd changes into the root and to the user, and the user needs a mount namespace.
StartedServer startVsftpd(const std::string& host);

// A loopback port on which nothing listens.
std::uint16_t closedPort(const std::string& host);

} // namespace tarvo::ftp::test
