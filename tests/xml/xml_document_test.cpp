#include "xml/xml_document.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "xml/xml_charset.h"

namespace {

namespace fs = std::filesystem;

const std::string kDecl(XmlDocument::kXmlDeclaration);

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "xmltest.XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Walks the whole tree with the cursor operations only and describes it as nested names with
// the attribute "n" where present. No recursion, so deep documents can be walked.
std::string Walk(XmlDocument& doc) {
  doc.ResetPos();
  std::string out;
  int depth = 0;
  while (true) {
    if (doc.FindElement()) {
      out += doc.GetTagName();
      if (doc.HasAttribute("n")) out += "[" + doc.GetAttribute("n") + "]";
      out += "(";
      doc.EnterElement();
      ++depth;
      continue;
    }
    out += ")";
    if (depth == 0) break;
    doc.LeaveElement();
    --depth;
  }
  return out;
}

// Encodes UTF-8 text (BMP only) as UTF-16.
std::string Utf16(const std::string& utf8, bool big_endian) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    char32_t cp;
    if (c < 0x80) {
      cp = c;
      i += 1;
    } else if (c < 0xE0) {
      cp = ((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F);
      i += 2;
    } else {
      cp = ((c & 0x0F) << 12) | ((utf8[i + 1] & 0x3F) << 6) | (utf8[i + 2] & 0x3F);
      i += 3;
    }
    char hi = static_cast<char>(cp >> 8), lo = static_cast<char>(cp & 0xFF);
    out += big_endian ? hi : lo;
    out += big_endian ? lo : hi;
  }
  return out;
}

struct WellFormedCase {
  const char* text;
  bool well_formed;
};

void PrintTo(const WellFormedCase& c, std::ostream* os) { *os << testing::PrintToString(c.text); }

class WellFormedTest : public testing::TestWithParam<WellFormedCase> {};

TEST_P(WellFormedTest, SetTextReportsWellFormedness) {
  XmlDocument doc;
  EXPECT_EQ(doc.SetText(GetParam().text), GetParam().well_formed) << GetParam().text;
  EXPECT_EQ(doc.IsWellFormed(), GetParam().well_formed);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, WellFormedTest,
    testing::Values(
        WellFormedCase{"<r/>", true},
        WellFormedCase{"<?xml version=\"1.0\"?>\r\n<r><a x=\"1\"/><b y='2'>t</b></r>\r\n", true},
        WellFormedCase{"<r>\n<a\n  x = \"1\"\n/></r >", true},
        WellFormedCase{"<!-- <x> --><r><!-- c --></r><!-- after -->", true},
        WellFormedCase{"<!DOCTYPE r [<!ENTITY e 'a>b'>]><r/>", true},
        WellFormedCase{"<r><![CDATA[<not a tag> </r>]]></r>", true},
        WellFormedCase{"<r><?pi stuff?></r>", true}, WellFormedCase{"<r a='&lt;&amp;'/>", true},
        WellFormedCase{"", false}, WellFormedCase{"<?xml version=\"1.0\"?>\r\n", false},
        WellFormedCase{"just text", false},
        WellFormedCase{"<a/><b/>", false},     // two top-level elements
        WellFormedCase{"<r><a></r>", false},   // missing end tag
        WellFormedCase{"<r></a></r>", false},  // stray end tag
        WellFormedCase{"<r/></r>", false},     // stray end tag at the top
        WellFormedCase{"<R></r>", false},      // names are case-sensitive
        WellFormedCase{"<r>", false}, WellFormedCase{"<r", false},
        WellFormedCase{"<r x=\"1></r>", false},    // unterminated value
        WellFormedCase{"<r x=1/>", false},         // unquoted value
        WellFormedCase{"<r x='1'y='2'/>", false},  // no blank between attributes
        WellFormedCase{"<r x/>", false}, WellFormedCase{"<r>a < b</r>", false},
        WellFormedCase{"<!-- open <r/>", false}, WellFormedCase{"<r><![CDATA[x</r>", false},
        WellFormedCase{"<?xml version=\"1.0\"<r/>", false}, WellFormedCase{"<r></r", false},
        WellFormedCase{"<r><!bogus></r>", false}, WellFormedCase{"<r/><", false}));

