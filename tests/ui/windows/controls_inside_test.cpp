// Every window of the program, in each of its layouts: each visible control
// lies wholly inside its window and its parent, and shows its whole caption.
// CTest runs this program once more at 150 % (QT_SCALE_FACTOR=1.5); each
// run checks that it got the scale it was started for.
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "project/events.h"
#include "project/gui_core.h"
#include "project/list_models.h"
#include "project/model.h"
#include "project/preferences.h"
#include "project/store_property_exchange.h"
#include "support/fake_flash_host.h"
#include "support/find_control.h"
#include "support/main_gui_fixture.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/dialogs/event_list_display_dialog.h"
#include "ui/dialogs/filter_dialog.h"
#include "ui/dialogs/import_dialog.h"
#include "ui/dialogs/options_dialog.h"
#include "ui/dialogs/preview_options_dialog.h"
#include "ui/dialogs/preview_window.h"
#include "ui/dialogs/project_dialog.h"
#include "ui/dialogs/script_editor_window.h"
#include "ui/dialogs/search_dialog.h"
#include "ui/dialogs/splash_screen.h"
#include "ui/dialogs/store_dialog.h"
#include "ui/dialogs/text_effect_dialog.h"
#include "ui/dialogs/trace_window.h"
#include "ui/dialogs/version_dialog.h"

namespace tesmiro::testing {
namespace {

QString Caption(QString text) {
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// Widgets that are parts of another control (a combo box's editor, a list's
// viewport) or that scroll inside one are that control's business.
bool InsideAControl(const QWidget* w, const QWidget* window) {
  for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget()) {
    if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
        qobject_cast<const QAbstractScrollArea*>(p))
      return true;
  }
  return false;
}

// How much wider (or, for wrapped text, taller) the control would have to be
// to show its caption; 0 when it fits.
QSize MissingForCaption(const QWidget* w) {
  const QFontMetrics fm = w->fontMetrics();
  QSize needed;
  if (const auto* label = qobject_cast<const QLabel*>(w)) {
    if (label->text().isEmpty() && !label->pixmap().isNull()) {
      needed = label->pixmap().deviceIndependentSize().toSize();
    } else if (label->wordWrap()) {
      needed = QSize(0, label->heightForWidth(label->width()));
    } else if (!label->text().isEmpty()) {
      needed = QSize(label->sizeHint().width(), fm.height());
    }
  } else if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
    if (!static_cast<const QAbstractButton*>(w)->text().isEmpty()) needed = QSize(w->sizeHint().width(), fm.height());
  } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
    if (!button->text().isEmpty()) {
      // The caption and a frame of two pixels each side.
      int width = fm.horizontalAdvance(Caption(button->text())) + 4;
      if (!button->icon().isNull()) width += button->iconSize().width() + 4;
      needed = QSize(width, fm.height());
    }
  } else if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
    if (!group->title().isEmpty()) needed = QSize(fm.horizontalAdvance(Caption(group->title())) + 16, 0);
  }
  return QSize(std::max(0, needed.width() - w->width()), std::max(0, needed.height() - w->height()));
}

// One line per control the user cannot see whole, named by its object name.
std::vector<std::string> Clipped(QWidget* window) {
  std::vector<std::string> found;
  const QRect windowRect = window->rect();
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->isWindow() || !w->isVisibleTo(window) || w->objectName().isEmpty() ||
        w->objectName().startsWith(QStringLiteral("qt_")) || InsideAControl(w, window))
      continue;
    const std::string name = w->objectName().toStdString();
    auto report = [&](const std::string& what, const QRect& r) {
      found.push_back(name + " " + what + " (" + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
                      std::to_string(r.width()) + "x" + std::to_string(r.height()) + ")");
    };
    const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
    if (!windowRect.contains(inWindow)) {
      report("goes beyond the window", inWindow);
    } else if (QWidget* parent = w->parentWidget(); parent != window && !parent->rect().contains(w->geometry())) {
      report("goes beyond " + parent->objectName().toStdString(), w->geometry());
    }
    const QSize missing = MissingForCaption(w);
    if (missing.width() > 0 || missing.height() > 0) {
      report("cuts its caption by " + std::to_string(missing.width()) + "x" + std::to_string(missing.height()),
             w->geometry());
    }
  }
  return found;
}

