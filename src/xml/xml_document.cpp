#include "xml/xml_document.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_map>

#include "platform/utf8.h"
#include "xml/html_entities.h"
#include "xml/xml_charset.h"

namespace {

// Files larger than this are refused rather than risking running out of memory on a file
// picked by mistake; the system's own files are a few kilobytes.
constexpr std::uintmax_t kMaxFileSize = 256u * 1024 * 1024;
// The declared encoding and the HTML meta charset are looked for in this many leading bytes.
constexpr std::size_t kHeadSize = 1024;
constexpr int kIso2022Kr = 50225;
constexpr int kEbcdicUs = 37;
// Bytes that are neither valid UTF-8 nor declared are taken in the code page of the
// program's home market (the Windows ANSI code page of its users).
constexpr int kFallbackCodePage = 936;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameStart(char ch) {
  auto c = static_cast<unsigned char>(ch);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(char ch) {
  return IsNameStart(ch) || (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
}

bool IsValidName(std::string_view name) {
  if (name.empty() || !IsNameStart(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(), IsNameChar);
}

std::size_t NameEnd(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsNameChar(text[pos])) ++pos;
  return pos;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return Lower(x) == Lower(y); });
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from) {
  if (what.empty() || text.size() < what.size()) return std::string_view::npos;
  for (std::size_t i = from; i + what.size() <= text.size(); ++i) {
    if (EqualsNoCase(text.substr(i, what.size()), what)) return i;
  }
  return std::string_view::npos;
}

struct Attribute {
  std::string_view name;
  std::size_t value_pos;  // offset of the first character between the quotes
  std::size_t value_len;
};

struct TagScan {
  std::size_t end;        // just past the tag, or where a broken tag was cut off
  std::size_t attrs_end;  // just past the name or the last complete attribute
  bool complete;          // ended by ">" or "/>" with nothing wrong in between
  bool empty;             // ended by "/>"
};

// Scans the attributes of a tag whose name ends at `pos`, calling on_attribute for each
// complete one; stops at `>`, `/>`, the end of `text` or the first fault. A broken tag ends
// at the next '>' unless a '<' or the end comes first. Each byte is looked at a bounded
// number of times, so a whole document scans in linear time.
template <typename OnAttribute>
TagScan ScanTag(std::string_view text, std::size_t pos, OnAttribute&& on_attribute) {
  const std::size_t n = text.size();
  std::size_t attrs_end = pos;
  std::size_t p = pos;
  while (true) {
    const std::size_t before_blank = p;
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n) return {n, attrs_end, false, false};
    const char c = text[p];
    if (c == '>') return {p + 1, attrs_end, true, false};
    if (c == '/' && p + 1 < n && text[p + 1] == '>') return {p + 2, attrs_end, true, true};
    // An attribute must be separated from what precedes it by white space.
    if (!IsNameStart(c) || p == before_blank) break;
    const std::size_t name_pos = p;
    p = NameEnd(text, p);
    const std::size_t name_len = p - name_pos;
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n || text[p] != '=') break;
    ++p;
    while (p < n && IsSpace(text[p])) ++p;
    if (p >= n || (text[p] != '"' && text[p] != '\'')) break;
    const char quote = text[p++];
    const std::size_t value_pos = p;
    while (p < n && text[p] != quote && text[p] != '<') ++p;
    if (p >= n || text[p] != quote) break;
    on_attribute(Attribute{text.substr(name_pos, name_len), value_pos, p - value_pos});
    ++p;
    attrs_end = p;
  }
  // Recover from a broken tag.
  while (p < text.size() && text[p] != '>' && text[p] != '<') ++p;
  if (p < text.size() && text[p] == '>') {
    return {p + 1, attrs_end, false, p > pos && text[p - 1] == '/'};
  }
  return {p, attrs_end, false, false};
}

// The value of pseudo-attribute or attribute `name` in the tag whose name ends at `pos`.
std::string_view TagAttribute(std::string_view text, std::size_t pos, std::string_view name,
                              bool ignore_case) {
  std::string_view found;
  bool have = false;
  ScanTag(text, pos, [&](const Attribute& a) {
    if (!have && (ignore_case ? EqualsNoCase(a.name, name) : a.name == name)) {
      found = text.substr(a.value_pos, a.value_len);
      have = true;
    }
  });
  return found;
}

