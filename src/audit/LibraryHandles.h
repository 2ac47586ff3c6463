// How the file checks hold the objects of libxml2 and OpenSSL (each freed by
// its library's own function) and receive libxml2's errors.
#ifndef SAFTPT_AUDIT_LIBRARYHANDLES_H_
#define SAFTPT_AUDIT_LIBRARYHANDLES_H_

#include <libxml/globals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>
#include <libxml/xmlversion.h>
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace saftpt {

template <auto free>
struct FreedBy {
  template <typename T>
  void operator()(T* object) const {
    free(object);
  }
};

using XmlDocPtr = std::unique_ptr<xmlDoc, FreedBy<xmlFreeDoc>>;
using XmlReaderPtr = std::unique_ptr<xmlTextReader, FreedBy<xmlFreeTextReader>>;
using XmlSchemaPtr = std::unique_ptr<xmlSchema, FreedBy<xmlSchemaFree>>;
using XmlSchemaParserPtr = std::unique_ptr<xmlSchemaParserCtxt, FreedBy<xmlSchemaFreeParserCtxt>>;
using XmlValidatorPtr = std::unique_ptr<xmlSchemaValidCtxt, FreedBy<xmlSchemaFreeValidCtxt>>;
using BioPtr = std::unique_ptr<BIO, FreedBy<BIO_free>>;
using X509Ptr = std::unique_ptr<X509, FreedBy<X509_free>>;
using MdContextPtr = std::unique_ptr<EVP_MD_CTX, FreedBy<EVP_MD_CTX_free>>;

// libxml2 2.12 made the error of its structured handlers const.
#if LIBXML_VERSION >= 21200
using XmlErrorArg = const xmlError*;
#else
using XmlErrorArg = xmlError*;
#endif

// A structured error handler that gives each error to `take` of the object
// registered as the handler's data.
template <typename Sink, void (Sink::*take)(const xmlError&)>
void XMLCALL ForwardXmlError(void* data, XmlErrorArg error) {
  (static_cast<Sink*>(data)->*take)(*error);
}

// A generic (unstructured) error handler that drops the message: libxml2
// repeats some structured errors that way, and has notes of its own that are
// not the user's.
inline void XMLCDECL DropXmlMessage(void* /*context*/, const char* /*message*/, ...) {}

// Sends this thread's libxml2 errors to `handler` with `context` while it
// lives, then puts back the thread's own handlers. With `quiet`, the
// unstructured messages are dropped meanwhile.
class ThreadErrorsTo {
 public:
  ThreadErrorsTo(void* context, xmlStructuredErrorFunc handler, bool quiet = false)
      : handler_(xmlStructuredError),
        context_(xmlStructuredErrorContext),
        generic_(xmlGenericError),
        genericContext_(xmlGenericErrorContext),
        quiet_(quiet) {
    xmlSetStructuredErrorFunc(context, handler);
    if (quiet_) xmlSetGenericErrorFunc(nullptr, &DropXmlMessage);
  }
  ~ThreadErrorsTo() {
    xmlSetStructuredErrorFunc(context_, handler_);
    if (quiet_) xmlSetGenericErrorFunc(genericContext_, generic_);
  }
  ThreadErrorsTo(const ThreadErrorsTo&) = delete;
  ThreadErrorsTo& operator=(const ThreadErrorsTo&) = delete;

 private:
  xmlStructuredErrorFunc handler_;
  void* context_;
  xmlGenericErrorFunc generic_;
  void* genericContext_;
  bool quiet_;
};

}  // namespace saftpt

#endif  // SAFTPT_AUDIT_LIBRARYHANDLES_H_