TEST(XmlDocumentTest, NewDocumentIsEmpty) {
  XmlDocument doc;
  EXPECT_EQ(doc.GetText(), "");
  EXPECT_FALSE(doc.IsWellFormed());
  EXPECT_FALSE(doc.FindElement());
  EXPECT_FALSE(doc.EnterElement());
  EXPECT_FALSE(doc.LeaveElement());
  EXPECT_EQ(doc.GetAttribute("a"), "");
  EXPECT_FALSE(doc.SetAttribute("a", "1"));
}

TEST(XmlDocumentTest, FlawedTextIsStillIndexed) {
  XmlDocument doc;
  // a and b are never ended: they close where r ends, and c stays a top-level element.
  EXPECT_FALSE(doc.SetText("<r><a n='1'><b n='2'></r><c n='3'/>"));
  EXPECT_EQ(Walk(doc), "r(a[1](b[2]()))c[3]())");
}

TEST(XmlDocumentTest, FindElementIsCaseSensitiveAndNeverGoesBack) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<mouse><a n='1'/><b n='2'/><a n='3'/><c n='4'/></mouse>"));
  EXPECT_FALSE(doc.FindElement("Mouse"));
  ASSERT_TRUE(doc.FindElement("mouse"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("b"));
  // The first a lies behind the cursor; the next one is found.
  ASSERT_TRUE(doc.FindElement("a"));
  EXPECT_EQ(doc.GetAttribute("n"), "3");
  // Neither a missing element nor one already passed moves the cursor.
  EXPECT_FALSE(doc.FindElement("x"));
  EXPECT_FALSE(doc.FindElement("b"));
  EXPECT_EQ(doc.GetAttribute("n"), "3");
  ASSERT_TRUE(doc.FindElement("c"));
  EXPECT_EQ(doc.GetAttribute("n"), "4");
  EXPECT_FALSE(doc.FindElement("c"));
}

TEST(XmlDocumentTest, EnterAndLeaveMoveTheCursor) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r><a><x/><y/></a><b/></r>"));
  EXPECT_FALSE(doc.EnterElement());  // no current element
  ASSERT_TRUE(doc.FindElement("r"));
  EXPECT_FALSE(doc.LeaveElement());  // already at the top level
  EXPECT_EQ(doc.GetTagName(), "r");
  ASSERT_TRUE(doc.EnterElement());
  EXPECT_FALSE(doc.HasCurrentElement());
  EXPECT_FALSE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("a"));  // the failed enter changed nothing
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("x"));
  ASSERT_TRUE(doc.LeaveElement());
  EXPECT_EQ(doc.GetTagName(), "a");
  // Going back in resumes at the child that was current.
  ASSERT_TRUE(doc.EnterElement());
  EXPECT_EQ(doc.GetTagName(), "x");
  ASSERT_TRUE(doc.FindElement("y"));
  ASSERT_TRUE(doc.LeaveElement());
  ASSERT_TRUE(doc.FindElement("b"));
  ASSERT_TRUE(doc.LeaveElement());
  EXPECT_EQ(doc.GetTagName(), "r");
  EXPECT_FALSE(doc.LeaveElement());
}

struct ReferenceCase {
  const char* raw;
  const char* value;
};

void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << testing::PrintToString(c.raw); }

class ReferenceTest : public testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceTest, GetAttributeResolvesReferences) {
  XmlDocument doc;
  doc.SetText(std::string("<r v=\"") + GetParam().raw + "\"/>");
  ASSERT_TRUE(doc.FindElement("r"));
  EXPECT_EQ(doc.GetAttribute("v"), GetParam().value) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReferenceTest,
    testing::Values(ReferenceCase{"&lt;&amp;&gt;&apos;&quot;", "<&>'\""},
                    ReferenceCase{"a&amp;amp;b", "a&amp;b"},  // resolved once only
                    ReferenceCase{"&#65;&#x42;&#X43;&#0068;", "ABCD"},
                    ReferenceCase{"&#20013;&#x6587;", "中文"},
                    ReferenceCase{"&#x1F600;", "\xF0\x9F\x98\x80"},  // one character
                    ReferenceCase{"&eacute;&Eacute;&euro;&nbsp;", "éÉ€\xC2\xA0"},
                    ReferenceCase{"&alpha;&Omega;&hellip;&diams;", "αΩ…♦"},
                    ReferenceCase{"&EACUTE;", "&EACUTE;"},  // names are case-sensitive
                    ReferenceCase{"&bogus;", "&bogus;"}, ReferenceCase{"a & b", "a & b"},
                    ReferenceCase{"&amp", "&amp"}, ReferenceCase{"&#;&#x;", "&#;&#x;"},
                    ReferenceCase{"&#0;&#x0;", "&#0;&#x0;"},
                    ReferenceCase{"&#xD800;", "&#xD800;"},      // a lone surrogate
                    ReferenceCase{"&#x110000;", "&#x110000;"},  // beyond Unicode
                    ReferenceCase{"&#99999999999999999999999;", "&#99999999999999999999999;"},
                    ReferenceCase{"&#12a;", "&#12a;"}, ReferenceCase{"&&lt;", "&<"},
                    ReferenceCase{"", ""}));

