#include "actions/abstractaction.h"

#include <QLoggingCategory>

#include "actions/commandengine.h"
#include "platform/shellutils.h"
#include "settings/orbelinpreferences.h"

Q_LOGGING_CATEGORY(lcActions, "tessivo.actions")

namespace {

constexpr char kIndent[] = "    ";

QString BooleanText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

int IntegerArgument(const QVariantList& arguments, int index) { return arguments.value(index).toInt(); }

}  // namespace

bool TextToBoolean(const QString& text) {
  const QString word = text.trimmed().toLower();
  if (word == "true" || word == "vrai" || word == "t" || word == "v") return true;
  return shell::StrToIntOrZero(word) != 0;
}

std::optional<TRectValue> TextToRect(const QString& text) {
  const QString trimmed = text.trimmed();
  if (!trimmed.startsWith('(') || !trimmed.endsWith(')')) return std::nullopt;
  const QStringList parts = trimmed.mid(1, trimmed.size() - 2).split(',');
  if (parts.size() != 4) return std::nullopt;
  return TRectValue{shell::StrToIntOrZero(parts[0]), shell::StrToIntOrZero(parts[1]), shell::StrToIntOrZero(parts[2]),
                    shell::StrToIntOrZero(parts[3])};
}

// --- Base -----------------------------------------------------------------

TCustomAbstractAction::TCustomAbstractAction(TActionContext& context, QObject* parent)
    : QAction(parent), context_(context) {
  connect(this, &QAction::triggered, this, [this] { ExecuteFromUser(); });
}

void TCustomAbstractAction::ResetAction() {
  Category.clear();
  ScriptName.clear();
  setShortcuts({});
}

void TCustomAbstractAction::RecordAndApply(const QString& macroLine, const std::function<void()>& apply) {
  TMacroRecorder& macro = context_.macro;
  if (!macro.active() || macro.nesting) {
    apply();
    return;
  }
  // Stopping a recording, executing the macro (which would run itself), or
  // showing the script window, is not part of the macro being recorded.
  const bool silent = InternalId == QLatin1String("naStopMacro") || InternalId == QLatin1String("naExecuteMacro") ||
                      ScriptName == QLatin1String("Script");
  if (!silent) macro.Record(macroLine);
  macro.nesting = true;
  try {
    apply();
  } catch (...) {
    macro.nesting = false;
    throw;
  }
  macro.nesting = false;
}

QString TCustomAbstractAction::DeclarationVariables(const char* kindDefault) {
  if (Variables.isEmpty()) Variables = QString::fromLatin1(kindDefault);
  return Variables;
}

// --- No value -------------------------------------------------------------

void TNopeAction::ApplyAction() {
  RecordAndApply(kIndent + ScriptName + ';', [this] {
    if (OnBeforeApply) OnBeforeApply();
    if (InternalApply) InternalApply();
    if (OnAfterApply) OnAfterApply();
  });
}

void TNopeAction::ExecuteFromUser() {
  if (OnPrepare && !OnPrepare()) return;
  if (InternalPrepare && !InternalPrepare()) return;
  ApplyAction();
}

QList<ScriptProcedure> TNopeAction::RegisterScript() {
  if (ScriptName.isEmpty()) return {};
  return {{ScriptDeclaration(), [this](const QVariantList&) { ApplyAction(); }}};
}

QString TNopeAction::ScriptDeclaration() { return "procedure " + ScriptName + ';'; }
QString TNopeAction::SwitchSyntax() { return '/' + Switch; }

void TNopeAction::ResetAction() {
  TCustomAbstractAction::ResetAction();
  OnPrepare = {};
  OnBeforeApply = {};
  OnAfterApply = {};
  BeforeSave = {};
}

void TNopeAction::ApplyText(const QString&) { ApplyAction(); }

bool TNopeAction::LoadFromPrefs(TOrbelinPreferences&) {
  try {
    if (ApplyWhenLoad) ApplyAction();
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcActions) << ScriptName << "not loaded:" << error.what();
    return false;
  }
}

