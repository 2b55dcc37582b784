#include "support/stalling_proxy.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace quorvel::testing {
namespace {

sockaddr_in loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Sends all of `length` bytes; false when the peer is gone.
bool sendAll(int socket, const char* bytes, ssize_t length) {
    while (length > 0) {
        const ssize_t sent = ::send(socket, bytes, static_cast<std::size_t>(length), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes += sent;
        length -= sent;
    }
    return true;
}

} // namespace

StallingProxy::StallingProxy(int targetPort) : targetPort_(targetPort) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(0);
    socklen_t length = sizeof address;
    if (listener_ < 0 ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { relay(); });
}

StallingProxy::~StallingProxy() {
    stopping_ = true;
    wake();
    if (thread_.joinable()) {
        thread_.join();
    }
    closeAll();
    for (int descriptor : {listener_, wakeRead_, wakeWrite_}) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
}

void StallingProxy::stall() {
    stalled_ = true;
    wake();
}

void StallingProxy::resume() {
    stalled_ = false;
    wake();
}

void StallingProxy::dropAll() {
    dropping_ = true;
    wake();
    while (dropping_ && thread_.joinable()) {
        std::this_thread::yield();
    }
}

int StallingProxy::connections() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(pairs_.size());
}

void StallingProxy::wake() {
    if (wakeWrite_ >= 0) {
        const char one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &one, 1);
    }
}

void StallingProxy::closeAll() {
    std::lock_guard lock(mutex_);
    for (const auto& [client, server] : pairs_) {
        ::shutdown(client, SHUT_RDWR);
        ::shutdown(server, SHUT_RDWR);
        ::close(client);
        ::close(server);
    }
    pairs_.clear();
}

void StallingProxy::relay() {
    std::vector<pollfd> watched;
    char buffer[16384];
    while (!stopping_) {
        if (dropping_) {
            closeAll();
            dropping_ = false;
        }
        // While stalled only the wake-up pipe is watched: bytes wait in the
        // kernel's buffers, unread and unanswered, and new clients wait in
        // the listen queue.
        watched.assign(1, pollfd{wakeRead_, POLLIN, 0});
        if (!stalled_) {
            watched.push_back(pollfd{listener_, POLLIN, 0});
            std::lock_guard lock(mutex_);
            for (const auto& [client, server] : pairs_) {
                watched.push_back(pollfd{client, POLLIN, 0});
                watched.push_back(pollfd{server, POLLIN, 0});
            }
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if ((watched[0].revents & POLLIN) != 0) {
            while (::read(wakeRead_, buffer, sizeof buffer) > 0) {
            }
            continue; // the state may have changed: watch again
        }
        if (watched.size() < 2) {
            continue;
        }
        if ((watched[1].revents & POLLIN) != 0) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
                const sockaddr_in target = loopback(targetPort_);
                if (server >= 0 && ::connect(server, reinterpret_cast<const sockaddr*>(&target),
                                             sizeof target) == 0) {
                    std::lock_guard lock(mutex_);
                    pairs_.emplace_back(client, server);
                } else {
                    ::close(client);
                    if (server >= 0) {
                        ::close(server);
                    }
                }
            }
        }
        std::lock_guard lock(mutex_);
        std::vector<std::pair<int, int>> kept;
        for (std::size_t i = 0; i < pairs_.size(); ++i) {
            const auto [client, server] = pairs_[i];
            bool alive = true;
            // pairs_ matches `watched` from index 2 while nothing was added
            // in between; a pair accepted just now has no events yet.
            if (2 + 2 * i + 1 < watched.size()) {
                for (int side = 0; side < 2 && alive; ++side) {
                    const pollfd& event = watched[2 + 2 * i + static_cast<std::size_t>(side)];
                    if ((event.revents & (POLLIN | POLLHUP | POLLERR)) == 0) {
                        continue;
                    }
                    const int from = side == 0 ? client : server;
                    const int to = side == 0 ? server : client;
                    const ssize_t got = ::recv(from, buffer, sizeof buffer, 0);
                    alive = got > 0 && sendAll(to, buffer, got);
                }
            }
            if (alive) {
                kept.emplace_back(client, server);
            } else {
                ::close(client);
                ::close(server);
            }
        }
        pairs_ = std::move(kept);
    }
}

PrivateLoopback::PrivateLoopback() {
    machineNetwork_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (machineNetwork_ < 0) {
        why_ = "the machine's network cannot be named";
        return;
    }
    if (::unshare(CLONE_NEWNET) != 0) {
        why_ = "no network of its own could be made (not root?)";
        return;
    }
    entered_ = true;
    if (!mend()) {
        why_ = "the private loopback did not come up";
    }
}

PrivateLoopback::~PrivateLoopback() {
    if (entered_) {
        ::setns(machineNetwork_, CLONE_NEWNET);
    }
    if (machineNetwork_ >= 0) {
        ::close(machineNetwork_);
    }
}

// The command runs in a child of this thread, so in this thread's network.
bool PrivateLoopback::cut() {
    return entered_ && std::system("ip link set lo down") == 0;
}

bool PrivateLoopback::mend() {
    return entered_ && std::system("ip link set lo up") == 0;
}

} // namespace quorvel::testing
