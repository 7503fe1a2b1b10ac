// The names of the files a session writes: captures and stills, in the
// user's folders, from a root, an optional date stamp and a counter.
//
//   /home/u/Clips/Video_050326_090407_3.avi   (root, day month year, time, counter)
//   /home/u/Images/Image_00012.jpg            (five-digit counter)
//
// The date stamp is the moment the preferences were applied at start, the
// same for every name of the session, not the time of the capture.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

struct TNamePattern {
  QString folder;  // "/" is added when it does not end with one
  QString root;
  bool withDate = false;
  QDateTime dateNoms;
};

// The name for that counter, with the extension of the capture format
// (".mpg" for MPEG streams, ".wmv", ".wav", ".mp3", else ".avi").
QString VideoFileName(const TNamePattern& pattern, std::int32_t counter, int captureFormat);
// The name for that counter: ".bmp" for the image type 0, ".jpg" for 1.
QString ImageFileName(const TNamePattern& pattern, std::int32_t counter, int imageExtension);
// The same name with the extension of another capture format.
QString WithVideoExtension(const QString& path, int captureFormat);
// The file name part, for the labels.
QString FileNamePart(const QString& path);

// The session's two counters. Each next name takes a number; a name shown
// again after a change of folder, root or type keeps the number it had.
class TFileNames {
 public:
  QString NomVideoSuivant(const TNamePattern& pattern, int captureFormat) {
    return VideoFileName(pattern, compteurVideo_++, captureFormat);
  }
  QString NomImageSuivant(const TNamePattern& pattern, int imageExtension) {
    return ImageFileName(pattern, compteurImage_++, imageExtension);
  }
  QString VideoAgain(const TNamePattern& pattern, int captureFormat) {
    --compteurVideo_;
    return NomVideoSuivant(pattern, captureFormat);
  }
  QString ImageAgain(const TNamePattern& pattern, int imageExtension) {
    --compteurImage_;
    return NomImageSuivant(pattern, imageExtension);
  }
  std::int32_t compteurVideo() const { return compteurVideo_; }
  std::int32_t compteurImage() const { return compteurImage_; }

 private:
  std::int32_t compteurVideo_ = 0;
  std::int32_t compteurImage_ = 0;
};
