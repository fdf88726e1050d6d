#include "exchange/ReadFailureText.h"

#include "exchange/ReplyText.h"

std::string ReadFailureText(ReadFailure why, const std::string& command, const std::string& reply,
                            bool english) {
    switch (why) {
    case ReadFailure::Garbled: {
        const std::string quoted = "\"" + ReplyText::Printable(reply) + "\"";
        return english ? "The radio's reply to " + command + " was garbled (" + quoted +
                             "); check the cable."
                       : "电台对 " + command + " 的应答有乱码（" + quoted + "），请检查数据线。";
    }
    case ReadFailure::Refused:
        return english ? "The radio refused " + command + " (ERROR)."
                       : "电台拒绝了 " + command + "（ERROR）。";
    case ReadFailure::KeepsRestarting:
        break;
    }
    return english ? "The radio keeps restarting; check its power supply."
                   : "电台反复重启，请检查电台的电源。";
}
