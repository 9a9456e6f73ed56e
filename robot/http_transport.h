// The robot's HTTP transport, on cpp-httplib: what the open internet may
// send is bounded before any route sees it.  Each request must arrive whole,
// header and body, within a deadline; bodies are read only up to a limit, as
// they arrive and as they are unpacked; the port is this server's alone, with
// a listen queue deep enough for a burst of clients.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

struct TransportLimits {
    std::chrono::seconds readTimeout{10};       // silence allowed between two bytes
    std::chrono::seconds requestDeadline{60};   // for a request's whole header and body
    std::chrono::seconds keepAliveTimeout{3};   // between two requests on one connection
    std::size_t bodyLimit = 2 * 1024 * 1024;    // bytes of a body, as unpacked
    std::size_t bodiesAtOnce = 64 * 1024 * 1024;  // bytes of bodies all requests hold together
    std::size_t workers = 256;                  // connections served at once
};

// Routes and the pre-routing gate are given through this class, not its
// base: its Post and set_pre_routing_handler put the bounds in front.
class RobotHttpServer : public httplib::Server {
public:
    explicit RobotHttpServer(const TransportLimits& limits);

    // Binds host:port for this server alone: a port another program holds is
    // an error, never shared.  False with `error` saying why.
    bool bindExclusively(const std::string& host, int port, std::string& error);
    // Binds a free port of `host` and returns it; -1 when it cannot.
    int bindAnyPort(const std::string& host);

    // Every POST handler is handed its body read first, at most the body
    // limit of it as unpacked, into the request's files or params as
    // cpp-httplib would; past the limit the answer is 413 and the rest is
    // never read.  cpp-httplib would read a body whole, then hand it over.
    // A body that would take the bodies held at once past their bound is
    // answered 503 with Retry-After: the server stays within its memory
    // however many clients send at once.
    using httplib::Server::Post;
    Server& Post(const std::string& pattern, Handler handler);

    // Only a POST takes a body; any other request that announces a chunked
    // or compressed one gets 400 before it is read, ahead of `gate`, the
    // robot's own check of every request before its route.
    Server& set_pre_routing_handler(HandlerWithResponse gate);

private:
    bool process_and_close_socket(socket_t sock) override;
    HandlerWithContentReader readingAtMostTheLimit(Handler handler);
    bool readyToServe();

    TransportLimits limits_;
    std::atomic<std::size_t> bodyBytesFree_;
};

// What the transport knows of the request the calling thread is serving:
// since when it has been arriving, and, for the access log, why it failed.
std::chrono::milliseconds timeSinceRequestBegan();
void noteRequestFailure(const std::string& cause);
// The failure noted for this request, then forgotten; empty when none.
std::string takeRequestFailure();
// Asks the transport to close the connection once this answer is written.
void closeConnectionAfterAnswer(httplib::Response& res);
