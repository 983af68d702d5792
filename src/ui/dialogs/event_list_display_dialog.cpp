#include "ui/dialogs/event_list_display_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "project/file_dialogs.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/icon_strip.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/dialogs/colour_picker.h"

namespace tesmiro::gui {
namespace {

namespace GC = GUICore;

constexpr int kPreviewWidth = 260;
// A strip below the last row, as the list leaves one: clicks there select
// nothing.
constexpr int kPreviewHeight = GC::kCategoryRowHeight * kEventColorCount + 4;

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

QString U(const char* text) { return QString::fromUtf8(text); }

}  // namespace

CategoryPreview::CategoryPreview(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::StrongFocus); }

void CategoryPreview::paintEvent(QPaintEvent*) {
  // Painted into an image first: the selection box inverts what is under it.
  QImage image(size(), QImage::Format_RGB32);
  image.fill(ToQColor(kSysWindowBackground));
  {
    QPainter p(&image);
    if (paintRows) paintRows(p);
  }
  QPainter(this).drawImage(0, 0, image);
}

void CategoryPreview::mousePressEvent(QMouseEvent* event) {
  if (onMouseDown) onMouseDown(event->position().toPoint().y());
}

void CategoryPreview::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Up && onKeyDown) onKeyDown(38);
  else if (event->key() == Qt::Key_Down && onKeyDown) onKeyDown(40);
  else QWidget::keyPressEvent(event);
}

EventColorDialog::EventColorDialog(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("EventColorDialog"));
  setWindowTitle(ToQ(GC::kDisplaySettingsCaption));
  setFont(PanelFont(9));
  pickColour = [](QWidget* parent, std::array<int, 3> rgb, QPoint at) -> std::optional<std::array<int, 3>> {
    const auto chosen = ColorDialog::pick(parent, Rgba{rgb[0], rgb[1], rgb[2], 255}, false, at);
    if (!chosen) return std::nullopt;
    return std::array<int, 3>{chosen->red, chosen->green, chosen->blue};
  };
  // A modal window first closes the modeless ones that hold parts of the model.
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();
  createControls();
  if (owner) PlaceAt(this, owner->frameGeometry().topLeft());
  iconStrip_ = IconStrip();
  filling_ = true;
  showIconsCheck->setChecked(editor_.showIcons() == 1);
  filling_ = false;
  DrawPreview();
}

