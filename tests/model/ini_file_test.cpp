#include "model/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "model/file_size_limit.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testing::MakeTempDir("ini");
    path_ = dir_ + "/vendaro.ini";
  }
  void Put(const std::string& bytes) { testing::WriteFileBytes(path_, bytes); }
  std::string Bytes() const { return testing::ReadFileBytes(path_); }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(dir_)) {
      names.push_back(item.path().filename().string());
    }
    return names;
  }

  std::string dir_;
  std::string path_;
};

TEST_F(IniFileTest, ReadsIgnoringCaseBlanksQuotesAndComments) {
  Put("; comment\r\n"
      "[Inne]\r\nCzas zmian=1\r\n"
      " [ zmiany ] \r\n"
      "  CZAS ZMIAN  =  30  \r\n"
      ";Kolor=clRed\r\n"
      "Kolor=\"clLime\"\r\n"
      "Pusty=\r\n"
      "bez znaku rownosci\r\n"
      "[Zmiany]\r\nWyrownanie=7\r\n");
  const IniFile file(path_);
  EXPECT_EQ(file.ReadString("Zmiany", "Czas zmian", "d"), "30");
  EXPECT_EQ(file.ReadString("ZMIANY", "kolor", "d"), "clLime");
  EXPECT_EQ(file.ReadString("Zmiany", "Pusty", "d"), "");
  EXPECT_EQ(file.ReadString("Zmiany", ";Kolor", "d"), "d");
  EXPECT_EQ(file.ReadString("Zmiany", "bez znaku rownosci", "d"), "d");
  // Only the first section of a name is searched, as the system does.
  EXPECT_EQ(file.ReadString("Zmiany", "Wyrownanie", "d"), "d");
  EXPECT_EQ(file.ReadString("Inne", "Czas zmian", "d"), "1");
  EXPECT_EQ(file.ReadString("Brak", "Czas zmian", "d"), "d");
}

TEST_F(IniFileTest, MissingFileReadsDefaults) {
  const IniFile file(path_);
  EXPECT_EQ(file.ReadString("Zmiany", "Kolor", "clBackground"), "clBackground");
  EXPECT_EQ(file.ReadInteger("Zmiany", "Czas zmian", 5), 5);
  EXPECT_EQ(file.ReadDate("Zmiany", "Info Zmiany", 123.0), 123.0);
  EXPECT_FALSE(testing::FileExists(path_));
}

TEST_F(IniFileTest, CutsValuesAt2047Characters) {
  Put("[s]\nk=" + std::string(5000, 'v') + "\n");
  EXPECT_EQ(IniFile(path_).ReadString("s", "k", ""), std::string(2047, 'v'));
}

TEST_F(IniFileTest, IntegerEncodings) {
  const struct {
    const char* text;
    std::int32_t integer;  // read with default -7
  } cases[] = {
      {"30", 30},
      {"0x1E", 30},
      {"0X1e", 30},
      {"$1E", 30},
      {"-3", -3},
      {"+4", 4},
      {"0", 0},
      {"2", 2},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", -7},
      {"$100000000", -7},
      {"abc", -7},
      {"12abc", -7},
      {"", -7},
      {"0x", -7},
      {"$", -7},
      {"1.5", -7},
      {"\"42\"", 42},
      {"0012", 12},
      {"- 1", -7},
  };
  for (const auto& c : cases) {
    Put(std::string("[Zmiany]\r\nk=") + c.text + "\r\n");
    const IniFile file(path_);
    EXPECT_EQ(file.ReadInteger("Zmiany", "k", -7), c.integer) << c.text;
  }
}

TEST_F(IniFileTest, DatesUseTheLocaleShortFormat) {
  const DateTime fallback = 7.0;
  const std::pair<const char*, DateTime> cases[] = {
      {"12/08/26", DateFromYmd(2026, 12, 8)},
      {"2026-12-08", fallback},  // another format than the locale's
      {"08.12.2026", fallback},
      {"", fallback},
      {"12/32/26", fallback},
  };
  for (const auto& [text, expected] : cases) {
    Put(std::string("[Zmiany]\r\nInfo Zmiany=") + text + "\r\n");
    EXPECT_EQ(IniFile(path_).ReadDate("Zmiany", "Info Zmiany", fallback), expected) << text;
  }
  IniFile file(path_);
  ASSERT_TRUE(file.WriteDate("Zmiany", "Info Zmiany", DateFromYmd(2027, 1, 2) + 0.75).ok());
  EXPECT_EQ(file.ReadString("Zmiany", "Info Zmiany", ""), "01/02/27");
  EXPECT_EQ(file.ReadDate("Zmiany", "Info Zmiany", fallback), DateFromYmd(2027, 1, 2));
}

