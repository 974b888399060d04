#include "Common/Exceptions.h"

#include <cctype>

#include "Common/Assert.h"
#include "KQmessage/KQML.h"

namespace nuxa {

TException::TException() = default;

TException::TException(const char* message, const char* category)
    : message_(message ? message : ""), has_message_(true) {
  NUXA_ASSERT(message != nullptr);
  if (category != nullptr) {
    category_ = category;
    has_category_ = true;
  }
}

TException::TException(const char* message, const char* category, const char* location,
                       TKQstructure* structure)
    : structure_(structure), has_message_(true), has_category_(true), has_location_(true) {
  NUXA_ASSERT(message != nullptr && category != nullptr && location != nullptr);
  message_ = message;
  category_ = category;
  location_ = location;
}

void ThrowException(const char* message, const char* category, const char* location) {
  throw TException(message, category, location, nullptr);
}

int strcasecmp(const char* a, const char* b) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
  for (;; ++p, ++q) {
    const unsigned char x = static_cast<unsigned char>(std::toupper(*p));
    const unsigned char y = static_cast<unsigned char>(std::toupper(*q));
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

}  // namespace nuxa
