#include <gtest/gtest.h>
#include <iconv.h>

#include <set>
#include <string>

#include "xml/html_entities.h"
#include "xml/xml_charset.h"

namespace {

TEST(CharsetTableTest, NamesMapToCodePagesIgnoringCase) {
  struct Case {
    const char* name;
    int code_page;
  };
  for (const Case& c : {Case{"utf-8", 65001},
                        Case{"UTF-8", 65001},
                        Case{"gb2312", 936},
                        Case{"GBK", 936},
                        Case{"GB18030", 54936},
                        Case{"big5", 950},
                        Case{"ks_c_5601-1987", 949},
                        Case{"EUC-KR", 51949},
                        Case{"iso-8859-1", 28591},
                        Case{"ISO-8859-15", 28605},
                        Case{"Shift_JIS", 932},
                        Case{"euc-jp", 51932},
                        Case{"windows-1251", 1251},
                        Case{"KOI8-R", 20866},
                        Case{" utf-8 ", 65001},
                        Case{"UTF-32", 65005},
                        Case{"utf-32le", 65005},
                        Case{"UTF-32BE", 12001},
                        Case{"utf-16", 1200},
                        Case{"no-such-charset", 0},
                        Case{"", 0}}) {
    EXPECT_EQ(xmlcharset::CodePageForName(c.name), c.code_page) << c.name;
  }
}

TEST(CharsetTableTest, EveryNameIsUniqueAndConvertibleByIconv) {
  std::set<std::string> seen;
  ASSERT_GT(xmlcharset::NameCount(), 300u);
  for (std::size_t i = 0; i < xmlcharset::NameCount(); ++i) {
    int code_page = 0;
    const std::string name(xmlcharset::NameAt(i, &code_page));
    EXPECT_TRUE(seen.insert(name).second) << "duplicate " << name;
    for (char c : name) EXPECT_FALSE(c >= 'A' && c <= 'Z') << name;
    EXPECT_EQ(xmlcharset::CodePageForName(name), code_page) << name;
    const char* iconv_name = xmlcharset::IconvNameForCodePage(code_page);
    ASSERT_NE(iconv_name, nullptr) << name;
    iconv_t cd = iconv_open("UTF-8", iconv_name);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << name << " " << iconv_name;
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
}

TEST(CharsetTableTest, ConversionsReplaceBadInputAndRefuseUnrepresentableOutput) {
  std::string out;
  ASSERT_TRUE(
      xmlcharset::ToUtf8("a\xFF"
                         "b",
                         65001, &out));
  EXPECT_EQ(out,
            "a\xEF\xBF\xBD"
            "b");
  ASSERT_TRUE(xmlcharset::ToUtf8(std::string("\x00\xD8\x41\x00", 4), 1200, &out));
  EXPECT_EQ(out,
            "\xEF\xBF\xBD"
            "A");  // a lone surrogate
  ASSERT_TRUE(xmlcharset::ToUtf8("\xC4\xE3\xBA", 936, &out));
  EXPECT_EQ(out, "你\xEF\xBF\xBD");  // cut off in the middle of a character
  EXPECT_FALSE(xmlcharset::ToUtf8("x", 0, &out));
  EXPECT_TRUE(xmlcharset::FromUtf8("你", 936, &out));
  EXPECT_EQ(out, "\xC4\xE3");
  EXPECT_FALSE(xmlcharset::FromUtf8("你", 28591, &out));
  EXPECT_FALSE(xmlcharset::FromUtf8("a\xFF", 1252, &out));
}

TEST(CharsetTableTest, Utf8Validation) {
  for (const char* good : {"", "abc", "é", "中文", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(xmlcharset::IsValidUtf8(good)) << good;
  }
  for (const char* bad : {"\xFF", "\xC0\x80", "\xE0\x80\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE4\xB8", "\x80", "a\xC3"}) {
    EXPECT_FALSE(xmlcharset::IsValidUtf8(bad)) << bad;
  }
}

TEST(HtmlEntityTableTest, HoldsTheHtml401NamesSorted) {
  ASSERT_EQ(xmlentity::HtmlEntityCount(), 252u);
  std::string previous;
  std::set<char32_t> code_points;
  for (std::size_t i = 0; i < xmlentity::HtmlEntityCount(); ++i) {
    char32_t cp = 0;
    const std::string name(xmlentity::HtmlEntityAt(i, &cp));
    EXPECT_LT(previous, name);
    EXPECT_TRUE(code_points.insert(cp).second) << name;
    EXPECT_EQ(xmlentity::HtmlEntityCodePoint(name), cp) << name;
    previous = name;
  }
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("nbsp"), 160u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("yuml"), 255u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("Yuml"), 376u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("thetasym"), 977u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("rang"), 9002u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("euro"), 8364u);
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint("apos"), 0u);  // XML only, not HTML 4.01
  EXPECT_EQ(xmlentity::HtmlEntityCodePoint(""), 0u);
}

}  // namespace