bool TNopeAction::SaveToPrefs(TOrbelinPreferences&) {
  if (BeforeSave) BeforeSave();
  if (InternalBeforeSave) InternalBeforeSave();
  return true;
}

// --- Value kinds ----------------------------------------------------------

template <typename T>
void TValueAction<T>::SetValue(const T& value) {
  value_ = value;
  ApplyAction();
}

template <typename T>
void TValueAction<T>::ApplyAction() {
  RecordAndApply(MacroLine(), [this] {
    if (OnBeforeApply) OnBeforeApply();
    if (InternalApply) InternalApply();
    if (OnAfterApply) OnAfterApply();
  });
}

template <typename T>
void TValueAction<T>::ExecuteFromUser() {
  if (!OnPrepare && !InternalPrepare) return;  // nothing produces a value
  T value = value_;
  if (OnPrepare && !OnPrepare(value)) return;
  if (InternalPrepare && !InternalPrepare(value)) return;
  SetValue(value);
}

template <typename T>
void TValueAction<T>::ResetAction() {
  TCustomAbstractAction::ResetAction();
  OnPrepare = {};
  OnDefault = {};
  BeforeSave = {};
  OnBeforeApply = {};
  OnAfterApply = {};
}

template <typename T>
bool TValueAction<T>::LoadFromPrefs(TOrbelinPreferences& preferences) {
  try {
    T fallback = DefaultValue;
    if (OnDefault) OnDefault(fallback);
    if (InternalDefault) InternalDefault(fallback);
    value_ = ReadValue(preferences, fallback);
    if (ApplyWhenLoad) ApplyAction();
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcActions) << ScriptName << "not loaded:" << error.what();
    return false;
  }
}

template <typename T>
bool TValueAction<T>::SaveToPrefs(TOrbelinPreferences& preferences) {
  try {
    T saved = value_;
    if (BeforeSave) BeforeSave(saved);
    if (InternalBeforeSave) InternalBeforeSave(saved);
    return WriteValue(preferences, saved);
  } catch (const std::exception& error) {
    qCWarning(lcActions) << ScriptName << "not saved:" << error.what();
    return false;
  }
}

template class TValueAction<QString>;
template class TValueAction<bool>;
template class TValueAction<TRectValue>;

QString PascalLiteral(const QString& text) {
  QString literal;
  bool quoted = false;
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
      if (quoted) literal += '\'';
      quoted = false;
      literal += '#' + QString::number(c.unicode());
      continue;
    }
    if (!quoted) literal += '\'';
    quoted = true;
    literal += c;
    if (c == '\'') literal += '\'';
  }
  if (quoted) literal += '\'';
  return literal.isEmpty() ? QStringLiteral("''") : literal;
}

QString TWidestringAction::MacroLine() const { return kIndent + ScriptName + '(' + PascalLiteral(value_) + ");"; }
QString TWidestringAction::ScriptDeclaration() {
  return "procedure " + ScriptName + "(const " + DeclarationVariables("aWidestring") + ":widestring);";
}
QString TWidestringAction::SwitchSyntax() { return '/' + Switch + '=' + DeclarationVariables("aWidestring"); }
QList<ScriptProcedure> TWidestringAction::RegisterScript() {
  return {{ScriptDeclaration(), [this](const QVariantList& arguments) { SetValue(arguments.value(0).toString()); }}};
}
void TWidestringAction::ApplyText(const QString& text) { SetValue(text); }
QString TWidestringAction::ReadValue(TOrbelinPreferences& preferences, const QString& fallback) const {
  return preferences.ReadString(ScriptName, fallback);
}
bool TWidestringAction::WriteValue(TOrbelinPreferences& preferences, const QString& value) const {
  return preferences.WriteString(ScriptName, value);
}

