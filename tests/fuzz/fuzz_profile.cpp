// libFuzzer target: every input is a settings file. It is read under the program's own names and the names
// it holds, written once, and read again; any broken rule (see profile_check.h) stops the run with the input.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "../profile_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // In TMPDIR (which scripts/fuzz points at a folder it removes afterwards), one file for each process.
    static const char* folder = std::getenv("TMPDIR");
    static const std::string file = std::string(folder != nullptr ? folder : "/tmp") + "/kavimo-fuzz-" +
                                    std::to_string(getpid()) + ".ini";
    const std::string failure =
        profile_check::check(file, std::string_view(reinterpret_cast<const char*>(data), size));
    if (!failure.empty()) {
        std::fprintf(stderr, "settings file rule broken: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
