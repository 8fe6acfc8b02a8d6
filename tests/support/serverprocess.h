#pragma once
// A server process for a test (a private CalDAV server, a scripted fake one) on a free port of
// 127.0.0.1: started with the port in its arguments, waited for until it accepts connections,
// ended by its process id when the object goes.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace orvenna::test {

// A port nobody listens on now (the system's pick for a socket bound to port 0).
inline int FreePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw std::runtime_error("no free port");
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return open;
}

class TServerProcess final {
public:
    // "{port}" in an argument is replaced by the port.
    explicit TServerProcess(std::vector<std::string> args) : Port(FreePort())
    {
        for (std::string& arg : args)
            if (const auto at = arg.find("{port}"); at != std::string::npos)
                arg.replace(at, 6, std::to_string(Port));
        Pid = ::fork();
        if (Pid == 0) {
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!Accepts(Port)) {
            int status = 0;
            if (::waitpid(Pid, &status, WNOHANG) == Pid || std::chrono::steady_clock::now() > deadline) {
                Pid = -1;
                throw std::runtime_error("the server " + args[0] + " did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    TServerProcess(const TServerProcess&) = delete;
    TServerProcess& operator=(const TServerProcess&) = delete;
    ~TServerProcess()
    {
        if (Pid > 0) {
            ::kill(Pid, SIGTERM);
            ::waitpid(Pid, nullptr, 0);
        }
    }

    std::string Url(const std::string& path = "/") const
    {
        return "http://127.0.0.1:" + std::to_string(Port) + path;
    }

    int Port;

private:
    pid_t Pid = -1;
};

}  // namespace orvenna::test
