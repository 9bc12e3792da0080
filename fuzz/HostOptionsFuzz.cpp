// krw6180-clients' command line: the input is its arguments, separated by
// NUL characters. Accepted options are always within their ranges.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/HostOptions.h"

namespace {

const size_t kMaxArguments = 64;

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments{"krw6180-clients"};
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= input.size() && arguments.size() < kMaxArguments;) {
        const size_t end = std::min(input.find('\0', start), input.size());
        arguments.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    CHostOptions options;
    const int status = ParseHostOptions(static_cast<int>(arguments.size()), argv.data(), &options);
    Check(status == -1 || status == 0 || status == 2, "unexpected exit status");
    if (status == -1) {
        Check(options.port >= 1 && options.port <= 65535, "port out of range");
        Check(options.timeout >= 1 && options.timeout <= 360000, "timeout out of range");
        Check(options.repeat >= 1, "repeat out of range");
        Check(std::isfinite(options.waitSeconds) && std::isfinite(options.intervalSeconds), "time not finite");
        Check(options.waitSeconds >= 0 && options.intervalSeconds >= 0, "negative time");
        Check(options.demo || !options.addresses.empty(), "no access point to ask");
    }
    return 0;
}
