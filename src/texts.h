// Every French text the program shows, in one place, so that a reader can find
// them and a test can check them. Keep the spelling and punctuation exactly as
// they are: users and scripts know the program by them.
#pragma once

namespace texts {

// Start-up check of the media framework.
inline constexpr char kGateYouHave[] = "Vous avez GStreamer ";
inline constexpr char kGateNeedAtLeast[] =
    "Il faut avoir au moins GStreamer %1 pour faire tourner correctement %2 version %3 %4.";
inline constexpr char kGateMissingElements[] = "Éléments GStreamer absents : %1.";
inline constexpr char kGateContinueAnyway[] =
    "Voulez-vous continuer quand même? Si oui, l'application risque de ne pas bien fonctionner.";
inline constexpr char kVersionUnknown[] = "Erreur";

// Capture formats, by format code.
inline constexpr char kFormatNone[] = "Aucun";
inline constexpr char kFormatDvType1Native[] = "dv type 1 natif";
inline constexpr char kFormatDvType2Native[] = "dv type 2 natif";
inline constexpr char kFormatMpeg2Native[] = "flux mpeg2 natif";
inline constexpr char kFormatMpeg1Native[] = "flux mpeg1 natif";
inline constexpr char kFormatAviNative[] = "avi natif";
inline constexpr char kFormatDvType2Recompressed[] = "dv type 2 (recomp)";
inline constexpr char kFormatWmv[] = "Wmv";
inline constexpr char kFormatImageByImage[] = "Image/Image";
inline constexpr char kFormatDivx[] = "divx";
inline constexpr char kFormatDefault[] = "défaut";
inline constexpr char kFormatWav[] = "Wav";
inline constexpr char kFormatMp3[] = "mp3";
inline constexpr char kFormatShortNative[] = "natif";
inline constexpr char kFormatShortDv2Recompressed[] = "dv2 rec";

// Preference modes.
inline constexpr char kModeRegistry[] = "Mode normal (registre)";
inline constexpr char kModePortable[] = "Mode portable (clé USB)";
inline constexpr char kModeNone[] = "Ne pas enregistrer en quittant";

// Operating system line of the system report.
inline constexpr char kSystemUnknown[] = "Inconnu";
inline constexpr char kSystemKernel[] = "%1 - noyau %2";

}  // namespace texts

namespace texts {

// Save-preferences dialog.
inline constexpr char kSavePrefsCaption[] = "Enregistrement des préférences de %1";
inline constexpr char kSavePrefsMessage[] =
    "<br><size 10><i>Voulez-vous enregistrer vos préférences pour pouvoir les retrouver au prochain "
    "lancement?<br><br>Cliquez sur votre choix:</i><br><br>* soit pour les enregistrer dans le registre (mode "
    "normal).<br>* soit pour les enregistrer dans un fichier ini (mode portable).<br>* soit pour ne pas les "
    "enregistrer. Dans ce cas, elles seront perdues et les valeurs par défaut seront chargées lors du prochain "
    "lancement.<br></size>";
inline constexpr char kSavePrefsNormal[] = "Normal";
inline constexpr char kSavePrefsNormalHint[] =
    "Enregistre les préférences dans le registre.\r\nSi un fichier ini existait, il est supprimé.";
inline constexpr char kSavePrefsPortable[] = "Portable";
inline constexpr char kSavePrefsPortableHint[] =
    "Enregistre les préférences dans un fichier ini.\r\nEfface les valeurs contenues dans le registre.";
inline constexpr char kSavePrefsNone[] = "Aucun";
inline constexpr char kSavePrefsNoneHint[] =
    "Quitte sans enregistrer les préférences.\r\nSi elles existaient dans un fichier ini ou dans le "
    "registre,\r\nelles sont effacées.";

// Start-up errors shown in the error panel.
inline constexpr char kCannotLoadVideoSources[] = "impossible de charger les sources vidéo.";

}  // namespace texts

namespace texts {

// Commands.
inline constexpr char kCommandQuit[] = "Quitter";
inline constexpr char kCommandScript[] = "Lancer script";
inline constexpr char kScriptFileFilter[] = "*.txt";
inline constexpr char kCommandSourcesFrame[] = "Panneau Sources";
inline constexpr char kCommandDossiersFrame[] = "Panneau Dossiers";
inline constexpr char kCommandSourceVideo[] = "Source Vidéo";
inline constexpr char kCommandSourceAudio[] = "Source Audio";
inline constexpr char kCommandFormatCapture[] = "Format Capture";

}  // namespace texts

namespace texts {

// Preview and devices (our own wording: the program shows these where the
// graph of the original would have failed silently).
inline constexpr char kPreviewVideoFailed[] = "Impossible d'afficher la source vidéo « %1 ».";
inline constexpr char kPreviewAudioFailed[] = "Impossible d'écouter la source audio « %1 ».";
inline constexpr char kPreviewDoesNotRun[] = "La prévisualisation ne démarre pas : %1";
inline constexpr char kPreviewError[] = "Erreur de la prévisualisation : %1";
inline constexpr char kDeviceLost[] = "Le périphérique de la source « %1 » ne répond plus.";
inline constexpr char kNoSoundOutput[] = "Aucune sortie son : la prévisualisation est muette.";

}  // namespace texts

