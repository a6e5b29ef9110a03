// The PNG decoder: the real logo, small pictures written here byte by byte, and every way a file can be broken.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string_view>

#include <zlib.h>

#include "image/png.h"

namespace vr::png {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes chunk(std::string_view type, const Bytes& data) {
    Bytes out;
    put32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    put32(out, static_cast<std::uint32_t>(crc));
    return out;
}

Bytes ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colour,
           std::uint8_t interlace = 0) {
    Bytes data;
    put32(data, width);
    put32(data, height);
    data.insert(data.end(), {depth, colour, 0, 0, interlace});
    return chunk("IHDR", data);
}

Bytes deflated(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    out.resize(size);
    return out;
}

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes file(std::initializer_list<Bytes> chunks) {
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
    return out;
}

// A whole file: the header, any chunks between it and the image data, the rows (each with its filter byte
// already in front) deflated into one IDAT, and IEND.
Bytes picture(const Bytes& header, const Bytes& middle, const Bytes& filteredRows) {
    return file({header, middle, chunk("IDAT", deflated(filteredRows)), chunk("IEND", {})});
}

// Filters rows of unit-byte pixels the way an encoder does, with the filter given for each row.
Bytes filterRows(const std::vector<Bytes>& rows, std::size_t unit, const std::vector<int>& filters) {
    Bytes out;
    for (std::size_t y = 0; y < rows.size(); ++y) {
        const Bytes& cur = rows[y];
        const Bytes up = y ? rows[y - 1] : Bytes(cur.size(), 0);
        out.push_back(static_cast<std::uint8_t>(filters[y]));
        for (std::size_t i = 0; i < cur.size(); ++i) {
            const int a = i >= unit ? cur[i - unit] : 0, b = up[i], c = i >= unit ? up[i - unit] : 0;
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            const int predictions[] = {0, a, b, (a + b) / 2, paeth};
            out.push_back(static_cast<std::uint8_t>(cur[i] - predictions[filters[y]]));
        }
    }
    return out;
}

Picture decoded(const Bytes& png) {
    std::string why;
    auto result = decode(png, &why);
    EXPECT_TRUE(result) << why;
    return result.value_or(Picture{});
}

// The refusal's reason, or "decoded" when the file was not refused.
std::string refusal(const Bytes& png) {
    std::string why;
    return decode(png, &why) ? "decoded" : why;
}

