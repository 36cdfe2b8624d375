#include "test_servers.h"

#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sched.h>
#include <stdexcept>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tarvo::ftp::test {

namespace {

constexpr const char* kPython = "/usr/bin/python3";
constexpr const char* kVsftpd = "/usr/sbin/vsftpd";
// The test's login on vsftpd. The account exists only in vsftpd's own view of /etc/passwd and
// /etc/shadow, files of the test's laid over the machine's in a mount namespace of vsftpd's own:
// the machine gains no account. Its sessions run with the ids of "nobody".
constexpr const char* kVsftpdUser = "tarvoftp";
constexpr const char* kVsftpdPassword = "Tarvo-Test-1";
constexpr const char* kVsftpdPasswordHash = "$6$tarvotest$AT3DXI3oSbVeR8P/pAp6MO1H6fzLAQUfJDAxS/"
                                            "Xj1UALcmdlabGZlT5Dv3oY.pRlq33HjnpOXTtbws0Iyyfb80";
constexpr const char* kVsftpdIds = "nobody";

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

// How a login on a freshly started server went: its port not open yet, or the reply.
enum class Probe { NotListening, LoggedIn, Refused };

Probe logIn(const TestServer& server) {
    Session probe;
    ConnectOptions options = server.options();
    options.timeouts = {std::chrono::milliseconds(500), std::chrono::milliseconds(500)};
    if (probe.connect(options))
        return Probe::LoggedIn;
    return lastError() == FtpError::CannotConnect ? Probe::NotListening : Probe::Refused;
}

std::string vsftpdConfig(const TestServer& server, std::uint16_t port,
                         const std::filesystem::path& empty) {
    const bool v6 = server.host.find(':') != std::string::npos;
    return (v6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6="
               : "listen=YES\nlisten_ipv6=NO\nlisten_address=") +
           server.host + "\nlisten_port=" + std::to_string(port) +
           "\nbackground=NO\n"
           "anonymous_enable=YES\nanon_root=" +
           server.root.string() +
           "\nno_anon_password=YES\nlocal_enable=YES\nwrite_enable=YES\n"
           "local_umask=022\nchmod_enable=YES\nlocal_root=" +
           server.root.string() +
           "\nchroot_local_user=YES\nallow_writeable_chroot=YES\nsecure_chroot_dir=" +
           empty.string() +
           "\nseccomp_sandbox=NO\nisolate=NO\nisolate_network=NO\n"
           "pasv_enable=YES\nport_enable=YES\nconnect_from_port_20=NO\n"
           "delay_failed_login=0\ndelay_successful_login=0\n"
           "pam_service_name=vsftpd\ncheck_shell=NO\nxferlog_enable=NO\nuserlist_enable=NO\n";
}

// vsftpd's own user database: the machine's accounts (vsftpd runs parts of itself as "nobody"
// and anonymous sessions as "ftp") and the test user, with a shell PAM accepts and "/" as home.
// Nothing else logs in there, so its shadow file holds the test user alone.
std::vector<std::pair<std::string, std::string>> writeUserDatabase(const TestServer& server,
                                                                   const passwd& ids) {
    std::ifstream machine("/etc/passwd");
    std::ofstream passwdFile(server.dir->at("passwd"));
    const std::string ours = std::string(kVsftpdUser) + ':';
    for (std::string line; std::getline(machine, line);)
        if (!line.starts_with(ours)) // the machine's own account of that name, if any, is not it
            passwdFile << line << '\n';
    passwdFile << kVsftpdUser << ":x:" << ids.pw_uid << ':' << ids.pw_gid
               << ":Tarvo tests:/:/bin/sh\n";
    std::ofstream(server.dir->at("shadow"))
        << kVsftpdUser << ':' << kVsftpdPasswordHash << ":19000:0:99999:7:::\n";
    return {{server.dir->at("passwd"), "/etc/passwd"}, {server.dir->at("shadow"), "/etc/shadow"}};
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

namespace {

// In a child between fork and exec: gives it a mount namespace of its own, private so that
// nothing mounted in it shows outside, and lays each file over its system path there. Reports a
// failure on the standard output.
bool layOver(const std::vector<std::pair<std::string, std::string>>& overlays) {
    const auto report = [](const char* what, const std::string& path) {
        const std::string message =
            std::string("cannot ") + what + path + ": " + std::strerror(errno) + "\n";
        [[maybe_unused]] const auto written =
            ::write(STDOUT_FILENO, message.data(), message.size());
        return false;
    };
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return report("make a mount namespace of its own", "");
    for (const auto& [file, over] : overlays)
        if (::mount(file.c_str(), over.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return report("lay the test's file over ", over);
    return true;
}

} // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& argv, bool readPort,
                             const std::vector<std::pair<std::string, std::string>>& overlays) {
    int output[2] = {-1, -1};
    if (::pipe2(output, O_CLOEXEC) != 0)
        return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setpgid(0, 0); // so that the server's own children end with it
        ::dup2(output[1], STDIN_FILENO);
        ::dup2(output[1], STDOUT_FILENO);
        if (!overlays.empty() && !layOver(overlays))
            ::_exit(126);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::setpgid(pid_, pid_); // also here: the destructor may come before the child's own call
    ::close(output[1]);
    output_ = output[0];
    if (readPort) {
        std::string line;
        pollfd entry{output_, POLLIN, 0};
        char c = 0;
        while (::poll(&entry, 1, 10'000) > 0 && ::read(output_, &c, 1) == 1 && c != '\n')
            line += c;
        port_ = static_cast<std::uint16_t>(std::atoi(line.c_str()));
    }
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0)
        ::close(output_);
}

bool ServerProcess::ended() {
    if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_)
        pid_ = -1;
    return pid_ <= 0;
}

std::string ServerProcess::output() const {
    std::string text;
    pollfd entry{output_, POLLIN, 0};
    char buffer[512];
    ssize_t got = 0;
    while (::poll(&entry, 1, 0) > 0 && (got = ::read(output_, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return text;
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
    writeFile(root / name, content);
    handOver();
}

void TestServer::handOver() const {
    if (owner.empty())
        return;
    const passwd* account = ::getpwnam(owner.c_str());
    if (account == nullptr)
        throw std::runtime_error("no account " + owner);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (::lchown(entry.path().c_str(), account->pw_uid, account->pw_gid) != 0)
            throw std::runtime_error("cannot hand " + entry.path().string() + " to " + owner);
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

StartedServer startVsftpd(const std::string& host) {
    if (::access(kVsftpd, X_OK) != 0)
        return {nullptr,
                std::string("vsftpd cannot run: ") + kVsftpd + ": " + std::strerror(errno)};
    if (::geteuid() != 0)
        return {nullptr, "vsftpd needs root: it changes into its root folder and to its user"};
    auto server = newServer(host, kVsftpdUser, kVsftpdPassword);
    server->owner = kVsftpdIds;
    server->root = server->dir->dir("home");
    const std::filesystem::path empty = server->dir->dir("empty");
    const passwd* ids = ::getpwnam(kVsftpdIds);
    if (ids == nullptr || ::chown(server->root.c_str(), ids->pw_uid, ids->pw_gid) != 0)
        return {nullptr, std::string("cannot give the server's root to ") + kVsftpdIds};
    const auto userDatabase = writeUserDatabase(*server, *ids);
    const std::filesystem::path config = server->dir->at("vsftpd.conf");
    std::string whyNot;
    // The port is free when picked but another program may take it before vsftpd binds it:
    // then vsftpd stops, and a new port is tried.
    for (int start = 0; start < 5; ++start) {
        const std::uint16_t port = closedPort(host);
        std::ofstream(config) << vsftpdConfig(*server, port, empty);
        server->process = std::make_unique<ServerProcess>(
            std::vector<std::string>{kVsftpd, config.string()}, false, userDatabase);
        server->process->setPort(port);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        Probe probe = Probe::NotListening;
        while ((probe = logIn(*server)) == Probe::NotListening && !server->process->ended() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (probe == Probe::LoggedIn)
            return {std::move(server), {}};
        if (probe == Probe::Refused)
            return {nullptr, "vsftpd refused the test user's login: " + lastResponse()};
        if (!server->process->ended())
            return {nullptr, "vsftpd did not answer on port " + std::to_string(port)};
        whyNot = "vsftpd stopped: " + server->process->output();
        if (whyNot.find("bind") == std::string::npos)
            break;
    }
    return {nullptr, whyNot};
}

} // namespace tarvo::ftp::test
