// Typed parameters: every setting that survives a restart. Each parameter has
// a key, a current value that the program reads and assigns at any time on
// the user-interface thread, and a default fixed at creation. The parameter
// list owns them, loads them from the current store and saves them there, in
// registration order.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "settings/incrustrec.h"
#include "settings/preferencestore.h"

class TparameterList;

class TParameter {
 public:
  TParameter(TparameterList& list, QString key);
  virtual ~TParameter() = default;
  TParameter(const TParameter&) = delete;
  TParameter& operator=(const TParameter&) = delete;

  const QString& key() const { return key_; }

  // Loading may raise on a stored value of the wrong kind; the list then gives
  // the parameter its default.
  virtual void Load(TReadPreferences& reader) = 0;
  virtual void Save(TWritePreferences& writer) const = 0;
  virtual void ResetToDefault() = 0;

 protected:
  TparameterList& list_;

 private:
  QString key_;
};

template <typename T>
class TValueParameter : public TParameter {
 public:
  TValueParameter(TparameterList& list, QString key, T defaultValue)
      : TParameter(list, std::move(key)), value(defaultValue), defaultValue_(std::move(defaultValue)) {}
  const T& defaultValue() const { return defaultValue_; }
  void ResetToDefault() override { value = defaultValue_; }

  T value;

 private:
  const T defaultValue_;
};

class TIntegerParameter : public TValueParameter<std::int32_t> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

class TRealParameter : public TValueParameter<double> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

class TBooleanParameter : public TValueParameter<bool> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

// An empty string is stored as the empty-string marker, and a loaded empty
// string gives the default: a string whose default is not empty is never
// loaded empty.
class TWideStringParameter : public TValueParameter<QString> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

// A one-byte choice stored as an integer; a loaded integer keeps its low
// eight bits.
class TByteParameter : public TValueParameter<std::uint8_t> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

class TframeNumberParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TAspectRatioParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TWhenIncrustParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TFormatCaptureParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TstandardDVParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TFrequenceDVParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TRatioDVParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};
class TRaccourcisSortParameter final : public TByteParameter {
  using TByteParameter::TByteParameter;
};

// The overlay record, stored field by field under the key as a group.
class TincrustRecParameter final : public TValueParameter<TincrustRec> {
 public:
  using TValueParameter::TValueParameter;
  void Load(TReadPreferences& reader) override;
  void Save(TWritePreferences& writer) const override;
};

class TparameterList {
 public:
  TparameterList(QString signature, PreferenceLocations locations);
  ~TparameterList();

  // Creates a parameter, registers it last and hands back a reference that
  // stays valid as long as the list.
  template <typename P, typename... Args>
  P* Add(const QString& key, Args&&... args) {
    auto parameter = std::make_unique<P>(*this, key, std::forward<Args>(args)...);
    P* raw = parameter.get();
    parameters_.push_back(std::move(parameter));
    return raw;
  }

  // Loads every parameter from a fresh reader for the current mode; a value
  // that cannot be read gives that parameter its default.
  void LoadAll();
  // Writes "Signature", "DerniereSauvegarde" and "ExeName", then every
  // parameter, through a fresh writer. False when the store could not be
  // written; the failure is never raised.
  bool SaveAll();

  TSavePreferences mode() const { return mode_; }
  void setMode(TSavePreferences mode) { mode_ = mode; }
  const QString& keyPath() const { return keyPath_; }
  void setKeyPath(const QString& keyPath) { keyPath_ = keyPath; }
  const QString& signature() const { return signature_; }
  const PreferenceLocations& locations() const { return locations_; }
  const std::vector<std::unique_ptr<TParameter>>& parameters() const { return parameters_; }
  TParameter* Find(const QString& key) const;

 private:
  std::vector<std::unique_ptr<TParameter>> parameters_;
  QString keyPath_ = kPreferenceKeyPath;
  QString signature_;
  PreferenceLocations locations_;
  TSavePreferences mode_ = TSavePreferences::spNone;
};