void TBooleanAction::SetValue(const bool& value) {
  if (value == value_) return;
  TValueAction::SetValue(value);
}
QString TBooleanAction::MacroLine() const { return kIndent + ScriptName + '(' + BooleanText(value_) + ");"; }
QString TBooleanAction::ScriptDeclaration() {
  return "procedure " + ScriptName + "(const " + DeclarationVariables("aBoolean") + ":Boolean);";
}
QString TBooleanAction::SwitchSyntax() { return '/' + Switch + '=' + DeclarationVariables("aBoolean"); }
QList<ScriptProcedure> TBooleanAction::RegisterScript() {
  return {{ScriptDeclaration(), [this](const QVariantList& arguments) { SetValue(arguments.value(0).toBool()); }}};
}
void TBooleanAction::ApplyText(const QString& text) { SetValue(TextToBoolean(text)); }
bool TBooleanAction::ReadValue(TOrbelinPreferences& preferences, const bool& fallback) const {
  return preferences.ReadBool(ScriptName, fallback);
}
bool TBooleanAction::WriteValue(TOrbelinPreferences& preferences, const bool& value) const {
  return preferences.WriteBool(ScriptName, value);
}

QString TRectAction::MacroLine() const {
  // The declared order of the script procedure: left, right, top, bottom.
  return kIndent + ScriptName +
         QStringLiteral("(%1,%2,%3,%4);").arg(value_.left).arg(value_.right).arg(value_.top).arg(value_.bottom);
}
QString TRectAction::ScriptDeclaration() {
  return "procedure " + ScriptName + "(const " + DeclarationVariables("left,right,top,bottom") + ":integer);";
}
QString TRectAction::SwitchSyntax() { return '/' + Switch + '=' + (Variables.isEmpty() ? "aRect" : Variables); }
QList<ScriptProcedure> TRectAction::RegisterScript() {
  return {{ScriptDeclaration(), [this](const QVariantList& a) {
             SetValue({IntegerArgument(a, 0), IntegerArgument(a, 2), IntegerArgument(a, 1), IntegerArgument(a, 3)});
           }}};
}
void TRectAction::ApplyText(const QString& text) {
  if (const auto rect = TextToRect(text)) SetValue(*rect);
}
TRectValue TRectAction::ReadValue(TOrbelinPreferences& preferences, const TRectValue& fallback) const {
  return TRectValue::FromQRect(preferences.ReadRect(ScriptName, fallback.ToQRect()));
}
bool TRectAction::WriteValue(TOrbelinPreferences& preferences, const TRectValue& value) const {
  return preferences.WriteRect(ScriptName, value.ToQRect());
}

// --- Check ----------------------------------------------------------------

TCheckAction::TCheckAction(TActionContext& context, QObject* parent) : TCustomAbstractAction(context, parent) {}

void TCheckAction::ShowState() {
  setText(checked_ ? TrueCaption : FalseCaption);
  setToolTip(checked_ ? TrueHint : FalseHint);
  imageIndex_ = checked_ ? TrueImageIndex : FalseImageIndex;
}

void TCheckAction::SetChecked(bool value) {
  checked_ = value;
  ApplyAction();
}

void TCheckAction::ApplyAction() {
  RecordAndApply("    set" + ScriptName + '(' + BooleanText(checked_) + ");", [this] {
    if (checked_) {
      if (OnBeforeTrueApply) OnBeforeTrueApply();
      if (InternalTrueApply) InternalTrueApply();
      if (OnAfterTrueApply) OnAfterTrueApply();
    } else {
      if (OnBeforeFalseApply) OnBeforeFalseApply();
      if (InternalFalseApply) InternalFalseApply();
      if (OnAfterFalseApply) OnAfterFalseApply();
    }
    ShowState();
  });
}

void TCheckAction::ExecuteFromUser() {
  if (OnPrepare && !OnPrepare()) return;
  if (InternalPrepare && !InternalPrepare()) return;
  SetChecked(!checked_);
}

QList<ScriptProcedure> TCheckAction::RegisterScript() {
  return {{"procedure set" + ScriptName + "(const aBoolean:Boolean);",
           [this](const QVariantList& arguments) { SetChecked(arguments.value(0).toBool()); }},
          {"procedure " + ScriptName + ';', [this](const QVariantList&) { SetChecked(!checked_); }}};
}

