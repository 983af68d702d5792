#include "ui/dialogs/store_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <algorithm>

#include "compiler/material_tools.h"
#include "media/text/font_surface.h"
#include "platform/numeric.h"
#include "platform/ui.h"
#include "project/colour_picker_rules.h"
#include "project/file_dialogs.h"
#include "project/gui_core.h"
#include "project/model.h"
#include "project/paths.h"
#include "project/preferences.h"
#include "project/store.h"
#include "project/store_item_swap.h"
#include "project/window_services.h"
#include "ui/common/dialog_support.h"
#include "ui/common/qt_text.h"
#include "ui/common/services.h"
#include "ui/common/slider_with_box.h"
#include "ui/dialogs/colour_picker.h"
#include "ui/dialogs/text_effect_editor.h"

namespace tesmiro::gui {
namespace {

namespace SP = StoreProperty;
using SP::Frame;

constexpr int kFramesTopNoPath = 36;

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  p.setColor(QPalette::Base, colour);
  w->setPalette(p);
  w->update();
}

// The text box edits lines with "\n"; a text material keeps "\r\n".
QString ToEditorText(const std::string& text) {
  QString s = ToQ(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

std::string FromEditorText(const QString& text) {
  QString s = text;
  s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return FromQ(s);
}

std::string Text(const QLineEdit* e) { return FromQ(e->text()); }
int32_t Whole(const QLineEdit* e) { return num::RoundToInt32(num::Val(Text(e))); }

constexpr SP::ColourChannel kColourChannels[] = {SP::KeyRed,  SP::KeyGreen,  SP::KeyBlue,
                                                 SP::TextRed, SP::TextGreen, SP::TextBlue};

}  // namespace

StoreDialog::StoreDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("StoreDialog"));
  setWindowTitle(QString::fromUtf8(SP::kDesignCaption));
  setFont(PanelFont(9));
  // A modal window first closes the modeless ones.
  auto& windows = ui::Windows();
  windows.unloadEventDialog();
  windows.unloadScriptEditor();
  windows.unloadPreviewWindow();

  createControls();
  kindBox->setReadOnly(true);
  kindBox->setFocusPolicy(Qt::NoFocus);
  SetBackground(kindBox, ToQColor(SystemColor(15)));

  okButton->setDefault(true);

  SliderWithBox::Options colour;
  colour.value = [](const std::string& text, int, int) { return ColourRules::ChannelValue(text); };
  colour.keepTypedText = true;
  colour.paused = &loading_;
  for (SP::ColourChannel c : kColourChannels) {
    auto* pair = new SliderWithBox(colourSliders[c], colourBoxes[c], colour, this);
    pair->onMoved([this] { paintSwatches(); });
  }
  connect(okButton, &QPushButton::clicked, this, [this] { onOk(); });
  connect(cancelButton, &QPushButton::clicked, this, [this] { onCancel(); });
  connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
  RouteEscapeTo(this, cancelButton);

  for (GreyCheckBox* c : {keyColourCheck, boldCheck, italicCheck, softenEdgesCheck, autoSizeCheck, textInputCheck,
                          passwordCheck, multilineCheck, wrapCheck, htmlCheck, borderCheck, selectableCheck, morphCheck,
                          losslessCheck, dynamicTextCheck, noSoundCheck, textEffectCheck}) {
    c->setValue(SP::kGrey);
  }
  fontPreviewCheck->setValue(SP::kOff);
  for (QWidget* w : std::initializer_list<QWidget*>{morphCheck, morphPanel, textEffectCheck, textEffectPanel})
    w->hide();
  pathBox->setEnabled(false);
  browseButton->setEnabled(false);
  showFrame(Frame::None);
  onKeyColourToggled();
  for (QLineEdit* box : colourBoxes) box->setText(QStringLiteral("0"));
  paintSwatches();
}

StoreDialog::~StoreDialog() = default;

// ---- filling and reading back ------------------------------------------------

