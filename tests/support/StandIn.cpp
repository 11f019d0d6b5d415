// A stand-in for the converter, compiled for each system, that does what the steps in the file
// beside it say (its name with ".steps" for its extension), one a line:
//
//   version TEXT   when asked -version, says TEXT on standard output and exits 0
//   err TEXT       a line on standard error      out TEXT   one on standard output
//   flood N TEXT   TEXT lines on standard error, N bytes in all
//   write TEXT     TEXT into the file it is asked to write (its last argument)
//   copy NAME      the file NAME beside it into that file
//   args NAME      its arguments into the file NAME beside it, each followed by "\n--\n"
//   sleep MS       waits        hang   ignores requests to stop and waits for ever
//   stop-exit N    a request to stop ends it with status N; then waits for ever
//   crash          dies of a bad pointer      abort   aborts      exit N   ends with status N
#include "StandIn.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

std::string Beside(const std::string &self, const std::string &name)
{
    const std::string::size_type slash = self.find_last_of("/\\");
    return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + name;
}

[[noreturn]] void WaitForEver()
{
    for (;;)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments = StandIn::Start(argc, argv);
    const std::string self = StandIn::OwnPath();
    const std::string::size_type dot = self.find_last_of('.');
    const std::string::size_type slash = self.find_last_of("/\\");
    const bool suffixed = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    std::ifstream steps((suffixed ? self.substr(0, dot) : self) + ".steps");
    const std::string output = arguments.empty() ? std::string() : arguments.back();

    std::string line;
    while (std::getline(steps, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string::size_type space = line.find(' ');
        const std::string verb = line.substr(0, space);
        const std::string rest = space == std::string::npos ? std::string() : line.substr(space + 1);
        if (verb == "version") {
            if (!arguments.empty() && arguments.front() == "-version") {
                std::cout << rest << std::endl;
                return 0;
            }
        } else if (verb == "err") {
            std::cerr << rest << std::endl;
        } else if (verb == "out") {
            std::cout << rest << std::endl;
        } else if (verb == "flood") {
            std::istringstream words(rest);
            long long bytes = 0;
            words >> bytes;
            std::string text;
            std::getline(words >> std::ws, text);
            text += '\n';
            for (long long written = 0; written < bytes; written += static_cast<long long>(text.size()))
                std::cerr << text;
            std::cerr.flush();
        } else if (verb == "write") {
            std::ofstream(output, std::ios::binary) << rest;
        } else if (verb == "copy") {
            std::ifstream from(Beside(self, rest), std::ios::binary);
            std::ofstream(output, std::ios::binary) << from.rdbuf();
        } else if (verb == "args") {
            std::ofstream record(Beside(self, rest), std::ios::binary);
            for (const std::string &argument : arguments)
                record << argument << "\n--\n";
        } else if (verb == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(rest.c_str())));
        } else if (verb == "hang") {
            StandIn::OnStopRequest(-1);
            WaitForEver();
        } else if (verb == "stop-exit") {
            StandIn::OnStopRequest(std::atoi(rest.c_str()));
            WaitForEver();
        } else if (verb == "crash") {
            std::cerr.flush();
            StandIn::Crash();
        } else if (verb == "abort") {
            std::cerr.flush();
            std::abort();
        } else if (verb == "exit") {
            return std::atoi(rest.c_str());
        } else if (!verb.empty()) {
            std::cerr << "stand-in: unknown step " << verb << std::endl;
            return 125;
        }
    }
    return 0;
}