// The encoding named by the XML declaration at the start of `text`, if any.
std::string_view DeclaredXmlEncoding(std::string_view text) {
  std::size_t p = 0;
  while (p < text.size() && IsSpace(text[p])) ++p;
  if (text.substr(p, 5) != "<?xml" || p + 5 >= text.size() || !IsSpace(text[p + 5])) return {};
  const std::size_t close = text.find("?>", p);
  if (close == std::string_view::npos) return {};
  return TagAttribute(text.substr(0, close), p + 5, "encoding", false);
}

// The charset of an HTML document's <meta http-equiv="Content-Type" content="...;
// charset=..."> (or <meta charset="...">) within `head`.
std::string_view DeclaredHtmlCharset(std::string_view head) {
  std::size_t p = 0;
  while ((p = FindNoCase(head, "<meta", p)) != std::string_view::npos) {
    p += 5;
    if (p >= head.size() || !IsSpace(head[p])) continue;
    std::string_view direct = TagAttribute(head, p, "charset", true);
    if (!direct.empty()) return direct;
    if (!EqualsNoCase(TagAttribute(head, p, "http-equiv", true), "content-type")) continue;
    std::string_view content = TagAttribute(head, p, "content", true);
    std::size_t c = FindNoCase(content, "charset=", 0);
    if (c == std::string_view::npos) continue;
    content.remove_prefix(c + 8);
    std::size_t end = 0;
    while (end < content.size() && content[end] != ';' && !IsSpace(content[end])) ++end;
    return content.substr(0, end);
  }
  return {};
}

bool IsUnicodeCodePage(int cp) {
  return cp == xmlcharset::kUtf16Le || cp == xmlcharset::kUtf16Be || cp == xmlcharset::kUtf32Le ||
         cp == xmlcharset::kUtf32Be || cp == xmlcharset::kUtf32;
}

// The encoding name of an EBCDIC declaration read through code page 37. Letters, digits and
// "-._" are the same in every EBCDIC page but the double quote is not (the Turkish pages move
// it), so whatever single character stands where the quote belongs is skipped.
std::string_view EbcdicDeclaredName(std::string_view head) {
  const std::size_t end = head.find("?>");
  std::size_t at = head.substr(0, end).find("encoding");
  if (at == std::string_view::npos) return {};
  at += 8;
  while (at < head.size() && (head[at] == ' ' || head[at] == '=')) ++at;
  // One character, however many UTF-8 bytes it took.
  if (at < head.size()) ++at;
  while (at < head.size() && (static_cast<unsigned char>(head[at]) & 0xC0) == 0x80) ++at;
  std::size_t stop = at;
  while (stop < head.size() &&
         (std::isalnum(static_cast<unsigned char>(head[stop])) || head[stop] == '-' ||
          head[stop] == '.' || head[stop] == '_' || head[stop] == ':')) {
    ++stop;
  }
  return head.substr(at, stop - at);
}

// UTF-7 (what iconv writes, at least) spells '<' "+ADw": a document that begins so after
// blanks is UTF-7, and its declaration cannot be read as 8-bit text. Without this, a file
// declared UTF-7 would not load again once saved.
bool StartsAsUtf7(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && s.substr(first, 4) == "+ADw";
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// Resolves the reference starting at value[amp] ('&'); on success appends the character,
// sets *next past the ';' and returns true.
bool ResolveReference(std::string_view value, std::size_t amp, std::string& out,
                      std::size_t* next) {
  std::size_t p = amp + 1;
  const std::size_t n = value.size();
  char32_t cp = 0;
  if (p < n && value[p] == '#') {
    ++p;
    const bool hex = p < n && (value[p] == 'x' || value[p] == 'X');
    if (hex) ++p;
    const std::size_t digits = p;
    while (p < n) {
      const char c = value[p];
      int d;
      if (c >= '0' && c <= '9') {
        d = c - '0';
      } else if (hex && c >= 'a' && c <= 'f') {
        d = c - 'a' + 10;
      } else if (hex && c >= 'A' && c <= 'F') {
        d = c - 'A' + 10;
      } else {
        break;
      }
      // Saturate instead of overflowing; anything above U+10FFFF is refused below.
      if (cp <= 0x10FFFF) cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(d);
      ++p;
    }
    if (p == digits || p >= n || value[p] != ';') return false;
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  } else {
    const std::size_t name_pos = p;
    while (p < n && ((value[p] >= 'a' && value[p] <= 'z') || (value[p] >= 'A' && value[p] <= 'Z') ||
                     (value[p] >= '0' && value[p] <= '9'))) {
      ++p;
    }
    if (p == name_pos || p >= n || value[p] != ';') return false;
    const std::string_view name = value.substr(name_pos, p - name_pos);
    if (name == "apos") {
      cp = '\'';
    } else {
      cp = xmlentity::HtmlEntityCodePoint(name);  // includes lt, gt, amp and quot
      if (cp == 0) return false;
    }
  }
  platform::AppendUtf8(cp, &out);
  *next = p + 1;
  return true;
}

}  // namespace

