#include "xml/xml_document.h"

XmlDocument::XmlDocument() { elements_.resize(1); }

bool XmlDocument::SetText(std::string_view text) {
  text_.assign(text);
  Parse();
  return well_formed_;
}

bool XmlDocument::LoadFile(const std::filesystem::path&) { return false; }
bool XmlDocument::SaveFile(const std::filesystem::path&) const { return false; }
bool XmlDocument::FindElement(std::string_view) { return false; }
bool XmlDocument::FindElement() { return false; }
bool XmlDocument::EnterElement() { return false; }
bool XmlDocument::LeaveElement() { return false; }
std::string XmlDocument::GetAttribute(std::string_view) const { return {}; }
bool XmlDocument::HasAttribute(std::string_view) const { return false; }
bool XmlDocument::SetAttribute(std::string_view, std::string_view) { return false; }
bool XmlDocument::SetAttribute(std::string_view name, long long value) {
  return SetAttribute(name, std::to_string(value));
}
bool XmlDocument::AddElement(std::string_view) { return false; }
std::string XmlDocument::GetTagName() const { return {}; }
void XmlDocument::ResetPos() { parent_ = current_ = child_ = 0; }
std::string XmlDocument::EscapeValue(std::string_view value) { return std::string(value); }
std::string XmlDocument::UnescapeValue(std::string_view value) { return std::string(value); }

void XmlDocument::Parse() {
  elements_.assign(1, Element{});
  elements_[0].length = text_.size();
  well_formed_ = false;
  ResetPos();
}
void XmlDocument::Edit(std::size_t, std::size_t, std::string_view, std::size_t) {}
std::string_view XmlDocument::TagName(std::size_t) const { return {}; }
bool XmlDocument::IsEmptyElement(std::size_t) const { return false; }
