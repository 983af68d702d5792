#include "ui/dialogs/filter_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "project/gui_core.h"
#include "ui/common/dialog_support.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"

namespace tesmiro::gui {
namespace {

namespace GC = GUICore;

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

QString U(const char* text) { return QString::fromUtf8(text); }

QString Indexed(const char* name, int i) { return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i); }

void SetSwatch(QLabel* swatch, uint32_t colour) {
  QPalette p = swatch->palette();
  p.setColor(QPalette::Window, ToQColor(colour));
  swatch->setPalette(p);
}

std::string Text(const QLineEdit* box) { return FromQ(box->text()); }

}  // namespace

FilterDialog::FilterDialog(const FilterState& edited, int32_t swfVersion, QWidget* owner)
    : QDialog(owner), editor_(edited, swfVersion) {
  setObjectName(QStringLiteral("FilterDialog"));
  setWindowTitle(ToQ(GC::kFilterDialogCaption));
  setFont(PanelFont(9));
  pickColour = [](QWidget* parent, std::array<int, 4> rgba, QPoint at) -> std::optional<std::array<int, 4>> {
    const auto chosen = ColorDialog::pick(parent, Rgba{rgba[0], rgba[1], rgba[2], rgba[3]}, true, at);
    if (!chosen) return std::nullopt;
    return std::array<int, 4>{chosen->red, chosen->green, chosen->blue, chosen->alpha};
  };
  createControls();
  result_ = editor_.cancel();

  filling_ = true;
  setChecks(editor_.initialChecks());
  filterList->setCurrentRow(0);
  filling_ = false;
  showFilterPage();
}