TEST(XmlDocumentTest, GetAttributeOfMissingAttributeIsEmpty) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r ab='1' B='2'/>"));
  ASSERT_TRUE(doc.FindElement("r"));
  EXPECT_EQ(doc.GetAttribute("a"), "");
  EXPECT_EQ(doc.GetAttribute("b"), "");
  EXPECT_FALSE(doc.HasAttribute("b"));
  EXPECT_EQ(doc.GetAttribute("B"), "2");
}

TEST(XmlDocumentTest, SetAttributeEscapesAndRoundTrips) {
  XmlDocument doc;
  doc.SetText(kDecl);
  ASSERT_TRUE(doc.AddElement("item"));
  ASSERT_TRUE(doc.SetAttribute("key_code", 1));
  EXPECT_EQ(doc.GetText(), kDecl + "<item key_code=\"1\"/>\r\n");
  const std::string value = "<a&b> 'x' \"y\" &lt;";
  ASSERT_TRUE(doc.SetAttribute("name", value));
  EXPECT_EQ(doc.GetText(),
            kDecl +
                "<item key_code=\"1\" name=\"&lt;a&amp;b&gt; &apos;x&apos; &quot;y&quot; "
                "&amp;lt;\"/>\r\n");
  EXPECT_EQ(doc.GetAttribute("name"), value);
  // Replacing keeps the attribute's place.
  ASSERT_TRUE(doc.SetAttribute("key_code", "-12"));
  EXPECT_EQ(doc.GetAttribute("key_code"), "-12");
  ASSERT_TRUE(doc.SetAttribute("key_code", ""));
  EXPECT_EQ(doc.GetText().substr(kDecl.size(), 20), "<item key_code=\"\" na");
  XmlDocument reread;
  ASSERT_TRUE(reread.SetText(doc.GetText()));
  ASSERT_TRUE(reread.FindElement("item"));
  EXPECT_EQ(reread.GetAttribute("name"), value);
}

TEST(XmlDocumentTest, SetAttributeRefusesWhatWouldBreakTheDocument) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r a='1'/>"));
  EXPECT_FALSE(doc.SetAttribute("a", "2"));  // no current element
  ASSERT_TRUE(doc.FindElement("r"));
  for (const char* name : {"", "a b", "x=\"1\"", "1a", "a>", "a/"}) {
    EXPECT_FALSE(doc.SetAttribute(name, "v")) << name;
    EXPECT_FALSE(doc.AddElement(name)) << name;
  }
  EXPECT_EQ(doc.GetText(), "<r a='1'/>");
  ASSERT_TRUE(doc.SetAttribute("a", "it's"));
  EXPECT_EQ(doc.GetText(), "<r a='it&apos;s'/>");
}

TEST(XmlDocumentTest, WriterLayout) {
  XmlDocument doc;
  EXPECT_FALSE(doc.SetText(kDecl));
  ASSERT_TRUE(doc.AddElement("r"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddElement("c"));
  ASSERT_TRUE(doc.SetAttribute("n", 1));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddElement("g"));
  ASSERT_TRUE(doc.LeaveElement());
  ASSERT_TRUE(doc.AddElement("e"));  // a sibling that receives no children
  ASSERT_TRUE(doc.LeaveElement());
  EXPECT_EQ(doc.GetText(), kDecl + "<r>\r\n<c n=\"1\">\r\n<g/>\r\n</c>\r\n<e/>\r\n</r>\r\n");

  TempDir dir;
  ASSERT_TRUE(doc.SaveFile(dir / "w.xml"));
  EXPECT_EQ(ReadBytes(dir / "w.xml"), doc.GetText());  // UTF-8, no mark
  XmlDocument loaded;
  ASSERT_TRUE(loaded.LoadFile(dir / "w.xml"));
  EXPECT_EQ(Walk(loaded), "r(c[1](g())e()))");
}

