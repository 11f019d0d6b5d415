#include "StandIn.h"

#include <cstdint>
#include <climits>
#include <cstdlib>
#include <csignal>
#include <unistd.h>

namespace {
int stopCode = -1;
void Stop(int)
{
    _exit(stopCode);
}
} // namespace

std::vector<std::string> StandIn::Start(int argc, char **argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::string StandIn::OwnPath()
{
    char path[PATH_MAX];
    const ssize_t size = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return size > 0 ? std::string(path, size_t(size)) : std::string();
}

void StandIn::OnStopRequest(int code)
{
    stopCode = code;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, code < 0 ? SIG_IGN : Stop);
}

void StandIn::Crash()
{
    // An address read at run time, which the compiler cannot see through.
    volatile std::uintptr_t address = sizeof(int);
    *reinterpret_cast<volatile int *>(address) = 1; // NOLINT(performance-no-int-to-ptr): on purpose
    std::abort();
}
