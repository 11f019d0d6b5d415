#include "StandIn.h"

#include <cstdint>
#include <cstdlib>
#include <windows.h>

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
    volatile std::uintptr_t address = sizeof(int);
    *reinterpret_cast<volatile int *>(address) = 1;
    std::abort();
}
