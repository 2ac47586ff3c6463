#include "audit/SchemaValidation.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>

#include "audit/LibraryHandles.h"
#include "audit/SaftFileReader.h"
#include "audit/SaftRules.h"
#include "audit/ValidatedParse.h"
#include "base/Error.h"
#include "base/Utf8Path.h"
#include "config/IniFile.h"
#include "config/SettingsLocation.h"
#include "xml/XmlLibrary.h"

namespace saftpt {

namespace {

constexpr const char* kXsdNs = "http://www.w3.org/2001/XMLSchema";
constexpr const char* kVersioningNs = "http://www.w3.org/2007/XMLSchema-versioning";
// A broken file can give an error per element: keep the first ones only.
constexpr size_t kMaxErrors = 1000;
// Longer source lines (a file written on one line) are shown by their element.
constexpr size_t kMaxSource = 300;

// One problem found. The validator reports it before its part is handed on
// and names only the element and the line; the document it is in is known
// once the part comes whole ("placed").
struct Achado {
  ValidationProblem problem;
  int column = 0;
  std::string named;     // element named by a message that came without its node
  std::string nodeText;  // the element's start tag and text, when it was found
  std::string value;     // the value the message quotes
  bool valueRead = false;
  bool placed = false;
};

std::string Str(const xmlChar* s) {
  return s ? reinterpret_cast<const char*>(s) : "";
}

std::string Prop(const xmlNode* n, const char* name) {
  xmlChar* value = xmlGetProp(n, BAD_CAST name);
  std::string text = Str(value);
  xmlFree(value);
  return text;
}

std::string ElementText(const xmlNode* n);

// The text of n's first child element called `name`, without blanks around.
std::string ChildText(const xmlNode* n, const char* name) {
  for (const xmlNode* c = n->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, BAD_CAST name)) {
      xmlChar* content = xmlNodeGetContent(c);
      std::string text = Str(content);
      xmlFree(content);
      size_t b = text.find_first_not_of(" \t\r\n");
      if (b == std::string::npos) return "";
      return text.substr(b, text.find_last_not_of(" \t\r\n") - b + 1);
    }
  return "";
}

// A part of the file as the user knows it: the document's number, the
// customer's or product's code...
std::string Rotulo(const xmlNode* part) {
  static const struct {
    const char* element;
    const char* prefix;
    const char* id;
  } kRotulos[] = {
      {"Invoice", "", "InvoiceNo"},
      {"WorkDocument", "", "DocumentNumber"},
      {"StockMovement", "", "DocumentNumber"},
      {"Payment", "", "PaymentRefNo"},
      {"Customer", "Cliente ", "CustomerID"},
      {"Supplier", "Fornecedor ", "SupplierID"},
      {"Product", "Produto ", "ProductCode"},
      {"Account", "Conta ", "AccountID"},
  };
  for (const auto& r : kRotulos)
    if (xmlStrEqual(part->name, BAD_CAST r.element)) {
      std::string id = ChildText(part, r.id);
      return id.empty() ? "" : r.prefix + id;
    }
  if (xmlStrEqual(part->name, BAD_CAST "Header")) return "Cabeçalho";
  if (xmlStrEqual(part->name, BAD_CAST "TaxTable")) return "Tabela de impostos";
  return "";
}

// What a validator's message is about, for the advice.
Regra Classifica(const std::string& m) {
  auto has = [&m](const char* part) { return m.find(part) != std::string::npos; };
  // The document's totals come where its first line was due.
  bool lineDue = has(" Line ).") && (has("Expected is ( ") || has("Expected is one of ( "));
  if (lineDue && (m.rfind("Element 'DocumentTotals'", 0) == 0 || has("Missing child element")))
    return Regra::kSemLinhas;
  if (has("Expected is ( HashControl )")) return Regra::kSemVersaoChave;
  return Regra::kOutra;
}

class Recolha {
 public:
  explicit Recolha(const std::string& targetNs) : targetNs_(targetNs) {}

