#include "image/png.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <zlib.h>

namespace vr::png {

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Raised inside the decoder and turned into its "nothing, with a reason" at the top.
struct Refusal {
    std::string why;
};

[[noreturn]] void refuse(std::string why) { throw Refusal{std::move(why)}; }

std::uint32_t be32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint16_t be16(const std::uint8_t* p) { return std::uint16_t(p[0] << 8 | p[1]); }

enum Colour : std::uint8_t { Grey = 0, Truecolour = 2, Indexed = 3, GreyAlpha = 4, TruecolourAlpha = 6 };

struct Header {
    std::uint32_t width = 0, height = 0;
    std::uint8_t depth = 0, colour = 0;
    unsigned channels = 0;

    unsigned bitsPerPixel() const { return channels * depth; }
    // Bytes of one row without its filter byte.
    std::size_t stride() const { return (std::size_t(width) * bitsPerPixel() + 7) / 8; }
    // The distance the filters look back: one whole pixel, or one byte below eight bits a pixel.
    std::size_t filterUnit() const { return std::max(1u, bitsPerPixel() / 8); }
};

Header readHeader(std::span<const std::uint8_t> data) {
    if (data.size() != 13) refuse("IHDR has the wrong length");
    Header h;
    h.width = be32(&data[0]);
    h.height = be32(&data[4]);
    h.depth = data[8];
    h.colour = data[9];
    if (h.width == 0 || h.height == 0) refuse("the picture has no pixels");
    if (h.width > kMaxSide || h.height > kMaxSide) refuse("the picture is too large");
    const auto depthIn = [&](std::initializer_list<int> allowed) {
        return std::find(allowed.begin(), allowed.end(), h.depth) != allowed.end();
    };
    switch (h.colour) {
    case Grey: h.channels = 1; break;
    case Truecolour: h.channels = 3; break;
    case Indexed: h.channels = 1; break;
    case GreyAlpha: h.channels = 2; break;
    case TruecolourAlpha: h.channels = 4; break;
    default: refuse("unknown colour type");
    }
    const bool depthOk = h.colour == Grey      ? depthIn({1, 2, 4, 8, 16})
                         : h.colour == Indexed ? depthIn({1, 2, 4, 8})
                                               : depthIn({8, 16});
    if (!depthOk) refuse("bit depth not allowed for the colour type");
    if (data[10] != 0) refuse("unknown compression method");
    if (data[11] != 0) refuse("unknown filter method");
    if (data[12] == 1) refuse("interlaced pictures are not supported");
    if (data[12] != 0) refuse("unknown interlace method");
    return h;
}

// The chunks of the file, read in order with their CRCs checked, gathered into what decoding needs.
struct Chunks {
    Header header;
    std::vector<std::uint8_t> palette;       // RGB triples
    std::vector<std::uint8_t> transparency;  // the tRNS data, as stored
    std::vector<std::uint8_t> compressed;    // every IDAT, joined
};

bool isLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

Chunks readChunks(std::span<const std::uint8_t> file) {
    if (file.size() < sizeof kSignature || std::memcmp(file.data(), kSignature, sizeof kSignature) != 0)
        refuse("not a PNG file");
    Chunks c;
    bool headerSeen = false, paletteSeen = false, transparencySeen = false;
    bool inImageData = false, imageDataEnded = false;
    std::size_t at = sizeof kSignature;
    for (;;) {
        if (file.size() - at < 12) refuse("the file ends before its IEND chunk");
        const std::uint32_t length = be32(&file[at]);
        if (length > 0x7FFFFFFFu) refuse("chunk length out of range");
        if (length > file.size() - at - 12) refuse("the file ends inside a chunk");
        const std::uint8_t* type = &file[at + 4];
        const auto data = file.subspan(at + 8, length);
        if (!std::all_of(type, type + 4, isLetter)) refuse("malformed chunk type");
        uLong crc = crc32(0, type, 4);
        if (length) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));  // a null buffer resets it
        if (crc != be32(&file[at + 8 + length])) refuse("CRC mismatch in chunk " + std::string(type, type + 4));
        at += 12 + std::size_t(length);

