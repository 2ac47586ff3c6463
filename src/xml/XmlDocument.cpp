// The element tree, written out element by element as it is completed.
#include "xml/XmlDocument.h"

#include <array>
#include <cerrno>
#include <vector>

#include "base/Error.h"
#include "base/FileReplace.h"
#include "xml/Windows1252.h"

namespace saftpt {

namespace {

constexpr uint32_t kNone = UINT32_MAX;
constexpr size_t kBufferSize = 1 << 20;
// The disk is asked to start writing every so many bytes of the file.
constexpr size_t kWriteBack = size_t{32} << 20;
constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n";

[[noreturn]] void BuilderError(const std::string& message) {
  throw Error(Error::kBuilder, message);
}

constexpr bool IsNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

constexpr bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// IsNameChar by byte: every element written asks it of every letter.
constexpr std::array<bool, 256> kNameChars = [] {
  std::array<bool, 256> chars{};
  for (int c = 0; c < 256; ++c) chars[c] = IsNameChar(static_cast<char>(c));
  return chars;
}();

// Tags and attribute names come from the program itself; a bad one would make
// the file unreadable.
void CheckName(std::string_view name) {
  bool ok = !name.empty() && IsNameStart(name.front());
  for (char c : name) ok = ok && kNameChars[static_cast<unsigned char>(c)];
  if (!ok) BuilderError("Nome de elemento XML inválido: \"" + std::string(name) + "\".");
}

}  // namespace

struct XmlDocument::Impl {
  struct Node {
    uint32_t generation = 0;
    uint32_t parent = kNone;
    uint32_t firstChild = kNone;
    uint32_t lastChild = kNone;
    uint32_t next = kNone;
    uint32_t depth = 0;
    bool live = false;
    bool closed = false;        // complete: it takes no more children
    bool startWritten = false;  // its start tag is in the output already
    std::string tag;
    std::string attributes;  // encoded, each as ` name="value"`
    std::string text;        // encoded
  };

  std::vector<Node> nodes;
  std::vector<uint32_t> freeList;
  std::vector<uint32_t> openPath;  // scratch for EnsureStartTags
  std::string leafText;            // scratch for AddLeaf
  std::string out;                 // output not yet in the file (all of it in memory)
  bool declarationWritten = false;
  bool finished = false;
  int writeError = 0;  // a write failed: the output is incomplete
  int fd = -1;
  size_t unflushed = 0;  // written since the disk was last asked to write back
  std::string target;    // streaming: the file to replace
  std::string temp;      // streaming: the file being written

  Impl() {
    nodes.emplace_back();
    nodes[0].live = true;
    nodes[0].tag = "root";
  }

  ~Impl() {
    if (fd >= 0) CloseFile(fd);
    if (!temp.empty()) RemoveFile(temp);
  }

  Node& Get(const XmlNode& handle) {
    if (handle.index_ >= nodes.size()) BuilderError("Elemento XML inválido.");
    Node& n = nodes[handle.index_];
    if (!n.live || n.generation != handle.generation_)
      BuilderError("O elemento XML já foi escrito no ficheiro e não pode ser usado.");
    return n;
  }

  void CheckWritable() const {
    if (finished) BuilderError("O documento XML já foi gravado.");
    if (writeError != 0) WriteError(target, writeError);
  }

  // The handle's element, when it and the document can still change.
  Node& Writable(const XmlNode& handle) {
    Node& n = Get(handle);
    CheckWritable();
    return n;
  }

  uint32_t Allocate() {
    uint32_t index;
    if (!freeList.empty()) {
      index = freeList.back();
      freeList.pop_back();
    } else {
      if (nodes.size() >= kNone - 1) BuilderError("Demasiados elementos XML em memória.");
      index = static_cast<uint32_t>(nodes.size());
      nodes.emplace_back();
    }
    Node& n = nodes[index];
    n.live = true;
    n.parent = n.firstChild = n.lastChild = n.next = kNone;
    n.closed = n.startWritten = false;
    return index;
  }

  // Frees the element and its subtree; the strings keep their buffers for the
  // next elements unless they grew large.
  void Free(uint32_t index) {
    for (uint32_t c = nodes[index].firstChild; c != kNone;) {
      uint32_t next = nodes[c].next;
      Free(c);
      c = next;
    }
    Node& n = nodes[index];
    n.live = false;
    ++n.generation;
    for (std::string* s : {&n.tag, &n.attributes, &n.text}) {
      if (s->capacity() > 4096) {
        std::string().swap(*s);
      } else {
        s->clear();
      }
    }
    freeList.push_back(index);
  }

  static void Indent(std::string& s, uint32_t depth) {
    s.append(2 * static_cast<size_t>(depth), ' ');
  }

  void AppendStartTag(std::string& s, const Node& n) {
    Indent(s, n.depth);
    s += '<';
    s += n.tag;
    s += n.attributes;
    s += '>';
    s += n.text;
    s += '\n';
  }

