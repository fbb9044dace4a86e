// SZDD compressed-file codec: an optimal-size packer and a decoder (portable C++17).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace szdd {

constexpr std::size_t kHeaderSize = 14;
constexpr std::uint8_t kModeA = 0x41;

struct Header {
    std::uint8_t mode = kModeA;
    std::uint8_t nameChar = 0;  // replaced last character of the file name, or 0
    std::uint32_t length = 0;   // uncompressed length stated by the header
};

// Packs data into a complete SZDD file (header and stream) of the smallest
// size the format allows. Matches only refer to bytes already output, so any
// decoder gives the same result whatever it fills its window with.
// Returns false when the input is too long for the 32-bit length field.
bool Pack(const std::uint8_t* data, std::size_t size, std::uint8_t nameChar,
          std::vector<std::uint8_t>& out);

enum class DecodeStatus {
    Ok,
    BadHeader,       // too short, wrong signature or a mode other than 'A'
    TruncatedMatch,  // the stream ends inside a match; output holds what came before
    LongerThanHeader,  // the stream goes on past the stated length; output holds that length
};

// Reads the 14-byte header; false when it is not an SZDD mode 'A' header.
bool ParseHeader(const std::uint8_t* file, std::size_t size, Header& header);

// Decodes the stream to the end of the input, as the platform's decoders do,
// but never beyond the length the header states: a shorter stream gives a
// shorter output, which callers see by comparing header.length with
// out.size(); a longer one stops there and says so.
DecodeStatus Unpack(const std::uint8_t* file, std::size_t size, Header& header,
                    std::vector<std::uint8_t>& out);

}  // namespace szdd