void StoreDialog::load(const SP::Fields& f) {
  loading_ = true;
  loaded_ = f;
  setWindowTitle(ToQ(f.caption));
  itemIdBox->setText(ToQ(f.itemId));
  itemIdBox->setEnabled(f.itemIdEnabled);
  kindBox->setText(ToQ(f.kindName));
  pathBox->setText(ToQ(f.path));
  pathBox->setEnabled(f.pathEnabled);
  browseButton->setEnabled(f.browseEnabled);
  for (QWidget* w : std::initializer_list<QWidget*>{itemIdLabel, itemIdBox}) w->setVisible(f.idVisible);
  for (QWidget* w : std::initializer_list<QWidget*>{pathLabel, pathBox, browseButton}) w->setVisible(f.pathVisible);

  keyColourCheck->setValue(f.keyColour);
  keyColourCheck->setVisible(f.keyColourVisible);
  for (SP::ColourChannel c : kColourChannels) colourSliders[c]->setValue(f.colourSliders[c]);
  for (SP::ColourChannel c : kColourChannels) colourBoxes[c]->setText(ToQ(f.colourBoxes[c]));
  softenEdgesCheck->setValue(f.softenEdges);
  softeningModeList->setCurrentIndex(f.softeningModeIndex);
  softeningAmountBox->setText(ToQ(f.softeningAmount));
  losslessCheck->setValue(f.lossless);
  losslessCheck->setVisible(f.losslessVisible);
  imageNameBox->setText(ToQ(f.imageName));
  soundNameBox->setText(ToQ(f.soundName));

  textEdit->setPlainText(ToEditorText(f.text));
  boldCheck->setValue(f.bold);
  italicCheck->setValue(f.italic);
  fontList->clear();
  for (const std::string& font : f.fonts) fontList->addItem(ToQ(font));
  fontList->setCurrentIndex(f.fontIndex);
  fontSizeBox->setText(ToQ(f.fontSize));
  lineSpacingBox->setText(ToQ(f.lineSpacing));
  alignmentList->setCurrentIndex(f.alignmentIndex);
  autoSizeCheck->setValue(f.autoSize);
  boxWidthBox->setText(ToQ(f.boxWidth));
  boxHeightBox->setText(ToQ(f.boxHeight));
  textInputCheck->setValue(f.textInput);
  passwordCheck->setValue(f.password);
  multilineCheck->setValue(f.multiline);
  wrapCheck->setValue(f.wrap);
  htmlCheck->setValue(f.html);
  borderCheck->setValue(f.border);
  selectableCheck->setValue(f.selectable);
  dynamicTextCheck->setValue(f.dynamicText);
  textEffectCheck->setValue(f.textEffect);
  variableNameBox->setText(ToQ(f.variableName));
  textEffectSettingsBox->setText(ToQ(f.textEffectSettings));

  spriteNameBox->setText(ToQ(f.spriteName));
  spriteWidthBox->setText(ToQ(f.spriteWidth));
  spriteHeightBox->setText(ToQ(f.spriteHeight));
  referenceXBox->setText(ToQ(f.referenceX));
  referenceYBox->setText(ToQ(f.referenceY));
  morphCheck->setValue(f.morph);
  morphTargetBox->setText(ToQ(f.morphTarget));
  vectorNameBox->setText(ToQ(f.vectorName));
  noSoundCheck->setValue(f.noSound);
  startFrameBox->setText(ToQ(f.startFrame));
  videoNameBox->setText(ToQ(f.videoName));
  folderNameBox->setText(ToQ(f.folderName));
  loading_ = false;

  showFrame(f.frame);
  morphCheck->setVisible(f.morphVisible);
  morphPanel->setVisible(f.morphVisible);
  onKeyColourToggled();
  softeningPanel->setVisible(softenEdgesCheck->value() == SP::kOn);
  softeningAmountBox->setVisible(softeningModeList->currentIndex() >= 0);
  softeningAmountLabel->setVisible(softeningModeList->currentIndex() >= 0);
  if (auto defaults = SP::SofteningModeDefaults(softeningModeList->currentIndex()))
    softeningAmountLabel->setText(ToQ(defaults->label));
  setTextFrameFlags(f);
  onAutoSizeToggled();
  updateFontPreview();
  onMorphTargetChanged();
  onTextEffectSettingsChanged();
  paintSwatches();
}

