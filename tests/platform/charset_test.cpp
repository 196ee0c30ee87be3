#include <gtest/gtest.h>

#include <string>

#include "platform/utf8.h"

namespace {

TEST(ConvertCharsetTest, EachCallersRuleForBadInput) {
  platform::BadInputRule byte_marks;  // the log's: '?' for each bad byte
  platform::BadInputRule unit_marks;  // a document load's: U+FFFD for each bad unit
  unit_marks.replacement = "\xEF\xBF\xBD";
  unit_marks.unit = 2;
  unit_marks.reset_state = true;
  platform::BadInputRule refuse;  // a save's: nothing may be lost
  refuse.fail = true;
  struct Case {
    const char* what;
    std::string in;
    const char* to;
    const char* from;
    const platform::BadInputRule& rule;
    bool ok;
    std::string out;
  } cases[] = {
      {"bad byte",
       "a\xFF"
       "b\xC3\xA9",
       "ISO-8859-1", "UTF-8", byte_marks, true, "a?b\xE9"},
      {"lone surrogate",
       std::string("a\0\x00\xDC"
                   "b\0",
                   6),
       "UTF-8", "UTF-16LE", unit_marks, true,
       "a\xEF\xBF\xBD"
       "b"},
      {"missing in target", "r\xE9\xBC\xA0", "ISO-8859-1", "UTF-8", refuse, false, ""},
      {"all in target", "r\xC3\xA9", "ISO-8859-1", "UTF-8", refuse, true, "r\xE9"},
      {"unknown charset", "x", "NO-SUCH-CHARSET", "UTF-8", byte_marks, false, ""},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(platform::ConvertCharset(c.in, c.to, c.from, c.rule, &out), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(out, c.out) << c.what;
    }
  }
}

}  // namespace
