// A small PNG decoder for the program's own pictures. It reads only the chunks a picture needs (IHDR, PLTE,
// tRNS, IDAT, IEND), checks every chunk's CRC, inflates the image data with zlib and undoes the five row
// filters. Non-interlaced pictures of every colour type are decoded; interlaced ones are refused.
//
// Input is untrusted: a corrupt, truncated or oversized picture is refused with a reason, never read past its
// end, and memory grows only with data that actually inflates, up to the size the header promises.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vr::png {

// Pictures wider or taller than this are refused before anything is allocated for them.
inline constexpr std::uint32_t kMaxSide = 4096;

// A decoded picture: rows top-down, four bytes per pixel in the order red, green, blue, alpha, with colour not
// multiplied by alpha.
struct Picture {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes
};

// Decodes a PNG file held in memory. On refusal returns nothing and, when why is given, a short reason.
std::optional<Picture> decode(std::span<const std::uint8_t> file, std::string* why = nullptr);

// The picture as GDI's AlphaBlend takes it: blue, green, red, alpha per pixel, colour multiplied by alpha.
std::vector<std::uint8_t> premultipliedBgra(const Picture& picture);

}  // namespace vr::png
