// The settings file (read and write as the profile functions do) and the
// scrambled credentials.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../TestDoubles.h"
#include "base/Error.h"
#include "base/PrivateFiles.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"

namespace saftpt {
namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/saftpt-settings-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    dir_ = folder;
    path_ = dir_ + "/lexora.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void Write(const std::string& content) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << content;
  }
  std::string Content() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  std::string Read(const std::string& section, const std::string& key) {
    std::string value = "<unchanged>";
    ReadIni(path_, section, key, value);
    return value;
  }
  std::string dir_;
  std::string path_;
};

TEST_F(SettingsFile, ReadsSectionsAndKeysWithoutRegardToCase) {
  Write(
      "; the host product's settings\r\n"
      "[outro]\r\nservidor=errado\r\n"
      "[BD]\r\n  Servidor =  db.local  \r\nporta=\r\n;password=comentado\r\n"
      "basedados=\"escritorio\"\r\nusername='abc'\r\nlinha sem igual\r\n"
      "aspas=\"meia\r\n[bd]\r\nsaftrecibos=1\r\n");
  EXPECT_EQ(Read("bd", "servidor"), "db.local");
  EXPECT_EQ(Read("Bd", "SERVIDOR"), "db.local");
  EXPECT_EQ(Read("outro", "servidor"), "errado");
  EXPECT_EQ(Read("bd", "basedados"), "escritorio");  // one pair of quotes removed
  EXPECT_EQ(Read("bd", "username"), "abc");
  EXPECT_EQ(Read("bd", "aspas"), "\"meia");  // unmatched quote stays
  // Empty, commented out and missing keys leave the value unchanged.
  std::string value = "antes";
  EXPECT_FALSE(ReadIni(path_, "bd", "porta", value));
  EXPECT_EQ(value, "antes");
  EXPECT_EQ(Read("bd", "password"), "<unchanged>");
  EXPECT_EQ(Read("bd", "linha sem igual"), "<unchanged>");
  EXPECT_EQ(Read("nenhuma", "servidor"), "<unchanged>");
  // Only the first section of a name is looked at.
  EXPECT_EQ(Read("bd", "saftrecibos"), "<unchanged>");
}

TEST_F(SettingsFile, MissingFileReadsAsMissingKeys) {
  std::string value = "x";
  EXPECT_FALSE(ReadIni(dir_ + "/naoexiste.ini", "bd", "servidor", value));
  EXPECT_EQ(value, "x");
  EXPECT_FALSE(ReadIni(dir_, "bd", "servidor", value));  // a folder, not a file
  EXPECT_EQ(value, "x");
}

TEST_F(SettingsFile, ValuesAreCutAt499CharactersAndLfFilesRead) {
  Write("[bd]\nlongo=" + std::string(600, 'a') + "\nnome=Jos\xc3\xa9\n");
  EXPECT_EQ(Read("bd", "longo"), std::string(499, 'a'));
  EXPECT_EQ(Read("bd", "nome"), "Jos\u00e9");
}

TEST_F(SettingsFile, Windows1252FileValuesArriveAsUtf8) {
  Write("[bd]\r\nbasedados=escrit\xf3rio \x80\r\n");
  EXPECT_EQ(Read("bd", "basedados"), "escrit\u00f3rio \u20ac");
}