TEST_F(IniFileTest, FirstWriteCreatesTheFile) {
  IniFile file(path_);
  ASSERT_TRUE(file.WriteInteger("Zmiany", "Czas zmian", 5).ok());
  ASSERT_TRUE(file.WriteBool("Opcje", "Wersja", false).ok());
  ASSERT_TRUE(file.WriteInteger("Zmiany", "Ostatnia pozycja", -2).ok());
  EXPECT_EQ(Bytes(),
            "[Zmiany]\r\nCzas zmian=5\r\nOstatnia pozycja=-2\r\n\r\n[Opcje]\r\nWersja=0\r\n");
  EXPECT_EQ(file.ReadInteger("zmiany", "ostatnia POZYCJA", 0), -2);
}

TEST_F(IniFileTest, WriteChangesOneKeyAndKeepsEverythingElse) {
  Put("; moje ustawienia\n[Opcje]\nWersja=1\n\n[zmiany]\nczas zmian = 7 ; stare\nObcy=x\n\n"
      "[Inne]\nk=v");
  IniFile file(path_);
  ASSERT_TRUE(file.WriteInteger("Zmiany", "Czas zmian", 30).ok());
  ASSERT_TRUE(file.WriteString("Zmiany", "Kolor", "clRed").ok());
  ASSERT_TRUE(file.WriteString("Inne", "nowy", "1").ok());
  EXPECT_EQ(Bytes(),
            "; moje ustawienia\n[Opcje]\nWersja=1\n\n[zmiany]\nCzas zmian=30\nObcy=x\nKolor=clRed\n"
            "\n[Inne]\nk=v\nnowy=1\n");
}

TEST_F(IniFileTest, RefusesLineBreaksThatWouldPlantKeys) {
  IniFile file(path_);
  ASSERT_TRUE(file.WriteString("Zmiany", "Kolor", "clRed").ok());
  const Status status = file.WriteString("Zmiany", "Kolor", "clRed\r\nCzas zmian=1");
  EXPECT_EQ(status.message(), "Unable to write to " + path_);
  EXPECT_EQ(Bytes(), "[Zmiany]\r\nKolor=clRed\r\n");
}

TEST_F(IniFileTest, ReplacesAtomicallyKeepingPermissions) {
  Put("[Zmiany]\r\n");
  ASSERT_EQ(chmod(path_.c_str(), 0600), 0);
  IniFile file(path_);
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(file.WriteInteger("Zmiany", "k", i).ok());
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"vendaro.ini"});
  struct stat st {};
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, RefusedWriteReportsAndKeepsEarlierKeys) {
  IniFile file(path_);
  Status late;
  {
    const testing::FileSizeLimit limit(64);
    ASSERT_TRUE(file.WriteInteger("Zmiany", "Czas zmian", 5).ok());
    late = file.WriteString("Zmiany", "Kolor", std::string(100, 'c'));
  }
  EXPECT_EQ(late.message(), "Unable to write to " + path_);
  EXPECT_EQ(Bytes(), "[Zmiany]\r\nCzas zmian=5\r\n");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"vendaro.ini"});
}

TEST_F(IniFileTest, ReadOnlyFolderRefusesWrites) {
  IniFile file(path_);
  ASSERT_TRUE(file.WriteInteger("Zmiany", "Czas zmian", 5).ok());
  ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
  // Root writes into any folder, so as root the write is made as nobody.
  const bool asNobody = geteuid() == 0;
  if (asNobody) {
    ASSERT_EQ(seteuid(65534), 0);
  }
  const Status status = file.WriteInteger("Zmiany", "Braki", 1);
  if (asNobody) {
    ASSERT_EQ(seteuid(0), 0);
  }
  chmod(dir_.c_str(), 0700);
  EXPECT_EQ(status.message(), "Unable to write to " + path_);
  EXPECT_EQ(Bytes(), "[Zmiany]\r\nCzas zmian=5\r\n");
}

TEST_F(IniFileTest, UnreadableFileIsNotOverwritten) {
  ASSERT_EQ(mkdir(path_.c_str(), 0700), 0);  // a folder where the file should be
  IniFile file(path_);
  EXPECT_FALSE(file.WriteInteger("Zmiany", "Czas zmian", 5).ok());
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

}  // namespace
}  // namespace vendaro
