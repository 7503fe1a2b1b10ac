// The load of the busiest processor, from the kernel's per-CPU counters
// (/proc/stat): busy = 1 − Δ(idle + iowait) / Δtotal between two samples.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct TCpuTimes {
  int cpu = 0;  // the number after "cpu"
  std::uint64_t idle = 0;   // idle + iowait
  std::uint64_t total = 0;  // user + nice + system + idle + iowait + irq + softirq + steal
};

// The per-CPU lines of a /proc/stat text; the aggregate "cpu" line and
// malformed lines are left out. The guest columns are already counted in
// user and nice, so they are not added again.
std::vector<TCpuTimes> ParseProcStat(const QString& text);

// The busiest CPU's load between two samples, in whole percent (0 to 100).
// A CPU missing from either sample is skipped; a CPU whose counters did not
// move forward counts as 0.
int BusiestCpuPercent(const std::vector<TCpuTimes>& before, const std::vector<TCpuTimes>& after);

// Samples the file at every call and answers the load since the previous
// call; 0 on the first call and when the file cannot be read (said once in
// the log).
class TCpuMeter {
 public:
  explicit TCpuMeter(QString path = QStringLiteral("/proc/stat")) : path_(std::move(path)) {}
  int Sample();

 private:
  QString path_;
  std::vector<TCpuTimes> last_;
  bool unreadableLogged_ = false;
};