  void FromLibxml(const xmlError& e) {
    if (e.domain != XML_FROM_SCHEMASV && e.domain != XML_FROM_SCHEMASP) xml.Guarda(e);
    if (e.level < XML_ERR_ERROR) return;
    Achado a;
    a.problem.message = Clean(Str(BAD_CAST e.message));
    a.column = e.int2;
    a.problem.line = e.line > 0 ? e.line : 0;
    a.problem.rule = Classifica(a.problem.message);
    xmlNode* n = static_cast<xmlNode*>(e.node);
    if (n != nullptr && n->type == XML_ATTRIBUTE_NODE) n = n->parent;
    if (n != nullptr && n->type == XML_ELEMENT_NODE) {
      Place(a, n);
    } else if (e.domain == XML_FROM_SCHEMASV) {
      a.named = NamedElement(a.problem.message);
    } else {
      a.placed = true;  // the parser's: not in any document
    }
    // The same error may come through two channels.
    if (!items.empty() && items.back().problem.line == a.problem.line &&
        items.back().problem.message == a.problem.message)
      return;
    Add(std::move(a));
  }

  void FromRule(xmlNode* n, const std::string& message, Regra rule) {
    Add(OfRule(n, message, rule));
  }

  // A rule's finding at element n, placed while n is in memory, to be added.
  static Achado OfRule(xmlNode* n, const std::string& message, Regra rule) {
    Achado a;
    a.problem.message = message;
    a.problem.rule = rule;
    if (n != nullptr) Place(a, n);
    // The totals of a section are named by the section.
    if (rule == Regra::kTotalDaSeccao) a.problem.document = message.substr(0, message.find(':'));
    a.placed = true;
    return a;
  }

  // The problem is at element n, still in memory.
  static void Place(Achado& a, xmlNode* n) {
    a.problem.element = Str(n->name);
    long line = xmlGetLineNo(n);
    a.problem.line = line > 0 && line < INT_MAX ? static_cast<int>(line) : 0;
    a.nodeText = ElementText(n);
    for (xmlNode* up = n; up != nullptr && up->type == XML_ELEMENT_NODE; up = up->parent) {
      if (a.problem.lineNumber.empty() && xmlStrEqual(up->name, BAD_CAST "Line"))
        a.problem.lineNumber = ChildText(up, "LineNumber");
      if (up->parent == nullptr || RegrasSaft::Contentor(up->parent)) {
        a.problem.document = Rotulo(up);
        break;
      }
    }
    a.placed = true;
  }

  void Add(Achado a) {
    if (items.size() >= kMaxErrors)
      ++omitted;
    else
      items.push_back(std::move(a));
  }

  // "Element 'Invoice': ..." gives "Invoice".
  static std::string NamedElement(const std::string& message) {
    const std::string lead = "Element '";
    if (message.compare(0, lead.size(), lead) != 0) return "";
    size_t end = message.find('\'', lead.size());
    if (end == std::string::npos) return "";
    std::string name = message.substr(lead.size(), end - lead.size());
    if (size_t brace = name.rfind('}'); brace != std::string::npos) name.erase(0, brace + 1);
    return name;
  }

  std::vector<Achado> items;
  size_t omitted = 0;
  PrimeiroErro xml;  // the first error of the XML itself, not of its schema

 private:
  // The validator names elements as {namespace}name; the audit file's own
  // namespace only makes its messages harder to read.
  std::string Clean(std::string m) const {
    while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
    if (!targetNs_.empty()) {
      std::string braced = "{" + targetNs_ + "}";
      for (size_t p; (p = m.find(braced)) != std::string::npos;) m.erase(p, braced.size());
    }
    return m;
  }

