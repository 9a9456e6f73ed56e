// The robot's HTTP transport, on cpp-httplib: what the open internet may
// send is bounded before any route sees it.  Each request must arrive whole,
// header and body, within a deadline; bodies are read only up to a limit, as
// they arrive and as they are unpacked; the port is this server's alone, with
// a listen queue deep enough for a burst of clients.
#pragma once

#include <httplib.h>

#include <chrono>
#include <cstddef>
#include <string>

struct TransportLimits {
    std::chrono::seconds readTimeout{10};       // silence allowed between two bytes
    std::chrono::seconds requestDeadline{60};   // for a request's whole header and body
    std::chrono::seconds keepAliveTimeout{3};   // between two requests on one connection
    std::size_t bodyLimit = 2 * 1024 * 1024;    // bytes of a body, as unpacked
    std::size_t workers = 256;                  // connections served at once
};

class RobotHttpServer : public httplib::Server {
public:
    explicit RobotHttpServer(const TransportLimits& limits);

    // Binds host:port for this server alone: a port another program holds is
    // an error, never shared.  False with `error` saying why.
    bool bindExclusively(const std::string& host, int port, std::string& error);
    // Binds a free port of `host` and returns it; -1 when it cannot.
    int bindAnyPort(const std::string& host);

    // A POST handler that first reads the request's body, at most the body
    // limit of it as unpacked, into the request's files or params as
    // cpp-httplib would; past the limit it answers 413 without reading on.
    // Every POST route goes through it: a body read whole would lift the limit.
    HandlerWithContentReader readingAtMostTheLimit(Handler handler) const;

private:
    bool process_and_close_socket(socket_t sock) override;
    bool deepenListenQueue();

    TransportLimits limits_;
};

// Only a POST takes a body, read through readingAtMostTheLimit; any other
// request that announces a chunked or compressed one gets 400 before it is
// read.  For the pre-routing handler: Handled when it answered.
httplib::Server::HandlerResponse refuseBodiesOutsideForms(const httplib::Request& req, httplib::Response& res);

// What the transport knows of the request the calling thread is serving:
// since when it has been arriving, and, for the access log, why it failed.
std::chrono::milliseconds timeSinceRequestBegan();
void noteRequestFailure(const std::string& cause);
// The failure noted for this request, then forgotten; empty when none.
std::string takeRequestFailure();
// Asks the transport to close the connection once this answer is written.
void closeConnectionAfterAnswer(httplib::Response& res);
