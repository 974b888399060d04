// Fuzzes the text form of messages: ParseMessage on the input (as a
// NUL-terminated text) may only succeed or throw TKQstructure::Error, and what
// it reads must print as a text that reads back to the same message.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "KQmessage/KQML.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<nuxa::TKQstructure> message;
  try {
    message = nuxa::TKQstructure::ParseMessage(text.c_str());
  } catch (const nuxa::TKQstructure::Error&) {
    return 0;
  }
  const std::string printed = message->ToString();
  // A message read from text prints as text that reads back without error.
  const std::string reprinted = nuxa::TKQstructure::ParseMessage(printed.c_str())->ToString();
  if (reprinted != printed) {
    std::fprintf(stderr, "reprint differs:\n%s\n%s\n", printed.c_str(), reprinted.c_str());
    std::abort();
  }
  // Copies are deep and print alike.
  const nuxa::TKQstructure copy(*message);
  if (copy.ToString() != printed) std::abort();
  return 0;
}
