// Placeholder: replaced by the real implementation.
#include "config/Utf8.h"

#include "config/Error.h"

namespace saftpt {

char32_t NextCodePoint(std::string_view, size_t&) { throw Error(Error::kBuilder, "não implementado"); }
void AppendUtf8(std::string&, char32_t) { throw Error(Error::kBuilder, "não implementado"); }
size_t Utf8Length(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
std::string Utf8Left(std::string_view, size_t) { throw Error(Error::kBuilder, "não implementado"); }
std::string Trim(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
std::string RemoveSpaces(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
std::string ReplaceAll(std::string_view, std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
std::string Utf8Upper(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
int Windows1252Byte(char32_t) { throw Error(Error::kBuilder, "não implementado"); }
char32_t Windows1252CodePoint(unsigned char) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
