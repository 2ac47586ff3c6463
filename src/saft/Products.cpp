// The products of the master files (the office's fee types, one per distinct
// reference, plus the catch-all "DIVERSOS") and the look-ups the document
// lines make by reference.
#include <exception>
#include <map>
#include <string>

#include "config/Utf8.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

constexpr const char* kProdutoDiversos = "DIVERSOS";

// The schema's product types: the stored category in capitals, and a service
// for anything else.
std::string TipoProduto(const std::string& categoria) {
  std::string tipo = Utf8Upper(Trim(categoria));
  if (tipo == "P" || tipo == "S" || tipo == "O" || tipo == "E" || tipo == "I") return tipo;
  return "S";
}

}  // namespace

// Never fails: a reference without a category, or a failed look-up, is a
// service.
std::string clsSAFT::CategoriaProduto(const std::string& ProductCode) {
  try {
    Value categoria = db_.ObtemValor("Categoria", "honorarios",
                                     "referencia='" + db_.Escape(ProductCode) + "'", Value(""));
    if (!categoria.text().empty()) return categoria.text();
  } catch (const std::exception&) {
  }
  return "S";
}

// The fee types of every reference the lines carry, read once per run: the
// server matches them with the catalogue's own comparison (its collation).
// A reference not read then is looked up alone.
Honorario clsSAFT::ProcuraHonorario(const std::string& referencia) {
  auto& lidos = Leituras().honorarios;
  if (!lidos) {
    lidos.emplace();
    try {
      Recordset rs = db_.Execute(
          "select r.ref, (select h.Referencia from honorarios h where h.Referencia=r.ref limit 1), "
          "(select h.Descricao from honorarios h where h.Referencia=r.ref limit 1) from (select "
          "Referencia as ref from documentoslinhas where Referencia<>'' group by "
          "cast(Referencia as binary)) r");
      for (; !rs.eof(); rs.moveNext())
        (*lidos)[rs.field(size_t{0}).text()] = Honorario{rs.field(1).text(), rs.field(2).text()};
    } catch (const std::exception&) {
      // Looked up one by one, with their own errors.
    }
  }
  auto it = lidos->find(referencia);
  if (it != lidos->end()) return it->second;
  Honorario h;
  h.referencia = db_.ObtemValor("Referencia", "honorarios",
                                "Referencia='" + db_.Escape(referencia) + "'", Value(std::string()))
                     .text();
  h.descricao = db_.ObtemValor("Descricao", "honorarios",
                               "Referencia='" + db_.Escape(referencia) + "'", Value(""))
                    .text();
  return (*lidos)[referencia] = h;
}

// A reference without a description is described by itself.
std::string clsSAFT::GetProductDescription(const std::string& ProductCode) {
  std::string descricao = ProcuraHonorario(ProductCode).descricao;
  if (Trim(descricao).empty()) return ProductCode;
  return descricao;
}

std::string clsSAFT::CodigoProduto(const Value& referencia) {
  const std::string& ref = referencia.text();
  if (ref.empty()) return kProdutoDiversos;
  return ProcuraHonorario(ref).referencia.empty() ? kProdutoDiversos : ref;
}

void clsSAFT::AddProducts(XmlNode node) {
  progress_.MostraProgresso(5, "");
  Recordset rs = db_.Execute(
      "select * from honorarios where not referencia is null and referencia<>'' group by "
      "referencia order by referencia");
  const bool v103 = versao == 3;
  bool temDiversos = false;
  // The categories of all references in one statement, matched by the server
  // as each reference's own look-up would; any other is looked up alone.
  std::map<std::string, std::string> categorias;
  try {
    Recordset c = db_.Execute(
        "select r.ref, (select h.Categoria from honorarios h where h.referencia=r.ref limit 1) "
        "from (select referencia as ref from honorarios where not referencia is null and "
        "referencia<>'' group by cast(referencia as binary)) r");
    for (; !c.eof(); c.moveNext()) categorias[c.field(size_t{0}).text()] = c.field(1).text();
  } catch (const std::exception&) {
    categorias.clear();
  }
  for (; !rs.eof(); rs.moveNext()) {
    const std::string referencia = rs.text("Referencia");
    // The schema wants a description: a fee type without one is described by
    // its reference, as the document lines do.
    std::string descricao = rs.text("Descricao");
    if (Trim(descricao).empty()) descricao = referencia;

    XmlNode produto = node.NewChild("Product", "");
    auto categoria = categorias.find(referencia);
    AddValor(produto, "ProductType",
             TipoProduto(categoria == categorias.end() ? CategoriaProduto(referencia)
                                                       : categoria->second));
    AddValor(produto, "ProductCode", Utf8Left(referencia, v103 ? 30 : 60));
    AddValor(produto, "ProductDescription", Utf8Left(descricao, v103 ? 60 : 200));
    AddValor(produto, "ProductNumberCode", Utf8Left(referencia, v103 ? 50 : 60));
    if (referencia == kProdutoDiversos) temDiversos = true;
  }
  // Document lines without a fee reference point at the catch-all product.
  if (!temDiversos) {
    XmlNode produto = node.NewChild("Product", "");
    AddValor(produto, "ProductType", "S");
    AddValor(produto, "ProductCode", kProdutoDiversos);
    AddValor(produto, "ProductDescription", kProdutoDiversos);
    AddValor(produto, "ProductNumberCode", kProdutoDiversos);
  }
  rs.close();
}

}  // namespace saftpt
