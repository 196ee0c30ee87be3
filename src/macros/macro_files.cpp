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

platform::Result<std::filesystem::path> ExportMacroFile(ProfileStore& store, int macro_id,
                                                        const std::string& shown_name,
                                                        const std::filesystem::path& folder,
                                                        uint64_t tick) {
  MacroRecord m;
  if (!store.GetMacro(macro_id, m)) {
    const std::string why = store.LastError();
    return platform::Fail(0, "macro " + std::to_string(macro_id) + " cannot be read" +
                                 (why.empty() ? "" : ": " + why));
  }
  std::vector<MacroEventRecord> events;
  store.ListMacroEvents(macro_id, events);
  XmlDocument doc;
  doc.SetText(MacroFileText(m, shown_name, events));
  const std::filesystem::path path = MacroFileName(folder, shown_name, tick);
  if (platform::Status saved = doc.SaveFile(path); !saved) {
    Trace(4, "ExportMacro: %s not written: %s", path.string().c_str(),
          saved.error().reason.c_str());
    return saved.error();
  }
  return path;
}

ImportStatus StatusOf(const platform::Error& error) {
  return static_cast<ImportStatus>(error.code);
}

namespace {

platform::Error Refused(ImportStatus status, std::string reason) {
  return platform::Fail(static_cast<int>(status), std::move(reason));
}

platform::Result<MacroFile> ParseDocument(XmlDocument& doc) {
  MacroFile out;
  doc.ResetPos();
  if (!doc.FindElement("macro")) {
    return Refused(ImportStatus::kUnreadable, "the root element is not <macro>");
  }
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
      if (out.events.size() >= kMaxImportedEvents) {
        return Refused(ImportStatus::kTooLarge,
                       "more than " + std::to_string(kMaxImportedEvents) + " events");
      }
      MacroEventRecord e;
      e.type = DecimalValue(doc.GetAttribute("type"));
      e.record_index = DecimalValue(doc.GetAttribute("index"));
      e.desc = doc.GetAttribute("desc");
      e.value = DecimalValue(doc.GetAttribute("value"));
      e.delay_time = DecimalValue(doc.GetAttribute("timestamp"));
      out.events.push_back(std::move(e));
    }
  }
  return out;
}

}  // namespace

platform::Result<MacroFile> ParseMacroText(const std::string& text) {
  if (text.size() > kMaxMacroFileBytes) {
    return Refused(ImportStatus::kTooLarge, std::to_string(text.size()) + " bytes");
  }
  XmlDocument doc;
  if (!doc.SetText(text)) {
    return Refused(ImportStatus::kUnreadable,
                   "line " + std::to_string(doc.FaultLine()) + ": " + doc.FaultReason());
  }
  return ParseDocument(doc);
}

platform::Result<MacroFile> ReadMacroFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    return Refused(ImportStatus::kUnreadable,
                   path.string() + ": " + (ec ? ec.message() : "not a regular file"));
  }
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return Refused(ImportStatus::kUnreadable, path.string() + ": " + ec.message());
  if (size > kMaxMacroFileBytes) {
    return Refused(ImportStatus::kTooLarge,
                   path.string() + " has " + std::to_string(size) + " bytes, refused");
  }
  XmlDocument doc;
  if (platform::Status loaded = doc.LoadFile(path); !loaded) {
    return Refused(ImportStatus::kUnreadable, loaded.error().reason);
  }
  platform::Result<MacroFile> file = ParseDocument(doc);
  if (!file) return Refused(StatusOf(file.error()), path.string() + ": " + file.error().reason);
  return file;
}

platform::Result<MacroRecord> ImportMacroFile(ProfileStore& store,
                                              const std::filesystem::path& path) {
  platform::Result<MacroFile> read = ReadMacroFile(path);
  if (!read) {
    Trace(4, "ImportMacro: %s", read.error().reason.c_str());
    return read.error();
  }
  MacroFile& file = read.value();

  auto hold = store.Lock();
  SQLiteDB& db = store.Db();
  const auto not_stored = [&](const std::string& why) {
    Trace(4, "ImportMacro: %s not stored", path.string().c_str());
    return Refused(ImportStatus::kStoreFailed, path.string() + " not stored: " + why);
  };
  if (!db.IsOpen()) return not_stored("the database is not open");
  SQLiteRollbackTransaction transaction(db);
  if (platform::Status begun = transaction.Begin(); !begun) {
    return not_stored(begun.error().reason);
  }
  const int id = store.AddMacro(file.macro);
  bool ok = id > 0;
  for (size_t i = 0; ok && i < file.events.size(); ++i) {
    file.events[i].macro_id = id;
    ok = store.AddMacroEvent(file.events[i]) > 0;
  }
  if (!ok) return not_stored(store.LastError());
  if (platform::Status ended = transaction.Commit(); !ended) {
    return not_stored(ended.error().reason);
  }
  MacroRecord stored = file.macro;
  stored.macro_id = id;
  return stored;
}

}  // namespace macros
