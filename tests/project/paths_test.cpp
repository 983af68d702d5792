#include "project/paths.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace tesmiro {
namespace {

using testing::TempDir;
namespace fs = std::filesystem;

void Touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x";
}

TEST(PathParts, WindowsAndLocalPaths) {
  EXPECT_EQ(GUICore::GetFolderPart("C:\\a.tsm"), "C:\\");
  EXPECT_EQ(GUICore::GetFolderPart("C:\\a\\b.tsm"), "C:\\a");
  EXPECT_EQ(GUICore::GetFolderPart("a.tsm"), "a.tsm");
  EXPECT_EQ(GUICore::GetFolderPart(""), "");
  EXPECT_EQ(GUICore::GetFolderPart("/home/u/p.tsm"), "/home/u");
  EXPECT_EQ(GUICore::GetFolderPart("/p.tsm"), "/");
  EXPECT_EQ(GUICore::GetFileNamePart("C:\\a\\b.tsm"), "b.tsm");
  EXPECT_EQ(GUICore::GetFileNamePart("b.tsm"), "b.tsm");
  EXPECT_EQ(GUICore::GetFileNamePart("/x/y/表.jpg"), "表.jpg");
  EXPECT_EQ(GUICore::GetFileNamePart(""), "");
  EXPECT_EQ(GUICore::GetExtensionPart("a\\b.JPG"), "JPG");
  EXPECT_EQ(GUICore::GetExtensionPart("C:\\a.b\\c"), "");
  EXPECT_EQ(GUICore::GetExtensionPart("/a.b/c"), "");
  EXPECT_EQ(GUICore::GetExtensionPart("noext"), "");
}

TEST(ResolveRelativePath, WindowsBaseIsFormedLexically) {
  EXPECT_EQ(PathModule::ResolveRelativePath("..\\img\\x.jpg", "C:\\proj\\sub"), "C:\\proj\\img\\x.jpg");
  EXPECT_EQ(PathModule::ResolveRelativePath(".\\x.jpg", "C:\\"), "C:\\x.jpg");
  EXPECT_EQ(PathModule::ResolveRelativePath("C:\\x.jpg", "C:\\proj"), "C:\\x.jpg");
  EXPECT_EQ(PathModule::ResolveRelativePath("/abs/x.jpg", "/proj"), "/abs/x.jpg");
}

TEST(ResolveRelativePath, FindsFilesWithoutRegardToCaseAndKeepsMissingText) {
  TempDir dir;
  Touch(dir / "proj" / "Img" / "Photo.JPG");
  Touch(dir / "shared" / "s.wav");
  std::string base = (dir / "proj").string();
  EXPECT_EQ(PathModule::ResolveRelativePath(".\\img\\photo.jpg", base), (dir / "proj" / "Img" / "Photo.JPG").string());
  EXPECT_EQ(PathModule::ResolveRelativePath("..\\shared\\s.wav", base), (dir / "shared" / "s.wav").string());
  EXPECT_EQ(PathModule::ResolveRelativePath("./Img/Photo.JPG", base), (dir / "proj" / "Img" / "Photo.JPG").string());
  // Never replaced by an empty string.
  EXPECT_EQ(PathModule::ResolveRelativePath(".\\gone\\x.jpg", base), ".\\gone\\x.jpg");
  EXPECT_EQ(PathModule::ResolveRelativePath(".\\x.jpg", ""), ".\\x.jpg");
}

TEST(MakeRelativePath, FormsBackslashPathsFromExistingFiles) {
  TempDir dir;
  Touch(dir / "proj" / "p.tsm");
  Touch(dir / "proj" / "img" / "x.jpg");
  Touch(dir / "other" / "y.jpg");
  std::string project = (dir / "proj" / "p.tsm").string();
  EXPECT_EQ(PathModule::MakeRelativePath(project, (dir / "proj" / "img" / "x.jpg").string()), ".\\img\\x.jpg");
  EXPECT_EQ(PathModule::MakeRelativePath((dir / "proj").string(), (dir / "proj" / "img" / "x.jpg").string()),
            ".\\img\\x.jpg");
  EXPECT_EQ(PathModule::MakeRelativePath(project, (dir / "other" / "y.jpg").string()), "..\\other\\y.jpg");
  // Missing files and paths of another machine stay as they are.
  std::string missing = (dir / "proj" / "none.jpg").string();
  EXPECT_EQ(PathModule::MakeRelativePath(project, missing), missing);
  EXPECT_EQ(PathModule::MakeRelativePath(project, "D:\\x.jpg"), "D:\\x.jpg");
  // A name holding "\" cannot travel in a "\"-separated path.
  Touch(dir / "proj" / "a\\b.jpg");
  std::string odd = (dir / "proj" / "a\\b.jpg").string();
  EXPECT_EQ(PathModule::MakeRelativePath(project, odd), odd);
  // Round trip through the resolver.
  EXPECT_EQ(PathModule::ResolveRelativePath("..\\other\\y.jpg", (dir / "proj").string()),
            (dir / "other" / "y.jpg").string());
}

TEST(GetExactPathCase, SpellsComponentsAsOnDisk) {
  TempDir dir;
  Touch(dir / "My Docs" / "A.tsm");
  EXPECT_EQ(PathModule::GetExactPathCase((dir / "my docs" / "a.TSM").string()), (dir / "My Docs" / "A.tsm").string());
  EXPECT_EQ(PathModule::GetExactPathCase((dir / "my docs" / "missing.tsm").string()), "");
  EXPECT_EQ(PathModule::GetExactPathCase("\\\\server\\x"), "\\\\server\\x");
  EXPECT_EQ(PathModule::GetExactPathCase("relative\\a.tsm"), "relative\\a.tsm");
}

TEST(LocateFile, FindsMaterialsOfWindowsProjectsBesideTheProject) {
  TempDir dir;
  Touch(dir / "proj" / "Logo.png");
  Touch(dir / "proj" / "img" / "a.jpg");
  std::string folder = (dir / "proj").string();
  EXPECT_EQ(PathModule::LocateFile("C:\\Users\\someone\\Desktop\\logo.PNG", folder), (dir / "proj" / "Logo.png").string());
  EXPECT_EQ(PathModule::LocateFile(".\\IMG\\A.jpg", folder), (dir / "proj" / "img" / "a.jpg").string());
  EXPECT_EQ(PathModule::LocateFile((dir / "elsewhere" / "logo.png").string(), folder), (dir / "proj" / "Logo.png").string());
  EXPECT_FALSE(PathModule::LocateFile("C:\\nothing.jpg", folder).has_value());
  EXPECT_FALSE(PathModule::LocateFile("", folder).has_value());
  // A folder of the same name is not a material.
  EXPECT_FALSE(PathModule::LocateFile("C:\\img", folder).has_value());
}

}  // namespace
}  // namespace tesmiro