// Runs `check` on the preview window once it is shown, for as long as
// `context` lives (a modal preview returns once the window is closed).
void WhenPreviewShown(QObject* context, std::function<void(gui::PreviewWindow*)> check, int triesLeft = 500) {
  QTimer::singleShot(10, context, [context, check = std::move(check), triesLeft]() mutable {
    gui::PreviewWindow* preview = gui::PreviewWindow::instance();
    if (preview && preview->isVisible()) return check(preview);
    if (triesLeft > 0) WhenPreviewShown(context, std::move(check), triesLeft - 1);
  });
}

class ControlsInsideTest : public MainGuiTest {
 protected:
  void SetUp() override {
    // The scale this run was started for, so that the 150 % run cannot
    // quietly check the 100 % layout.
    const char* scale = std::getenv("QT_SCALE_FACTOR");
    const double wanted = scale ? std::atof(scale) : 1.0;
    ASSERT_DOUBLE_EQ(QApplication::primaryScreen()->devicePixelRatio(), wanted);
    start();
    Prefs::Current().windowTopward = 63;  // every keep-on-top box offered
  }

  // Shows the window, lets it lay itself out and checks it in `layout`.
  void expectInside(QWidget* w, const std::string& layout) {
    w->show();
    Settle();
    const std::vector<std::string> clipped = Clipped(w);
    std::string lines;
    for (const std::string& line : clipped) lines += "\n  " + line;
    EXPECT_TRUE(clipped.empty()) << w->objectName().toStdString() << " " << layout << ":" << lines;
    if (!clipped.empty()) SaveGrab(w, w->objectName().toStdString() + "-" + layout);
  }

  static int32_t AddMaterial(const std::string& key) {
    const bool file = key != "txt" && key != "sprite" && key != "folder";
    return AddMaterialAtEnd(key, file ? "/m." + key : "");
  }

  FakeFlashHosts hosts;
};

TEST_F(ControlsInsideTest, TheMainWindowAndTheSplash) {
  expectInside(&window(), "as started");
  gui::SplashWindow splash;
  expectInside(&splash, "as shown");
}

TEST_F(ControlsInsideTest, TheEventDialogForEachKindOfEvent) {
  const int32_t picture = AddMaterial("png"), sound = AddMaterial("wav"), sprite = AddMaterial("sprite");
  auto open = [&](EventRecord e) {
    GUICore::State().events.clear();
    GUICore::State().events.push_back(e);
    EventListModule::LoadRows();
    auto& rows = EventListModule::Current();
    rows.rows[0].selected = -1;
    rows.currentRow = 0;
    window().ListEventProperty();
    Settle();
    return gui::EventDialog::instance();
  };
  EventRecord image = NewEventFor(StoreItemKind::RasterImage);
  image.itemId = picture;
  image.frameCount = 10;
  gui::EventDialog* d = open(image);
  ASSERT_NE(d, nullptr);
  expectInside(d, "picture");
  Control<QCheckBox>(d, "expandPaneCheck")->click();
  expectInside(d, "picture, pane expanded");
  Control<QCheckBox>(d, "expandPaneCheck")->click();
  Control<gui::GreyCheckBox>(d, "buttonCheck")->click();
  Control<gui::GreyCheckBox>(d, "maskCheck")->click();
  expectInside(d, "picture as a masking button");

  EventRecord music = NewEventFor(StoreItemKind::Sound);
  music.itemId = sound;
  expectInside(open(music), "sound");
  EventRecord clip = NewEventFor(StoreItemKind::Sprite);
  clip.itemId = sprite;
  expectInside(open(clip), "sprite");
  EventRecord action{};
  action.kind = static_cast<int16_t>(ActionKind::Label);
  expectInside(open(action), "action");
  gui::EventDialog::UnloadInstance();
  Settle();
}

TEST_F(ControlsInsideTest, TheMaterialDialogForEachKindOfMaterial) {
  for (const char* key : {"png", "wav", "txt", "sprite", "kvg", "flv", "folder"}) {
    SelectOnlyItem(AddMaterial(key));
    StoreProperty::Fields f;
    ASSERT_TRUE(StoreProperty::FillFields(f, {"IPAGothic"}));
    gui::StoreDialog d;
    d.load(f);
    expectInside(&d, key);
  }
}

TEST_F(ControlsInsideTest, TheFilterDialogOnEachPage) {
  gui::FilterDialog d(FilterState{}, 8, &window());
  auto* filters = Control<QListWidget>(d, "filterList");
  for (int row = 0; row < filters->count(); ++row) {
    filters->setCurrentRow(row);
    expectInside(&d, "page " + std::to_string(row));
  }
}

