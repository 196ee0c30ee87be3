// XmlDocument: a whole XML document held in memory as UTF-8 text with an index of its
// elements, and a cursor that readers move from element to element and writers use as the
// insertion point. All offsets are byte offsets into the UTF-8 text.
//
// Readers:  LoadFile, FindElement(root), then EnterElement, FindElement / GetAttribute,
//           LeaveElement ...
// Writers:  SetText(kXmlDeclaration), AddElement(root), EnterElement, AddElement,
//           SetAttribute ... LeaveElement, SaveFile.
// Every operation reports failure by its result; nothing throws.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

class XmlDocument {
 public:
  // The text writers start from: the declaration on a line of its own.
  static constexpr std::string_view kXmlDeclaration =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

  // How a loaded file was stored; saving writes the same way.
  enum class FileEncoding {
    kNoMark,       // no byte order mark: the declared encoding (UTF-8 if none)
    kUtf8Mark,     // UTF-8 with EF BB BF
    kUtf16LeMark,  // UTF-16 little-endian with FF FE
    kUtf16BeMark,  // UTF-16 big-endian with FE FF
  };

  XmlDocument();

  // Replaces the whole text (UTF-8), parses it and resets the cursor to the start of the
  // document. Returns whether the text is well formed (a text without elements is not).
  bool SetText(std::string_view text);

  // Reads the file, converts it to UTF-8 (byte order mark, declared encoding, HTML meta
  // charset, or detection), removes NUL characters, parses it and resets the cursor.
  // Succeeds only if the file was read and the document is well formed. The reason starts
  // with the file: the system's words (code errno), or "line N: <fault>" (code 0).
  platform::Status LoadFile(const std::filesystem::path& path);

  // Writes the text to the file (created or truncated), with the loaded file's byte order
  // mark and encoding, else in the declared encoding (UTF-8 if none) without a mark. The
  // file is left untouched when the text cannot be converted (code EILSEQ).
  platform::Status SaveFile(const std::filesystem::path& path) const;

  // From the cursor, finds the next element named `name` (case-sensitive) at the current
  // level and makes it current. Leaves the cursor unchanged when there is none.
  bool FindElement(std::string_view name);
  // The same for the next element of any name.
  bool FindElement();

  // Goes into the current element. False, nothing changed, when there is no current element.
  bool EnterElement();
  // Goes back out to the parent, which becomes current. False at the top level.
  bool LeaveElement();

  // The value of attribute `name` (case-sensitive) of the current element with references
  // resolved; empty when there is no current element or no such attribute.
  std::string GetAttribute(std::string_view name) const;
  // Whether the current element has the attribute `name`.
  bool HasAttribute(std::string_view name) const;

  // Sets the attribute on the current element (value escaped), replacing an existing value
  // or appending it after the last attribute. False when there is no current element or
  // `name` is not a valid XML name.
  bool SetAttribute(std::string_view name, std::string_view value);
  bool SetAttribute(std::string_view name, long long value);
  bool SetAttribute(std::string_view name, int value) {
    return SetAttribute(name, static_cast<long long>(value));
  }

  // Adds an empty element `name` at the current level right after the current element (or
  // after the parent's last child) and makes it current with no child position. False when
  // `name` is not a valid XML name.
  bool AddElement(std::string_view name);

  // The tag name of the current element; empty when there is none.
  std::string GetTagName() const;
  // Whether there is a current element.
  bool HasCurrentElement() const { return current_ != 0; }
  // Back to the state after loading: no current element, at the top level.
  void ResetPos();

  const std::string& GetText() const { return text_; }
  bool IsWellFormed() const { return well_formed_; }
  // Where the text first stops being well formed: the line (from 1; 0 when nothing is
  // wrong) and what is wrong there ("" when nothing is).
  std::size_t FaultLine() const;
  std::string FaultReason() const { return fault_what_ != nullptr ? fault_what_ : ""; }
  FileEncoding GetFileEncoding() const { return file_encoding_; }

  // Escapes the five XML special characters of an attribute value.
  static std::string EscapeValue(std::string_view value);
  // Resolves the five XML entities, character references and HTML 4.01 named references;
  // anything that is not such a reference stays as text.
  static std::string UnescapeValue(std::string_view value);

 private:
  // One element of the index. Entry 0 is the document itself.
  struct Element {
    std::size_t start = 0;          // offset of '<'
    std::size_t length = 0;         // whole element, end tag included
    std::size_t start_tag_len = 0;  // "<name ...>" or "<name .../>"
    std::size_t end_tag_len = 0;    // 0 for an empty-element tag or an unended start tag
    std::size_t name_len = 0;
    std::size_t parent = 0;
    std::size_t first_child = 0;
    std::size_t next = 0;  // 0 after the last sibling
    std::size_t prev = 0;  // the first child's prev is the last child
    bool first = false;    // first of its siblings
    bool unended = false;  // start tag never ended; closed at its parent's end
  };

  void Parse();
  // Replaces text_[pos, pos + old_len) with `replacement` inside element `owner` (or the
  // document when 0) and moves the index to match.
  // `in_start_tag` says the edit lies in the owner's start tag.
  void Edit(std::size_t pos, std::size_t old_len, std::string_view replacement, std::size_t owner,
            bool in_start_tag);
  // Appends `child` as the last child of `parent`.
  void Link(std::size_t parent, std::size_t child);
  std::string_view TagName(std::size_t element) const;
  bool IsEmptyElement(std::size_t element) const;

  std::string text_;
  std::vector<Element> elements_;
  std::size_t last_start_ = 0;  // the largest element start: edits behind it move no element
  bool well_formed_ = false;
  std::size_t fault_at_ = 0;  // offset of the first fault
  const char* fault_what_ = nullptr;
  FileEncoding file_encoding_ = FileEncoding::kNoMark;
  // Cursor.
  std::size_t parent_ = 0;
  std::size_t current_ = 0;
  std::size_t child_ = 0;
};
