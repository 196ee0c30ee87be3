// The shipped language files against the code: every text number the code declares (as a
// `TextId` or `DialogTextId` constant or table row, collected from the sources), every number
// the model files name, and the numbers the window's parts are known by, are in both files;
// both files hold the same numbers and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::string kData = std::string(MOUSE_DATA_DIR) + "/";
const std::string kSources = MOUSE_SOURCE_DIR;

using Numbers = std::map<std::string, std::set<int>>;  // section -> numbers

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Every number declared in the sources: `TextId kName{n}`, `TextId{n}` in a table row, and the
// same for `DialogTextId`. Number 0 is the "no text" marker.
Numbers DeclaredInCode() {
  Numbers out;
  const std::regex declaration(R"(\b(Dialog)?TextId\s*(?:k\w+\s*(?:\[\s*\])?\s*)?\{\s*(\d+)\s*\})");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kSources)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp") continue;
    const std::string text = ReadAll(entry.path());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration);
         it != std::sregex_iterator(); ++it) {
      const int number = std::stoi((*it)[2]);
      if (number != 0) out[(*it)[1].matched ? "KB.DIALOG" : "LAN"].insert(number);
    }
  }
  return out;
}

// The texts the model files name for their buttons (names and default functions).
std::set<int> NamedByModelFiles() {
  std::set<int> out;
  const std::regex attribute(R"#(\b(?:name|func_desc)="(\d+)")#");
  for (const auto& entry : std::filesystem::directory_iterator(kData + "device")) {
    const std::string text = ReadAll(entry.path());
    for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute);
         it != std::sregex_iterator(); ++it) {
      out.insert(std::stoi((*it)[1]));
    }
  }
  return out;
}

