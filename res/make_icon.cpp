// make_icon ICON.TXT OUT.ICO [OUT.SVG]: turns the text pictures of the
// program's icon into a Windows icon file with one 16-colour image per
// picture and, for Linux desktops, the largest picture as SVG.
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

// BITMAPINFOHEADER, palette, 4-bit colour rows, then the 1-bit mask rows;
// rows run bottom to top, each padded to four bytes.
std::string Image(const Picture& picture) {
  const int size = static_cast<int>(picture.size());
  const int colour_row = (size * 4 + 31) / 32 * 4;
  const int mask_row = (size + 31) / 32 * 4;
  std::string image;
  Put32(image, 40);
  Put32(image, size);
  Put32(image, size * 2);  // colour and mask together
  Put16(image, 1);
  Put16(image, 4);
  Put32(image, 0);
  Put32(image, (colour_row + mask_row) * size);
  for (int i = 0; i < 4; ++i) Put32(image, 0);
  for (const auto& colour : kPalette) {
    image += static_cast<char>(colour[2]);
    image += static_cast<char>(colour[1]);
    image += static_cast<char>(colour[0]);
    image += '\0';
  }
  for (int y = size - 1; y >= 0; --y) {
    std::string row(colour_row, '\0');
    for (int x = 0; x < size; ++x) {
      const int index = ColourIndex(picture[y][x]);
      if (index > 0) row[x / 2] |= static_cast<char>(x % 2 ? index : index << 4);
    }
    image += row;
  }
  for (int y = size - 1; y >= 0; --y) {
    std::string row(mask_row, '\0');
    for (int x = 0; x < size; ++x) {
      if (ColourIndex(picture[y][x]) < 0) row[x / 8] |= static_cast<char>(0x80 >> x % 8);
    }
    image += row;
  }
  return image;
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

}  // namespace

int main(int argc, char** argv) {
  std::vector<Picture> pictures;
  if (argc < 3 || argc > 4 || !ReadPictures(argv[1], pictures)) {
    std::fprintf(stderr,
                 "usage: make_icon ICON.TXT OUT.ICO [OUT.SVG] (square pictures of 0-9a-f.)\n");
    return 2;
  }
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
  std::ofstream(argv[2], std::ios::binary) << header << images;
  if (argc == 4) {
    const Picture* largest = &pictures[0];
    for (const Picture& picture : pictures) {
      if (picture.size() > largest->size()) largest = &picture;
    }
    std::ofstream(argv[3], std::ios::binary) << Svg(*largest);
  }
  return 0;
}