struct AddCase {
  const char* before;
  std::vector<const char*> path;  // elements to find and enter before adding
  std::vector<const char*> added;
  const char* after;
};

void PrintTo(const AddCase& c, std::ostream* os) { *os << testing::PrintToString(c.before); }

class AddElementTest : public testing::TestWithParam<AddCase> {};

TEST_P(AddElementTest, PlacesElementsOnLinesOfTheirOwn) {
  const AddCase& c = GetParam();
  XmlDocument doc;
  doc.SetText(c.before);
  for (const char* name : c.path) {
    ASSERT_TRUE(doc.FindElement(name)) << name;
    ASSERT_TRUE(doc.EnterElement());
  }
  for (const char* name : c.added) ASSERT_TRUE(doc.AddElement(name));
  EXPECT_EQ(doc.GetText(), c.after);
  // The index matches the text: a fresh parse walks the same tree.
  XmlDocument fresh;
  fresh.SetText(doc.GetText());
  EXPECT_EQ(Walk(doc), Walk(fresh));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, AddElementTest,
    testing::Values(AddCase{"<p/>", {"p"}, {"a"}, "<p>\r\n<a/>\r\n</p>"},
                    AddCase{"<p />", {"p"}, {"a", "b"}, "<p >\r\n<a/>\r\n<b/>\r\n</p>"},
                    AddCase{"<p></p>", {"p"}, {"a"}, "<p>\r\n<a/>\r\n</p>"},
                    AddCase{"<p>\r\n<a/>\r\n</p>", {"p"}, {"b"}, "<p>\r\n<a/>\r\n<b/>\r\n</p>"},
                    AddCase{"<p>\r\n  <a/>\r\n  <z/>\r\n</p>\r\n",
                            {"p"},
                            {},
                            "<p>\r\n  <a/>\r\n  <z/>\r\n</p>\r\n"},
                    AddCase{"<r><p><q/></p><s/></r>",
                            {"r", "p", "q"},
                            {"a"},
                            "<r><p><q>\r\n<a/>\r\n</q></p><s/></r>"},
                    AddCase{"", {}, {"r"}, "<r/>\r\n"},
                    AddCase{"<!-- c -->", {}, {"r"}, "<!-- c --><r/>\r\n"},
                    AddCase{"<r>text</r>", {"r"}, {"a"}, "<r>text<a/>\r\n</r>"}));

TEST(XmlDocumentTest, AddElementAfterCurrentKeepsDocumentOrder) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r>\r\n<a n='1'/>\r\n<c n='3'/>\r\n</r>"));
  ASSERT_TRUE(doc.FindElement("r"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("a"));
  ASSERT_TRUE(doc.AddElement("b"));
  ASSERT_TRUE(doc.SetAttribute("n", "2"));
  EXPECT_EQ(doc.GetText(), "<r>\r\n<a n='1'/>\r\n<b n=\"2\"/>\r\n<c n='3'/>\r\n</r>");
  // The cursor goes on from the new element.
  ASSERT_TRUE(doc.FindElement("c"));
  EXPECT_EQ(doc.GetAttribute("n"), "3");
  EXPECT_EQ(Walk(doc), "r(a[1]()b[2]()c[3]()))");
}

