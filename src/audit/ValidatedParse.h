// Parses an audit file once, its schema checked on a thread of its own.
//
// The parser builds each part of the file (as ReadParts gives them) while a
// second thread feeds the parser's events to the schema validator and then
// hands on the parts: the validator and the checks that follow it take as
// long as parsing and building the tree, so the two halves run side by side.
#ifndef SAFTPT_AUDIT_VALIDATEDPARSE_H_
#define SAFTPT_AUDIT_VALIDATEDPARSE_H_

#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

#include <functional>
#include <optional>
#include <string>

namespace saftpt {

struct ParseOutcome {
  bool wellFormed = false;  // the parser reached the end without a fatal error
  bool read = false;        // the file had any node at all
  bool valid = false;       // the validator found nothing wrong
};

// Parses `file` with `validator` checking it. `built` receives each part on
// the parser's thread as soon as its tree is whole, while it is still in the
// processor's cache; it must not report anything itself. `problem` receives
// the parser's errors and `part` each part again, on the validator's thread
// and in the order they arise: a part comes after every message up to its
// end tag. The validator's own messages go to its structured handler, on
// that thread too, in the same order. A part is freed after `part` returns;
// what `built`, `part` or `problem` throws stops the parse and is thrown
// here. Nothing when the file cannot be opened or the validator not plugged
// in.
std::optional<ParseOutcome> ParseValidated(const std::string& file, xmlSchemaValidCtxt* validator,
                                           const std::function<void(xmlNode*)>& built,
                                           const std::function<void(const xmlError&)>& problem,
                                           const std::function<void(xmlNode*)>& part);

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_VALIDATEDPARSE_H_
