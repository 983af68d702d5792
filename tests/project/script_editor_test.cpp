// The script panel's target, its write-back, the syntax check and the
// editors' text rules (CR LF in the model, LF in the editors).
#include "project/script_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "media/action_compiler.h"
#include "project/build_lock.h"
#include "project/events.h"
#include "project/model_fixture.h"
#include "project/timelines.h"

namespace tesmiro {
namespace {

namespace SE = ScriptEditorModule;

// Records what the module asks of the windows.
struct RecordingView : SE::View {
  bool on = true;
  bool dock = true;
  std::vector<std::string> calls;
  std::string caption, text;
  bool enabled = false;
  std::function<void()> duringFill;  // runs as a text box's change handler would

  bool editorOn() const override { return on; }
  bool docked() const override { return dock; }
  void fillPanel(const std::string& c, const std::string& t, bool e) override { fill("panel", c, t, e); }
  void fillWindow(const std::string& c, const std::string& t, bool e) override { fill("window", c, t, e); }
  void hideEditor() override { calls.push_back("hide"); }
  void clearPanel() override { calls.push_back("clear"); }
  void focusEditor() override { calls.push_back("focusEditor"); }
  void focusEventList() override { calls.push_back("focusList"); }
  void setEventDialogScript(int32_t kind, const std::string& t) override {
    calls.push_back("dialog " + std::to_string(kind) + " " + t);
  }

 private:
  void fill(const char* where, const std::string& c, const std::string& t, bool e) {
    calls.push_back(where);
    caption = c;
    text = t;
    enabled = e;
    if (duringFill) duringFill();
  }
};

class ScriptEditorTest : public testing::ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    view.calls.clear();  // the new project's clearing of the panel
  }
  void TearDown() override { GUICore::ResetProjectState(); }

  static EventRecord Placed(int32_t id, const std::string& name = "", const std::string& script = "") {
    EventRecord e;
    e.itemId = id;
    e.text1 = name;
    e.text2 = script;
    return e;
  }
  static EventRecord FrameScript(const std::string& script) {
    EventRecord e;
    e.itemId = 0;
    e.kind = kEventKindScripted;
    e.text2 = script;
    return e;
  }
  static void Append(EventRecord e) { GUICore::InsertEvent(e, GUICore::EventCount()); }
  static void Select(int32_t row) {
    EventListModule::ClearRowSelection();
    auto& rows = EventListModule::Current();
    rows.currentRow = row;
    rows.rows[static_cast<size_t>(row)].selected = -1;
  }

  RecordingView view;
  SE::ScopedView scoped{view};
};

TEST_F(ScriptEditorTest, KindsAndCaptionsFollowTheSelection) {
  const int32_t sprite = AddItem("sprite");
  const int32_t image = AddItem("jpg", "a.jpg");
  Append(Placed(sprite, "clip1", "onClipEvent (load) {\r\n}"));
  Append(Placed(image, "pic"));
  Append(FrameScript("stop();"));
  EventRecord button = Placed(image, "btn", "on (press) {\r\n}");
  button.buttonFlag = 1;
  button.kind = kEventKindScripted;
  Append(button);

  Select(0);
  SE::ShowEventScript(0, "");
  EXPECT_EQ(view.caption, "（クリップアクション） - [clip1]");
  EXPECT_EQ(view.text, "onClipEvent (load) {\r\n}");
  EXPECT_TRUE(view.enabled);
  EXPECT_EQ(SE::GetScriptKind(), SE::kClipAction);

  Select(1);
  SE::ShowEventScript(0, "");
  EXPECT_EQ(view.caption, "（なし）");
  EXPECT_EQ(view.text, "");
  EXPECT_FALSE(view.enabled);
  EXPECT_EQ(SE::GetScriptKind(), SE::kNoScript);

  Select(2);
  EXPECT_EQ(SE::DecideScript(0, "").kind, SE::kFrameAction);
  Select(3);
  EXPECT_EQ(SE::DecideScript(0, "").caption, "（ボタンアクション） - [btn]");

  EventListModule::Current().rows[0].selected = -1;  // rows 0 and 3
  SE::ShowEventScript(0, "");
  EXPECT_EQ(view.caption, "（複数選択）");
  EXPECT_FALSE(view.enabled);

  // A forced kind shows the given text, in the window with its title.
  Select(1);
  view.dock = false;
  SE::ShowEventScript(SE::kButtonAction, "on (release) {}");
  EXPECT_EQ(view.calls.back(), "focusEditor");
  EXPECT_EQ(view.caption, "（ボタンアクション） - [pic]スクリプトエディタ");
  EXPECT_EQ(view.text, "on (release) {}");
  EXPECT_EQ(SE::GetScriptKind(), SE::kButtonAction);
}

