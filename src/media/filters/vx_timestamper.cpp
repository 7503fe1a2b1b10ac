#include "media/filters/vx_timestamper.h"

FilterResult Tvx_TimeStamper::Transform(TMediaSample& sample) {
  if (dropAll()) return FilterResult::Drop;
  if (stripTimes()) {
    sample.start.reset();
    sample.stop.reset();
    sample.mediaStart.reset();
    sample.mediaStop.reset();
  }
  return FilterResult::Deliver;
}