namespace texts {

// Recording (our own wording, for what the capture path reports).
inline constexpr char kCaptureBusy[] = "Une autre opération sur le graphe est en cours : réessayez.";
inline constexpr char kCaptureNoVideoSource[] = "Aucune source vidéo n'est active.";
inline constexpr char kCaptureNoAudioSource[] = "Aucune source audio n'est active : rien à enregistrer en son seul.";
inline constexpr char kCaptureNotBuilt[] = "Impossible de préparer la capture au format « %1 ».";
inline constexpr char kCaptureDoesNotRun[] = "La capture ne démarre pas : %1";
inline constexpr char kCaptureNotFinished[] = "Le fichier « %1 » n'a pas pu être terminé.";
inline constexpr char kCaptureNotFinishedBecause[] = "Le fichier « %1 » n'a pas pu être terminé : %2.";
inline constexpr char kCaptureCutFailed[] = "La coupure vers « %1 » a échoué.";
inline constexpr char kCaptureNotRecording[] = "Aucune capture n'est en cours.";
inline constexpr char kRepairQuestion[] =
    "Ces fichiers n'ont pas été terminés (le programme a été interrompu) :\n%1\n\nLes réparer maintenant ?";
inline constexpr char kRepairDone[] = "Fichiers réparés : %1.";
inline constexpr char kRepairFailed[] = "Réparation impossible de « %1 » : %2.";
inline constexpr char kCaptureDeviceLost[] = "La source ne répond plus : « %1 » est terminé et la capture s'arrête.";
inline constexpr char kCaptureDiskFull[] = "Disque plein : « %1 » est terminé et la capture s'arrête.";
inline constexpr char kCaptureWriteFailed[] =
    "Écriture impossible dans « %1 » (%2) : la capture s'arrête, la prévisualisation continue.";

}  // namespace texts

namespace texts {

// Sources panel.
inline constexpr char kSourcesTitle[] = "Sources (F2)";
inline constexpr char kSourcesRefreshHint[] =
    "Actualiser la liste des sources vidéo.\r\nUtile si en cours de route une nouvelle source est devenue active.";
inline constexpr char kSourcesVideoTitle[] = "Source Vidéo";
inline constexpr char kSourcesVideoListHint[] = "Liste des sources  de capture vidéo";
inline constexpr char kSourcesVideoSettingsHint[] = "Règlages de la source de capture vidéo.";
inline constexpr char kSourcesAudioTitle[] = "Source Audio";
inline constexpr char kSourcesAudioListHint[] = "Liste des sources de capture audio";
inline constexpr char kSourcesEntriesHint[] = "Liste des entrées de la carte audio";
inline constexpr char kSourcesAudioSettingsHint[] = "Règlages de la source de capture audio.";
inline constexpr char kSourcesFormatTitle[] = "Format de capture";
inline constexpr char kSourcesFormatHint[] =
    "Liste des formats de capture disponibles.\r\nS'applique à la prochaine vidéo capturée.";
inline constexpr char kSourcesFramerate[] = "Images/seconde";
inline constexpr char kNoVideoStream[] = "aucun flux vidéo";
inline constexpr char kNoAudioStream[] = "aucun flux audio";
inline constexpr char kAudioFormatLabel[] = "%1 Hz %2 bits %3 canaux";

// Settings menus.
inline constexpr char kMenuVideoFormat[] = "Format Vidéo...";
inline constexpr char kMenuVideoSource[] = "Source Vidéo...";
inline constexpr char kMenuVideoFilter[] = "Filtre de Capture Vidéo...";
inline constexpr char kMenuVideoCapturePin[] = "Broche de Capture Vidéo...";
inline constexpr char kMenuCrossbar[] = "Crossbar Vidéo...";
inline constexpr char kMenuSecondCrossbar[] = "Seconde Crossbar...";
inline constexpr char kMenuTvTuner[] = "Tuner TV...";
inline constexpr char kMenuAudioFilter[] = "Filtre de Capture Audio...";
inline constexpr char kMenuAudioCapturePin[] = "Broche de Capture Audio...";
inline constexpr char kMenuTvAudio[] = "TV Audio...";
inline constexpr char kMenuVideoInputs[] = "Entrées Vidéo";
inline constexpr char kMenuNoPages[] = "[aucune page de réglages]";

// Settings dialogs (our own wording).
inline constexpr char kDialogFormatTitle[] = "Format vidéo de « %1 »";
inline constexpr char kDialogFormatKind[] = "Format";
inline constexpr char kDialogFormatSize[] = "Taille";
inline constexpr char kDialogFormatRate[] = "Images/seconde";
inline constexpr char kDialogFormatDevice[] = "celui du périphérique";
inline constexpr char kDialogControlsTitle[] = "Réglages de l'image de « %1 »";
inline constexpr char kDialogControlsNone[] = "Ce périphérique n'a aucun réglage d'image.";
inline constexpr char kDialogControlsReset[] = "Valeurs par défaut";
inline constexpr char kDialogPropertiesTitle[] = "Propriétés de « %1 »";
inline constexpr char kDialogCrossbarTitle[] = "Entrées vidéo de « %1 »";
inline constexpr char kDialogCrossbarInput[] = "Entrée";
inline constexpr char kDialogTunerTitle[] = "Tuner TV de « %1 »";
inline constexpr char kDialogTunerStandard[] = "Standard";
inline constexpr char kDialogTunerFrequency[] = "Fréquence (kHz)";
inline constexpr char kDialogTunerSignal[] = "Signal";
inline constexpr char kDialogTvAudioTitle[] = "Son TV de « %1 »";
inline constexpr char kDialogTvAudioMode[] = "Mode";
inline constexpr char kSettingsRefused[] = "Le réglage « %1 » a été refusé par le périphérique.";
inline constexpr char kSourceExcluded[] = "La source « %1 » ne démarre pas : elle est écartée jusqu'au prochain lancement.";

// Folders panel.
inline constexpr char kFoldersTitle[] = "Dossiers (Alt+D)";
inline constexpr char kFoldersVideoDirHint[] = "Choisir le dossier dans lequel seront capturées les vidéos.";
inline constexpr char kFoldersRootHint[] = "Racine utilisée pour le nom du fichier enregistré.";
inline constexpr char kFoldersDateCaption[] = "Inclure date";
inline constexpr char kFoldersDateHint[] = "Ajouter ou enlever la date au nom du fichier.";
inline constexpr char kFoldersVideoGroup[] = "Vidéos";
inline constexpr char kFoldersImageGroup[] = "Images";
inline constexpr char kFoldersScenologGroup[] = "Programme des scènes";
inline constexpr char kFoldersPluginGroup[] = "Dossier des plug-ins";
inline constexpr char kFoldersImageByImage[] = "Capture Image/Image dans Vidéo";
inline constexpr char kFoldersRootRefused[] =
    "Une racine de nom de fichier ne peut pas contenir « / » : la racine précédente est gardée.";
inline constexpr char kFoldersChoose[] = "Choisir...";

}  // namespace texts

