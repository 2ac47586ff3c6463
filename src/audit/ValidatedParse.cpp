#include "audit/ValidatedParse.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "audit/LibraryHandles.h"
#include "audit/SaftRules.h"

namespace saftpt {

namespace {

// What the parser saw, in order, for the validator's thread. Names point
// into the parser's dictionary, which outlives the parse and is only ever
// added to; texts are copied, the parser's buffer moving on.
// Kept small: a file has millions of them.
struct Event {
  enum class Kind : uint8_t { kStart, kEnd, kText, kCdata, kReference, kError, kPart };
  Kind kind = Kind::kText;
  uint16_t nbDefaulted = 0;  // kStart
  int line = 0;  // the parser's line when it gave the event, as the validator reports it
  // kText, kCdata, kReference: bytes of Batch::text; kStart: its prefix,
  // URI, namespaces and attributes in Batch::pointers; kError: the index in
  // Batch::errors.
  uint32_t first = 0;
  uint32_t size = 0;  // kStart: its attributes
  uint32_t nbNamespaces = 0;
  union {
    const xmlChar* name;  // kStart: the local name
    xmlNode* part;        // kPart
  };
};
static_assert(sizeof(Event) <= 32);

// Events go to the validator's thread by the batch, not one by one.
struct Batch {
  std::vector<Event> events;
  std::string text;
  // A start's prefix and URI, its namespaces (prefix, URI) then its
  // attributes (name, prefix, URI, value, end); a value and its end are
  // offsets into `text`.
  std::vector<const xmlChar*> pointers;
  std::vector<xmlError> errors;

  // Small enough to stay in the processor's cache between the threads.
  bool Full() const { return events.size() >= 4096 || text.size() >= (size_t{1} << 18); }
  void Clear() {
    events.clear();
    text.clear();
    pointers.clear();
    for (xmlError& e : errors) xmlResetError(&e);
    errors.clear();
  }
  ~Batch() { Clear(); }
};

// The batches between the two threads; a few at most, so that the parser
// never runs far ahead of the validator (the parts wait in memory).
class BatchQueue {
 public:
  void Push(std::unique_ptr<Batch> batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [this] { return full_.size() < kInFlight; });
    full_.push_back(std::move(batch));
    ready_.notify_one();
  }
  // The next batch; none once closed and emptied.
  std::unique_ptr<Batch> Pop() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return !full_.empty() || closed_; });
    if (full_.empty()) return nullptr;
    std::unique_ptr<Batch> batch = std::move(full_.front());
    full_.pop_front();
    room_.notify_one();
    return batch;
  }
  void Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    ready_.notify_all();
  }
  std::unique_ptr<Batch> Spare() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spare_.empty()) return std::make_unique<Batch>();
    std::unique_ptr<Batch> batch = std::move(spare_.back());
    spare_.pop_back();
    return batch;
  }
  void GiveBack(std::unique_ptr<Batch> batch) {
    batch->Clear();
    std::lock_guard<std::mutex> lock(mutex_);
    spare_.push_back(std::move(batch));
  }

 private:
  static constexpr size_t kInFlight = 4;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::unique_ptr<Batch>> full_;
  std::vector<std::unique_ptr<Batch>> spare_;
  bool closed_ = false;
};

// The validator's thread: replays the events to the validator, gives on the
// parser's errors and the parts, and tells how many parts it is done with.
class Replay {
 public:
  Replay(xmlSchemaValidCtxt* validator, xmlSAXHandler* sax, void* data, const std::string& file,
         const std::function<void(const xmlError&)>& problem,
         const std::function<void(xmlNode*)>& part)
      : sax_(sax), data_(data), file_(file), problem_(problem), part_(part) {
    xmlSchemaValidateSetLocator(validator, &Replay::Locate, this);
  }

  void Run(BatchQueue& queue) {
    // The validator's own words on this thread ("Unimplemented block at …"
    // for an entity reference it does not follow) are not the user's.
    xmlSetGenericErrorFunc(nullptr, &DropXmlMessage);
    while (std::unique_ptr<Batch> batch = queue.Pop()) {
      if (!failure_) {
        try {
          Play(*batch);
        } catch (...) {
          // Thrown on the parser's thread once the parse has stopped; the
          // batches still coming are only emptied.
          failure_ = std::current_exception();
          failed_.store(true, std::memory_order_release);
        }
      }
      queue.GiveBack(std::move(batch));
    }
  }

  size_t PartsDone() const { return partsDone_.load(std::memory_order_acquire); }
  bool Failed() const { return failed_.load(std::memory_order_acquire); }
  std::exception_ptr Failure() const { return failure_; }

