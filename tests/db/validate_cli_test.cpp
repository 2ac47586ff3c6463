// `saftpt validate` as a user runs it: what it prints and its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "CliRun.h"

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

const std::string kXsd = std::string(SAFTPT_SOURCE_DIR) + "/data/SAFTPT1.04_01.xsd";
const std::string kValid =
    std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/validation/valid-1.04_01.xml";

class ValidateCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("saftpt_validate_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `saftpt validate` with these arguments; returns its exit status.
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "validate");
    CliResult r = RunCli(std::move(args), dir_);
    out_ = r.out;
    err_ = r.err;
    return r.status;
  }

  // The valid file with the first `from` replaced by `to`.
  std::string Copy(const std::string& from, const std::string& to) {
    std::string text = FileText(kValid);
    text.replace(text.find(from), from.size(), to);
    std::string path = (dir_ / "copy.xml").string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  fs::path dir_;
  std::string out_, err_;
};

TEST_F(ValidateCliTest, ValidFileExitsZero) {
  EXPECT_EQ(Run({kValid, "--xsd", kXsd}), 0) << out_ << err_;
  EXPECT_EQ(out_, "Ficheiro válido.\n");
  // The schema beside the program, without --xsd.
  EXPECT_EQ(Run({kValid}), 0) << out_ << err_;
  EXPECT_EQ(out_, "Ficheiro válido.\n");
}

TEST_F(ValidateCliTest, WarningsAreShownButTheFileIsValid) {
  std::string file = Copy("<TotalCredit>100.00</TotalCredit>", "<TotalCredit>100.01</TotalCredit>");
  EXPECT_EQ(Run({file, "--xsd", kXsd}), 0) << out_ << err_;
  EXPECT_NE(out_.find("Avisos (1):\n  Linha 60, TotalCredit: "), std::string::npos) << out_;
  EXPECT_NE(out_.find("Ficheiro válido."), std::string::npos) << out_;
}

TEST_F(ValidateCliTest, InvalidFilePrintsTheFirstErrorFirst) {
  std::string file = Copy("<City>Lisboa</City>", "");
  EXPECT_EQ(Run({file, "--xsd", kXsd}), 1) << err_;
  EXPECT_EQ(out_.rfind("Element 'PostalCode': This element is not expected.", 0), 0u) << out_;
  EXPECT_NE(out_.find("\nLine: 12\nXML: <PostalCode>1100-150</PostalCode>\n"), std::string::npos)
      << out_;
  EXPECT_NE(out_.find("Ficheiro inválido."), std::string::npos);
}

TEST_F(ValidateCliTest, UnreadableFileOrSchemaExitsTwo) {
  EXPECT_EQ(Run({(dir_ / "none.xml").string(), "--xsd", kXsd}), 2);
  EXPECT_NE(err_.find("none.xml"), std::string::npos) << err_;
  EXPECT_EQ(out_, "");
  EXPECT_EQ(Run({kValid, "--xsd", (dir_ / "none.xsd").string()}), 2);
  EXPECT_NE(err_.find("none.xsd"), std::string::npos) << err_;
}

}  // namespace
}  // namespace saftpt::test
