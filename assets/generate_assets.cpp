// Makes the window's pictures: the brushed-metal background (background.bmp, a Windows bitmap,
// 8 bits per pixel with a 256-entry grey colour table, RLE8-compressed) and the application
// icon: quervelle.ico, the 32 x 32 16-colour design first and the other sizes after it;
// quervelle.png, the same 32 x 32 picture for desktop menus; icons/quervelle-N.png at 16, 24,
// 48, 64, 128 and 256 pixels. Plain C++ with its own pseudo-random generator and its own PNG
// writer, so the same bytes come out at every run on every machine; the committed files are
// this program's output.
//
//   quervelle_generate_assets OUTDIR              writes the files into OUTDIR
//   quervelle_generate_assets --uncompressed FILE writes the background without compression,
//                                                 the reference its RLE8 stream must decode to

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
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

// Indices into those colours, and none.
enum Colour {
    Transparent = -1,
    Black = 0,
    Olive = 3,
    Navy = 4,
    Silver = 7,
    Grey = 8,
    Red = 9,
    Yellow = 11,
    Blue = 12,
    White = 15
};

// A yellow folder holding a written sheet, in front of a grey drive. Letters name colours:
// k black, o olive, y yellow, w white, s silver, g grey, n navy, b blue, r red; "." transparent.
// This 32 x 32 drawing is the design; the window shows it.
constexpr std::array<std::string_view, 32> IconArt32{{
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

// The same picture drawn again pixel by pixel for the small sizes, where a scaled drawing
// would turn the sheet's lines and the drive's light into grey smudges.
constexpr std::array<std::string_view, 16> IconArt16{{
    "................",
    "....kkkkkkkkkk..",
    ".kkkkwwwwwwwwk..",
    "kooookwnnnnnwk..",
    "kooookwwwwwwwk..",
    "koooookwnnnnwk..",
    "kookkkkkkkkkkkk.",
    "kookyyyyyyyyyyyk",
    "kokyyyyyyyyyyyk.",
    "kkyyyyyyyyyyyk..",
    "kkkkkkkkkkkkkk..",
    "................",
    "..kkkkkkkkkkkk..",
    ".kwwwwwwwwwwwgk.",
    ".kwssssssssrsgk.",
    "..kkkkkkkkkkkk..",
}};

constexpr std::array<std::string_view, 24> IconArt24{{
    "........................", "......kkkkkkkkkkkkkk....", "......kwwwwwwwwwwwwk....",
    "..kkkkkwnnnnnnnnnwwk....", ".kooooookwwwwwwwwwwk....", ".kooooookwnnnnnnnnwwk...",
    ".koooooookwwwwwwwwwwk...", ".koooooookwnnnnnnnwwk...", ".kookkkkkkkkkkkkkkkkkk..",
    ".kookyyyyyyyyyyyyyyyyyk.", ".kokyyyyyyyyyyyyyyyyyyk.", ".kokyyyyyyyyyyyyyyyyyk..",
    ".kkyyyyyyyyyyyyyyyyyyk..", ".kkyyyyyyyyyyyyyyyyyk...", ".kyyyyyyyyyyyyyyyyyyk...",
    ".kkkkkkkkkkkkkkkkkkkk...", "........................", "...kkkkkkkkkkkkkkkkkk...",
    "..kwwwwwwwwwwwwwwwwwgk..", "..kwssssssssssssrrssgk..", "..kwssssssssssssrrssgk..",
    "..kwgggggggggggggggggk..", "...kkkkkkkkkkkkkkkkkk...", "........................",
}};

template <std::size_t N> constexpr bool artIsSquare(const std::array<std::string_view, N> &art) {
    for (std::string_view row : art)
        if (row.size() != N)
            return false;
    return true;
}
static_assert(artIsSquare(IconArt16) && artIsSquare(IconArt24) && artIsSquare(IconArt32),
              "every drawing is as wide as it is high");

int iconIndex(char c) {
    switch (c) {
    case 'k':
        return Black;
    case 'o':
        return Olive;
    case 'n':
        return Navy;
    case 's':
        return Silver;
    case 'g':
        return Grey;
    case 'r':
        return Red;
    case 'y':
        return Yellow;
    case 'b':
        return Blue;
    case 'w':
        return White;
    default:
        return Transparent;
    }
}

// A square picture in the 16 colours: one index per pixel, row by row from the top.
struct IndexedIcon {
    int size = 0;
    std::vector<int> pixels;
};

template <std::size_t N> IndexedIcon indexedIcon(const std::array<std::string_view, N> &art) {
    IndexedIcon icon{int(N), std::vector<int>(N * N)};
    for (std::size_t y = 0; y < N; ++y)
        for (std::size_t x = 0; x < N; ++x)
            icon.pixels[y * N + x] = iconIndex(art[y][x]);
    return icon;
}

// A square picture in any colour, straight (not premultiplied) alpha, row by row from the top.
struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};
struct Picture {
    int size = 0;
    std::vector<Rgba> pixels;
};

Picture toPicture(const IndexedIcon &icon) {
    Picture picture{icon.size, std::vector<Rgba>(icon.pixels.size())};
    for (std::size_t i = 0; i < icon.pixels.size(); ++i) {
        if (icon.pixels[i] == Transparent)
            continue;
        const auto &c = IconColours[std::size_t(icon.pixels[i])];
        picture.pixels[i] = {c[0], c[1], c[2], 255};
    }
    return picture;
}

// From 48 pixels up, the picture is drawn afresh at each size from its shapes, given in pixels
// of the 32 x 32 design. Every corner lands on a whole pixel, so straight edges stay sharp;
// borders and the drive's light keep a width suited to the size instead of growing with it;
// only slanted edges are smoothed, by averaging 8 x 8 samples per pixel. The arithmetic is
// integer or exactly rounded, so every machine draws the same pixels.
struct Corner {
    double x, y;
};
struct Shape {
    std::vector<Corner> corners; // convex, clockwise on screen
    int fill = Black;
    bool bordered = false;   // a black border inside the edges
    std::vector<int> bevels; // per edge (corner i to i + 1): a band inside the border, or none
};

const std::vector<Shape> &iconShapes() {
    auto rect = [](double left, double top, double right, double bottom, int fill) {
        return Shape{{{left, top}, {right, top}, {right, bottom}, {left, bottom}}, fill, false, {}};
    };
    static const std::vector<Shape> shapes = {
        // The folder's back, its rounded corner cut square.
        {{{1, 6}, {2, 5}, {20, 5}, {20, 23}, {1, 23}}, Olive, true, {}},
        // The sheet, leaning back into the folder, and its four lines of writing.
        {{{8, 3}, {27, 3}, {27, 14}, {12, 14}}, White, true, {}},
        rect(10, 5, 23, 6, Navy),
        rect(12, 7, 24, 8, Navy),
        rect(12, 9, 21, 10, Navy),
        rect(13, 11, 24, 12, Navy),
        // The folder's front, seen slanted.
        {{{4, 12}, {30, 12}, {31, 13}, {28, 23}, {1, 23}}, Yellow, true, {}},
        // The drive: lit from the top left, shaded at the bottom right, with its red light.
        {{{4, 24}, {28, 24}, {29, 25}, {29, 30}, {28, 31}, {4, 31}, {3, 30}, {3, 25}},
         Silver,
         true,
         {White, Grey, Grey, Grey, Grey, White, White, White}},
        rect(22, 27, 24, 29, Red),
    };
    return shapes;
}

// Border and light widths in pixels for each drawn size.
struct DrawnSize {
    int size;
    int border;
    int light;
};
constexpr std::array<DrawnSize, 4> DrawnSizes{{{48, 1, 1}, {64, 2, 2}, {128, 3, 4}, {256, 5, 7}}};

Picture drawIcon(const DrawnSize &drawn) {
    constexpr int samples = 8;        // per pixel, along each axis
    constexpr int unit = 2 * samples; // positions per pixel: samples sit on odd ones
    struct Edge {
        std::int64_t x, y, dx, dy;
        double length;
        int bevel;
    };
    struct Placed {
        std::vector<Edge> edges;
        int fill;
        bool bordered;
        std::int64_t left, top, right, bottom; // the corners' bounds, to pass by quickly
    };
    std::vector<Placed> placed;
    for (const Shape &shape : iconShapes()) {
        auto at = [&](std::size_t i) {
            const Corner &c = shape.corners[i % shape.corners.size()];
            return std::array<std::int64_t, 2>{std::lround(c.x * drawn.size / 32) * unit,
                                               std::lround(c.y * drawn.size / 32) * unit};
        };
        Placed p{{}, shape.fill, shape.bordered, at(0)[0], at(0)[1], at(0)[0], at(0)[1]};
        for (std::size_t i = 0; i < shape.corners.size(); ++i) {
            const auto from = at(i), to = at(i + 1);
            p.left = std::min(p.left, from[0]);
            p.top = std::min(p.top, from[1]);
            p.right = std::max(p.right, from[0]);
            p.bottom = std::max(p.bottom, from[1]);
            const std::int64_t dx = to[0] - from[0], dy = to[1] - from[1];
            p.edges.push_back({from[0], from[1], dx, dy, std::sqrt(double(dx * dx + dy * dy)),
                               shape.bevels.empty() ? Transparent : shape.bevels[i]});
        }
        placed.push_back(std::move(p));
    }
    const double border = drawn.border * unit, light = (drawn.border + drawn.light) * unit;

    // The colour at one sample: the topmost shape holding it decides.
    auto colourAt = [&](std::int64_t x, std::int64_t y) {
        for (auto shape = placed.rbegin(); shape != placed.rend(); ++shape) {
            if (x < shape->left || x > shape->right || y < shape->top || y > shape->bottom)
                continue;
            bool inside = true;
            double nearest = 0;
            int nearestBevel = Transparent;
            for (const Edge &e : shape->edges) {
                const std::int64_t cross = e.dx * (y - e.y) - e.dy * (x - e.x);
                if (cross < 0) {
                    inside = false;
                    break;
                }
                const double distance = double(cross) / e.length;
                if (&e == &shape->edges.front() || distance < nearest) {
                    nearest = distance;
                    nearestBevel = e.bevel;
                }
            }
            if (!inside)
                continue;
            if (shape->bordered && nearest < border)
                return int(Black);
            if (nearestBevel != Transparent && nearest < light)
                return nearestBevel;
            return shape->fill;
        }
        return int(Transparent);
    };

    Picture picture{drawn.size, std::vector<Rgba>(std::size_t(drawn.size) * drawn.size)};
    for (int py = 0; py < drawn.size; ++py) {
        for (int px = 0; px < drawn.size; ++px) {
            int covered = 0;
            std::array<int, 3> sum{};
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const int colour = colourAt(std::int64_t(px) * unit + 2 * sx + 1,
                                                std::int64_t(py) * unit + 2 * sy + 1);
                    if (colour == Transparent)
                        continue;
                    ++covered;
                    for (std::size_t k = 0; k < 3; ++k)
                        sum[k] += IconColours[std::size_t(colour)][k];
                }
            }
            if (covered == 0)
                continue;
            auto average = [&](int total) { return std::uint8_t((total + covered / 2) / covered); };
            picture.pixels[std::size_t(py) * drawn.size + px] = {
                average(sum[0]), average(sum[1]), average(sum[2]),
                std::uint8_t((255 * covered + samples * samples / 2) / (samples * samples))};
        }
    }
    return picture;
}

