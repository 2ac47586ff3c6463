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

#include "config/Error.h"
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

// The frame of an audit file with a retained payments section whose total is
// corrected at the end, as the builder does it.
void BuildSample(XmlDocument& doc, int payments, int linesPerPayment) {
  doc.SetEncoding("Windows-1252");
  XmlNode root = doc.Root();
  root.SetTag("AuditFile");
  root.AddAttribute("xmlns", "urn:OECD:StandardAuditFile-Tax:PT_1.04_01");
  XmlNode header = root.NewChild("Header", "");
  header.NewChild("CompanyName", "Sousa & Filhos");
  XmlNode master = root.NewChild("MasterFiles", "");
  for (int i = 0; i < 3; ++i) {
    XmlNode customer = master.NewChild("Customer", "");
    customer.NewChild("CustomerID", std::to_string(i));
    customer.NewChild("CompanyName", "Jos\u00e9 \u0141 <" + std::to_string(i) + ">");
  }
  XmlNode source = root.NewChild("SourceDocuments", "");
  XmlNode invoices = source.NewChild("SalesInvoices", "");
  invoices.NewChild("NumberOfEntries", "1");
  invoices.NewChild("Invoice", "").NewChild("InvoiceNo", "FT A/1");
  XmlNode pay = source.NewChild("Payments", "");
  pay.Retain();
  pay.NewChild("NumberOfEntries", std::to_string(payments));
  pay.NewChild("TotalDebit", "0.00");
  pay.NewChild("TotalCredit", "0.00");
  for (int p = 0; p < payments; ++p) {
    XmlNode payment = pay.NewChild("Payment", "");
    payment.NewChild("PaymentRefNo", "RC A/" + std::to_string(p));
    for (int l = 0; l < linesPerPayment; ++l) {
      XmlNode line = payment.NewChild("Line", "");
      line.NewChild("LineNumber", std::to_string(l + 1));
      line.NewChild("CreditAmount", "1.00");
    }
  }
  root.MoveToChild("SourceDocuments");
  root.MoveToChild("Payments");
  root.UpdateChildContent("TotalCredit", std::to_string(payments * linesPerPayment) + ".00");
  root.MoveToRoot();
}

TEST_F(XmlDocumentTest, WritesTheWholeFileAsTheGoldenText) {
  XmlDocument doc;
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
  payments.Retain();
  payments.NewChild("TotalCredit", "0.00");
  payments.NewChild("Payment", "").NewChild("PaymentRefNo", "RC A/1");
  root.MoveToChild("SourceDocuments");
  root.MoveToChild("Payments");
  root.UpdateChildContent("TotalCredit", "12.50");
  root.MoveToRoot();

  const std::string expected =
      ReadFile(std::string(SAFTPT_SOURCE_DIR) + "/tests/golden/xml/small.xml");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(doc.ToString(), expected);
  doc.SaveToFile(Path("a.xml"));
  EXPECT_EQ(ReadFile(Path("a.xml")), expected);
  EXPECT_TRUE(WellFormed(expected));
}

TEST_F(XmlDocumentTest, EmptyDocumentHasTheRootOnly) {
  XmlDocument doc;
  EXPECT_EQ(doc.ToString(), std::string(kDeclaration) + "<root/>\n");
  doc.Root().SetTag("AuditFile");
  doc.Root().AddAttribute("a", "\"1\" & '2'");
  EXPECT_EQ(doc.ToString(),
            std::string(kDeclaration) + "<AuditFile a=\"&quot;1&quot; &amp; &apos;2&apos;\"/>\n");
}

TEST_F(XmlDocumentTest, StreamingWritesTheSameBytesAsMemory) {
  XmlDocument memory;
  BuildSample(memory, 50, 3);
  const std::string text = memory.ToString();
  memory.SaveToFile(Path("memory.xml"));

  XmlDocument streamed;
  streamed.StreamTo(Path("streamed.xml"));
  BuildSample(streamed, 50, 3);
  EXPECT_THROW(streamed.ToString(), Error);
  streamed.SaveToFile(Path("streamed.xml"));

  EXPECT_EQ(ReadFile(Path("memory.xml")), text);
  EXPECT_EQ(ReadFile(Path("streamed.xml")), text);
  EXPECT_NE(text.find("<TotalCredit>150.00</TotalCredit>"), std::string::npos);
  EXPECT_TRUE(WellFormed(text));
  EXPECT_EQ(FilesIn(folder_), (std::vector<std::string>{"memory.xml", "streamed.xml"}));
}

