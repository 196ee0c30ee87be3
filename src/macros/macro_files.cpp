#include "macros/macro_files.h"

#include <sqlite3.h>

#include <climits>
#include <system_error>

#include "log/trace.h"
#include "xml/xml_document.h"

namespace macros {

int DecimalValue(const std::string& text) {
  size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  return static_cast<int>(v);
}

std::string MacroFileText(const MacroRecord& m, const std::string& shown_name,
                          const std::vector<MacroEventRecord>& events) {
  XmlDocument doc;
  doc.SetText(XmlDocument::kXmlDeclaration);
  doc.AddElement("macro");
  doc.EnterElement();
  doc.AddElement("macroinfo");
  doc.SetAttribute("macro_name", shown_name);
  doc.SetAttribute("macro_type", m.play_type);
  doc.SetAttribute("play_times", m.play_times);
  doc.SetAttribute("delay_type", m.delay_type);
  doc.SetAttribute("delay_time", m.delay_time);
  doc.AddElement("macroitems");
  doc.EnterElement();
  for (const MacroEventRecord& e : events) {
    doc.AddElement("item");
    doc.SetAttribute("desc", e.desc);
    doc.SetAttribute("index", e.record_index);
    doc.SetAttribute("type", e.type);
    doc.SetAttribute("value", e.value);
    doc.SetAttribute("timestamp", e.delay_time);
  }
  doc.LeaveElement();
  doc.LeaveElement();
  return doc.GetText();
}

std::filesystem::path MacroFileName(const std::filesystem::path& folder, const std::string& name,
                                    uint64_t tick) {
  std::string safe = name;
  for (char& ch : safe) {
    if (ch == '/' || ch == '\0') ch = '_';
  }
  return folder / (safe + "-" + std::to_string(static_cast<int>(tick & 0x7FFFFFFF)) + ".xml");
}

std::filesystem::path ExportMacroFile(ProfileStore& store, int macro_id,
                                      const std::string& shown_name,
                                      const std::filesystem::path& folder, uint64_t tick) {
  MacroRecord m;
  if (!store.GetMacro(macro_id, m)) return {};
  std::vector<MacroEventRecord> events;
  store.ListMacroEvents(macro_id, events);
  XmlDocument doc;
  doc.SetText(MacroFileText(m, shown_name, events));
  const std::filesystem::path path = MacroFileName(folder, shown_name, tick);
  if (!doc.SaveFile(path)) {
    Trace(4, "ExportMacro: %s not written", path.string().c_str());
    return {};
  }
  return path;
}

namespace {

ImportStatus ParseDocument(XmlDocument& doc, MacroFile& out) {
  out = MacroFile{};
  doc.ResetPos();
  if (!doc.FindElement("macro")) return ImportStatus::kUnreadable;
  doc.EnterElement();
  if (doc.FindElement("macroinfo")) {
    out.macro.name = doc.GetAttribute("macro_name");
    out.macro.play_type = DecimalValue(doc.GetAttribute("macro_type"));
    out.macro.play_times = DecimalValue(doc.GetAttribute("play_times"));
    out.macro.delay_type = DecimalValue(doc.GetAttribute("delay_type"));
    out.macro.delay_time = DecimalValue(doc.GetAttribute("delay_time"));
  }
  if (doc.FindElement("macroitems")) {
    doc.EnterElement();
    while (doc.FindElement("item")) {
      if (out.events.size() >= kMaxImportedEvents) return ImportStatus::kTooLarge;
      MacroEventRecord e;
      e.type = DecimalValue(doc.GetAttribute("type"));
      e.record_index = DecimalValue(doc.GetAttribute("index"));
      e.desc = doc.GetAttribute("desc");
      e.value = DecimalValue(doc.GetAttribute("value"));
      e.delay_time = DecimalValue(doc.GetAttribute("timestamp"));
      out.events.push_back(std::move(e));
    }
  }
  return ImportStatus::kImported;
}

}  // namespace

ImportStatus ParseMacroText(const std::string& text, MacroFile& out) {
  if (text.size() > kMaxMacroFileBytes) return ImportStatus::kTooLarge;
  XmlDocument doc;
  if (!doc.SetText(text)) return ImportStatus::kUnreadable;
  return ParseDocument(doc, out);
}

ImportStatus ReadMacroFile(const std::filesystem::path& path, MacroFile& out) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return ImportStatus::kUnreadable;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return ImportStatus::kUnreadable;
  if (size > kMaxMacroFileBytes) {
    Trace(4, "ImportMacro: %s has %ju bytes, refused", path.string().c_str(), size);
    return ImportStatus::kTooLarge;
  }
  XmlDocument doc;
  if (!doc.LoadFile(path)) return ImportStatus::kUnreadable;
  return ParseDocument(doc, out);
}

ImportStatus ImportMacroFile(ProfileStore& store, const std::filesystem::path& path, int& macro_id,
                             std::string& name) {
  macro_id = 0;
  MacroFile file;
  const ImportStatus read = ReadMacroFile(path, file);
  if (read != ImportStatus::kImported) return read;

  auto hold = store.Lock();
  SQLiteDB& db = store.Db();
  if (!db.IsOpen() || !db.Execute("BEGIN")) return ImportStatus::kStoreFailed;
  const int id = store.AddMacro(file.macro);
  bool ok = id > 0;
  for (size_t i = 0; ok && i < file.events.size(); ++i) {
    file.events[i].macro_id = id;
    ok = store.AddMacroEvent(file.events[i]) > 0;
  }
  if (!ok || !db.Execute("END")) {
    (void)db.Execute("ROLLBACK");
    Trace(4, "ImportMacro: %s not stored", path.string().c_str());
    return ImportStatus::kStoreFailed;
  }
  macro_id = id;
  name = file.macro.name;
  return ImportStatus::kImported;
}

}  // namespace macros
