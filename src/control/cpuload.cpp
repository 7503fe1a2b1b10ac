#include "control/cpuload.h"

#include <QFile>
#include <QLoggingCategory>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>

Q_LOGGING_CATEGORY(lcCpu, "tessivo.cpu")

namespace {

// Columns after the name: user nice system idle iowait irq softirq steal
// guest guest_nice. Older kernels stop after fewer columns.
constexpr int kIdle = 3, kIowait = 4, kCountedColumns = 8, kRequiredColumns = 4;

std::optional<TCpuTimes> ParseLine(const QString& line) {
  const QStringList fields = line.split(' ', Qt::SkipEmptyParts);
  if (fields.size() < 1 + kRequiredColumns || !fields[0].startsWith(QLatin1String("cpu")) || fields[0].size() == 3)
    return std::nullopt;
  bool ok = false;
  TCpuTimes times;
  times.cpu = fields[0].mid(3).toInt(&ok);
  if (!ok || times.cpu < 0) return std::nullopt;
  for (int column = 0; column < std::min<int>(kCountedColumns, int(fields.size()) - 1); ++column) {
    const std::uint64_t value = fields[column + 1].toULongLong(&ok);
    if (!ok) return std::nullopt;
    times.total += value;
    if (column == kIdle || column == kIowait) times.idle += value;
  }
  return times;
}

}  // namespace

std::vector<TCpuTimes> ParseProcStat(const QString& text) {
  std::vector<TCpuTimes> cpus;
  for (const QString& line : text.split('\n'))
    if (const std::optional<TCpuTimes> times = ParseLine(line.trimmed())) cpus.push_back(*times);
  return cpus;
}

int BusiestCpuPercent(const std::vector<TCpuTimes>& before, const std::vector<TCpuTimes>& after) {
  int busiest = 0;
  for (const TCpuTimes& now : after) {
    const auto then = std::find_if(before.begin(), before.end(), [&](const TCpuTimes& t) { return t.cpu == now.cpu; });
    if (then == before.end()) continue;
    // A CPU brought back online starts its counters again.
    if (now.total <= then->total || now.idle < then->idle) continue;
    const double total = double(now.total - then->total);
    const double idle = std::min(total, double(now.idle - then->idle));
    busiest = std::max(busiest, int(std::lround(100.0 * (1.0 - idle / total))));
  }
  return std::clamp(busiest, 0, 100);
}

int TCpuMeter::Sample() {
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) {
    if (!unreadableLogged_) qCWarning(lcCpu) << "cannot read" << path_ << file.errorString();
    unreadableLogged_ = true;
    last_.clear();
    return 0;
  }
  std::vector<TCpuTimes> now = ParseProcStat(QString::fromLatin1(file.readAll()));
  const int percent = BusiestCpuPercent(last_, now);
  last_ = std::move(now);
  return percent;
}
