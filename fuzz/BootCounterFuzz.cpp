// The engine-boots counter file as anything at all: reading it never fails
// other than with a result code, and a counter saved into it reads back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "snmplib/BootCounter.h"

namespace {

std::string s_file;

void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "%s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/krw-fuzz-counter-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    s_file = std::string(folder) + "/QvSNMP_PP_BootCounter";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* out = std::fopen(s_file.c_str(), "wb");
    if (out == nullptr)
        return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);

    const OctetStr file(s_file.c_str());
    const OctetStr engineId("QvSNMP_PP_Application");
    unsigned int counter = 1;
    const int read = getBootCounter(file, engineId, counter);
    Check(read <= BOOTCOUNTER_OK && read >= BOOTCOUNTER_BAD_ENTRY, "unexpected read result");
    Check(read == BOOTCOUNTER_OK || counter == 0, "a failed read left a counter");

    const unsigned int saved = static_cast<unsigned int>(size) * 2654435761u;
    if (saveBootCounter(file, engineId, saved) == BOOTCOUNTER_OK) {
        Check(getBootCounter(file, engineId, counter) == BOOTCOUNTER_OK, "a saved counter does not read back");
        Check(counter == saved, "a saved counter reads back changed");
    }
    return 0;
}
