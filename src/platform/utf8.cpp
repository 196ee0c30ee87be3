#include "platform/utf8.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace platform {
namespace {

// Length of the sequence starting with lead byte c, or 0 when c cannot start one.
size_t SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 0;
}

// Length of the valid sequence at text[i], or 1 for an invalid byte.
size_t StepAt(std::string_view text, size_t i) {
  const size_t n = SequenceLength(static_cast<unsigned char>(text[i]));
  if (n <= 1 || i + n > text.size()) return 1;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool ConvertCharset(std::string_view in, const char* to, const char* from, const BadInputRule& bad,
                    std::string* out) {
  out->clear();
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* src = const_cast<char*>(in.data());
  size_t src_left = in.size();
  char buffer[16384];
  bool ok = true;
  while (src_left > 0) {
    char* dst = buffer;
    size_t dst_left = sizeof(buffer);
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    out->append(buffer, sizeof(buffer) - dst_left);
    if (rc != static_cast<size_t>(-1)) {
      // glibc counts characters it could only approximate as irreversible conversions.
      if (bad.fail && rc > 0) ok = false;
      break;
    }
    const int why = errno;
    if (why == E2BIG) continue;
    if (bad.fail) {
      ok = false;
      break;
    }
    // An undecodable or truncated sequence: one replacement, then go on.
    out->append(bad.replacement);
    const size_t skip = bad.unit < src_left ? bad.unit : src_left;
    src += skip;
    src_left -= skip;
    if (why != EILSEQ && why != EINVAL) break;
    if (bad.reset_state) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  if (ok) {
    // Flush a pending shift state (stateful encodings such as ISO-2022).
    char* dst = buffer;
    size_t dst_left = sizeof(buffer);
    iconv(cd, nullptr, nullptr, &dst, &dst_left);
    out->append(buffer, sizeof(buffer) - dst_left);
  }
  iconv_close(cd);
  return ok;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += StepAt(text, i)) ++count;
  return count;
}

std::string Utf8Prefix(std::string_view text, size_t max_chars) {
  size_t i = 0;
  for (size_t count = 0; i < text.size() && count < max_chars; ++count) i += StepAt(text, i);
  return std::string(text.substr(0, i));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t n = StepAt(text, i);
    const auto c0 = static_cast<unsigned char>(text[i]);
    char32_t cp = 0xFFFD;
    if (n == 1) {
      cp = c0 < 0x80 ? c0 : 0xFFFD;
    } else {
      cp = c0 & (0x7F >> n);
      for (size_t k = 1; k < n; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += n;
  }
  return out;
}

bool ConvertFromUtf8(std::string_view text, const char* charset, std::string* out) {
  return ConvertCharset(text, charset, "UTF-8", BadInputRule{}, out);
}

bool ConvertToUtf8(std::string_view bytes, const char* charset, std::string* out) {
  return ConvertCharset(bytes, "UTF-8", charset, BadInputRule{}, out);
}

}  // namespace platform
