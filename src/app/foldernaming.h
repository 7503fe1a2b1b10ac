// The folders panel at work: the next video and still names built from its
// fields, shown in its labels and the sources panel's, the drives the
// free-space gauges follow, and the parameters its choosers write.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

#include "control/filenames.h"
#include "settings/parametertable.h"

class QLabel;
class TDossiersFrame;
class TSourcesFrame;

struct TFolderHooks {
  // The gauges' maxima (and the image gauge's value), in MB.
  std::function<void(std::int64_t totalMB)> videoGauge;
  std::function<void(std::int64_t totalMB, std::int64_t usedMB)> imageGauge;
  std::function<void()> MajStatusTextes;
  // The next image as the labels show it, and its full name.
  std::function<void(const QString& text, const QString& path)> imageShown;
  // Panels shown by the labels: 0 the sources, 1 the folders, 3 the grab.
  std::function<void(int panel)> showPanel;
  std::function<void(const QString& folder)> openFolder;
  std::function<void(const QString& text)> tell;
  // A message the user reads and closes.
  std::function<void(const QString& text)> inform;
};

class TFolderNaming : public QObject {
  Q_OBJECT
 public:
  TFolderNaming(TDossiersFrame& folders, TSourcesFrame& sources, const TParameters& parameters, TFolderHooks hooks,
                QObject* parent = nullptr);

  // Start-up: the fields from the parameters, the session's date, then the
  // first names.
  void Start(const QDateTime& dateNoms);
  // The names advanced after a capture file is closed, or a still saved.
  QString NomVideoSuivant();
  QString NomImageSuivant();
  // The capture format changed: the next video takes its extension, with
  // the same number.
  void SetCaptureFormat(int code);
  // "Extension des images" changed (the options panel).
  void SetImageExtension(int index);
  // While an image-by-image capture runs the image labels say so.
  void SetImageByImage(bool running);
  // The parameters the panel's fields keep, copied when the preferences
  // are saved.
  void CopyToParameters();

  const QString& NomVideo() const { return nomVideo_; }
  const QString& NomImage() const { return nomImage_; }
  const QString& DisqueVideo() const { return disqueVideo_; }
  const QString& DisqueImage() const { return disqueImage_; }
  const TFileNames& counters() const { return names_; }

  // The mount point holding the path, or of its nearest existing parent.
  static QString DriveOf(const QString& path);

 private:
  TNamePattern VideoPattern() const;
  TNamePattern ImagePattern() const;
  void VideoAgain();
  void ImageAgain();
  void ShowVideo();
  void ShowImage();
  void GuardRoot(class QLineEdit* root, QString& lastValid);

  TDossiersFrame& folders_;
  TSourcesFrame& sources_;
  const TParameters& parameters_;
  TFolderHooks hooks_;
  TFileNames names_;
  QDateTime dateNoms_;
  QString nomVideo_, nomImage_, disqueVideo_, disqueImage_;
  QString lastVideoRoot_, lastImageRoot_;
  int captureFormat_ = 0;
  int imageExtension_ = 0;
  bool imageByImage_ = false;
  bool started_ = false;
};
