#ifndef STALLINGPROXY_H
#define STALLINGPROXY_H

#include <atomic>
#include <string>
#include <thread>

// A TCP port on 127.0.0.1 that passes each connection on to a unix socket
// (the test cluster's), until Stall(): from then on nothing passes either
// way, as with a server that has stopped answering. Counts the connections
// it accepted.
class StallingProxy {
public:
    explicit StallingProxy(const std::string& socketPath);
    ~StallingProxy();
    StallingProxy(const StallingProxy&) = delete;
    StallingProxy& operator=(const StallingProxy&) = delete;

    int Port() const { return port; }
    void Stall() { stalled = true; }
    int Connections() const { return accepted; }

private:
    void Serve();

    std::string upstream;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stalled{false};
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::thread server;
};

#endif