        const std::string name(type, type + 4);
        if (!headerSeen && name != "IHDR") refuse("IHDR is not the first chunk");
        if (inImageData && name != "IDAT") {
            inImageData = false;
            imageDataEnded = true;
        }
        if (name == "IHDR") {
            if (headerSeen) refuse("more than one IHDR");
            c.header = readHeader(data);
            headerSeen = true;
        } else if (name == "PLTE") {
            if (paletteSeen) refuse("more than one PLTE");
            if (!c.compressed.empty() || imageDataEnded) refuse("PLTE after the image data");
            if (transparencySeen) refuse("PLTE after tRNS");
            if (c.header.colour == Grey || c.header.colour == GreyAlpha) refuse("PLTE in a greyscale picture");
            const std::size_t entries = data.size() / 3;
            if (data.size() % 3 != 0 || entries == 0 || entries > 256) refuse("PLTE has a bad length");
            if (c.header.colour == Indexed && entries > (1u << c.header.depth))
                refuse("PLTE has more entries than the bit depth can index");
            c.palette.assign(data.begin(), data.end());
            paletteSeen = true;
        } else if (name == "tRNS") {
            if (transparencySeen) refuse("more than one tRNS");
            if (!c.compressed.empty() || imageDataEnded) refuse("tRNS after the image data");
            transparencySeen = true;
            const std::size_t expected = c.header.colour == Grey ? 2 : c.header.colour == Truecolour ? 6 : 0;
            if (c.header.colour == Indexed) {
                if (!paletteSeen) refuse("tRNS before PLTE");
                if (data.size() > c.palette.size() / 3) refuse("tRNS has more entries than PLTE");
            } else if (expected == 0) {
                continue;  // a picture with its own alpha channel has no use for it
            } else if (data.size() != expected) {
                refuse("tRNS has the wrong length");
            }
            c.transparency.assign(data.begin(), data.end());
        } else if (name == "IDAT") {
            if (imageDataEnded) refuse("IDAT chunks are not consecutive");
            if (c.header.colour == Indexed && !paletteSeen) refuse("the palette is missing");
            c.compressed.insert(c.compressed.end(), data.begin(), data.end());
            inImageData = true;
        } else if (name == "IEND") {
            if (length != 0) refuse("IEND has data");
            if (!inImageData && !imageDataEnded) refuse("there is no image data");
            return c;
        } else if (!(type[0] & 0x20)) {  // an upper-case first letter marks a chunk needed to show the picture
            refuse("unknown critical chunk " + name);
        }
        // Other ancillary chunks (gamma, text, time, ...) are not needed to show the picture.
    }
}

// Inflates the image data into exactly the bytes the header promises: the filtered rows.
std::vector<std::uint8_t> inflateRows(const Chunks& c) {
    const std::size_t expected = std::size_t(c.header.height) * (c.header.stride() + 1);
    if (c.compressed.size() > 0xFFFFFFFFu) refuse("too much image data");
    z_stream z{};
    if (inflateInit(&z) != Z_OK) refuse("zlib could not start");
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};
    z.next_in = const_cast<Bytef*>(c.compressed.data());
    z.avail_in = static_cast<uInt>(c.compressed.size());
    // The buffer grows with what actually inflates, one byte past the promise to notice excess.
    std::vector<std::uint8_t> rows;
    std::size_t produced = 0;
    for (int status = Z_OK; status != Z_STREAM_END;) {
        if (produced == rows.size()) {
            if (rows.size() > expected) refuse("too much image data");
            rows.resize(std::min(expected + 1, std::max<std::size_t>(rows.size() * 2, 1 << 16)));
        }
        z.next_out = rows.data() + produced;
        z.avail_out = static_cast<uInt>(rows.size() - produced);
        status = inflate(&z, Z_NO_FLUSH);
        produced = rows.size() - z.avail_out;
        if (status == Z_BUF_ERROR && z.avail_in == 0) refuse("the image data ends early");
        if (status != Z_OK && status != Z_STREAM_END) refuse("corrupt image data");
    }
    if (produced != expected) refuse(produced < expected ? "too little image data" : "too much image data");
    rows.resize(expected);
    return rows;
}

std::uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes each row's filter in place; each row then holds its samples right after its filter byte.
void unfilter(std::vector<std::uint8_t>& rows, const Header& h) {
    const std::size_t stride = h.stride(), unit = h.filterUnit();
    const std::vector<std::uint8_t> zeros(stride, 0);
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* row = &rows[y * (stride + 1)];
        const std::uint8_t filter = row[0];
        std::uint8_t* cur = row + 1;
        const std::uint8_t* up = y ? cur - (stride + 1) : zeros.data();
        for (std::size_t i = 0; i < stride; ++i) {
            const int left = i >= unit ? cur[i - unit] : 0, above = up[i], corner = i >= unit ? up[i - unit] : 0;
            int predicted = 0;
            switch (filter) {
            case 0: predicted = 0; break;
            case 1: predicted = left; break;
            case 2: predicted = above; break;
            case 3: predicted = (left + above) / 2; break;
            case 4: predicted = paeth(left, above, corner); break;
            default: refuse("unknown row filter");
            }
            cur[i] = static_cast<std::uint8_t>(cur[i] + predicted);
        }
    }
}