namespace texts {

// Capture session and its presentation.
inline constexpr char kCommandCapture[] = "Capturer";
inline constexpr char kCommandStopCapture[] = "Stop Capture";
inline constexpr char kCommandCaptureHint[] =
    "Capturer le flux vidéo ou audio actuel sur le disque dur.\r\nLa barre d'Espace permet aussi de lancer  la capture.";
inline constexpr char kCommandStopCaptureHint[] =
    "Stopper la capture.\r\nLa barre d'Espace permer aussi de stopper la capture.";
inline constexpr char kCommandCut[] = "Couper";
inline constexpr char kStatusIntervalOff[] = "Intervallo OFF";
inline constexpr char kStatusPreview[] = "Prévisualisation";
inline constexpr char kStatusFreeSpace[] = "%1 mo libres sur %2";
inline constexpr char kStatusLostFrames[] = "%1 frames perdues / %2";
inline constexpr char kStatusImageByImage[] = "Image/Image: %1 frames";
inline constexpr char kStatusAudioWav[] = "Audio Wav";
inline constexpr char kStatusAudioMp3[] = "Audio Mp3";
inline constexpr char kFramerateInvalid[] =
    "La valeur de \"images/seconde\" n'est pas correcte\r\nEntrez une valeur décimale - avec virgule comme séparateur";
inline constexpr char kFramerateDefault[] = "18,0";
inline constexpr char kAnswerAll[] = "Tous";

}  // namespace texts

namespace texts {

// Schedule panel.
inline constexpr char kScheduleTitle[] = "Programmer (Alt+P)";
inline constexpr char kScheduleClockHint[] = "heure actuelle sur l'ordinateur";
inline constexpr char kScheduleStart[] = "Début";
inline constexpr char kScheduleEnd[] = "Fin";
inline constexpr char kScheduleStartDateHint[] = "date du début de la capture programmée.";
inline constexpr char kScheduleStartHoursHint[] = "Saisir les heures dans l'heure de début de l'enregistrement programmé.";
inline constexpr char kScheduleStartMinutesHint[] =
    "Saisir les minutes dans l'heure de début de l'enregistrement programmé.";
inline constexpr char kScheduleStartSecondsHint[] =
    "Saisir les secondes dans l'heure de début de l'enregistrement programmé.";
inline constexpr char kScheduleEndDateHint[] = "Saisir la date de fin de l'enregistrement programmé.";
inline constexpr char kScheduleEndHoursHint[] = "Saisir les heures dans l'heure de fin de l'enregistrement programmé.";
inline constexpr char kScheduleEndMinutesHint[] = "Saisir les minutes dans l'heure de fin de l'enregistrement programmé.";
inline constexpr char kScheduleEndSecondsHint[] =
    "Saisir les secondes dans l'heure de fin de l'enregistrement programmé.";
inline constexpr char kScheduleNowHint[] =
    "Met la date et l'heure de fin égale à celle de début.\r\nPermet alors d'ajouter facilement 2 heures etc...";
inline constexpr char kCommandProg[] = "Prog";
inline constexpr char kCommandStopProg[] = "Stop Prog";
inline constexpr char kCommandProgHint[] = "Lancer la programmation";
inline constexpr char kCommandStopProgHint[] = "Interrompre la programmation";
inline constexpr char kCommandScheduleFrame[] = "Panneau Programmer";
inline constexpr char kScheduleOverwrite[] = "Le fichier %1 existe déjà. Voulez-vous l'écraser?";
inline constexpr char kScheduleEndPassed[] = "On ne peut pas programmer la fin d'une capture pour une date déjà dépassée";
inline constexpr char kScheduleEndBeforeStart[] =
    "On ne peut pas programmer la fin d'une capture avant son début";
inline constexpr char kScheduleStartPassed[] =
    "On ne peut pas programmer le début d'une capture pour une date déjà dépassée\r\nVoulez-vous capturer "
    "immédiatement?";
inline constexpr char kStatusScheduled[] = "programmation";
inline constexpr char kStatusStartsAt[] = "début à %1";
inline constexpr char kStatusCaptureUntil[] = "capture jusqu'à %1";

}  // namespace texts

namespace texts {

// Questions and warnings of a capture.
inline constexpr char kCaptureOverwrite[] =
    "Le fichier %1 existe déjà. Voulez-vous l'écraser?\r\nSi vous cliquez sur \"Tous\", alors plus aucune "
    "confirmation ne sera demandée";
inline constexpr char kCaptureCreateFolder[] = "Le dossier %1 n'existe pas.\r\nVoulez-vous le créer?";
inline constexpr char kCaptureLostFrames[] =
    "%1 frames ont été perdues pendant la capture.\r\nLe fichier .scn créé en temps réel n'est probablement pas "
    "correct.\r\nIl est recommandé de le détruire et d'en recréer un avec Scenolog\r\n\r\nVoulez-vous détruire le "
    "fichier %2?";
inline constexpr char kCaptureRateNotWritten[] = "La cadence du fichier « %1 » n'a pas pu être écrite.";
inline constexpr char kCaptureSceneFileRefused[] = "Le fichier de scènes « %1 » n'a pas pu être créé : la capture continue sans lui.";

}  // namespace texts