TEST_F(SettingsFile, WriteKeepsEveryOtherLineAndTheLineEndings) {
  const std::string before =
      "; comentario\r\n\r\n[geral]\r\nchave = valor com espacos \r\n\r\n"
      "[bd]\r\nServidor=velho\r\nporta=3306\r\n\r\n; fim\r\n[outra]\r\nx=1";
  Write(before);
  WriteIni(path_, "BD", "servidor", "novo");
  EXPECT_EQ(Content(),
            "; comentario\r\n\r\n[geral]\r\nchave = valor com espacos \r\n\r\n"
            "[bd]\r\nServidor=novo\r\nporta=3306\r\n\r\n; fim\r\n[outra]\r\nx=1");
  WriteIni(path_, "bd", "saftrecibos", "1");
  EXPECT_EQ(Content(),
            "; comentario\r\n\r\n[geral]\r\nchave = valor com espacos \r\n\r\n"
            "[bd]\r\nServidor=novo\r\nporta=3306\r\nsaftrecibos=1\r\n\r\n; fim\r\n"
            "[outra]\r\nx=1");
  WriteIni(path_, "nova", "k", "v");
  EXPECT_EQ(Content(),
            "; comentario\r\n\r\n[geral]\r\nchave = valor com espacos \r\n\r\n"
            "[bd]\r\nServidor=novo\r\nporta=3306\r\nsaftrecibos=1\r\n\r\n; fim\r\n"
            "[outra]\r\nx=1\r\n[nova]\r\nk=v\r\n");
  EXPECT_EQ(Read("nova", "k"), "v");
  EXPECT_EQ(Read("geral", "chave"), "valor com espacos");
  EXPECT_EQ(Read("outra", "x"), "1");
}

TEST_F(SettingsFile, WriteKeepsLfFilesAndCreatesMissingOnes) {
  Write("[bd]\nporta=1\n");
  WriteIni(path_, "bd", "saftrecibos", "0");
  EXPECT_EQ(Content(), "[bd]\nporta=1\nsaftrecibos=0\n");
  std::filesystem::remove(path_);
  WriteIni(path_, "bd", "saftrecibos", "1");
  EXPECT_EQ(Content(), "[bd]\r\nsaftrecibos=1\r\n");
}

TEST_F(SettingsFile, WriteKeepsPermissionsAndEncoding) {
  Write("[bd]\r\nbasedados=escrit\xf3rio\r\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0600), 0);
  WriteIni(path_, "bd", "servidor", "s\u00e3o");
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // A Windows-1252 file stays one.
  EXPECT_EQ(Content(), "[bd]\r\nbasedados=escrit\xf3rio\r\nservidor=s\xe3o\r\n");
  EXPECT_EQ(Read("bd", "servidor"), "s\u00e3o");
  // A UTF-8 file (with its mark) stays one.
  Write("\xEF\xBB\xBF[bd]\r\nbasedados=escrit\xc3\xb3rio\r\n");
  WriteIni(path_, "bd", "servidor", "s\u00e3o");
  EXPECT_EQ(Content(),
            "\xEF\xBB\xBF[bd]\r\nbasedados=escrit\xc3\xb3rio\r\nservidor=s\xc3\xa3o\r\n");
  EXPECT_EQ(Read("bd", "basedados"), "escrit\u00f3rio");
}

TEST_F(SettingsFile, WriteFailuresThrowTheOldTexts) {
  const std::string missing = dir_ + "/semPasta/lexora.ini";
  EXPECT_EQ(ErrorOf([&] { WriteIni(missing, " bd ", " saftrecibos ", "1"); }),
            "Ficheiro " + missing +
                " não existe ou inválido\nActualização abortada\nEntrada: [bd] saftrecibos");
  // A value that would add lines to the file is refused.
  Write("[bd]\r\nporta=1\r\n");
  EXPECT_THROW(WriteIni(path_, "bd", "porta", "2\r\n[outra]"), Error);
  EXPECT_EQ(Content(), "[bd]\r\nporta=1\r\n");
}

TEST(Unscramble, GroupsOfEightDigits) {
  // 'A' = 65, 65 * 52973 = 3443245; 'b' = 98 -> 5191354.
  EXPECT_EQ(Unscramble("0344324505191354"), "Ab");
  EXPECT_EQ(Unscramble(""), "");
  // Codes are rounded to the nearest whole number.
  EXPECT_EQ(Unscramble("03443250"), "A");
  EXPECT_EQ(Unscramble("03443200"), "A");
  // Windows-1252 codes come back as UTF-8: 0xE7 'ç', 0x80 '€'.
  EXPECT_EQ(Unscramble(Scramble("pa\u00e7o\u20ac")), "pa\u00e7o\u20ac");
  EXPECT_EQ(Unscramble("1223676306780544"), "\u00e7\u20ac");
}

TEST(Unscramble, GroupCountRoundsHalvesToEven) {
  EXPECT_EQ(Unscramble("0344"), "");                             // 0.5 groups: none
  EXPECT_EQ(Unscramble("034432450344"), std::string("A\0", 2));  // 1.5: two, one short
  EXPECT_EQ(Unscramble("03443245034432450344"), "AA");           // 2.5: two
  EXPECT_EQ(Unscramble("0344324503443245034"), "AA");            // 2.375: two
  EXPECT_EQ(Unscramble("03443245034432450344324"), "AA\x06");    // 2.875: three, 6.49.. -> 6
}

TEST(Unscramble, NonNumericGroupEmptiesTheWholeValue) {
  EXPECT_EQ(Unscramble("03443245x5191354"), "");
  EXPECT_EQ(Unscramble("0344324505191354abcdefgh"), "");
  EXPECT_EQ(Unscramble(" 3443245"), "A");  // blanks around a number are allowed
}

TEST(Unscramble, CodeOutsideARangeIsAnErrorNotACrash) {
  try {
    Unscramble("99999999");
    FAIL() << "code 1888 accepted";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kSettings);
    EXPECT_FALSE(e.Description().empty());
  }
  EXPECT_THROW(Unscramble("-1000000"), Error);
  EXPECT_EQ(Unscramble("00000000"), std::string(1, '\0'));
}

