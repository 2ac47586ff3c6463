// The element tree of the audit file, written as a stream.
//
// The builders only ever append, depth first: once an element gets a later
// sibling (or one of its ancestors does), it is complete. The document writes
// every complete element to the output at once and keeps only the open path
// in memory, so the size of the file does not matter. Nothing written can be
// changed: what a section states about its contents (totals) is known before
// it is written.
//
// The output goes to a temporary file beside the target, which SaveToFile()
// renames over the target only when everything is written: a failed run never
// leaves half a file, nor destroys an existing one.
#ifndef SAFTPT_XML_XMLDOCUMENT_H_
#define SAFTPT_XML_XMLDOCUMENT_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace saftpt {

class XmlDocument;

// A handle to one element. Cheap to copy. Using a handle whose element has
// already been written out throws Error.
class XmlNode {
 public:
  XmlNode() = default;

  void SetTag(std::string_view tag);
  // Appends an attribute; only before the element's first child is added.
  void AddAttribute(std::string_view name, std::string_view value);
  // Appends a child after the existing ones; "" gives an empty element.
  XmlNode NewChild(std::string_view tag, std::string_view text);
  // Appends a child that takes no children of its own, written out at once
  // (no handle to it is kept): the same text as NewChild's. Its parent's
  // start tag is written with it, so the parent takes no more attributes.
  void AddLeaf(std::string_view tag, std::string_view text);

 private:
  friend class XmlDocument;
  XmlNode(XmlDocument* doc, uint32_t index, uint32_t generation)
      : doc_(doc), index_(index), generation_(generation) {}
  // Its document; throws for a handle of none.
  XmlDocument& Document() const;

  XmlDocument* doc_ = nullptr;
  uint32_t index_ = 0;
  uint32_t generation_ = 0;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();  // an unsaved temporary file is removed
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // The character set named in the declaration; only "Windows-1252" is
  // written (text is encoded to it, other characters become references).
  void SetEncoding(std::string_view charset);
  // Starts writing into a temporary file beside `path`. Without it, the whole
  // text is kept in memory until SaveToFile. Throws Error when the folder is
  // not writable.
  void StreamTo(const std::string& path);
  XmlNode Root();
  // Writes what is left, flushes, and renames the temporary file over `path`
  // (which must be the StreamTo path when streaming). Throws Error on any
  // failure (full disk, no permission), leaving `path` untouched.
  void SaveToFile(const std::string& path);

  // The whole text, for tests (only when not streaming and not yet saved).
  std::string ToString();

 private:
  friend class XmlNode;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace saftpt

#endif  // SAFTPT_XML_XMLDOCUMENT_H_
