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

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

QPushButton* Button(const QString& name, const QString& text, QWidget* parent, int x, int y, int w) {
  auto* b = Named(new QPushButton(text, parent), name);
  b->setGeometry(x, y, w, 26);
  return b;
}

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
  image1_ = IconStrip();
  filling_ = true;
  Check2->setChecked(editor_.showIcons() == 1);
  filling_ = false;
  DrawPreview();
}

void EventColorDialog::createControls() {
  Picture1 = Named(new CategoryPreview(this), QStringLiteral("Picture1"));
  Picture1->setGeometry(8, 8, kPreviewWidth, kPreviewHeight);
  Picture1->paintRows = [this](QPainter& p) { paintRows(p); };
  Picture1->onMouseDown = [this](int y) { Picture1_MouseDown(y); };
  Picture1->onKeyDown = [this](int key) { Picture1_KeyDown(key); };

  Frame1 = Named(new QGroupBox(QStringLiteral("項目設定"), this), QStringLiteral("Frame1"));
  Frame1->setGeometry(276, 8, 176, 132);
  const char* captions[] = {"文字色", "背景色"};
  for (int k = 0; k < 2; ++k) {
    const auto i = static_cast<size_t>(k);
    Label1[i] = Named(new QLabel(QString::fromUtf8(captions[k]), Frame1), Indexed("Label1", k));
    Label1[i]->setGeometry(10, 22 + 28 * k, 60, 20);
    Picture2[i] = Named(new QLabel(Frame1), Indexed("Picture2", k));
    Picture2[i]->setGeometry(76, 22 + 28 * k, 48, 20);
    Picture2[i]->setFrameShape(QFrame::Box);
    Picture2[i]->setAutoFillBackground(true);
    Picture2[i]->setCursor(Qt::PointingHandCursor);
    Picture2[i]->installEventFilter(this);
  }
  Check1 = Named(new QCheckBox(QStringLiteral("太字"), Frame1), QStringLiteral("Check1"));
  Check1->setGeometry(10, 78, 80, 20);
  connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
  Command4 = Button(QStringLiteral("Command4"), QStringLiteral("リセット"), Frame1, 10, 100, 80);
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

  Frame2 = Named(new QGroupBox(QStringLiteral("アイコン"), this), QStringLiteral("Frame2"));
  Frame2->setGeometry(276, 148, 176, 110);
  Check2 = Named(new QCheckBox(QStringLiteral("ｱｲｺﾝを表示"), Frame2), QStringLiteral("Check2"));
  Check2->setGeometry(10, 20, 150, 20);
  connect(Check2, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
  Command5 = Button(QStringLiteral("Command5"), QStringLiteral("ｱｲｺﾝ読込..."), Frame2, 10, 44, 120);
  Command6 = Button(QStringLiteral("Command6"), QStringLiteral("ｱｲｺﾝ初期化"), Frame2, 10, 74, 120);
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });

  Command3 = Button(QStringLiteral("Command3"), QStringLiteral("初期設定に戻す"), this, 276, 266, 176);
  Command1 = Button(QStringLiteral("Command1"), QStringLiteral("OK"), this, 276, 382, 84);
  Command2 = Button(QStringLiteral("Command2"), QStringLiteral("キャンセル(&C)"), this, 368, 382, 84);
  Command1->setDefault(true);
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  RouteEscapeTo(this, Command2);
  setFixedSize(460, kPreviewHeight + 16);
}

bool EventColorDialog::run(QWidget* owner) {
  EventColorDialog dialog(owner);
  return gui::Accepted(ExecModal(dialog));
}

void EventColorDialog::paintRows(QPainter& p) {
  const int width = Picture1->width();
  const bool icons = Check2->isChecked();
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
    if (row.iconCell > 0 && !image1_.isNull())
      p.drawPixmap(row.iconX, row.iconY, image1_, IconCell(row.iconCell).x(), 0, kIconSize, kIconSize);
  }
  p.setCompositionMode(QPainter::RasterOp_NotDestination);
  p.setPen(ToQColor(kSysWindowText));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, GC::kCategoryRowHeight * editor_.selected(), width - 1, GC::kCategoryRowHeight - 1);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void EventColorDialog::DrawPreview() {
  Picture1->update();
  const EventColorSet& set = editor_.selectedSet();
  const uint32_t colours[2] = {set.textColor, set.backColor};
  for (size_t k = 0; k < 2; ++k) {
    QPalette palette = Picture2[k]->palette();
    palette.setColor(QPalette::Window, ToQColor(colours[k]));
    Picture2[k]->setPalette(palette);
  }
  filling_ = true;
  Check1->setChecked(set.bold == 1);
  filling_ = false;
}

void EventColorDialog::Picture1_MouseDown(int y) {
  const int32_t category = GC::CategoryAt(y);
  if (category < 0) return;
  editor_.select(category);
  DrawPreview();
}

void EventColorDialog::Picture1_KeyDown(int keyCode) {
  int32_t selected = editor_.selected();
  if (!GC::StepCategory(keyCode, selected)) return;
  editor_.select(selected);
  DrawPreview();
}

void EventColorDialog::Picture2_Click(int which) {
  if (!pickColour) return;
  const uint32_t shown = editor_.shownColor(which);
  const std::array<int, 3> rgb{static_cast<int>(shown & 0xFF), static_cast<int>((shown >> 8) & 0xFF),
                               static_cast<int>((shown >> 16) & 0xFF)};
  if (const auto chosen = pickColour(this, rgb, Desktop().placement->cursorPos())) {
    editor_.setColor(which, static_cast<uint32_t>((*chosen)[0] + 256 * (*chosen)[1] + 65536 * (*chosen)[2]));
  }
  DrawPreview();
}

void EventColorDialog::Check1_Click() {
  if (filling_) return;
  editor_.setBold(Check1->isChecked() ? 1 : 0);
  DrawPreview();
}

void EventColorDialog::Check2_Click() {
  if (!filling_) editor_.setShowIcons(Check2->isChecked() ? 1 : 0);
  DrawPreview();
}

void EventColorDialog::Command4_Click() {
  editor_.resetSelected();
  DrawPreview();
}

void EventColorDialog::Command3_Click() {
  if (!editor_.resetAll()) return;
  image1_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::Command5_Click() {
  DialogModule::FileDialogRecord record;
  record.filter = std::string(GC::kIconFileFilter) + '\0' + GC::kIconFilePattern + '\0';
  record.initialDir = FromQ(QCoreApplication::applicationDirPath());
  if (DialogModule::OpenFileDialog(record) == 0) return;
  const std::string path = record.file;
  if (path.empty() || !editor_.loadIconStrip(path)) return;
  image1_ = LoadIconStrip(path);
  // A file that probes right but does not decode shows the built-in icons,
  // as the event list does with it.
  if (image1_.isNull()) image1_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::Command6_Click() {
  editor_.useBuiltInIcons();
  image1_ = BuiltInIconStrip();
  DrawPreview();
}

void EventColorDialog::Command1_Click() {
  editor_.commit();
  accept();
}

void EventColorDialog::Command2_Click() { reject(); }

bool EventColorDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int k = 0; k < 2; ++k) {
      if (watched == Picture2[static_cast<size_t>(k)]) {
        Picture2_Click(k);
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tesmiro::gui
