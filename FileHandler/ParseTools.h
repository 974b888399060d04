// The block-structured text format shared by network files and DataSet files:
// a "[FormatVersion = 1.0]" header, named blocks "[Name]" ... "[~Name]",
// statements "[Key = Value]" and bare tokens, with nested comments.
//
// FileTools is the tool object every reader and writer of those formats runs
// on. The writer half writes items to an output stream as it is asked; the
// reader half turns an input stream into Statement records one at a time and
// checks them against what the caller's format expects. Both report failure by
// throwing FileTools::Error.
#ifndef NUXA_FILEHANDLER_PARSETOOLS_H_
#define NUXA_FILEHANDLER_PARSETOOLS_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>

namespace nuxa {

/// The unit the block reader returns and the block writer consumes.
struct Statement {
  enum Kind : int32_t {
    kEnd = 0,            ///< "[~name]", or the end of the input outside any block
    kToken = 1,          ///< a bare token, such as a number of a data row
    kBlockStart = 2,     ///< "[name]"
    kKeyValue = 3,       ///< "[key = value]"
    kNone = 4,           ///< the reader's starting value; never returned
    kFormatVersion = 5,  ///< the header; produced only by the writer
  };

  int32_t kind = kNone;
  /// Block name, key or token text; empty stands for "none" (tokens are never
  /// empty, so the two cannot be confused).
  std::string key;
  /// Value text of a key-value statement; empty when the kind has none.
  std::string value;
  /// The statement's bracket was not closed by "]" (kinds 2 and 3).
  bool open = false;
};

class FileTools {
 public:
  /// The exception of the block-format readers and writers: a message and the
  /// stream concerned (the input stream for readers, the output stream for
  /// writers; the other one is null).
  class Error {
   public:
    Error(std::string msg, std::istream* in, std::ostream* out)
        : message(std::move(msg)), input(in), output(out) {}
    std::string message;
    std::istream* input;
    std::ostream* output;
  };

  // ---- Writer. Every operation writes at once; texts stay the caller's. A
  // "line end" is CR LF. The bracket flag chooses the bracketed form (one item
  // per line) or the bare form used inside an open bracket.

  void WriteFormatVersion(std::ostream& os);
  void WriteNewLine(std::ostream& os);
  void BeginBlock(std::ostream& os, const char* name, bool bracket);
  /// Writes nothing for a null name.
  void EndBlock(std::ostream& os, const char* name);
  void WriteStringStatement(std::ostream& os, const char* key, const char* value, bool bracket);
  void WriteIntegerStatement(std::ostream& os, const char* key, long value, bool bracket);
  /// The value in fixed notation with exactly `decimals` digits after the point,
  /// in full whatever its magnitude.
  void WriteNumberStatement(std::ostream& os, const char* key, double value, int decimals,
                            bool bracket);
  void OpenBracket(std::ostream& os, bool bracket);
  void CloseBracket(std::ostream& os, bool bracket, bool newline);
  /// Writes one statement according to its kind. Kinds 0 and 5 bare, or an
  /// unknown kind, are programming errors (fatal).
  void WriteItem(const Statement& st, std::ostream& os, bool bracket);

  /// A new copy of text, owned by the caller.
  static std::string CopyString(const char* text) { return std::string(text); }

  // ---- Reader. Reads one character at a time and may put one back.

  /// The next token; empty at the end of the input. Comments are skipped.
  std::string NextToken(std::istream& is);
  /// Skips the rest of a comment whose "/*" was just read (comments nest).
  /// Throws "Unexpected end of file during comment".
  void SkipComment(std::istream& is);
  /// The next statement. blockdef names the block the caller is in (null at
  /// the top level); force means the caller already consumed a "[" and the
  /// next token is a key. A FormatVersion statement of version <= 1.0 is
  /// skipped wherever it stands (unless forced).
  Statement GetStatement(const char* blockdef, std::istream& is, bool force);
  /// Requires a block start named `name` (any block when null); returns the
  /// block name, to be passed on as blockdef.
  std::string ExpectBlockStart(Statement& st, std::istream& is, const char* name);
  /// Requires an end (an end tag, or the end of the input at the top level).
  void ExpectEndTag(const Statement& st, std::istream& is);
  /// Requires "[key = ...]". With expected null returns the value; with
  /// expected given, requires that value (case-insensitively) and returns "".
  std::string GetStringStatement(Statement& st, std::istream& is, const char* key,
                                 const char* expected);
  long GetIntegerStatement(Statement& st, std::istream& is, const char* key);
  double GetNumberStatement(Statement& st, std::istream& is, const char* key);
  /// Requires a bare token and converts it with ParseNumber.
  double GetNumberToken(Statement& st, std::istream& is);
  /// sscanf "%ld" rule: leading blanks and a sign, digits, rest ignored.
  /// Throws "integer-expected".
  long ParseInteger(std::istream& is, const char* text);
  /// sscanf "%lf" test, then atof. Throws "number-expected".
  double ParseNumber(std::istream& is, const char* text);

 private:
  std::string token_;  // the token being assembled; grows as long as needed
};

}  // namespace nuxa

#endif  // NUXA_FILEHANDLER_PARSETOOLS_H_
