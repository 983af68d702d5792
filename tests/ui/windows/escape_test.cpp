// Escape in every dialog that closes with it: an open drop-down list or
// context menu takes the key and closes alone, the dialog and what was
// typed into it stay; only then does Escape click the dialog's Cancel (or
// Close) button, whichever control has the focus. The same checks run on
// the X server (named OnX*: there the open popup has the keyboard, as on a
// desktop) and offscreen.
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <functional>
#include <memory>
#include <ostream>
#include <set>

#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/store_property_exchange.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "support/wait_and_files.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/event_list_display_dialog.h"
#include "ui/dialogs/filter_dialog.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/preview_options_dialog.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/dialogs/text_effect_dialog.h"

namespace tesmiro::testing {
namespace {

using Held = std::unique_ptr<QWidget>;

// A dialog as the user meets it: how it opens over the main window (called
// again after it closed; a dialog the test holds goes into `held`), the button
// Escape stands for, a box to type into (empty: it has none; typing "72"
// there may bring up its completer) and the drop-down lists it shows.
struct DialogCase {
  const char* name;
  std::function<QWidget*(gui::MainGUI& main, Held& held)> open;
  const char* button;
  const char* input;
  std::vector<const char*> lists;
  bool completes = false;
};

void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }

QString TextOf(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) return line->text();
  return static_cast<QPlainTextEdit*>(box)->toPlainText();
}

class EscapeInDialogs : public MainGuiTest, public ::testing::WithParamInterface<DialogCase> {
 protected:
  void SetUp() override { start(); }

  ~EscapeInDialogs() override {
    gui::EventDialog::UnloadInstance();
    Settle();
  }

  // The dialog shown, active and counting its button's clicks.
  QWidget* open() {
    clicks = 0;
    QWidget* d = GetParam().open(window(), held);
    EXPECT_NE(d, nullptr);
    if (!d) return nullptr;
    if (!d->isVisible()) d->show();
    ActivateWindow(*d);
    EXPECT_TRUE(QTest::qWaitForWindowActive(d));
    dialog = d;
    // A tool window is shown again, not made anew: its count starts afresh.
    QObject::disconnect(counting);
    counting = QObject::connect(Control<QAbstractButton>(d, GetParam().button), &QAbstractButton::clicked, d,
                                [this] { ++clicks; });
    return d;
  }

  bool closed() const { return !dialog || !dialog->isVisible(); }

  // Escape as the window system hands it over: to the window that has the
  // keyboard, through the shortcut map, then to the focused control.
  static void PressEscape() {
    QWindow* keyboard = QGuiApplication::focusWindow();
    ASSERT_NE(keyboard, nullptr);
    QTest::keyClick(keyboard, Qt::Key_Escape);
    Settle();
  }

  // Waits until the popup is shown and has the keyboard.
  static QWidget* WaitForPopup() {
    QWidget* popup = nullptr;
    const bool shown = WaitUntil(
        [&] {
          popup = QApplication::activePopupWidget();
          return popup && popup->isVisible() && QGuiApplication::focusWindow() == popup->windowHandle();
        },
        5000);
    return shown ? popup : nullptr;
  }

  // Escape with the popup open closes the popup alone.
  void expectEscapeClosesOnly(QWidget* shown, const std::string& what, const QString& typed) {
    SCOPED_TRACE(what);
    ASSERT_NE(shown, nullptr) << "no popup came up";
    // A context menu deletes itself once closed.
    const QPointer<QWidget> popup = shown;
    PressEscape();
    EXPECT_TRUE(!popup || !popup->isVisible());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(clicks, 0);
    ASSERT_FALSE(closed());
    if (*GetParam().input) {
      EXPECT_EQ(TextOf(Control<QWidget>(dialog, GetParam().input)).toStdString(), typed.toStdString());
    }
    // The keyboard is the dialog's again. (The offscreen platform does not
    // always hand it back when a popup that had it goes; a desktop does.)
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) ActivateWindow(*dialog);
    EXPECT_TRUE(WaitUntil([&] { return QGuiApplication::focusWindow() == dialog->windowHandle(); }, 5000));
  }

  Held held;
  FakeFlashHosts hosts;
  QPointer<QWidget> dialog;
  QMetaObject::Connection counting;
  int clicks = 0;
};