  std::string targetNs_;
};

constexpr auto kOnError = &ForwardXmlError<Recolha, &Recolha::FromLibxml>;

bool IsXsd(const xmlNode* n, const char* name = nullptr) {
  return n->type == XML_ELEMENT_NODE && n->ns != nullptr && Str(n->ns->href) == kXsdNs &&
         (name == nullptr || Str(n->name) == name);
}

bool Repeats(const xmlNode* n) {
  std::string max = Prop(n, "maxOccurs");
  return !max.empty() && max != "0" && max != "1";
}

// XSD 1.0 allows an xs:all only of particles that occur at most once.
bool AllWithRepeats(xmlNode* all) {
  if (Repeats(all)) return true;
  for (xmlNode* c = all->children; c != nullptr; c = c->next)
    if (IsXsd(c) && Repeats(c)) return true;
  return false;
}

struct Esquema {
  XmlDocPtr doc;  // the schema keeps pointing into it
  XmlSchemaPtr schema;
  std::string targetNs;
  bool assertions = false;
  std::vector<Restricao> restricoes;  // taken out of the schema, checked in code
};

// "ns:MasterFiles/ns:Customer" gives MasterFiles, Customer; nothing for a
// path that is not a plain list of children.
std::vector<std::string> Steps(const std::string& xpath) {
  std::vector<std::string> steps;
  size_t begin = 0;
  while (begin <= xpath.size()) {
    size_t end = xpath.find('/', begin);
    if (end == std::string::npos) end = xpath.size();
    std::string step = xpath.substr(begin, end - begin);
    if (size_t colon = step.find(':'); colon != std::string::npos) step.erase(0, colon + 1);
    if (step.empty() || step.find_first_of("@.*|()[] ") != std::string::npos) return {};
    steps.push_back(step);
    begin = end + 1;
  }
  return steps;
}

// A unique, key or keyref on AuditFile, as the code checks it; false when it
// is of a form the code does not know (the validator keeps it then).
bool TakeConstraint(xmlNode* c, Esquema& e) {
  const xmlNode* owner = c->parent;
  if (owner == nullptr || !IsXsd(owner, "element") || Prop(owner, "name") != "AuditFile")
    return false;
  Restricao r;
  r.tipo = Str(c->name) == "keyref" ? Restricao::kReferencia : Restricao::kUnica;
  r.name = Prop(c, "name");
  r.refer = Prop(c, "refer");
  if (size_t colon = r.refer.find(':'); colon != std::string::npos) r.refer.erase(0, colon + 1);
  int fields = 0;
  for (xmlNode* f = c->children; f != nullptr; f = f->next) {
    if (IsXsd(f, "selector")) r.selector = Steps(Prop(f, "xpath"));
    if (IsXsd(f, "field")) {
      std::vector<std::string> steps = Steps(Prop(f, "xpath"));
      if (steps.size() == 1) r.field = steps[0];
      ++fields;
    }
  }
  if (r.selector.empty() || r.field.empty() || fields != 1) return false;
  e.restricoes.push_back(std::move(r));
  return true;
}

void DropVersioningAttributes(xmlNode* n) {
  for (xmlAttr* a = n->properties; a != nullptr;) {
    xmlAttr* next = a->next;
    if (a->ns != nullptr && Str(a->ns->href) == kVersioningNs) xmlRemoveProp(a);
    a = next;
  }
}

// Turns the authority's XSD 1.1 schema into one an XSD 1.0 validator loads:
// assertions out (they are checked in code), the unbounded xs:all of the
// ledger lines made a sequence, 1.1-only attributes dropped. The uniques and
// keyrefs of the whole file are taken out too, and checked in code.
void Adapt(xmlNode* node, Esquema& e) {
  static const char* const kOnly11Elements[] = {"assert", "assertion", "alternative", "openContent",
                                                "defaultOpenContent"};
  static const char* const kOnly11Attributes[] = {"xpathDefaultNamespace",  "defaultAttributes",
                                                  "defaultAttributesApply", "inheritable",
                                                  "notNamespace",           "notQName"};
  for (xmlNode* c = node->children; c != nullptr;) {
    xmlNode* next = c->next;
    if (c->type == XML_ELEMENT_NODE) {
      bool drop = false;
      if (IsXsd(c)) {
        std::string name = Str(c->name);
        for (const char* only : kOnly11Elements) drop = drop || name == only;
        if (name == "assert" || name == "assertion") e.assertions = true;
        // The validator would keep every key of the file in memory.
        if (name == "key" || name == "keyref" || name == "unique") drop = TakeConstraint(c, e);
        if (!drop) {
          if (name == "all" && AllWithRepeats(c)) xmlNodeSetName(c, BAD_CAST "sequence");
          for (const char* attr : kOnly11Attributes) xmlUnsetProp(c, BAD_CAST attr);
        }
      }
      if (drop) {
        xmlUnlinkNode(c);
        xmlFreeNode(c);
      } else {
        DropVersioningAttributes(c);
        Adapt(c, e);
      }
    }
    c = next;
  }
}

std::unique_ptr<Esquema> LoadSchema(const std::string& path) {
  if (!IsReadableFile(path))
    throw Error(Error::kValidation, "Não foi possível ler o esquema " + path + ".");
  auto e = std::make_unique<Esquema>();
  Recolha problems("");
  {
    ThreadErrorsTo to(&problems, kOnError);
    e->doc.reset(xmlReadFile(path.c_str(), nullptr, XML_PARSE_NONET));
  }
  auto first = [&problems] {
    return problems.items.empty() ? std::string() : ": " + problems.items[0].problem.message;
  };
  if (!e->doc) throw Error(Error::kValidation, "O esquema " + path + " não é XML válido" + first());
  xmlNode* root = xmlDocGetRootElement(e->doc.get());
  if (root == nullptr || !IsXsd(root, "schema"))
    throw Error(Error::kValidation, "O ficheiro " + path + " não é um esquema XML.");
  e->targetNs = Prop(root, "targetNamespace");
  DropVersioningAttributes(root);
  for (const char* attr : {"xpathDefaultNamespace", "defaultAttributes"})
    xmlUnsetProp(root, BAD_CAST attr);
  Adapt(root, *e);

  XmlSchemaParserPtr parser(xmlSchemaNewDocParserCtxt(e->doc.get()));
  if (!parser) throw Error(Error::kValidation, "Não foi possível carregar o esquema " + path + ".");
  xmlSchemaSetParserStructuredErrors(parser.get(), kOnError, &problems);
  {
    ThreadErrorsTo to(&problems, kOnError);
    e->schema.reset(xmlSchemaParse(parser.get()));
  }
  if (!e->schema)
    throw Error(Error::kValidation, "Não foi possível carregar o esquema " + path + first());
  return e;
}

// The encoding named in the XML declaration (UTF-8 when there is none).
std::string DeclaredEncoding(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::string head(400, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  if (head.compare(0, 3, "\xEF\xBB\xBF") == 0) head.erase(0, 3);
  if (head.compare(0, 5, "<?xml") != 0) return "UTF-8";
  size_t end = head.find("?>");
  size_t p = head.find("encoding");
  if (p == std::string::npos || p > end) return "UTF-8";
  p = head.find_first_of("\"'", p);
  if (p == std::string::npos) return "UTF-8";
  size_t q = head.find(head[p], p + 1);
  if (q == std::string::npos) return "UTF-8";
  return head.substr(p + 1, q - p - 1);
}

std::string ToUtf8(const std::string& raw, const std::string& encoding) {
  std::string lower;
  for (char ch : encoding) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  if (lower == "utf-8" || lower == "utf8" || raw.empty()) return raw;
  xmlCharEncodingHandler* handler = xmlFindCharEncodingHandler(encoding.c_str());
  if (handler == nullptr) return raw;
  xmlBuffer* in = xmlBufferCreate();
  xmlBuffer* out = xmlBufferCreate();
  xmlBufferAdd(in, BAD_CAST raw.data(), static_cast<int>(raw.size()));
  std::string result = raw;
  if (xmlCharEncInFunc(handler, out, in) >= 0)
    result.assign(reinterpret_cast<const char*>(xmlBufferContent(out)),
                  static_cast<size_t>(xmlBufferLength(out)));
  xmlCharEncCloseFunc(handler);
  xmlBufferFree(in);
  xmlBufferFree(out);
  return result;
}

std::string TrimBlanks(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// At most n bytes, not cutting a UTF-8 character.
std::string CutUtf8(const std::string& s, size_t n) {
  if (s.size() <= n) return s;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n) + "...";
}

// The element's start tag, and its text when it holds only text.
std::string ElementText(const xmlNode* n) {
  std::string name = Str(n->name);
  if (n->ns != nullptr && n->ns->prefix != nullptr) name = Str(n->ns->prefix) + ":" + name;
  std::string text = "<" + name + ">";
  if (n->children != nullptr && n->children == n->last && n->children->type == XML_TEXT_NODE)
    text += CutUtf8(Str(n->children->content), kMaxSource) + "</" + name + ">";
  return text;
}

// Fills in the source text of each problem from the lines of the file.
void AddSources(const std::string& file, std::vector<Achado*>& found) {
  std::set<long> wanted;
  for (const Achado* a : found)
    if (a->problem.line > 0) wanted.insert(a->problem.line);
  std::map<long, std::string> lines;
  if (!wanted.empty()) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    long number = 0;
    long last = *wanted.rbegin();
    while (number < last && std::getline(in, line)) {
      ++number;
      if (wanted.count(number) != 0) {
        if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        lines[number] = std::move(line);
      }
    }
  }
  std::string encoding = DeclaredEncoding(file);
  for (Achado* a : found) {
    auto it = lines.find(a->problem.line);
    if (it == lines.end()) {
      a->problem.source = a->nodeText;
      continue;
    }
    const std::string& raw = it->second;
    std::string text = TrimBlanks(ToUtf8(raw, encoding));
    if (text.size() <= kMaxSource) {
      a->problem.source = text;
    } else if (!a->nodeText.empty()) {
      a->problem.source = a->nodeText;
    } else {
      // Around the parser's column.
      size_t from = a->column > 100 ? static_cast<size_t>(a->column) - 100 : 0;
      if (from >= raw.size()) from = 0;
      std::string part = TrimBlanks(ToUtf8(raw.substr(from, kMaxSource), encoding));
      a->problem.source =
          (from > 0 ? "..." : "") + part + (from + kMaxSource < raw.size() ? "..." : "");
    }
  }
}

// The value a validator's message quotes ("'z' is not a valid value",
// "The value 'z' is not accepted"), when there is one.
std::string QuotedValue(const std::string& message) {
  for (const char* lead : {"The value '", "': '"}) {
    size_t p = message.find(lead);
    if (p == std::string::npos) continue;
    p += std::string_view(lead).size();
    size_t end = message.find('\'', p);
    if (end != std::string::npos) return message.substr(p, end - p);
  }
  return "";
}

std::string Content(const xmlNode* n) {
  xmlChar* c = xmlNodeGetContent(n);
  std::string text = Str(c);
  xmlFree(c);
  return text;
}

// The element of `part` named `name` on `line`; the one holding `value` when
// several are (a file written on one line).
xmlNode* FindIn(xmlNode* part, const std::string& name, long line, const std::string& value) {
  xmlNode* first = nullptr;
  for (xmlNode* cur = part; cur != nullptr;) {
    if (cur->type == XML_ELEMENT_NODE && xmlGetLineNo(cur) == line && name == Str(cur->name)) {
      if (value.empty() || Content(cur) == value) return cur;
      if (first == nullptr) first = cur;
    }
    if (cur->type == XML_ELEMENT_NODE && cur->children != nullptr) {
      cur = cur->children;
      continue;
    }
    while (cur != part && cur->next == nullptr) cur = cur->parent;
    cur = cur == part ? nullptr : cur->next;
  }
  return value.empty() ? first : nullptr;
}

long LastLine(const xmlNode* part) {
  long last = xmlGetLineNo(part);
  for (const xmlNode* c = part->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE) last = std::max(last, LastLine(c));
  return last;
}

// Follows the parts and puts each problem in its document while the
// document is in memory. The validator reports a problem when it reaches it,
// before its part is handed on.
class Lugares {
 public:
  explicit Lugares(Recolha& found) : found_(found) {}