 private:
  // Where the validator's messages are: the parser's line at the event.
  static int Locate(void* self, const char** file, unsigned long* line) {
    const Replay* r = static_cast<const Replay*>(self);
    if (file != nullptr) *file = r->file_.c_str();
    if (line != nullptr) *line = static_cast<unsigned long>(r->line_);
    return 0;
  }

  void Play(const Batch& batch) {
    const xmlChar* text = reinterpret_cast<const xmlChar*>(batch.text.data());
    for (const Event& e : batch.events) {
      line_ = e.line;
      switch (e.kind) {
        case Event::Kind::kStart: {
          const xmlChar** stored = const_cast<const xmlChar**>(batch.pointers.data() + e.first);
          const xmlChar* prefix = stored[0];
          const xmlChar* uri = stored[1];
          const xmlChar** namespaces = stored + 2;
          const xmlChar* const* attributes = namespaces + 2 * e.nbNamespaces;
          attributes_.assign(attributes, attributes + 5 * e.size);
          for (size_t i = 0; i < e.size; ++i)
            for (size_t end = 3; end <= 4; ++end)
              attributes_[5 * i + end] =
                  text + reinterpret_cast<uintptr_t>(attributes[5 * i + end]);
          open_.push_back({e.name, prefix, uri});
          sax_->startElementNs(data_, e.name, prefix, uri, static_cast<int>(e.nbNamespaces),
                               namespaces, static_cast<int>(e.size), e.nbDefaulted,
                               attributes_.data());
          break;
        }
        case Event::Kind::kEnd: {
          // The parser ends the elements it started, in order.
          const Open o = open_.back();
          open_.pop_back();
          sax_->endElementNs(data_, o.name, o.prefix, o.uri);
          break;
        }
        case Event::Kind::kText:
          sax_->characters(data_, text + e.first, static_cast<int>(e.size));
          break;
        case Event::Kind::kCdata:
          sax_->cdataBlock(data_, text + e.first, static_cast<int>(e.size));
          break;
        case Event::Kind::kReference: {
          std::string name(batch.text, e.first, e.size);
          sax_->reference(data_, BAD_CAST name.c_str());
          break;
        }
        case Event::Kind::kError:
          problem_(batch.errors[e.first]);
          break;
        case Event::Kind::kPart:
          part_(e.part);
          partsDone_.fetch_add(1, std::memory_order_release);
          break;
      }
    }
  }

  xmlSAXHandler* sax_;
  void* data_;
  const std::string& file_;
  const std::function<void(const xmlError&)>& problem_;
  const std::function<void(xmlNode*)>& part_;
  int line_ = 0;
  std::vector<const xmlChar*> attributes_;
  struct Open {
    const xmlChar* name;
    const xmlChar* prefix;
    const xmlChar* uri;
  };
  std::vector<Open> open_;  // the elements started and not yet ended
  std::atomic<size_t> partsDone_{0};
  std::atomic<bool> failed_{false};
  std::exception_ptr failure_;
};

// The parser's side: libxml2's own tree builder, each event also put in the
// batch for the validator, and the parts freed once the validator's thread
// is done with them.
class Record {
 public:
  Record(xmlParserCtxt* ctxt, BatchQueue& queue, const Replay& replay,
         const std::function<void(xmlNode*)>& built)
      : ctxt_(ctxt), queue_(queue), replay_(replay), built_(built), batch_(queue.Spare()) {
    xmlSAXHandler* sax = ctxt->sax;
    sax->startElementNs = &Record::StartElement;
    sax->endElementNs = &Record::EndElement;
    sax->characters = &Record::Characters;
    sax->ignorableWhitespace = &Record::Characters;
    sax->cdataBlock = &Record::Cdata;
    sax->reference = &Record::Reference;
    ctxt->_private = this;
  }

  // The parser's own messages (its thread's structured handler).
  static void XMLCALL Error(void* self, XmlErrorArg error) {
    static_cast<Record*>(self)->Guarded([&](Record& r) {
      r.batch_->errors.emplace_back();
      xmlError& copy = r.batch_->errors.back();
      copy = xmlError{};
      xmlCopyError(error, &copy);
      r.Put(Event::Kind::kError, r.batch_->errors.size() - 1);
      r.Sent();
    });
  }

  // Sends what is left; the caller then closes the queue.
  void Finish() { queue_.Push(std::move(batch_)); }

  std::exception_ptr Failure() const { return failure_; }

 private:
  // Where an element stands for the parts: the root and the containers are
  // walked into; an element right under them is a part; the rest is inside
  // one (see ReadParts).
  enum class Place : uint8_t { kWalked, kPart, kInside };

