// Driving a tape deck without waiting for it: every command and every
// time-code read runs on the deck's own thread, one after the other, and
// the answers come back to the window's thread. A deck that takes seconds
// to answer, or never answers, slows nothing but itself.
#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class IDeckTransport;

// One deck's thread. A job runs there and gives back what to do on the
// thread that owns the worker.
class TDeckWorker : public QObject {
  Q_OBJECT
 public:
  using Reply = std::function<void()>;
  using Job = std::function<Reply()>;
  // Jobs waiting beyond this are refused: a silent deck does not gather an
  // endless queue.
  static constexpr int kQueueLimit = 8;
  // How long the destruction waits for the job under way.
  static constexpr std::chrono::milliseconds kCloseWait{2000};

  explicit TDeckWorker(QObject* parent = nullptr);
  ~TDeckWorker() override;

  // False when the queue is full.
  bool Post(Job job);
  // Runs the job and waits at most `wait` for it; false when it did not end
  // in time (it still ends on the deck's thread).
  bool RunAndWait(std::function<void()> job, std::chrono::milliseconds wait);
  // Jobs queued or running.
  int pending() const;
  // How long the job running has been at it; zero when none runs.
  std::chrono::milliseconds busyFor() const;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

// The transport bar's commands, for the deck bound to it: each is one job,
// so that the fast winds and the play/pause toggle read the mode and act on
// it together. Nothing is sent while no deck is bound.
class TTransportBar : public QObject {
  Q_OBJECT
 public:
  // A poll not answered in this time is given up: the labels stay as they
  // are and it is said once in the log.
  static constexpr std::chrono::milliseconds kAnswerTimeout{3000};

  explicit TTransportBar(QObject* parent = nullptr);
  ~TTransportBar() override;

  void Bind(std::shared_ptr<IDeckTransport> deck);
  const std::shared_ptr<IDeckTransport>& deck() const { return deck_; }
  bool hasTransport() const { return deck_ != nullptr; }
  bool hasTimecodeReader() const;

  void Play();
  void Pause();
  void Stop();
  void SlowForward();
  void SlowBackward();
  // Fast wind when the deck is stopped, fastest play otherwise.
  void FastForward();
  void FastBackward();
  // Pauses a playing deck and plays otherwise; the toggle's state follows
  // the deck's answer.
  void PlayPause();
  bool playPauseChecked() const { return playPauseChecked_; }

  // Asks for the time code; at most one read waits at a time.
  void PollTimecode();
  // Sends Stop and waits for it at most `wait`.
  bool StopAndWait(std::chrono::milliseconds wait);
  TDeckWorker& worker() { return *worker_; }

 signals:
  void playPauseChanged(bool checked);
  // The time code as the panel shows it ("0:10:25:30").
  void timecodeRead(const QString& text);

 private:
  void Send(int mode);
  void Wind(int fromStop, int whilePlaying);
  void Post(TDeckWorker::Job job);

  std::shared_ptr<IDeckTransport> deck_;
  TDeckWorker* worker_;
  bool playPauseChecked_ = false;
  bool pollWaiting_ = false;
  bool stallTold_ = false;
  std::chrono::steady_clock::time_point pollSent_;
};
