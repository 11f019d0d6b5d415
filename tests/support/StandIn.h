#pragma once

#include <string>
#include <vector>

// What the stand-in converter needs of its system.
namespace StandIn {
// Its arguments in UTF-8; its output streams written byte for byte, as the converter's are.
std::vector<std::string> Start(int argc, char **argv);
// The stand-in's own path.
std::string OwnPath();
// From now on a request to stop is ignored; or, with code >= 0, it ends the program with it.
void OnStopRequest(int code);
// Dies as a program dies of a bad pointer.
[[noreturn]] void Crash();
} // namespace StandIn