TEST_F(ControlsInsideTest, TheColourPickerNarrowAndWide) {
  gui::ColorDialog d(&window());
  d.setValues({10, 20, 30, 255}, true);
  expectInside(&d, "narrow");
  Control<QPushButton>(d, "paletteButton")->click();
  expectInside(&d, "wide");
}

TEST_F(ControlsInsideTest, TheSettingsDialogs) {
  gui::TextEffectDialog effect(&window());
  expectInside(&effect, "new");
  Control<QPushButton>(effect, "parametersButton")->click();
  expectInside(&effect, "wide");
  gui::ProjectDialog project(&window());
  expectInside(&project, "new project");
  gui::OptionDialog options(&window());
  expectInside(&options, "as stored");
  gui::PreviewOptionDialog preview(&window());
  expectInside(&preview, "as stored");
  gui::ImportDialog import(&window());
  expectInside(&import, "empty");
  gui::EventColorDialog display(&window());
  expectInside(&display, "as stored");
  gui::VersionInfo version(&window());
  expectInside(&version, "as shown");
}

TEST_F(ControlsInsideTest, TheToolWindows) {
  expectInside(gui::SearchDialog::instance(&window()), "empty");
  expectInside(gui::TraceWindow::load(), "empty");
  expectInside(gui::ScriptEditorWindow::instance(&window()), "empty");
  std::ofstream(temp / "_preview.swf") << "FWS";
  gui::PreviewWindow* preview = gui::PreviewWindow::load();
  preview->setStageSize(320, 240);
  preview->showMovie(QString::fromStdString((temp / "_preview.swf").string()));
  expectInside(preview, "320 x 240");
  preview->setStageSize(1, 1);
  expectInside(preview, "the smallest stage");
  gui::PreviewWindow::unload();
  gui::TraceWindow::unload();
  gui::ScriptEditorWindow::unload();
  Settle();
}

// The windows that take their size from a movie, as their callers show
// them: the text-effect preview (modal) and the event preview, at the
// project's stage and at the smallest one, also on a desktop set to large
// text.
TEST_F(ControlsInsideTest, TheWindowsSizedToAMovie) {
  struct DesktopFont {
    QFont font = QApplication::font();
    ~DesktopFont() { QApplication::setFont(font); }
  } const desktopFont;
  QFont largeText = desktopFont.font;
  largeText.setPointSize(14);
  const int32_t picture = AddMaterial("png");
  StoreItem text = NewStoreItem(StoreItemKind::Text);
  text.name = "AB";
  text.font = "DejaVu Sans";
  text.size = 18;
  for (const QFont& font : {desktopFont.font, largeText}) {
    QApplication::setFont(font);
    for (const QSize stage : {QSize(320, 320), QSize(1, 1)}) {
      GUICore::State().settings.width = stage.width();
      GUICore::State().settings.height = stage.height();
      const std::string layout = std::to_string(stage.width()) + " x " + std::to_string(stage.height()) + ", " +
                                 std::to_string(font.pointSize()) + " pt";

      gui::TextEffectDialog effect(&window());
      effect.SetPvJpeg(text);
      bool checked = false;
      WhenPreviewShown(&effect, [&](gui::PreviewWindow* preview) {
        expectInside(preview, "text effect " + layout);
        checked = true;
        preview->close();
      });
      Control<QPushButton>(effect, "previewButton")->click();
      EXPECT_TRUE(checked) << layout;

      EventRecord image = NewEventFor(StoreItemKind::RasterImage);
      image.itemId = picture;
      GUICore::State().events.clear();
      GUICore::State().events.push_back(image);
      EventListModule::LoadRows();
      EventListModule::Current().rows[0].selected = -1;
      EventListModule::Current().currentRow = 0;
      window().ListEventProperty();
      Settle();
      ASSERT_NE(gui::EventDialog::instance(), nullptr);
      Control<QPushButton>(gui::EventDialog::instance(), "eventPreviewButton")->click();
      ASSERT_TRUE(gui::PreviewWindow::isShownNow()) << layout;
      expectInside(gui::PreviewWindow::instance(), "event " + layout);
      gui::PreviewWindow::unload();
      gui::EventDialog::UnloadInstance();
      Settle();
    }
  }
}

}  // namespace
}  // namespace tesmiro::testing
