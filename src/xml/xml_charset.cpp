#include "xml/xml_charset.h"

#include <cstring>

#include "platform/utf8.h"

namespace xmlcharset {
namespace {

struct NameEntry {
  const char* name;
  int code_page;
};

// IANA names and the aliases found in documents in the wild, with the Windows code page each
// stands for. Lower case; looked up without regard to case.
constexpr NameEntry kNames[] = {
    // Unicode
    {"utf-8", 65001},
    {"utf8", 65001},
    {"unicode-1-1-utf-8", 65001},
    {"unicode-2-0-utf-8", 65001},
    {"x-unicode20utf8", 65001},
    {"x-unicode2-0-utf-8", 65001},
    {"utf-7", 65000},
    {"utf7", 65000},
    {"unicode-1-1-utf-7", 65000},
    {"unicode-2-0-utf-7", 65000},
    {"x-unicode20utf7", 65000},
    {"x-unicode2-0-utf-7", 65000},
    {"csunicode11utf7", 65000},
    {"utf-16", 1200},
    {"utf16", 1200},
    {"utf-16le", 1200},
    {"unicode", 1200},
    {"ucs-2", 1200},
    {"iso-10646-ucs-2", 1200},
    {"csunicode", 1200},
    {"utf-16be", 1201},
    {"unicodefffe", 1201},
    {"ucs-2be", 1201},
    // Simplified Chinese
    {"gb2312", 936},
    {"gb_2312", 936},
    {"gb_2312-80", 936},
    {"gb231280", 936},
    {"csgb2312", 936},
    {"csgb231280", 936},
    {"csiso58gb231280", 936},
    {"iso-ir-58", 936},
    {"chinese", 936},
    {"gbk", 936},
    {"x-gbk", 936},
    {"cp936", 936},
    {"ms936", 936},
    {"windows-936", 936},
    {"x-cp20936", 20936},
    {"gb18030", 54936},
    {"gb-18030", 54936},
    {"euc-cn", 51936},
    {"x-euc-cn", 51936},
    {"cseuccn", 51936},
    // Traditional Chinese
    {"big5", 950},
    {"big-5", 950},
    {"big-five", 950},
    {"bigfive", 950},
    {"cn-big5", 950},
    {"csbig5", 950},
    {"x-x-big5", 950},
    {"cp950", 950},
    {"ms950", 950},
    {"windows-950", 950},
    {"big5-hkscs", 951},
    {"big5hkscs", 951},
    {"euc-tw", 51950},
    {"x-euc-tw", 51950},
    {"cns11643", 51950},
    // Japanese
    {"shift_jis", 932},
    {"shift-jis", 932},
    {"shiftjis", 932},
    {"sjis", 932},
    {"x-sjis", 932},
    {"ms_kanji", 932},
    {"csshiftjis", 932},
    {"windows-31j", 932},
    {"cswindows31j", 932},
    {"cp932", 932},
    {"ms932", 932},
    {"windows-932", 932},
    {"x-ms-cp932", 932},
    {"euc-jp", 51932},
    {"eucjp", 51932},
    {"x-euc-jp", 51932},
    {"x-euc", 51932},
    {"cseucpkdfmtjapanese", 51932},
    {"extended_unix_code_packed_format_for_japanese", 51932},
    {"iso-2022-jp", 50220},
    {"csiso2022jp", 50220},
    {"_iso-2022-jp", 50221},
    {"iso-2022-jp-2", 50222},
    {"csiso2022jp2", 50222},
    // Korean
    {"ks_c_5601-1987", 949},
    {"ks_c_5601-1989", 949},
    {"ks_c_5601_1987", 949},
    {"ks_c_5601", 949},
    {"ksc_5601", 949},
    {"ksc5601", 949},
    {"ks-c-5601", 949},
    {"ks-c5601", 949},
    {"csksc56011987", 949},
    {"iso-ir-149", 949},
    {"korean", 949},
    {"cp949", 949},
    {"ms949", 949},
    {"uhc", 949},
    {"windows-949", 949},
    {"euc-kr", 51949},
    {"euckr", 51949},
    {"cseuckr", 51949},
    {"x-euc-kr", 51949},
    {"iso-2022-kr", 50225},
    {"csiso2022kr", 50225},
    {"johab", 1361},
    {"cp1361", 1361},
    // Thai and Vietnamese
    {"windows-874", 874},
    {"cp874", 874},
    {"dos-874", 874},
    {"ms874", 874},
    {"x-cp874", 874},
    {"tis-620", 874},
    {"tis620", 874},
    {"cstis620", 874},
    {"iso-8859-11", 874},
    {"windows-1258", 1258},
    {"cp1258", 1258},
    {"x-cp1258", 1258},
    // Windows code pages
    {"windows-1250", 1250},
    {"cp1250", 1250},
    {"x-cp1250", 1250},
    {"cp-1250", 1250},
    {"windows-1251", 1251},
    {"cp1251", 1251},
    {"x-cp1251", 1251},
    {"cp-1251", 1251},
    {"windows-1252", 1252},
    {"cp1252", 1252},
    {"x-cp1252", 1252},
    {"cp-1252", 1252},
    {"x-ansi", 1252},
    {"windows-1253", 1253},
    {"cp1253", 1253},
    {"x-cp1253", 1253},
    {"windows-1254", 1254},
    {"cp1254", 1254},
    {"x-cp1254", 1254},
    {"windows-1255", 1255},
    {"cp1255", 1255},
    {"x-cp1255", 1255},
    {"windows-1256", 1256},
    {"cp1256", 1256},
    {"x-cp1256", 1256},
    {"windows-1257", 1257},
    {"cp1257", 1257},
    {"x-cp1257", 1257},
    // ASCII
    {"us-ascii", 20127},
    {"ascii", 20127},
    {"us", 20127},
    {"iso646-us", 20127},
    {"iso_646.irv:1991", 20127},
    {"ansi_x3.4-1968", 20127},
    {"ansi_x3.4-1986", 20127},
    {"iso-ir-6", 20127},
    {"cp367", 20127},
    {"ibm367", 20127},
    {"csascii", 20127},
    // ISO 8859
    {"iso-8859-1", 28591},
    {"iso8859-1", 28591},
    {"iso_8859-1", 28591},
    {"iso_8859-1:1987", 28591},
    {"iso-ir-100", 28591},
    {"latin1", 28591},
    {"latin-1", 28591},
    {"l1", 28591},
    {"ibm819", 28591},
    {"cp819", 28591},
    {"csisolatin1", 28591},
    {"iso-8859-2", 28592},
    {"iso8859-2", 28592},
    {"iso_8859-2", 28592},
    {"iso_8859-2:1987", 28592},
    {"iso-ir-101", 28592},
    {"latin2", 28592},
    {"l2", 28592},
    {"csisolatin2", 28592},
    {"iso-8859-3", 28593},
    {"iso8859-3", 28593},
    {"iso_8859-3", 28593},
    {"iso_8859-3:1988", 28593},
    {"iso-ir-109", 28593},
    {"latin3", 28593},
    {"l3", 28593},
    {"csisolatin3", 28593},
    {"iso-8859-4", 28594},
    {"iso8859-4", 28594},
    {"iso_8859-4", 28594},
    {"iso_8859-4:1988", 28594},
    {"iso-ir-110", 28594},
    {"latin4", 28594},
    {"l4", 28594},
    {"csisolatin4", 28594},
    {"iso-8859-5", 28595},
    {"iso8859-5", 28595},
    {"iso_8859-5", 28595},
    {"iso_8859-5:1988", 28595},
    {"iso-ir-144", 28595},
    {"cyrillic", 28595},
    {"csisolatincyrillic", 28595},
    {"iso-8859-6", 28596},
    {"iso8859-6", 28596},
    {"iso_8859-6", 28596},
    {"iso_8859-6:1987", 28596},
    {"iso-ir-127", 28596},
    {"ecma-114", 28596},
    {"arabic", 28596},
    {"csisolatinarabic", 28596},
    {"asmo-708", 708},
    {"iso-8859-7", 28597},
    {"iso8859-7", 28597},
    {"iso_8859-7", 28597},
    {"iso_8859-7:1987", 28597},
    {"iso-ir-126", 28597},
    {"ecma-118", 28597},
    {"elot_928", 28597},
    {"greek", 28597},
    {"greek8", 28597},
    {"csisolatingreek", 28597},
    {"iso-8859-8", 28598},
    {"iso8859-8", 28598},
    {"iso_8859-8", 28598},
    {"iso_8859-8:1988", 28598},
    {"iso-8859-8 visual", 28598},
    {"iso-ir-138", 28598},
    {"hebrew", 28598},
    {"csisolatinhebrew", 28598},
    {"visual", 28598},
    {"iso-8859-8-i", 38598},
    {"iso_8859-8-i", 38598},
    {"csiso88598i", 38598},
    {"logical", 38598},
    {"iso-8859-9", 28599},
    {"iso8859-9", 28599},
    {"iso_8859-9", 28599},
    {"iso_8859-9:1989", 28599},
    {"iso-ir-148", 28599},
    {"latin5", 28599},
    {"l5", 28599},
    {"csisolatin5", 28599},
    {"iso-8859-10", 28600},
    {"iso_8859-10", 28600},
    {"iso-ir-157", 28600},
    {"latin6", 28600},
    {"l6", 28600},
    {"csisolatin6", 28600},
    {"iso-8859-13", 28603},
    {"iso_8859-13", 28603},
    {"latin7", 28603},
    {"l7", 28603},
    {"iso-8859-14", 28604},
    {"iso_8859-14", 28604},
    {"iso-ir-199", 28604},
    {"latin8", 28604},
    {"l8", 28604},
    {"iso-8859-15", 28605},
    {"iso8859-15", 28605},
    {"iso_8859-15", 28605},
    {"latin-9", 28605},
    {"latin9", 28605},
    {"l9", 28605},
    {"csisolatin9", 28605},
    {"iso-8859-16", 28606},
    {"iso_8859-16", 28606},
    {"iso-ir-226", 28606},
    {"latin10", 28606},
    {"l10", 28606},
    // Cyrillic
    {"koi8-r", 20866},
    {"koi8r", 20866},
    {"koi8", 20866},
    {"koi", 20866},
    {"cskoi8r", 20866},
    {"koi8-u", 21866},
    {"koi8u", 21866},
    {"koi8-ru", 21866},
    {"x-cp20866", 20866},
    {"cp866", 866},
    {"ibm866", 866},
    {"866", 866},
    {"csibm866", 866},
    {"x-mac-cyrillic", 10007},
    {"x-mac-ukrainian", 10017},
    // DOS code pages
    {"ibm437", 437},
    {"cp437", 437},
    {"437", 437},
    {"cspc8codepage437", 437},
    {"ibm737", 737},
    {"cp737", 737},
    {"ibm775", 775},
    {"cp775", 775},
    {"cspc775baltic", 775},
    {"ibm850", 850},
    {"cp850", 850},
    {"850", 850},
    {"cspc850multilingual", 850},
    {"ibm852", 852},
    {"cp852", 852},
    {"852", 852},
    {"cspcp852", 852},
    {"ibm855", 855},
    {"cp855", 855},
    {"855", 855},
    {"csibm855", 855},
    {"ibm857", 857},
    {"cp857", 857},
    {"857", 857},
    {"csibm857", 857},
    {"ibm00858", 858},
    {"cp00858", 858},
    {"cp858", 858},
    {"ibm860", 860},
    {"cp860", 860},
    {"860", 860},
    {"csibm860", 860},
    {"ibm861", 861},
    {"cp861", 861},
    {"861", 861},
    {"cp-is", 861},
    {"csibm861", 861},
    {"ibm862", 862},
    {"cp862", 862},
    {"862", 862},
    {"dos-862", 862},
    {"cspc862latinhebrew", 862},
    {"ibm863", 863},
    {"cp863", 863},
    {"863", 863},
    {"csibm863", 863},
    {"ibm864", 864},
    {"cp864", 864},
    {"csibm864", 864},
    {"ibm865", 865},
    {"cp865", 865},
    {"865", 865},
    {"csibm865", 865},
    {"ibm869", 869},
    {"cp869", 869},
    {"869", 869},
    {"cp-gr", 869},
    {"csibm869", 869},
    // Macintosh
    {"macintosh", 10000},
    {"mac", 10000},
    {"csmacintosh", 10000},
    {"x-mac-roman", 10000},
    {"x-mac-ce", 10029},
    {"x-mac-centraleurroman", 10029},
    {"x-mac-icelandic", 10079},
    // EBCDIC
    {"ibm037", 37},
    {"cp037", 37},
    {"ebcdic-cp-us", 37},
    {"ebcdic-cp-ca", 37},
    {"ebcdic-cp-wt", 37},
    {"ebcdic-cp-nl", 37},
    {"csibm037", 37},
    {"ibm273", 20273},
    {"cp273", 20273},
    {"csibm273", 20273},
    {"ibm277", 20277},
    {"ebcdic-cp-dk", 20277},
    {"ebcdic-cp-no", 20277},
    {"ibm278", 20278},
    {"ebcdic-cp-fi", 20278},
    {"ebcdic-cp-se", 20278},
    {"ibm280", 20280},
    {"ebcdic-cp-it", 20280},
    {"ibm284", 20284},
    {"ebcdic-cp-es", 20284},
    {"ibm285", 20285},
    {"ebcdic-cp-gb", 20285},
    {"ibm290", 20290},
    {"ibm297", 20297},
    {"ebcdic-cp-fr", 20297},
    {"ibm420", 20420},
    {"ebcdic-cp-ar1", 20420},
    {"ibm423", 20423},
    {"ebcdic-cp-gr", 20423},
    {"ibm424", 20424},
    {"ebcdic-cp-he", 20424},
    {"ibm500", 500},
    {"cp500", 500},
    {"ebcdic-cp-be", 500},
    {"ebcdic-cp-ch", 500},
    {"csibm500", 500},
    {"ibm870", 870},
    {"cp870", 870},
    {"ebcdic-cp-roece", 870},
    {"ebcdic-cp-yu", 870},
    {"ibm871", 20871},
    {"ebcdic-cp-is", 20871},
    {"cp875", 875},
    {"ibm875", 875},
    {"ibm880", 20880},
    {"ebcdic-cyrillic", 20880},
    {"ibm905", 20905},
    {"ebcdic-cp-tr", 20905},
    {"ibm1026", 1026},
    {"cp1026", 1026},
    {"ibm1047", 1047},
    {"cp1047", 1047},
    {"ibm01140", 1140},
    {"ccsid01140", 1140},
    {"ebcdic-us-37+euro", 1140},
    {"ibm01141", 1141},
    {"ebcdic-de-273+euro", 1141},
    {"ibm01142", 1142},
    {"ebcdic-dk-277+euro", 1142},
    {"ibm01143", 1143},
    {"ebcdic-fi-278+euro", 1143},
    {"ibm01144", 1144},
    {"ebcdic-it-280+euro", 1144},
    {"ibm01145", 1145},
    {"ebcdic-es-284+euro", 1145},
    {"ibm01146", 1146},
    {"ebcdic-gb-285+euro", 1146},
    {"ibm01147", 1147},
    {"ebcdic-fr-297+euro", 1147},
    {"ibm01148", 1148},
    {"ebcdic-international-500+euro", 1148},
    {"ibm01149", 1149},
    {"ebcdic-is-871+euro", 1149},
};

struct CodePageEntry {
  int code_page;
  const char* iconv_name;
};

constexpr CodePageEntry kCodePages[] = {
    {37, "IBM037"},
    {437, "CP437"},
    {500, "IBM500"},
    {708, "ISO-8859-6"},
    {737, "CP737"},
    {775, "CP775"},
    {850, "CP850"},
    {852, "CP852"},
    {855, "CP855"},
    {857, "CP857"},
    {858, "CP858"},
    {860, "CP860"},
    {861, "CP861"},
    {862, "CP862"},
    {863, "CP863"},
    {864, "CP864"},
    {865, "CP865"},
    {866, "CP866"},
    {869, "CP869"},
    {870, "IBM870"},
    {874, "CP874"},
    {875, "IBM875"},
    {932, "CP932"},
    {936, "CP936"},
    {949, "CP949"},
    {950, "CP950"},
    {951, "BIG5-HKSCS"},
    {1026, "IBM1026"},
    {1047, "IBM1047"},
    {1140, "IBM1140"},
    {1141, "IBM1141"},
    {1142, "IBM1142"},
    {1143, "IBM1143"},
    {1144, "IBM1144"},
    {1145, "IBM1145"},
    {1146, "IBM1146"},
    {1147, "IBM1147"},
    {1148, "IBM1148"},
    {1149, "IBM1149"},
    {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},
    {1250, "CP1250"},
    {1251, "CP1251"},
    {1252, "CP1252"},
    {1253, "CP1253"},
    {1254, "CP1254"},
    {1255, "CP1255"},
    {1256, "CP1256"},
    {1257, "CP1257"},
    {1258, "CP1258"},
    {1361, "JOHAB"},
    {10000, "MACINTOSH"},
    {10007, "MAC-CYRILLIC"},
    {10017, "MAC-UK"},
    {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},
    {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},
    {20127, "ASCII"},
    {20273, "IBM273"},
    {20277, "IBM277"},
    {20278, "IBM278"},
    {20280, "IBM280"},
    {20284, "IBM284"},
    {20285, "IBM285"},
    {20290, "IBM290"},
    {20297, "IBM297"},
    {20420, "IBM420"},
    {20423, "IBM423"},
    {20424, "IBM424"},
    {20866, "KOI8-R"},
    {20871, "IBM871"},
    {20880, "IBM880"},
    {20905, "IBM905"},
    {20936, "GB2312"},
    {21866, "KOI8-U"},
    {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},
    {28600, "ISO-8859-10"},
    {28603, "ISO-8859-13"},
    {28604, "ISO-8859-14"},
    {28605, "ISO-8859-15"},
    {28606, "ISO-8859-16"},
    {38598, "ISO-8859-8"},
    {50220, "ISO-2022-JP"},
    {50221, "ISO-2022-JP"},
    {50222, "ISO-2022-JP-2"},
    {50225, "ISO-2022-KR"},
    {51932, "EUC-JP"},
    {51936, "EUC-CN"},
    {51949, "EUC-KR"},
    {51950, "EUC-TW"},
    {54936, "GB18030"},
    {65000, "UTF-7"},
    {65001, "UTF-8"},
    {65005, "UTF-32LE"},
};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() &&
         (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) {
    s.remove_prefix(1);
  }
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
    s.remove_suffix(1);
  }
  return s;
}

