#include "robot/http_transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kListenBacklog = 1024;  // the kernel caps it at net.core.somaxconn
constexpr std::size_t kRequestsPerConnection = 100;
constexpr std::chrono::milliseconds kDrainTime{2000};

// The request this worker thread is serving.  cpp-httplib runs a request's
// routing, handlers and logger on the thread that reads it, so the transport
// and the access log meet here without threading state through the library.
struct RequestOnThisThread {
    Clock::time_point began = Clock::now();
    std::string failure;
    bool closeAfterAnswer = false;
};
thread_local RequestOnThisThread current;

std::chrono::milliseconds timeLeftUntil(Clock::time_point until)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
}

// A connection's socket read through a buffer (cpp-httplib reads a header a
// byte at a time), where every wait for bytes ends at the earlier of the read
// timeout and the request's deadline: a client sending a byte every few
// seconds is cut off all the same.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(int socket, const TransportLimits& limits) : socket_(socket), limits_(limits) {}

    void beginRequest()
    {
        current = RequestOnThisThread{};
        deadline_ = current.began + limits_.requestDeadline;
    }

    // Reads and drops what the client still sends, for a moment at most.
    void drainBriefly()
    {
        const auto until = Clock::now() + kDrainTime;
        for (;;) {
            const auto left = timeLeftUntil(until);
            if (left.count() <= 0 || !waitFor(POLLIN, left) || ::recv(socket_, buffer_.data(), buffer_.size(), 0) <= 0)
                return;
        }
    }

    // Waits for the next request on a kept-alive connection.
    bool nextRequestArrives() const { return hasBuffered() || waitFor(POLLIN, limits_.keepAliveTimeout); }

    bool is_readable() const override
    {
        if (hasBuffered())
            return true;
        const auto left = timeLeftUntil(deadline_);
        return left.count() > 0 && waitFor(POLLIN, std::min<std::chrono::milliseconds>(left, limits_.readTimeout));
    }

    // The deadline is for what the client sends; a large answer to a slow
    // reader has the read timeout's patience for each write.
    bool is_writable() const override { return waitFor(POLLOUT, limits_.readTimeout); }

    ssize_t read(char* ptr, size_t size) override
    {
        if (!hasBuffered()) {
            if (!is_readable())
                return -1;
            const ssize_t got = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
            if (got <= 0)
                return got;
            begin_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        const std::size_t taken = std::min(size, end_ - begin_);
        std::memcpy(ptr, buffer_.data() + begin_, taken);
        begin_ += taken;
        return static_cast<ssize_t>(taken);
    }

    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        return ::send(socket_, ptr, size, MSG_NOSIGNAL);
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override { addressOf(::getpeername, ip, port); }
    void get_local_ip_and_port(std::string& ip, int& port) const override { addressOf(::getsockname, ip, port); }
    socket_t socket() const override { return socket_; }

private:
    bool hasBuffered() const { return begin_ < end_; }

    bool waitFor(short event, std::chrono::milliseconds timeout) const
    {
        pollfd watched{socket_, event, 0};
        int ready;
        do
            ready = ::poll(&watched, 1, static_cast<int>(timeout.count()));
        while (ready < 0 && errno == EINTR);
        return ready > 0;
    }

    void addressOf(int (*name)(int, sockaddr*, socklen_t*), std::string& ip, int& port) const
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        char host[NI_MAXHOST], service[NI_MAXSERV];
        if (name(socket_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
            ::getnameinfo(reinterpret_cast<sockaddr*>(&address), length, host, sizeof host, service, sizeof service,
                          NI_NUMERICHOST | NI_NUMERICSERV) != 0)
            return;
        ip = host;
        port = std::atoi(service);
    }

    int socket_;
    TransportLimits limits_;
    Clock::time_point deadline_{};
    std::array<char, 4096> buffer_{};
    std::size_t begin_ = 0, end_ = 0;
};

// The bytes of one request's body, taken from what all bodies may hold
// together, and given back when the request is done with.
class BodyBytesHeld {
public:
    explicit BodyBytesHeld(std::atomic<std::size_t>& free) : free_(free) {}
    ~BodyBytesHeld() { free_ += held_; }
    BodyBytesHeld(const BodyBytesHeld&) = delete;
    BodyBytesHeld& operator=(const BodyBytesHeld&) = delete;

    bool take(std::size_t bytes)
    {
        std::size_t free = free_.load();
        do {
            if (free < bytes) {
                refused_ = true;
                return false;
            }
        } while (!free_.compare_exchange_weak(free, free - bytes));
        held_ += bytes;
        return true;
    }
    bool refused() const { return refused_; }

private:
    std::atomic<std::size_t>& free_;
    std::size_t held_ = 0;
    bool refused_ = false;
};

}  // namespace

std::chrono::milliseconds timeSinceRequestBegan()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - current.began);
}

void noteRequestFailure(const std::string& cause)
{
    current.failure = current.failure.empty() ? cause : current.failure + "; " + cause;
}

std::string takeRequestFailure()
{
    return std::exchange(current.failure, {});
}

