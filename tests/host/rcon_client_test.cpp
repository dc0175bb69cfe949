// The UDP remote console against a server on the loopback address, started inside each test: the
// datagram that goes out, the reply that comes back, and a bounded wait when none does.
#include "host/rcon_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace orvane::host {
namespace {

using namespace std::chrono_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";

// A server bound to 127.0.0.1 on a port of the system's choosing. The i-th request it receives is
// answered with the datagrams of answers[i]; later ones, and all of a silent server's, go
// unanswered.
class LoopbackServer {
public:
    explicit LoopbackServer(std::vector<std::vector<std::string>> answers)
        : answers_(std::move(answers)) {
        socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            ADD_FAILURE() << "no loopback socket";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (socket_ >= 0) ::close(socket_);
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    void serve() {
        char buffer[2048];
        while (!stop_) {
            pollfd fd{socket_, POLLIN, 0};
            if (::poll(&fd, 1, 20) <= 0) continue;
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const auto got = ::recvfrom(socket_, buffer, sizeof buffer, 0,
                                        reinterpret_cast<sockaddr*>(&from), &size);
            if (got < 0) continue;
            std::size_t request;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.emplace_back(buffer, static_cast<std::size_t>(got));
                request = received_.size() - 1;
            }
            if (request >= answers_.size()) continue;
            for (const std::string& datagram : answers_[request])
                ::sendto(socket_, datagram.data(), datagram.size(), 0,
                         reinterpret_cast<sockaddr*>(&from), size);
        }
    }

    std::vector<std::vector<std::string>> answers_;
    int socket_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_;
};

TEST(RconClient, SendsTheConsoleDatagramAndCollectsThePrintedReply) {
    const std::string print = kHeader + "print\n";
    struct Row {
        const char* name;
        std::vector<std::string> datagrams;
        std::string reply;
    } rows[] = {
        {"one datagram",
         {print + "\"pam_mode\" is: \"cb\" default: \"pub\"\n"},
         "\"pam_mode\" is: \"cb\" default: \"pub\"\n"},
        {"a long reply in two datagrams",
         {print + "Directory of x\n---\n", print + "a.gsc\n"},
         "Directory of x\n---\na.gsc\n"},
        {"datagrams that are not console replies are skipped",
         {"print\nno header", kHeader + "statusResponse\nx", print + "ok\n"},
         "ok\n"},
        {"an empty reply", {print}, ""},
    };
    for (const Row& r : rows) {
        LoopbackServer server({r.datagrams});
        RconClient client;
        std::string reply, error;
        ASSERT_TRUE(client.open(server.address(), "s3cret", 2000ms, error))
            << r.name << ": " << error;
        EXPECT_TRUE(client.exchange("pam_mode", reply, error)) << r.name << ": " << error;
        EXPECT_EQ(reply, r.reply) << r.name;
        EXPECT_EQ(server.received(), std::vector<std::string>{kHeader + "rcon s3cret pam_mode"})
            << r.name;
    }
}

TEST(RconClient, ASilentOrAbsentServerCostsABoundedWaitAndAWordedReason) {
    LoopbackServer silent({});
    RconClient client;
    std::string reply, error;
    ASSERT_TRUE(client.open(silent.address(), "pw", 150ms, error)) << error;
    EXPECT_FALSE(client.exchange("status", reply, error));
    EXPECT_EQ(error, "no reply from " + silent.address() + " within 150 ms");
    const RconAnswer answer = client.execute(u"status");
    EXPECT_FALSE(answer.replied);
    const std::string where = silent.address();
    EXPECT_EQ(answer.note,
              u"no reply from " + std::u16string(where.begin(), where.end()) + u" within 150 ms");

    std::string absent;
    {
        LoopbackServer gone({});
        absent = gone.address();
    }
    ASSERT_TRUE(client.open(absent, "pw", 2000ms, error)) << error;
    EXPECT_FALSE(client.exchange("status", reply, error));
    EXPECT_EQ(error, absent + " refused the command (no server listening there)");
}

TEST(RconClient, RefusesAddressesItCannotRead) {
    for (const char* address :
         {"127.0.0.1:", "127.0.0.1:port", ":28960", "[::1", "::1:28960", "127.0.0.1 28960"}) {
        RconClient client;
        std::string error, reply;
        EXPECT_FALSE(client.open(address, "pw", 100ms, error)) << address;
        EXPECT_FALSE(error.empty()) << address;
        EXPECT_FALSE(client.exchange("status", reply, error)) << address << ": still closed";
        EXPECT_EQ(error, "no server address") << address;
    }
}

// The built host, with its remote console pointed at the loopback server.
TEST(RconClient, TheHostFeedsTheServersListingToTheRconTab) {
    LoopbackServer server(
        {{kHeader + "print\nDirectory of maps/pam/rules/sd gsc\n---\n" + "pub.gsc\ncb.gsc\n"}});
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvane-rcon-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string address = "'" + server.address() + "'";
    std::ofstream(dir / "udp.cfg")
        << "['server'] = { ['Server'] = { ['GameType'] = 'CoD2'; ['Addr'] = " << address
        << "; }; ['Rules']['g_gametype'] = 'sd'; };\n['rcon'] = { ['address'] = " << address
        << "; ['password'] = 'pw'; ['timeout'] = 2000; };\n"
           "['events'] = vector('AppInit', 'CreateTabs', 'ServerChanged', { ['tab'] = "
           "vector('Update'); });\n";
    const std::string command = std::string("'") + ORVANE_HOST_PATH + "' --data '" +
                                (dir / "data").string() + "' '" + (dir / "udp.cfg").string() +
                                "' >'" + (dir / "out.txt").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    std::stringstream out;
    out << std::ifstream(dir / "out.txt").rdbuf();
    std::filesystem::remove_all(dir);

    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out.str();
    EXPECT_EQ(server.received(),
              std::vector<std::string>{kHeader + "rcon pw dir maps/pam/rules/sd gsc"});
    EXPECT_NE(out.str().find("== RconResponse to 'dir maps/pam/rules/sd gsc'\n"
                             "reply: Directory of maps/pam/rules/sd gsc\n"),
              std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("tab: rule list: 'cb.gsc', 'pub.gsc'\n"), std::string::npos)
        << out.str();
}

}  // namespace
}  // namespace orvane::host