TEST_F(ScriptEditorTest, EditorOffHidesAndFillingWritesNothing) {
  Append(FrameScript("a();"));
  Select(0);
  view.on = false;
  SE::ShowEventScript(0, "");
  EXPECT_EQ(view.calls, (std::vector<std::string>{"hide", "focusList"}));

  // The text box's change handler runs while it is filled: no target yet.
  view.on = true;
  SE::ApplyResult during = SE::ApplyResult::Written;
  view.duringFill = [&] { during = SE::ApplyScript("changed"); };
  SE::ShowEventScript(0, "");
  EXPECT_EQ(during, SE::ApplyResult::NoTarget);
  EXPECT_EQ(GUICore::GetEvent(1).text2, "a();");
}

TEST_F(ScriptEditorTest, TypingWritesTheEventAndRedrawsOnlyWhenEmptinessChanges) {
  const int32_t sprite = AddItem("sprite");
  Append(Placed(sprite, "s"));
  Select(0);
  SE::ShowEventScript(0, "");
  GUICore::SetModified(false);
  ui.calls.clear();

  EXPECT_EQ(SE::ApplyScript("o"), SE::ApplyResult::Written);
  EXPECT_EQ(GUICore::GetEvent(1).text2, "o");
  EXPECT_TRUE(GUICore::HasUnsavedChanges());
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "eventsChanged"), 1);

  EXPECT_EQ(SE::ApplyScript("on\n"), SE::ApplyResult::Written);
  EXPECT_EQ(GUICore::GetEvent(1).text2, "on\r\n");  // the model keeps CR LF
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "eventsChanged"), 1);
  EXPECT_EQ(view.calls.back(), "dialog 3 on\r\n");

  EXPECT_EQ(SE::ApplyScript(""), SE::ApplyResult::Written);
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "eventsChanged"), 2);
}

TEST_F(ScriptEditorTest, AStaleTargetWritesNothing) {
  const int32_t sprite = AddItem("sprite");
  Append(FrameScript("main1"));
  Append(FrameScript("main2"));
  Select(1);
  SE::ShowEventScript(0, "");
  ASSERT_EQ(SE::GetScriptKind(), SE::kFrameAction);

  // Another tab: the sprite's timeline has an event at the same index.
  GUICore::ShowTimeline(sprite, true);
  Append(FrameScript("sprite1"));
  Append(FrameScript("sprite2"));
  EXPECT_EQ(SE::ApplyScript("typed"), SE::ApplyResult::Stale);
  EXPECT_EQ(GUICore::GetEvent(2).text2, "sprite2");
  GUICore::ShowTimeline(0, false);
  EXPECT_EQ(GUICore::GetEvent(2).text2, "main2");

  // Back on the main timeline the same target is good again.
  EXPECT_EQ(SE::ApplyScript("typed"), SE::ApplyResult::Written);
  EXPECT_EQ(GUICore::GetEvent(2).text2, "typed");

  // A paste before the target moves it down: the index names another event.
  GUICore::CopyEventToClipboard(0);
  GUICore::PasteEventClipboard(0);
  EXPECT_EQ(SE::ApplyScript("again"), SE::ApplyResult::Stale);
  EXPECT_EQ(GUICore::GetEvent(2).text2, "main1");
  EXPECT_EQ(GUICore::GetEvent(3).text2, "typed");

  // Renewed, it follows the current row.
  Select(2);
  SE::RenewScriptTarget();
  EXPECT_EQ(view.text, "typed");
  EXPECT_NE(view.calls.back(), "focusList");  // renewal leaves the focus alone
  EXPECT_EQ(SE::ApplyScript("again"), SE::ApplyResult::Written);
  EXPECT_EQ(GUICore::GetEvent(3).text2, "again");
  {
    GUICore::BuildLock build;  // a build reads the model between its steps
    EXPECT_EQ(SE::ApplyScript("during"), SE::ApplyResult::Busy);
  }
  EXPECT_EQ(GUICore::GetEvent(3).text2, "again");

  // An undo that removes the target's event.
  GUICore::EventUndo();
  EXPECT_EQ(SE::ApplyScript("lost"), SE::ApplyResult::Stale);

  // A new project clears the panel and drops its target.
  Select(0);
  SE::RenewScriptTarget();
  GUICore::NewProject();
  Append(FrameScript("new"));
  EXPECT_EQ(SE::ApplyScript("x"), SE::ApplyResult::NoTarget);
  EXPECT_EQ(GUICore::GetEvent(1).text2, "new");
}

