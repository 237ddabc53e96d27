#include "StallingProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

int ConnectUnix(const std::string& path)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

// Moves what `from` has to `to`; false once either side is gone.
bool Pass(int from, int to)
{
    char buffer[8192];
    ssize_t got = read(from, buffer, sizeof buffer);
    if (got <= 0)
        return false;
    for (ssize_t sent = 0; sent < got;) {
        ssize_t n = write(to, buffer + sent, static_cast<size_t>(got - sent));
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

}  // namespace

StallingProxy::StallingProxy(const std::string& socketPath) : upstream(socketPath)
{
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("StallingProxy: cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    server = std::thread([this] { Serve(); });
}

StallingProxy::~StallingProxy()
{
    stopping = true;
    server.join();
    close(listener);
}

void StallingProxy::Serve()
{
    struct Pair {
        int client;
        int server;
    };
    std::vector<Pair> pairs;
    while (!stopping) {
        std::vector<pollfd> watched{{listener, POLLIN, 0}};
        if (!stalled)
            for (const Pair& p : pairs) {
                watched.push_back({p.client, POLLIN, 0});
                watched.push_back({p.server, POLLIN, 0});
            }
        if (poll(watched.data(), watched.size(), 50) <= 0)
            continue;
        if (watched[0].revents & POLLIN) {
            int client = accept(listener, nullptr, nullptr);
            int server = client >= 0 ? ConnectUnix(upstream) : -1;
            if (server >= 0) {
                pairs.push_back({client, server});
                ++accepted;
            } else if (client >= 0) {
                close(client);
            }
            continue;
        }
        for (size_t i = 0; i < pairs.size(); ++i) {
            const pollfd& c = watched[1 + 2 * i];
            const pollfd& s = watched[2 + 2 * i];
            bool open = true;
            if (c.revents)
                open = Pass(c.fd, pairs[i].server);
            if (open && s.revents)
                open = Pass(s.fd, pairs[i].client);
            if (!open) {
                close(pairs[i].client);
                close(pairs[i].server);
                pairs[i].client = pairs[i].server = -1;
            }
        }
        std::vector<Pair> live;
        for (const Pair& p : pairs)
            if (p.client >= 0)
                live.push_back(p);
        pairs.swap(live);
    }
    for (const Pair& p : pairs) {
        close(p.client);
        close(p.server);
    }
}
