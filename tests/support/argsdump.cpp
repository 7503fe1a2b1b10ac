// A stand-in for the companion program: writes the arguments it received,
// each followed by a NUL byte, to the file named by TESSIVO_ARGS_FILE, then
// renames it into place so that a reader never sees half of it.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const char* target = std::getenv("TESSIVO_ARGS_FILE");
  if (!target) return 2;
  const std::string partial = std::string(target) + ".part";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return 1;
  for (int i = 1; i < argc; ++i) {
    std::fputs(argv[i], file);
    std::fputc('\0', file);
  }
  if (std::fclose(file) != 0) return 1;
  return std::rename(partial.c_str(), target) == 0 ? 0 : 1;
}
