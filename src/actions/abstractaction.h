// Persistable, scriptable commands: they keep a value (none, a text, a
// boolean, a checked state or a rectangle) in the preferences under their
// script name, record themselves into a running macro when applied, declare
// themselves to the script engine and take their value from the command line.
#pragma once

#include "platform/shellutils.h"

#include <QAction>
#include <QHash>
#include <QList>
#include <QRect>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>

#include "actions/actioncontext.h"

class TOrbelinPreferences;

// A procedure an action offers to scripts: its declaration and what a call
// does with the arguments.
struct ScriptProcedure {
  QString declaration;
  std::function<void(const QVariantList& arguments)> call;
};

// The stored rectangle: four edges, right and bottom exclusive.
using TRectValue = shell::Rect;

class TCustomAbstractAction : public QAction {
  Q_OBJECT

 public:
  TCustomAbstractAction(TActionContext& context, QObject* parent = nullptr);

  QString ScriptName;
  QString Switch;
  bool ApplyWhenLoad = false;
  QStringList Comments;
  QString Variables;
  QString InternalId;
  bool IncludePrefs = true;
  QString Category = QStringLiteral("internal");

  virtual QList<ScriptProcedure> RegisterScript() = 0;
  virtual void ExecuteFromUser() = 0;
  virtual QString ScriptDeclaration() = 0;
  virtual QString SwitchSyntax() = 0;
  virtual void ResetAction();
  virtual void ApplyText(const QString& text) = 0;
  virtual void ApplyAction() = 0;
  virtual bool LoadFromPrefs(TOrbelinPreferences& preferences) = 0;
  virtual bool SaveToPrefs(TOrbelinPreferences& preferences) = 0;

  TActionContext& context() const { return context_; }

 protected:
  // Records the macro line (when a recording runs and this is not a nested
  // apply) and runs the apply steps with the nesting flag set.
  void RecordAndApply(const QString& macroLine, const std::function<void()>& apply);
  // The variables of the declaration, the kind's default when none are set.
  QString DeclarationVariables(const char* kindDefault);

 private:
  TActionContext& context_;
};

// Applies, with no value.
class TNopeAction : public TCustomAbstractAction {
  Q_OBJECT

 public:
  using TCustomAbstractAction::TCustomAbstractAction;

  std::function<bool()> OnPrepare, InternalPrepare;
  std::function<void()> OnBeforeApply, InternalApply, OnAfterApply;
  std::function<void()> BeforeSave, InternalBeforeSave;

  QList<ScriptProcedure> RegisterScript() override;
  void ExecuteFromUser() override;
  QString ScriptDeclaration() override;
  QString SwitchSyntax() override;
  void ResetAction() override;
  void ApplyText(const QString& text) override;
  void ApplyAction() override;
  bool LoadFromPrefs(TOrbelinPreferences& preferences) override;
  bool SaveToPrefs(TOrbelinPreferences& preferences) override;
};

// A value action: wide string, boolean or rectangle.
template <typename T>
class TValueAction : public TCustomAbstractAction {
 public:
  using TCustomAbstractAction::TCustomAbstractAction;

  T DefaultValue{};
  // Prepare events produce the value an execution from the user sets; they
  // answer false to cancel.
  std::function<bool(T&value)> OnPrepare, InternalPrepare;
  std::function<void(T&value)> OnDefault, InternalDefault;
  std::function<void(T&value)> BeforeSave, InternalBeforeSave;
  std::function<void()> OnBeforeApply, InternalApply, OnAfterApply;

  const T& value() const { return value_; }
  // Stores the value, records it into a running macro and applies it.
  virtual void SetValue(const T& value);
  // Stores the value only: the owner's own bookkeeping, neither recorded
  // nor applied.
  void SetQuietly(const T& value) { value_ = value; }

  void ExecuteFromUser() override;
  void ResetAction() override;
  void ApplyAction() override;
  bool LoadFromPrefs(TOrbelinPreferences& preferences) override;
  bool SaveToPrefs(TOrbelinPreferences& preferences) override;

 protected:
  virtual QString MacroLine() const = 0;
  virtual T ReadValue(TOrbelinPreferences& preferences, const T& fallback) const = 0;
  virtual bool WriteValue(TOrbelinPreferences& preferences, const T& value) const = 0;

  T value_{};
};

// The script literal of a text: quotes doubled inside, control characters
// as #n between the quoted runs ('It''s'#13#10'done').
QString PascalLiteral(const QString& text);

class TWidestringAction : public TValueAction<QString> {
  Q_OBJECT

