// make_icon ICON.TXT OUT...: turns the text pictures of the program's icon
// into each OUT, by the ending of its name: .ico, a Windows icon file with
// one 16-colour image per picture; .svg, the largest picture for Linux
// desktops; .bmp, the setup's finish-page artwork (164 x 314 pixels, 16
// colours), the largest picture enlarged on a plain panel.
//
// A picture is a square of characters: 0-9 and a-f index the standard
// 16-colour palette, '.' is transparent. Lines starting with '#' are notes.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Picture = std::vector<std::string>;

const std::uint8_t kPalette[16][3] = {  // red, green, blue
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8 & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

int ColourIndex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // transparent
}

// BITMAPINFOHEADER and the palette of a 16-colour picture, `rows` high as
// the header counts it, `bytes` of pixels following.
std::string InfoHeader(int width, int rows, int bytes) {
  std::string header;
  Put32(header, 40);
  Put32(header, width);
  Put32(header, rows);
  Put16(header, 1);
  Put16(header, 4);
  Put32(header, 0);
  Put32(header, bytes);
  for (int i = 0; i < 4; ++i) Put32(header, 0);
  for (const auto& colour : kPalette) {
    header += static_cast<char>(colour[2]);
    header += static_cast<char>(colour[1]);
    header += static_cast<char>(colour[0]);
    header += '\0';
  }
  return header;
}

// 4-bit rows, bottom to top, each padded to four bytes; `colour(x, y)` is
// a palette index.
template <typename Colour>
std::string ColourRows(int width, int height, Colour colour) {
  const int row_size = (width * 4 + 31) / 32 * 4;
  std::string rows;
  for (int y = height - 1; y >= 0; --y) {
    std::string row(row_size, '\0');
    for (int x = 0; x < width; ++x) {
      const int index = colour(x, y);
      row[x / 2] |= static_cast<char>(x % 2 ? index : index << 4);
    }
    rows += row;
  }
  return rows;
}

// An icon image: header, palette, colour rows, then the 1-bit mask rows.
std::string Image(const Picture& picture) {
  const int size = static_cast<int>(picture.size());
  const int colour_row = (size * 4 + 31) / 32 * 4;
  const int mask_row = (size + 31) / 32 * 4;
  // Colour and mask together make the height; under the mask, black.
  std::string image = InfoHeader(size, size * 2, (colour_row + mask_row) * size);
  image += ColourRows(size, size, [&](int x, int y) {
    const int index = ColourIndex(picture[y][x]);
    return index < 0 ? 0 : index;
  });
  for (int y = size - 1; y >= 0; --y) {
    std::string row(mask_row, '\0');
    for (int x = 0; x < size; ++x) {
      if (ColourIndex(picture[y][x]) < 0) row[x / 8] |= static_cast<char>(0x80 >> x % 8);
    }
    image += row;
  }
  return image;
}

// The finish page's artwork, a bitmap file: the picture four times its size
// on a silver panel, centred across and a fifth of the way down.
std::string FinishBitmap(const Picture& picture) {
  constexpr int kWidth = 164, kHeight = 314, kScale = 4, kPanel = 7;
  const int size = static_cast<int>(picture.size()) * kScale;
  const int left = (kWidth - size) / 2, top = kHeight / 5;
  const std::string pixels = ColourRows(kWidth, kHeight, [&](int x, int y) {
    if (x < left || x >= left + size || y < top || y >= top + size) return kPanel;
    const int index = ColourIndex(picture[(y - top) / kScale][(x - left) / kScale]);
    return index < 0 ? kPanel : index;
  });
  const std::string info = InfoHeader(kWidth, kHeight, static_cast<int>(pixels.size()));
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + pixels;
}

// One rectangle per run of a colour along a row, edges kept sharp: the same
// pixels as the Windows icon, at any size.
std::string Svg(const Picture& picture) {
  const int size = static_cast<int>(picture.size());
  char text[160];
  std::snprintf(text, sizeof text,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                "viewBox=\"0 0 %d %d\" shape-rendering=\"crispEdges\">\n",
                size, size, size, size);
  std::string svg = text;
  for (int y = 0; y < size; ++y) {
    for (int x = 0, end; x < size; x = end) {
      for (end = x + 1; end < size && picture[y][end] == picture[y][x];) ++end;
      const int index = ColourIndex(picture[y][x]);
      if (index < 0) continue;
      const std::uint8_t* rgb = kPalette[index];
      std::snprintf(text, sizeof text,
                    "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" fill=\"#%02x%02x%02x\"/>\n",
                    x, y, end - x, rgb[0], rgb[1], rgb[2]);
      svg += text;
    }
  }
  return svg + "</svg>\n";
}

bool ReadPictures(const char* path, std::vector<Picture>& pictures) {
  std::ifstream in(path);
  if (!in) return false;
  Picture current;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '#') continue;
    if (line.empty()) {
      if (!current.empty()) pictures.push_back(current);
      current.clear();
    } else {
      current.push_back(line);
    }
  }
  if (!current.empty()) pictures.push_back(current);
  for (const Picture& picture : pictures) {
    for (const std::string& row : picture) {
      if (row.size() != picture.size()) return false;
    }
  }
  return !pictures.empty();
}

// The icon file: a directory of the images, then the images.
std::string Icon(const std::vector<Picture>& pictures) {
  std::string header, images;
  Put16(header, 0);
  Put16(header, 1);  // an icon, not a cursor
  Put16(header, static_cast<unsigned>(pictures.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(pictures.size());
  for (const Picture& picture : pictures) {
    const std::string image = Image(picture);
    header += static_cast<char>(picture.size() % 256);
    header += static_cast<char>(picture.size() % 256);
    header += static_cast<char>(16);  // colours
    header += '\0';
    Put16(header, 1);
    Put16(header, 4);
    Put32(header, static_cast<std::uint32_t>(image.size()));
    Put32(header, offset);
    offset += static_cast<std::uint32_t>(image.size());
    images += image;
  }
  return header + images;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Picture> pictures;
  bool known = argc >= 3;
  for (int i = 2; i < argc; ++i) {
    known = known &&
            (EndsWith(argv[i], ".ico") || EndsWith(argv[i], ".svg") || EndsWith(argv[i], ".bmp"));
  }
  if (!known || !ReadPictures(argv[1], pictures)) {
    std::fprintf(
        stderr,
        "usage: make_icon ICON.TXT OUT.ico|OUT.svg|OUT.bmp... (square pictures of 0-9a-f.)\n");
    return 2;
  }
  const Picture* largest = &pictures[0];
  for (const Picture& picture : pictures) {
    if (picture.size() > largest->size()) largest = &picture;
  }
  for (int i = 2; i < argc; ++i) {
    const std::string out = argv[i];
    std::ofstream(out, std::ios::binary) << (EndsWith(out, ".ico")   ? Icon(pictures)
                                             : EndsWith(out, ".svg") ? Svg(*largest)
                                                                     : FinishBitmap(*largest));
  }
  return 0;
}
