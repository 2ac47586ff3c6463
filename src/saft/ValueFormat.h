// How values are written into the audit file: ISO dates, amounts with a point
// whatever the regional settings, texts without control characters.
#ifndef SAFTPT_SAFT_VALUEFORMAT_H_
#define SAFTPT_SAFT_VALUEFORMAT_H_

#include <string>
#include <string_view>

#include "config/Database.h"
#include "config/DateTime.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// "yyyy-mm-dd".
std::string FormataData(const DateTime& d);
// "yyyy-mm-ddThh:mm:ss".
std::string FormataDataHora(const DateTime& d);

// An amount with a point. With 0 places: the shortest text of the value (up
// to 15 significant digits, as the old runtime printed doubles; 2.5 stays
// 2.5). With places: exactly that many decimals, the value's 15-significant-
// digit decimal form rounded half away from zero (2.675 gives 2.68).
std::string FormataNumero(double v, int casasdecimais);
// The same for a stored value: Null gives "0" (0 places) or "0.00"; a text
// that is no number throws Error.
std::string FormataNumero(const Value& v, int casasdecimais);
// As FormataNumero, but with the given decimal separator (the user's regional
// one) when places are asked for.
std::string FormataNumero2(double v, int casasdecimais, char separadorDecimal);

// The value rounded to `places` decimals half away from zero, as
// FormataNumero prints it (what FormataNumero2 read back gives).
double ArredondaNumero(double v, int places);
// The value rounded to `places` decimals, halves to even (the old runtime's
// Round function).
double ArredondaPar(double v, int places);

// The text without characters below 32 (tab, line feed, carriage return...).
std::string remove_caracteres_invalidos(std::string_view Valor);
// Appends <Chave>cleaned Valor</Chave> to node; an empty text still writes
// the element.
void AddValor(XmlNode node, std::string_view Chave, std::string_view Valor);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_VALUEFORMAT_H_
