#pragma once
// Calls back on the UI thread when a file descriptor becomes readable (a server connection's
// notification socket). The descriptor is neither read nor closed here: the callback reads it.
// The callback is not called again while it runs (a message box it opens does not spin on the
// unread socket), and the watch may be destroyed from inside it.
#include <functional>
#include <memory>

class TSocketWatch {
public:
    TSocketWatch(int fd, std::function<void()> onReadable);
    ~TSocketWatch();
    TSocketWatch(const TSocketWatch&) = delete;
    TSocketWatch& operator=(const TSocketWatch&) = delete;

    int Socket() const { return fd_; }

private:
    int fd_;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
