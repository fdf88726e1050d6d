#include "base/Timing.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Timing {

namespace {

double Checked(double scale) {
    return (scale > 0.0 && scale <= 1.0) ? scale : 1.0; // also turns NaN into 1
}

double ScaleFromEnvironment() {
    const char* text = std::getenv("ORVCONF_TIME_SCALE");
    if (text == nullptr) {
        return 1.0;
    }
    // from_chars ignores the locale: "0.05" means the same under a decimal-comma locale.
    const char* end = text + std::strlen(text);
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end) {
        return 1.0;
    }
    return Checked(value);
}

// Read from the UI thread and the port's monitor thread alike.
std::atomic<double>& ScaleSlot() {
    static std::atomic<double> scale{ScaleFromEnvironment()};
    return scale;
}

} // namespace

double Scale() {
    return ScaleSlot().load(std::memory_order_relaxed);
}

void SetScale(double scale) {
    ScaleSlot().store(Checked(scale), std::memory_order_relaxed);
}

void ReloadScale() {
    ScaleSlot().store(ScaleFromEnvironment(), std::memory_order_relaxed);
}

int ScaledMs(int nominalMs) {
    if (nominalMs <= 0) {
        return 0;
    }
    const long long scaled = std::llround(static_cast<double>(nominalMs) * Scale());
    return scaled < 1 ? 1 : static_cast<int>(scaled);
}

} // namespace Timing
