// The folders panel: where videos and stills go and how they are named, the
// scene program and the plug-in folder. Folders and files are chosen, never
// typed; the panel only shows, the main window handles its events.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

// A path shown read-only with a button that asks for another one. Setting
// the text, by the button or by the program, tells `changed`.
class TPathEdit : public QWidget {
  Q_OBJECT
 public:
  enum class Kind { Folder, File };
  TPathEdit(Kind kind, QWidget* parent = nullptr);
  QString text() const;
  void setText(const QString& text);
  // Asks for the path; empty when cancelled. Empty function: a file dialog.
  std::function<QString(const QString& current)> choose;
  void Choose();

 signals:
  void changed(const QString& text);
  // The dialog gave a path, before it is shown.
  void chosen(const QString& path);

 private:
  Kind kind_;
  QLineEdit* edit_ = nullptr;
};

class TDossiersFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TDossiersFrame(QWidget* parent = nullptr);

  TPathEdit* VideoDirEdit = nullptr;
  QLineEdit* VideoRacineEdit = nullptr;
  QCheckBox* cbVideoDate = nullptr;
  QLabel* LabelVideo = nullptr;
  QToolButton* sbVideo = nullptr;
  TPathEdit* ImageDirEdit = nullptr;
  QLineEdit* ImageRacineEdit = nullptr;
  QCheckBox* cbImageDate = nullptr;
  QLabel* LabelImage = nullptr;
  QToolButton* sbImage = nullptr;
  TPathEdit* feScenolog = nullptr;
  TPathEdit* PlugInDirEdit = nullptr;

 signals:
  void LabelVideoClicked();
  void LabelImageClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};
