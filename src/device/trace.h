// Reports as users see them with --trace, one line each, always in plain
// (descrambled) form:
//   > CMD  8 bytes     a command report as sent, checksum included
//   < CMD  8 bytes     the reply to a read-back or to the handshake
//   > DATA 32 bytes    a data report written
//   < DATA 32 bytes    a data report read
//   < NOTE n bytes     a notification, as read
// Anything else a component wants to say goes on a line starting with "#".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace varcel {

enum class TraceKind { CommandOut, CommandIn, DataOut, DataIn, Note };

std::string formatTraceLine(TraceKind kind, std::span<const std::uint8_t> bytes);
// Upper-case hex, the bytes apart by `separator`.
std::string hexBytes(std::span<const std::uint8_t> bytes, std::string_view separator = " ");

class TraceSink {
public:
    virtual ~TraceSink() = default;
    virtual void traceReport(TraceKind kind, std::span<const std::uint8_t> bytes) = 0;
    virtual void traceRemark(const std::string& text) = 0;
    // A command report as it went on the wire (scrambled while scrambling
    // is on) beside its plain form; `out` is false for a reply.
    virtual void traceWire(bool out, std::span<const std::uint8_t> wire, std::span<const std::uint8_t> plain)
    {
        (void)out;
        (void)wire;
        (void)plain;
    }
};

// "> WIRE" or "< WIRE", the 8 bytes on the wire, then "  plain" and the 8
// plain bytes: the form a user compares with a capture of the real mouse.
std::string formatWireLine(bool out, std::span<const std::uint8_t> wire, std::span<const std::uint8_t> plain);

} // namespace varcel
