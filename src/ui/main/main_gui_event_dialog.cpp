// The event property dialog from the main window: opening it for the
// selected events, filling it and applying it.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include "project/event_dialog_rules.h"
#include "project/event_property_exchange.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/services.h"
#include "ui/dialogs/event_dialog.h"
#include "ui/main/main_gui.h"

namespace tesmiro::gui {

namespace rules = EventDialogRules;

void MainGUI::setupEventDialogArea() {
  connect(mnuEventProperty, &QAction::triggered, this, [this] { ListEventProperty(); });
  // Scripts edited in the script editors land in the shown dialog's boxes,
  // so that its Apply does not write the old script back.
  eventDialogScript = [](int32_t kind, const std::string& text) {
    if (EventDialog::isShownNow()) EventDialog::instance()->takeScript(kind, text);
  };
  // A dialog without an owner would outlive the window.
  connect(this, &QObject::destroyed, [] { EventDialog::DestroyAll(); });
}

bool MainGUI::eventPropertyVisible() const { return EventDialog::isShownNow(); }

void MainGUI::ListEventProperty() {
  const Preferences& p = Prefs::Current();
  const rules::OpenPlan plan = rules::PlanOpen(EventListModule::Current().currentRow, EventListModule::RowCount(),
                                               p.dispEventProperty, p.posEventDialog, EventDialog::isShownNow());
  if (!plan.open) return;
  EventDialog* d = EventDialog::load();
  QWidget* owner = rules::KeepOnTopOffered(p.windowTopward) ? nullptr : this;
  if (plan.place) {
    d->setOwner(owner);
    if (plan.atCursor) {
      PlaceAt(d, Desktop().placement->cursorPos());
    } else {
      PlaceFromTwips(d, p.epLeft, p.epTop);
    }
  }
  if (plan.showAndLoad) {
    d->LoadingSub();
    d->showOwned(owner);
    ListEventPropertyLoad();
  }
  d->restorePaneOptions();
  d->LoadingSub();
  if (d->Combo2->isVisibleTo(d)) d->Combo2->setFocus();
  if (d->Text1->isVisibleTo(d)) d->Text1->setFocus();
}

void MainGUI::ListEventPropertyLoad() { EventProperty::Load(EventDialog::load()->fields()); }

void MainGUI::ListEventPropertyApply() {
  if (EventDialog* d = EventDialog::instance()) EventProperty::Apply(d->fields());
  PictEventList->setFocus();
  PictEventList_Click();
}

}  // namespace tesmiro::gui