XmlDocument::XmlDocument() { Parse(); }

bool XmlDocument::SetText(std::string_view text) {
  text_.assign(text.data() == nullptr ? std::string_view() : text);
  file_encoding_ = FileEncoding::kNoMark;
  Parse();
  return well_formed_;
}

namespace {

platform::Error FileFailure(const std::filesystem::path& path, int code, const std::string& why) {
  return platform::Fail(code, path.string() + ": " + why);
}

platform::Error Errno(const std::filesystem::path& path) {
  const int code = errno != 0 ? errno : EIO;
  return FileFailure(path, code, std::strerror(code));
}

}  // namespace

std::size_t XmlDocument::FaultLine() const {
  if (fault_what_ == nullptr) return 0;
  const auto end = text_.begin() + static_cast<std::ptrdiff_t>(std::min(fault_at_, text_.size()));
  return 1 + static_cast<std::size_t>(std::count(text_.begin(), end, '\n'));
}

platform::Status XmlDocument::LoadFile(const std::filesystem::path& path) {
  SetText({});
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return FileFailure(path, ec.value(), ec.message());
  if (size > kMaxFileSize) {
    return FileFailure(path, EFBIG, "larger than " + std::to_string(kMaxFileSize) + " bytes");
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return Errno(path);
  std::string raw(static_cast<std::size_t>(size), '\0');
  in.read(raw.data(), static_cast<std::streamsize>(raw.size()));
  if (static_cast<std::size_t>(in.gcount()) != raw.size()) return Errno(path);
  // A file that grew while being read: take the rest as well.
  raw.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) return Errno(path);

  std::string_view bytes = raw;
  FileEncoding mark = FileEncoding::kNoMark;
  int code_page = 0;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    mark = FileEncoding::kUtf8Mark;
    code_page = xmlcharset::kUtf8;
    bytes.remove_prefix(3);
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    mark = FileEncoding::kUtf16LeMark;
    code_page = xmlcharset::kUtf16Le;
    bytes.remove_prefix(2);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    mark = FileEncoding::kUtf16BeMark;
    code_page = xmlcharset::kUtf16Be;
    bytes.remove_prefix(2);
  } else if (StartsWith(bytes, std::string_view("<\0\0\0?\0\0\0", 8))) {
    // Unicode without a mark shows itself by the zeros around "<?".
    code_page = xmlcharset::kUtf32Le;
  } else if (StartsWith(bytes, std::string_view("\0\0\0<\0\0\0?", 8))) {
    code_page = xmlcharset::kUtf32Be;
  } else if (StartsAsUtf7(bytes)) {
    code_page = xmlcharset::kUtf7;
  } else if (StartsWith(bytes, "\x1B$)C")) {
    // ISO-2022-KR announces itself before the first character.
    code_page = kIso2022Kr;
  } else if (StartsWith(bytes, "\x4C\x6F\xA7\x94")) {
    // "<?xm" in EBCDIC: the declaration reads the same in every EBCDIC page, so read it
    // through the common one to learn which page the file uses.
    code_page = kEbcdicUs;
    std::string head;
    if (xmlcharset::ToUtf8(bytes.substr(0, kHeadSize), kEbcdicUs, &head)) {
      const int declared = xmlcharset::CodePageForName(EbcdicDeclaredName(head));
      if (declared != 0 && !IsUnicodeCodePage(declared) &&
          xmlcharset::IconvNameForCodePage(declared) != nullptr) {
        code_page = declared;
      }
    }
  } else if (StartsWith(bytes, std::string_view("<\0?\0", 4))) {
    code_page = xmlcharset::kUtf16Le;
  } else if (StartsWith(bytes, std::string_view("\0<\0?", 4))) {
    code_page = xmlcharset::kUtf16Be;
  } else {
    const std::string_view head = bytes.substr(0, kHeadSize);
    std::string_view declared = DeclaredXmlEncoding(head);
    if (declared.empty()) declared = DeclaredHtmlCharset(head);
    code_page = xmlcharset::CodePageForName(declared);
    // The declaration was just read as 8-bit text, so the file cannot be UTF-16 or UTF-32
    // whatever it says; an unknown name is no help either.
    if (IsUnicodeCodePage(code_page) || xmlcharset::IconvNameForCodePage(code_page) == nullptr) {
      code_page = 0;
    }
    if (code_page == 0 && declared.empty() && !bytes.empty() && bytes[0] == '<') {
      code_page = xmlcharset::kUtf8;
    }
    if (code_page == 0) {
      code_page = xmlcharset::IsValidUtf8(bytes) ? xmlcharset::kUtf8 : kFallbackCodePage;
    }
  }

  std::string text;
  if (!xmlcharset::ToUtf8(bytes, code_page, &text)) {
    const char* name = xmlcharset::IconvNameForCodePage(code_page);
    return FileFailure(path, EILSEQ,
                       std::string("cannot be read as ") + (name != nullptr ? name : "text"));
  }
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  text_ = std::move(text);
  Parse();
  file_encoding_ = mark;
  if (!well_formed_) {
    return FileFailure(path, 0, "line " + std::to_string(FaultLine()) + ": " + FaultReason());
  }
  return {};
}

