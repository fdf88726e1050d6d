#include "cli/SettingsJson.h"

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0 when it is not valid.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

void AppendEscaped(std::string& out, unsigned code) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
    out += buffer;
}

struct Field {
    const char* name;
    std::string json; // already a JSON value
};

void AppendObject(std::string& out, std::initializer_list<Field> fields, const char* indent) {
    out += "{";
    bool first = true;
    for (const Field& field : fields) {
        out += first ? "\n" : ",\n";
        first = false;
        out += indent;
        out += "    \"";
        out += field.name;
        out += "\": ";
        out += field.json;
    }
    out += "\n";
    out += indent;
    out += "}";
}

std::string Int(int value) {
    return std::to_string(value);
}

std::string OrvObject(const OrvRegisters& r) {
    std::string out;
    AppendObject(out,
                 {{"s128", Int(r.s128)},
                  {"s186", Int(r.s186)},
                  {"s127", Int(r.s127)},
                  {"s103", Int(r.s103)},
                  {"s141", Int(r.s141)},
                  {"s101", Int(r.s101)},
                  {"s226", Int(r.s226)},
                  {"s190", Int(r.s190)},
                  {"s105", JsonString(r.s105)}},
                 "    ");
    return out;
}

std::string QxObject(const QxRegisters& r) {
    std::string out;
    AppendObject(out,
                 {{"s186", Int(r.s186)},
                  {"s101", Int(r.s101)},
                  {"s127", Int(r.s127)},
                  {"s103", Int(r.s103)},
                  {"s141", Int(r.s141)},
                  {"s125", Int(r.s125)},
                  {"s131", Int(r.s131)},
                  {"s132", Int(r.s132)},
                  {"s191", Int(r.s191)},
                  {"s192", Int(r.s192)},
                  {"s105", Int(r.s105)},
                  {"s108", Int(r.s108)},
                  {"s158", Int(r.s158)},
                  {"s102", Int(r.s102)},
                  {"s110", Int(r.s110)}},
                 "    ");
    return out;
}

std::string Channels(const RadioSettings& settings) {
    std::string out = "[";
    bool first = true;
    for (const ChannelEntry& entry : settings.channels) {
        out += first ? "\n        " : ",\n        ";
        first = false;
        out += "{\"channel\": " + JsonString(entry.channel) +
               ", \"frequency\": " + JsonString(entry.frequency) +
               ", \"bandwidth\": " + JsonString(entry.bandwidth) +
               ", \"direction\": " + JsonString(entry.direction) + "}";
    }
    out += "\n    ]";
    return out;
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscaped(out, c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
            out.append(text, i, length);
            i += length;
            continue;
        } else {
            // A stray byte from the line is kept visible as the Latin-1 character of its value.
            AppendEscaped(out, c);
        }
        ++i;
    }
    out += "\"";
    return out;
}

std::string SettingsToJson(const RadioSettings& settings, int family) {
    std::string out;
    if (family == FAMILY_ORV) {
        AppendObject(out,
                     {{"family", "\"orv\""},
                      {"orvCurrentChannel", Int(settings.orvCurrentChannel)},
                      {"orvPortRate", Int(settings.orvPortRate)},
                      {"orv", OrvObject(settings.orv)},
                      {"channels", Channels(settings)}},
                     "");
    } else {
        AppendObject(
            out,
            {{"family", "\"qx\""}, {"qx", QxObject(settings.qx)}, {"channels", Channels(settings)}},
            "");
    }
    out += "\n";
    return out;
}
