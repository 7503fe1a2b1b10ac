// Arbitrary bytes as a script: reading the file, the lexer, the conditional
// directives, the parser and the checker must end in messages, never crash,
// and a compiled program must say so in its last line.
#include <cstdint>
#include <cstdlib>

#include "actions/obscript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  TOBScript component({});
  component.Script = ScriptTextFromBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const bool compiled = component.CompileScript();
  if (component.Messages.isEmpty()) std::abort();
  if (compiled != (component.Messages.back() == "*** Compilation succeeded ***")) std::abort();
  return 0;
}
