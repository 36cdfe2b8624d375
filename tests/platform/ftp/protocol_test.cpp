// Reply parsing and the data connection rules, without a real server.
#include "platform/ftp/data_channel.h"
#include "platform/ftp/socket_io.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

namespace tarvo::ftp::detail {
namespace {

TEST(PassiveReply, PortIsTakenAndTheAddressIgnored) {
    EXPECT_EQ(passivePort("227 Entering Passive Mode (10,1,2,3,200,10)."), 51210);
    EXPECT_EQ(passivePort("227 Entering Passive Mode 127,0,0,1,4,1"), 1025);
    EXPECT_EQ(passivePort("227 =127,0,0,1,0,21"), 21);
    EXPECT_FALSE(passivePort("227 Entering Passive Mode (127,0,0,1,300,1)."));
    EXPECT_FALSE(passivePort("227 Entering Passive Mode (127,0,0,1,4)."));
    EXPECT_FALSE(passivePort("227 nothing here"));
}

TEST(PassiveReply, ExtendedForm) {
    EXPECT_EQ(extendedPassivePort("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(extendedPassivePort("229 ok (!!!21!)"), 21);
    EXPECT_FALSE(extendedPassivePort("229 Entering Extended Passive Mode (||6446|)"));
    EXPECT_FALSE(extendedPassivePort("229 Entering Extended Passive Mode (|||70000|)"));
    EXPECT_FALSE(extendedPassivePort("229 Entering Extended Passive Mode (|||6446)"));
}

Endpoint loopback(const char* address, std::uint16_t port) {
    Endpoint endpoint;
    auto* in = reinterpret_cast<sockaddr_in*>(&endpoint.storage);
    in->sin_family = AF_INET;
    in->sin_port = htons(port);
    ::inet_pton(AF_INET, address, &in->sin_addr);
    endpoint.length = sizeof *in;
    return endpoint;
}

// An active-mode data connection must come from the control connection's peer; a third
// party that connects first is turned away.
TEST(ActiveDataConnection, OnlyTheControlPeerIsAccepted) {
    Socket listener;
    ASSERT_EQ(listenOn(loopback("127.0.0.1", 0), listener), FtpError::None);
    const Endpoint target = localEndpoint(listener.fd());

    const CancelCheck never = [] { return false; };
    const auto connectFrom = [&](const char* source) {
        Socket socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        const Endpoint from = loopback(source, 0);
        EXPECT_EQ(
            ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&from.storage), from.length), 0);
        EXPECT_EQ(::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&target.storage),
                            target.length),
                  0);
        return socket;
    };
    Socket intruder = connectFrom("127.0.0.2");
    Socket server = connectFrom("127.0.0.1");
    ASSERT_EQ(::send(server.fd(), "ok", 2, 0), 2);

    Socket accepted;
    const Wait wait{Clock::now() + std::chrono::seconds(2), never};
    ASSERT_EQ(acceptFrom(listener.fd(), loopback("127.0.0.1", 21), wait, accepted), FtpError::None);
    char buffer[2] = {};
    std::size_t received = 0;
    ASSERT_EQ(receiveSome(accepted.fd(), buffer, 2, wait, received), FtpError::None);
    EXPECT_EQ(std::string(buffer, received), "ok");

    // With only the intruder left, the wait ends in a time-out.
    Socket intruder2 = connectFrom("127.0.0.2");
    const Wait shortWait{Clock::now() + std::chrono::milliseconds(300), never};
    EXPECT_EQ(acceptFrom(listener.fd(), loopback("127.0.0.1", 21), shortWait, accepted),
              FtpError::Timeout);
}

} // namespace
} // namespace tarvo::ftp::detail