namespace texts {

// Session list and gauges.
inline constexpr char kListeTitle[] = "Liste (Alt+L)";
inline constexpr char kListeHint[] = "Liste des fichiers enregistrés pendant la présente session.";
inline constexpr char kListeLabel[] = "Vidéos enregistrées lors de la session:";
inline constexpr char kListeSorted[] = " fichiers triés ";
inline constexpr char kSortNameText[] = "par ordre alphabétique";
inline constexpr char kSortSizeText[] = "selon la taille du fichier";
inline constexpr char kSortDateText[] = "selon la date du fichier";
inline constexpr char kSortExtensionText[] = "selon l'extension";
inline constexpr char kListeFreeSpace[] = "Espace libre";
inline constexpr char kListeVideos[] = "Vidéos:";
inline constexpr char kListeImages[] = "Images:";
inline constexpr char kListeCpu[] = "Utilisation du CPU le plus chargé:";
inline constexpr char kListeCpuHint[] = "Utilisation du CPU le plus chargé. \r\nIl est conseillé de rester en-dessous de 80%";
inline constexpr char kGaugeMegabytes[] = "%1 Mo";
inline constexpr char kMenuInfos[] = "Infos";
inline constexpr char kMenuParentFolder[] = "Dossier parent";
inline constexpr char kMenuOpenAssociated[] = "Ouvrir dans l'application associée";
inline constexpr char kMenuOpenScenolog[] = "Ouvrir dans Scenolog";
inline constexpr char kMenuSort[] = "Trier";
inline constexpr char kMenuSortName[] = "Ordre alphabétique";
inline constexpr char kMenuSortSize[] = "Taille";
inline constexpr char kMenuSortDate[] = "Date";
inline constexpr char kMenuSortExtension[] = "extension";
inline constexpr char kInfosCaptureDate[] = "Date de Capture: ";
inline constexpr char kInfosCaptureEnd[] = "Fin de Capture: ";
inline constexpr char kInfosSize[] = "Taille du fichier: ";
inline constexpr char kInfosNoFrames[] = "Pas d'information sur les frames perdues/capturées";
inline constexpr char kInfosCaptured[] = "Frames capturées: ";
inline constexpr char kInfosDropped[] = "Frames perdues: ";
inline constexpr char kInfosVideo[] = "Source Vidéo: ";
inline constexpr char kInfosAudio[] = "Source Audio: ";
inline constexpr char kInfosEntry[] = "Entrée Audio: ";
inline constexpr char kInfosFormat[] = "Format de Capture: ";
inline constexpr char kCommandListeFrame[] = "Panneau Liste";

// Companion program.
inline constexpr char kCommandScenolog[] = "Scenolog";
inline constexpr char kCommandScenologHint[] = "Lancer Scenolog avec les fichiers avi capturés";
inline constexpr char kCommandOpenVideos[] = "Ouvrir le dossier des vidéos";
inline constexpr char kCommandOpenVideosHint[] = "Accéder au dossier où sont enregistrés les clips vidéos ou audio";
inline constexpr char kCommandOpenVideosFirstHint[] = "Accéder au dossier où sont enregistrés les clips vidéos";
inline constexpr char kScenologMissing[] =
    "Scenolog de Orbelin n'a pas été trouvé sur cet ordinateur\r\nS'il est présent, indiquez son nom dans le panneau "
    "des dossiers (ALT+D).";
inline constexpr char kScenologFailed[] = "Scenolog n'a pas pu être lancé.";

// Grab panel and interval timer.
inline constexpr char kExtraireTitle[] = "Extraire des images (F5)";
inline constexpr char kCommandExtraireFrame[] = "Panneau Extraire";
inline constexpr char kCommandGrab[] = "Grab!";
inline constexpr char kCommandGrabHint[] = "Saisir une image";
inline constexpr char kCommandIntervallo[] = "Basculer l'intervallomètre";
inline constexpr char kCommandJpgOption[] = "Jpg";
inline constexpr char kCommandBmpOption[] = "Bmp";
inline constexpr char kGrabPreviewHint[] = "Dernière image saisie et enregistrée sur le disque dur";
inline constexpr char kIntervalloGroup[] = "Intervallomètre";
inline constexpr char kIntervalloGroupHint[] = "Intervallomètre permettant de saisir des images à intervalles donnés.";
inline constexpr char kIntervalloSwitchHint[] = "Basculer l'intervallomètre.";
inline constexpr char kChronoHint[] = "Durée en secondes jusqu'à la prochaine capture d'image.";
inline constexpr char kIntervalValueHint[] = "Valeurs pour définir l'intervalle entre deux saisies d'images";
inline constexpr char kIntervalUnitHint[] = "Unités pour définir l'intervalle entre deux saisies d'images";
inline constexpr char kIntervalUnits[] = "secondes|frames|minutes|heures";
inline constexpr char kBeeps[] = "Bips";
inline constexpr char kBeepsHint[] =
    "Activer ou désactiver l'émission de bips sonores qui avertissent qu'une image va être saisie.";
inline constexpr char kNextImageGroup[] = "Prochaine image";
inline constexpr char kStatusInterval[] = "toutes les %1 %2";
inline constexpr char kImageExists[] =
    "L'image %1 existe déjà. Voulez-vous la remplacer?\r\nSi vous cliquez sur \"Tous\", alors plus aucune "
    "confirmation ne sera demandée";
inline constexpr char kImageNotSaved[] =
    "L'image %1 n'a pas pu être enregistrée : %2\r\nLes images suivantes seront tentées sans autre message.";

// Camcorder windows and their transport bar.
inline constexpr char kCamPlay[] = "Play";
inline constexpr char kCamPause[] = "Pause";
inline constexpr char kCamStop[] = "Stop";
inline constexpr char kCamPlayHint[] = "Faire jouer le camescope";
inline constexpr char kCamPauseHint[] = "Mettre le camescope en Pause";
inline constexpr char kCamStopHint[] = "Arrêter le camescope (Stop)";
inline constexpr char kCamSlowForwardHint[] = "Avancer le camescope lentement";
inline constexpr char kCamSlowBackwardHint[] = "Reculer le camescope lentement";
inline constexpr char kCamFastForwardHint[] = "Avance rapide du camescope";
inline constexpr char kCamFastBackwardHint[] = "Recul rapide du camescope";
inline constexpr char kCamPlayPauseToPlayHint[] = "Mettre le camescope en Play";
inline constexpr char kCamPlayPauseToPauseHint[] = "Mettre le camescope en Pause";
inline constexpr char kCamTimecodeStart[] = "0:00:00:00";
inline constexpr char kCamTimecodeHint[] = "Timecode sur la cassette DV";
inline constexpr char kCamStopOnExit[] = "Stop en quittant";
inline constexpr char kCamStopOnExitHint[] =
    "Cocher pour mettre automatiquement le camescope en mode Stop quand on quitte le programme";
inline constexpr char kCamKeyboardTargetHint[] =
    "Indique que ce camescope reçoit les commandes clavier\r\ntelles que CTRL+Ins ou CTRL+Suppr";
inline constexpr char kCamDateFormat[] = "dddd ddddd tt";
inline constexpr char kCommandCamPlay[] = "caméra Play";
inline constexpr char kCommandCamPause[] = "caméra Pause";
inline constexpr char kCommandCamStop[] = "caméra Stop";
inline constexpr char kCommandCamSlowForward[] = "caméra Avance Lent";
inline constexpr char kCommandCamSlowBackward[] = "caméra Recule Lent";
inline constexpr char kCommandCamFastForward[] = "caméra Avance Rapide";
inline constexpr char kCommandCamFastBackward[] = "caméra Recule Rapide";
inline constexpr char kCommandCamPlayPause[] = "caméra PlayPause";
inline constexpr char kCommandCamToggle[] = "caméra Basculer";

// Overlay panel.
inline constexpr char kIncrusterTitle[] = "Incruster (Alt+I)";
inline constexpr char kCommandIncrusterFrame[] = "Panneau Incruster";
inline constexpr char kFontHint[] = "Police de l'incrustation";
inline constexpr char kSizeAuto[] = "auto";
inline constexpr char kColourAutomatic[] = "Automatic";
inline constexpr char kColourMore[] = "Autres couleurs...";
inline constexpr char kBorderNone[] = "Aucun bord";
inline constexpr char kBorderOne[] = "1 pixel";
inline constexpr char kBorderPixels[] = "%1 pixels";
inline constexpr char kShowReal[] = "Réel";
inline constexpr char kShowDatecode[] = "Datecode";
inline constexpr char kShowTimecode[] = "Timecode";
inline constexpr char kShowPerso[] = "Perso";
inline constexpr char kShowNothing[] = "Néant";
inline constexpr char kWhenGroup[] = "Quand incruster?";
inline constexpr char kWhenPermanent[] = "en permanence";
inline constexpr char kWhenOnce[] = "une seule fois";
inline constexpr char kWhenScene[] = "à chaque nouvelle scène";
inline constexpr char kWhenDay[] = "à chaque nouveau jour";
inline constexpr char kDurationLabel[] = "Durée (en secondes)";
inline constexpr char kDecalageShow[] = "Ajouter un décalage";
inline constexpr char kDecalageHide[] = "Masquer décalage";
inline constexpr char kDecalageHint[] = "Cliquer pour corriger un décalage horaire";
inline constexpr char kNewDateGroup[] = "Nouvelle date";
inline constexpr char kDecalageReset[] = "Reset";
inline constexpr char kDecalageResetHint[] = "Remettre le décalage horaire à zéro.";
inline constexpr char kOldDate[] = "Ancienne date: ";
inline constexpr char kDecalageLabelHint[] = "Décalage horaire appliqué à la vidéo";
inline constexpr char kDecalageDaysFormat[] = "%d jours %.2dh %.2dm %.2ds";
inline constexpr char kDecalageHoursFormat[] = "%d heures";
inline constexpr char kCommandIncrusterOn[] = "Incruster";
inline constexpr char kCommandIncrusterOff[] = "Stopper l'incrustation";
inline constexpr char kCommandSliders[] = "Afficher les curseurs";
inline constexpr char kSlidersShow[] = "Afficher les curseurs de l'incrustation";
inline constexpr char kSlidersHide[] = "Masquer les curseurs de l'incrustation";
inline constexpr char kSlidersCornerHint[] =
    "Cliquez sur ce coin pour faire apparaître ou disparaitre\r\nles curseurs de position de l'incrustation.";

// Options panel.
inline constexpr char kOptionsTitle[] = "Options (F10)";
inline constexpr char kCommandOptionsFrame[] = "Panneau Options";
inline constexpr char kOptConfirmVideo[] = "Confirmer avant d'écraser une vidéo";
inline constexpr char kOptConfirmVideoHint[] = "Toujours demander confirmation avant d'écraser un fichier video existant.";
inline constexpr char kOptConfirmImage[] = "Confirmer avant d'écraser une image";
inline constexpr char kOptConfirmImageHint[] = "Toujours demander confirmation avant d'effacer un fichier image existant.";
inline constexpr char kOptNotifier[] = "Notifier les changements de sources";
inline constexpr char kOptNotifierHint[] =
    "Prise en compte automatique de la connexion de nouvelles sources\r\nou de la déconnexion de sources existantes";
inline constexpr char kOptEffects[] = "Autoriser les effets sur la vidéo";
inline constexpr char kOptEffectsHint[] = "Décochez si votre système manque de ressources.";
inline constexpr char kOptPrefMode[] = "Comment sauver les préférences en quittant";
inline constexpr char kOptPrefModes[] = "Mode normal (registre)|Mode portable (clé USB)|Ne pas enregistrer en quittant";
inline constexpr char kOptPrefModeHint[] =
    "Indiquer où les préférences seront conservées pour que vous les retrouviez au prochain démarrage.";
inline constexpr char kOptMpeg2Ratio[] = "Afficher le mpeg2 normal en 4x3";
inline constexpr char kOptMpeg2RatioHint[] =
    "Lorsqu'un flux mpeg2 est traité, s'il ne donne pas \r\nd'indication spécifique, on l'affiche par défaut au format 4x3.";
inline constexpr char kOptWmvGroup[] = "Profils standards de wmv";
inline constexpr char kOptWmvVersionLabel[] = "version\r\nde Windows Media";
inline constexpr char kOptWmvHint[] = "Paramètres Windows media pour une capture en format Wmv.";
inline constexpr char kOptWmvDefaults[] = "Profils par défaut";
inline constexpr char kOptWmvDefaultItems[] = "High|Medium|Low|Internet";
inline constexpr char kOptWmvDefaultsHint[] = "profils de base proposés pour la capture wmv";
inline constexpr char kOptWmvPreset[] = "Utiliser les profils pré-programmés";
inline constexpr char kOptWmvPresetHint[] =
    "Cochez pour utiliser l'un des profils pré-programmés.\r\nDécochez pour pouvoir choisir parmi tous les profils.";
inline constexpr char kOptDivxGroup[] = "DivX vidéo";
inline constexpr char kOptDivxListHint[] = "Liste des codecs DivX ou Xvid trouvés sur le système";
inline constexpr char kOptDivxProperties[] = "Propriétés";
inline constexpr char kOptDivxPropertiesHint[] =
    "Réglage fin du codec DivX ou Xvid.\r\nAttention à ne choisir que des réglages en 1 passe!";
inline constexpr char kOptDivxVersion[] = "version";
inline constexpr char kOptDivxVersionHint[] = "Version du codec DivX ou Xvid";
inline constexpr char kOptDivxHalf[] = "Hauteur d'image DivX <= 288";
inline constexpr char kOptDivxHalfHint[] =
    "Si coché, alors l'image sera réduite de moitié\r\ndès que sa hauteur dépasse 288 pixels.";
inline constexpr char kOptDivxRatioItems[] = "Normal|4x3|16x9|natif";
inline constexpr char kOptDivxRatioHint[] = "Aspect de la vidéo capturée en DivX";
inline constexpr char kOptMp3[] = "Compression mp3";
inline constexpr char kOptMp3Hint[] =
    "Si coché, la capture Divx ou Xvid comprime l'audio en mp3.\r\nSi décoché, l'audio reste en PCM non comprimé.";
inline constexpr char kOptMp3Group[] = "Mp3";
inline constexpr char kOptBitrateLabel[] = "Bitrate en kbits par s";
inline constexpr char kOptBitrates[] = "32|40|48|56|64|80|96|112|128|160|192|224|256|320";
inline constexpr char kOptBitrateHint[] =
    "Choix du bitrate mp3 en nombre de kilobits par secondes.\r\nPour gagner de la place, 96Kbits est souvent suffisant.";
inline constexpr char kOptBitrateDefault[] = "128";
inline constexpr char kOptMp3Advanced[] = "Avancé";
inline constexpr char kOptMp3AdvancedHint[] =
    "Réglages fins de la capture Mp3, notamment la fréquence audio\r\nsi on ne veut pas garder 44100Hz en standard. Le "
    "bitrate ne sera cependant\r\npas modifié ici, mais dans la boîte de dialogue spécialisée.";
inline constexpr char kOptMp3NoteLine1[] = "Si vous installez  le paquet gstreamer1.0-plugins-good,";
inline constexpr char kOptMp3NoteLine2[] = "vous pourrez compresser l";
inline constexpr char kOptImageTypes[] = "bmp|jpeg";
inline constexpr char kOptImageTypeHint[] = "Choisir le type de l'image enregistrée";
inline constexpr char kOptJpegGroup[] = "Qualité jpeg";
inline constexpr char kOptJpegHint[] = "Régler la qualité Jpeg.\r\nmini à gauche - maxi à droite";
inline constexpr char kOptDeinterlace[] = "Toujours désentrelacer les images";
inline constexpr char kOptDeinterlaceHint[] =
    "Si coché, les images extraites seront toujours désentrelacées\r\nque la video le soit ou non.";
inline constexpr char kOptDvStandard[] = "Standard";
inline constexpr char kOptDvStandards[] = "Pal|Ntsc";
inline constexpr char kOptDvStandardHint[] = "Standard utilisé pour compresser en DV type2";
inline constexpr char kOptDvFrequency[] = "Fréquence";
inline constexpr char kOptDvFrequencies[] = "32.000 Hz|44.100 Hz|48.000 Hz";
inline constexpr char kOptDvFrequencyHint[] = "Fréquence utilisée pour compresser en DV type2";
inline constexpr char kOptDvNative[] = "Garder la fréquence native si possible";
inline constexpr char kOptDvNativeHint[] =
    "Garde la fréquence audio d'origine lors d'une recompression\r\nen DV type2, pourvu que celle-ci soit 32.000, 44.100 ou 48.000";
inline constexpr char kOptScn[] = "Créer un fichier scn";
inline constexpr char kOptScnHint[] =
    "Créer un fichier scn qui accélère l'ouverture dans Studio de Pinnacle,\r\net permet de naviguer de scène en scène avec Scenolog.";
inline constexpr char kOptNoDatecode[] = "Affichage si pas de datecode";
inline constexpr char kOptNoDatecodeHint[] = "Caractères affichés s'il n'y a pas de datecode,\r\npar exemple N/A.";
inline constexpr char kOptDvRatio[] = "Ratio";
inline constexpr char kOptDvRatios[] = "4x3|16x9";
inline constexpr char kOptDvRatioHint[] = "Aspect de l'image capturée en DV.\r\nUtilisé pour une recompression en DV type 2.";
inline constexpr char kOptKeepDv[] = "Garder le format DV";
inline constexpr char kOptKeepDvHint[] =
    "Si coché, alors une recompression de DV en DV type 2 (par exemple pour faire une incrustation) garde le format\r\nde la vidéo d'origine.";
inline constexpr char kOptDvHalf[] = "Demi format si compression DivX";
inline constexpr char kOptDvHalfHint[] =
    "Si on capture depuis une caméra DV vers un fichier DivX,\r\nalors l'image sera réduite de moitié sur la source pour économiser des\r\nressources.";
inline constexpr char kOptNoProfileName[] = "(profil sans vidéo)";

// The preview's display: full screen, compact window, shape, mirrors,
// monitoring sound, freezes, the lock to the capture format, the panels.
inline constexpr char kCommandFullScreenOn[] = "Mettre en plein écran";
inline constexpr char kCommandFullScreenOff[] = "Enlever le plein écran";
inline constexpr char kCommandExitFullScreen[] = "Interrompre";
inline constexpr char kCommandShortcutsShow[] = "Afficher les raccourcis";
inline constexpr char kCommandShortcutsHide[] = "Masquer les raccourcis";
inline constexpr char kPluginFolderChanged[] =
    "Les plugs-in trouvés dans le dossier %1\nne seront activés qu'au prochain lancement de Tessivo\n\n"
    "Vous devriez le relancer maintenant.";
// The shortcut window.
inline constexpr char kShortcutsCaption[] = "Les commandes de %1";
inline constexpr char kShortcutsFunctions[] = "Fonctions";
inline constexpr char kShortcutsKeys[] = "Touches";
inline constexpr char kShortcutsSwitches[] = "Switches";
inline constexpr char kShortcutsScript[] = "Script";
inline constexpr char kCommandReduce[] = "Réduire";
inline constexpr char kCommandRestore[] = "Restaurer";
inline constexpr char kCommandRatioNormal[] = "Image normale";
inline constexpr char kCommandRatio4x3[] = "Image 4x3";
inline constexpr char kCommandRatio16x9[] = "Image 16x9";
inline constexpr char kCommandRatioNative[] = "Image native";
inline constexpr char kCommandVertFlip[] = "Miroir Vertical";
inline constexpr char kCommandHorzFlip[] = "Miroir Horizontal";
inline constexpr char kCommandHorzFlipHint[] =
    "retourner l'image Gauche <=> Droite\r\nAttention: La fonction ne peut être activée que pour la preview et sera "
    "désactivée pendant la capture\r\npour éviter de perdre des frames.";
inline constexpr char kCommandMute[] = "Couper le son";
inline constexpr char kCommandUnmute[] = "Remettre le son";
inline constexpr char kCommandIncVolume[] = "Augmenter le volume";
inline constexpr char kCommandDecVolume[] = "Diminuer le volume";
inline constexpr char kCommandFreezePreview[] = "Geler la preview";
inline constexpr char kCommandResumePreview[] = "Relancer la preview";
inline constexpr char kCommandFreezePreviewHint[] =
    "Cliquer pour geler la preview.\r\nPermet d'enregistrer sans trop solliciter le processeur.";
inline constexpr char kCommandResumePreviewHint[] = "Cliquer pour réactiver la preview.";
inline constexpr char kCommandFreezeCapture[] = "Geler la capture";
inline constexpr char kCommandResumeCapture[] = "Relancer la capture";
inline constexpr char kCommandFreezeCaptureHint[] =
    "Permet de faire une pause dans l'enregistrement d'un fichier\r\npour le reprendre plus tard.";
inline constexpr char kCommandLock[] = "Preview conforme";
inline constexpr char kCommandUnlock[] = "Preview libre";
inline constexpr char kCommandNextPanel[] = "Panneau Suivant";
inline constexpr char kCommandSwitchPanels[] = "Panneau Inverser";
inline constexpr char kCommandHelpFrame[] = "Panneau Aide";
inline constexpr char kCommandAboutFrame[] = "Panneau A propos...";
inline constexpr char kVolumeLabel[] = "Volume";

}  // namespace texts

