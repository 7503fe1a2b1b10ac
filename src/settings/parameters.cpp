#include "settings/parameters.h"

#include <QDateTime>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

namespace {

const QString kEmptyMarker = QString::fromUtf16(kEmptyStringMarker);

// Overlay record field names, in stored order.
constexpr char kIncrust1[] = "Incrust1";
constexpr char kIncrust2[] = "Incrust2";
constexpr char kFormatDate1[] = "FormatDate1";
constexpr char kFormatDate2[] = "FormatDate2";
constexpr char kDecalageHoraire[] = "Decalage Horaire";
constexpr char kFontRec[] = "FontRec";
constexpr char kFontName[] = "FontName";
constexpr char kFontSize[] = "FontSize";
constexpr char kFontColor[] = "FontColor";
constexpr char kFontBold[] = "FontBold";
constexpr char kFontItalic[] = "FontItalic";
constexpr char kFontUnderline[] = "FontUnderline";
constexpr char kFontStrikeOut[] = "FontStrikeOut";
constexpr char kAutofontsize[] = "Autofontsize";
constexpr char kBorderSize[] = "BorderSize";
constexpr char kWhatIncrust[] = "What Incrust";
constexpr char kAlignement[] = "Alignement";
constexpr char kBorderColor[] = "BorderColor";
constexpr char kXpos[] = "Xpos";
constexpr char kYpos[] = "Ypos";

QString StoredString(const QString& value) { return value.isEmpty() ? kEmptyMarker : value; }

QString LoadedString(const std::optional<QString>& stored, const QString& fallback) {
  if (!stored) return fallback;
  const QString value = *stored == kEmptyMarker ? QString() : *stored;
  return value.isEmpty() ? fallback : value;
}

// Colours are stored as the registry's DWORD: the same 32 bits as a signed
// integer.
std::uint32_t LoadedColor(const std::optional<int>& stored, std::uint32_t fallback) {
  return stored ? static_cast<std::uint32_t>(*stored) : fallback;
}

}  // namespace

TParameter::TParameter(TparameterList& list, QString key) : list_(list), key_(std::move(key)) {}

void TIntegerParameter::Load(TReadPreferences& reader) { value = reader.ReadInteger(key()).value_or(defaultValue()); }
void TIntegerParameter::Save(TWritePreferences& writer) const { writer.WriteInteger(key(), value); }

void TRealParameter::Load(TReadPreferences& reader) { value = reader.ReadReal(key()).value_or(defaultValue()); }
void TRealParameter::Save(TWritePreferences& writer) const { writer.WriteReal(key(), value); }

void TBooleanParameter::Load(TReadPreferences& reader) { value = reader.ReadBoolean(key()).value_or(defaultValue()); }
void TBooleanParameter::Save(TWritePreferences& writer) const { writer.WriteBoolean(key(), value); }

void TWideStringParameter::Load(TReadPreferences& reader) {
  value = LoadedString(reader.ReadString(key()), defaultValue());
}
void TWideStringParameter::Save(TWritePreferences& writer) const { writer.WriteString(key(), StoredString(value)); }

void TByteParameter::Load(TReadPreferences& reader) {
  const auto stored = reader.ReadInteger(key());
  value = stored ? static_cast<std::uint8_t>(*stored & 0xFF) : defaultValue();
}
void TByteParameter::Save(TWritePreferences& writer) const { writer.WriteInteger(key(), value); }