void FilterDialog::createControls() {
  const QRect page(166, 8, 350, 250);
  const QString transform = "colourTransformGroup", filter = "bitmapFilterGroup", matrix = "colourMatrixGroup";
  const char* rowTitles[] = {"R= (", "G= (", "B= (", "ｱﾙﾌｧ= ("};
  const char* times[] = {"×R) +", "×G) +", "×B) +", "×A) +"};
  const char* channels[] = {"R", "G", "B", "A"};
  std::vector<ControlRow> rows = {
      Row(filterList, "filterList", {}, {8, 8, 150, 140}),
      Row(colourTransformGroup, transform, {}, page, U("カラーの変化")),
  };
  for (const Channel c : {Red, Green, Blue, Alpha}) {
    const int y = 24 + 30 * c;
    rows.insert(rows.end(), {
        Row(channelLabels[c], Indexed("channelLabels", c), transform, {10, y, 16, 20}, channels[c]),
        Row(transformLabels[c], Indexed("transformLabels", c), transform, {30, y, 60, 20}, U(rowTitles[c])),
        Row(multiplierBoxes[c], Indexed("multiplierBoxes", c), transform, {92, y, 64, 22}),
        Row(transformLabels[4 + c], Indexed("transformLabels", 4 + c), transform, {160, y, 50, 20}, U(times[c])),
        Row(offsetBoxes[c], Indexed("offsetBoxes", c), transform, {212, y, 64, 22}),
    });
  }
  rows.insert(rows.end(), {
      Row(transformColourBar, "transformColourBar", transform, {10, 150, GC::kPreviewBarWidth, 17}),
      // The four bitmap filters share one page.
      Row(bitmapFilterGroup, filter, {}, page),
  });
  for (const ColourRow row : {Primary, Secondary}) {
    const int y = 22 + 26 * row;
    rows.insert(rows.end(), {
        Row(colourRowLabels[row], Indexed("colourRowLabels", row), filter, {10, y, 80, 20}),
        Row(colourSwatches[row], Indexed("colourSwatches", row), filter, {92, y + 2, 32, 16}),
        Row(colourRowLabels[row + 2], Indexed("colourRowLabels", row + 2), filter, {132, y, 70, 20}, U("不透明度：")),
        Row(opacityValueLabels[row], Indexed("opacityValueLabels", row), filter, {204, y, 36, 20}),
        Row(colourButtons[row], Indexed("colourButtons", row), filter, {246, y, 40, 22}, U("・・・")),
    });
  }
  rows.insert(rows.end(), {
      Row(blurLabel, "blurLabel", filter, {10, 80, 50, 20}, U("ぼかし")),
      Row(blurXLabel, "blurXLabel", filter, {62, 80, 24, 20}, U("X：")),
      Row(blurXBox, "blurXBox", filter, {86, 80, 56, 22}),
      Row(blurYLabel, "blurYLabel", filter, {150, 80, 24, 20}, U("Y：")),
      Row(blurYBox, "blurYBox", filter, {174, 80, 56, 22}),
      Row(angleLabel, "angleLabel", filter, {10, 108, 50, 20}, U("角度")),
      Row(angleBox, "angleBox", filter, {62, 108, 56, 22}),
      Row(distanceLabel, "distanceLabel", filter, {150, 108, 40, 20}, U("距離")),
      Row(distanceBox, "distanceBox", filter, {194, 108, 56, 22}),
      Row(qualityLabel, "qualityLabel", filter, {10, 136, 50, 20}, U("品質")),
      Row(qualityBox, "qualityBox", filter, {62, 136, 56, 22}),
      Row(strengthLabel, "strengthLabel", filter, {150, 136, 40, 20}, U("強さ")),
      Row(strengthBox, "strengthBox", filter, {194, 136, 56, 22}),
      Row(hideObjectCheck, "hideObjectCheck", filter, {10, 166, 150, 20}, U("ｵﾌﾞｼﾞｪｸﾄ非表示")),
      Row(knockoutCheck, "knockoutCheck", filter, {170, 166, 150, 20}, U("ノックアウト効果")),
  });
  const char* modes[] = {"外側", "内側", "両方"};
  for (const Mode m : {Outer, Inner, Both})
    rows.push_back(Row(modeOptions[m], Indexed("modeOptions", m), filter, {10 + 80 * m, 194, 76, 20}, U(modes[m])));
  rows.push_back(Row(colourMatrixGroup, matrix, {}, page, U("カラーマトリクス")));
  const char* heads[] = {"R", "G", "B", "Alpha", "加算値"};
  for (int k = 0; k < 5; ++k) {
    rows.push_back(Row(matrixHeadLabels[static_cast<size_t>(k)], Indexed("matrixHeadLabels", k), matrix,
                       {30 + 62 * k, 18, 58, 20}, U(heads[k])));
  }
  QLabel* channelLabel = nullptr;
  for (const Channel r : {Red, Green, Blue, Alpha}) {
    rows.push_back(Row(channelLabel, QString(), matrix, {10, 40 + 28 * r, 16, 20}, channels[r]));
    for (int k = 0; k < 5; ++k) {
      const auto i = static_cast<size_t>(5 * r + k);
      rows.push_back(
          Row(matrixBoxes[i], Indexed("matrixBoxes", static_cast<int>(i)), matrix, {30 + 62 * k, 40 + 28 * r, 58, 22}));
    }
  }
  rows.insert(rows.end(), {
      Row(presetButton, "presetButton", matrix, {30, 160, 80, 24}, U("ﾌﾟﾘｾｯﾄ")),
      Row(matrixColourBar, "matrixColourBar", matrix, {30, 196, GC::kPreviewBarWidth, 17}),
      Row(noteLabel, "noteLabel", {}, {8, 266, 508, 20}),
      Row(okButton, "okButton", {}, {348, 294, 80, 26}, "OK"),
      Row(cancelButton, "cancelButton", {}, {436, 294, 80, 26}, U("キャンセル")),
  });
  PlaceControls(this, rows);

  for (const std::string& name : GC::FilterPageNames()) {
    auto* item = new QListWidgetItem(ToQ(name), filterList);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
  }
  for (QLabel* swatch : colourSwatches) {
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
  }
  matrixColourBar->setFocusPolicy(Qt::ClickFocus);
  matrixPresetMenu = Named(new QMenu(QStringLiteral("カラーマトリクス"), this), QStringLiteral("matrixPresetMenu"));
  normalPresetAction = matrixPresetMenu->addAction(QStringLiteral("&1 ノーマル"));
  normalPresetAction->setObjectName(QStringLiteral("normalPresetAction"));
  monochromePresetAction = matrixPresetMenu->addAction(QStringLiteral("&2 モノクロ"));
  monochromePresetAction->setObjectName(QStringLiteral("monochromePresetAction"));
  sepiaPresetAction = matrixPresetMenu->addAction(QStringLiteral("&3 セピア"));
  sepiaPresetAction->setObjectName(QStringLiteral("sepiaPresetAction"));
  okButton->setDefault(true);

  connect(filterList, &QListWidget::currentRowChanged, this, [this] { showFilterPage(); });
  connect(filterList, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { onFilterTicked(filterList->row(item)); });
  for (const Channel c : {Red, Green, Blue, Alpha}) {
    connect(multiplierBoxes[c], &QLineEdit::textChanged, this, [this] { onColourTransformChanged(); });
    connect(offsetBoxes[c], &QLineEdit::textChanged, this, [this] { onColourTransformChanged(); });
  }
  for (const ColourRow row : {Primary, Secondary})
    connect(colourButtons[row], &QPushButton::clicked, this, [this, row] { pickFilterColour(row); });
  for (QLineEdit* box : matrixBoxes) connect(box, &QLineEdit::textChanged, this, [this] { onMatrixChanged(); });
  connect(presetButton, &QPushButton::clicked, this, [this] { popUpPresets(); });
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  RouteEscapeTo(this, cancelButton);
  setFixedSize(524, 328);
}