TEST_F(ScriptEditorTest, LineSpansCoverTheLineAndItsCr) {
  int32_t start = -1, length = -1;
  SE::GetLineSpan(1, "ab\r\ncd", start, length);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 3);
  SE::GetLineSpan(2, "ab\r\ncd", start, length);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(length, 2);
  SE::GetLineSpan(5, "ab\r\ncd", start, length);
  EXPECT_EQ(start, 6);
  EXPECT_EQ(length, 0);
  SE::GetLineSpan(2, "a\rb\r\n\r\nc", start, length);  // a lone CR ends no line
  EXPECT_EQ(start, 5);
  EXPECT_EQ(length, 1);

  // In the editor the same lines, without their CR.
  EXPECT_EQ(SE::EditorText("ab\r\ncd"), u"ab\ncd");
  const SE::Span first = SE::EditorSpan("ab\r\ncd", {0, 3});
  const SE::Span second = SE::EditorSpan("ab\r\ncd", {4, 2});
  EXPECT_EQ(first.start, 0);
  EXPECT_EQ(first.length, 2);
  EXPECT_EQ(second.start, 3);
  EXPECT_EQ(second.length, 2);
}

TEST_F(ScriptEditorTest, OffsetsMapBothWaysThroughLineBreaksAndWideCharacters) {
  // "あ" is 3 bytes and one code unit, the emoji 4 bytes and two units.
  const std::string model = "あ\r\n\xF0\x9F\x98\x80x\r\ny";
  const std::u16string editor = SE::EditorText(model);
  ASSERT_EQ(editor, u"あ\n\U0001F600x\ny");
  const std::vector<std::pair<int32_t, int32_t>> pairs = {{0, 0}, {3, 1}, {5, 2}, {9, 4}, {10, 5}, {12, 6}, {13, 7}};
  for (auto [m, e] : pairs) {
    EXPECT_EQ(SE::EditorOffset(model, m), e) << "model " << m;
    EXPECT_EQ(SE::ModelOffset(model, e), m) << "editor " << e;
  }
  EXPECT_EQ(SE::EditorOffset(model, 4), 1);  // between CR and LF: before the break
  EXPECT_EQ(SE::ModelOffset(model, 3), 5);   // inside the pair: before it
  EXPECT_EQ(SE::ModelText(editor), model);
  EXPECT_EQ(SE::ModelText(u"a\nb"), "a\r\nb");
}

