#include "app/Version.h"

#include "BuildInfo.h"

namespace saftpt {

std::string ProgramVersion() {
  return SAFTPT_VERSION;
}

std::string VersionText(const std::string& programa) {
  return programa + " " + ProgramVersion() +
         "\nNIF do produtor do software (ProductCompanyTaxID): " SAFTPT_PRODUCT_COMPANY_TAX_ID
         "\nN.º do certificado do software: " SAFTPT_SOFTWARE_CERTIFICATE_NUMBER;
}

}  // namespace saftpt