std::uint32_t pixelAt(const Picture& p, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* px = &p.rgba[(std::size_t(y) * p.width + x) * 4];
    return std::uint32_t(px[0]) << 24 | px[1] << 16 | px[2] << 8 | px[3];
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A 3 x 2 truecolour-with-alpha picture, good in every respect; the corruption tests break one thing in it.
const Bytes kPixels = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
Bytes goodPicture() { return picture(ihdr(3, 2, 8, 6), {}, filterRows({{kPixels.begin(), kPixels.begin() + 12},
                                                                         {kPixels.begin() + 12, kPixels.end()}},
                                                                        4, {0, 1})); }

// --- good pictures -------------------------------------------------------------------------------------------

TEST(PngLogo, DecodesToThePixelsAnIndependentDecoderReads) {
    const Bytes logo = readFile(VIGILAMP_ASSETS "/logo.png");
    ASSERT_FALSE(logo.empty());
    const Picture p = decoded(logo);
    ASSERT_EQ(p.width, 460u);
    ASSERT_EQ(p.height, 136u);
    // The CRC of all pixels as ImageMagick decodes them; the file's rows use all five filters.
    EXPECT_EQ(crc32(0, p.rgba.data(), static_cast<uInt>(p.rgba.size())), 0xFA68CD78u);
    EXPECT_EQ(pixelAt(p, 0, 0), 0x00000000u);        // transparent ground
    EXPECT_EQ(pixelAt(p, 70, 80), 0xFFB020FFu);      // the emblem
    EXPECT_EQ(pixelAt(p, 12, 72), 0xC07A10F9u);      // the edge of a ray, almost opaque
    EXPECT_EQ(pixelAt(p, 140, 70), 0x3C3F441Fu);     // the wordmark's anti-aliased edge
    EXPECT_EQ(pixelAt(p, 459, 135), 0x00000000u);
}

TEST(PngFilters, HandWorkedRowsDecodeToTheirValues) {
    // Greyscale, one byte a pixel. Paeth's ties: b is preferred over c, a over c.
    const Bytes paeth = {0, 40, 20, 40, 50, 4, 10, 5, 236, 13};
    EXPECT_EQ(decoded(picture(ihdr(4, 2, 8, 0), {}, paeth)).rgba,
              (Bytes{40, 40, 40, 255, 20, 20, 20, 255, 40, 40, 40, 255, 50, 50, 50, 255,
                     50, 50, 50, 255, 25, 25, 25, 255, 20, 20, 20, 255, 33, 33, 33, 255}));
    // Average of two bytes whose sum passes 255; Sub and Up wrap around modulo 256.
    const Bytes average = {0, 250, 250, 3, 75, 5};
    EXPECT_EQ(decoded(picture(ihdr(2, 2, 8, 0), {}, average)).rgba,
              (Bytes{250, 250, 250, 255, 250, 250, 250, 255, 200, 200, 200, 255, 230, 230, 230, 255}));
    const Bytes subUp = {1, 200, 100, 2, 100, 200};
    EXPECT_EQ(decoded(picture(ihdr(2, 2, 8, 0), {}, subUp)).rgba,
              (Bytes{200, 200, 200, 255, 44, 44, 44, 255, 44, 44, 44, 255, 244, 244, 244, 255}));
    // Sub looks back one whole pixel, not one byte.
    const Bytes rgbaSub = {1, 1, 2, 3, 4, 1, 1, 1, 1};
    EXPECT_EQ(decoded(picture(ihdr(2, 1, 8, 6), {}, rgbaSub)).rgba, (Bytes{1, 2, 3, 4, 2, 3, 4, 5}));
}

TEST(PngFilters, EveryFilterOnEveryRowReproducesThePicture) {
    std::mt19937 random(7);
    for (const auto& [colour, depth, channels] : {std::tuple{6, 8, 4}, {2, 8, 3}, {6, 16, 4}, {0, 8, 1}}) {
        const std::uint32_t width = 7, height = 10;
        const std::size_t unit = channels * depth / 8;
        std::vector<Bytes> rows(height, Bytes(width * unit));
        for (Bytes& row : rows)
            for (auto& b : row) b = static_cast<std::uint8_t>(random());
        const std::vector<int> filters = {0, 1, 2, 3, 4, 4, 3, 2, 1, 0};
        const Picture p = decoded(picture(ihdr(width, height, std::uint8_t(depth), std::uint8_t(colour)), {},
                                          filterRows(rows, unit, filters)));
        ASSERT_EQ(p.rgba.size(), width * height * 4u);
        for (std::uint32_t y = 0; y < height; ++y)
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint8_t* in = &rows[y][x * unit];
                const std::uint8_t* out = &p.rgba[(y * width + x) * 4];
                const int step = depth / 8;  // sixteen-bit samples keep their high byte
                const Bytes expected = channels == 1 ? Bytes{in[0], in[0], in[0], 255}
                                       : channels == 3 ? Bytes{in[0], in[1], in[2], 255}
                                                       : Bytes{in[0], in[step], in[2 * step], in[3 * step]};
                ASSERT_EQ(Bytes(out, out + 4), expected) << "type " << colour << " depth " << depth << " at " << x
                                                         << "," << y << " filter " << filters[y];
            }
    }
}

TEST(PngColours, PalettedWithTransparencyForItsFirstEntriesOnly) {
    const Bytes middle = join(chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255}),
                              chunk("tRNS", {0, 128}));  // the third entry stays opaque
    const Picture p = decoded(picture(ihdr(3, 1, 8, 3), middle, {0, 2, 0, 1}));
    EXPECT_EQ(p.rgba, (Bytes{0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 128}));
}