  void Parte(xmlNode* part) {
    long first = xmlGetLineNo(part);
    long last = -1;  // looked for only when a problem waits
    std::string label = Rotulo(part);
    std::string name = Str(part->name);
    Pendentes([&](Achado& a) {
      if (last < 0) last = LastLine(part);
      long line = a.problem.line;
      if (line < first) {
        // Past the previous part's last element (its end tag): still its own.
        if (line >= anterior_.first && anterior_.parent == part->parent &&
            (anterior_.first < line || a.named == anterior_.name))
          a.problem.document = anterior_.label;
        if (a.problem.element.empty()) a.problem.element = a.named;
        a.placed = true;
        return;
      }
      if (line > last) return;
      xmlNode* n = a.named.empty() ? nullptr : FindIn(part, a.named, line, a.value);
      if (n == nullptr && !a.value.empty()) n = FindIn(part, a.named, line, "");
      if (n != nullptr) {
        Recolha::Place(a, n);
      } else if (first < last || a.named == name || a.named.empty()) {
        a.problem.document = label;
        if (a.problem.element.empty()) a.problem.element = a.named;
        a.placed = true;
      }
    });
    anterior_ = {first, label, name, part->parent};
  }

  // The end of the file: the problems left are in no document.
  void Fim() {
    Pendentes([&](Achado& a) {
      if (a.problem.element.empty()) a.problem.element = a.named;
      a.placed = true;
    });
  }

