#pragma once
// A loopback HTTP server for tests: an httplib server on an OS-assigned port,
// listening on its own thread for the life of the object.
#include <httplib.h>

#include <memory>
#include <string>
#include <thread>
#include <utility>

class FixtureServer {
public:
    FixtureServer() : FixtureServer(std::make_unique<httplib::Server>(), "http") {}
    FixtureServer(const FixtureServer&) = delete;
    FixtureServer& operator=(const FixtureServer&) = delete;
    ~FixtureServer() { stop(); }

    // Register routes on server() first, then start().
    httplib::Server& server() { return *server_; }

    void start()
    {
        port_ = server_->bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // The socket already listens; wait until the accept loop runs so that
        // stop() cannot race it (this httplib has no wait_until_ready).
        while (!server_->is_running())
            std::this_thread::yield();
    }

    void stop()
    {
        if (thread_.joinable()) {
            server_->stop();
            thread_.join();
        }
    }

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const
    {
        return scheme_ + "://127.0.0.1:" + std::to_string(port_) + path;
    }

protected:
    // A server of another kind (TLS), reached through the given scheme.
    FixtureServer(std::unique_ptr<httplib::Server> server, std::string scheme)
        : server_(std::move(server)), scheme_(std::move(scheme))
    {}

private:
    std::unique_ptr<httplib::Server> server_;
    std::string scheme_;
    std::thread thread_;
    int port_ = 0;
};
