// The table of preference keys: every persisted setting, created in a fixed
// order (which is also the load and save order) with its type and default,
// and one named reference per key for the code that uses it.
#pragma once

#include <QString>

#include "settings/parameters.h"

// Defaults that depend on where the program and the user's folders are.
struct ParameterDefaults {
  QString programFolder;     // "Plugins Dir", with a trailing separator added
  QString videosFolder;      // "Video Directory", likewise
  QString picturesFolder;    // "Image Directory", likewise
  QString companionExePath;  // "Scenolog"

  static ParameterDefaults ForThisUser(const QString& programFolder);
};

struct TParameters {
  TIntegerParameter* Volume = nullptr;
  TstandardDVParameter* StandardDV = nullptr;
  TIntegerParameter* ProfileWmv = nullptr;
  TFrequenceDVParameter* FrequenceDV = nullptr;
  TRatioDVParameter* RatioDV = nullptr;
  TAspectRatioParameter* RatioDivX = nullptr;
  TIntegerParameter* CorrectionSync = nullptr;
  TRealParameter* Framerate = nullptr;
  TincrustRecParameter* IncrustRec = nullptr;
  TIntegerParameter* DureeIncruster = nullptr;
  TWhenIncrustParameter* WhenIncrust = nullptr;
  TWideStringParameter* NoDatecode = nullptr;
  TRealParameter* DecalageHoraire = nullptr;
  TBooleanParameter* DecalageAvance = nullptr;
  TIntegerParameter* ExtensionDesImages = nullptr;
  TIntegerParameter* QualiteJpeg = nullptr;
  TIntegerParameter* VersionWmv = nullptr;
  TIntegerParameter* ValeurIntervallometre = nullptr;
  TIntegerParameter* UnitesIntervallometre = nullptr;
  TframeNumberParameter* PanneauActif = nullptr;
  TAspectRatioParameter* AspectRatio = nullptr;
  TBooleanParameter* WideScreen = nullptr;
  TWideStringParameter* PluginsDir = nullptr;
  TWideStringParameter* VideoDirectory = nullptr;
  TWideStringParameter* VideoRacine = nullptr;
  TWideStringParameter* ImageDirectory = nullptr;
  TWideStringParameter* ImageRacine = nullptr;
  TWideStringParameter* Scenolog = nullptr;
  TWideStringParameter* SourceVideo = nullptr;
  TWideStringParameter* SourceAudio = nullptr;
  TFormatCaptureParameter* CaptureFormat = nullptr;
  TWideStringParameter* AudioType = nullptr;
  TWideStringParameter* SoundCardEntry = nullptr;
  TWideStringParameter* ProfilWindowsMedia = nullptr;
  TWideStringParameter* ProfilWmvFavori = nullptr;
  TBooleanParameter* ProfilParDefaut = nullptr;
  TWideStringParameter* DivxFavori = nullptr;
  TBooleanParameter* WantMp3 = nullptr;
  TBooleanParameter* FrequenceDVNative = nullptr;
  TBooleanParameter* GarderFormatDV = nullptr;
  TBooleanParameter* DemiTaille = nullptr;
  TBooleanParameter* Notifier = nullptr;
  TBooleanParameter* InternalDeinterlacer = nullptr;
  TBooleanParameter* EcranGauche = nullptr;
  TBooleanParameter* PreviewLocked = nullptr;
  TBooleanParameter* ActiverSuperposition = nullptr;
  TBooleanParameter* WantIncrust = nullptr;
  TBooleanParameter* WantVertFlip = nullptr;
  TBooleanParameter* WantHorzFlip = nullptr;
  TBooleanParameter* WantWidescreen = nullptr;
  TWideStringParameter* WantVideoSource = nullptr;
  TWideStringParameter* WantAudioSource = nullptr;
  TWideStringParameter* WantFormatCapture = nullptr;
  TRaccourcisSortParameter* RaccourcisSort = nullptr;
  TBooleanParameter* FullscreenOn = nullptr;
  TBooleanParameter* ReducedOn = nullptr;
  TBooleanParameter* MuteOn = nullptr;
  TBooleanParameter* StopperCameraDV1EnQuittant = nullptr;
  TBooleanParameter* StopperCameraDV2EnQuittant = nullptr;
  TBooleanParameter* VideoDate = nullptr;
  TBooleanParameter* ImageDate = nullptr;
  TBooleanParameter* ShowVideoPilotDV = nullptr;
  TBooleanParameter* ShowAudioPilotDV = nullptr;
  TBooleanParameter* SauverPreferencesEnQuittant = nullptr;
  TBooleanParameter* ConfirmerImage = nullptr;
  TBooleanParameter* ConfirmerVideo = nullptr;
  TBooleanParameter* Mpeg2RatioNormal = nullptr;
  TBooleanParameter* Scn = nullptr;
  TBooleanParameter* DVDemiSiDivX = nullptr;
  TBooleanParameter* Beeps = nullptr;
  TWideStringParameter* SourcesExclues = nullptr;
  TIntegerParameter* VideoInputSelect = nullptr;
  TBooleanParameter* FreezePreview = nullptr;
  TBooleanParameter* FreezeCapture = nullptr;
};

// Sets the key path, chooses the preference mode, creates every parameter of
// the table in order and loads them.
TParameters BuildParameterTable(TparameterList& list, const ParameterDefaults& defaults);

// Saves every parameter; never raises. False when the store was not written.
bool SaveParameters(TparameterList& list);