TEST(XmlDocumentTest, EditsKeepTheIndexConsistent) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r><a n='1'><x n='x'/></a><b n='2'/></r>"));
  ASSERT_TRUE(doc.FindElement("r"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("a"));
  // A longer, then a shorter value early in the text moves everything behind it.
  ASSERT_TRUE(doc.SetAttribute("n", "a much longer value"));
  ASSERT_TRUE(doc.SetAttribute("n", "s"));
  ASSERT_TRUE(doc.SetAttribute("m", "&"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("x"));
  ASSERT_TRUE(doc.AddElement("y"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.AddElement("z"));
  ASSERT_TRUE(doc.SetAttribute("n", "deep"));
  ASSERT_TRUE(doc.LeaveElement());
  ASSERT_TRUE(doc.LeaveElement());
  ASSERT_TRUE(doc.FindElement("b"));
  EXPECT_EQ(doc.GetAttribute("n"), "2");
  ASSERT_TRUE(doc.SetAttribute("n", "3"));
  XmlDocument fresh;
  ASSERT_TRUE(fresh.SetText(doc.GetText()));
  EXPECT_EQ(Walk(doc), "r(a[s](x[x]()y(z[deep]()))b[3]()))");
  EXPECT_EQ(Walk(doc), Walk(fresh));
}

// Edits behind every element skip the index walk; an edit that moves elements must leave the
// bookkeeping for that shortcut right, or a later insert in front of a moved element misses it.
TEST(XmlDocumentTest, InsertInFrontOfAMovedElementMovesIt) {
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r><a/><b n='2'/></r>"));
  ASSERT_TRUE(doc.FindElement("r"));
  ASSERT_TRUE(doc.EnterElement());
  ASSERT_TRUE(doc.FindElement("a"));
  ASSERT_TRUE(doc.SetAttribute("n", std::string(100, 'x')));  // moves b
  ASSERT_TRUE(doc.AddElement("m"));                           // lands where b now starts
  ASSERT_TRUE(doc.SetAttribute("n", "1"));
  ASSERT_TRUE(doc.FindElement("b"));
  EXPECT_EQ(doc.GetAttribute("n"), "2");
  ASSERT_TRUE(doc.SetAttribute("n", "y"));  // shrinks b's value, behind everything else
  ASSERT_TRUE(doc.AddElement("c"));         // at the end again
  ASSERT_TRUE(doc.SetAttribute("n", "3"));
  XmlDocument fresh;
  ASSERT_TRUE(fresh.SetText(doc.GetText()));
  EXPECT_EQ(Walk(doc), "r(a[" + std::string(100, 'x') + "]()m[1]()b[y]()c[3]()))");
  EXPECT_EQ(Walk(doc), Walk(fresh));
}

TEST(XmlDocumentTest, DeepNestingDoesNotExhaustTheStack) {
  constexpr int kDepth = 100000;
  std::string text;
  for (int i = 0; i < kDepth; ++i) text += "<a>";
  std::string closed = text;
  for (int i = 0; i < kDepth; ++i) closed += "</a>";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText(closed));
  int depth = 0;
  while (doc.FindElement("a") && doc.EnterElement()) ++depth;
  EXPECT_EQ(depth, kDepth);
  ASSERT_TRUE(doc.AddElement("leaf"));
  ASSERT_TRUE(doc.SetAttribute("n", "1"));
  while (doc.LeaveElement()) --depth;
  EXPECT_EQ(depth, 0);
  XmlDocument fresh;
  EXPECT_TRUE(fresh.SetText(doc.GetText()));
  // Never ended, and ended by the wrong names: not well formed, but no harm done.
  EXPECT_FALSE(fresh.SetText(text));
  EXPECT_FALSE(fresh.SetText(text + std::string(kDepth, '<') + "</b>"));
  std::string stray = text;
  for (int i = 0; i < kDepth; ++i) stray += "</b>";
  EXPECT_FALSE(fresh.SetText(stray));
}

struct EncodingCase {
  const char* label;
  std::string bytes;
  XmlDocument::FileEncoding mark;
  std::string text;  // what the document holds after loading
};

// The same document stored in every way a file can arrive.
std::vector<EncodingCase> EncodingCases() {
  const std::string body = "<r name=\"鼠标 é\">\r\n<a/>\r\n</r>\r\n";
  const std::string plain = "<?xml version=\"1.0\"?>\r\n" + body;
  const std::string gbk_body = "<r name=\"\xCA\xF3\xB1\xEA \xA8\xA6\">\r\n<a/>\r\n</r>\r\n";
  const std::string gbk_decl = "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n";
  const std::string latin_decl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
  const std::string meta =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\"/>"
      "</head></html>";
  using E = XmlDocument::FileEncoding;
  return {
      {"utf8", plain, E::kNoMark, plain},
      {"utf8 mark", "\xEF\xBB\xBF" + plain, E::kUtf8Mark, plain},
      {"utf16le mark", "\xFF\xFE" + Utf16(plain, false), E::kUtf16LeMark, plain},
      {"utf16be mark", "\xFE\xFF" + Utf16(plain, true), E::kUtf16BeMark, plain},
      {"utf16le no mark", Utf16(plain, false), E::kNoMark, plain},
      {"utf8 no declaration", body, E::kNoMark, body},
      {"gb2312 declared", gbk_decl + gbk_body, E::kNoMark,
       "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n" + body},
      {"gbk undeclared", " " + gbk_body, E::kNoMark, " " + body},
      {"latin1 declared", latin_decl + "<r name=\"caf\xE9\"/>", E::kNoMark,
       latin_decl + "<r name=\"café\"/>"},
      {"html meta charset", meta.substr(0, 6) + "<r name=\"\xCA\xF3\"/>" + meta.substr(6),
       E::kNoMark, meta.substr(0, 6) + "<r name=\"鼠\"/>" + meta.substr(6)},
      {"nul characters", std::string("<r\0 name=\"a\0b\"/>", 16), E::kNoMark, "<r name=\"ab\"/>"},
      // UTF-7 writes even '<' in base64, so the declaration is not readable as 8-bit text.
      {"utf7 declared",
       "+ADw?xml version+AD0AIg-1.0+ACI encoding+AD0AIg-UTF-7+ACI?+AD4\r\n"
       "+ADw-r name+AD0AIp8gaAc +AOkAIgA+\r\n+ADw-a/+AD4\r\n+ADw-/r+AD4\r\n",
       E::kNoMark, "<?xml version=\"1.0\" encoding=\"UTF-7\"?>\r\n" + body},
  };
}

TEST(XmlDocumentTest, LoadFileDecodesEveryEncodingAndSaveKeepsIt) {
  TempDir dir;
  for (const EncodingCase& c : EncodingCases()) {
    SCOPED_TRACE(c.label);
    const fs::path path = dir / "in.xml";
    WriteBytes(path, c.bytes);
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadFile(path));
    EXPECT_EQ(doc.GetText(), c.text);
    EXPECT_EQ(doc.GetFileEncoding(), c.mark);
    // A file with a mark or a declaration is written back exactly as it came.
    const bool declared_or_marked = c.mark != XmlDocument::FileEncoding::kNoMark ||
                                    c.text.find("encoding=") != std::string::npos;
    if (declared_or_marked) {
      ASSERT_TRUE(doc.SaveFile(dir / "out.xml"));
      EXPECT_EQ(ReadBytes(dir / "out.xml"), c.bytes);
    }
  }
}

