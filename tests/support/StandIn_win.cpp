#include "StandIn.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h> // needs windows.h before it

std::vector<std::string> StandIn::Start(int, char **)
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The narrow arguments are in the system's code page, which cannot hold every name.
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(size_t(bytes > 0 ? bytes - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, argument.data(), bytes, nullptr, nullptr);
        arguments.push_back(argument);
    }
    LocalFree(wide);
    return arguments;
}

std::string StandIn::OwnPath()
{
    char path[MAX_PATH];
    const DWORD size = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, size);
}

void StandIn::OnStopRequest(int)
{
    // A console program without a console gets no request: Quillon ends it at once.
}

void StandIn::Crash()
{
    // As a converter dies on a desktop with no one to report to: no fault dialog, no debugger.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    volatile std::uintptr_t address = sizeof(int);
    *reinterpret_cast<volatile int *>(address) = 1; // NOLINT(performance-no-int-to-ptr): on purpose
    std::abort();
}
