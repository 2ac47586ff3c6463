// Placeholder: replaced by the real implementation.
#include "xml/XmlDocument.h"

#include "config/Error.h"

namespace saftpt {

struct XmlDocument::Impl {};
void XmlNode::SetTag(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
void XmlNode::AddAttribute(std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
XmlNode XmlNode::NewChild(std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
bool XmlNode::MoveToChild(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
void XmlNode::MoveToRoot() { throw Error(Error::kBuilder, "não implementado"); }
void XmlNode::UpdateChildContent(std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
void XmlNode::Retain() { throw Error(Error::kBuilder, "não implementado"); }
XmlDocument::XmlDocument() {}
XmlDocument::~XmlDocument() {}
void XmlDocument::SetEncoding(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
void XmlDocument::StreamTo(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
XmlNode XmlDocument::Root() { throw Error(Error::kBuilder, "não implementado"); }
void XmlDocument::SaveToFile(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string XmlDocument::ToString() { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