 public:
  using TValueAction::TValueAction;
  QList<ScriptProcedure> RegisterScript() override;
  QString ScriptDeclaration() override;
  QString SwitchSyntax() override;
  void ApplyText(const QString& text) override;

 protected:
  QString MacroLine() const override;
  QString ReadValue(TOrbelinPreferences& preferences, const QString& fallback) const override;
  bool WriteValue(TOrbelinPreferences& preferences, const QString& value) const override;
};

class TBooleanAction : public TValueAction<bool> {
  Q_OBJECT

 public:
  using TValueAction::TValueAction;
  // Setting the value it already has does nothing.
  void SetValue(const bool& value) override;
  QList<ScriptProcedure> RegisterScript() override;
  QString ScriptDeclaration() override;
  QString SwitchSyntax() override;
  void ApplyText(const QString& text) override;

 protected:
  QString MacroLine() const override;
  bool ReadValue(TOrbelinPreferences& preferences, const bool& fallback) const override;
  bool WriteValue(TOrbelinPreferences& preferences, const bool& value) const override;
};

class TRectAction : public TValueAction<TRectValue> {
  Q_OBJECT

 public:
  using TValueAction::TValueAction;
  QList<ScriptProcedure> RegisterScript() override;
  QString ScriptDeclaration() override;
  QString SwitchSyntax() override;
  // "(left,top,right,bottom)"; anything else is ignored.
  void ApplyText(const QString& text) override;

 protected:
  QString MacroLine() const override;
  TRectValue ReadValue(TOrbelinPreferences& preferences, const TRectValue& fallback) const override;
  bool WriteValue(TOrbelinPreferences& preferences, const TRectValue& value) const override;
};

// A checked state with a caption, hint and image per state.
class TCheckAction : public TCustomAbstractAction {
  Q_OBJECT

 public:
  TCheckAction(TActionContext& context, QObject* parent = nullptr);

  QString TrueCaption, FalseCaption, TrueHint, FalseHint;
  int TrueImageIndex = -1, FalseImageIndex = -1;
  bool DefaultValue = false;
  std::function<bool()> OnPrepare, InternalPrepare;
  std::function<void(bool&value)> OnDefault, InternalDefault;
  std::function<void(bool&value)> BeforeSave, InternalBeforeSave;
  std::function<void()> OnBeforeTrueApply, InternalTrueApply, OnAfterTrueApply;
  std::function<void()> OnBeforeFalseApply, InternalFalseApply, OnAfterFalseApply;

  bool IsChecked() const { return checked_; }
  // Stores the state, records it into a running macro and applies it.
  void SetChecked(bool value);
  int imageIndex() const { return imageIndex_; }

  QList<ScriptProcedure> RegisterScript() override;
  void ExecuteFromUser() override;
  QString ScriptDeclaration() override;
  QString SwitchSyntax() override;
  void ResetAction() override;
  void ApplyText(const QString& text) override;
  void ApplyAction() override;
  bool LoadFromPrefs(TOrbelinPreferences& preferences) override;
  bool SaveToPrefs(TOrbelinPreferences& preferences) override;

 private:
  void ShowState();

  bool checked_ = false;
  int imageIndex_ = -1;
};

// True for "true", "vrai", "t", "v" or a non-zero integer, in any case.
bool TextToBoolean(const QString& text);
// "(10,20,110,220)" gives left 10, top 20, right 110, bottom 220; a part that
// is not a number gives 0. Nothing without the brackets and three commas.
std::optional<TRectValue> TextToRect(const QString& text);

// The persistable commands of a window, found by their internal id, loaded
// and saved together.
class TCustomOBActionList {
 public:
  void Add(TCustomAbstractAction* action) { actions_ << action; }
  const QList<TCustomAbstractAction*>& actions() const { return actions_; }
  TCustomAbstractAction* FindByInternalId(const QString& id) const;
  // What the list's commands offer scripts, in the list's order.
  QList<ScriptProcedure> ScriptProcedures() const;

  std::function<void()> OnLoadFromPrefs, OnSaveToPrefs;
  // Every action that takes part in the preferences; false when one failed.
  bool LoadFromPrefs(TOrbelinPreferences& preferences);
  bool SaveToPrefs(TOrbelinPreferences& preferences);

 private:
  QList<TCustomAbstractAction*> actions_;
};

// The command line for persistable commands: "+switch" sets a check action,
// "-switch" clears it, "/switch" inverts it; other actions take the argument
// as their value.
class TOBSwitch {
 public:
  void Attach(const TCustomOBActionList& list);
  TCustomAbstractAction* Find(const QString& name) const { return map_.value(name.toLower()); }
  void RunArguments(const QStringList& arguments);

 private:
  QHash<QString, TCustomAbstractAction*> map_;
};
