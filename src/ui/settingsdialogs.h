// The dialogs of the devices' settings menus: the picture format from what
// the device offers, its picture controls, its inputs, its tuner and TV
// sound, and a property editor for any element. Controls, tuner and
// properties are applied as they change; format and input on OK.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "capture/formatchoices.h"

class QComboBox;
class QFormLayout;
class IVideoControls;
class ITvTuner;
class TCrossbar;
typedef struct _GObject GObject;

class TFormatDialog : public QDialog {
  Q_OBJECT
 public:
  // `current`: the index of the choice in force, -1 for the device's own.
  TFormatDialog(const QString& device, std::vector<TFormatChoice> choices, int current, QWidget* parent = nullptr);
  // The choice made, -1 for the device's own.
  int chosen() const;
  QComboBox* list() const { return list_; }

 private:
  std::vector<TFormatChoice> choices_;
  QComboBox* list_ = nullptr;
};

class TControlsDialog : public QDialog {
  Q_OBJECT
 public:
  TControlsDialog(const QString& device, IVideoControls& controls, QWidget* parent = nullptr);
  // Every control back to its default.
  void Reset();
  // Told when the device refuses a value.
  std::function<void(const QString& control)> refused;

 private:
  void Build();
  IVideoControls& controls_;
  QWidget* body_ = nullptr;
};

class TPropertyEditor : public QDialog {
  Q_OBJECT
 public:
  TPropertyEditor(const QString& title, GObject* object, QWidget* parent = nullptr);

  // Shows every property's value again.
  void Reload();

 private:
  GObject* Object() const { return static_cast<GObject*>(object_.get()); }
  // A reference of the editor's own, given back when it goes.
  std::unique_ptr<void, void (*)(void*)> object_;
  QFormLayout* form_ = nullptr;
};

class TCrossbarDialog : public QDialog {
  Q_OBJECT
 public:
  TCrossbarDialog(const QString& device, TCrossbar& crossbar, QWidget* parent = nullptr);
  QComboBox* list() const { return list_; }
  // Routes the chosen input; false when the card refused.
  bool Apply();

 private:
  TCrossbar& crossbar_;
  QComboBox* list_ = nullptr;
};

class TTunerDialog : public QDialog {
  Q_OBJECT
 public:
  TTunerDialog(const QString& device, ITvTuner& tuner, QWidget* parent = nullptr);
};

class TTvAudioDialog : public QDialog {
  Q_OBJECT
 public:
  TTvAudioDialog(const QString& device, ITvTuner& tuner, QWidget* parent = nullptr);
};