QString TCheckAction::ScriptDeclaration() {
  return "procedure set" + ScriptName + "(const " + DeclarationVariables("fisTrue") + ":Boolean);\r\nprocedure " +
         ScriptName + ';';
}

QString TCheckAction::SwitchSyntax() { return '/' + Switch + " +" + Switch + " -" + Switch; }

void TCheckAction::ResetAction() {
  TCustomAbstractAction::ResetAction();
  OnPrepare = {};
  OnDefault = {};
  BeforeSave = {};
  OnBeforeTrueApply = OnAfterTrueApply = OnBeforeFalseApply = OnAfterFalseApply = {};
}

void TCheckAction::ApplyText(const QString& text) { SetChecked(TextToBoolean(text)); }

bool TCheckAction::LoadFromPrefs(TOrbelinPreferences& preferences) {
  try {
    bool fallback = DefaultValue;
    if (OnDefault) OnDefault(fallback);
    if (InternalDefault) InternalDefault(fallback);
    checked_ = preferences.ReadBool(ScriptName, fallback);
    if (ApplyWhenLoad) ApplyAction();
    ShowState();
    return true;
  } catch (const std::exception& error) {
    qCWarning(lcActions) << ScriptName << "not loaded:" << error.what();
    return false;
  }
}

bool TCheckAction::SaveToPrefs(TOrbelinPreferences& preferences) {
  try {
    bool saved = checked_;
    if (BeforeSave) BeforeSave(saved);
    if (InternalBeforeSave) InternalBeforeSave(saved);
    return preferences.WriteBool(ScriptName, saved);
  } catch (const std::exception& error) {
    qCWarning(lcActions) << ScriptName << "not saved:" << error.what();
    return false;
  }
}

// --- Lists ----------------------------------------------------------------

QList<ScriptProcedure> TCustomOBActionList::ScriptProcedures() const {
  QList<ScriptProcedure> procedures;
  for (TCustomAbstractAction* action : actions_) procedures += action->RegisterScript();
  return procedures;
}

TCustomAbstractAction* TCustomOBActionList::FindByInternalId(const QString& id) const {
  for (TCustomAbstractAction* action : actions_)
    if (action->InternalId == id) return action;
  return nullptr;
}

bool TCustomOBActionList::LoadFromPrefs(TOrbelinPreferences& preferences) {
  bool all = true;
  for (TCustomAbstractAction* action : actions_)
    if (action->IncludePrefs) all = action->LoadFromPrefs(preferences) && all;
  if (OnLoadFromPrefs) OnLoadFromPrefs();
  return all;
}

bool TCustomOBActionList::SaveToPrefs(TOrbelinPreferences& preferences) {
  bool all = true;
  for (TCustomAbstractAction* action : actions_)
    if (action->IncludePrefs) all = action->SaveToPrefs(preferences) && all;
  if (OnSaveToPrefs) OnSaveToPrefs();
  return all;
}

void TOBSwitch::Attach(const TCustomOBActionList& list) {
  for (TCustomAbstractAction* action : list.actions()) {
    const QString name = action->Switch.toLower();
    if (!name.isEmpty() && !map_.contains(name)) map_.insert(name, action);
  }
}

void TOBSwitch::RunArguments(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    const ParsedCommand command = ParseCommandLineArgument(argument);
    TCustomAbstractAction* action = command.name.isEmpty() ? nullptr : Find(command.name);
    if (!action || !action->isEnabled()) continue;
    auto* check = qobject_cast<TCheckAction*>(action);
    if (check && command.kind == CommandKind::Set)
      check->SetChecked(true);
    else if (check && command.kind == CommandKind::Clear)
      check->SetChecked(false);
    else if (check && command.kind == CommandKind::Toggle)
      check->SetChecked(!check->IsChecked());
    else
      action->ApplyText(command.argument);
  }
}
