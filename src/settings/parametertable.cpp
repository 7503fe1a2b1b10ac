#include "settings/parametertable.h"

#include <QLoggingCategory>

#include "platform/shellutils.h"
#include "settings/conversions.h"

Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

namespace {

QString WithTrailingSeparator(const QString& folder) { return folder.endsWith('/') ? folder : folder + '/'; }

}  // namespace

ParameterDefaults ParameterDefaults::ForThisUser(const QString& programFolder) {
  return {programFolder, shell::VideosFolder(), shell::PicturesFolder(), shell::CompanionExePath()};
}

TParameters BuildParameterTable(TparameterList& list, const ParameterDefaults& defaults) {
  list.setKeyPath(kPreferenceKeyPath);
  list.setMode(ChoosePreferenceMode(list.locations()));

  TParameters p;
  try {
    p.Volume = list.Add<TIntegerParameter>("Volume", 5000);
    p.StandardDV = list.Add<TstandardDVParameter>("Standard DV", 0);
    p.ProfileWmv = list.Add<TIntegerParameter>("Profile wmv", 1);
    p.FrequenceDV = list.Add<TFrequenceDVParameter>("FrequenceDV", 3);
    p.RatioDV = list.Add<TRatioDVParameter>("RatioDV", 0);
    p.RatioDivX = list.Add<TAspectRatioParameter>("Ratio DivX", 0);
    p.CorrectionSync = list.Add<TIntegerParameter>("Correction Sync", 0);
    p.Framerate = list.Add<TRealParameter>("Framerate", 18.0);
    p.IncrustRec = list.Add<TincrustRecParameter>("IncrustRec", TincrustRec{});
    p.DureeIncruster = list.Add<TIntegerParameter>("Durée Incruster", 5);
    p.WhenIncrust = list.Add<TWhenIncrustParameter>("When Incrust", 0);
    p.NoDatecode = list.Add<TWideStringParameter>("No Datecode", "N/A");
    p.DecalageHoraire = list.Add<TRealParameter>("Décalage horaire", 0.0);
    p.DecalageAvance = list.Add<TBooleanParameter>("Décalage avancé", false);
    p.ExtensionDesImages = list.Add<TIntegerParameter>("Extension des images", 0);
    p.QualiteJpeg = list.Add<TIntegerParameter>("Qualité jpeg", 50);
    p.VersionWmv = list.Add<TIntegerParameter>("Version wmv", 2);
    p.ValeurIntervallometre = list.Add<TIntegerParameter>("Valeur Intervallomètre", 10);
    p.UnitesIntervallometre = list.Add<TIntegerParameter>("Unités Intervallomètre", 0);
    p.PanneauActif = list.Add<TframeNumberParameter>("Panneau actif", pnSources);
    p.AspectRatio = list.Add<TAspectRatioParameter>("Aspect ratio", 0);
    p.WideScreen = list.Add<TBooleanParameter>("WideScreen", false);
    p.PluginsDir = list.Add<TWideStringParameter>("Plugins Dir", WithTrailingSeparator(defaults.programFolder));
    p.VideoDirectory = list.Add<TWideStringParameter>("Video Directory", WithTrailingSeparator(defaults.videosFolder));
    p.VideoRacine = list.Add<TWideStringParameter>("Video Racine", "Video");
    p.ImageDirectory =
        list.Add<TWideStringParameter>("Image Directory", WithTrailingSeparator(defaults.picturesFolder));
    p.ImageRacine = list.Add<TWideStringParameter>("Image Racine", "Image");
    p.Scenolog = list.Add<TWideStringParameter>("Scenolog", defaults.companionExePath);
    p.SourceVideo = list.Add<TWideStringParameter>("Source video", "N/A");
    p.SourceAudio = list.Add<TWideStringParameter>("Source Audio", "N/A");
    p.CaptureFormat = list.Add<TFormatCaptureParameter>("Capture Format", fcDefault);
    p.AudioType = list.Add<TWideStringParameter>("Audio Type", "");
    p.SoundCardEntry = list.Add<TWideStringParameter>("Sound Card Entry", "Line In");
    p.ProfilWindowsMedia = list.Add<TWideStringParameter>("Profil Windows media", "N/A");
    p.ProfilWmvFavori = list.Add<TWideStringParameter>("Profil wmv favori", "");
    p.ProfilParDefaut = list.Add<TBooleanParameter>("Profil par défaut", true);
    p.DivxFavori = list.Add<TWideStringParameter>("Divx favori", "");
    p.WantMp3 = list.Add<TBooleanParameter>("Want Mp3", true);
    p.FrequenceDVNative = list.Add<TBooleanParameter>("Frequence DV native", true);
    p.GarderFormatDV = list.Add<TBooleanParameter>("Garder Format DV", false);
    p.DemiTaille = list.Add<TBooleanParameter>("Demi Taille", true);
    p.Notifier = list.Add<TBooleanParameter>("Notifier", true);
    p.InternalDeinterlacer = list.Add<TBooleanParameter>("Internal Deinterlacer", true);
    p.EcranGauche = list.Add<TBooleanParameter>("EcranGauche", true);
    p.PreviewLocked = list.Add<TBooleanParameter>("Preview Locked", true);
    p.ActiverSuperposition = list.Add<TBooleanParameter>("Activer Superposition", true);
    p.WantIncrust = list.Add<TBooleanParameter>("Want Incrust", false);
    p.WantVertFlip = list.Add<TBooleanParameter>("Want vert Flip", false);
    p.WantHorzFlip = list.Add<TBooleanParameter>("Want Horz flip", false);
    p.WantWidescreen = list.Add<TBooleanParameter>("Want Widescreen", false);
    p.WantVideoSource = list.Add<TWideStringParameter>("Want video source", "");
    p.WantAudioSource = list.Add<TWideStringParameter>("Want audio source", "");
    p.WantFormatCapture = list.Add<TWideStringParameter>("Want Format capture", "");
    p.RaccourcisSort = list.Add<TRaccourcisSortParameter>("Raccourcis Sort", 0);
    p.FullscreenOn = list.Add<TBooleanParameter>("Fullscreen On", false);
    p.ReducedOn = list.Add<TBooleanParameter>("Reduced on", false);
    p.MuteOn = list.Add<TBooleanParameter>("Mute On", true);
    p.StopperCameraDV1EnQuittant = list.Add<TBooleanParameter>("Stopper camera DV 1 en quittant", true);
    p.StopperCameraDV2EnQuittant = list.Add<TBooleanParameter>("Stopper camera DV 2 en quittant", true);
    p.VideoDate = list.Add<TBooleanParameter>("Video Date", true);
    p.ImageDate = list.Add<TBooleanParameter>("Image date", false);
    p.ShowVideoPilotDV = list.Add<TBooleanParameter>("Show Video Pilot DV", true);
    p.ShowAudioPilotDV = list.Add<TBooleanParameter>("Show Audio Pilot DV", true);
    p.SauverPreferencesEnQuittant = list.Add<TBooleanParameter>("Sauver préférences en quittant", true);
    p.ConfirmerImage = list.Add<TBooleanParameter>("Confirmer Image", true);
    p.ConfirmerVideo = list.Add<TBooleanParameter>("Confirmer Video", true);
    p.Mpeg2RatioNormal = list.Add<TBooleanParameter>("Mpeg2 Ratio Normal", true);
    p.Scn = list.Add<TBooleanParameter>("scn", false);
    p.DVDemiSiDivX = list.Add<TBooleanParameter>("DV demi si DivX", true);
    p.Beeps = list.Add<TBooleanParameter>("Beeps", false);
    p.SourcesExclues = list.Add<TWideStringParameter>("Sources Exclues", "");
    p.VideoInputSelect = list.Add<TIntegerParameter>("Video Input Select", -1);
    p.FreezePreview = list.Add<TBooleanParameter>("Freeze Preview", false);
    p.FreezeCapture = list.Add<TBooleanParameter>("Freeze Capture", false);
    list.LoadAll();
  } catch (const std::exception& error) {
    qCWarning(lcPreferences) << "parameter table incomplete:" << error.what();
  }
  return p;
}

bool SaveParameters(TparameterList& list) {
  try {
    return list.SaveAll();
  } catch (...) {
    return false;
  }
}