  // An element without children, its text already encoded.
  static void AppendLeaf(std::string& s, uint32_t depth, std::string_view tag,
                         std::string_view attributes, std::string_view text) {
    Indent(s, depth);
    s += '<';
    s += tag;
    s += attributes;
    if (text.empty()) {
      s += "/>\n";
    } else {
      s += '>';
      s += text;
      s += "</";
      s += tag;
      s += ">\n";
    }
  }

  // Writes what is left of the element: its start tag unless already written,
  // its children still in memory, its end tag.
  void Serialize(uint32_t index, std::string& s, bool flush) {
    const Node& n = nodes[index];
    const bool container = n.startWritten || n.firstChild != kNone;
    if (!n.startWritten) {
      if (!container) {
        AppendLeaf(s, n.depth, n.tag, n.attributes, n.text);
        return;
      }
      AppendStartTag(s, n);
    }
    for (uint32_t c = n.firstChild; c != kNone; c = nodes[c].next) {
      Serialize(c, s, flush);
      if (flush) FlushIfFull();
    }
    Indent(s, n.depth);
    s += "</";
    s += n.tag;
    s += ">\n";
  }

  // Writes the start tags of the element and its ancestors not yet written.
  void EnsureStartTags(uint32_t index) {
    openPath.clear();
    for (uint32_t i = index; i != kNone && !nodes[i].startWritten; i = nodes[i].parent)
      openPath.push_back(i);
    for (size_t k = openPath.size(); k > 0; --k) WriteStart(openPath[k - 1]);
  }

  void WriteStart(uint32_t index) {
    if (index == 0 && !declarationWritten) {
      out += kDeclaration;
      declarationWritten = true;
    }
    AppendStartTag(out, nodes[index]);
    nodes[index].startWritten = true;
  }

  // The element gets no more children: its open descendants are completed
  // first, then it goes to the output. Everything before it is written
  // already, since elements are only ever appended.
  void Complete(uint32_t index) {
    uint32_t last = nodes[index].lastChild;
    if (last != kNone && !nodes[last].closed) Complete(last);
    nodes[index].closed = true;
    const uint32_t parent = nodes[index].parent;
    EnsureStartTags(parent);
    Serialize(index, out, true);
    Node& p = nodes[parent];
    p.firstChild = p.lastChild = kNone;
    Free(index);
    FlushIfFull();
  }

  // Before a new child: its earlier siblings are complete.
  void OpenChild(uint32_t parent, std::string_view tag) {
    CheckName(tag);
    if (nodes[parent].closed)
      BuilderError("O elemento XML <" + nodes[parent].tag +
                   "> já está completo e não pode receber mais elementos.");
    uint32_t last = nodes[parent].lastChild;
    if (last != kNone && !nodes[last].closed) Complete(last);
  }

  uint32_t NewChild(uint32_t parent, std::string_view tag, std::string_view text) {
    OpenChild(parent, tag);
    uint32_t index = Allocate();
    Node& n = nodes[index];
    Node& p = nodes[parent];
    n.parent = parent;
    n.depth = p.depth + 1;
    n.tag.assign(tag);
    AppendXmlText(n.text, text);
    if (p.lastChild == kNone) {
      p.firstChild = index;
    } else {
      nodes[p.lastChild].next = index;
    }
    p.lastChild = index;
    return index;
  }

  // A leaf goes straight to the output: its earlier siblings are complete
  // and written, and so are its ancestors' start tags.
  void AddLeaf(uint32_t parent, std::string_view tag, std::string_view text) {
    OpenChild(parent, tag);
    EnsureStartTags(parent);
    leafText.clear();
    AppendXmlText(leafText, text);
    AppendLeaf(out, nodes[parent].depth + 1, tag, "", leafText);
    FlushIfFull();
  }

  void FlushIfFull() {
    if (fd >= 0 && out.size() >= kBufferSize) Flush();
  }

  void Flush() {
    if (fd < 0 || out.empty()) return;
    if (!WriteAll(fd, out.data(), out.size())) {
      writeError = errno;
      WriteError(target, writeError);
    }
    // A year's file runs to hundreds of megabytes: the disk gets them as
    // they come, not all at the final flush.
    unflushed += out.size();
    if (unflushed >= kWriteBack) {
      StartWritingBack(fd);
      unflushed = 0;
    }
    out.clear();
  }

  // Opens a new file beside `path`, readable by others as the final file is.
  int CreateTemp(const std::string& path, std::string& name) {
    int f = CreateTempBeside(path, name, 0644);
    if (f < 0) WriteError(path, errno);
    return f;
  }

