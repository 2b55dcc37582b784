// A TCP relay between a client and a server on this machine, that can fail
// as a network does. It listens on 127.0.0.1 on a free port and forwards
// both ways to a target port. stall() stops forwarding in both directions
// and keeps every socket open: nothing answers and nothing closes, as when a
// cable is pulled. resume() forwards again; dropAll() closes every
// connection, as a restarted router does. POSIX only.
//
// A stalled relay is silent to the application only: the relay's own kernel
// still acknowledges what the client sends and answers its keepalive probes.
// For a network whose kernel too is silent, a test runs inside a
// PrivateLoopback and cuts it.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quorvel::testing {

class StallingProxy {
public:
    explicit StallingProxy(int targetPort);
    ~StallingProxy();
    StallingProxy(const StallingProxy&) = delete;
    StallingProxy& operator=(const StallingProxy&) = delete;

    bool ready() const { return port_ != 0; }
    // The port it listens on, at 127.0.0.1.
    int port() const { return port_; }

    void stall();
    void resume();
    void dropAll();
    // Connections it relays now.
    int connections();

private:
    void relay();
    void wake();
    void closeAll();

    int targetPort_;
    int port_ = 0;
    int listener_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> stalled_{false};
    std::atomic<bool> dropping_{false};
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::vector<std::pair<int, int>> pairs_; // client socket, server socket
    std::thread thread_;
};

// The calling thread enters a network of its own, with its own loopback:
// servers and relays it starts from then on live there, unseen by other
// tests on the machine. cut() takes the loopback down, so the kernel drops
// every packet and answers nothing, while sockets stay open; mend() brings
// it back. The thread returns to the machine's network when it goes. Needs
// the right to administer networks (root).
class PrivateLoopback {
public:
    PrivateLoopback();
    ~PrivateLoopback();
    PrivateLoopback(const PrivateLoopback&) = delete;
    PrivateLoopback& operator=(const PrivateLoopback&) = delete;

    bool ready() const { return why_.empty(); }
    const std::string& why() const { return why_; }

    bool cut();
    bool mend();

private:
    int machineNetwork_ = -1;
    bool entered_ = false;
    std::string why_;
};

} // namespace quorvel::testing
