#include "actions/superaction.h"

TCustomSuperAction::TCustomSuperAction(TActionContext& context, QObject* parent) : QAction(parent), context_(context) {
  connect(this, &QAction::triggered, this, [this] { Execute(); });
}

void TCustomSuperAction::setImageIndex(int index) {
  imageIndex_ = index;
  if (OnImageChanged) OnImageChanged(index);
}

void TCustomSuperAction::Execute() {
  if (!isEnabled()) return;
  // A toggle first installs the handler of its current state.
  SetChecked(IsChecked());
  context_.proceed = true;
  context_.arguments.clear();
  if (Onprepare) Onprepare(*this);
  if (!context_.proceed) return;
  // The automatic inversion changes the state only: the handler that runs,
  // and the caption shown, are still those of the state before it.
  if (AutoCheck) checked_ = !checked_;
  if (const Handler handler = ExecuteHandler()) handler(this);
}

void TtoggleAction::SetChecked(bool value) {
  setText(value ? TrueCaption : FalseCaption);
  setToolTip(value ? TrueHint : FalseHint);
  setImageIndex(value ? TrueImageIndex : FalseImageIndex);
  installed_ = value ? OnTrueExecute : OnfalseExecute;
  // Its buttons look pressed in the true state.
  setCheckable(true);
  setChecked(value);
  TCustomSuperAction::SetChecked(value);
}

TCustomSuperAction* TActionList::FindByName(const QString& name) const {
  const QString wanted = name.toLower();
  for (TCustomSuperAction* action : actions_)
    if (action->Switch() == wanted || action->Token() == wanted) return action;
  return nullptr;
}

TCustomSuperAction* TActionList::FindByObjectName(const QString& name) const {
  for (TCustomSuperAction* action : actions_)
    if (action->objectName() == name) return action;
  return nullptr;
}
