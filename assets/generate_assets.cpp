// Makes the window's pictures: the brushed-metal background (background.bmp, a Windows bitmap,
// 8 bits per pixel with a 256-entry grey colour table, RLE8-compressed) and the application
// icon (quervelle.ico, 32 x 32 in 16 colours; quervelle.png, the same picture for desktop
// menus). Plain C++ with its own pseudo-random generator and its own PNG writer, so the same
// bytes come out at every run on every machine; the committed files are this program's output.
//
//   quervelle_generate_assets OUTDIR              writes the three files into OUTDIR
//   quervelle_generate_assets --uncompressed FILE writes the background without compression,
//                                                 the reference its RLE8 stream must decode to

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr int BackgroundWidth = 499;
constexpr int BackgroundHeight = 264;
constexpr std::int32_t PixelsPerMetreX = 3790;
constexpr std::int32_t PixelsPerMetreY = 3800;
constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiRle8 = 1;

void put16(Bytes &out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(Bytes &out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xff));
}

void put32be(Bytes &out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((v >> shift) & 0xff));
}

// xorshift32: tiny, and its sequence is fixed by the seed alone.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_state(seed) {}
    std::uint32_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    // Uniform in [-1, 1].
    double signedUnit() { return (next() >> 8) / double(1u << 23) - 1.0; }

private:
    std::uint32_t m_state;
};

// Grey levels, row by row from the top. Brushed metal: every row is white noise smeared
// along x (long horizontal streaks), plus a per-row shade and a soft sheen from top to bottom.
std::vector<std::uint8_t> brushedMetal() {
    constexpr int blur = 24; // streak length in pixels
    Random random(0x51e7a11u);
    std::vector<std::uint8_t> pixels(std::size_t(BackgroundWidth) * BackgroundHeight);
    double rowShade = 0.0;
    std::vector<double> noise(BackgroundWidth + 2 * blur);
    std::vector<double> smooth(BackgroundWidth + blur);
    for (int y = 0; y < BackgroundHeight; ++y) {
        for (double &n : noise)
            n = random.signedUnit();
        // Two box blurs give a soft streak without hard ends.
        for (int x = 0; x < BackgroundWidth + blur; ++x) {
            double sum = 0;
            for (int k = 0; k < blur; ++k)
                sum += noise[std::size_t(x + k)];
            smooth[std::size_t(x)] = sum / blur;
        }
        rowShade = 0.6 * rowShade + 0.4 * random.signedUnit();
        const double sheen = 10.0 * (1.0 - 2.0 * double(y) / BackgroundHeight);
        for (int x = 0; x < BackgroundWidth; ++x) {
            double sum = 0;
            for (int k = 0; k < blur; ++k)
                sum += smooth[std::size_t(x + k)];
            const double streak = sum / blur; // about +-0.07
            double level = 168.0 + sheen + 9.0 * rowShade + 95.0 * streak;
            level = level < 0 ? 0 : level > 255 ? 255 : level;
            pixels[std::size_t(y) * BackgroundWidth + std::size_t(x)] =
                static_cast<std::uint8_t>(int(level + 0.5) & ~1); // even levels: longer runs
        }
    }
    return pixels;
}

// One RLE8 row: runs of two or more equal pixels as (count, value); other pixels in absolute
// mode (0, count >= 3, the pixels, padded to an even length); one or two lone pixels as runs.
void encodeRle8Row(const std::uint8_t *row, int width, Bytes &out) {
    int x = 0;
    auto runAt = [&](int at) {
        int n = 1;
        while (at + n < width && n < 255 && row[at + n] == row[at])
            ++n;
        return n;
    };
    while (x < width) {
        const int run = runAt(x);
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(row[x]);
            x += run;
            continue;
        }
        int end = x;
        while (end < width && end - x < 255 && runAt(end) < 2)
            ++end;
        const int literal = end - x;
        if (literal < 3) {
            for (int i = 0; i < literal; ++i) {
                out.push_back(1);
                out.push_back(row[x + i]);
            }
        } else {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(literal));
            out.insert(out.end(), row + x, row + end);
            if (literal % 2)
                out.push_back(0);
        }
        x = end;
    }
}

