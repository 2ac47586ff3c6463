#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/Error.h"
#include "xml/XmlDocument.h"

namespace saftpt {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"Windows-1252\"?>\n";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool WellFormed(const std::string& text) {
  xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "t.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  xmlFreeDoc(doc);
  return true;
}

// Runs `body` in a child process and returns its exit code (or 100 + the
// signal that ended it).
int RunInChild(const std::function<int()>& body) {
  pid_t pid = fork();
  if (pid == 0) {
    int code = 99;
    try {
      code = body();
    } catch (...) {
      code = 98;
    }
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return 100 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

class XmlDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "saftpt-xml-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    chmod(folder_.c_str(), 0755);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Path(const std::string& name) const { return folder_ + "/" + name; }

  std::string folder_;
};

// The frame of an audit file, as the builder writes it.
void BuildSmall(XmlDocument& doc) {
  doc.SetEncoding("Windows-1252");
  XmlNode root = doc.Root();
  root.SetTag("AuditFile");
  root.AddAttribute("xmlns", "urn:OECD:StandardAuditFile-Tax:PT_1.04_01");
  root.AddAttribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
  XmlNode header = root.NewChild("Header", "");
  header.AddAttribute("xmlns", "urn:OECD:StandardAuditFile-Tax:PT_1.04_01");
  header.NewChild("AuditFileVersion", "1.04_01");
  header.NewChild("CompanyName", "Sousa & Filhos, Lda. <Porto>");
  header.NewChild("ProductID", "NORTA SISTEMA DE FACTURA\u00c7\u00c3O/QUINTAVELA");
  header.NewChild("HeaderComment", "");
  XmlNode master = root.NewChild("MasterFiles", "");
  XmlNode customer = master.NewChild("Customer", "");
  customer.NewChild("CompanyName", "\u0141ukasz Caf\u00e9 \u20ac");
  XmlNode source = root.NewChild("SourceDocuments", "");
  XmlNode payments = source.NewChild("Payments", "");
  payments.NewChild("TotalCredit", "12.50");
  payments.NewChild("Payment", "").NewChild("PaymentRefNo", "RC A/1");
}

TEST_F(XmlDocumentTest, WritesTheWholeFileAsTheGoldenText) {
  const std::string expected =
      ReadFile(std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/xml/small.xml");
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(WellFormed(expected));
  XmlDocument memory;
  BuildSmall(memory);
  EXPECT_EQ(memory.ToString(), expected);
  memory.SaveToFile(Path("memory.xml"));
  EXPECT_EQ(ReadFile(Path("memory.xml")), expected);

  XmlDocument streamed;
  streamed.StreamTo(Path("streamed.xml"));
  BuildSmall(streamed);
  EXPECT_THROW(streamed.ToString(), Error);
  streamed.SaveToFile(Path("streamed.xml"));
  EXPECT_EQ(ReadFile(Path("streamed.xml")), expected);
  EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"memory.xml", "streamed.xml"}));
}

TEST_F(XmlDocumentTest, EmptyDocumentAndAttributes) {
  XmlDocument doc;
  EXPECT_EQ(doc.ToString(), std::string(kDeclaration) + "<root/>\n");
  XmlNode root = doc.Root();
  root.SetTag("AuditFile");
  root.AddAttribute("a", "\"1\" & '2'");
  EXPECT_THROW(root.AddAttribute("a", "again"), Error);
  root.AddAttribute("xmlns:xsi", "c");
  EXPECT_EQ(doc.ToString(),
            std::string(kDeclaration) +
                "<AuditFile a=\"&quot;1&quot; &amp; &apos;2&apos;\" xmlns:xsi=\"c\"/>\n");
}