TEST(PngColours, PackedIndicesAndGreyLevelsBelowEightBits) {
    // Two-bit indices, five to a row: the row takes two bytes, the last six bits unused.
    Bytes middle = chunk("PLTE", {0, 0, 0, 10, 10, 10, 20, 20, 20, 30, 30, 30});
    const Picture indexed = decoded(picture(ihdr(5, 1, 2, 3), middle, {0, 0b00011011, 0b10000000}));
    EXPECT_EQ(indexed.rgba, (Bytes{0, 0, 0, 255, 10, 10, 10, 255, 20, 20, 20, 255, 30, 30, 30, 255, 20, 20, 20, 255}));
    // One-bit grey is black and white; four-bit grey scales 5 of 15 to 85 of 255.
    EXPECT_EQ(decoded(picture(ihdr(3, 1, 1, 0), {}, {0, 0b10100000})).rgba,
              (Bytes{255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}));
    EXPECT_EQ(decoded(picture(ihdr(2, 1, 4, 0), {}, {0, 0x5F})).rgba,
              (Bytes{85, 85, 85, 255, 255, 255, 255, 255}));
}

TEST(PngColours, ColourKeysMakeOnlyTheirExactColourTransparent) {
    const Picture rgb = decoded(picture(ihdr(2, 1, 8, 2), chunk("tRNS", {0, 1, 0, 2, 0, 3}), {0, 1, 2, 3, 1, 2, 4}));
    EXPECT_EQ(rgb.rgba, (Bytes{1, 2, 3, 0, 1, 2, 4, 255}));
    // Sixteen-bit grey compares all sixteen bits, then keeps the high byte.
    const Picture grey = decoded(picture(ihdr(2, 1, 16, 0), chunk("tRNS", {0x12, 0x34}), {0, 0x12, 0x34, 0x12, 0x35}));
    EXPECT_EQ(grey.rgba, (Bytes{0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255}));
    const Picture greyAlpha = decoded(picture(ihdr(1, 1, 8, 4), {}, {0, 77, 99}));
    EXPECT_EQ(greyAlpha.rgba, (Bytes{77, 77, 77, 99}));
}

TEST(PngChunks, AncillaryChunksAreSkippedAndImageDataMaySpanSeveralChunks) {
    const Bytes rows = filterRows({{kPixels.begin(), kPixels.begin() + 12}, {kPixels.begin() + 12, kPixels.end()}},
                                  4, {2, 3});
    const Bytes z = deflated(rows);
    const Bytes png = file({ihdr(3, 2, 8, 6), chunk("gAMA", {0, 0, 0xB1, 0x8F}), chunk("zzZz", {1, 2, 3}),
                            chunk("IDAT", Bytes(z.begin(), z.begin() + 5)), chunk("IDAT", {}),
                            chunk("IDAT", Bytes(z.begin() + 5, z.end())), chunk("tEXt", {'a', 0, 'b'}),
                            chunk("IEND", {})});
    EXPECT_EQ(decoded(png).rgba, kPixels);
}

TEST(PngPremultiplied, SwapsToBgraAndScalesColourByAlpha) {
    Picture p{3, 1, {200, 100, 50, 128, 200, 100, 50, 0, 200, 100, 50, 255}};
    EXPECT_EQ(premultipliedBgra(p), (Bytes{25, 50, 100, 128, 0, 0, 0, 0, 50, 100, 200, 255}));
}

// --- refusals ------------------------------------------------------------------------------------------------

TEST(PngRefusal, EveryTruncationIsRefused) {
    for (const Bytes& whole : {goodPicture(), readFile(VIGILAMP_ASSETS "/logo.png")}) {
        ASSERT_EQ(refusal(whole), "decoded");
        for (std::size_t length = 0; length < whole.size(); ++length)
            ASSERT_NE(refusal(Bytes(whole.begin(), whole.begin() + length)), "decoded") << length;
    }
}

TEST(PngRefusal, AFlippedBitInAnyChunkFailsItsCrc) {
    const Bytes good = goodPicture();
    // The chunks start after the signature: IHDR (25 bytes), IDAT, IEND (12 bytes).
    for (std::size_t at : {std::size_t(8 + 4), std::size_t(8 + 8 + 5), std::size_t(8 + 25 + 9),
                           good.size() - 3, good.size() - 8}) {
        Bytes bad = good;
        bad[at] ^= 0x10;
        EXPECT_NE(refusal(bad).find("CRC mismatch"), std::string::npos) << at << ": " << refusal(bad);
    }
}