namespace texts {

// Scripts: the outcome lines of a compilation and a run.
inline constexpr char kScriptCompiled[] = "*** Compilation succeeded ***";
inline constexpr char kScriptNotCompiled[] = "### Compilation Failed";
inline constexpr char kScriptNotReady[] = "### Compilation non prête";
inline constexpr char kScriptRan[] = "*** Exécution réussie ***";
inline constexpr char kScriptRunFailed[] = "### Erreur pendant l'exécution: ";
// A script calling ExecuteMacro while it runs (our own wording).
inline constexpr char kScriptAlreadyRunning[] = "une macro ne peut pas en lancer une autre pendant son exécution";

}  // namespace texts

namespace texts {

// The script window's file manager.
inline constexpr char kFileSaveQuestion[] =
    "Voulez-vous sauver le fichier ouvert ?\r\nSinon, toutes les modifications seront perdues";
inline constexpr char kFileOverwriteQuestion[] = "Voulez-vous écraser le fichier existant:\r\n";
inline constexpr char kFileChooseOpen[] = "Sélectionnez le fichier à ouvrir";
inline constexpr char kFileChooseTarget[] = "Sélectionner le fichier cible";
inline constexpr char kFileNew[] = "Nouveau...";
inline constexpr char kFileNewHint[] = "Ouvrir un nouveau fichier";
inline constexpr char kFileInitialDir[] = "Dossier initial";
inline constexpr char kFileInitialDirHint[] =
    "Si vous changez ce dossier, alors les fichiers à ouvrir y seront recherchés";
inline constexpr char kFileOpen[] = "Ouvrir...";
inline constexpr char kFileOpenHint[] = "Ouvrir un fichier";
inline constexpr char kFileCurrent[] = "Fichier Courant";
inline constexpr char kFileCurrentHint[] = "Fichier courant actuellement ouvert";
inline constexpr char kFileOpenLast[] = "Fichier précédent";
inline constexpr char kFileOpenLastHint[] = "Ouvrir le fichier précédent au démarrage";
inline constexpr char kFilePaste[] = "Coller";
inline constexpr char kFilePasteHint[] = "Coller un fichier";
inline constexpr char kFileSave[] = "Enregistrer";
inline constexpr char kFileSaveHint[] = "Enregistrer le fichier courant";
inline constexpr char kFileSaveAs[] = "Enregistrer sous...";
inline constexpr char kFileSaveAsHint[] = "Nommer et Enregistrer le fichier courant";
inline constexpr char kFileClose[] = "Fermer";
inline constexpr char kFileCloseHint[] = "Fermer le fichier sélectionné";
inline constexpr char kFileParentFolder[] = "Dossier parent";
inline constexpr char kFileParentFolderHint[] = "Ouvrir le dossier parent du fichier sélectionné";
inline constexpr char kFileRecentHint[] = "Ouvrir le fichier récemment utilisé";

}  // namespace texts