TEST_F(XmlDocumentTest, RetainedChildrenStayInOrderWithLaterSiblings) {
  for (bool stream : {false, true}) {
    XmlDocument doc;
    if (stream) doc.StreamTo(Path("r.xml"));
    XmlNode root = doc.Root();
    root.SetTag("R");
    root.NewChild("Before", "0");
    XmlNode a = root.NewChild("A", "");
    a.Retain();
    a.NewChild("Total", "old");
    a.NewChild("Item", "").NewChild("X", "1");
    XmlNode b = root.NewChild("B", "");
    b.NewChild("Y", "1");
    b.NewChild("Y", "2");
    root.NewChild("After", "3");
    ASSERT_TRUE(root.MoveToChild("A"));
    root.UpdateChildContent("Total", "new");
    root.MoveToRoot();
    doc.SaveToFile(Path("r.xml"));
    EXPECT_EQ(ReadFile(Path("r.xml")), std::string(kDeclaration) +
                                           "<R>\n"
                                           "  <Before>0</Before>\n"
                                           "  <A>\n"
                                           "    <Total>new</Total>\n"
                                           "    <Item>\n"
                                           "      <X>1</X>\n"
                                           "    </Item>\n"
                                           "  </A>\n"
                                           "  <B>\n"
                                           "    <Y>1</Y>\n"
                                           "    <Y>2</Y>\n"
                                           "  </B>\n"
                                           "  <After>3</After>\n"
                                           "</R>\n")
        << (stream ? "streamed" : "in memory");
  }
}

TEST_F(XmlDocumentTest, NavigationFindsChildrenStillInMemory) {
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.SetTag("R");
  root.NewChild("Gone", "");
  XmlNode s = root.NewChild("S", "");
  XmlNode p = s.NewChild("P", "");
  p.Retain();
  p.NewChild("T", "1");
  p.NewChild("T", "2");
  p.NewChild("U", "");

  XmlNode h = doc.Root();
  EXPECT_FALSE(h.MoveToChild("Gone"));  // written out already
  EXPECT_FALSE(h.MoveToChild("P"));     // not a direct child
  EXPECT_TRUE(h.MoveToChild("S"));
  EXPECT_TRUE(h.MoveToChild("P"));
  EXPECT_FALSE(h.MoveToChild("Nada"));  // stays on P
  h.UpdateChildContent("T", "first");   // the first of two
  h.UpdateChildContent("U", "x&y");
  h.UpdateChildContent("Nada", "ignored");
  h.MoveToRoot();
  h.NewChild("Last", "");
  EXPECT_EQ(doc.ToString(), std::string(kDeclaration) +
                                "<R>\n"
                                "  <Gone/>\n"
                                "  <S>\n"
                                "    <P>\n"
                                "      <T>first</T>\n"
                                "      <T>2</T>\n"
                                "      <U>x&amp;y</U>\n"
                                "    </P>\n"
                                "  </S>\n"
                                "  <Last/>\n"
                                "</R>\n");
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
  EXPECT_THROW(inner.MoveToChild("X"), Error);
  // Its start tag is written: no more attributes, no new name.
  second.NewChild("A", "");
  second.NewChild("B", "");
  EXPECT_THROW(second.AddAttribute("a", "1"), Error);
  EXPECT_THROW(root.SetTag("Other"), Error);
  // Its children went to the file: a missing one may be among them.
  EXPECT_THROW(second.UpdateChildContent("A", "1"), Error);
  try {
    XmlNode().NewChild("X", "");
    ADD_FAILURE() << "an empty handle was used";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), Error::kBuilder);
  }
  EXPECT_THROW(second.NewChild("", ""), Error);
  EXPECT_THROW(second.NewChild("a b", ""), Error);
  EXPECT_THROW(second.NewChild("<x", ""), Error);
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

TEST_F(XmlDocumentTest, CompleteRetainedChildrenTakeNoMoreChildren) {
  XmlDocument doc;
  XmlNode p = doc.Root().NewChild("P", "");
  p.Retain();
  XmlNode leaf = p.NewChild("Leaf", "");
  XmlNode item = p.NewChild("Item", "");
  item.NewChild("X", "1");
  p.NewChild("Item", "");
  EXPECT_THROW(leaf.NewChild("X", ""), Error);
  EXPECT_THROW(item.NewChild("X", ""), Error);
}

