// Reads the built Quorvin.exe through the platform's own resource and
// version APIs, as a user's Windows will: run under Wine with the program's
// path as the argument.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* program_path = nullptr;

struct Module {
  Module() : handle(LoadLibraryExA(program_path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~Module() { FreeLibrary(handle); }
  HMODULE handle;
};

// The bytes of resource `id` of `type` stored under `language`, if any.
std::vector<unsigned char> Resource(const Module& module, const char* type, int id, WORD language) {
  HRSRC found = FindResourceExA(module.handle, type, MAKEINTRESOURCEA(id), language);
  if (!found) return {};
  const auto* data =
      static_cast<const unsigned char*>(LockResource(LoadResource(module.handle, found)));
  return std::vector<unsigned char>(data, data + SizeofResource(module.handle, found));
}

// Fields read in order: a braced list is evaluated left to right.
using Numbers = std::vector<std::int64_t>;
using Texts = std::vector<std::string>;

constexpr WORD kEnglishUs = 0x0409;
constexpr WORD kJapanese = 0x0411;

// Walks a dialog template, classic or extended, as the dialog manager does.
class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  WORD Word() { return Take<WORD>(); }
  DWORD Dword() { return Take<DWORD>(); }
  short Short() { return Take<short>(); }
  // A name or ordinal field: 0, 0xFFFF then an ordinal, or a wide string.
  std::string Field() {
    const WORD first = Word();
    if (first == 0xFFFF) return "#" + std::to_string(Word());
    std::string text;
    for (WORD c = first; c != 0; c = Word()) text += static_cast<char>(c);
    return text;
  }
  void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }

 private:
  template <class T>
  T Take() {
    T value{};
    if (offset_ + sizeof(T) <= bytes_.size()) std::memcpy(&value, &bytes_[offset_], sizeof(T));
    offset_ += sizeof(T);
    return value;
  }
  const std::vector<unsigned char>& bytes_;
  std::size_t offset_ = 0;
};

struct Control {
  DWORD style, exStyle;
  short x, y, cx, cy;
  int id;
  std::string windowClass, text;
  bool operator==(const Control& o) const {
    return style == o.style && exStyle == o.exStyle && x == o.x && y == o.y && cx == o.cx &&
           cy == o.cy && id == o.id && windowClass == o.windowClass && text == o.text;
  }
};

// One control of a template; the extended form has a help id first, the
// styles the other way round, a 32-bit id and always creation data.
Control ReadControl(TemplateReader& t, bool extended) {
  t.AlignToDword();
  Control c;
  if (extended) t.Dword();
  c.style = t.Dword();
  c.exStyle = t.Dword();
  if (extended) std::swap(c.style, c.exStyle);
  c.x = t.Short(), c.y = t.Short(), c.cx = t.Short(), c.cy = t.Short();
  c.id = extended ? static_cast<int>(t.Dword()) : static_cast<short>(t.Word());
  c.windowClass = t.Field();
  c.text = t.Field();
  t.Word();  // no creation data
  return c;
}

std::ostream& operator<<(std::ostream& out, const Control& c) {
  return out << std::hex << "style 0x" << c.style << " ex 0x" << c.exStyle << std::dec << " at "
             << c.x << "," << c.y << " " << c.cx << "x" << c.cy << " id " << c.id << " class "
             << c.windowClass << " text \"" << c.text << "\"";
}

TEST(Resources, MainDialogIsAnExtendedTemplateWithOneOkButton) {
  Module module;
  ASSERT_NE(module.handle, nullptr);
  const auto bytes = Resource(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, 102, kEnglishUs);
  ASSERT_FALSE(bytes.empty());
  TemplateReader t(bytes);
  // Version 1 of the extended form (0xFFFF), help id, extended style, style,
  // one control, place and size; menu, class, title; points, weight, not
  // italic (low byte) in character set 1 (high byte), and the face.
  const Numbers header{t.Word(), t.Word(),  t.Dword(), t.Dword(), t.Dword(),
                       t.Word(), t.Short(), t.Short(), t.Short(), t.Short()};
  EXPECT_EQ(header, (Numbers{1, 0xFFFF, 0, 0x00040000, 0x80C800C0, 1, 0, 0, 310, 103}));
  EXPECT_EQ((Texts{t.Field(), t.Field(), t.Field()}), (Texts{"", "", "Quorvin"}));
  EXPECT_EQ((Numbers{t.Word(), t.Word(), t.Word()}), (Numbers{8, 0, 0x100}));
  EXPECT_EQ(t.Field(), "MS Sans Serif");

  EXPECT_EQ(ReadControl(t, true), (Control{0x50010001, 0, 184, 9, 50, 14, IDOK, "#128", "OK"}));
}

TEST(Resources, AboutBoxIsAClassicTemplateWithItsFourControls) {
  Module module;
  const auto bytes = Resource(module, MAKEINTRESOURCEA(5), 100, kEnglishUs);
  ASSERT_FALSE(bytes.empty());
  TemplateReader t(bytes);
  // Style, extended style, four controls, place and size; menu, class, title; points and face.
  const Numbers header{t.Dword(), t.Dword(), t.Word(), t.Short(), t.Short(), t.Short(), t.Short()};
  ASSERT_EQ(header, (Numbers{0x80C800C0, 0, 4, 0, 0, 235, 55}));
  EXPECT_EQ((Texts{t.Field(), t.Field(), t.Field()}), (Texts{"", "", "About Quorvin"}));
  EXPECT_EQ(t.Word(), 8);
  EXPECT_EQ(t.Field(), "MS Sans Serif");

  std::vector<Control> controls;
  for (int i = 0; i < 4; ++i) controls.push_back(ReadControl(t, false));
  // Classes by atom: 0x80 button, 0x82 static.
  const std::vector<Control> expected{
      {0x50000003, 0, 11, 17, 20, 20, -1, "#130", "#128"},
      {0x50020080, 0, 40, 10, 119, 8, -1, "#130", "Quorvin Version 1.0"},
      {0x50020000, 0, 40, 25, 119, 8, -1, "#130", "Copyright (C) 2026 Quorvin"},
      {0x50030001, 0, 178, 7, 50, 14, IDOK, "#128", "OK"},
  };
  EXPECT_EQ(controls, expected);
}

