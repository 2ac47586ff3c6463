// Placeholder: replaced by the real implementation.
#include "saft/ValueFormat.h"

#include "config/Error.h"

namespace saftpt {

std::string FormataData(const DateTime&) { throw Error(Error::kBuilder, "não implementado"); }
std::string FormataDataHora(const DateTime&) { throw Error(Error::kBuilder, "não implementado"); }
std::string FormataNumero(double, int) { throw Error(Error::kBuilder, "não implementado"); }
std::string FormataNumero(const Value&, int) { throw Error(Error::kBuilder, "não implementado"); }
std::string FormataNumero2(double, int, char) { throw Error(Error::kBuilder, "não implementado"); }
double ArredondaNumero(double, int) { throw Error(Error::kBuilder, "não implementado"); }
double ArredondaPar(double, int) { throw Error(Error::kBuilder, "não implementado"); }
std::string remove_caracteres_invalidos(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
void AddValor(XmlNode, std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