platform::Status XmlDocument::SaveFile(const std::filesystem::path& path) const {
  std::string bytes;
  switch (file_encoding_) {
    case FileEncoding::kUtf8Mark:
      bytes = "\xEF\xBB\xBF" + text_;
      break;
    case FileEncoding::kUtf16LeMark:
    case FileEncoding::kUtf16BeMark: {
      const bool le = file_encoding_ == FileEncoding::kUtf16LeMark;
      std::string converted;
      if (!xmlcharset::FromUtf8(text_, le ? xmlcharset::kUtf16Le : xmlcharset::kUtf16Be,
                                &converted)) {
        return FileFailure(path, EILSEQ, "the text cannot be written as UTF-16");
      }
      bytes = (le ? "\xFF\xFE" : "\xFE\xFF") + converted;
      break;
    }
    case FileEncoding::kNoMark: {
      const std::string_view declared = DeclaredXmlEncoding(text_);
      const int code_page =
          declared.empty() ? xmlcharset::kUtf8 : xmlcharset::CodePageForName(declared);
      if (code_page == xmlcharset::kUtf8) {
        bytes = text_;
      } else if (code_page == 0 || !xmlcharset::FromUtf8(text_, code_page, &bytes)) {
        // Converted before the file is opened, so a failure leaves the old file intact.
        return FileFailure(path, EILSEQ, "the text cannot be written as " + std::string(declared));
      }
      break;
    }
  }
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return Errno(path);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out.fail()) return Errno(path);
  return {};
}

bool XmlDocument::FindElement(std::string_view name) {
  std::size_t e = current_ != 0 ? elements_[current_].next : elements_[parent_].first_child;
  for (; e != 0; e = elements_[e].next) {
    if (TagName(e) == name) {
      current_ = e;
      child_ = 0;
      return true;
    }
  }
  return false;
}

bool XmlDocument::FindElement() {
  const std::size_t e = current_ != 0 ? elements_[current_].next : elements_[parent_].first_child;
  if (e == 0) return false;
  current_ = e;
  child_ = 0;
  return true;
}

bool XmlDocument::EnterElement() {
  if (current_ == 0) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  return true;
}

bool XmlDocument::LeaveElement() {
  if (parent_ == 0) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = elements_[parent_].parent;
  return true;
}