// A modal dialog the test holds, shown as modal as ExecModal shows it,
// without entering its loop.
template <class D, class... Args>
QWidget* Hold(Held& held, Args&&... args) {
  held = std::make_unique<D>(std::forward<Args>(args)...);
  held->setWindowModality(Qt::ApplicationModal);
  return held.get();
}

TEST_P(EscapeInDialogs, ClosesAnOpenListOrMenuFirstThenTheDialogThroughItsButton) {
  QWidget* d = open();
  ASSERT_NE(d, nullptr);
  QString typed;
  if (*GetParam().input) {
    QWidget* box = Control<QWidget>(d, GetParam().input);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("72"));
    typed = TextOf(box);
    ASSERT_EQ(typed.toStdString(), "72");
    if (GetParam().completes) {
      expectEscapeClosesOnly(WaitForPopup(), "completer", typed);
      if (HasFatalFailure()) return;
    }
  }
  for (const char* name : GetParam().lists) {
    auto* list = Control<QComboBox>(d, name);
    ASSERT_TRUE(list->isVisible()) << name;
    const int chosen = list->currentIndex();
    list->setFocus();
    list->showPopup();
    expectEscapeClosesOnly(WaitForPopup(), name, typed);
    if (HasFatalFailure()) return;
    EXPECT_EQ(list->currentIndex(), chosen) << name;
    EXPECT_EQ(QApplication::focusWidget(), list) << name;
  }
  if (*GetParam().input) {
    QWidget* box = Control<QWidget>(d, GetParam().input);
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(
        qobject_cast<QAbstractScrollArea*>(box) ? static_cast<QAbstractScrollArea*>(box)->viewport() : box, &menu);
    QWidget* popup = WaitForPopup();
    EXPECT_NE(qobject_cast<QMenu*>(popup), nullptr);
    expectEscapeClosesOnly(popup, "context menu", typed);
    if (HasFatalFailure()) return;
  }
  // A disabled button does nothing, nor does Escape.
  auto* button = Control<QAbstractButton>(d, GetParam().button);
  button->setEnabled(false);
  PressEscape();
  EXPECT_FALSE(closed());
  button->setEnabled(true);
  PressEscape();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(closed());
}

TEST_P(EscapeInDialogs, ClicksTheButtonWhicheverControlHasTheFocus) {
  // One control of each kind that takes the focus.
  std::vector<QString> names;
  std::set<QString> kinds;
  QWidget* d = open();
  ASSERT_NE(d, nullptr);
  for (QWidget* w : d->findChildren<QWidget*>()) {
    // The parts Qt makes inside a control (a list's viewport, a spin box's
    // editor) have no name or one of Qt's own.
    const QString name = w->objectName();
    if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) || name.isEmpty() ||
        name.startsWith(QLatin1String("qt_")) ||
        !kinds.insert(QString::fromLatin1(w->metaObject()->className())).second)
      continue;
    names.push_back(name);
  }
  EXPECT_GE(names.size(), 2u);
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    if (closed()) d = open();
    ASSERT_NE(d, nullptr);
    auto* control = Control<QWidget>(d, name.toUtf8().constData());
    control->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == control; }, 5000));
    PressEscape();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(closed());
    Settle();
  }
}

FilterState TransformOn() {
  FilterState s;
  s.colorTransform = -1;
  return s;
}