// Every size the desktop may ask for, smallest first.
std::vector<Picture> iconPictures() {
    std::vector<Picture> pictures{toPicture(indexedIcon(IconArt16)),
                                  toPicture(indexedIcon(IconArt24)),
                                  toPicture(indexedIcon(IconArt32))};
    for (const DrawnSize &drawn : DrawnSizes)
        pictures.push_back(drawIcon(drawn));
    return pictures;
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

// Deflate with the fixed codes and a greedy search of earlier repeats: the icons are flat
// colours, so this is nearly as small as a full compressor, in a few lines and with the same
// output everywhere.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) { // least significant bit first
        for (int i = 0; i < count; ++i)
            put((value >> i) & 1u);
    }
    void code(std::uint32_t value, int length) { // codes go most significant bit first
        for (int i = length - 1; i >= 0; --i)
            put((value >> i) & 1u);
    }
    Bytes finish() {
        if (m_count > 0)
            m_out.push_back(m_byte);
        return m_out;
    }

private:
    void put(std::uint32_t bit) {
        m_byte = std::uint8_t(m_byte | (bit << m_count));
        if (++m_count == 8) {
            m_out.push_back(m_byte);
            m_byte = 0;
            m_count = 0;
        }
    }
    Bytes m_out;
    std::uint8_t m_byte = 0;
    int m_count = 0;
};