std::string XmlDocument::GetAttribute(std::string_view name) const {
  if (current_ == 0) return {};
  const Element& e = elements_[current_];
  const std::string_view tag = std::string_view(text_).substr(0, e.start + e.start_tag_len);
  std::string_view value;
  bool found = false;
  ScanTag(tag, e.start + 1 + e.name_len, [&](const Attribute& a) {
    if (!found && a.name == name) {
      value = tag.substr(a.value_pos, a.value_len);
      found = true;
    }
  });
  return UnescapeValue(value);
}

bool XmlDocument::HasAttribute(std::string_view name) const {
  if (current_ == 0) return false;
  const Element& e = elements_[current_];
  const std::string_view tag = std::string_view(text_).substr(0, e.start + e.start_tag_len);
  bool found = false;
  ScanTag(tag, e.start + 1 + e.name_len,
          [&](const Attribute& a) { found = found || a.name == name; });
  return found;
}

bool XmlDocument::SetAttribute(std::string_view name, std::string_view value) {
  if (current_ == 0 || !IsValidName(name)) return false;
  const Element& e = elements_[current_];
  const std::string_view tag = std::string_view(text_).substr(0, e.start + e.start_tag_len);
  std::size_t value_pos = 0, value_len = 0;
  bool found = false;
  const TagScan scan = ScanTag(tag, e.start + 1 + e.name_len, [&](const Attribute& a) {
    if (!found && a.name == name) {
      value_pos = a.value_pos;
      value_len = a.value_len;
      found = true;
    }
  });
  const std::string escaped = EscapeValue(value);
  if (found) {
    Edit(value_pos, value_len, escaped, current_, true);
  } else {
    std::string attribute;
    attribute.reserve(name.size() + escaped.size() + 4);
    attribute.append(" ").append(name).append("=\"").append(escaped).append("\"");
    Edit(scan.attrs_end, 0, attribute, current_, true);
  }
  return true;
}

bool XmlDocument::SetAttribute(std::string_view name, long long value) {
  return SetAttribute(name, std::string_view(std::to_string(value)));
}

bool XmlDocument::AddElement(std::string_view name) {
  if (!IsValidName(name)) return false;
  const std::size_t parent = parent_;
  std::string insert;
  insert.reserve(name.size() + 8);
  std::size_t element_pos;  // where the new element's '<' lands
  if (IsEmptyElement(parent)) {
    // "<p/>" becomes "<p>\r\n<name/>\r\n</p>": the '/' is replaced.
    const Element& p = elements_[parent];
    const std::size_t slash = p.start + p.start_tag_len - 2;
    const std::string_view parent_name = TagName(parent);
    insert.append(">\r\n<").append(name).append("/>\r\n</").append(parent_name);
    const std::size_t parent_name_len = parent_name.size();
    Edit(slash, 1, insert, parent, false);
    Element& q = elements_[parent];
    q.start_tag_len = slash - q.start + 1;
    q.end_tag_len = parent_name_len + 3;
    element_pos = slash + 3;
  } else {
    const Element& p = elements_[parent];
    const std::size_t content_end = parent == 0 ? text_.size() : p.start + p.length - p.end_tag_len;
    std::size_t pos;
    bool nothing_between = false;
    if (current_ != 0) {
      pos = elements_[current_].start + elements_[current_].length;
    } else if (p.first_child != 0) {
      const Element& last = elements_[elements_[p.first_child].prev];
      pos = last.start + last.length;
    } else {
      pos = content_end;
      nothing_between = parent != 0 && p.end_tag_len > 0 && pos == p.start + p.start_tag_len;
    }
    // Skip white space up to the next tag so the new line goes in front of that tag.
    std::size_t q = pos;
    while (q < content_end && IsSpace(text_[q])) ++q;
    if (q == content_end || text_[q] == '<') pos = q;
    if (nothing_between) insert.append("\r\n");
    element_pos = pos + insert.size();
    insert.append("<").append(name).append("/>\r\n");
    Edit(pos, 0, insert, parent, false);
  }

  Element added;
  added.start = element_pos;
  added.length = added.start_tag_len = name.size() + 3;
  added.name_len = name.size();
  added.parent = parent;
  last_start_ = std::max(last_start_, element_pos);
  elements_.push_back(added);
  const std::size_t e = elements_.size() - 1;
  if (current_ != 0) {
    const std::size_t next = elements_[current_].next;
    elements_[e].prev = current_;
    elements_[e].next = next;
    elements_[current_].next = e;
    if (next != 0) {
      elements_[next].prev = e;
    } else {
      elements_[elements_[parent].first_child].prev = e;
    }
  } else {
    Link(parent, e);
  }
  current_ = e;
  child_ = 0;
  return true;
}