SP::Fields StoreDialog::read() const {
  SP::Fields f = loaded_;
  f.itemId = Text(itemIdBox);
  f.path = Text(pathBox);
  f.keyColour = keyColourCheck->value();
  for (SP::ColourChannel c : kColourChannels) {
    f.colourSliders[c] = colourSliders[c]->value();
    f.colourBoxes[c] = Text(colourBoxes[c]);
  }
  f.softenEdges = softenEdgesCheck->value();
  f.softeningModeIndex = softeningModeList->currentIndex();
  f.softeningAmount = Text(softeningAmountBox);
  f.lossless = losslessCheck->value();
  f.imageName = Text(imageNameBox);
  f.soundName = Text(soundNameBox);
  // An untouched text keeps its line breaks exactly as they were stored.
  const QString typed = textEdit->toPlainText();
  f.text = typed == ToEditorText(loaded_.text) ? loaded_.text : FromEditorText(typed);
  f.bold = boldCheck->value();
  f.italic = italicCheck->value();
  f.fontIndex = fontList->currentIndex();
  f.fontSize = Text(fontSizeBox);
  f.lineSpacing = Text(lineSpacingBox);
  f.alignmentIndex = alignmentList->currentIndex();
  f.autoSize = autoSizeCheck->value();
  f.boxWidth = Text(boxWidthBox);
  f.boxHeight = Text(boxHeightBox);
  f.textInput = textInputCheck->value();
  f.password = passwordCheck->value();
  f.multiline = multilineCheck->value();
  f.wrap = wrapCheck->value();
  f.html = htmlCheck->value();
  f.border = borderCheck->value();
  f.selectable = selectableCheck->value();
  f.dynamicText = dynamicTextCheck->value();
  f.textEffect = textEffectCheck->value();
  f.variableName = Text(variableNameBox);
  f.textEffectSettings = Text(textEffectSettingsBox);
  f.spriteName = Text(spriteNameBox);
  f.spriteWidth = Text(spriteWidthBox);
  f.spriteHeight = Text(spriteHeightBox);
  f.referenceX = Text(referenceXBox);
  f.referenceY = Text(referenceYBox);
  f.morph = morphCheck->value();
  f.morphTarget = Text(morphTargetBox);
  f.vectorName = Text(vectorNameBox);
  f.noSound = noSoundCheck->value();
  f.startFrame = Text(startFrameBox);
  f.videoName = Text(videoNameBox);
  f.folderName = Text(folderNameBox);
  return f;
}

void StoreDialog::showFrame(Frame frame) {
  const std::pair<QWidget*, Frame> frames[] = {
      {textGroup, Frame::Text},   {spriteGroup, Frame::Sprite}, {soundGroup, Frame::Sound},  {videoGroup, Frame::Video},
      {imageGroup, Frame::Image}, {folderGroup, Frame::Folder}, {vectorGroup, Frame::Vector}};
  const int top = pathLabel->isHidden() ? kFramesTopNoPath : kFramesTop;
  int bottom = top;
  for (const auto& [widget, kind] : frames) {
    widget->setVisible(kind == frame);
    if (kind != frame) continue;
    widget->move(widget->x(), top);
    bottom = widget->geometry().bottom() + 1;
  }
  // The key colour and morph parts hang below their kind's frame.
  if (frame == Frame::Image) bottom = keyColourPanel->geometry().bottom() + 1;
  if (frame == Frame::Vector) bottom = morphPanel->geometry().bottom() + 1;
  const int buttons = bottom + 10;
  okButton->move(okButton->x(), buttons);
  cancelButton->move(cancelButton->x(), buttons);
  setFixedSize(kWidth, buttons + 34);
}

void StoreDialog::setTextFrameFlags(const SP::Fields& f) {
  if (f.frame != Frame::Text) return;
  const bool was = loading_;
  loading_ = true;
  autoSizeCheck->setValue(f.autoSize);
  textEffectCheck->setValue(f.textEffect);
  loading_ = was;
  dynamicTextCheck->setVisible(f.dynamicTextVisible);
  inputOptionsPanel->setVisible(f.inputOptionsVisible);
  autoSizeCheck->setVisible(f.autoSizeVisible);
  boxWidthBox->setEnabled(f.boxSizeEnabled);
  boxHeightBox->setEnabled(f.boxSizeEnabled);
  textEffectCheck->setVisible(f.textEffectVisible);
  textEffectPanel->setVisible(f.textEffectPanelVisible);
}

// ---- closing -------------------------------------------------------------------

void StoreDialog::onOk() {
  if (auto problem = SP::CheckNumbers(read())) {
    ui::Current().messages->message(FromQ(windowTitle()), problem->message, ui::Icon::Exclamation);
    if (auto* box = findChild<QWidget*>(ToQ(problem->box))) {
      box->setFocus();
      if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->selectAll();
    }
    return;
  }
  saveDialogPosition();
  ok_ = true;
  accept();
}

