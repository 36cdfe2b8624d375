#include "test_servers.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarvo::ftp::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsftpd = "/usr/sbin/vsftpd";
constexpr const char* kVsftpdUser = "tarvoftp";
constexpr const char* kVsftpdPassword = "Tarvo-Test-1";

std::string sourceDir() {
    const char* dir = std::getenv("TARVO_SOURCE_DIR");
    return dir ? dir : TARVO_DEFAULT_SOURCE_DIR;
}

} // namespace

// Binds port 0 on the address to learn a port nothing listens on.
std::uint16_t closedPort(const std::string& host) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), "0", &hints, &found) != 0)
        throw std::runtime_error("not an address: " + host);
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ::bind(fd, found->ai_addr, found->ai_addrlen);
    ::freeaddrinfo(found);
    sockaddr_in6 bound{}; // the port lies at the same place for both families
    socklen_t length = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    ::close(fd);
    return ntohs(bound.sin6_port);
}

namespace {

bool answers(const std::string& host, std::uint16_t port) {
    Session probe;
    ConnectOptions options;
    options.host = host;
    options.port = port;
    options.user = "nobody";
    options.timeouts = {std::chrono::milliseconds(500), std::chrono::milliseconds(500)};
    probe.connect(options);
    return lastError() != FtpError::CannotConnect;
}

bool ensureVsftpdUser() {
    if (::getpwnam(kVsftpdUser) == nullptr &&
        std::system((std::string("useradd -M -s /bin/sh -d / ") + kVsftpdUser + " >/dev/null 2>&1")
                        .c_str()) != 0)
        return false;
    const std::string setPassword = std::string("echo '") + kVsftpdUser + ':' + kVsftpdPassword +
                                    "' | chpasswd >/dev/null 2>&1";
    return std::system(setPassword.c_str()) == 0;
}

std::unique_ptr<TestServer> newServer(const std::string& host, std::string user,
                                      std::string password) {
    auto server = std::make_unique<TestServer>();
    server->dir = std::make_unique<TempTree>();
    server->host = host;
    server->user = std::move(user);
    server->password = std::move(password);
    return server;
}

} // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& argv, bool readPort) {
    int output[2] = {-1, -1};
    if (::pipe2(output, O_CLOEXEC) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(output[1]);
    if (readPort) {
        std::string line;
        pollfd entry{output[0], POLLIN, 0};
        char c = 0;
        while (::poll(&entry, 1, 10'000) > 0 && ::read(output[0], &c, 1) == 1 && c != '\n')
            line += c;
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
    }
    ::close(output[0]);
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

ConnectOptions TestServer::options(TransferMode mode) const {
    ConnectOptions options;
    options.host = host;
    options.port = process->port();
    options.user = user;
    options.password = password;
    options.mode = mode;
    options.timeouts = {std::chrono::milliseconds(5'000), std::chrono::milliseconds(10'000)};
    return options;
}

void TestServer::putFile(const std::string& name, const std::string& content) const {
    const auto path = root / name;
    writeFile(path, content);
    if (::getuid() == 0 && user == kVsftpdUser) {
        const passwd* entry = ::getpwnam(kVsftpdUser);
        if (entry != nullptr && ::chown(path.c_str(), entry->pw_uid, entry->pw_gid) != 0)
            throw std::runtime_error("chown failed");
    }
}

std::unique_ptr<TestServer> startFaultServer(const std::string& host, const std::string& mode,
                                             const std::string& argument, int throttle) {
    auto server = newServer(host, "tester", "secret");
    server->root = server->dir->path();
    std::vector<std::string> argv = {
        kPython,      sourceDir() + "/tests/platform/ftp/fault_ftp_server.py",
        host,         server->root.string(),
        server->user, server->password,
        mode};
    if (!argument.empty())
        argv.push_back(argument);
    if (throttle > 0) {
        argv.push_back("--throttle");
        argv.push_back(std::to_string(throttle));
    }
    server->process = std::make_unique<ServerProcess>(argv, true);
    if (server->process->port() == 0)
        throw std::runtime_error("the test FTP server did not start");
    return server;
}

std::unique_ptr<TestServer> startVsftpd(const std::string& host) {
    if (::getuid() != 0 || ::access(kVsftpd, X_OK) != 0 || !ensureVsftpdUser())
        return nullptr;
    auto server = newServer(host, kVsftpdUser, kVsftpdPassword);
    server->root = server->dir->at("home");
    const std::filesystem::path empty = server->dir->at("empty");
    for (const auto& folder : {server->root, empty})
        std::filesystem::create_directories(folder);
    const passwd* entry = ::getpwnam(kVsftpdUser);
    if (::chown(server->root.c_str(), entry->pw_uid, entry->pw_gid) != 0)
        return nullptr;
    const bool v6 = host.find(':') != std::string::npos;
    const std::uint16_t port = closedPort(host); // free now; vsftpd takes it
    const std::filesystem::path config = server->dir->at("vsftpd.conf");
    std::ofstream(config) << (v6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6=" + host
                                 : "listen=YES\nlisten_ipv6=NO\nlisten_address=" + host)
                          << "\nlisten_port=" << port << "\nbackground=NO\n"
                          << "anonymous_enable=YES\nanon_root=" << server->root.string()
                          << "\nno_anon_password=YES\nlocal_enable=YES\nwrite_enable=YES\n"
                          << "local_umask=022\nchmod_enable=YES\nlocal_root="
                          << server->root.string()
                          << "\nchroot_local_user=YES\nallow_writeable_chroot=YES\n"
                          << "secure_chroot_dir=" << empty.string()
                          << "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
                          << "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n"
                          << "delay_failed_login=0\ndelay_successful_login=0\n"
                          << "pam_service_name=vsftpd\ncheck_shell=NO\nxferlog_enable=NO\n"
                          << "userlist_enable=NO\n";
    server->process =
        std::make_unique<ServerProcess>(std::vector<std::string>{kVsftpd, config.string()}, false);
    server->process->setPort(port);
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (answers(host, port))
            return server;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

} // namespace tarvo::ftp::test
