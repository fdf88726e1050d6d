// The channel-listing parser on any reply: the first byte picks the family, the rest is the
// listing.

#include "exchange/RadioExchange.h"
#include "fuzz/ChannelRowsCheck.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class SilentHost : public IExchangeHost {
public:
    void SendCommand(const std::string&) override {}
    void Hold(int) override {}
    void ReadStarted(RadioFamily) override {}
    void ReadFinished(RadioFamily) override {}
    void SetWatchdog(int) override {}
    void NoAnswer() override {}
    void ReplyRejected() override {}
    void WriteFinished(RadioFamily) override {}
    void WriteFailed(RadioFamily) override {}
    void WriteBroken(RadioFamily, const WriteFault&) override {}
    void SaveUnconfirmed(RadioFamily) override {}
    void ReadFailed(ReadFailure, const std::string&, const std::string&) override {}
};

bool PlainByte(unsigned char b) {
    return (b >= 0x20 && b <= 0x7E) || b == '\r' || b == '\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 64 * 1024) {
        return 0;
    }
    const RadioFamily family = (data[0] & 1) != 0 ? FAMILY_ORV : FAMILY_QX;
    const unsigned char* listing = data + 1;
    const int count = static_cast<int>(size - 1);

    SilentHost host;
    RadioSettings settings;
    // Rows already held must survive a listing that is refused.
    for (std::size_t n = 0; n < settings.channels.size(); ++n) {
        settings.channels[n] = {"held", "held", "held", "held"};
    }
    const RadioSettings before = settings;
    CRadioExchange exchange(host, settings);
    exchange.SetFamily(family);
    const bool taken = exchange.ParseChannelListing(listing, count);

    const bool plain = std::all_of(listing, listing + count, PlainByte);
    FUZZ_CHECK(taken == plain);
    if (!taken) {
        FUZZ_CHECK(settings == before);
        return 0;
    }
    CheckListedRows(settings.channels, before.channels, family);
    // Only the channel table is touched.
    RadioSettings others = settings;
    others.channels = before.channels;
    FUZZ_CHECK(others == before);
    return 0;
}