// Whatever encoding a document declares, a file SaveFile wrote loads back to the same text:
// also the encodings whose declaration cannot be read as ASCII (UTF-7, EBCDIC) or that start
// with an escape (ISO-2022-KR). Pages that cannot hold the text refuse to save instead.
TEST(XmlDocumentTest, EveryDeclaredEncodingSavesAndLoadsBack) {
  TempDir dir;
  std::set<int> saved;
  // The table's names, and the UTF-32 family, which is recognised outside the table.
  std::vector<std::string> names = {"UTF-32", "utf-32le", "UTF-32BE"};
  for (std::size_t i = 0; i < xmlcharset::NameCount(); ++i) {
    names.emplace_back(xmlcharset::NameAt(i, nullptr));
  }
  for (const std::string& name : names) {
    const int code_page = xmlcharset::CodePageForName(name);
    SCOPED_TRACE(name);
    const std::string text = "<?xml version=\"1.0\" encoding=\"" + name +
                             "\"?>\r\n<r a=\"x &amp; y\">\r\n<b c='1'/>\r\n</r>\r\n";
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(text));
    if (!doc.SaveFile(dir / "rt.xml")) continue;
    saved.insert(code_page);
    XmlDocument again;
    EXPECT_TRUE(again.LoadFile(dir / "rt.xml"));
    EXPECT_EQ(again.GetText(), text);
  }
  for (int must :
       {65000, 50225, 37, 500, 1140, 20273, 1026, 936, 54936, 1200, 28591, 65005, 12001}) {
    EXPECT_TRUE(saved.count(must)) << must;
  }
}

