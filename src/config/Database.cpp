// Placeholder: replaced by the real implementation.
#include "config/Database.h"

#include "config/Error.h"

namespace saftpt {

bool Value::isNumeric() const { throw Error(Error::kBuilder, "não implementado"); }
double Value::number(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
long long Value::integer(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
bool Value::boolean(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
DateTime Value::date(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
Recordset::Recordset(Recordset&&) noexcept {}
Recordset& Recordset::operator=(Recordset&&) noexcept { return *this; }
Recordset::~Recordset() {}
bool Recordset::eof() const { throw Error(Error::kBuilder, "não implementado"); }
void Recordset::moveNext() { throw Error(Error::kBuilder, "não implementado"); }
void Recordset::moveFirst() { throw Error(Error::kBuilder, "não implementado"); }
uint64_t Recordset::recordCount() const { throw Error(Error::kBuilder, "não implementado"); }
size_t Recordset::fieldCount() const { throw Error(Error::kBuilder, "não implementado"); }
const std::string& Recordset::fieldName(size_t) const { throw Error(Error::kBuilder, "não implementado"); }
bool Recordset::hasField(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
Value Recordset::field(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
Value Recordset::field(size_t) const { throw Error(Error::kBuilder, "não implementado"); }
std::string Recordset::text(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
bool Recordset::isNull(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
void Recordset::close() {}
Database::Database() {}
Database::~Database() {}
void Database::Open(const ConnectionSettings&) { throw Error(Error::kBuilder, "não implementado"); }
void Database::Close() {}
Recordset Database::Execute(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
uint64_t Database::ExecuteUpdate(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string Database::Escape(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
std::string Database::Number(std::string_view) const { throw Error(Error::kBuilder, "não implementado"); }
bool Database::ExisteCampo(std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
long long Database::ContaTotal(std::string_view, std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
double Database::SomaTotal(std::string_view, std::string_view, std::string_view) { throw Error(Error::kBuilder, "não implementado"); }
Value Database::ObtemValor(std::string_view, std::string_view, std::string_view, const Value&) { throw Error(Error::kBuilder, "não implementado"); }
std::string AsciiLower(std::string_view) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
