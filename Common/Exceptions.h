// The two exception types of the library and its case-insensitive comparison.
//
// TException is thrown by the object model and the legacy loaders: it carries
// a message, a category ("Bad Parameter", "File Error", ...), a location
// ("Data::SetRow") and, optionally, a structured report. FileTools::Error, the
// exception of the block-format readers and writers, lives with FileTools in
// FileHandler/ParseTools.h.
#ifndef NUXA_COMMON_EXCEPTIONS_H_
#define NUXA_COMMON_EXCEPTIONS_H_

#include <memory>
#include <string>

namespace nuxa {

class TKQstructure;

/// An error of the object model or a legacy loader. Copies share one message
/// structure and own private copies of the strings, so a thrown copy stays
/// valid in every handler.
class TException {
 public:
  /// All fields null.
  TException();
  /// Copies message (must not be null) and category (may be null); location
  /// and message structure stay null.
  TException(const char* message, const char* category);
  /// Copies the three strings (none may be null) and takes ownership of
  /// structure, which may be null.
  TException(const char* message, const char* category, const char* location,
             TKQstructure* structure);

  /// The fields as the catcher reads them; a null field gives nullptr.
  const char* Message() const { return has_message_ ? message_.c_str() : nullptr; }
  const char* Category() const { return has_category_ ? category_.c_str() : nullptr; }
  const char* Location() const { return has_location_ ? location_.c_str() : nullptr; }
  const TKQstructure* Structure() const { return structure_.get(); }

 private:
  std::string message_;
  std::string category_;
  std::string location_;
  std::shared_ptr<TKQstructure> structure_;
  bool has_message_ = false;
  bool has_category_ = false;
  bool has_location_ = false;
};

/// Builds and throws a TException from three literal texts. Every thrower of
/// the library goes through here so messages stay greppable and exact.
[[noreturn]] void ThrowException(const char* message, const char* category,
                                 const char* location);

/// Case-insensitive comparison by the standard toupper, byte by byte as
/// unsigned characters. Returns -1, 0 or 1. Allocates nothing.
int strcasecmp(const char* a, const char* b);

}  // namespace nuxa

#endif  // NUXA_COMMON_EXCEPTIONS_H_
