// SIGTERM, SIGINT and SIGHUP brought into the event loop: the handler only
// writes the signal's number into a pipe, and the loop reads it and emits
// `received`, so the program can finish its files and close normally.
#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

class TSignalWatcher : public QObject {
  Q_OBJECT
 public:
  // One watcher at a time: the handlers of the process point at its pipe.
  explicit TSignalWatcher(QObject* parent = nullptr);
  ~TSignalWatcher() override;
  bool installed() const { return installed_; }

 signals:
  void received(int signal);

 private:
  void Read();
  int pipe_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
  bool installed_ = false;
};