// The width of one undecodable unit to skip in the source code page.
std::size_t UnitWidth(int code_page) {
  switch (code_page) {
    case kUtf16Le:
    case kUtf16Be:
      return 2;
    case kUtf32Le:
    case kUtf32Be:
    case kUtf32:
      return 4;
    default:
      return 1;
  }
}

}  // namespace

int CodePageForName(std::string_view name) {
  name = Trim(name);
  if (name.size() >= 6 && EqualsNoCase(name.substr(0, 6), "utf-32")) {
    return EqualsNoCase(name, "utf-32be") ? kUtf32Be : kUtf32;
  }
  for (const NameEntry& entry : kNames) {
    if (EqualsNoCase(name, entry.name)) return entry.code_page;
  }
  return 0;
}

const char* IconvNameForCodePage(int code_page) {
  for (const CodePageEntry& entry : kCodePages) {
    if (entry.code_page == code_page) return entry.iconv_name;
  }
  return nullptr;
}

std::size_t NameCount() { return std::size(kNames); }

std::string_view NameAt(std::size_t index, int* code_page) {
  if (index >= std::size(kNames)) return {};
  if (code_page != nullptr) *code_page = kNames[index].code_page;
  return kNames[index].name;
}

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    unsigned char c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    std::size_t extra;
    unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) <= extra) return false;
    if (p[1] < lo || p[1] > hi) return false;
    for (std::size_t i = 2; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
    }
    p += extra + 1;
  }
  return true;
}

bool ToUtf8(std::string_view bytes, int from_code_page, std::string* out) {
  out->clear();
  const char* from = IconvNameForCodePage(from_code_page);
  if (from == nullptr) return false;
  if (from_code_page == kUtf8 && IsValidUtf8(bytes)) {
    out->assign(bytes);
    return true;
  }
  // A document is read whatever it holds: each undecodable unit is marked and skipped.
  platform::BadInputRule mark;
  mark.replacement = "\xEF\xBF\xBD";
  mark.unit = UnitWidth(from_code_page);
  mark.reset_state = true;
  return platform::ConvertCharset(bytes, "UTF-8", from, mark, out);
}

bool FromUtf8(std::string_view utf8, int to_code_page, std::string* out) {
  out->clear();
  const char* to = IconvNameForCodePage(to_code_page);
  if (to == nullptr) return false;
  if (to_code_page == kUtf8) {
    out->assign(utf8);
    return true;
  }
  // A save must not lose a character: anything the target lacks fails it.
  platform::BadInputRule refuse;
  refuse.fail = true;
  return platform::ConvertCharset(utf8, to, "UTF-8", refuse, out);
}

}  // namespace xmlcharset