// A language file as section -> number -> text (UTF-8 files; a byte-order mark is skipped).
std::map<std::string, std::map<int, std::string>> ReadLanguageFile(const std::string& language) {
  std::map<std::string, std::map<int, std::string>> out;
  std::istringstream in(ReadAll(kData + "language/" + language + ".lan"));
  std::string line, section;
  bool first = true;
  while (std::getline(in, line)) {
    if (first && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    first = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const int number = std::stoi(line.substr(0, eq));
    EXPECT_FALSE(out[section].contains(number)) << language << " holds " << number << " twice";
    out[section][number] = line.substr(eq + 1);
  }
  return out;
}

// Numbers the window's parts are known by, whether or not a piece of code is built around
// them yet: caption and tray, dialogs, connection label, tabs, button functions, pages,
// notices, prompts, device list and screen.
const Numbers kKnownNumbers = {
    {"LAN",
     {17,  20,  21,  25,  27,  28,  29,  34,  35,  36,  39,  50,  51,  52,  53,  60,  65,  66,
      67,  68,  69,  70,  71,  108, 112, 114, 120, 121, 130, 131, 132, 133, 134, 135, 137, 138,
      150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 165, 166, 167, 168,
      169, 170, 171, 172, 175, 176, 177, 178, 179, 180, 181, 182, 190, 192, 193, 195, 220, 222,
      223, 230, 253, 257, 258, 259, 260, 275, 276, 280, 281, 282, 283, 284, 285, 286, 351, 355,
      358, 359, 361, 362, 363, 365, 366, 367, 368, 380, 386, 387, 393, 394, 395, 396, 397, 398,
      400, 401, 402, 403, 406, 407, 408, 409, 503, 505, 506, 507, 508, 509, 510, 511, 512, 513,
      514, 515, 516, 517, 518, 534, 536, 537, 544, 545, 546, 570, 571, 581, 582, 583, 584, 590,
      591, 592, 593, 595, 596, 701, 702, 703, 832, 833, 834, 835, 836, 837, 838, 839, 840, 841,
      843, 845, 846, 847, 848, 880, 881, 882, 884, 885, 886, 887}},
    {"KB.DIALOG", {2, 22, 825, 826, 861}},
};

class LanguageFilesTest : public ::testing::Test {
 protected:
  Numbers code_ = DeclaredInCode();
  std::map<std::string, std::map<int, std::string>> english_ = ReadLanguageFile("1033");
  std::map<std::string, std::map<int, std::string>> chinese_ = ReadLanguageFile("2052");
};

TEST_F(LanguageFilesTest, TheScanFindsTheDeclarations) {
  // A few the code surely declares, of both kinds and both forms (constant and table row).
  for (int n : {50, 60, 1950, 2224, 280}) EXPECT_TRUE(code_["LAN"].contains(n)) << n;
  for (int n : {2, 861}) EXPECT_TRUE(code_["KB.DIALOG"].contains(n)) << n;
}

TEST_F(LanguageFilesTest, BothFilesHoldEveryNumberTheCodeAndTheModelFilesUse) {
  Numbers wanted = code_;
  for (int n : NamedByModelFiles()) wanted["LAN"].insert(n);
  for (const auto& [section, numbers] : kKnownNumbers)
    wanted[section].insert(numbers.begin(), numbers.end());
  for (const auto* file : {&english_, &chinese_}) {
    const char* name = file == &english_ ? "1033" : "2052";
    for (const auto& [section, numbers] : wanted) {
      for (int n : numbers) {
        const auto s = file->find(section);
        const bool present = s != file->end() && s->second.contains(n) && !s->second.at(n).empty();
        EXPECT_TRUE(present) << name << " [" << section << "] " << n;
      }
    }
  }
}

TEST_F(LanguageFilesTest, BothFilesHoldTheSameNumbersAndNoneThatNothingUses) {
  Numbers used = code_;
  for (int n : NamedByModelFiles()) used["LAN"].insert(n);
  for (const auto& [section, numbers] : kKnownNumbers)
    used[section].insert(numbers.begin(), numbers.end());
  for (const auto& [section, texts] : english_) {
    for (const auto& [n, text] : texts) {
      EXPECT_TRUE(chinese_[section].contains(n)) << "2052 lacks [" << section << "] " << n;
      EXPECT_TRUE(used[section].contains(n)) << "[" << section << "] " << n << " is unused";
    }
  }
  for (const auto& [section, texts] : chinese_) {
    for (const auto& [n, text] : texts) {
      EXPECT_TRUE(english_[section].contains(n)) << "1033 lacks [" << section << "] " << n;
    }
  }
}

// The connection label is translated by recognising its text, so these read exactly so.
TEST_F(LanguageFilesTest, ConnectionTextsReadExactly) {
  const std::pair<int, std::pair<const char*, const char*>> texts[] = {
      {50, {"Not Connected", "未连接"}},
      {51, {"USB Connection", "USB连接"}},
      {52, {"2.4Ghz Connection", "2.4Ghz连接"}},
      {53, {"Bluetooth Connection", "蓝牙连接"}},
  };
  for (const auto& [n, words] : texts) {
    EXPECT_EQ(english_["LAN"][n], words.first) << n;
    EXPECT_EQ(chinese_["LAN"][n], words.second) << n;
  }
}

// No English left in the Chinese file: Latin words only where they are names, units or keys.
TEST_F(LanguageFilesTest, ChineseTextsKeepLatinOnlyForNamesUnitsAndKeys) {
  const std::set<std::string> allowed = {
      "DPI",     "USB", "Ghz", "Hz", "ms",    "mm",      "Ctrl", "Alt", "Shift", "Win",
      "Tab",     "F",   "C",   "V",  "X",     "GIF",     "JPEG", "PNG", "BMP",   "XML",
      "profile", "s",   "v",   "x",  "fuser", "udevadm", "LB",   "RB",  "MB"};
  const std::regex word("[A-Za-z]+");
  for (const auto& [section, texts] : chinese_) {
    for (const auto& [n, text] : texts) {
      for (auto it = std::sregex_iterator(text.begin(), text.end(), word);
           it != std::sregex_iterator(); ++it) {
        EXPECT_TRUE(allowed.contains(it->str())) << "[" << section << "] " << n << ": " << text;
      }
    }
  }
}

}  // namespace