TEST(PngRefusal, BadHeaders) {
    const Bytes row = {0, 1, 2, 3, 4};
    const auto with = [&](const Bytes& header) { return refusal(picture(header, {}, row)); };
    EXPECT_EQ(refusal(Bytes{'P', 'N', 'G'}), "not a PNG file");
    EXPECT_EQ(with(chunk("IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 6, 0, 0})), "IHDR has the wrong length");
    EXPECT_EQ(with(ihdr(0, 1, 8, 6)), "the picture has no pixels");
    EXPECT_EQ(with(ihdr(1, 0, 8, 6)), "the picture has no pixels");
    EXPECT_EQ(with(ihdr(1, 1, 8, 5)), "unknown colour type");
    EXPECT_EQ(with(ihdr(1, 1, 4, 2)), "bit depth not allowed for the colour type");
    EXPECT_EQ(with(ihdr(1, 1, 16, 3)), "bit depth not allowed for the colour type");
    EXPECT_EQ(with(ihdr(1, 1, 0, 0)), "bit depth not allowed for the colour type");
    EXPECT_EQ(with(ihdr(1, 1, 8, 6, 1)), "interlaced pictures are not supported");
    EXPECT_EQ(with(ihdr(1, 1, 8, 6, 2)), "unknown interlace method");
    Bytes data = {0, 0, 0, 1, 0, 0, 0, 1, 8, 6, 1, 0, 0};
    EXPECT_EQ(with(chunk("IHDR", data)), "unknown compression method");
    data[10] = 0, data[11] = 1;
    EXPECT_EQ(with(chunk("IHDR", data)), "unknown filter method");
    EXPECT_EQ(refusal(file({chunk("gAMA", {0, 0, 0, 1}), ihdr(1, 1, 8, 6), chunk("IDAT", deflated(row)),
                            chunk("IEND", {})})),
              "IHDR is not the first chunk");
}

TEST(PngRefusal, OversizePicturesAreRefusedBeforeAnyPixelIsAllocated) {
    const Bytes row = {0, 1, 2, 3, 4};
    EXPECT_EQ(refusal(picture(ihdr(kMaxSide + 1, 1, 8, 6), {}, row)), "the picture is too large");
    EXPECT_EQ(refusal(picture(ihdr(1, 0x7FFFFFFF, 8, 6), {}, row)), "the picture is too large");
    EXPECT_EQ(refusal(picture(ihdr(0xFFFFFFFF, 0xFFFFFFFF, 16, 6), {}, row)), "the picture is too large");
    // The largest allowed size with one row of data: refused for the missing rows.
    EXPECT_EQ(refusal(picture(ihdr(kMaxSide, kMaxSide, 16, 6), {}, row)), "too little image data");
}

TEST(PngRefusal, MissingOrMisplacedChunks) {
    const Bytes header = ihdr(3, 2, 8, 6);
    const Bytes data = chunk("IDAT", deflated(filterRows({{kPixels.begin(), kPixels.begin() + 12},
                                                          {kPixels.begin() + 12, kPixels.end()}}, 4, {0, 0})));
    const Bytes end = chunk("IEND", {});
    EXPECT_EQ(refusal(file({header, data})), "the file ends before its IEND chunk");
    EXPECT_EQ(refusal(file({header, end})), "there is no image data");
    EXPECT_EQ(refusal(file({header, data, chunk("IEND", {0})})), "IEND has data");
    EXPECT_EQ(refusal(file({header, header, data, end})), "more than one IHDR");
    EXPECT_EQ(refusal(file({header, data, chunk("tEXt", {'a', 0}), data, end})), "IDAT chunks are not consecutive");
    EXPECT_EQ(refusal(file({header, chunk("ABCD", {}), data, end})), "unknown critical chunk ABCD");
    EXPECT_EQ(refusal(file({header, chunk("a1cd", {}), data, end})), "malformed chunk type");
    // A length with the top bit set, its CRC never reached.
    Bytes huge = file({header});
    put32(huge, 0x80000000u);
    huge.insert(huge.end(), {'I', 'D', 'A', 'T', 0, 0, 0, 0});
    EXPECT_EQ(refusal(huge), "chunk length out of range");
    // Bytes after IEND are not part of the picture.
    Bytes trailing = file({header, data, end});
    trailing.insert(trailing.end(), {1, 2, 3});
    EXPECT_EQ(refusal(trailing), "decoded");
}

TEST(PngRefusal, PaletteRules) {
    const Bytes palette = chunk("PLTE", {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 3), {}, {0, 0})), "the palette is missing");
    EXPECT_EQ(refusal(picture(ihdr(2, 1, 8, 3), palette, {0, 1, 2})), "palette index out of range");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 3), chunk("PLTE", {1, 2, 3, 4}), {0, 0})), "PLTE has a bad length");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 1, 3), chunk("PLTE", {1, 2, 3, 4, 5, 6, 7, 8, 9}), {0, 0})),
              "PLTE has more entries than the bit depth can index");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 0), palette, {0, 0})), "PLTE in a greyscale picture");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 3), chunk("tRNS", {0}), {0, 0})), "tRNS before PLTE");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 3), join(palette, chunk("tRNS", {1, 2, 3})), {0, 0})),
              "tRNS has more entries than PLTE");
    EXPECT_EQ(refusal(picture(ihdr(1, 1, 8, 2), chunk("tRNS", {0, 1}), {0, 1, 2, 3})), "tRNS has the wrong length");
}

