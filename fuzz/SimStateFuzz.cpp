// The simulated radio's state file read from any bytes: a refused file says why and leaves the
// state alone; an accepted one is a state the radio can hold, and is saved and read back the same.

#include "fuzz/FuzzCheck.h"
#include "sim/SimStateFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) {
        return 0;
    }
    const QByteArray json(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    SimState state = DefaultSimState(FAMILY_QX);
    const SimState before = state;
    QString error;
    if (!SimStateFromJson(json, &state, &error)) {
        FUZZ_CHECK(state == before);
        FUZZ_CHECK(!error.trimmed().isEmpty());
        return 0;
    }
    std::string why;
    FUZZ_CHECK(ValidateSimState(state, &why));

    SimState back;
    QString again;
    FUZZ_CHECK(SimStateFromJson(SimStateToJson(state), &back, &again));
    FUZZ_CHECK(back == state);
    return 0;
}