namespace texts {

// The script window.
inline constexpr char kScriptWindowTitle[] = "Script pour ";
inline constexpr char kScriptClosePageHint[] = "Fermer la page des scripts";
inline constexpr char kScriptMenu[] = "Scripts";
inline constexpr char kScriptMacroMenu[] = "Macros";
inline constexpr char kScriptShowHelp[] = "Afficher l'Aide";
inline constexpr char kScriptClose[] = "Fermer";
inline constexpr char kScriptExecute[] = "Exécuter";
inline constexpr char kScriptExecuteHint[] = "Exécuter la macro";
inline constexpr char kScriptStart[] = "Démarrer";
inline constexpr char kScriptStartHint[] = "Commencer à  enregistrer une macro";
inline constexpr char kScriptStop[] = "Arrêter";
inline constexpr char kScriptStopHint[] = "Arrêter l'enregistrement de la macro";
inline constexpr char kScriptFormSave[] = "ScriptFormSave";
inline constexpr char kScriptStateNew[] = "Nouveau";
inline constexpr char kScriptStateOpened[] = "Ouvert";
inline constexpr char kScriptStateModified[] = "Modifié";
inline constexpr char kScriptStateSaved[] = "Enregistré";
inline constexpr char kScriptMacroHeader[] = "//Macro enregistrée le ";
inline constexpr char kScriptMacroAt[] = " à ";
inline constexpr char kScriptOpenTitle[] = "Ouvrir un script";
inline constexpr char kScriptOpenFilter[] = "Fichiers textes (*.txt);;Tous Fichiers  (*)";
inline constexpr char kScriptSaveTitle[] = "Enregistrer le script";
inline constexpr char kScriptDefault1[] = "//Ecrivez un script entre begin et end.";
inline constexpr char kScriptDefault2[] = "//N'oubliez pas de finir chaque commande par ;";

}  // namespace texts

