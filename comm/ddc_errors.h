#pragma once

// Results of the DDC/CI link and command layer. Every failure is a negative value that travels
// unchanged to the caller of a command; the access library's own codes pass through as well.
namespace ddc_error {

constexpr int kChecksum = -20;      // reply checksum wrong
constexpr int kEdidChecksum = -21;  // EDID block sum not zero
constexpr int kEdidHeader = -22;    // EDID header wrong
constexpr int kNullReply = -23;     // only null replies where a real reply was required
constexpr int kLength = -24;        // zero length given, or a reply of the wrong length
constexpr int kEcho = -25;          // reply echoes another feature code or page
constexpr int kOpcode = -26;        // wrong reply opcode or header, fragment for another offset
constexpr int kSource = -27;        // reply does not come from the display
constexpr int kTooLong = -28;       // request or reply capacity over the message limit
constexpr int kCodeRange = -29;     // VCP code or page above 255
constexpr int kNoRoom = -30;        // capability string does not fit the caller's buffer
constexpr int kCount = -31;         // count above the command's limit
constexpr int kVerify = -32;        // verified word write still differs after every pass
constexpr int kInterrupted = -33;   // stopped before the exchange: the program is ending

}  // namespace ddc_error