// No dialog of the program completes what is typed; the helper they all
// close with must still leave an open completer to close alone.
QWidget* DialogWithACompleter(Held& held) {
  auto d = std::make_unique<QDialog>();
  d->setWindowModality(Qt::ApplicationModal);
  auto* box = new QLineEdit(d.get());
  box->setObjectName(QStringLiteral("nameBox"));
  box->setCompleter(new QCompleter(QStringList{QStringLiteral("720"), QStringLiteral("72px")}, box));
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), d.get());
  cancel->setObjectName(QStringLiteral("cancelButton"));
  cancel->move(0, 40);
  QObject::connect(cancel, &QPushButton::clicked, d.get(), &QDialog::reject);
  gui::RouteEscapeTo(d.get(), cancel);
  held = std::move(d);
  return held.get();
}

// A modal dialog of the program, made over the main window, that closes
// with its cancelButton.
template <class D>
DialogCase Modal(const char* name, const char* input, std::vector<const char*> lists = {}) {
  return {name, [](gui::MainGUI& main, Held& held) { return Hold<D>(held, &main); }, "cancelButton", input,
          std::move(lists)};
}

const std::vector<DialogCase>& Dialogs() {
  static const std::vector<DialogCase> cases = {
      {"StoreDialogForAText",
       [](gui::MainGUI&, Held& held) -> QWidget* {
         if (GUICore::State().store.empty()) SelectOnlyItem(AddMaterialAtEnd("txt", "abc"));
         StoreProperty::Fields f;
         if (!StoreProperty::FillFields(f, {"IPAGothic", "IPAPGothic"})) return nullptr;
         auto* d = static_cast<gui::StoreDialog*>(Hold<gui::StoreDialog>(held));
         d->load(f);
         return d;
       },
       "cancelButton",
       "textEdit",
       {"fontList", "alignmentList"}},
      Modal<gui::TextEffectDialog>("TextEffectDialog", "frameCountBoxes_0",
                                   {"orderLists_0", "orderLists_1", "templateLists_0", "templateLists_1"}),
      Modal<gui::ProjectDialog>("ProjectDialog", "stageWidthBox", {"swfVersionList"}),
      Modal<gui::PreviewOptionDialog>("PreviewOptionDialog", "playerProgramBox", {"selectedPlayerList"}),
      {"EventDialog",
       [](gui::MainGUI& main, Held&) -> QWidget* {
         if (GUICore::State().events.empty()) {
           EventRecord e = NewEventFor(StoreItemKind::Sound);
           e.itemId = AddMaterialAtEnd("wav", "/m.wav");
           GUICore::State().events.push_back(e);
           EventListModule::LoadRows();
           EventListModule::Current().rows[0].selected = -1;
           EventListModule::Current().currentRow = 0;
         }
         main.ListEventProperty();
         Settle();
         return gui::EventDialog::instance();
       },
       "closeButton",
       "volumeBoxes_0",
       {"soundModeList"}},
      {"SearchDialog",
       [](gui::MainGUI& main, Held&) -> QWidget* { return gui::SearchDialog::instance(&main); },
       "cancelButton",
       "searchTextBox",
       {}},
      Modal<gui::ImportDialog>("ImportDialog", "spriteNameBox"),
      Modal<gui::OptionDialog>("OptionDialog", "wheelRowsBox"),
      {"FilterDialog",
       [](gui::MainGUI& main, Held& held) { return Hold<gui::FilterDialog>(held, TransformOn(), 8, &main); },
       "cancelButton",
       "offsetBoxes_0",
       {}},
      Modal<gui::ColorDialog>("ColorDialog", "hexBox"),
      Modal<gui::EventColorDialog>("EventColorDialog", ""),
      {"DialogWithACompleter",
       [](gui::MainGUI&, Held& held) { return DialogWithACompleter(held); },
       "cancelButton",
       "nameBox",
       {},
       true},
  };
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<DialogCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(OnX, EscapeInDialogs, ::testing::ValuesIn(Dialogs()), CaseName);
INSTANTIATE_TEST_SUITE_P(, EscapeInDialogs, ::testing::ValuesIn(Dialogs()), CaseName);

}  // namespace
}  // namespace tesmiro::testing