namespace texts {

// The command help window.
inline constexpr char kHelpWindowTitle[] = "Aide pour Raccourcis, Script et Macros";
inline constexpr char kHelpSortByName[] = "Ordre alphabétique";
inline constexpr char kHelpSortByKey[] = "Trier par Raccourcis";
inline constexpr char kHelpSortBySwitch[] = "Trier par Switch";
inline constexpr char kHelpSwitch[] = "Switch:";
inline constexpr char kHelpNoSwitch[] = "N/A";
inline constexpr char kHelpPageApplication[] = "Application";
inline constexpr char kHelpPageScripts[] = "Scripts";

}  // namespace texts

namespace texts {

// The application manager's commands.
inline constexpr char kAppScript[] = "Script";
inline constexpr char kAppHelp[] = "Aide";
inline constexpr char kAppAbout[] = "A propos";
inline constexpr char kAppOptions[] = "Options";
inline constexpr char kAppCustom[] = "Frame Personnalisée";
inline constexpr char kAppEMail[] = "E-mail";
inline constexpr char kAppHomePage[] = "Homepage";
inline constexpr char kAppMailSubject[] = "A propos de %1";

// The project's addresses, under a domain kept for examples.
inline constexpr char kHomePageAddress[] = "https://tessivo.example.org/";
inline constexpr char kContactAddress[] = "contact@tessivo.example.org";

}  // namespace texts

