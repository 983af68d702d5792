#include "project/ini_file.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"
#include "tsm_builder.h"

namespace tesmiro {
namespace {

using testing::TempDir;

std::string FileText(const std::filesystem::path& p) {
  auto b = testing::ReadBytes(p);
  return std::string(b.begin(), b.end());
}

TEST(IniFile, ReadsLikeTheWindowsSettingsService) {
  IniFile f = IniFile::Parse(
      "; comment=ignored\r\n"
      "top=outside every section\r\n"
      "[Tesmiro]\r\n"
      "  Width = 640 \r\n"
      "Quoted=\"  spaced  \"\r\n"
      "Empty=\r\n"
      "[tesmiro]\r\n"
      "Late=second section of the same name\r\n"
      "[EventList]\r\n"
      "ColorSet00=1,2,3\r\n");
  EXPECT_EQ(f.get("TESMIRO", "width"), "640");
  EXPECT_EQ(f.get("Tesmiro", "Quoted"), "  spaced  ");
  EXPECT_EQ(f.get("Tesmiro", "Empty"), "");
  EXPECT_FALSE(f.get("Tesmiro", "Late").has_value());
  EXPECT_FALSE(f.get("Tesmiro", "top").has_value());
  EXPECT_FALSE(f.get("Tesmiro", "; comment").has_value());
  EXPECT_EQ(f.get("EventList", "ColorSet00"), "1,2,3");
  EXPECT_FALSE(f.get("Missing", "x").has_value());
}

TEST(IniFile, UpdatesKeysInPlaceAndKeepsTheRest) {
  IniFile f = IniFile::Parse("; mine\r\n[A]\r\nKey = old\r\nOther=1\r\n\r\n[B]\r\nX=1\r\n");
  f.set("a", "KEY", "new");
  f.set("A", "Added", "2");
  f.set("C", "Fresh", "line\nbreak");
  EXPECT_EQ(f.encode(),
            "; mine\r\n[A]\r\nKey =new\r\nOther=1\r\nAdded=2\r\n\r\n[B]\r\nX=1\r\n[C]\r\nFresh=line break\r\n");
  EXPECT_EQ(IniFile::Parse(f.encode()).get("A", "Key"), "new");
}

TEST(IniFile, KeepsTheFileEncoding) {
  // "表示" in CP932: 95 5C 8E A6 (a trail byte 0x5C that is not a "\").
  IniFile cp = IniFile::Parse("[Tesmiro]\r\nName=\x95\x5C\x8E\xA6\r\nPath=C:\\\x83\x5C\r\n");
  ASSERT_TRUE(cp.isCp932());
  EXPECT_EQ(cp.get("Tesmiro", "Name"), "表示");
  EXPECT_EQ(cp.get("Tesmiro", "Path"), "C:\\ソ");
  cp.set("Tesmiro", "Other", "ソフト");
  EXPECT_EQ(cp.encode(), "[Tesmiro]\r\nName=\x95\x5C\x8E\xA6\r\nPath=C:\\\x83\x5C\r\nOther=\x83\x5C\x83\x74\x83\x67\r\n");
  // A value CP932 cannot hold moves the whole file to UTF-8, still readable.
  cp.set("Tesmiro", "Other", "café ☃");
  IniFile back = IniFile::Parse(cp.encode());
  EXPECT_FALSE(back.isCp932());
  EXPECT_EQ(back.get("Tesmiro", "Name"), "表示");
  EXPECT_EQ(back.get("Tesmiro", "Other"), "café ☃");

  IniFile bom = IniFile::Parse("\xEF\xBB\xBF[S]\nK=表\n");
  EXPECT_EQ(bom.get("S", "K"), "表");
  bom.set("S", "K", "v");
  EXPECT_EQ(bom.encode(), "\xEF\xBB\xBF[S]\nK=v\n");
}

TEST(IniFileModule, ReadsAndWritesFiles) {
  TempDir dir;
  auto ini = dir / "tesmiro.ini";
  EXPECT_EQ(IniFileModule::GetIniString("Tesmiro", "Missing", "dflt", ini), "dflt");
  EXPECT_EQ(IniFileModule::GetIniValue("Tesmiro", "Missing", 2.5, ini), 2.5);
  ASSERT_TRUE(IniFileModule::WriteIniString("Tesmiro", "MostRecentUsedFiles1", "C:\\a\\表.tsm", ini));
  ASSERT_TRUE(IniFileModule::WriteIniValue("Tesmiro", "AutoBackUpInterval", 5, ini));
  ASSERT_TRUE(IniFileModule::WriteIniValue("Tesmiro", "Ratio", 0.25, ini));
  ASSERT_TRUE(IniFileModule::WriteIniString("Tesmiro", "Text", "abc", ini));
  ASSERT_TRUE(IniFileModule::WriteIniString("Tesmiro", "Px", "12px", ini));
  EXPECT_EQ(FileText(ini), "[Tesmiro]\nMostRecentUsedFiles1=C:\\a\\表.tsm\nAutoBackUpInterval=5\nRatio=0.25\nText=abc\nPx=12px\n");
  EXPECT_EQ(IniFileModule::GetIniString("tesmiro", "mostrecentusedfiles1", "", ini), "C:\\a\\表.tsm");
  EXPECT_EQ(IniFileModule::GetIniValue("Tesmiro", "AutoBackUpInterval", 0, ini), 5);
  EXPECT_EQ(IniFileModule::GetIniValue("Tesmiro", "Ratio", 0, ini), 0.25);
  EXPECT_EQ(IniFileModule::GetIniValue("Tesmiro", "Text", 7, ini), 0);
  EXPECT_EQ(IniFileModule::GetIniValue("Tesmiro", "Px", 7, ini), 12);
  // A folder that cannot hold the file: the write reports failure, saying where.
  const auto unwritable = IniFileModule::WriteIniString("S", "K", "v", ini / "sub.ini");
  EXPECT_FALSE(unwritable);
  EXPECT_NE(unwritable.message().find("sub.ini"), std::string::npos) << unwritable.message();
}

TEST(IniFileModule, AValueTheFileCannotHoldIsRefusedWithItsText) {
  testing::TempDir dir;
  const auto ini = dir / "tesmiro.ini";
  const std::string file = "[Tesmiro]\r\nOdd=\xA0\x81\r\n";  // stray bytes keep it in CP932
  {
    std::ofstream out(ini, std::ios::binary);
    out << file;
  }
  const auto refused = IniFileModule::WriteIniString("Tesmiro", "Snow", "☃", ini);
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.message().find("「☃」"), std::string::npos) << refused.message();
  EXPECT_EQ(FileText(ini), file);
}

}  // namespace
}  // namespace tesmiro