  // The parts the validator's thread is done with, and what comes before
  // them. A part that is its parent's last child stays while the parser is
  // still in that parent, whose end the tree builder may yet add to.
  void FreeDoneParts() {
    for (size_t done = replay_.PartsDone(); freed_ < done && !parts_.empty(); ++freed_) {
      xmlNode* part = parts_.front();
      if (part->next == nullptr && part->parent == ctxt_->node) break;
      while (part->prev != nullptr) {
        xmlNode* before = part->prev;
        xmlUnlinkNode(before);
        Recycle(before);
      }
      xmlUnlinkNode(part);
      Recycle(part);
      parts_.pop_front();
    }
  }

  // Frees an unlinked subtree as libxml2's streaming reader does: element
  // and text nodes go back to the parser, which builds the next ones from
  // them instead of allocating.
  void Recycle(xmlNode* top) {
    xmlNode* cur = top;
    for (size_t depth = 0;;) {
      while (cur->type == XML_ELEMENT_NODE && cur->children != nullptr &&
             cur->children->parent == cur) {
        cur = cur->children;
        ++depth;
      }
      xmlNode* next = depth == 0 ? nullptr : cur->next;
      xmlNode* parent = cur->parent;
      RecycleOne(cur);
      if (next != nullptr) {
        cur = next;
      } else {
        if (depth == 0) break;
        --depth;
        cur = parent;
        cur->children = nullptr;
        cur->last = nullptr;
      }
    }
  }

  // One node whose children are gone.
  void RecycleOne(xmlNode* n) {
    auto unowned = [this](const xmlChar* s) {
      if (s != nullptr && xmlDictOwns(ctxt_->dict, s) == 0) xmlFree(const_cast<xmlChar*>(s));
    };
    if (n->type == XML_ELEMENT_NODE) {
      if (n->properties != nullptr) xmlFreePropList(n->properties);
      if (n->nsDef != nullptr) xmlFreeNsList(n->nsDef);
      unowned(n->name);
    } else if (n->type == XML_TEXT_NODE) {
      // A short text lives in the node itself.
      if (n->content != reinterpret_cast<xmlChar*>(&n->properties)) unowned(n->content);
    } else {
      xmlFreeNode(n);
      return;
    }
    if (ctxt_->freeElemsNr < kSpareNodes) {
      n->next = ctxt_->freeElems;
      ctxt_->freeElems = n;
      ++ctxt_->freeElemsNr;
    } else {
      xmlFree(n);
    }
  }

  // Enough for the largest parts: a document's nodes come back for the next.
  static constexpr int kSpareNodes = 4096;

  static Record& Of(void* ctx) {
    return *static_cast<Record*>(static_cast<xmlParserCtxt*>(ctx)->_private);
  }

  int Line() const { return ctxt_->input != nullptr ? ctxt_->input->line : 0; }

  // Nothing may be thrown through the parser: a failure stops it and is
  // thrown once it has returned.
  template <typename F>
  void Guarded(F f) {
    if (failure_) return;
    try {
      f(*this);
    } catch (...) {
      failure_ = std::current_exception();
      xmlStopParser(ctxt_);
    }
  }

  // The next event, built in place in the batch; Sent() once it is whole.
  Event& Put(Event::Kind kind, size_t first = 0, size_t size = 0) {
    Event& e = batch_->events.emplace_back();
    e.kind = kind;
    e.line = Line();
    e.first = static_cast<uint32_t>(first);
    e.size = static_cast<uint32_t>(size);
    e.part = nullptr;
    return e;
  }

  // A full batch goes to the validator's thread.
  void Sent() {
    if (batch_->Full()) {
      queue_.Push(std::move(batch_));
      batch_ = queue_.Spare();
      FreeDoneParts();
      if (replay_.Failed()) xmlStopParser(ctxt_);
    }
  }