TEST(PngRefusal, ImageDataOfTheWrongSizeOrBroken) {
    const Bytes header = ihdr(2, 2, 8, 0);
    EXPECT_EQ(refusal(picture(header, {}, {0, 1, 2, 0, 3})), "too little image data");
    EXPECT_EQ(refusal(picture(header, {}, {0, 1, 2, 0, 3, 4, 9})), "too much image data");
    EXPECT_EQ(refusal(picture(header, {}, Bytes(100000, 0))), "too much image data");  // far past the promise
    EXPECT_EQ(refusal(picture(header, {}, {0, 1, 2, 5, 3, 4})), "unknown row filter");
    Bytes z = deflated({0, 1, 2, 0, 3, 4});
    z[0] = 0x79;  // not a zlib header
    EXPECT_EQ(refusal(file({header, chunk("IDAT", z), chunk("IEND", {})})), "corrupt image data");
    z = deflated({0, 1, 2, 0, 3, 4});
    z.back() ^= 1;  // the Adler-32 of the inflated rows
    EXPECT_EQ(refusal(file({header, chunk("IDAT", z), chunk("IEND", {})})), "corrupt image data");
    z = deflated({0, 1, 2, 0, 3, 4});
    z.resize(z.size() - 4);  // the stream stops before its end
    EXPECT_EQ(refusal(file({header, chunk("IDAT", z), chunk("IEND", {})})), "the image data ends early");
}

TEST(PngRefusal, RandomDamageBehindValidCrcsIsDecodedOrRefusedNeverMisread) {
    // Changes inside the chunks' data with the CRCs made right again, so the decoder's own checks must hold.
    const Bytes good = goodPicture();
    std::mt19937 random(1);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        Bytes bad(good.begin(), good.begin() + 8);
        for (std::size_t at = 8; at + 12 <= good.size();) {
            const std::uint32_t length = std::uint32_t(good[at]) << 24 | good[at + 1] << 16 | good[at + 2] << 8 |
                                         good[at + 3];
            Bytes data(good.begin() + std::ptrdiff_t(at + 8), good.begin() + std::ptrdiff_t(at + 8 + length));
            for (auto& b : data)
                if (random() % 8 == 0) b = static_cast<std::uint8_t>(random());
            const Bytes c = chunk(std::string_view(reinterpret_cast<const char*>(&good[at + 4]), 4), data);
            bad.insert(bad.end(), c.begin(), c.end());
            at += 12 + length;
        }
        std::string why;
        const auto p = decode(bad, &why);
        if (!p) {
            EXPECT_FALSE(why.empty());
            ++refused;
        } else {
            EXPECT_EQ(p->rgba.size(), std::size_t(p->width) * p->height * 4);
        }
    }
    EXPECT_GT(refused, 2900);  // almost every change breaks the header, the stream or its checksum
}

}  // namespace
}  // namespace vr::png
