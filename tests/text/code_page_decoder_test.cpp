// The ANSI code pages as Windows reads them, in both builds: on Linux through
// iconv with the bytes glibc reads otherwise mended, on Windows (under Wine in
// the cross-build's run) through MultiByteToWideChar.

#include "text/code_page_decoder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "text/utf8.h"

namespace varnlink::text {
namespace {

std::u32string CodePoints(std::string_view utf8) {
  std::u32string points;
  for (std::size_t i = 0; i < utf8.size();) points += NextCodePoint(utf8, i);
  return points;
}

// Bytes glibc's converter refuses that Windows reads: the undefined bytes of
// 0x80 to 0x9F as the C1 controls, the others as Windows' private-use
// characters (and CP1255's 0xCA as U+05BA).
struct ByteRun {
  unsigned code_page;
  unsigned first;
  unsigned last;
  char32_t first_code_point;
};
// clang-format off
constexpr ByteRun kWindowsReadings[] = {
    {1250, 0x81, 0x81, 0x0081}, {1250, 0x83, 0x83, 0x0083}, {1250, 0x88, 0x88, 0x0088},
    {1250, 0x90, 0x90, 0x0090}, {1250, 0x98, 0x98, 0x0098}, {1251, 0x98, 0x98, 0x0098},
    {1252, 0x81, 0x81, 0x0081}, {1252, 0x8D, 0x8D, 0x008D}, {1252, 0x8F, 0x90, 0x008F},
    {1252, 0x9D, 0x9D, 0x009D}, {1253, 0x81, 0x81, 0x0081}, {1253, 0x88, 0x88, 0x0088},
    {1253, 0x8A, 0x8A, 0x008A}, {1253, 0x8C, 0x90, 0x008C}, {1253, 0x98, 0x98, 0x0098},
    {1253, 0x9A, 0x9A, 0x009A}, {1253, 0x9C, 0x9F, 0x009C}, {1253, 0xAA, 0xAA, 0xF8F9},
    {1253, 0xD2, 0xD2, 0xF8FA}, {1253, 0xFF, 0xFF, 0xF8FB}, {1254, 0x81, 0x81, 0x0081},
    {1254, 0x8D, 0x90, 0x008D}, {1254, 0x9D, 0x9E, 0x009D}, {1255, 0x81, 0x81, 0x0081},
    {1255, 0x8A, 0x8A, 0x008A}, {1255, 0x8C, 0x90, 0x008C}, {1255, 0x9A, 0x9A, 0x009A},
    {1255, 0x9C, 0x9F, 0x009C}, {1255, 0xCA, 0xCA, 0x05BA}, {1255, 0xD9, 0xDF, 0xF88D},
    {1255, 0xFB, 0xFC, 0xF894}, {1255, 0xFF, 0xFF, 0xF896}, {1257, 0x81, 0x81, 0x0081},
    {1257, 0x83, 0x83, 0x0083}, {1257, 0x88, 0x88, 0x0088}, {1257, 0x8A, 0x8A, 0x008A},
    {1257, 0x8C, 0x8C, 0x008C}, {1257, 0x90, 0x90, 0x0090}, {1257, 0x98, 0x98, 0x0098},
    {1257, 0x9A, 0x9A, 0x009A}, {1257, 0x9C, 0x9C, 0x009C}, {1257, 0x9F, 0x9F, 0x009F},
    {1257, 0xA1, 0xA1, 0xF8FC}, {1257, 0xA5, 0xA5, 0xF8FD}, {1258, 0x81, 0x81, 0x0081},
    {1258, 0x8A, 0x8A, 0x008A}, {1258, 0x8D, 0x90, 0x008D}, {1258, 0x9A, 0x9A, 0x009A},
    {1258, 0x9D, 0x9E, 0x009D}, {874, 0x81, 0x84, 0x0081}, {874, 0x86, 0x90, 0x0086},
    {874, 0x98, 0x9F, 0x0098}, {874, 0xDB, 0xDE, 0xF8C1}, {874, 0xFC, 0xFF, 0xF8C5},
};
// clang-format on

TEST(CodePageDecoder, ReadsTheBytesGlibcRefusesAsWindowsDoes) {
  for (const ByteRun& run : kWindowsReadings) {
    const CodePageDecoder decoder(run.code_page);
    for (unsigned b = run.first; b <= run.last; ++b) {
      EXPECT_EQ(CodePoints(decoder.AnsiToUtf8(std::string(1, static_cast<char>(b)))),
                std::u32string(1, run.first_code_point + (b - run.first)))
          << run.code_page << " byte " << b;
    }
  }
}

// Every byte of a single-byte page reads as one character of its own, the
// same alone as among the others (CP1258's combining marks stay apart), and
// no two bytes alike: the page's 256 bytes come back from their text.
TEST(CodePageDecoder, ReadsEachByteOfASingleBytePageAsACharacterOfItsOwn) {
  std::string all;
  for (unsigned b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (const unsigned code_page : kAnsiCodePages) {
    if (code_page >= 932) continue;  // the double-byte pages and UTF-8
    ASSERT_EQ(CodePageFault(code_page), std::nullopt);
    const CodePageDecoder decoder(code_page);
    const std::string utf8 = decoder.AnsiToUtf8(all);
    // Windows-1252 reads as the table the decoder has always read it by.
    if (code_page == 1252) {
      EXPECT_EQ(utf8, Windows1252ToUtf8(all));
    }
    const std::u32string text = CodePoints(utf8);
    ASSERT_EQ(text.size(), 256u) << code_page;
    EXPECT_EQ(std::set<char32_t>(text.begin(), text.end()).size(), 256u) << code_page;
    for (unsigned b = 0; b < 256; ++b) {
      if (b < 0x80) {
        EXPECT_EQ(text[b], b) << code_page;
      }
      EXPECT_NE(text[b], kReplacementCharacter) << code_page << " byte " << b;
    }
  }
}

struct Reading {
  unsigned code_page;
  std::string bytes;
  std::string text;
};

TEST(CodePageDecoder, ReadsTheDoubleBytePagesAndUtf8AsWindowsDoes) {
  const Reading readings[] = {
      {936, "D:\\\xD0\xC2\xBD\xA8\\", "D:\\新建\\"},
      {936, "\x80\xFF", "€\uF8F5"},
      {936, "a\x81\x7F" "b", "a?b"},         // a lead byte and the byte after it
      {932, "\x80\xA0\xFD", "\u0080\uF8F0\uF8F1"},
      {932, "\x82\xA0" "\x81", "あ\u30FB"},  // a lead byte at the end
      {949, "\xC7\xD1\x80", "한\u0080"},
      {950, "\xA4\xA4\xFF", "中\uF8F8"},
      {1258, "e\xF2", "e\u0323"},           // glibc composes U+1EB9
      {65001, "\xE4\xB8\xAD\xFF", "中\uFFFD"},
  };
  for (const Reading& reading : readings) {
    EXPECT_EQ(CodePageDecoder(reading.code_page).AnsiToUtf8(reading.bytes), reading.text)
        << reading.code_page << " " << reading.text;
  }
}

}  // namespace
}  // namespace varnlink::text