void closeConnectionAfterAnswer(httplib::Response& res)
{
    current.closeAfterAnswer = true;
    res.set_header("Connection", "close");
}

RobotHttpServer::RobotHttpServer(const TransportLimits& limits)
    : limits_(limits), bodyBytesFree_(limits.bodiesAtOnce)
{
    new_task_queue = [workers = limits.workers] { return new httplib::ThreadPool(workers); };
    set_read_timeout(limits.readTimeout);
    set_write_timeout(limits.readTimeout);
    // What the answers' Keep-Alive header promises; the connection loop below keeps it.
    set_keep_alive_timeout(limits.keepAliveTimeout.count());
    set_keep_alive_max_count(kRequestsPerConnection);
    set_payload_max_length(limits.bodyLimit);
    set_pre_routing_handler(nullptr);
    // cpp-httplib's default sets SO_REUSEPORT, which lets a second server
    // bind the same port and take half the connections.  SO_REUSEADDR alone
    // still lets a restart bind while old connections linger in TIME_WAIT.
    set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
}

bool RobotHttpServer::readyToServe()
{
    // After every route: a POST to none still has its body read within the
    // limit before the 404.
    Server::Post(".*", readingAtMostTheLimit([](const httplib::Request&, httplib::Response& res) { res.status = 404; }));
    // cpp-httplib listens with a queue of 5: in a burst the kernel drops the
    // rest, and their clients retry only after one, three, seven seconds.
    return ::listen(svr_sock_, kListenBacklog) == 0;
}

bool RobotHttpServer::bindExclusively(const std::string& host, int port, std::string& error)
{
    errno = 0;
    if (!bind_to_port(host, port)) {
        error = errno == EADDRINUSE ? "the port is in use (is another robot running?)"
                                    : errno ? std::strerror(errno) : "the address cannot be bound";
        return false;
    }
    if (!readyToServe()) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

int RobotHttpServer::bindAnyPort(const std::string& host)
{
    const int port = bind_to_any_port(host);
    return port > 0 && readyToServe() ? port : -1;
}

bool RobotHttpServer::process_and_close_socket(socket_t sock)
{
    DeadlineStream stream(sock, limits_);
    bool closed = false;
    for (std::size_t served = 0; !closed && served < kRequestsPerConnection && svr_sock_ != INVALID_SOCKET; ++served) {
        if (served > 0 && !stream.nextRequestArrives())
            break;
        stream.beginRequest();
        if (!process_request(stream, served + 1 == kRequestsPerConnection, closed, nullptr) || current.closeAfterAnswer)
            break;
    }
    // An answer given before the body was read whole (413, 503) reaches the
    // client only if the connection is not reset under it, as closing with
    // unread bytes does: the rest is read and dropped for a moment first.
    ::shutdown(sock, SHUT_WR);
    if (current.closeAfterAnswer)
        stream.drainBriefly();
    ::close(sock);
    return true;
}

httplib::Server& RobotHttpServer::set_pre_routing_handler(HandlerWithResponse gate)
{
    return Server::set_pre_routing_handler([gate](const httplib::Request& req, httplib::Response& res) {
        const bool announcesUnreadBody = req.has_header("Transfer-Encoding") || req.has_header("Content-Encoding");
        if (req.method != "POST" && announcesUnreadBody) {
            res.status = 400;
            closeConnectionAfterAnswer(res);
            return HandlerResponse::Handled;
        }
        return gate ? gate(req, res) : HandlerResponse::Unhandled;
    });
}

httplib::Server& RobotHttpServer::Post(const std::string& pattern, Handler handler)
{
    return Server::Post(pattern, readingAtMostTheLimit(std::move(handler)));
}

httplib::Server::HandlerWithContentReader RobotHttpServer::readingAtMostTheLimit(Handler handler)
{
    return [limit = limits_.bodyLimit, &bodyBytesFree = bodyBytesFree_, handler](
               const httplib::Request& req, httplib::Response& res, const httplib::ContentReader& reader) {
        BodyBytesHeld held(bodyBytesFree);
        httplib::Request whole = req;
        std::size_t taken = 0;
        const auto within = [&](std::size_t bytes) { return (taken += bytes) <= limit && held.take(bytes); };
        bool complete = false;
        if (req.is_multipart_form_data()) {
            auto part = whole.files.end();
            complete = reader(
                [&](const httplib::MultipartFormData& header) {
                    part = whole.files.emplace(header.name, header);
                    return true;
                },
                [&](const char* data, std::size_t size) {
                    return within(size) && (part->second.content.append(data, size), true);
                });
        } else {
            complete = reader([&](const char* data, std::size_t size) {
                return within(size) && (whole.body.append(data, size), true);
            });
            if (complete && req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) == 0)
                httplib::detail::parse_query_text(whole.body, whole.params);
        }
        if (complete)
            return handler(whole, res);
        // What is left of the body is never read: the connection cannot
        // carry another request.
        if (taken > limit) {
            res.status = 413;
        } else if (held.refused()) {
            res.status = 503;
            res.set_header("Retry-After", "60");
        } else if (res.status < 400)
            res.status = 400;
        closeConnectionAfterAnswer(res);
    };
}