std::string XmlDocument::GetTagName() const {
  return current_ == 0 ? std::string() : std::string(TagName(current_));
}

void XmlDocument::ResetPos() { parent_ = current_ = child_ = 0; }

std::string XmlDocument::EscapeValue(std::string_view value) {
  std::string out;
  out.reserve(value.size() + value.size() / 8);
  for (char c : value) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string XmlDocument::UnescapeValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  std::size_t i = 0;
  while (i < value.size()) {
    const std::size_t amp = value.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(value.substr(i));
      break;
    }
    out.append(value.substr(i, amp - i));
    std::size_t next;
    if (ResolveReference(value, amp, out, &next)) {
      i = next;
    } else {
      out += '&';
      i = amp + 1;
    }
  }
  return out;
}

void XmlDocument::Link(std::size_t parent, std::size_t child) {
  Element& c = elements_[child];
  c.parent = parent;
  const std::size_t first = elements_[parent].first_child;
  if (first == 0) {
    elements_[parent].first_child = child;
    c.prev = child;
    c.first = true;
  } else {
    const std::size_t last = elements_[first].prev;
    elements_[last].next = child;
    c.prev = last;
    elements_[first].prev = child;
  }
}

void XmlDocument::Parse() {
  elements_.assign(1, Element{});
  last_start_ = 0;
  elements_[0].length = text_.size();
  ResetPos();
  const std::string_view text = text_;
  const std::size_t n = text.size();
  bool fault = false;
  fault_at_ = 0;
  fault_what_ = nullptr;
  // The first fault found is the one reported.
  const auto note = [&](std::size_t at, const char* what) {
    if (!fault) {
      fault_at_ = at;
      fault_what_ = what;
    }
    fault = true;
  };
  std::size_t top_level = 0;
  std::vector<std::size_t> open;  // the open elements, innermost last
  // How many open elements carry each name, so an end tag without a match is recognised
  // without searching the stack.
  std::unordered_map<std::string_view, std::size_t> open_names;

  std::size_t pos = 0;
  while (pos < n) {
    const std::size_t lt = text.find('<', pos);
    if (lt == std::string_view::npos) break;
    if (lt + 1 >= n) {
      note(lt, "a '<' ends the text");
      break;
    }
    const char c = text[lt + 1];
    if (c == '?') {
      const std::size_t close = text.find("?>", lt + 2);
      if (close == std::string_view::npos) {
        note(lt, "a processing instruction has no end");
        break;
      }
      pos = close + 2;
    } else if (c == '!') {
      const std::string_view rest = text.substr(lt);
      std::size_t end = std::string_view::npos;
      if (StartsWith(rest, "<!--")) {
        const std::size_t close = text.find("-->", lt + 4);
        if (close != std::string_view::npos) end = close + 3;
      } else if (StartsWith(rest, "<![CDATA[")) {
        const std::size_t close = text.find("]]>", lt + 9);
        if (close != std::string_view::npos) end = close + 3;
      } else if (StartsWith(rest, "<!DOCTYPE")) {
        // Up to the '>' outside quotes and outside the internal subset.
        char quote = 0;
        int depth = 0;
        for (std::size_t p = lt + 9; p < n; ++p) {
          const char d = text[p];
          if (quote != 0) {
            if (d == quote) quote = 0;
          } else if (d == '"' || d == '\'') {
            quote = d;
          } else if (d == '[') {
            ++depth;
          } else if (d == ']') {
            if (depth > 0) --depth;
          } else if (d == '>' && depth == 0) {
            end = p + 1;
            break;
          }
        }
      } else {
        // Unknown markup: note the fault and read on as text.
        note(lt, "unknown markup after '<!'");
        pos = lt + 2;
        continue;
      }
      if (end == std::string_view::npos) {
        note(lt, "a comment, CDATA section or DOCTYPE has no end");
        break;
      }
      pos = end;
    } else if (c == '/') {
      const std::size_t name_end = NameEnd(text, lt + 2);
      if (name_end == lt + 2 || !IsNameStart(text[lt + 2])) {
        note(lt, "an end tag has no name");
        pos = lt + 2;
        continue;
      }
      std::size_t p = name_end;
      while (p < n && IsSpace(text[p])) ++p;
      std::size_t end = p;
      if (p < n && text[p] == '>') {
        end = p + 1;
      } else {
        note(lt, "an end tag is not closed by '>'");
      }
      pos = end;
      const std::string_view name = text.substr(lt + 2, name_end - lt - 2);
      auto it = open_names.find(name);
      if (it == open_names.end() || it->second == 0) {
        note(lt, "an end tag has no matching start tag");
        continue;
      }
      // Close the innermost open element of that name; those opened inside it and never
      // ended close where it ends.
      while (true) {
        const std::size_t e = open.back();
        open.pop_back();
        Element& el = elements_[e];
        const std::string_view el_name = text.substr(el.start + 1, el.name_len);
        --open_names[el_name];
        if (el_name == name) {
          el.end_tag_len = end - lt;
          el.length = end - el.start;
          break;
        }
        el.unended = true;
        el.length = lt - el.start;
        note(el.start, "an element is not ended");
      }
    } else if (IsNameStart(c)) {
      const std::size_t name_end = NameEnd(text, lt + 1);
      const TagScan scan = ScanTag(text, name_end, [](const Attribute&) {});
      if (!scan.complete) note(lt, "a start tag has no end");
      const std::size_t parent = open.empty() ? 0 : open.back();
      if (parent == 0 && ++top_level == 2) note(lt, "a second element at the top level");
      Element el;
      el.start = lt;
      el.start_tag_len = scan.end - lt;
      el.name_len = name_end - lt - 1;
      last_start_ = std::max(last_start_, lt);
      elements_.push_back(el);
      const std::size_t e = elements_.size() - 1;
      Link(parent, e);
      if (scan.empty) {
        elements_[e].length = elements_[e].start_tag_len;
      } else {
        open.push_back(e);
        ++open_names[text.substr(lt + 1, el.name_len)];
      }
      pos = scan.end;
    } else {
      note(lt, "a '<' begins no markup");
      pos = lt + 1;
    }
  }
  // Start tags still open end with the text; the innermost is the one to point at.
  if (!open.empty()) note(elements_[open.back()].start, "an element is not ended");
  for (std::size_t e : open) {
    elements_[e].unended = true;
    elements_[e].length = n - elements_[e].start;
  }
  if (top_level == 0) note(n, "there is no element");
  well_formed_ = !fault && top_level == 1;
}