namespace tesmiro {
namespace {

TEST(IniFile, LinesAWriteDoesNotChangeKeepTheirBytes) {
  // A CP932 file written by hand: a value ending in CR, quoted values, a
  // byte that is not CP932 (0xA0 stands alone), mixed line ends, no end on
  // the last line.
  const std::string file =
      "[Tesmiro]\r\n"
      "Cr=abc\r\r\n"
      "Quoted=\"C:\\my docs\\\x95\x5C.tsm\"\n"
      "Odd=\xA0\x81\r\n"
      "Width=640\r\n"
      "Last=1";
  IniFile f = IniFile::Parse(file);
  ASSERT_TRUE(f.isCp932());
  // Values written back as they read leave their lines alone.
  ASSERT_TRUE(f.set("Tesmiro", "Quoted", *f.get("Tesmiro", "Quoted")));
  ASSERT_TRUE(f.set("Tesmiro", "Cr", *f.get("Tesmiro", "Cr")));
  EXPECT_FALSE(f.changed());
  EXPECT_EQ(f.encode(), file);
  ASSERT_TRUE(f.set("Tesmiro", "Width", "800"));
  ASSERT_TRUE(f.set("Tesmiro", "Added", "表"));
  EXPECT_EQ(f.encode(),
            "[Tesmiro]\r\n"
            "Cr=abc\r\r\n"
            "Quoted=\"C:\\my docs\\\x95\x5C.tsm\"\n"
            "Odd=\xA0\x81\r\n"
            "Width=800\r\n"
            "Last=1\r\n"
            "Added=\x95\x5C\r\n");
  // A value CP932 cannot hold would need the whole file in UTF-8, which the
  // stray bytes cannot follow: the write is refused and nothing changes.
  const std::string before = f.encode();
  EXPECT_FALSE(f.set("Tesmiro", "Width", "☃"));
  EXPECT_EQ(f.encode(), before);
}

TEST(IniFileModule, WritingAnUnchangedValueLeavesTheFileAlone) {
  testing::TempDir dir;
  const auto ini = dir / "tesmiro.ini";
  {
    std::ofstream out(ini, std::ios::binary);
    out << "[Tesmiro]\r\nSAPlayerFileName=\"/opt/player\"\r\n";
  }
  const auto written = std::filesystem::last_write_time(ini);
  ASSERT_TRUE(IniFileModule::WriteIniString("Tesmiro", "SAPlayerFileName", "/opt/player", ini));
  EXPECT_EQ(FileText(ini), "[Tesmiro]\r\nSAPlayerFileName=\"/opt/player\"\r\n");
  EXPECT_EQ(std::filesystem::last_write_time(ini), written);
}

}  // namespace
}  // namespace tesmiro
