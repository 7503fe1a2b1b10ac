#include "control/deckcontrol.h"

#include <QLoggingCategory>
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "capture/transport.h"

Q_LOGGING_CATEGORY(lcDeck, "tessivo.deck")

using namespace transport;

// What the deck's thread and the worker share. The thread keeps it alive:
// a deck that never answers leaves its thread behind, not a dangling queue.
struct TDeckWorker::Shared {
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable finished;
  std::deque<Job> jobs;
  bool running = false;
  bool stopping = false;
  bool ended = false;
  std::chrono::steady_clock::time_point since;
  QObject* receiver = nullptr;  // cleared before the worker goes

  void Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return stopping || !jobs.empty(); });
      if (jobs.empty()) break;  // stopping with nothing left
      Job job = std::move(jobs.front());
      jobs.pop_front();
      running = true;
      since = std::chrono::steady_clock::now();
      lock.unlock();
      Reply reply = job();
      lock.lock();
      running = false;
      if (reply && receiver) QMetaObject::invokeMethod(receiver, std::move(reply), Qt::QueuedConnection);
      finished.notify_all();
    }
    ended = true;
    finished.notify_all();
  }
};

TDeckWorker::TDeckWorker(QObject* parent) : QObject(parent), shared_(std::make_shared<Shared>()) {
  shared_->receiver = this;
  std::thread([shared = shared_] { shared->Loop(); }).detach();
}

TDeckWorker::~TDeckWorker() {
  std::unique_lock lock(shared_->mutex);
  shared_->receiver = nullptr;
  shared_->stopping = true;
  shared_->jobs.clear();
  shared_->wake.notify_all();
  if (!shared_->finished.wait_for(lock, kCloseWait, [this] { return shared_->ended; }))
    qCWarning(lcDeck) << "the deck did not answer in time; its last command is left to finish";
}

bool TDeckWorker::Post(Job job) {
  const std::lock_guard lock(shared_->mutex);
  if (static_cast<int>(shared_->jobs.size()) >= kQueueLimit) return false;
  shared_->jobs.push_back(std::move(job));
  shared_->wake.notify_all();
  return true;
}

bool TDeckWorker::RunAndWait(std::function<void()> job, std::chrono::milliseconds wait) {
  auto done = std::make_shared<bool>(false);
  {
    const std::lock_guard lock(shared_->mutex);
    shared_->jobs.push_back([job = std::move(job), done, shared = shared_.get()]() -> Reply {
      job();
      const std::lock_guard inner(shared->mutex);
      *done = true;
      return {};
    });
    shared_->wake.notify_all();
  }
  std::unique_lock lock(shared_->mutex);
  return shared_->finished.wait_for(lock, wait, [&done] { return *done; });
}

int TDeckWorker::pending() const {
  const std::lock_guard lock(shared_->mutex);
  return static_cast<int>(shared_->jobs.size()) + (shared_->running ? 1 : 0);
}

std::chrono::milliseconds TDeckWorker::busyFor() const {
  const std::lock_guard lock(shared_->mutex);
  if (!shared_->running) return {};
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - shared_->since);
}

// --- The bar --------------------------------------------------------------------------

TTransportBar::TTransportBar(QObject* parent) : QObject(parent), worker_(new TDeckWorker(this)) {}

TTransportBar::~TTransportBar() = default;

void TTransportBar::Bind(std::shared_ptr<IDeckTransport> deck) {
  deck_ = std::move(deck);
  pollWaiting_ = false;
  stallTold_ = false;
}

bool TTransportBar::hasTimecodeReader() const { return deck_ && deck_->HasTimecodeReader(); }

void TTransportBar::Post(TDeckWorker::Job job) {
  if (!worker_->Post(std::move(job))) qCWarning(lcDeck) << "the deck is not answering; the command is dropped";
}

void TTransportBar::Send(int mode) {
  if (!deck_) return;
  Post([deck = deck_, mode]() -> TDeckWorker::Reply {
    if (!deck->SetMode(mode)) qCInfo(lcDeck) << "the deck refused the mode" << mode;
    return {};
  });
}

void TTransportBar::Play() { Send(kModePlay); }
void TTransportBar::Pause() { Send(kModeFreeze); }
void TTransportBar::Stop() { Send(kModeStop); }
void TTransportBar::SlowForward() { Send(kModePlaySlowestForward); }
void TTransportBar::SlowBackward() { Send(kModePlaySlowestReverse); }

void TTransportBar::FastForward() { Wind(kModeFastForward, kModePlayFastestForward); }
void TTransportBar::FastBackward() { Wind(kModeRewind, kModePlayFastestReverse); }

// From stop the tape winds without a picture; otherwise it plays at its
// fastest, so the user still sees where it is.
void TTransportBar::Wind(int fromStop, int whilePlaying) {
  if (!deck_) return;
  Post([deck = deck_, fromStop, whilePlaying]() -> TDeckWorker::Reply {
    int mode = 0;
    deck->Mode(mode);
    deck->SetMode(mode == kModeStop ? fromStop : whilePlaying);
    return {};
  });
}

void TTransportBar::PlayPause() {
  if (!deck_) return;
  QPointer<TTransportBar> self(this);
  Post([deck = deck_, self]() -> TDeckWorker::Reply {
    int mode = 0;
    const bool playing = deck->Mode(mode) && mode == kModePlay;
    deck->SetMode(playing ? kModeFreeze : kModePlay);
    return [self, checked = !playing] {
      if (!self) return;
      self->playPauseChecked_ = checked;
      emit self->playPauseChanged(checked);
    };
  });
}

void TTransportBar::PollTimecode() {
  if (!hasTimecodeReader()) return;
  if (pollWaiting_) {
    if (!stallTold_ && std::chrono::steady_clock::now() - pollSent_ > kAnswerTimeout) {
      stallTold_ = true;
      qCWarning(lcDeck) << "the deck has not given its time code for" << kAnswerTimeout.count() << "ms";
    }
    return;
  }
  pollWaiting_ = true;
  pollSent_ = std::chrono::steady_clock::now();
  QPointer<TTransportBar> self(this);
  const bool posted = worker_->Post([deck = deck_, self]() -> TDeckWorker::Reply {
    std::uint32_t bcd = 0;
    const bool read = deck->Timecode(bcd);
    return [self, deck, read, bcd] {
      if (!self || self->deck_ != deck) return;
      self->pollWaiting_ = false;
      self->stallTold_ = false;
      if (read) emit self->timecodeRead(QString::fromStdString(TimecodeText(bcd)));
    };
  });
  if (!posted) pollWaiting_ = false;
}

bool TTransportBar::StopAndWait(std::chrono::milliseconds wait) {
  if (!deck_) return true;
  return worker_->RunAndWait([deck = deck_] { deck->SetMode(kModeStop); }, wait);
}