 private:
 private:
  struct Anterior {
    long first = -1;
    std::string label, name;
    xmlNode* parent = nullptr;
  };

  template <typename F>
  void Pendentes(F f) {
    for (; primeiro_ < found_.items.size() && found_.items[primeiro_].placed; ++primeiro_) {
    }
    for (size_t i = primeiro_; i < found_.items.size(); ++i) {
      Achado& a = found_.items[i];
      if (a.placed) continue;
      if (!a.valueRead) {
        a.value = QuotedValue(a.problem.message);
        a.valueRead = true;
      }
      f(a);
    }
  }

  Recolha& found_;
  size_t primeiro_ = 0;
  Anterior anterior_;
};

void SortByLine(std::vector<Achado>& items) {
  std::stable_sort(items.begin(), items.end(), [](const Achado& x, const Achado& y) {
    long lx = x.problem.line > 0 ? x.problem.line : LONG_MAX;
    long ly = y.problem.line > 0 ? y.problem.line : LONG_MAX;
    return lx < ly;
  });
}

}  // namespace

std::string ValidationReport::Erro1006() const {
  if (errors.empty()) return "";
  const ValidationProblem& e = errors.front();
  return e.message + "\n" + "Line: " + std::to_string(e.line) + "\n" + "XML: " + e.source;
}