TEST(Resources, IconGroupHoldsTwoSixteenColourImagesUnderJapanese) {
  Module module;
  EXPECT_TRUE(Resource(module, MAKEINTRESOURCEA(14), 128, kEnglishUs).empty());
  const auto group = Resource(module, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, 128, kJapanese);
  ASSERT_EQ(group.size(), 6u + 2 * 14);
  EXPECT_EQ(group[4], 2);  // images
  for (int i = 0; i < 2; ++i) {
    const unsigned char* entry = &group[6 + 14 * i];
    const int size = i == 0 ? 32 : 16;  // width and height; colours, bits per pixel
    EXPECT_EQ((Numbers{entry[0], entry[1], entry[2], entry[6]}), (Numbers{size, size, 16, 4}));
    const int image_id = entry[12] | entry[13] << 8;
    const auto image = Resource(module, MAKEINTRESOURCEA(3) /* RT_ICON */, image_id, kJapanese);
    ASSERT_GE(image.size(), 40u);
    EXPECT_EQ(image[4], size);  // BITMAPINFOHEADER width
  }
}

TEST(Resources, StringTableHoldsTheAboutEntryText) {
  Module module;
  char text[64] = {};
  ASSERT_GT(LoadStringA(module.handle, 101, text, sizeof text), 0);
  EXPECT_STREQ(text, "&About Quorvin...");
  EXPECT_FALSE(
      Resource(module, MAKEINTRESOURCEA(6) /* RT_STRING */, 101 / 16 + 1, kEnglishUs).empty());
}

TEST(Resources, VersionBlockHasEveryField) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(program_path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(program_path, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  // Versions 1.0.0.1, every flag known and none set, for Win32, an application.
  const Numbers fields{fixed->dwFileVersionMS,    fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                       fixed->dwProductVersionLS, fixed->dwFileFlagsMask, fixed->dwFileFlags,
                       fixed->dwFileOS,           fixed->dwFileType,      fixed->dwFileSubtype};
  EXPECT_EQ(fields, (Numbers{0x00010000, 1, 0x00010000, 1, 0x3F, 0, 4, 1, 0}));

  const std::pair<const char*, const char*> strings[] = {
      {"CompanyName", ""},
      {"FileDescription", "Quorvin MFC Application"},
      {"FileVersion", "1, 0, 0, 1"},
      {"InternalName", "Quorvin"},
      {"LegalCopyright", "Copyright (C) 2026 Quorvin"},
      {"LegalTrademarks", ""},
      {"OriginalFilename", "Quorvin.EXE"},
      {"ProductName", "Quorvin Application"},
      {"ProductVersion", "1, 0, 0, 1"},
  };
  for (const auto& [name, value] : strings) {
    char* text = nullptr;
    const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
    ASSERT_TRUE(
        VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
        << name << " is missing";
    EXPECT_STREQ(text, value) << name;
  }

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ((Numbers{translation[0], translation[1]}), (Numbers{0x0409, 1200}));  // US English
}

// The manifest as the loader takes it, in an activation context made from
// the program's own: the caller's rights, per-monitor DPI awareness (system
// DPI where that is not known), and no other assembly: version 6 of the
// common controls is in the manifest of the windows shown (129), second.
TEST(Resources, ManifestRunsAsInvokerDpiAwareCommonControls6OnlyForWindowsShown) {
  ACTCTXA request{sizeof request, ACTCTX_FLAG_RESOURCE_NAME_VALID, program_path, 0, 0, nullptr,
                  MAKEINTRESOURCEA(1), nullptr, nullptr};
  const HANDLE context = CreateActCtxA(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE);
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
               nullptr);
  EXPECT_EQ((Numbers{level.RunLevel, level.UiAccess}), (Numbers{ACTCTX_RUN_LEVEL_AS_INVOKER, 0}));
  const std::pair<const wchar_t*, const wchar_t*> settings[] = {
      {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"},
      {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"}};
  Texts values;
  for (const auto& [space, name] : settings) {
    wchar_t value[32] = {};
    QueryActCtxSettingsW(0, context, space, name, value, 32, nullptr);
    values.emplace_back(value, value + wcslen(value));
  }
  EXPECT_EQ(values, (Texts{"true", "PerMonitorV2"}));
  DWORD second = 2;
  std::vector<char> details(4096);
  EXPECT_FALSE(QueryActCtxW(0, context, &second, AssemblyDetailedInformationInActivationContext,
                            details.data(), details.size(), nullptr));
  ReleaseActCtx(context);
  request.lpResourceName = MAKEINTRESOURCEA(129);
  const HANDLE styles = CreateActCtxA(&request);
  ASSERT_TRUE(QueryActCtxW(0, styles, &second, AssemblyDetailedInformationInActivationContext,
                           details.data(), details.size(), nullptr));
  const std::wstring identity =
      reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(details.data())
          ->lpAssemblyEncodedAssemblyIdentity;
  EXPECT_EQ(identity.substr(0, 34) + identity.substr(identity.find(L",version="), 12),
            L"Microsoft.Windows.Common-Controls,,version=\"6.");
  ReleaseActCtx(styles);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: resources_test PATH\\TO\\Quorvin.exe\n");
    return 2;
  }
  program_path = argv[1];
  return RUN_ALL_TESTS();
}