void XmlDocument::Edit(std::size_t pos, std::size_t old_len, std::string_view replacement,
                       std::size_t owner, bool in_start_tag) {
  text_.replace(pos, old_len, replacement);
  // Unsigned wrap-around makes a shrinking edit work with the same additions.
  const std::size_t delta = replacement.size() - old_len;
  // Writers add at the end of the document, behind every element: no start moves then, and
  // building a document stays linear instead of walking the whole index at every edit.
  if (pos <= last_start_) {
    std::size_t last = 0;
    for (std::size_t e = 1; e < elements_.size(); ++e) {
      if (elements_[e].start >= pos) elements_[e].start += delta;
      last = std::max(last, elements_[e].start);
    }
    last_start_ = last;
  }
  if (in_start_tag) elements_[owner].start_tag_len += delta;
  for (std::size_t a = owner;; a = elements_[a].parent) {
    elements_[a].length += delta;
    if (a == 0) break;
  }
}

std::string_view XmlDocument::TagName(std::size_t element) const {
  const Element& e = elements_[element];
  return std::string_view(text_).substr(e.start + 1, e.name_len);
}

bool XmlDocument::IsEmptyElement(std::size_t element) const {
  if (element == 0) return false;
  const Element& e = elements_[element];
  return !e.unended && e.end_tag_len == 0 && e.start_tag_len >= 2 &&
         text_.compare(e.start + e.start_tag_len - 2, 2, "/>") == 0;
}