  size_t AddText(const xmlChar* ch, int len) {
    size_t at = batch_->text.size();
    batch_->text.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(len));
    return at;
  }

  // Blanks after an element's end (the file's indentation, mostly) reach
  // neither the tree nor the validator: the schema ignores blanks among
  // elements and no rule reads them. Only an element of a text type that
  // wrongly holds elements, already reported, loses them from its value.
  // Other blanks reach the validator as they come, and the tree when text or
  // the element's end follows them (an element holding only blanks), not an
  // element's start.
  static bool IsBlank(const xmlChar* ch, int len) {
    for (int i = 0; i < len; ++i)
      if (ch[i] != ' ' && ch[i] != '\n' && ch[i] != '\t' && ch[i] != '\r') return false;
    return true;
  }

  void SendBlanks() {
    if (blanks_.empty()) return;
    const std::string held = std::move(blanks_);
    blanks_.clear();
    afterEnd_ = false;
    xmlSAX2Characters(ctxt_, reinterpret_cast<const xmlChar*>(held.data()),
                      static_cast<int>(held.size()));
  }

  void SendText(const xmlChar* ch, int len) {
    afterEnd_ = false;
    xmlSAX2Characters(ctxt_, ch, len);
    Guarded([&](Record& r) { r.AddTextEvent(Event::Kind::kText, ch, len); });
  }

  static void StartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                           const xmlChar* uri, int nbNamespaces, const xmlChar** namespaces,
                           int nbAttributes, int nbDefaulted, const xmlChar** attributes) {
    Of(ctx).blanks_.clear();
    Of(ctx).afterEnd_ = false;
    xmlSAX2StartElementNs(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes,
                          nbDefaulted, attributes);
    Of(ctx).Guarded([&](Record& r) {
      Place up = r.places_.empty() ? Place::kWalked : r.places_.back();
      Place here = Place::kInside;
      if (r.places_.empty())
        here = Place::kWalked;
      else if (up == Place::kWalked)
        here = RegrasSaft::Contentor(r.ctxt_->node) ? Place::kWalked : Place::kPart;
      r.places_.push_back(here);

      std::vector<const xmlChar*>& p = r.batch_->pointers;
      Event& e = r.Put(Event::Kind::kStart, p.size(), static_cast<size_t>(nbAttributes));
      e.name = localname;
      e.nbNamespaces = static_cast<uint32_t>(nbNamespaces);
      e.nbDefaulted = static_cast<uint16_t>(nbDefaulted);
      p.push_back(prefix);
      p.push_back(uri);
      p.insert(p.end(), namespaces, namespaces + 2 * nbNamespaces);
      for (int i = 0; i < nbAttributes; ++i) {
        const xmlChar* const* a = attributes + 5 * i;
        size_t value = r.AddText(a[3], static_cast<int>(a[4] - a[3]));
        size_t end = r.batch_->text.size();
        p.insert(p.end(), {a[0], a[1], a[2], reinterpret_cast<const xmlChar*>(value),
                           reinterpret_cast<const xmlChar*>(end)});
      }
      r.Sent();
    });
  }

  static void EndElement(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                         const xmlChar* uri) {
    Of(ctx).SendBlanks();
    Of(ctx).afterEnd_ = true;
    xmlNode* element = static_cast<xmlParserCtxt*>(ctx)->node;
    xmlSAX2EndElementNs(ctx, localname, prefix, uri);
    Of(ctx).Guarded([&](Record& r) {
      Place here = Place::kInside;
      if (!r.places_.empty()) {
        here = r.places_.back();
        r.places_.pop_back();
      }
      r.Put(Event::Kind::kEnd);
      if (here == Place::kPart && element != nullptr) {
        r.built_(element);
        r.parts_.push_back(element);
        r.Put(Event::Kind::kPart).part = element;
      }
      r.Sent();
    });
  }

  void AddTextEvent(Event::Kind kind, const xmlChar* ch, int len) {
    size_t at = AddText(ch, len);
    Put(kind, at, static_cast<size_t>(len));
    Sent();
  }

  static void Characters(void* ctx, const xmlChar* ch, int len) {
    Record& r = Of(ctx);
    if (IsBlank(ch, len)) {
      if (r.afterEnd_) return;
      r.blanks_.append(reinterpret_cast<const char*>(ch), static_cast<size_t>(len));
      r.Guarded([&](Record& rr) { rr.AddTextEvent(Event::Kind::kText, ch, len); });
      return;
    }
    r.SendBlanks();
    r.SendText(ch, len);
  }

  static void Cdata(void* ctx, const xmlChar* value, int len) {
    Of(ctx).SendBlanks();
    Of(ctx).afterEnd_ = false;
    xmlSAX2CDataBlock(ctx, value, len);
    Of(ctx).Guarded([&](Record& r) { r.AddTextEvent(Event::Kind::kCdata, value, len); });
  }

  static void Reference(void* ctx, const xmlChar* name) {
    Of(ctx).SendBlanks();
    Of(ctx).afterEnd_ = false;
    xmlSAX2Reference(ctx, name);
    Of(ctx).Guarded(
        [&](Record& r) { r.AddTextEvent(Event::Kind::kReference, name, xmlStrlen(name)); });
  }

  xmlParserCtxt* ctxt_;
  BatchQueue& queue_;
  const Replay& replay_;
  const std::function<void(xmlNode*)>& built_;
  std::unique_ptr<Batch> batch_;
  std::vector<Place> places_;
  std::string blanks_;          // for the tree, if text or an end follows (IsBlank)
  bool afterEnd_ = false;       // the last event was an element's end
  std::deque<xmlNode*> parts_;  // given to the validator's thread, not yet freed
  size_t freed_ = 0;
  std::exception_ptr failure_;
};

