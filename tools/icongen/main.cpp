// icongen: turns the text pixel maps in assets/icons/*.txt into 16-colour
// Windows .ico files (32x32 + 16x16), draws a preview sheet of all icons and
// writes the application icon ("books") for the desktop's hicolor theme:
// PNGs of every theme size and a scalable SVG, in <icon-dir>/hicolor.
//
// Usage: icongen <icon-dir> <preview.png>
//
// Map format (see assets/icons/palette.txt):
//   lines starting with '#' are comments, blank lines are ignored,
//   "size N" starts an N x N image followed by exactly N rows of N characters.
//   '.' is transparent, '0'-'9' and 'a'-'f' are indices into the
//   standard 16-colour palette below.

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QString>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// Standard Windows 16-colour palette, in the order icons store it.
constexpr std::array<Rgb, 16> kPalette{{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

constexpr std::array<const char*, 5> kIconNames{"hand", "pencil", "book", "knob", "books"};
constexpr std::array<int, 2> kSizes{32, 16};  // order inside the .ico

constexpr int kTransparent = -1;

// The application icon in the hicolor theme. Pixel art enlarges cleanly only
// by whole factors without smoothing, so each theme size takes the map that
// fills it by a whole factor (48 = 3 x 16) and a size no map fills (24) puts
// the 16-pixel map at its real size in the middle of a transparent canvas.
constexpr const char* kAppIcon = "books";
struct ThemeSize {
    int size;    // canvas, size x size pixels
    int map;     // the pixel map drawn on it (32 or 16)
    int factor;  // every map pixel becomes factor x factor canvas pixels
};
constexpr std::array<ThemeSize, 7> kThemeSizes{{
    {16, 16, 1},
    {24, 16, 1},
    {32, 32, 1},
    {48, 16, 3},
    {64, 32, 2},
    {128, 32, 4},
    {256, 32, 8},
}};

// One square image: size*size palette indices, kTransparent for '.'.
struct PixelMap {
    int size = 0;
    std::vector<int> px;
    int at(int x, int y) const { return px[static_cast<std::size_t>(y * size + x)]; }
};

int decodePixel(char c)
{
    if (c == '.')
        return kTransparent;
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -2;
}

std::map<int, PixelMap> readMaps(const fs::path& file)
{
    std::ifstream in(file);
    if (!in)
        throw std::runtime_error("cannot open " + file.string());

    std::map<int, PixelMap> maps;
    PixelMap* current = nullptr;
    int rowsLeft = 0;
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& what) {
        throw std::runtime_error(file.string() + ":" + std::to_string(lineNo) + ": " + what);
    };

    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (rowsLeft == 0) {
            if (line.empty() || line.front() == '#')
                continue;
            std::istringstream words(line);
            std::string keyword;
            int size = 0;
            if (!(words >> keyword >> size) || keyword != "size")
                fail("expected 'size N', got '" + line + "'");
            if (size != 32 && size != 16)
                fail("only 32 and 16 pixel images are supported");
            if (maps.count(size))
                fail("second " + std::to_string(size) + "px image");
            current = &maps[size];
            current->size = size;
            current->px.reserve(static_cast<std::size_t>(size * size));
            rowsLeft = size;
            continue;
        }
        if (static_cast<int>(line.size()) != current->size)
            fail("row has " + std::to_string(line.size()) + " characters, expected "
                 + std::to_string(current->size));
        for (char c : line) {
            const int v = decodePixel(c);
            if (v == -2)
                fail(std::string("unknown pixel character '") + c + "'");
            current->px.push_back(v);
        }
        --rowsLeft;
    }
    if (rowsLeft != 0)
        fail("file ends inside an image");
    for (int s : kSizes)
        if (!maps.count(s))
            throw std::runtime_error(file.string() + ": no " + std::to_string(s) + "px image");
    return maps;
}

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xff));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xff));
}

