// The event property dialog from the main window: opening it for the
// selected events, filling it and applying it.
#include <QComboBox>
#include <QLineEdit>

#include "project/event_dialog_rules.h"
#include "project/event_property_exchange.h"
#include "project/list_models.h"
#include "project/preferences.h"
#include "ui/common/dialog_support.h"
#include "ui/common/services.h"
#include "ui/main/event_list_area.h"
#include "ui/main/main_gui.h"
#include "ui/main/on_demand_window.h"

namespace tesmiro::gui {

namespace rules = EventDialogRules;

void MainGUI::setupEventDialogArea() {
  // Scripts edited in the script editors land in the shown dialog's boxes,
  // so that its Apply does not write the old script back.
  eventDialogScript = [](int32_t kind, const std::string& text) {
    if (kEventDialog.isShownNow()) kEventDialog.loaded()->takeScript(kind, text);
  };
  // A dialog without an owner would outlive the window.
  connect(this, &QObject::destroyed, [] { EventDialog::DestroyAll(); });
}

bool MainGUI::eventPropertyVisible() const { return kEventDialog.isShownNow(); }

void MainGUI::ListEventProperty() {
  const Preferences& p = Prefs::Current();
  const rules::OpenPlan plan = rules::PlanOpen(EventListModule::Current().currentRow, EventListModule::RowCount(),
                                               p.dispEventProperty, p.posEventDialog, kEventDialog.isShownNow());
  if (!plan.open) return;
  EventDialog* d = kEventDialog.load(this);
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
  d->focusFirstField();
}

void MainGUI::ListEventPropertyLoad() { EventProperty::Load(kEventDialog.load(this)->fields()); }

void MainGUI::ListEventPropertyApply() {
  if (EventDialog* d = kEventDialog.loaded()) EventProperty::Apply(d->fields());
  eventList_->list()->setFocus();
  eventList_->onClicked();
}

}  // namespace tesmiro::gui