using ParserPtr = std::unique_ptr<xmlParserCtxt, FreedBy<xmlFreeParserCtxt>>;
using InputPtr = std::unique_ptr<xmlParserInputBuffer, FreedBy<xmlFreeParserInputBuffer>>;
using PlugPtr = std::unique_ptr<xmlSchemaSAXPlugStruct, FreedBy<xmlSchemaSAXUnplug>>;

// The tree the parser built, freed with its parser.
struct TreeOf {
  xmlParserCtxt* ctxt;
  ~TreeOf() {
    if (ctxt->myDoc != nullptr) xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
  }
};

// The file goes to the parser this much at a time.
constexpr int kChunk = 1 << 16;

}  // namespace

std::optional<ParseOutcome> ParseValidated(const std::string& file, xmlSchemaValidCtxt* validator,
                                           const std::function<void(xmlNode*)>& built,
                                           const std::function<void(const xmlError&)>& problem,
                                           const std::function<void(xmlNode*)>& part) {
  // libxml2's own input reads the file as its streaming reader does (a path
  // in UTF-8 on Windows too, a compressed file); the bytes are pushed to the
  // parser as that reader pushes them, so that it stops at the first fatal
  // error as the reader did.
  InputPtr input(xmlParserInputBufferCreateFilename(file.c_str(), XML_CHAR_ENCODING_NONE));
  if (!input || input->readcallback == nullptr) return std::nullopt;
  std::vector<char> chunk(kChunk);
  auto read = [&input, &chunk] {
    return input->readcallback(input->context, chunk.data(), static_cast<int>(chunk.size()));
  };
  int size = read();
  if (size < 0) return std::nullopt;
  // The first bytes tell the encoding.
  const int head = size < 4 ? size : 4;
  ParserPtr ctxt(xmlCreatePushParserCtxt(nullptr, nullptr, chunk.data(), head, file.c_str()));
  if (!ctxt) return std::nullopt;
  // Audit files of a whole year pass libxml2's default size limits.
  xmlCtxtUseOptions(ctxt.get(),
                    XML_PARSE_HUGE | XML_PARSE_BIG_LINES | XML_PARSE_NONET | XML_PARSE_COMPACT);
  // Entities are copied into the tree as the streaming reader has them.
  ctxt->parseMode = XML_PARSE_READER;
  TreeOf tree{ctxt.get()};

  xmlSAXHandler* sax = nullptr;
  void* data = nullptr;
  PlugPtr plug(xmlSchemaSAXPlug(validator, &sax, &data));
  if (!plug) return std::nullopt;

  BatchQueue queue;
  Replay replay(validator, sax, data, file, problem, part);
  Record record(ctxt.get(), queue, replay, built);
  {
    std::thread worker([&queue, &replay] { replay.Run(queue); });
    // The thread is joined however this block is left.
    struct Join {
      BatchQueue& queue;
      std::thread& worker;
      ~Join() {
        queue.Close();
        worker.join();
      }
    } join{queue, worker};
    {
      // The parser's errors go in the stream; libxml2's unstructured
      // repeats of them ("xmlParseChunk: encoder error") are dropped.
      ThreadErrorsTo errors(&record, &Record::Error, true);
      bool stopped = false;
      for (int from = head; size > 0 && !stopped; from = 0, size = read()) {
        xmlParseChunk(ctxt.get(), chunk.data() + from, size - from, 0);
        stopped = ctxt->disableSAX != 0 || ctxt->instate == XML_PARSER_EOF;
      }
      xmlParseChunk(ctxt.get(), nullptr, 0, 1);
    }
    record.Finish();
  }

  ParseOutcome outcome;
  outcome.wellFormed = ctxt->wellFormed != 0;
  outcome.read = ctxt->myDoc != nullptr && ctxt->myDoc->children != nullptr;
  outcome.valid = xmlSchemaIsValid(validator) == 1;
  if (replay.Failure()) std::rethrow_exception(replay.Failure());
  if (record.Failure()) std::rethrow_exception(record.Failure());
  return outcome;
}

}  // namespace saftpt
