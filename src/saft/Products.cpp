// The fee types as products, and their look-ups read once per run.
#include "saft/Products.h"

#include <map>

#include "base/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr const char* kProdutoDiversos = "DIVERSOS";

// The schema's product types: the stored category in capitals, and a service
// for anything else.
std::string ProductType(const std::string& categoria) {
  std::string tipo = Utf8Upper(Trim(categoria));
  if (tipo == "P" || tipo == "S" || tipo == "O" || tipo == "E" || tipo == "I") return tipo;
  return "S";
}

}  // namespace

// A reference without a category is a service.
std::string ProductCategory(RunContext& ctx, const std::string& productCode) {
  Value categoria = ctx.db.ReadValue("Categoria", "honorarios",
                                     "referencia='" + ctx.db.Escape(productCode) + "'", Value(""));
  return categoria.Text().empty() ? "S" : categoria.Text();
}

std::string ProductCodeText(const RunContext& ctx, const std::string& productCode) {
  return Utf8Left(productCode, ctx.V103() ? 30 : 60);
}

std::string DescriptionOrCode(const std::string& descricao, const std::string& productCode) {
  return Trim(descricao).empty() ? productCode : descricao;
}

namespace {

// A reference not read by ReadHonorarios is looked up alone.
Honorario FindHonorario(RunContext& ctx, const std::string& referencia) {
  ReadHonorarios(ctx);
  auto& lidos = *ctx.reads.honorarios;
  auto it = lidos.find(referencia);
  if (it != lidos.end()) return it->second;
  Honorario h;
  const std::string condicao = "Referencia='" + ctx.db.Escape(referencia) + "'";
  h.referencia =
      ctx.db.ReadValue("Referencia", "honorarios", condicao, Value(std::string())).Text();
  h.descricao = ctx.db.ReadValue("Descricao", "honorarios", condicao, Value("")).Text();
  return lidos[referencia] = h;
}

}  // namespace

void ReadHonorarios(RunContext& ctx) {
  auto& lidos = ctx.reads.honorarios;
  if (lidos) return;
  lidos.emplace();
  Recordset rs = ctx.db.Execute(
      "select r.ref, (select h.Referencia from honorarios h where h.Referencia=r.ref limit 1), "
      "(select h.Descricao from honorarios h where h.Referencia=r.ref limit 1) from (select "
      "Referencia as ref from documentoslinhas where Referencia<>'' group by "
      "cast(Referencia as binary)) r");
  for (; !rs.Eof(); rs.MoveNext())
    (*lidos)[rs.Field(size_t{0}).Text()] = Honorario{rs.Field(1).Text(), rs.Field(2).Text()};
}

std::string ProductDescription(RunContext& ctx, const std::string& productCode) {
  return DescriptionOrCode(FindHonorario(ctx, productCode).descricao, productCode);
}

std::string ProductCode(RunContext& ctx, const Value& referencia) {
  const std::string& ref = referencia.Text();
  if (ref.empty()) return kProdutoDiversos;
  return FindHonorario(ctx, ref).referencia.empty() ? kProdutoDiversos : ref;
}

void WriteProducts(RunContext& ctx, XmlNode masterFiles) {
  ctx.ShowStep(kProductsStep);
  Recordset rs = ctx.db.Execute(
      "select * from honorarios where not referencia is null and referencia<>'' group by "
      "referencia order by referencia");
  const bool v103 = ctx.V103();
  bool temDiversos = false;
  // The categories of all references in one statement, matched by the server
  // as each reference's own look-up would; any other is looked up alone.
  std::map<std::string, std::string> categorias;
  Recordset c = ctx.db.Execute(
      "select r.ref, (select h.Categoria from honorarios h where h.referencia=r.ref limit 1) "
      "from (select referencia as ref from honorarios where not referencia is null and "
      "referencia<>'' group by cast(referencia as binary)) r");
  for (; !c.Eof(); c.MoveNext()) categorias[c.Field(size_t{0}).Text()] = c.Field(1).Text();
  for (; !rs.Eof(); rs.MoveNext()) {
    const std::string referencia = rs.Text("Referencia");
    // The schema wants a description.
    const std::string descricao = DescriptionOrCode(rs.Text("Descricao"), referencia);

    XmlNode produto = masterFiles.NewChild("Product", "");
    auto categoria = categorias.find(referencia);
    AddElement(produto, "ProductType",
               ProductType(categoria == categorias.end() ? ProductCategory(ctx, referencia)
                                                         : categoria->second));
    AddElement(produto, "ProductCode", ProductCodeText(ctx, referencia));
    AddElement(produto, "ProductDescription", Utf8Left(descricao, v103 ? 60 : 200));
    AddElement(produto, "ProductNumberCode", Utf8Left(referencia, v103 ? 50 : 60));
    if (referencia == kProdutoDiversos) temDiversos = true;
  }
  // Document lines without a fee reference point at the catch-all product.
  if (!temDiversos) {
    XmlNode produto = masterFiles.NewChild("Product", "");
    AddElement(produto, "ProductType", "S");
    AddElement(produto, "ProductCode", kProdutoDiversos);
    AddElement(produto, "ProductDescription", kProdutoDiversos);
    AddElement(produto, "ProductNumberCode", kProdutoDiversos);
  }
  rs.Close();
}

}  // namespace saftpt
