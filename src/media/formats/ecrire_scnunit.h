// The scene file (".scn") written beside a DV capture for the companion scene
// program, which reads it as an object archive: a head naming the tape (the
// capture's path), then one record per scene found by the scene detector.
#pragma once

#include <QFile>
#include <QString>
#include <cstdint>
#include <mutex>

#include "media/formats/dvframeinfo.h"

class TSceneFileWriter {
 public:
  // The path is stored with a one-byte length.
  static constexpr qsizetype kMaximumPathBytes = 255;
  static constexpr std::int32_t kMaximumScenes = 32768;

  enum class OpenResult { Opened, PathTooLong, CannotCreate };

  ~TSceneFileWriter();

  // Creates (or empties) the file and writes its head. A path longer than 255
  // bytes in UTF-8 is refused before anything is created.
  OpenResult OpenSceneFile(const QString& path);
  // The scene detector's callback: one record per finished scene.
  void WriteScene(const DvFrameInfo& sceneStart, const DvFrameInfo& current);
  // Writes the scene count into the head and closes the file.
  void CloseSceneFile();

  bool isOpen() const { return open_; }
  std::int32_t sceneCount() const { return sceneCount_; }
  qint64 countOffset() const { return countOffset_; }

 private:
  std::mutex mutex_;  // scenes arrive on the streaming thread
  QFile file_;
  QByteArray path_;
  std::int32_t sceneCount_ = 0;
  qint64 countOffset_ = 0;
  bool open_ = false;
};