namespace texts {

// The error panel.
inline constexpr char kErrorSorry[] = "Orbelin est désolé:";
inline constexpr char kErrorFatal[] = " a rencontré une erreur fatale";
inline constexpr char kErrorPotential[] = " a diagnostiqué des problèmes potentiels";
inline constexpr char kErrorOnYourSystem[] = " sur votre système:";
inline constexpr char kErrorAdvice[] =
    "Vous devriez m'envoyer un <mail %1>e-mail</mail> sur ce problème, en y mettant le maximum d'indications pour le "
    "diagnostiquer... J'étudie tous les e-mails reçus, mais je n'y réponds malheureusement que très rarement faute "
    "de temps.<br><br>Pour avoir une aide sur l'utilisation de <COLOR Navy><B>%2</B></COLOR>, des informations, des "
    "mises à jour éventuelles, vous pouvez aussi vous rendre sur <url %3>mon site web</url>.";
inline constexpr char kErrorQuit[] = "Quitter";
inline constexpr char kErrorMailSubject[] = "Erreur de %1";
inline constexpr char kErrorMailBody[] = "L'erreur suivante s'est produite:\r\n%1\r\n\r\n";

}  // namespace texts

namespace texts {

// The about panel.
inline constexpr char kAboutMaker[] = "Orbelin";
inline constexpr char kAboutHome[] = "* <URL %1>Homepage de <b>%2</b></URL>";
inline constexpr char kAboutMail[] = "* <mail %1>E-mail de <b>%2</b></mail>";
inline constexpr char kAboutCredits[] =
    "<b>%1</b> est écrit par <b>%2</b>. Il s'appuie sur <url https://www.qt.io/>Qt</url>, "
    "<url https://gstreamer.freedesktop.org/>GStreamer</url> et <url https://libjpeg-turbo.org/>libjpeg-turbo</url>. ";
inline constexpr char kAboutUpdated[] = "Sa dernière mise à jour date du %1.";
inline constexpr char kAboutSite[] =
    "Pour avoir une aide sur son utilisation ou des mises à jour éventuelles rendez-vous sur <url %1>mon site web</url>. "
    "Profitez-en pour cliquer sur les liens de mes sponsors.";
inline constexpr char kAboutMails[] =
    "Je lis tous les <mail %1>e-mail</mail> que je reçois. Mais je réponds rarement, faute de temps !";
inline constexpr char kAboutMailHint[] = "Cliquez pour envoyer un e-mail à %1";
inline constexpr char kAboutUrlHint[] = "Cliquez ici pour ouvrir le site web %1\r\ndans votre navigateur par défaut";
// The product's page of help and updates.
inline constexpr char kWebPageAddress[] = "https://tessivo.example.org/aide/";

}  // namespace texts
