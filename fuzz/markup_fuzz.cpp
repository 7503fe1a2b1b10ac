// Arbitrary text as link mark-up: the parser must end, its runs must cover
// the text it gives, and every link must lie within it.
#include <cstdint>
#include <cstdlib>

#include "help/linkmarkup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const markup::Parsed parsed = markup::Parse(text);
  qsizetype covered = 0;
  for (const markup::Run& run : parsed.runs) {
    if (run.start != covered || run.length <= 0) std::abort();
    covered += run.length;
  }
  if (covered != parsed.text.size()) std::abort();
  if (parsed.paragraphs.size() != static_cast<std::size_t>(parsed.text.count('\n')) + 1) std::abort();
  for (const markup::Link& link : parsed.links)
    if (link.start < 0 || link.start > link.end || link.end > parsed.text.size()) std::abort();
  return 0;
}