// BITMAPINFOHEADER + palette + 4-bit XOR bitmap + 1-bit AND mask, bottom-up.
std::vector<std::uint8_t> encodeDib(const PixelMap& m)
{
    const int n = m.size;
    const int xorStride = ((n * 4 + 31) / 32) * 4;
    const int andStride = ((n + 31) / 32) * 4;
    const auto imageBytes = static_cast<std::uint32_t>((xorStride + andStride) * n);

    std::vector<std::uint8_t> out;
    put32(out, 40);                              // biSize
    put32(out, static_cast<std::uint32_t>(n));   // biWidth
    put32(out, static_cast<std::uint32_t>(2 * n)); // biHeight: XOR + AND
    put16(out, 1);                               // biPlanes
    put16(out, 4);                               // biBitCount
    put32(out, 0);                               // biCompression = BI_RGB
    put32(out, imageBytes);                      // biSizeImage
    put32(out, 0);                               // biXPelsPerMeter
    put32(out, 0);                               // biYPelsPerMeter
    put32(out, 0);                               // biClrUsed (0 = all 16)
    put32(out, 0);                               // biClrImportant

    for (const Rgb& c : kPalette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }

    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(xorStride), 0);
        for (int x = 0; x < n; ++x) {
            const int v = m.at(x, y);
            const auto idx = static_cast<std::uint8_t>(v == kTransparent ? 0 : v);
            auto& byte = row[static_cast<std::size_t>(x / 2)];
            byte |= (x % 2 == 0) ? static_cast<std::uint8_t>(idx << 4) : idx;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = n - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(andStride), 0);
        for (int x = 0; x < n; ++x)
            if (m.at(x, y) == kTransparent)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<std::uint8_t> encodeIco(const std::map<int, PixelMap>& maps)
{
    std::vector<std::vector<std::uint8_t>> dibs;
    for (int s : kSizes)
        dibs.push_back(encodeDib(maps.at(s)));

    std::vector<std::uint8_t> out;
    put16(out, 0);  // reserved
    put16(out, 1);  // type: icon
    put16(out, static_cast<unsigned>(dibs.size()));

    auto offset = static_cast<std::uint32_t>(6 + 16 * dibs.size());
    for (std::size_t i = 0; i < dibs.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(kSizes[i])); // width
        out.push_back(static_cast<std::uint8_t>(kSizes[i])); // height
        out.push_back(16);                                   // colour count
        out.push_back(0);                                    // reserved
        put16(out, 1);                                       // planes
        put16(out, 4);                                       // bits per pixel
        put32(out, static_cast<std::uint32_t>(dibs[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(dibs[i].size());
    }
    for (const auto& d : dibs)
        out.insert(out.end(), d.begin(), d.end());
    return out;
}

QImage toImage(const PixelMap& m)
{
    QImage img(m.size, m.size, QImage::Format_ARGB32);
    for (int y = 0; y < m.size; ++y)
        for (int x = 0; x < m.size; ++x) {
            const int v = m.at(x, y);
            if (v == kTransparent) {
                img.setPixel(x, y, qRgba(0, 0, 0, 0));
            } else {
                const Rgb& c = kPalette[static_cast<std::size_t>(v)];
                img.setPixel(x, y, qRgba(c.r, c.g, c.b, 255));
            }
        }
    return img;
}

// Reads the written .ico back through Qt and compares it with the maps.
// Returns an error text, or nothing if it matches (or Qt has no ico reader).
std::optional<std::string> verifyWithQt(const fs::path& ico, const std::map<int, PixelMap>& maps)
{
    if (!QImageReader::supportedImageFormats().contains("ico"))
        return std::nullopt;
    QImageReader reader(QString::fromStdString(ico.string()), "ico");
    if (reader.imageCount() != static_cast<int>(kSizes.size()))
        return "Qt sees " + std::to_string(reader.imageCount()) + " images";
    for (std::size_t i = 0; i < kSizes.size(); ++i) {
        if (!reader.jumpToImage(static_cast<int>(i)))
            return "Qt cannot seek to image " + std::to_string(i);
        const QImage got = reader.read().convertToFormat(QImage::Format_ARGB32);
        const QImage want = toImage(maps.at(kSizes[i]));
        if (got.size() != want.size())
            return "Qt reads image " + std::to_string(i) + " with the wrong size";
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x) {
                const QRgb a = got.pixel(x, y);
                const QRgb b = want.pixel(x, y);
                const bool same = qAlpha(a) == qAlpha(b) && (qAlpha(a) == 0 || a == b);
                if (!same)
                    return "pixel (" + std::to_string(x) + "," + std::to_string(y)
                           + ") of the " + std::to_string(kSizes[i]) + "px image differs";
            }
    }
    return std::nullopt;
}

// The map enlarged by a whole factor, one map pixel to a factor x factor
// block, centred on a transparent canvas of the given size.
QImage enlarge(const PixelMap& m, int factor, int canvas)
{
    const QImage pixels = toImage(m);
    QImage img(canvas, canvas, QImage::Format_ARGB32);
    img.fill(qRgba(0, 0, 0, 0));
    const int offset = (canvas - m.size * factor) / 2;
    for (int y = 0; y < m.size * factor; ++y)
        for (int x = 0; x < m.size * factor; ++x)
            img.setPixel(offset + x, offset + y, pixels.pixel(x / factor, y / factor));
    return img;
}

// The map as SVG: one rectangle per run of equal pixels in a row.
std::string toSvg(const PixelMap& m, const std::string& name)
{
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<!-- " << name << ": written by tools/icongen from assets/icons/" << name
        << ".txt, one rectangle per run of equal pixels -->\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << m.size << "\" height=\""
        << m.size << "\" viewBox=\"0 0 " << m.size << ' ' << m.size
        << "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < m.size; ++y)
        for (int x = 0; x < m.size;) {
            const int v = m.at(x, y);
            int run = 1;
            while (x + run < m.size && m.at(x + run, y) == v)
                ++run;
            if (v != kTransparent) {
                const Rgb& c = kPalette[static_cast<std::size_t>(v)];
                char colour[8];
                std::snprintf(colour, sizeof colour, "#%02x%02x%02x", c.r, c.g, c.b);
                svg << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << run
                    << "\" height=\"1\" fill=\"" << colour << "\"/>\n";
            }
            x += run;
        }
    svg << "</svg>\n";
    return svg.str();
}

void writeThemeIcons(const fs::path& dir, const std::string& name,
                     const std::map<int, PixelMap>& maps)
{
    fs::create_directories(dir);
    for (const ThemeSize& t : kThemeSizes) {
        const fs::path png = dir / (name + "-" + std::to_string(t.size) + ".png");
        if (!enlarge(maps.at(t.map), t.factor, t.size).save(QString::fromStdString(png.string()), "PNG"))
            throw std::runtime_error("cannot write " + png.string());
        std::cout << "wrote " << png.string() << "\n";
    }
    const fs::path svg = dir / (name + ".svg");
    std::ofstream out(svg, std::ios::trunc);
    out << toSvg(maps.at(32), name);
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + svg.string());
    std::cout << "wrote " << svg.string() << "\n";
}

