#include "device/trace.h"

namespace varcel {

std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * (2 + separator.size()));
    for (std::uint8_t b : bytes) {
        if (!out.empty())
            out += separator;
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

std::string formatTraceLine(TraceKind kind, std::span<const std::uint8_t> bytes)
{
    const char* prefix = "";
    switch (kind) {
    case TraceKind::CommandOut: prefix = "> CMD "; break;
    case TraceKind::CommandIn: prefix = "< CMD "; break;
    case TraceKind::DataOut: prefix = "> DATA "; break;
    case TraceKind::DataIn: prefix = "< DATA "; break;
    case TraceKind::Note: prefix = "< NOTE "; break;
    }
    return prefix + hexBytes(bytes);
}

std::string formatWireLine(bool out, std::span<const std::uint8_t> wire, std::span<const std::uint8_t> plain)
{
    return std::string(out ? "> WIRE " : "< WIRE ") + hexBytes(wire) + "  plain " + hexBytes(plain);
}

} // namespace varcel
