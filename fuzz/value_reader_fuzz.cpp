// Fuzzes the item reader and the typed value reader through which every data
// file is read: any text must give items or the end, never a crash or a hang.
#include "base/main_module.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace nemora;
  RecordingMessageSink sink;
  Session session(sink);
  auto reader = ValueReader::fromText(fuzz::asText(data, size));
  const char* types[] = {"Long", "Double", "String", "Boolean"};
  size_t i = 0;
  while (!reader.atEnd()) {
    const char* type = types[i++ % 4];
    auto value = session.main.GetValue(reader, i % 3 == 0 ? "~" : "#", type, -1e6, 1e6, i % 2 == 0, i % 5 != 0);
    if (value && (std::string_view(type) == "Long" || std::string_view(type) == "Double") && !parseNumber(*value))
      __builtin_trap();  // a value accepted as a number must parse as one
  }
  fuzz::requireListedMessages(sink, {});
  return 0;
}