void StoreDialog::onCancel() { reject(); }

void StoreDialog::reject() {
  // Escape, Cancel and the window's close button all end here.
  saveDialogPosition();
  QDialog::reject();
}

void StoreDialog::saveDialogPosition() {
  if (!isVisible()) return;
  auto& prefs = Prefs::Current();
  StoreTwips(this, prefs.fwLeft, prefs.fwTop);
}

void StoreDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTimer::singleShot(0, this, [this] { KeepInsideWorkArea(this); });
}

bool StoreDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    if (watched == keyColourSwatch) pickKeyColour();
    if (watched == textColourSwatch) pickTextColour();
  }
  // Enter makes a new line in the text, not OK.
  if (watched == textEdit && event->type() == QEvent::FocusIn) okButton->setDefault(false);
  if (watched == textEdit && event->type() == QEvent::FocusOut) okButton->setDefault(true);
  return QDialog::eventFilter(watched, event);
}

// ---- colours --------------------------------------------------------------------

void StoreDialog::paintSwatches() {
  const auto colour = [this](ColourChannel red) {
    return QColor(colourSliders[red]->value(), colourSliders[red + 1]->value(), colourSliders[red + 2]->value());
  };
  SetBackground(keyColourSwatch, colour(SP::KeyRed));
  SetBackground(textColourSwatch, colour(SP::TextRed));
}

void StoreDialog::pickKeyColour() { pickColour(SP::KeyRed); }
void StoreDialog::pickTextColour() { pickColour(SP::TextRed); }

void StoreDialog::pickColour(ColourChannel red) {
  const Rgba start{colourSliders[red]->value(), colourSliders[red + 1]->value(), colourSliders[red + 2]->value(), 255};
  auto chosen = ColorDialog::pick(this, start, false, Desktop().placement->cursorPos());
  if (!chosen) return;
  const int values[] = {chosen->red, chosen->green, chosen->blue};
  for (int k = 0; k < 3; ++k) {
    colourSliders[red + k]->setValue(values[k]);
    // A colour picked for several items counts even where a slider kept
    // its value (its box may have been empty).
    colourBoxes[red + k]->setText(QString::number(values[k]));
  }
}

void StoreDialog::takeTopLeftColour() {
  // A file that cannot be read as a picture leaves the key colour alone.
  const Result<uint32_t> colour = GUICore::TopLeftColour(Text(pathBox));
  if (!colour) {
    ui::Current().messages->message("エラー", "左上のドットの色を取得できませんでした。\r\n" + colour.message(),
                                    ui::Icon::Critical);
    return;
  }
  for (int k = 0; k < 3; ++k) {
    const int value = static_cast<int>((*colour >> (8 * k)) & 255);
    colourSliders[SP::KeyRed + k]->setValue(value);
    colourBoxes[SP::KeyRed + k]->setText(QString::number(value));
  }
}

void StoreDialog::onKeyColourToggled() {
  keyColourPanel->setVisible(!keyColourCheck->isHidden() && keyColourCheck->value() == SP::kOn);
}

// ---- edge softening ----------------------------------------------------------------

void StoreDialog::onSoftenEdgesToggled() {
  if (loading_) return;
  const bool on = softenEdgesCheck->value() == SP::kOn;
  softeningPanel->setVisible(on);
  if (on && num::Val(Text(softeningAmountBox)) == 0) softeningAmountBox->setText(QStringLiteral("1"));
}

void StoreDialog::onSofteningModeChanged() {
  if (loading_) return;
  auto defaults = SP::SofteningModeDefaults(softeningModeList->currentIndex());
  softeningAmountBox->setVisible(defaults.has_value());
  softeningAmountLabel->setVisible(defaults.has_value());
  if (!defaults) return;
  softeningAmountLabel->setText(ToQ(defaults->label));
  softeningAmountBox->setText(ToQ(defaults->amount));
}

void StoreDialog::onSofteningAmountChanged() {
  if (loading_) return;
  if (auto clamped = SP::ClampSoftening(Text(softeningAmountBox))) softeningAmountBox->setText(ToQ(*clamped));
}

// ---- vector, browse, video, sprite ---------------------------------------------------

void StoreDialog::onMorphTargetChanged() { checkMorphButton->setEnabled(num::Val(Text(morphTargetBox)) > 0); }

void StoreDialog::checkMorph() {
  morphVerdictLabel->setText(ToQ(GUICore::MorphCheckVerdict(Whole(itemIdBox), Whole(morphTargetBox))));
}