TEST_F(XmlDocumentTest, BuilderMistakesThrowInsteadOfWritingAWrongFile) {
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.SetTag("R");
  XmlNode first = root.NewChild("First", "");
  XmlNode inner = first.NewChild("Inner", "");
  XmlNode second = root.NewChild("Second", "");
  // First and its subtree are complete and written out.
  EXPECT_THROW(first.NewChild("X", ""), Error);
  EXPECT_THROW(inner.NewChild("X", ""), Error);
  EXPECT_THROW(first.AddAttribute("a", "1"), Error);
  // Its start tag is written: no more attributes, no new name.
  second.NewChild("A", "");
  second.NewChild("B", "");
  EXPECT_THROW(second.AddAttribute("a", "1"), Error);
  EXPECT_THROW(root.SetTag("Other"), Error);
  try {
    XmlNode().NewChild("X", "");
    ADD_FAILURE() << "an empty handle was used";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kBuilder);
  }
  for (const char* tag : {"", "a b", "<x", "1a", "a&b"})
    EXPECT_THROW(second.NewChild(tag, ""), Error);
  EXPECT_THROW(doc.SetEncoding("UTF-8"), Error);
  doc.SetEncoding("windows-1252");
  // None of that changed the document.
  EXPECT_EQ(doc.ToString(), std::string(kDeclaration) +
                                "<R>\n"
                                "  <First>\n"
                                "    <Inner/>\n"
                                "  </First>\n"
                                "  <Second>\n"
                                "    <A/>\n"
                                "    <B/>\n"
                                "  </Second>\n"
                                "</R>\n");
}

// 210,000 elements, then a section, across many flushes of the buffer.
void BuildLarge(XmlDocument& doc) {
  XmlNode root = doc.Root();
  XmlNode lines = root.NewChild("Lines", "");
  for (int i = 0; i < 70000; ++i) {
    XmlNode line = lines.NewChild("Line", "");
    line.NewChild("N", std::to_string(i));
    line.NewChild("Texto", "Honor\u00e1rios & despesas");
  }
  XmlNode pay = root.NewChild("Payments", "");
  pay.NewChild("TotalCredit", "5000.00");
  for (int i = 0; i < 1000; ++i) {
    XmlNode payment = pay.NewChild("Payment", "");
    for (int l = 0; l < 5; ++l) payment.NewChild("Line", "").NewChild("Amount", "1.00");
  }
}

TEST_F(XmlDocumentTest, StreamsLargeDocumentsWithoutKeepingThem) {
  XmlDocument memory;
  BuildLarge(memory);
  const std::string text = memory.ToString();

  XmlDocument streamed;
  streamed.StreamTo(Path("big.xml"));
  BuildLarge(streamed);
  // All but the last buffer is in the temporary file before the save.
  uintmax_t written = 0;
  for (const std::string& name : FilesIn(folder_)) written += fs::file_size(Path(name));
  EXPECT_GE(written + 2 * (1u << 20), text.size());
  streamed.SaveToFile(Path("big.xml"));
  EXPECT_TRUE(ReadFile(Path("big.xml")) == text) << "streamed and in-memory texts differ";

  size_t count = 0;
  for (size_t at = text.find("<N>"); at != std::string::npos; at = text.find("<N>", at + 1))
    ++count;
  EXPECT_EQ(count, 70000u);
  EXPECT_NE(text.find("<N>69999</N>"), std::string::npos);
  EXPECT_NE(text.find("<TotalCredit>5000.00</TotalCredit>"), std::string::npos);
  EXPECT_TRUE(WellFormed(text));
}

TEST_F(XmlDocumentTest, SavingReplacesTheTargetWithTheUsualPermissions) {
  { std::ofstream(Path("out.xml")) << "old contents"; }
  chmod(Path("out.xml").c_str(), 0600);
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.NewChild("A", "1");
  doc.SaveToFile(Path("out.xml"));
  EXPECT_EQ(ReadFile(Path("out.xml")), std::string(kDeclaration) + "<root>\n  <A>1</A>\n</root>\n");
  mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(Path("out.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u & ~mask);
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"out.xml"});
  // A saved document is finished; it can still be saved again.
  EXPECT_THROW(root.NewChild("B", ""), Error);
  doc.SaveToFile(Path("again.xml"));
  EXPECT_EQ(ReadFile(Path("again.xml")), ReadFile(Path("out.xml")));
}