std::string DefaultSchemaPath() {
  return FindDataFile("SAFTPT1.04_01.xsd");
}

ValidationReport ValidateSaftFile(const std::string& file, const std::string& xsdPath,
                                  const DocumentCallback& documento) {
  InitXmlLibrary();
  if (!IsReadableFile(file))
    throw Error(Error::kValidation, "Não foi possível ler o ficheiro " + file + ".");
  std::unique_ptr<Esquema> schema = LoadSchema(xsdPath);

  Recolha errors(schema->targetNs);
  Recolha warnings(schema->targetNs);
  {
    XmlValidatorPtr validator(xmlSchemaNewValidCtxt(schema->schema.get()));
    if (!validator) throw Error(Error::kValidation, "Sem memória para ler " + file + ".");
    // The parser's errors and the validator's reach `errors` in the order
    // they arise, on the validator's thread, as do the parts.
    xmlSchemaSetValidStructuredErrors(validator.get(), kOnError, &errors);

    // The rules read each part on the parser's thread, where its tree was
    // just built, and place what they find there; it is added on the
    // validator's thread, in the order of old: after the part's schema
    // messages, before the file's own reading of the part.
    struct DaRegra {
      bool aviso;
      Achado achado;
    };
    std::vector<DaRegra> achados;  // the part's, or the end's
    std::mutex passagem;
    std::deque<std::vector<DaRegra>> porParte;  // handed on, a part each
    auto junta = [&achados](bool aviso) {
      return [&achados, aviso](xmlNode* n, const std::string& m, Regra r) {
        achados.push_back({aviso, Recolha::OfRule(n, m, r)});
      };
    };
    auto diz = [&errors, &warnings](std::vector<DaRegra>& found) {
      for (DaRegra& a : found) (a.aviso ? warnings : errors).Add(std::move(a.achado));
      found.clear();
    };
    RegrasSaft rules(schema->targetNs, schema->assertions, schema->restricoes, junta(false),
                     junta(true));
    Lugares lugares(errors);
    DocumentParts documents(false, documento);
    std::optional<ParseOutcome> parse = ParseValidated(
        file, validator.get(),
        [&](xmlNode* part) {
          rules.Parte(part);
          std::lock_guard<std::mutex> lock(passagem);
          porParte.push_back(std::move(achados));
          achados.clear();
        },
        [&errors](const xmlError& e) { errors.FromLibxml(e); },
        [&](xmlNode* part) {
          lugares.Parte(part);
          std::vector<DaRegra> daParte;
          {
            std::lock_guard<std::mutex> lock(passagem);
            daParte = std::move(porParte.front());
            porParte.pop_front();
          }
          diz(daParte);
          if (documento) documents.TakePart(part);
        });
    if (!parse) throw Error(Error::kValidation, "Não foi possível validar " + file + ".");
    if (parse->wellFormed) {
      rules.Fim();
      diz(achados);
    }
    if (!parse->read && errors.items.empty() && errors.omitted == 0)
      errors.FromRule(nullptr, "O ficheiro não é um documento XML.", Regra::kOutra);
    else if (parse->wellFormed && !parse->valid && errors.items.empty() && errors.omitted == 0)
      errors.FromRule(nullptr, "O validador de esquemas falhou sem indicar o erro.", Regra::kOutra);
    lugares.Fim();
    if (documento && (!parse->wellFormed || !errors.xml.message.empty()))
      ThrowNotWellFormed(file, errors.xml);
  }

  SortByLine(errors.items);
  SortByLine(warnings.items);
  std::vector<Achado*> all;
  for (Achado& a : errors.items) all.push_back(&a);
  for (Achado& a : warnings.items) all.push_back(&a);
  AddSources(file, all);

  ValidationReport report;
  for (Achado& a : errors.items) report.errors.push_back(std::move(a.problem));
  for (Achado& a : warnings.items) report.warnings.push_back(std::move(a.problem));
  report.omitted = errors.omitted;
  return report;
}

}  // namespace saftpt
