// How values are written into the audit file: ISO dates, amounts with a point
// whatever the regional settings, texts without control characters.
#ifndef SAFTPT_SAFT_VALUEFORMAT_H_
#define SAFTPT_SAFT_VALUEFORMAT_H_

#include <string>
#include <string_view>

#include "base/DateTime.h"
#include "db/Database.h"
#include "xml/XmlDocument.h"

namespace saftpt {

// "yyyy-mm-dd".
std::string FormatDate(const DateTime& d);
// "yyyy-mm-ddThh:mm:ss".
std::string FormatDateTime(const DateTime& d);

// An amount with a point. With 0 places: the shortest text of the value (up
// to 15 significant digits, as the old runtime printed doubles; 2.5 stays
// 2.5). With places: exactly that many decimals, the value's 15-significant-
// digit decimal form rounded half away from zero (2.675 gives 2.68).
std::string FormatNumber(double v, int places);
// The same for a stored value: Null gives "0" (0 places) or "0.00"; a text
// that is no number throws Error.
std::string FormatNumber(const Value& v, int places);
// As FormatNumber, but with the given decimal separator (the user's regional
// one) when places are asked for.
std::string FormatNumberWithSeparator(double v, int places, char decimalSeparator);

// The value rounded to `places` decimals half away from zero, as
// FormatNumber prints it (what FormatNumberWithSeparator read back gives).
double RoundHalfAway(double v, int places);
// The value rounded to `places` decimals, halves to even (the old runtime's
// Round function).
double RoundHalfEven(double v, int places);

// The text without characters below 32 (tab, line feed, carriage return...).
std::string RemoveControlCharacters(std::string_view text);
// Appends <tag>cleaned text</tag> to node; an empty text still writes
// the element.
void AddElement(XmlNode node, std::string_view tag, std::string_view text);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_VALUEFORMAT_H_
