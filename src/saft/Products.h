// The products of the master files (the office's fee types, one per distinct
// reference, plus the catch-all "DIVERSOS") and what the document lines look
// up of them by reference.
#ifndef SAFTPT_SAFT_PRODUCTS_H_
#define SAFTPT_SAFT_PRODUCTS_H_

#include <string>

#include "db/Database.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

void WriteProducts(RunContext& ctx, XmlNode masterFiles);

// A line's product code: its reference when it is a fee type, otherwise
// "DIVERSOS".
std::string ProductCode(RunContext& ctx, const Value& referencia);
// The fee types of every reference the lines carry, read once per run, each
// matched by the server with the catalogue's own comparison (its collation).
void ReadHonorarios(RunContext& ctx);
// The fee type's description; a reference without one is described by itself.
std::string ProductDescription(RunContext& ctx, const std::string& productCode);
// The stored category; "S" (a service) without one.
std::string ProductCategory(RunContext& ctx, const std::string& productCode);
// The "ProductCode" as the file writes it, cut to the version's width: the
// products and the lines that point at them alike.
std::string ProductCodeText(const RunContext& ctx, const std::string& productCode);
// A fee type's description; a blank one is described by its reference.
std::string DescriptionOrCode(const std::string& descricao, const std::string& productCode);

}  // namespace saftpt

#endif  // SAFTPT_SAFT_PRODUCTS_H_