std::optional<FilterState> FilterDialog::edit(QWidget* owner, const FilterState& edited, QPoint at) {
  FilterDialog dialog(edited, GC::GetSWFVersion(), owner);
  PlaceAt(&dialog, at);
  ExecModal(dialog);
  if (!dialog.accepted()) return std::nullopt;
  return dialog.result();
}

GC::FilterPageFields FilterDialog::pageFields() const {
  GC::FilterPageFields f;
  for (size_t i = 0; i < 4; ++i) {
    f.multipliers[i] = Text(multiplierBoxes[i]);
    f.offsets[i] = Text(offsetBoxes[i]);
  }
  f.blurX = Text(blurXBox);
  f.blurY = Text(blurYBox);
  f.angle = Text(angleBox);
  f.distance = Text(distanceBox);
  f.quality = Text(qualityBox);
  f.strength = Text(strengthBox);
  f.hideObject = hideObjectCheck->isChecked() ? 1 : 0;
  f.knockout = knockoutCheck->isChecked() ? 1 : 0;
  f.mode = -1;
  for (const Mode m : {Outer, Inner, Both})
    if (modeOptions[m]->isChecked()) f.mode = m;
  for (size_t i = 0; i < 20; ++i) f.matrix[i] = Text(matrixBoxes[i]);
  return f;
}

std::array<bool, GC::kFilterPageCount> FilterDialog::checks() const {
  std::array<bool, GC::kFilterPageCount> c{};
  for (int i = 0; i < GC::kFilterPageCount; ++i)
    c[static_cast<size_t>(i)] = filterList->item(i)->checkState() == Qt::Checked;
  return c;
}

void FilterDialog::setChecks(const std::array<bool, GC::kFilterPageCount>& c) {
  const QSignalBlocker block(filterList);
  for (int i = 0; i < GC::kFilterPageCount; ++i)
    filterList->item(i)->setCheckState(c[static_cast<size_t>(i)] ? Qt::Checked : Qt::Unchecked);
}

void FilterDialog::showFilterPage() {
  if (filling_) return;
  std::array<bool, GC::kFilterPageCount> c = checks();
  GC::FilterPageFields fill;
  const GC::FilterPageLayout layout = editor_.showPage(std::max(0, filterList->currentRow()), pageFields(), c, fill);
  setChecks(c);
  showLayout(layout, fill);
}

void FilterDialog::onFilterTicked(int item) {
  if (filling_ || item < 0) return;
  // A check mark set on another item shows that item's page, so that a
  // filter the movie cannot show is refused wherever it was ticked.
  if (filterList->currentRow() != item) {
    const QSignalBlocker block(filterList);
    filterList->setCurrentRow(item);
  }
  showFilterPage();
}

void FilterDialog::showLayout(const GC::FilterPageLayout& layout, const GC::FilterPageFields& fill) {
  filling_ = true;
  for (QGroupBox* frame : {colourTransformGroup, bitmapFilterGroup, colourMatrixGroup}) {
    frame->hide();
    frame->setEnabled(false);
  }
  noteLabel->setText(ToQ(layout.note));
  QGroupBox* shown = nullptr;
  if (layout.page == GC::kPageColorTransform) {
    shown = colourTransformGroup;
    for (size_t i = 0; i < 4; ++i) {
      multiplierBoxes[i]->setText(ToQ(fill.multipliers[i]));
      offsetBoxes[i]->setText(ToQ(fill.offsets[i]));
    }
  } else if (layout.page == GC::kPageColorMatrix) {
    shown = colourMatrixGroup;
    setMatrixTexts(fill.matrix);
  } else {
    shown = bitmapFilterGroup;
    bitmapFilterGroup->setTitle(ToQ(layout.caption));
    for (const ColourRow row : {Primary, Secondary}) {
      for (QWidget* w : {static_cast<QWidget*>(colourRowLabels[row]), static_cast<QWidget*>(colourSwatches[row]),
                         static_cast<QWidget*>(colourRowLabels[row + 2]),
                         static_cast<QWidget*>(opacityValueLabels[row]), static_cast<QWidget*>(colourButtons[row])})
        w->setVisible(layout.colorShown[row]);
      colourRowLabels[row]->setText(ToQ(layout.colorCaption[row]));
      SetSwatch(colourSwatches[row], layout.swatch[row]);
      opacityValueLabels[row]->setText(ToQ(layout.opacity[row]));
    }
    angleLabel->setVisible(layout.angleShown);
    angleBox->setVisible(layout.angleShown);
    distanceLabel->setVisible(layout.distanceShown);
    distanceBox->setVisible(layout.distanceShown);
    strengthLabel->setVisible(layout.strengthShown);
    strengthBox->setVisible(layout.strengthShown);
    hideObjectCheck->setVisible(layout.switchesShown);
    knockoutCheck->setVisible(layout.switchesShown);
    for (const Mode m : {Outer, Inner, Both}) modeOptions[m]->setVisible(layout.modeShown[m]);
    blurXBox->setText(ToQ(fill.blurX));
    blurYBox->setText(ToQ(fill.blurY));
    angleBox->setText(ToQ(fill.angle));
    distanceBox->setText(ToQ(fill.distance));
    qualityBox->setText(ToQ(fill.quality));
    strengthBox->setText(ToQ(fill.strength));
    hideObjectCheck->setChecked(fill.hideObject == 1);
    knockoutCheck->setChecked(fill.knockout == 1);
    // Radio buttons of one group: clearing them all needs the group off.
    for (QRadioButton* o : modeOptions) o->setAutoExclusive(false);
    for (const Mode m : {Outer, Inner, Both}) modeOptions[m]->setChecked(m == fill.mode);
    for (QRadioButton* o : modeOptions) o->setAutoExclusive(true);
  }
  shown->show();
  shown->setEnabled(layout.enabled);
  filling_ = false;
  if (shown == colourTransformGroup) onColourTransformChanged();
  if (shown == colourMatrixGroup) onMatrixChanged();
}

