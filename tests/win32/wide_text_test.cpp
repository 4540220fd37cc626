#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/win32/print_layout.h"
#include "platform/win32/win32_folder_listing.h"

namespace varnlink::platform {
namespace {

// A row's test name: its description, blanks as underscores.
const auto RowName = [](const auto& row) {
  std::string name = row.param.what;
  std::replace(name.begin(), name.end(), ' ', '_');
  return name;
};

// The two forms themselves are tested with text/utf16.h; here, that the API
// boundary uses WTF-8, which keeps a name's unpaired surrogate both ways.
TEST(WideText, KeepsAnUnpairedSurrogateBothWays) {
  const std::wstring name{L'a', wchar_t(0xD800), L'z'};
  EXPECT_EQ(WideToUtf8(name), "a\xED\xA0\x80z");
  EXPECT_EQ(Utf8ToWide(WideToUtf8(name)), name);
  EXPECT_EQ(Utf8ToWide("\xE6\x97" "A"), L"\uFFFD" L"A");  // a broken sequence is one U+FFFD
}

struct PathCase {
  std::string path;
  std::wstring api;
};

class ApiPathForm : public testing::TestWithParam<PathCase> {};

TEST_P(ApiPathForm, GivesTheFormTheWideApiTakes) { EXPECT_EQ(ApiPath(GetParam().path), GetParam().api); }

INSTANTIATE_TEST_SUITE_P(
    Paths, ApiPathForm,
    testing::Values(PathCase{"C:\\dir\\a.lnk", L"\\\\?\\C:\\dir\\a.lnk"},
                    PathCase{"C:\\", L"\\\\?\\C:\\"},
                    PathCase{"c:\\dir\\trailing dot.", L"\\\\?\\c:\\dir\\trailing dot."},
                    PathCase{"\\\\server\\share\\a.lnk", L"\\\\?\\UNC\\server\\share\\a.lnk"},
                    // Shapes the raw form cannot take unchanged are left to Windows.
                    PathCase{"C:\\dir\\..\\a.lnk", L"C:\\dir\\..\\a.lnk"},
                    PathCase{"C:/dir/a.lnk", L"C:/dir/a.lnk"},
                    PathCase{"C:\\dir\\\\a.lnk", L"C:\\dir\\\\a.lnk"},
                    PathCase{"a.lnk", L"a.lnk"},
                    PathCase{"\\", L"\\"},
                    PathCase{"\\\\server", L"\\\\server"},
                    PathCase{"\\\\?\\C:\\x", L"\\\\?\\C:\\x"}));

TEST(ApiPathForm, MakesALongRelativePathAbsoluteAndRaw) {
  const std::string name(300, 'n');
  const std::wstring api = ApiPath(name);
  EXPECT_EQ(api.rfind(L"\\\\?\\", 0), 0u);
  EXPECT_EQ(api.substr(api.size() - 300), std::wstring(300, L'n'));
}

struct RootCase {
  std::string folder;
  bool root;
};

class RootFolder : public testing::TestWithParam<RootCase> {};

TEST_P(RootFolder, IsRecognised) { EXPECT_EQ(IsRootFolder(GetParam().folder), GetParam().root); }

INSTANTIATE_TEST_SUITE_P(
    Folders, RootFolder,
    testing::Values(RootCase{"C:\\", true}, RootCase{"c:", true}, RootCase{"\\", true},
                    RootCase{"\\\\server\\share\\", true}, RootCase{"\\\\server\\share", true},
                    RootCase{"\\\\?\\C:\\", true}, RootCase{"\\\\?\\UNC\\server\\share\\", true},
                    RootCase{"C:\\WINDOWS\\", false}, RootCase{"C:\\WINDOWS", false},
                    RootCase{"\\\\server\\share\\dir\\", false}, RootCase{"dir\\", false},
                    RootCase{"\\\\?\\C:\\dir\\", false}));

using app::win32::LayOutPages;
using app::win32::PrintedPage;

struct LayoutCase {
  const char* what;
  std::wstring text;
  int columns;
  int rows;
  std::vector<PrintedPage> pages;
};

class PageLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(PageLayout, BreaksLinesAndPages) {
  EXPECT_EQ(LayOutPages(GetParam().text, GetParam().columns, GetParam().rows), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PageLayout,
    testing::Values(
        LayoutCase{"empty report prints one empty line", L"\r\n", 10, 5, {{L"", L""}}},
        LayoutCase{"lines split at CR LF", L"ab\r\ncd\r\n", 10, 5, {{L"ab", L"cd", L""}}},
        LayoutCase{"lone line ends count too", L"a\nb\rc", 10, 5, {{L"a", L"b", L"c"}}},
        LayoutCase{"long line wraps", L"abcdefg", 3, 5, {{L"abc", L"def", L"g"}}},
        LayoutCase{"full page starts the next", L"1\r\n2\r\n3\r\n4", 10, 2,
                   {{L"1", L"2"}, {L"3", L"4"}}},
        LayoutCase{"empty lines are kept", L"a\r\n\r\nb", 10, 5, {{L"a", L"", L"b"}}},
        LayoutCase{"nonsense sizes count as one", L"ab", 0, -3, {{L"a"}, {L"b"}}}),
    RowName);

}  // namespace
}  // namespace varnlink::platform