void drawScaled(QPainter& p, const QImage& img, int x, int y, int scale)
{
    p.drawImage(QRect(x, y, img.width() * scale, img.height() * scale), img);
}

QImage drawPreview(const std::vector<std::pair<std::string, std::map<int, PixelMap>>>& icons)
{
    const int cellW = 152;
    const int bandH = 260;
    const int margin = 12;
    const QColor grounds[] = {QColor(0, 0, 128), QColor(212, 212, 212)};
    const QColor inks[] = {QColor(255, 255, 255), QColor(0, 0, 0)};

    QImage sheet(cellW * static_cast<int>(icons.size()), bandH * 2, QImage::Format_ARGB32);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    p.setFont(font);

    for (int band = 0; band < 2; ++band) {
        const int top = band * bandH;
        p.fillRect(0, top, sheet.width(), bandH, grounds[band]);
        p.setPen(inks[band]);
        for (std::size_t i = 0; i < icons.size(); ++i) {
            const int left = static_cast<int>(i) * cellW + margin;
            const QImage big = toImage(icons[i].second.at(32));
            const QImage small = toImage(icons[i].second.at(16));
            drawScaled(p, big, left, top + margin, 4);           // 128x128
            drawScaled(p, big, left, top + margin + 136, 1);     // actual size
            drawScaled(p, small, left + 40, top + margin + 136, 4); // 64x64
            drawScaled(p, small, left + 108, top + margin + 136, 1);
            p.drawText(QRect(left, top + bandH - 40, cellW - 2 * margin, 24),
                       Qt::AlignHCenter | Qt::AlignVCenter,
                       QString::fromStdString(icons[i].first));
        }
    }
    p.end();
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: icongen <icon-dir> <preview.png>\n";
        return 2;
    }
    // The tool draws into images only; it needs no window system.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const fs::path dir = argv[1];
    const fs::path preview = argv[2];

    try {
        std::vector<std::pair<std::string, std::map<int, PixelMap>>> icons;
        for (const char* name : kIconNames) {
            auto maps = readMaps(dir / (std::string(name) + ".txt"));
            const auto bytes = encodeIco(maps);
            const fs::path ico = dir / (std::string(name) + ".ico");
            std::ofstream out(ico, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
            out.close();
            if (!out)
                throw std::runtime_error("cannot write " + ico.string());
            if (auto err = verifyWithQt(ico, maps))
                throw std::runtime_error(ico.string() + ": read-back check failed: " + *err);
            std::cout << "wrote " << ico.string() << " (" << bytes.size() << " bytes)\n";
            if (std::string(name) == kAppIcon)
                writeThemeIcons(dir / "hicolor", name, maps);
            icons.emplace_back(name, std::move(maps));
        }
        if (!drawPreview(icons).save(QString::fromStdString(preview.string()), "PNG"))
            throw std::runtime_error("cannot write " + preview.string());
        std::cout << "wrote " << preview.string() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "icongen: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