TEST_F(XmlDocumentTest, AFailedSaveLeavesTheTargetUntouched) {
  // The target is a folder that cannot be replaced: the temporary file is
  // written, the rename fails.
  fs::create_directory(Path("target"));
  { std::ofstream(Path("target/keep")) << "x"; }
  for (bool stream : {false, true}) {
    XmlDocument doc;
    if (stream) doc.StreamTo(Path("target"));
    doc.Root().NewChild("A", "1");
    try {
      doc.SaveToFile(Path("target"));
      ADD_FAILURE() << "saved over a folder";
    } catch (const Error& e) {
      EXPECT_EQ(e.Number(), Error::kFile);
      EXPECT_EQ(
          e.Description().rfind("Não foi possível gravar o ficheiro " + Path("target") + ": ", 0),
          0u)
          << e.Description();
    }
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"target"});
    EXPECT_EQ(ReadFile(Path("target/keep")), "x");
  }
}

TEST_F(XmlDocumentTest, AFolderThatCannotBeWrittenThrows) {
  XmlDocument doc;
  EXPECT_THROW(doc.StreamTo(Path("missing/out.xml")), Error);
  EXPECT_THROW(doc.SaveToFile(Path("missing/out.xml")), Error);

  fs::create_directory(Path("ro"));
  { std::ofstream(Path("ro/out.xml")) << "old"; }
  chmod(Path("ro").c_str(), 0555);
  // Permissions do not stop root: the child gives its rights up first.
  int code = RunInChild([&] {
    if (geteuid() == 0 && setuid(65534) != 0) return 10;
    XmlDocument streamed;
    try {
      streamed.StreamTo(Path("ro/out.xml"));
      return 11;
    } catch (const Error& e) {
      if (e.Number() != Error::kFile) return 12;
    }
    XmlDocument memory;
    memory.Root().NewChild("A", "1");
    try {
      memory.SaveToFile(Path("ro/out.xml"));
      return 13;
    } catch (const Error& e) {
      if (e.Number() != Error::kFile) return 14;
    }
    return 0;
  });
  chmod(Path("ro").c_str(), 0755);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadFile(Path("ro/out.xml")), "old");
  EXPECT_EQ(FilesIn(Path("ro")), std::vector<std::string>{"out.xml"});
}

TEST_F(XmlDocumentTest, AWriteFailureLeavesNoHalfFile) {
  { std::ofstream(Path("out.xml")) << "old"; }
  for (bool stream : {false, true}) {
    // A file size limit stands in for a full disk.
    int code = RunInChild([&] {
      signal(SIGXFSZ, SIG_IGN);
      struct rlimit limit = {64 * 1024, 64 * 1024};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
      try {
        XmlDocument doc;
        if (stream) doc.StreamTo(Path("out.xml"));
        XmlNode lines = doc.Root().NewChild("Lines", "");
        for (int i = 0; i < 100000; ++i) lines.NewChild("Line", "texto da linha");
        doc.SaveToFile(Path("out.xml"));
        return 11;
      } catch (const Error& e) {
        if (e.Number() != Error::kFile) return 12;
        if (e.Description().find(Path("out.xml")) == std::string::npos) return 13;
      }
      return 0;
    });
    EXPECT_EQ(code, 0) << (stream ? "streamed" : "in memory");
    EXPECT_EQ(ReadFile(Path("out.xml")), "old");
    EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"out.xml"});
  }
}

TEST_F(XmlDocumentTest, AnUnsavedStreamLeavesNothingBehind) {
  {
    XmlDocument doc;
    doc.StreamTo(Path("out.xml"));
    XmlNode lines = doc.Root().NewChild("Lines", "");
    for (int i = 0; i < 50000; ++i) lines.NewChild("Line", "x");
    EXPECT_EQ(FilesIn(folder_).size(), 1u);  // the temporary file
    EXPECT_THROW(doc.SaveToFile(Path("other.xml")), Error);
  }
  EXPECT_TRUE(FilesIn(folder_).empty());
}

}  // namespace
}  // namespace saftpt