void FilterDialog::setMatrixTexts(const std::array<std::string, 20>& texts) {
  const bool wasFilling = filling_;
  filling_ = true;
  for (size_t i = 0; i < 20; ++i) matrixBoxes[i]->setText(ToQ(texts[i]));
  filling_ = wasFilling;
}

void FilterDialog::pickFilterColour(ColourRow row) {
  if (!pickColour) return;
  const std::array<int32_t, 4> start = editor_.colorForPicker(row);
  const auto chosen = pickColour(this, {start[0], start[1], start[2], start[3]}, Desktop().placement->cursorPos());
  if (!chosen) return;
  if (editor_.setColor(row, (*chosen)[0], (*chosen)[1], (*chosen)[2], (*chosen)[3])) showFilterPage();
}

void FilterDialog::onOk() {
  result_ = editor_.ok(pageFields(), checks());
  accepted_ = true;
  accept();
}

void FilterDialog::onCancel() {
  result_ = editor_.cancel();
  accepted_ = false;
  reject();
}

void FilterDialog::popUpPresets() {
  QAction* chosen =
      Desktop().popups->exec(matrixPresetMenu, presetButton->mapToGlobal(QPoint(0, presetButton->height())), nullptr);
  if (chosen == normalPresetAction) applyNormalPreset();
  else if (chosen == monochromePresetAction) applyMonochromePreset();
  else if (chosen == sepiaPresetAction) applySepiaPreset();
  matrixColourBar->setFocus();
}

void FilterDialog::applyNormalPreset() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Normal, pageFields().matrix));
  onMatrixChanged();
}

void FilterDialog::applyMonochromePreset() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Mono, pageFields().matrix));
  onMatrixChanged();
}

void FilterDialog::applySepiaPreset() {
  setMatrixTexts(GC::ApplyMatrixPreset(GC::MatrixPreset::Sepia, pageFields().matrix));
  onMatrixChanged();
}

void FilterDialog::onColourTransformChanged() {
  if (filling_) return;
  const GC::FilterPageFields f = pageFields();
  drawBar(transformColourBar, GC::ColorTransformBar(f.multipliers, f.offsets));
}

void FilterDialog::onMatrixChanged() {
  if (filling_) return;
  drawBar(matrixColourBar, GC::ColorMatrixBar(pageFields().matrix));
}

void FilterDialog::drawBar(QLabel* bar, const std::array<uint32_t, GC::kPreviewBarWidth>& mapped) {
  // Rows 0 to 7 the ramp itself, rows 8 to 16 the ramp as the page maps it.
  QImage image(GC::kPreviewBarWidth, 17, QImage::Format_RGB32);
  for (int x = 0; x < GC::kPreviewBarWidth; ++x) {
    const QRgb source = ToQColor(GC::PreviewRampColor(x)).rgb();
    const QRgb target = ToQColor(mapped[static_cast<size_t>(x)]).rgb();
    for (int y = 0; y < 17; ++y) image.setPixel(x, y, y < 8 ? source : target);
  }
  bar->setPixmap(QPixmap::fromImage(image));
}

}  // namespace tesmiro::gui
