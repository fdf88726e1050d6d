#pragma once
// The items of the two settings pages' lists as users have always seen them, written out by
// hand: the pages' lists, in both languages, and the names a comparison gives values are held
// against them. An item's place is the value the radio stores, so the order matters as much as
// the text.

#include <string>
#include <vector>

namespace listitems {

struct Named {
    std::string chinese;
    std::string english;
};

struct OrvProtocol {
    Named name;
    std::vector<Named> modes;
};

inline const std::vector<OrvProtocol> kOrvProtocols = {
    {{"BMK透明传输协议", "BMK transparent protocol"},
     {{"2FSK 4800bps 12.5k带宽", "2FSK 4800bps 12.5kHz"},
      {"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
      {"4FSK 9600bps 12.5k带宽", "4FSK 9600bps 12.5kHz"},
      {"4FSK 19200bps 25k带宽", "4FSK 19200bps 25kHz"}}},
    {{"Trimtalk450S协议", "Trimtalk450S protocol"},
     {{"2FSK 4800bps 12.5k带宽", "2FSK 4800bps 12.5kHz"},
      {"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
      {"2FSK 9600bps 25k带宽 中继台", "2FSK 9600bps 25kHz repeater"},
      {"2FSK 9600bps 25k带宽 中继模式二", "2FSK 9600bps 25kHz repeater 2"},
      {"2FSK 9600bps 25k带宽 基站中继模式", "2FSK 9600bps 25kHz base repeater"}}},
    {{"Satel 3AS协议", "Satel 3AS protocol"},
     {{"4FSK 9600bps 12.5k带宽", "4FSK 9600bps 12.5kHz"},
      {"4FSK 19200bps 25k带宽", "4FSK 19200bps 25kHz"},
      {"4FSK 9600bps 12.5k带宽 模式一", "4FSK 9600bps 12.5kHz mode 1"},
      {"4FSK 19200bps 25k带宽 模式一", "4FSK 19200bps 25kHz mode 1"}}},
    {{"QZ 透明传输协议", "QZ transparent protocol"},
     {{"2FSK 9600bps 25k带宽", "2FSK 9600bps 25kHz"},
      {"2FSK 9600bps 25k带宽 中继台", "2FSK 9600bps 25kHz repeater"}}},
    {{"BMK FST协议", "BMK FST protocol"},
     {{"4FSK 9600bps 12.5k带宽 模式一", "4FSK 9600bps 12.5kHz mode 1"},
      {"4FSK 19200bps 25k带宽 模式一", "4FSK 19200bps 25kHz mode 1"},
      {"4FSK 9600bps 12.5k带宽 模式二", "4FSK 9600bps 12.5kHz mode 2"},
      {"4FSK 19200bps 25k带宽 模式二", "4FSK 19200bps 25kHz mode 2"}}},
};

// Items 0-7 are port-rate codes 0-7, item 8 is code 9.
inline const std::vector<std::string> kOrvPortRates = {
    "230400", "115200", "57600", "38400", "28800", "19200", "14400", "9600", "4800"};

// The QX lists are the same in both languages.
struct QxList {
    const char* combo; // its object name on the page
    std::vector<std::string> items;
};

inline const std::vector<QxList> kQxLists = {
    {"protocolCombo",
     {"Transparent QZ", "Bellmark Compatible", "Trimtalk Compatible", "Satel (3AS) Compatible"}},
    {"workModeCombo",
     {"Master(Base) for Trimtalk", "Repeater", "Slave(Remote)", "Repeater 2 for Trimtalk"}},
    {"modulationCombo", {"2FSK", "4FSK"}},
    {"airRateCombo", {"1200", "2400", "3600", "4800", "7200", "9600", "14400", "19200", "16000"}},
    {"bandwidthCombo", {"6.25  kHz", "12.5  kHz", "25     kHz"}},
    {"powerCombo",
     {"20(100)", "21(125)", "22(160)", "23(200)", "24(250)", "25(320)", "26(400)", "27(500)",
      "28(630)", "29(800)", "30(1W)", "", "", "33(2W)"}},
    {"fecCombo", {"FEC off (Default for Satel 3AS)", "FEC on (Default for BMK)"}},
    {"portRateCombo",
     {"230400", "115200", "57600", "38400", "28800", "19200", "14400", "9600", "7200", "4800",
      "3600", "2400", "1200", "600", "300"}},
    {"dataFormatCombo", {"8N1", "8N2", "8E1", "8O1", "7N1", "7N2", "7E1", "7O1", "7E2", "7O2"}},
};

} // namespace listitems