void EventColorDialog::createControls() {
  const QString category = "categoryGroup", icons = "iconGroup";
  std::vector<ControlRow> rows = {
      Row(categoryPreview, "categoryPreview", {}, {8, 8, kPreviewWidth, kPreviewHeight}),
      Row(categoryGroup, category, {}, {276, 8, 176, 132}, U("項目設定")),
  };
  const char* captions[] = {"文字色", "背景色"};
  for (const RowColour k : {TextColour, BackColour}) {
    rows.push_back(Row(colourLabels[k], Indexed("colourLabels", k), category, {10, 22 + 28 * k, 60, 20}, U(captions[k])));
    rows.push_back(Row(colourSwatches[k], Indexed("colourSwatches", k), category, {76, 22 + 28 * k, 48, 20}));
  }
  rows.insert(rows.end(), {
      Row(boldCheck, "boldCheck", category, {10, 78, 80, 20}, U("太字")),
      Row(resetCategoryButton, "resetCategoryButton", category, {10, 100, 80, 26}, U("リセット")),
      Row(iconGroup, icons, {}, {276, 148, 176, 110}, U("アイコン")),
      Row(showIconsCheck, "showIconsCheck", icons, {10, 20, 150, 20}, U("ｱｲｺﾝを表示")),
      Row(loadIconsButton, "loadIconsButton", icons, {10, 44, 120, 26}, U("ｱｲｺﾝ読込...")),
      Row(builtInIconsButton, "builtInIconsButton", icons, {10, 74, 120, 26}, U("ｱｲｺﾝ初期化")),
      Row(allDefaultsButton, "allDefaultsButton", {}, {276, 266, 176, 26}, U("初期設定に戻す")),
      Row(okButton, "okButton", {}, {276, 382, 84, 26}, "OK"),
      Row(cancelButton, "cancelButton", {}, {368, 382, 84, 26}, U("キャンセル(&C)")),
  });
  PlaceControls(this, rows);

  categoryPreview->paintRows = [this](QPainter& p) { paintRows(p); };
  categoryPreview->onMouseDown = [this](int y) { onPreviewPressed(y); };
  categoryPreview->onKeyDown = [this](int key) { onPreviewKey(key); };
  for (QLabel* swatch : colourSwatches) {
    ShowAsSwatch(swatch);
    swatch->installEventFilter(this);
  }
  okButton->setDefault(true);
  connect(boldCheck, &QCheckBox::stateChanged, this, [this] { onBoldToggled(); });
  connect(resetCategoryButton, &QPushButton::clicked, this, [this] { resetCategory(); });
  connect(showIconsCheck, &QCheckBox::stateChanged, this, [this] { onShowIconsToggled(); });
  connect(loadIconsButton, &QPushButton::clicked, this, [this] { loadIcons(); });
  connect(builtInIconsButton, &QPushButton::clicked, this, [this] { useBuiltInIcons(); });
  connect(allDefaultsButton, &QPushButton::clicked, this, [this] { restoreAllDefaults(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(460, kPreviewHeight + 16);
}

bool EventColorDialog::run(QWidget* owner) {
  EventColorDialog dialog(owner);
  return gui::Accepted(ExecModal(dialog));
}

void EventColorDialog::paintRows(QPainter& p) {
  const int width = categoryPreview->width();
  const bool icons = showIconsCheck->isChecked();
  const auto& names = GC::EventCategoryNames();
  for (int32_t i = 0; i < kEventColorCount; ++i) {
    const EventColorSet& set = editor_.colors()[static_cast<size_t>(i)];
    const GC::CategoryRow row = GC::CategoryRowAt(i, icons);
    p.fillRect(0, row.top, width, GC::kCategoryRowHeight, ToQColor(set.backColor));
    p.setFont(ListFont(9));
    QFont font = p.font();
    font.setBold(set.bold == 1);
    p.setFont(font);
    p.setPen(ToQColor(set.textColor));
    p.drawText(QRect(row.textX, row.textY, width - row.textX, GC::kCategoryRowHeight - 1),
               Qt::AlignLeft | Qt::AlignTop, ToQ(names[static_cast<size_t>(i)]));
    if (row.iconCell > 0 && !iconStrip_.isNull())
      p.drawPixmap(row.iconX, row.iconY, iconStrip_, IconCell(row.iconCell).x(), 0, kIconSize, kIconSize);
  }
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  p.setPen(ToQColor(kSysWindowText));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, GC::kCategoryRowHeight * editor_.selected(), width - 1, GC::kCategoryRowHeight - 1);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void EventColorDialog::DrawPreview() {
  categoryPreview->update();
  const EventColorSet& set = editor_.selectedSet();
  const uint32_t colours[2] = {set.textColor, set.backColor};
  for (const RowColour k : {TextColour, BackColour}) {
    QPalette palette = colourSwatches[k]->palette();
    palette.setColor(QPalette::Window, ToQColor(colours[k]));
    colourSwatches[k]->setPalette(palette);
  }
  filling_ = true;
  boldCheck->setChecked(set.bold == 1);
  filling_ = false;
}

void EventColorDialog::onPreviewPressed(int y) {
  const int32_t category = GC::CategoryAt(y);
  if (category < 0) return;
  editor_.select(category);
  DrawPreview();
}

void EventColorDialog::onPreviewKey(int keyCode) {
  int32_t selected = editor_.selected();
  if (!GC::StepCategory(keyCode, selected)) return;
  editor_.select(selected);
  DrawPreview();
}

void EventColorDialog::pickRowColour(RowColour which) {
  if (!pickColour) return;
  const uint32_t shown = editor_.shownColor(which);
  const std::array<int, 3> rgb{static_cast<int>(shown & 0xFF), static_cast<int>((shown >> 8) & 0xFF),
                               static_cast<int>((shown >> 16) & 0xFF)};
  if (const auto chosen = pickColour(this, rgb, Desktop().placement->cursorPos())) {
    editor_.setColor(which, static_cast<uint32_t>((*chosen)[0] + 256 * (*chosen)[1] + 65536 * (*chosen)[2]));
  }
  DrawPreview();
}

void EventColorDialog::onBoldToggled() {
  if (filling_) return;
  editor_.setBold(boldCheck->isChecked() ? 1 : 0);
  DrawPreview();
}

void EventColorDialog::onShowIconsToggled() {
  if (!filling_) editor_.setShowIcons(showIconsCheck->isChecked() ? 1 : 0);
  DrawPreview();
}

void EventColorDialog::resetCategory() {
  editor_.resetSelected();
  DrawPreview();
}

void EventColorDialog::restoreAllDefaults() {
  if (!editor_.resetAll()) return;
  iconStrip_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::loadIcons() {
  DialogModule::FileDialogRecord record;
  record.filter = std::string(GC::kIconFileFilter) + '\0' + GC::kIconFilePattern + '\0';
  record.initialDir = FromQ(QCoreApplication::applicationDirPath());
  if (!DialogModule::OpenFileDialog(record)) return;
  const std::string path = record.file;
  if (path.empty() || !editor_.loadIconStrip(path)) return;
  iconStrip_ = LoadIconStrip(path);
  // A file that probes right but does not decode shows the built-in icons,
  // as the event list does with it.
  if (iconStrip_.isNull()) iconStrip_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::useBuiltInIcons() {
  editor_.useBuiltInIcons();
  iconStrip_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::onOk() {
  editor_.commit();
  accept();
}

void EventColorDialog::onCancel() { reject(); }

bool EventColorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (const RowColour k : {TextColour, BackColour}) {
      if (watched == colourSwatches[k]) {
        pickRowColour(k);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