TEST(Scramble, ZeroPaddedGroupsAndUnrepresentableCharacters) {
  EXPECT_EQ(Scramble("Ab"), "0344324505191354");
  EXPECT_EQ(Scramble(""), "");
  EXPECT_EQ(Scramble("\xff"), "13508115");  // a stray byte is taken as 'ÿ'
  EXPECT_THROW(Scramble("\u0100"), Error);
  EXPECT_THROW(Scramble("\U0001F600"), Error);
  const std::string all = "Jo\u00e3o.Silva_2024!@#$%&*() \u00c7\u00e9";
  EXPECT_EQ(Unscramble(Scramble(all)), all);
}

TEST_F(SettingsFile, ConnectionSettingsFromTheFile) {
  Write("[bd]\r\nservidor=10.0.0.5\r\nporta=\r\nbasedados=lex\r\nusername=" +
        Scramble("utilizador") + "\r\npassword=" + Scramble("s3gr\u00e9d'o") + "\r\n");
  ConnectionSettings s = ReadConnectionSettings(path_);
  EXPECT_EQ(s.server, "10.0.0.5");
  EXPECT_EQ(s.port, "3306");
  EXPECT_EQ(s.database, "lex");
  EXPECT_EQ(s.user, "utilizador");
  EXPECT_EQ(s.password, "s3gr\u00e9d'o");
  Write("[bd]\r\nporta=3307\r\nusername=0344324x\r\n");
  s = ReadConnectionSettings(path_);
  EXPECT_EQ(s.port, "3307");
  EXPECT_EQ(s.user, "");
  s = ReadConnectionSettings(dir_ + "/naoexiste.ini");
  EXPECT_EQ(s.server, "");
  EXPECT_EQ(s.port, "3306");
  Write("[bd]\r\npassword=99999999\r\n");
  EXPECT_THROW(ReadConnectionSettings(path_), Error);
}