void deflateSymbol(BitWriter &out, int symbol) {
    if (symbol < 144)
        out.code(std::uint32_t(0x30 + symbol), 8);
    else if (symbol < 256)
        out.code(std::uint32_t(0x190 + symbol - 144), 9);
    else if (symbol < 280)
        out.code(std::uint32_t(symbol - 256), 7);
    else
        out.code(std::uint32_t(0xc0 + symbol - 280), 8);
}

void deflateRepeat(BitWriter &out, int length, int distance) {
    static constexpr std::array<int, 29> lengthBase{3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                    15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                    67, 83, 99, 115, 131, 163, 195, 227, 258};
    static constexpr std::array<int, 30> distanceBase{
        1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
        193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    int l = 28;
    while (lengthBase[std::size_t(l)] > length)
        --l;
    deflateSymbol(out, 257 + l);
    const int lengthExtra = l < 8 || l == 28 ? 0 : (l - 4) / 4;
    out.bits(std::uint32_t(length - lengthBase[std::size_t(l)]), lengthExtra);
    int d = 29;
    while (distanceBase[std::size_t(d)] > distance)
        --d;
    out.code(std::uint32_t(d), 5);
    out.bits(std::uint32_t(distance - distanceBase[std::size_t(d)]), d < 4 ? 0 : (d - 2) / 2);
}

Bytes zlibCompress(const Bytes &data) {
    constexpr int window = 32768, longest = 258, tries = 64;
    const int size = int(data.size());
    std::vector<int> head(1 << 15, -1), previous(data.size(), -1);
    auto hash = [&](int at) {
        return ((data[std::size_t(at)] << 10) ^ (data[std::size_t(at + 1)] << 5) ^
                data[std::size_t(at + 2)]) &
               0x7fff;
    };
    auto remember = [&](int at) {
        if (at + 3 > size)
            return;
        const int h = hash(at);
        previous[std::size_t(at)] = head[std::size_t(h)];
        head[std::size_t(h)] = at;
    };

    BitWriter out;
    out.bits(1, 1); // the final block
    out.bits(1, 2); // fixed codes
    for (int at = 0; at < size;) {
        int best = 0, bestDistance = 0;
        if (at + 3 <= size) {
            int candidate = head[std::size_t(hash(at))];
            for (int n = 0; n < tries && candidate >= 0 && at - candidate <= window; ++n) {
                int length = 0;
                while (length < longest && at + length < size &&
                       data[std::size_t(candidate + length)] == data[std::size_t(at + length)])
                    ++length;
                if (length > best) {
                    best = length;
                    bestDistance = at - candidate;
                }
                candidate = previous[std::size_t(candidate)];
            }
        }
        if (best >= 3) {
            deflateRepeat(out, best, bestDistance);
            for (int i = 0; i < best; ++i)
                remember(at + i);
            at += best;
        } else {
            deflateSymbol(out, data[std::size_t(at)]);
            remember(at);
            ++at;
        }
    }
    deflateSymbol(out, 256); // end of block

    Bytes zlib{0x78, 0x01};
    const Bytes compressed = out.finish();
    zlib.insert(zlib.end(), compressed.begin(), compressed.end());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put32be(zlib, (b << 16) | a);
    return zlib;
}

void pngChunk(Bytes &out, const char type[4], const Bytes &data) {
    put32be(out, std::uint32_t(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    put32be(out, crc32(typed.data(), typed.size()));
}

// An RGBA PNG, each row unfiltered.
Bytes png(const Picture &picture) {
    Bytes raw;
    for (int y = 0; y < picture.size; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < picture.size; ++x) {
            const Rgba &p = picture.pixels[std::size_t(y * picture.size + x)];
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    Bytes header;
    put32be(header, std::uint32_t(picture.size));
    put32be(header, std::uint32_t(picture.size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    pngChunk(out, "IHDR", header);
    pngChunk(out, "IDAT", zlibCompress(raw));
    pngChunk(out, "IEND", {});
    return out;
}

// One picture of the Windows icon file, with what its directory entry says about it.
struct IconImage {
    int size;
    int colours;      // 16, or 0 for true colour
    int bitsPerPixel; // 4 or 32
    Bytes data;
};

// The transparency mask under each bitmap picture: one bit per pixel, 1 = transparent, bottom
// row first, each row padded to 4 bytes.
void putMask(Bytes &out, int size, const std::vector<bool> &transparent) {
    const int stride = (size + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(std::size_t(stride), 0);
        for (int x = 0; x < size; ++x)
            if (transparent[std::size_t(y * size + x)])
                row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
}

void putBitmapHeader(Bytes &out, int size, int bitsPerPixel, int colours, std::size_t pixelBytes) {
    put32(out, 40);
    put32(out, std::uint32_t(size));
    put32(out, std::uint32_t(2 * size)); // colour rows and mask rows together
    put16(out, 1);
    put16(out, std::uint16_t(bitsPerPixel));
    put32(out, BiRgb);
    put32(out, std::uint32_t(pixelBytes));
    put32(out, 0);
    put32(out, 0);
    put32(out, std::uint32_t(colours));
    put32(out, 0);
}

// 16 colours, 4 bits per pixel, as every version of Windows reads it.
IconImage fourBitImage(const IndexedIcon &icon) {
    const int n = icon.size;
    const int stride = (n * 4 + 31) / 32 * 4, maskStride = (n + 31) / 32 * 4;
    Bytes image;
    putBitmapHeader(image, n, 4, 16, std::size_t(n * (stride + maskStride)));
    for (const auto &c : IconColours)
        image.insert(image.end(), {c[2], c[1], c[0], 0});
    std::vector<bool> transparent(icon.pixels.size());
    for (std::size_t i = 0; i < icon.pixels.size(); ++i)
        transparent[i] = icon.pixels[i] == Transparent;
    auto index = [&](int x, int y) {
        const int i = icon.pixels[std::size_t(y * n + x)];
        return i == Transparent ? 0 : i;
    };
    for (int y = n - 1; y >= 0; --y) {
        Bytes row(std::size_t(stride), 0);
        for (int x = 0; x < n; x += 2)
            row[std::size_t(x / 2)] = std::uint8_t((index(x, y) << 4) | index(x + 1, y));
        image.insert(image.end(), row.begin(), row.end());
    }
    putMask(image, n, transparent);
    return {n, 16, 4, image};
}

// True colour with its alpha channel, bottom row first.
IconImage trueColourImage(const Picture &picture) {
    const int n = picture.size;
    Bytes image;
    putBitmapHeader(image, n, 32, 0, std::size_t(n * (4 * n + (n + 31) / 32 * 4)));
    std::vector<bool> transparent(picture.pixels.size());
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        transparent[i] = picture.pixels[i].a == 0;
    for (int y = n - 1; y >= 0; --y)
        for (int x = 0; x < n; ++x) {
            const Rgba &p = picture.pixels[std::size_t(y * n + x)];
            image.insert(image.end(), {p.b, p.g, p.r, p.a});
        }
    putMask(image, n, transparent);
    return {n, 0, 32, image};
}

// The Windows icon: first the 32 x 32 design in 16 colours, the picture the window shows;
// then the small sizes in the same 16 colours, the larger ones in true colour, and 256 x 256
// as a PNG, the form Windows takes for that size.
Bytes iconFile(const std::vector<Picture> &pictures) {
    std::vector<IconImage> images{fourBitImage(indexedIcon(IconArt32)),
                                  fourBitImage(indexedIcon(IconArt16)),
                                  fourBitImage(indexedIcon(IconArt24))};
    for (const Picture &picture : pictures) {
        if (picture.size == 48 || picture.size == 64)
            images.push_back(trueColourImage(picture));
        else if (picture.size == 256)
            images.push_back({256, 0, 32, png(picture)});
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1); // icon
    put16(out, std::uint16_t(images.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * images.size());
    for (const IconImage &image : images) {
        out.push_back(std::uint8_t(image.size & 0xff)); // 256 is written 0
        out.push_back(std::uint8_t(image.size & 0xff));
        out.push_back(std::uint8_t(image.colours));
        out.push_back(0);
        put16(out, 1);
        put16(out, std::uint16_t(image.bitsPerPixel));
        put32(out, std::uint32_t(image.data.size()));
        put32(out, offset);
        offset += std::uint32_t(image.data.size());
    }
    for (const IconImage &image : images)
        out.insert(out.end(), image.data.begin(), image.data.end());
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
    std::error_code error;
    std::filesystem::create_directories(dir + "/icons", error);
    if (error) {
        std::cerr << "quervelle_generate_assets: cannot create " << dir << "/icons\n";
        return 1;
    }
    const std::vector<Picture> pictures = iconPictures();
    bool ok = writeFile(dir + "/background.bmp", greyBitmap(brushedMetal(), BiRle8)) &&
              writeFile(dir + "/quervelle.ico", iconFile(pictures));
    // The 32 x 32 picture sits beside the icon file, the others in icons/, one file per size.
    for (const Picture &picture : pictures) {
        const std::string name =
            picture.size == 32 ? dir + "/quervelle.png"
                               : dir + "/icons/quervelle-" + std::to_string(picture.size) + ".png";
        ok = ok && writeFile(name, png(picture));
    }
    return ok ? 0 : 1;
}
