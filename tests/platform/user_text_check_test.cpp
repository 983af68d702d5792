// The check the failure tests lean on: it must see English, and only English.
#include <gtest/gtest.h>

#include "support/user_text.h"

namespace tesmiro::testing {
namespace {

TEST(UserTextCheck, FindsEnglishWordsButNotNamesFormatsOrTheProduct) {
  EXPECT_EQ(ForeignWords("ファイル [a.swf] could not be opened"),
            (std::vector<std::string>{"could", "not", "be", "opened"}));
  EXPECT_EQ(ForeignWords("QPluginLoader: libtesmiro_web.so"),
            (std::vector<std::string>{"QPluginLoader", "libtesmiro", "web"}));
  EXPECT_TRUE(ForeignWords("ファイル [/home/user/My Movies/clip.webp] は追加できません（.webp は扱えません）",
                           {"/home/user/My Movies/clip.webp"})
                  .empty());
  EXPECT_TRUE(ForeignWords("Tesmiro: SWFファイルを書き込めませんでした。完了 (12 KB)").empty());
  EXPECT_TRUE(ForeignWords("文法に誤りがあります：Line 3").empty());
  EXPECT_EQ(ForeignWords("Ruffle の応答がありません", {}, {"Ruffle"}), std::vector<std::string>{});
}

}  // namespace
}  // namespace tesmiro::testing