void TincrustRecParameter::Load(TReadPreferences& reader) {
  const TincrustRec& fallback = defaultValue();
  TincrustRec record = fallback;
  if (reader.mode() == TSavePreferences::spRegistre && !reader.GroupExists(key())) {
    value = fallback;
    return;
  }
  reader.BeginGroup(key());
  try {
    record.incrust1 = LoadedString(reader.ReadString(kIncrust1), fallback.incrust1);
    record.incrust2 = LoadedString(reader.ReadString(kIncrust2), fallback.incrust2);
    record.formatDate1 = LoadedString(reader.ReadString(kFormatDate1), fallback.formatDate1);
    record.formatDate2 = LoadedString(reader.ReadString(kFormatDate2), fallback.formatDate2);
    record.decalageHoraire = reader.ReadReal(kDecalageHoraire).value_or(fallback.decalageHoraire);
    if (reader.GroupExists(kFontRec)) {
      reader.BeginGroup(kFontRec);
      const TFontRec& font = fallback.font;
      try {
        record.font.name = LoadedString(reader.ReadString(kFontName), font.name);
        record.font.size = reader.ReadInteger(kFontSize).value_or(font.size);
        record.font.color = LoadedColor(reader.ReadInteger(kFontColor), font.color);
        record.font.bold = reader.ReadBoolean(kFontBold).value_or(font.bold);
        record.font.italic = reader.ReadBoolean(kFontItalic).value_or(font.italic);
        record.font.underline = reader.ReadBoolean(kFontUnderline).value_or(font.underline);
        record.font.strikeOut = reader.ReadBoolean(kFontStrikeOut).value_or(font.strikeOut);
      } catch (...) {
        reader.EndGroup();
        throw;
      }
      reader.EndGroup();
    }
    record.autoFontSize = reader.ReadBoolean(kAutofontsize).value_or(fallback.autoFontSize);
    record.borderSize = reader.ReadInteger(kBorderSize).value_or(fallback.borderSize);
    const auto what = reader.ReadInteger(kWhatIncrust);
    record.whatIncrust = what ? static_cast<std::uint8_t>(*what & 0xFF) : fallback.whatIncrust;
    const auto alignement = reader.ReadInteger(kAlignement);
    record.alignement = alignement ? static_cast<std::uint8_t>(*alignement & 0xFF) : fallback.alignement;
    record.borderColor = LoadedColor(reader.ReadInteger(kBorderColor), fallback.borderColor);
    record.xPos = reader.ReadInteger(kXpos).value_or(fallback.xPos);
    record.yPos = reader.ReadInteger(kYpos).value_or(fallback.yPos);
  } catch (...) {
    reader.EndGroup();
    value = fallback;  // a record read only in part is no record
    return;
  }
  reader.EndGroup();
  value = record;
}

void TincrustRecParameter::Save(TWritePreferences& writer) const {
  writer.BeginGroup(key());
  writer.WriteString(kIncrust1, StoredString(value.incrust1));
  writer.WriteString(kIncrust2, StoredString(value.incrust2));
  writer.WriteString(kFormatDate1, StoredString(value.formatDate1));
  writer.WriteString(kFormatDate2, StoredString(value.formatDate2));
  writer.WriteReal(kDecalageHoraire, value.decalageHoraire);
  writer.BeginGroup(kFontRec);
  writer.WriteString(kFontName, StoredString(value.font.name));
  writer.WriteInteger(kFontSize, value.font.size);
  writer.WriteInteger(kFontColor, static_cast<std::int32_t>(value.font.color));
  writer.WriteBoolean(kFontBold, value.font.bold);
  writer.WriteBoolean(kFontItalic, value.font.italic);
  writer.WriteBoolean(kFontUnderline, value.font.underline);
  writer.WriteBoolean(kFontStrikeOut, value.font.strikeOut);
  writer.EndGroup();
  writer.WriteBoolean(kAutofontsize, value.autoFontSize);
  writer.WriteInteger(kBorderSize, value.borderSize);
  writer.WriteInteger(kWhatIncrust, value.whatIncrust);
  writer.WriteInteger(kAlignement, value.alignement);
  writer.WriteInteger(kBorderColor, static_cast<std::int32_t>(value.borderColor));
  writer.WriteInteger(kXpos, value.xPos);
  writer.WriteInteger(kYpos, value.yPos);
  writer.EndGroup();
}

// --- List -----------------------------------------------------------------

TparameterList::TparameterList(QString signature, PreferenceLocations locations)
    : signature_(std::move(signature)), locations_(std::move(locations)) {}

TparameterList::~TparameterList() = default;

TParameter* TparameterList::Find(const QString& key) const {
  for (const auto& parameter : parameters_)
    if (parameter->key() == key) return parameter.get();
  return nullptr;
}

void TparameterList::LoadAll() {
  TReadPreferences reader(keyPath_, mode_, locations_);
  for (const auto& parameter : parameters_) {
    if (mode_ == TSavePreferences::spNone) {
      parameter->ResetToDefault();
      continue;
    }
    try {
      parameter->Load(reader);
    } catch (const std::exception& error) {
      qCInfo(lcPreferences) << "default used:" << error.what();
      parameter->ResetToDefault();
    }
  }
}

bool TparameterList::SaveAll() {
  keyPath_ = kPreferenceKeyPath;
  try {
    TWritePreferences writer(keyPath_, mode_, locations_);
    writer.WriteString("Signature", signature_);
    writer.WriteString("DerniereSauvegarde", QDateTime::currentDateTime().toString("dd/MM/yyyy hh:mm:ss"));
    writer.WriteString("ExeName", locations_.exePath);
    for (const auto& parameter : parameters_) {
      try {
        parameter->Save(writer);
      } catch (const std::exception& error) {
        qCWarning(lcPreferences) << "not saved:" << parameter->key() << error.what();
      }
    }
    return writer.Close();
  } catch (const std::exception& error) {
    qCWarning(lcPreferences) << "preferences not saved:" << error.what();
    return false;
  }
}