void StoreDialog::browse() {
  DialogModule::FileDialogRecord record;
  record.filter = SP::BrowseFilter(Text(kindBox), GUICore::GetSWFVersion());
  const std::string path = Text(pathBox);
  const std::string projectFolder = GUICore::GetFolderPart(GUICore::State().projectPath);
  if (auto found = PathModule::LocateFile(path, projectFolder)) {
    record.initialDir = GUICore::GetFolderPart(*found);
  } else {
    record.initialDir = path.empty() ? projectFolder : GUICore::GetFolderPart(path);
  }
  if (DialogModule::OpenFileDialog(record) && !record.file.empty()) pathBox->setText(ToQ(record.file));
}

void StoreDialog::previousKeyFrame() {
  startFrameBox->setText(QString::number(GUICore::FindKeyFrame(Text(pathBox), Whole(startFrameBox), -1)));
}

void StoreDialog::nextKeyFrame() {
  startFrameBox->setText(QString::number(GUICore::FindKeyFrame(Text(pathBox), Whole(startFrameBox), 1)));
}

void StoreDialog::centreSprite() {
  const auto [x, y] = SP::SpriteCentre(Text(spriteWidthBox), Text(spriteHeightBox));
  referenceXBox->setText(ToQ(x));
  referenceYBox->setText(ToQ(y));
}

// ---- text ----------------------------------------------------------------------------

void StoreDialog::applyFontRule() {
  if (loading_ || fontRuleRunning_) return;
  fontRuleRunning_ = true;
  SP::Fields f = read();
  SP::ApplyFontRule(f);
  setTextFrameFlags(f);
  fontRuleRunning_ = false;
  onAutoSizeToggled();
  updateFontPreview();
}

void StoreDialog::onAutoSizeToggled() {
  const bool visible = autoSizeCheck->value() != SP::kOn;
  for (QWidget* w : std::initializer_list<QWidget*>{boxWidthBox, boxHeightBox, boxWidthLabel, boxHeightLabel})
    w->setVisible(visible);
}

void StoreDialog::updateFontPreview() {
  if (loading_) return;
  QFont font = PanelFont(9);
  Qt::Alignment align = Qt::AlignLeft;
  if (fontPreviewCheck->value() == SP::kOn) {
    bool japanese = false;
    const std::string family = text::FamilyForName(FromQ(fontList->currentText()), japanese);
    font.setFamilies({ToQ(family)});
    font.setPointSizeF(std::clamp(num::Val(Text(fontSizeBox)), 1.0, 200.0));
    font.setBold(boldCheck->value() == SP::kOn);
    font.setItalic(italicCheck->value() == SP::kOn);
    if (alignmentList->currentIndex() == 1) align = Qt::AlignRight;
    if (alignmentList->currentIndex() == 2) align = Qt::AlignHCenter;
  }
  textEdit->setFont(font);
  QTextOption option = textEdit->document()->defaultTextOption();
  option.setAlignment(align);
  textEdit->document()->setDefaultTextOption(option);
}

void StoreDialog::onTextEffectSettingsChanged() {
  textEffectSummaryLabel->setText(ToQ(GUICore::TextEffectSummary(Text(textEffectSettingsBox))));
}

void StoreDialog::editTextEffect() {
  TextEffectEditor* editor = TextEffects();
  if (!editor) return;
  // The item as the dialog shows it, so that a preview built from the store
  // sees the current text, font and style.
  StoreItem item = NewStoreItem(StoreItemKind::Text);
  item.id = Whole(itemIdBox);
  item.name = read().text;
  item.flags =
      static_cast<int16_t>((boldCheck->value() == SP::kOn ? 1 : 0) | (italicCheck->value() == SP::kOn ? 2 : 0) |
                           (std::max(0, alignmentList->currentIndex()) << 2) | 0x2000);
  item.param = 0;
  item.font = FromQ(fontList->currentText());
  item.size = static_cast<float>(num::Val(Text(fontSizeBox)));
  item.lineSpacing = static_cast<float>(num::Val(Text(lineSpacingBox)));

  const GUICore::ScopedStoreItemSwap swap(item);
  auto settings = editor->edit(this, item, Text(textEffectSettingsBox));
  if (settings && !settings->empty()) textEffectSettingsBox->setText(ToQ(*settings));
}

}  // namespace tesmiro::gui
