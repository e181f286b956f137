#pragma once
// A gate that handlers of a fixture server wait at, to play a server that
// goes quiet, until the test opens it (at the latest when the gate goes, so
// that the server can stop).
#include <httplib.h>

#include <condition_variable>
#include <mutex>

class ServerGate {
public:
    ServerGate() = default;
    ServerGate(const ServerGate&) = delete;
    ServerGate& operator=(const ServerGate&) = delete;
    ~ServerGate() { Open(); }

    void Wait()
    {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

    bool IsOpen()
    {
        std::lock_guard lock(mutex_);
        return open_;
    }

    void Open()
    {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

// A handler whose answer sends "first", then goes quiet at the gate before
// it ends its body.
inline httplib::Server::Handler FirstThenQuiet(ServerGate& gate)
{
    return [&gate](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [&gate](size_t offset, httplib::DataSink& sink) {
            if (offset == 0)
                return sink.write("first", 5);
            gate.Wait();
            sink.done();
            return true;
        });
    };
}