TEST(XmlDocumentTest, LoadFileFailures) {
  TempDir dir;
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r/>"));
  EXPECT_FALSE(doc.LoadFile(dir / "missing.xml"));
  EXPECT_EQ(doc.GetText(), "");  // loading replaces everything, even when it fails
  EXPECT_FALSE(doc.LoadFile(dir / ""));
  WriteBytes(dir / "two.xml", "<a/><b/>");
  EXPECT_FALSE(doc.LoadFile(dir / "two.xml"));
  // Not well formed still leaves the text for a look at what was read.
  EXPECT_EQ(doc.GetText(), "<a/><b/>");
  WriteBytes(dir / "empty.xml", "");
  EXPECT_FALSE(doc.LoadFile(dir / "empty.xml"));
}

TEST(XmlDocumentTest, AFailedLoadOrSaveSaysWhyAndWhere) {
  TempDir dir;
  const std::string d = (dir / "").string();
  struct Case {
    const char* file;
    const char* bytes;  // null: not written
    int code;
    std::string reason;
    size_t line;
  } cases[] = {
      // Nothing read: the empty text has no element.
      {"missing.xml", nullptr, ENOENT, d + "missing.xml: No such file or directory", 1},
      {"unended.xml", "<?xml version=\"1.0\"?>\r\n<macro>\r\n<item a=\"1\">\r\n</macro>\r\n", 0,
       d + "unended.xml: line 3: an element is not ended", 3},
      {"stray.xml", "<r>\r\n</x>\r\n</r>", 0,
       d + "stray.xml: line 2: an end tag has no matching start tag", 2},
      {"two.xml", "<a/>\n\n<b/>", 0, d + "two.xml: line 3: a second element at the top level", 3},
      {"empty.xml", "", 0, d + "empty.xml: line 1: there is no element", 1},
  };
  for (const Case& c : cases) {
    if (c.bytes != nullptr) WriteBytes(dir / c.file, c.bytes);
    XmlDocument doc;
    const platform::Status loaded = doc.LoadFile(dir / c.file);
    ASSERT_FALSE(loaded.ok()) << c.file;
    EXPECT_EQ(loaded.error().code, c.code) << c.file;
    EXPECT_EQ(loaded.error().reason, c.reason);
    EXPECT_EQ(doc.FaultLine(), c.line) << c.file;
  }

  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<r/>"));
  EXPECT_EQ(doc.FaultLine(), 0u);
  EXPECT_EQ(doc.FaultReason(), "");
  const platform::Status nowhere = doc.SaveFile(dir / "no" / "dir.xml");
  ASSERT_FALSE(nowhere.ok());
  EXPECT_EQ(nowhere.error().code, ENOENT);
  EXPECT_EQ(nowhere.error().reason, d + "no/dir.xml: No such file or directory");
  ASSERT_TRUE(doc.SetText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r n=\"鼠\"/>"));
  const platform::Status latin = doc.SaveFile(dir / "latin.xml");
  ASSERT_FALSE(latin.ok());
  EXPECT_EQ(latin.error().code, EILSEQ);
  EXPECT_EQ(latin.error().reason, d + "latin.xml: the text cannot be written as ISO-8859-1");
}

TEST(XmlDocumentTest, SaveFileFailuresLeaveTheFileAlone) {
  TempDir dir;
  XmlDocument doc;
  ASSERT_TRUE(doc.SetText("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r n=\"鼠\"/>"));
  WriteBytes(dir / "keep.xml", "old");
  EXPECT_FALSE(doc.SaveFile(dir / "keep.xml"));  // not representable in Latin-1
  EXPECT_EQ(ReadBytes(dir / "keep.xml"), "old");
  ASSERT_TRUE(doc.SetText("<?xml version=\"1.0\" encoding=\"no-such-charset\"?><r/>"));
  EXPECT_FALSE(doc.SaveFile(dir / "keep.xml"));
  EXPECT_EQ(ReadBytes(dir / "keep.xml"), "old");
  ASSERT_TRUE(doc.SetText("<r/>"));
  EXPECT_FALSE(doc.SaveFile(dir / "no" / "such" / "dir.xml"));
  ASSERT_TRUE(doc.SetText("<?xml version=\"1.0\" encoding=\"Windows-1252\"?><r n=\"€\"/>"));
  ASSERT_TRUE(doc.SaveFile(dir / "keep.xml"));
  EXPECT_EQ(ReadBytes(dir / "keep.xml"),
            "<?xml version=\"1.0\" encoding=\"Windows-1252\"?><r n=\"\x80\"/>");
}

}  // namespace