TEST_F(XmlDocumentTest, RejectsRepeatedAttributes) {
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.AddAttribute("xmlns", "a");
  EXPECT_THROW(root.AddAttribute("xmlns", "b"), Error);
  root.AddAttribute("xmlns:xsi", "c");
  EXPECT_EQ(doc.ToString(), std::string(kDeclaration) + "<root xmlns=\"a\" xmlns:xsi=\"c\"/>\n");
}

TEST_F(XmlDocumentTest, StreamsLargeDocumentsWithoutKeepingThem) {
  XmlDocument doc;
  doc.StreamTo(Path("big.xml"));
  XmlNode root = doc.Root();
  root.SetTag("R");
  XmlNode lines = root.NewChild("Lines", "");
  size_t most = 0;
  for (int i = 0; i < 200000; ++i) {
    XmlNode line = lines.NewChild("Line", "");
    line.NewChild("N", std::to_string(i));
    most = std::max(most, doc.NodesInMemory());
  }
  EXPECT_LE(most, 5u);
  doc.SaveToFile(Path("big.xml"));
  const std::string text = ReadFile(Path("big.xml"));
  size_t count = 0;
  for (size_t at = text.find("<Line>"); at != std::string::npos; at = text.find("<Line>", at + 1))
    ++count;
  EXPECT_EQ(count, 200000u);
  EXPECT_NE(text.find("<N>199999</N>\n    </Line>\n  </Lines>\n</R>\n"), std::string::npos);
  EXPECT_TRUE(WellFormed(text));
}

TEST_F(XmlDocumentTest, RetainedElementsKeepTheirChildrenCompacted) {
  XmlDocument doc;
  XmlNode pay = doc.Root().NewChild("Payments", "");
  pay.Retain();
  for (int i = 0; i < 1000; ++i) {
    XmlNode payment = pay.NewChild("Payment", "");
    for (int l = 0; l < 5; ++l) payment.NewChild("Line", "").NewChild("Amount", "1.00");
  }
  // The root, the section, its 1000 payments and the open path of the last.
  EXPECT_LE(doc.NodesInMemory(), 1000u + 2u + 2u * 5u + 1u);
  doc.Root().MoveToChild("Payments");
}

TEST_F(XmlDocumentTest, SavingReplacesTheTargetWithTheUsualPermissions) {
  { std::ofstream(Path("out.xml")) << "old contents"; }
  chmod(Path("out.xml").c_str(), 0600);
  XmlDocument doc;
  doc.Root().NewChild("A", "1");
  doc.SaveToFile(Path("out.xml"));
  EXPECT_EQ(ReadFile(Path("out.xml")), std::string(kDeclaration) + "<root>\n  <A>1</A>\n</root>\n");
  mode_t mask = umask(0);
  umask(mask);
  struct stat st {};
  ASSERT_EQ(stat(Path("out.xml").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u & ~mask);
  EXPECT_EQ(FilesIn(folder_), std::vector<std::string>{"out.xml"});
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
      EXPECT_EQ(e.number(), Error::kFile);
      EXPECT_EQ(
          e.description().rfind("Não foi possível gravar o ficheiro " + Path("target") + ": ", 0),
          0u)
          << e.description();
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
      if (e.number() != Error::kFile) return 12;
    }
    XmlDocument memory;
    memory.Root().NewChild("A", "1");
    try {
      memory.SaveToFile(Path("ro/out.xml"));
      return 13;
    } catch (const Error& e) {
      if (e.number() != Error::kFile) return 14;
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
        if (e.number() != Error::kFile) return 12;
        if (e.description().find(Path("out.xml")) == std::string::npos) return 13;
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

TEST_F(XmlDocumentTest, ASavedDocumentTakesNoMoreElements) {
  XmlDocument doc;
  XmlNode root = doc.Root();
  root.NewChild("A", "");
  doc.SaveToFile(Path("a.xml"));
  EXPECT_THROW(root.NewChild("B", ""), Error);
  EXPECT_EQ(doc.ToString(), ReadFile(Path("a.xml")));
  doc.SaveToFile(Path("b.xml"));
  EXPECT_EQ(ReadFile(Path("b.xml")), ReadFile(Path("a.xml")));
}

}  // namespace
}  // namespace saftpt