  // Closes the whole tree into the output.
  void Finish() {
    uint32_t last = nodes[0].lastChild;
    if (last != kNone && !nodes[last].closed) Complete(last);
    if (!declarationWritten) {
      out += kDeclaration;
      declarationWritten = true;
    }
    Serialize(0, out, true);
    for (uint32_t c = nodes[0].firstChild; c != kNone;) {
      uint32_t next = nodes[c].next;
      Free(c);
      c = next;
    }
    nodes[0].firstChild = nodes[0].lastChild = kNone;
    nodes[0].closed = true;
    finished = true;
  }

  // Makes the temporary file the target; on failure removes it and throws.
  void Commit(const std::string& path) {
    int err = FlushAndClose(fd);
    fd = -1;
    if (err == 0) err = MoveOver(temp, path);
    if (err != 0) {
      RemoveFile(temp);
      temp.clear();
      WriteError(path, err);
    }
    temp.clear();
    SyncFolderOf(path);
  }

  void Discard() {
    if (fd >= 0) CloseFile(fd);
    fd = -1;
    if (!temp.empty()) RemoveFile(temp);
    temp.clear();
  }
};

// XmlNode forwards to the document's tree.

XmlDocument& XmlNode::Document() const {
  if (!doc_) BuilderError("Elemento XML inválido.");
  return *doc_;
}

void XmlNode::SetTag(std::string_view tag) {
  XmlDocument::Impl& d = *Document().impl_;
  XmlDocument::Impl::Node& n = d.Writable(*this);
  CheckName(tag);
  if (n.startWritten)
    BuilderError("O elemento XML <" + n.tag + "> já foi escrito e não pode mudar de nome.");
  n.tag.assign(tag);
}

void XmlNode::AddAttribute(std::string_view name, std::string_view value) {
  XmlDocument::Impl& d = *Document().impl_;
  XmlDocument::Impl::Node& n = d.Writable(*this);
  CheckName(name);
  if (n.startWritten)
    BuilderError("O elemento XML <" + n.tag + "> já foi escrito e não aceita atributos.");
  const std::string key = " " + std::string(name) + "=\"";
  if (n.attributes.find(key) != std::string::npos)
    BuilderError("Atributo XML repetido: " + std::string(name) + ".");
  n.attributes += key;
  AppendXmlText(n.attributes, value, true);
  n.attributes += '"';
}

XmlNode XmlNode::NewChild(std::string_view tag, std::string_view text) {
  XmlDocument::Impl& d = *Document().impl_;
  d.Writable(*this);
  uint32_t index = d.NewChild(index_, tag, text);
  return XmlNode(doc_, index, d.nodes[index].generation);
}

void XmlNode::AddLeaf(std::string_view tag, std::string_view text) {
  XmlDocument::Impl& d = *Document().impl_;
  d.Writable(*this);
  d.AddLeaf(index_, tag, text);
}

XmlDocument::XmlDocument() : impl_(std::make_unique<Impl>()) {}

XmlDocument::~XmlDocument() = default;

void XmlDocument::SetEncoding(std::string_view charset) {
  std::string lower;
  for (char c : charset) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (lower != "windows-1252")
    BuilderError("Codificação XML não suportada: " + std::string(charset) + ".");
}

void XmlDocument::StreamTo(const std::string& path) {
  Impl& d = *impl_;
  d.CheckWritable();
  if (d.fd >= 0) BuilderError("O documento XML já está a ser gravado em " + d.target + ".");
  d.fd = d.CreateTemp(path, d.temp);
  d.target = path;
}

XmlNode XmlDocument::Root() {
  return XmlNode(this, 0, impl_->nodes[0].generation);
}

void XmlDocument::SaveToFile(const std::string& path) {
  Impl& d = *impl_;
  const bool streaming = d.fd >= 0 || !d.target.empty();
  if (streaming) {
    if (d.fd < 0) BuilderError("O documento XML já foi gravado.");
    if (path != d.target) {
      BuilderError("O documento XML está a ser gravado em " + d.target + ", não em " + path + ".");
    }
    try {
      if (d.writeError != 0) WriteError(path, d.writeError);
      d.Finish();
      d.Flush();
    } catch (...) {
      // Whatever stopped the writing, no half file stays beside the target;
      // the failure itself goes on to the caller.
      d.Discard();
      throw;
    }
    d.Commit(path);
    return;
  }
  if (!d.finished) d.Finish();
  d.fd = d.CreateTemp(path, d.temp);
  if (!WriteAll(d.fd, d.out.data(), d.out.size())) {
    int err = errno;
    d.Discard();
    WriteError(path, err);
  }
  d.Commit(path);
}

std::string XmlDocument::ToString() {
  Impl& d = *impl_;
  if (!d.target.empty()) BuilderError("O documento XML está a ser gravado num ficheiro.");
  if (d.finished) return d.out;
  std::string s = d.out;
  if (!d.declarationWritten) s += kDeclaration;
  d.Serialize(0, s, false);
  return s;
}

}  // namespace saftpt
