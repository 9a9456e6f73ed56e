// zemrix-robot CONFIG: serves the contest's log robot until SIGINT or SIGTERM.
// zemrix-robot --hash-password: reads a password on stdin and prints the
// line to put into the config.
#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "robot/organiser_auth.h"
#include "robot/robot_server.h"

namespace {

int printPasswordHash()
{
    std::string password;
    std::getline(std::cin, password);
    if (password.empty()) {
        std::cerr << "zemrix-robot: no password on stdin\n";
        return 2;
    }
    std::cout << "organiser_password_hash = " << hashPassword(password) << "\n";
    return 0;
}

// The signals that stop the robot.
sigset_t stopSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Signals are taken by a thread of their own, which stops the server the
// ordinary way: no work in a signal handler.
std::thread stopOnSignal(RobotServer& server)
{
    return std::thread([&server] {
        const sigset_t signals = stopSignals();
        int received = 0;
        sigwait(&signals, &received);
        server.stop();
    });
}

int serve(const std::string& configPath)
{
    const RobotConfig config = readRobotConfigFile(configPath);
    if (config.passwordHash.empty())
        std::cerr << "zemrix-robot: no organiser_password_hash in " << configPath
                  << ": the organiser's pages cannot be entered\n";
    const LogChecker checker(config.countryFile, config.checkerConfig);
    RobotServer server(config, checker);
    std::string error;
    if (!server.bind(error)) {
        std::cerr << "zemrix-robot: cannot listen on " << config.listenAddress << ":" << config.port << ": " << error
                  << "\n";
        return 1;
    }
    std::thread signalThread = stopOnSignal(server);
    std::cerr << "zemrix-robot: serving " << config.contestName << " on http://" << config.listenAddress << ":"
              << config.port << "/ (data in " << config.dataDir << ")\n";
    const bool served = server.serveAfterBind();
    if (!served)
        pthread_kill(signalThread.native_handle(), SIGTERM);
    signalThread.join();
    return served ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string usage = "usage: zemrix-robot CONFIG | zemrix-robot --hash-password < password\n";
    if (argc != 2) {
        std::cerr << usage;
        return 2;
    }
    const sigset_t signals = stopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        const std::string argument = argv[1];
        if (argument == "--hash-password")
            return printPasswordHash();
        return serve(argument);
    } catch (const std::exception& error) {
        std::cerr << "zemrix-robot: " << error.what() << "\n";
        return 1;
    }
}