TEST_F(ScriptEditorTest, FindWrapsWithoutRegardToCaseAndRemembersATermOnce) {
  const std::u16string text = u"Stop();\nstop();\nＡＢ";
  EXPECT_EQ(SE::FindInEditorText(text, u"STOP", 0), 0);
  EXPECT_EQ(SE::FindInEditorText(text, u"STOP", 1), 8);
  EXPECT_EQ(SE::FindInEditorText(text, u"STOP", 12), 0);  // wraps to the start
  EXPECT_EQ(SE::FindInEditorText(text, u"ａｂ", 0), 16);
  EXPECT_EQ(SE::FindInEditorText(text, u"play", 0), -1);
  EXPECT_EQ(SE::FindInEditorText(text, u"", 0), -1);

  std::vector<std::string> history;
  EXPECT_TRUE(SE::RememberSearchTerm(history, "stop"));
  EXPECT_FALSE(SE::RememberSearchTerm(history, "stop"));
  EXPECT_TRUE(SE::RememberSearchTerm(history, "Stop"));  // exact comparison
  EXPECT_FALSE(SE::RememberSearchTerm(history, ""));
  EXPECT_EQ(history.size(), 2u);

  EXPECT_EQ(SE::LineLabel(text, 0), "Line：1");
  EXPECT_EQ(SE::LineLabel(text, 7), "Line：1");  // before the break
  EXPECT_EQ(SE::LineLabel(text, 8), "Line：2");
  EXPECT_EQ(SE::EditorCaretLine(text, 999), 3);
}

TEST_F(ScriptEditorTest, SyntaxCheckSelectsTheErrorLine) {
  Append(FrameScript(""));
  Select(0);
  SE::ShowEventScript(0, "");
  ActionCompiler::ModuleState().compile = [](std::string_view, script::Target) {
    script::CompileResult r;
    r.error = script::CompileError{"bad", 2, 1};
    return r;
  };
  int32_t start = -1, length = -1;
  EXPECT_TRUE(SE::CheckScriptSyntax("ab\r\ncd", start, length));
  EXPECT_EQ(start, 4);
  EXPECT_EQ(length, 2);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, "スクリプトエラー");
}

TEST_F(ScriptEditorTest, AnIncludeThatCannotBeReadIsNeverErrorFree) {
  Append(FrameScript(""));
  Select(0);
  SE::ShowEventScript(0, "");
  ActionCompiler::ModuleState().settings.programFolder = dir.path();
  int32_t start = -1, length = -1;
  EXPECT_TRUE(SE::CheckScriptSyntax("#file \"missing.as\"\r\nstop();", start, length));
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 19);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "ファイルがありません：missing.as");

  ui.messages.clear();
  WriteFile(dir.path() / "present.as", "play();\n");
  EXPECT_FALSE(SE::CheckScriptSyntax("#file \"present.as\"", start, length));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "構文エラーはありません");
}

TEST_F(ScriptEditorTest, SyntaxCheckWithoutAScriptReportsNothingStale) {
  const int32_t image = AddItem("jpg", "a.jpg");
  Append(Placed(image));
  Select(0);
  SE::ShowEventScript(0, "");
  ActionCompiler::ModuleState().errorLine = 7;  // from an earlier compile
  int32_t start = -1, length = -1;
  EXPECT_FALSE(SE::CheckScriptSyntax("x = ;", start, length));
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(start, -1);
}

TEST_F(ScriptEditorTest, ButtonScriptsAreCheckedBlockByBlock) {
  EventRecord button;
  button.itemId = AddItem("jpg", "a.jpg");
  button.buttonFlag = 1;
  button.kind = kEventKindScripted;
  Append(button);
  Select(0);
  SE::ShowEventScript(0, "");
  ASSERT_EQ(SE::GetScriptKind(), SE::kButtonAction);

  int32_t start = 0, length = 0;
  EXPECT_FALSE(SE::CheckScriptSyntax("on (press) {\r\n  play();\r\n}\r\n-\r\non (release) {\r\n  stop();\r\n}", start,
                                     length));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "構文エラーはありません");

  // A block that gives no actions does not end the check early.
  ui.messages.clear();
  const std::string script = "on (press) {\r\n}\r\n-\r\non (release) {\r\n  x = ;\r\n}";
  EXPECT_TRUE(SE::CheckScriptSyntax(script, start, length));
  EXPECT_EQ(script.substr(static_cast<size_t>(start), static_cast<size_t>(length)), "  x = ;\r");
}

}  // namespace
}  // namespace tesmiro