Bytes greyBitmap(const std::vector<std::uint8_t> &pixels, std::uint32_t compression) {
    Bytes data;
    const int stride = (BackgroundWidth + 3) & ~3;
    for (int y = BackgroundHeight - 1; y >= 0; --y) { // bottom row first
        const std::uint8_t *row = pixels.data() + std::size_t(y) * BackgroundWidth;
        if (compression == BiRle8) {
            encodeRle8Row(row, BackgroundWidth, data);
            data.push_back(0);
            data.push_back(y == 0 ? 1 : 0); // end of bitmap after the top row, else end of line
        } else {
            data.insert(data.end(), row, row + BackgroundWidth);
            data.insert(data.end(), std::size_t(stride - BackgroundWidth), 0);
        }
    }
    constexpr std::uint32_t headers = 14 + 40 + 256 * 4;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, headers + std::uint32_t(data.size()));
    put32(out, 0);
    put32(out, headers);
    put32(out, 40);
    put32(out, BackgroundWidth);
    put32(out, BackgroundHeight);
    put16(out, 1);
    put16(out, 8);
    put32(out, compression);
    put32(out, std::uint32_t(data.size()));
    put32(out, PixelsPerMetreX);
    put32(out, PixelsPerMetreY);
    put32(out, 256);
    put32(out, 0);
    for (int i = 0; i < 256; ++i) { // blue, green, red, reserved
        out.insert(out.end(), {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// The 16 colours of the icon, the classic 4-bit set, as red, green, blue.
constexpr std::array<std::array<std::uint8_t, 3>, 16> IconColours{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

// A yellow folder holding a written sheet, in front of a grey drive. Letters name colours:
// k black, o olive, y yellow, w white, s silver, g grey, n navy, b blue, r red; "." transparent.
constexpr std::array<std::string_view, 32> IconArt{{
    "................................", "................................",
    "................................", "........kkkkkkkkkkkkkkkkkkk.....",
    "........kwwwwwwwwwwwwwwwwwk.....", "..kkkkkkkwnnnnnnnnnnnnnwwwk.....",
    ".koooooookwwwwwwwwwwwwwwwwk.....", ".kooooooookwnnnnnnnnnnnnwwk.....",
    ".kooooooookwwwwwwwwwwwwwwwk.....", ".kooooooookwnnnnnnnnnwwwwwk.....",
    ".koooooooookwwwwwwwwwwwwwwk.....", ".koooooooookwnnnnnnnnnnnwwk.....",
    ".kookkkkkkkkkkkkkkkkkkkkkkkkkk..", ".kookyyyyyyyyyyyyyyyyyyyyyyyyyk.",
    ".kookyyyyyyyyyyyyyyyyyyyyyyyyyk.", ".kokyyyyyyyyyyyyyyyyyyyyyyyyyk..",
    ".kokyyyyyyyyyyyyyyyyyyyyyyyyyk..", ".kokyyyyyyyyyyyyyyyyyyyyyyyyyk..",
    ".kkyyyyyyyyyyyyyyyyyyyyyyyyyk...", ".kkyyyyyyyyyyyyyyyyyyyyyyyyyk...",
    ".kyyyyyyyyyyyyyyyyyyyyyyyyyyk...", ".kyyyyyyyyyyyyyyyyyyyyyyyyyk....",
    ".kkkkkkkkkkkkkkkkkkkkkkkkkkk....", "................................",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....", "...kwwwwwwwwwwwwwwwwwwwwwwwgk...",
    "...kwssssssssssssssssssssssgk...", "...kwssssssssssssssssssrrssgk...",
    "...kwssssssssssssssssssrrssgk...", "...kwgggggggggggggggggggggggk...",
    "....kkkkkkkkkkkkkkkkkkkkkkkk....", "................................",
}};

constexpr bool artIsSquare() {
    for (std::string_view row : IconArt)
        if (row.size() != 32)
            return false;
    return true;
}
static_assert(artIsSquare(), "every icon row holds 32 pixels");

int iconIndex(char c) {
    switch (c) {
    case 'k':
        return 0;
    case 'o':
        return 3;
    case 'n':
        return 4;
    case 's':
        return 7;
    case 'g':
        return 8;
    case 'r':
        return 9;
    case 'y':
        return 11;
    case 'b':
        return 12;
    case 'w':
        return 15;
    default:
        return -1; // transparent
    }
}

// Index per pixel, -1 where transparent.
std::vector<int> iconPixels() {
    std::vector<int> pixels(32 * 32, -1);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            pixels[std::size_t(y * 32 + x)] = iconIndex(IconArt[std::size_t(y)][std::size_t(x)]);
    return pixels;
}

Bytes iconFile() {
    const std::vector<int> pixels = iconPixels();
    Bytes image;
    put32(image, 40);
    put32(image, 32);
    put32(image, 64); // colour rows and mask rows together
    put16(image, 1);
    put16(image, 4);
    put32(image, BiRgb);
    put32(image, 32 * 16 + 32 * 4);
    put32(image, 0);
    put32(image, 0);
    put32(image, 16);
    put32(image, 0);
    for (const auto &c : IconColours)
        image.insert(image.end(), {c[2], c[1], c[0], 0});
    for (int y = 31; y >= 0; --y) {
        for (int x = 0; x < 32; x += 2) {
            const int a = pixels[std::size_t(y * 32 + x)];
            const int b = pixels[std::size_t(y * 32 + x + 1)];
            image.push_back(static_cast<std::uint8_t>(((a < 0 ? 0 : a) << 4) | (b < 0 ? 0 : b)));
        }
    }
    for (int y = 31; y >= 0; --y) { // transparency mask, one bit per pixel, 1 = transparent
        for (int byte = 0; byte < 4; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (pixels[std::size_t(y * 32 + byte * 8 + bit)] < 0)
                    bits |= std::uint8_t(0x80 >> bit);
            image.push_back(bits);
        }
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, 1); // one image
    out.insert(out.end(), {32, 32, 16, 0});
    put16(out, 1);
    put16(out, 4);
    put32(out, std::uint32_t(image.size()));
    put32(out, 6 + 16);
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

std::uint32_t crc32(const std::uint8_t *data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void pngChunk(Bytes &out, const char type[4], const Bytes &data) {
    put32be(out, std::uint32_t(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32be(out, crc32(typed.data(), typed.size()));
}

// The icon as a 32 x 32 RGBA PNG; the zlib stream uses stored blocks, so no compressor is needed.
Bytes iconPng() {
    const std::vector<int> pixels = iconPixels();
    Bytes raw;
    for (int y = 0; y < 32; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < 32; ++x) {
            const int i = pixels[std::size_t(y * 32 + x)];
            if (i < 0) {
                raw.insert(raw.end(), {0, 0, 0, 0});
            } else {
                const auto &c = IconColours[std::size_t(i)];
                raw.insert(raw.end(), {c[0], c[1], c[2], 255});
            }
        }
    }
    Bytes zlib{0x78, 0x01};
    zlib.push_back(1); // the one and final block, stored
    put16(zlib, std::uint16_t(raw.size()));
    put16(zlib, std::uint16_t(~raw.size()));
    zlib.insert(zlib.end(), raw.begin(), raw.end());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32be(zlib, (b << 16) | a);

    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header;
    put32be(header, 32);
    put32be(header, 32);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", zlib);
    pngChunk(out, "IEND", {});
    return out;
}

bool writeFile(const std::string &path, const Bytes &bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        std::cerr << "quervelle_generate_assets: cannot write " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc == 3 && std::string_view(argv[1]) == "--uncompressed")
        return writeFile(argv[2], greyBitmap(brushedMetal(), BiRgb)) ? 0 : 1;
    if (argc != 2) {
        std::cerr << "usage: quervelle_generate_assets OUTDIR\n"
                     "       quervelle_generate_assets --uncompressed FILE\n";
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok = writeFile(dir + "/background.bmp", greyBitmap(brushedMetal(), BiRle8)) &&
                    writeFile(dir + "/quervelle.ico", iconFile()) &&
                    writeFile(dir + "/quervelle.png", iconPng());
    return ok ? 0 : 1;
}