TEST_F(SettingsFile, FileLookedForInOrder) {
  const std::string home = dir_ + "/casa";
  const std::string user = home + "/.config/saftpt/lexora.ini";
  // Nothing beside the program: the user's file.
  EXPECT_EQ(FindSettingsFile("", dir_, nullptr, home.c_str()), user);
  EXPECT_EQ(FindSettingsFile("", dir_, "", home.c_str()), user);
  EXPECT_EQ(FindSettingsFile("", dir_, "relativa", home.c_str()), user);
  EXPECT_EQ(FindSettingsFile("", dir_, "/xdg/", home.c_str()), "/xdg/saftpt/lexora.ini");
  EXPECT_EQ(FindSettingsFile("outro.ini", dir_, "/xdg", home.c_str()), "outro.ini");
  // A file beside the program (portable use) comes before the user's.
  Write("[bd]\r\n");
  EXPECT_EQ(FindSettingsFile("", dir_, "/xdg", home.c_str()), path_);
  EXPECT_EQ(FindSettingsFile("outro.ini", dir_, "/xdg", home.c_str()), "outro.ini");
}

TEST_F(SettingsFile, ConnectionWrittenInANewFolderForItsOwnerOnly) {
  ConnectionSettings s;
  s.server = "192.168.1.10";
  s.port = "3307";
  s.database = "faturacao";
  s.user = "saft";
  s.password = "segredo ção";
  const std::string ini = dir_ + "/config/saftpt/lexora.ini";
  SaveConnectionSettings(ini, s);
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  ASSERT_EQ(::stat((dir_ + "/config/saftpt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0700u);
  ConnectionSettings lida = ReadConnectionSettings(ini);
  EXPECT_EQ(lida.server, s.server);
  EXPECT_EQ(lida.port, s.port);
  EXPECT_EQ(lida.database, s.database);
  EXPECT_EQ(lida.user, s.user);
  EXPECT_EQ(lida.password, s.password);
  std::string password;
  ASSERT_TRUE(ReadIni(ini, "bd", "password", password));
  EXPECT_EQ(password, Scramble(s.password));
  EXPECT_EQ(lida.tls, TlsMode::kPrefer);  // written as "preferir"

  // An existing file keeps its other keys and is closed to others; without
  // "tls" it connects as before the key existed; a relative CA is beside it.
  Write("[bd]\r\nsaftrecibos=1\r\n[saft]\r\nchave_publica=a.pem\r\n");
  ASSERT_EQ(::chmod(path_.c_str(), 0644), 0);
  EXPECT_EQ(ReadConnectionSettings(path_).tls, TlsMode::kPrefer);
  WriteIni(path_, "bd", "tls", "sim");
  EXPECT_THROW(ReadConnectionSettings(path_), Error);
  WriteIni(path_, "bd", "tls", "0");
  WriteIni(path_, "bd", "tls_ca", "ca.pem");
  EXPECT_EQ(ReadConnectionSettings(path_).tls, TlsMode::kNever);
  s.tls = TlsMode::kVerify;
  s.tlsCa = ReadConnectionSettings(path_).tlsCa;
  EXPECT_EQ(s.tlsCa, dir_ + "/ca.pem");
  SaveConnectionSettings(path_, s);
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(Read("bd", "saftrecibos"), "1");
  EXPECT_EQ(Read("saft", "chave_publica"), "a.pem");
  EXPECT_EQ(Read("bd", "basedados"), "faturacao");
  EXPECT_EQ(Read("bd", "tls"), "1");
  EXPECT_EQ(Read("bd", "tls_ca"), s.tlsCa);

  // What cannot be written is refused before anything is created.
  const std::string nova = dir_ + "/nova/lexora.ini";
  for (auto [port, server] :
       {std::pair{"0", "x"}, {"65536", "x"}, {"33a", "x"}, {"", "x"}, {"3306", "a\nb"}}) {
    s.port = port;
    s.server = server;
    EXPECT_THROW(SaveConnectionSettings(nova, s), Error) << port << " " << server;
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/nova")) << port;
  }
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path().string(), folder);
}

}  // namespace
}  // namespace saftpt
