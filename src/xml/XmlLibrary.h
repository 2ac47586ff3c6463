// libxml2 made ready for reading audit files, once per process.
#ifndef SAFTPT_XML_XMLLIBRARY_H_
#define SAFTPT_XML_XMLLIBRARY_H_

namespace saftpt {

// Initialises the parser and teaches it Windows-1252, the audit file's
// encoding, from the program's own table: a libxml2 built without iconv (as
// the Windows build's is) knows none, and iconv's is slow.
void InitXmlLibrary();

}  // namespace saftpt

#endif  // SAFTPT_XML_XMLLIBRARY_H_