// One sample of a row at its full depth.
unsigned sample(const std::uint8_t* row, const Header& h, std::size_t x, unsigned channel) {
    const std::size_t index = x * h.channels + channel;
    if (h.depth == 8) return row[index];
    if (h.depth == 16) return be16(&row[index * 2]);
    const std::size_t bit = index * h.depth;
    return (row[bit / 8] >> (8 - h.depth - bit % 8)) & ((1u << h.depth) - 1);
}

std::uint8_t to8(unsigned value, unsigned depth) {
    if (depth == 16) return static_cast<std::uint8_t>(value >> 8);
    if (depth == 8) return static_cast<std::uint8_t>(value);
    return static_cast<std::uint8_t>(value * 255 / ((1u << depth) - 1));
}

Picture expand(const std::vector<std::uint8_t>& rows, const Chunks& c) {
    const Header& h = c.header;
    Picture p;
    p.width = h.width;
    p.height = h.height;
    p.rgba.resize(std::size_t(h.width) * h.height * 4);
    const std::size_t stride = h.stride();
    const std::size_t paletteEntries = c.palette.size() / 3;
    const bool keyed = !c.transparency.empty() && (h.colour == Grey || h.colour == Truecolour);
    for (std::uint32_t y = 0; y < h.height; ++y) {
        const std::uint8_t* row = &rows[y * (stride + 1) + 1];
        std::uint8_t* out = &p.rgba[std::size_t(y) * h.width * 4];
        for (std::uint32_t x = 0; x < h.width; ++x, out += 4) {
            switch (h.colour) {
            case Indexed: {
                const unsigned i = sample(row, h, x, 0);
                if (i >= paletteEntries) refuse("palette index out of range");
                std::memcpy(out, &c.palette[i * 3], 3);
                out[3] = i < c.transparency.size() ? c.transparency[i] : 255;
                break;
            }
            case Grey:
            case GreyAlpha: {
                const unsigned v = sample(row, h, x, 0);
                out[0] = out[1] = out[2] = to8(v, h.depth);
                out[3] = h.colour == GreyAlpha ? to8(sample(row, h, x, 1), h.depth)
                         : keyed && v == be16(&c.transparency[0]) ? 0 : 255;
                break;
            }
            case Truecolour:
            case TruecolourAlpha: {
                unsigned v[3];
                for (unsigned k = 0; k < 3; ++k) out[k] = to8(v[k] = sample(row, h, x, k), h.depth);
                const bool clear = keyed && v[0] == be16(&c.transparency[0]) &&
                                   v[1] == be16(&c.transparency[2]) && v[2] == be16(&c.transparency[4]);
                out[3] = h.colour == TruecolourAlpha ? to8(sample(row, h, x, 3), h.depth) : clear ? 0 : 255;
                break;
            }
            }
        }
    }
    return p;
}

}  // namespace

std::optional<Picture> decode(std::span<const std::uint8_t> file, std::string* why) {
    try {
        const Chunks chunks = readChunks(file);
        std::vector<std::uint8_t> rows = inflateRows(chunks);
        unfilter(rows, chunks.header);
        return expand(rows, chunks);
    } catch (const Refusal& r) {
        if (why) *why = r.why;
    } catch (const std::bad_alloc&) {
        if (why) *why = "not enough memory for the picture";
    }
    return std::nullopt;
}

std::vector<std::uint8_t> premultipliedBgra(const Picture& picture) {
    std::vector<std::uint8_t> out(picture.rgba.size());
    for (std::size_t i = 0; i + 3 < picture.rgba.size(); i += 4) {
        const unsigned a = picture.rgba[i + 3];
        const auto times = [a](unsigned c) { return static_cast<std::uint8_t>((c * a + 127) / 255); };
        out[i] = times(picture.rgba[i + 2]);
        out[i + 1] = times(picture.rgba[i + 1]);
        out[i + 2] = times(picture.rgba[i]);
        out[i + 3] = static_cast<std::uint8_t>(a);
    }
    return out;
}

}  // namespace vr::png
