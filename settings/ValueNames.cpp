#include "settings/ValueNames.h"

#include "exchange/RateTables.h"

#include <utility>
#include <vector>

namespace ValueNames {

namespace {

constexpr Name kBmkTransparentModes[] = {
    {"2FSK 4800bps 12.5k带宽", "2FSK 4800bps 12.5kHz"},
    {"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
    {"4FSK 9600bps 12.5k带宽", "4FSK 9600bps 12.5kHz"},
    {"4FSK 19200bps 25k带宽", "4FSK 19200bps 25kHz"},
};
constexpr Name kTrimtalkModes[] = {
    {"2FSK 4800bps 12.5k带宽", "2FSK 4800bps 12.5kHz"},
    {"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
    {"2FSK 9600bps 25k带宽 中继台", "2FSK 9600bps 25kHz repeater"},
    {"2FSK 9600bps 25k带宽 中继模式二", "2FSK 9600bps 25kHz repeater 2"},
    {"2FSK 9600bps 25k带宽 基站中继模式", "2FSK 9600bps 25kHz base repeater"},
};
constexpr Name kSatelModes[] = {
    {"4FSK 9600bps 12.5k带宽", "4FSK 9600bps 12.5kHz"},
    {"4FSK 19200bps 25k带宽", "4FSK 19200bps 25kHz"},
    {"4FSK 9600bps 12.5k带宽 模式一", "4FSK 9600bps 12.5kHz mode 1"},
    {"4FSK 19200bps 25k带宽 模式一", "4FSK 19200bps 25kHz mode 1"},
};
constexpr Name kQzTransparentModes[] = {
    {"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
    {"2FSK 9600bps 25k带宽 中继台", "2FSK 9600bps 25kHz repeater"},
};
constexpr Name kBmkFstModes[] = {
    {"4FSK 9600bps 12.5k带宽 模式一", "4FSK 9600bps 12.5kHz mode 1"},
    {"4FSK 19200bps 25k带宽 模式一", "4FSK 19200bps 25kHz mode 1"},
    {"4FSK 9600bps 12.5k带宽 模式二", "4FSK 9600bps 12.5kHz mode 2"},
    {"4FSK 19200bps 25k带宽 模式二", "4FSK 19200bps 25kHz mode 2"},
};

constexpr OrvProtocol kOrvProtocols[] = {
    {{"BMK透明传输协议", "BMK transparent protocol"}, kBmkTransparentModes},
    {{"Trimtalk450S协议", "Trimtalk450S protocol"}, kTrimtalkModes},
    {{"Satel 3AS协议", "Satel 3AS protocol"}, kSatelModes},
    {{"QZ 透明传输协议", "QZ transparent protocol"}, kQzTransparentModes},
    {{"BMK FST协议", "BMK FST protocol"}, kBmkFstModes},
};

constexpr const char* kQxProtocols[] = {"Transparent QZ", "Bellmark Compatible",
                                        "Trimtalk Compatible", "Satel (3AS) Compatible"};
constexpr const char* kQxWorkModes[] = {"Master(Base) for Trimtalk", "Repeater", "Slave(Remote)",
                                        "Repeater 2 for Trimtalk"};
constexpr const char* kQxModulations[] = {"2FSK", "4FSK"};
// 16000 comes last: the radio added it after 19200.
constexpr const char* kQxAirRates[] = {"1200", "2400",  "3600",  "4800", "7200",
                                       "9600", "14400", "19200", "16000"};
constexpr const char* kQxBandwidths[] = {"6.25  kHz", "12.5  kHz", "25     kHz"};
constexpr const char* kQxPowers[] = {"20(100)", "21(125)", "22(160)", "23(200)", "24(250)",
                                     "25(320)", "26(400)", "27(500)", "28(630)", "29(800)",
                                     "30(1W)",  "",        "",        "33(2W)"};
constexpr const char* kQxFecModes[] = {"FEC off (Default for Satel 3AS)",
                                       "FEC on (Default for BMK)"};
constexpr const char* kQxPortRates[] = {"230400", "115200", "57600", "38400", "28800",
                                        "19200",  "14400",  "9600",  "7200",  "4800",
                                        "3600",   "2400",   "1200",  "600",   "300"};
constexpr const char* kQxDataFormats[] = {"8N1", "8N2", "8E1", "8O1", "7N1",
                                          "7N2", "7E1", "7O1", "7E2", "7O2"};

// Port-rate codes run 0..9 (the power-on report's digit).
constexpr int kOrvPortRateCodes = 10;

} // namespace

std::span<const OrvProtocol> OrvProtocols() {
    return kOrvProtocols;
}

std::string OrvPortRateText(int code) {
    const int baud = RateTables::OrvPortRateBaud(code);
    return baud > 0 ? std::to_string(baud) : std::string();
}

std::span<const std::string> OrvPortRateItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> out;
        for (int code = 0; code < kOrvPortRateCodes; ++code) {
            if (std::string text = OrvPortRateText(code); !text.empty()) {
                out.push_back(std::move(text));
            }
        }
        return out;
    }();
    return items;
}

const QxLists& Qx() {
    static const QxLists lists{kQxProtocols, kQxWorkModes,  kQxModulations,
                               kQxAirRates,  kQxBandwidths, kQxPowers,
                               kQxFecModes,  kQxPortRates,  kQxDataFormats};
    return lists;
}

} // namespace ValueNames
