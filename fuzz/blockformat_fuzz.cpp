// Reads arbitrary bytes as block-structured text the way the file readers do:
// statement by statement, tracking the block it is in, reading the inside of
// an open bracket in force mode, and converting values and tokens. The block
// reader may only ever fail with FileTools::Error.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "FileHandler/ParseTools.h"

namespace {

// Applies the statement checks and conversions; a mismatch is an ordinary
// outcome, reading goes on.
void Inspect(nuxa::FileTools& ft, nuxa::Statement& st, std::istream& in) {
  try {
    switch (st.kind) {
      case nuxa::Statement::kToken:
        ft.GetNumberToken(st, in);
        break;
      case nuxa::Statement::kKeyValue:
        ft.GetStringStatement(st, in, st.key.c_str(), "x");
        break;
      default:
        ft.ExpectEndTag(st, in);
        break;
    }
  } catch (const nuxa::FileTools::Error&) {
  }
  if (st.kind == nuxa::Statement::kKeyValue) {
    try {
      ft.GetIntegerStatement(st, in, st.key.c_str());
    } catch (const nuxa::FileTools::Error&) {
    }
    try {
      ft.GetNumberStatement(st, in, st.key.c_str());
    } catch (const nuxa::FileTools::Error&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  nuxa::FileTools ft;
  std::vector<std::string> blocks;
  try {
    for (;;) {
      const char* blockdef = blocks.empty() ? nullptr : blocks.back().c_str();
      nuxa::Statement st = ft.GetStatement(blockdef, in, false);
      if (st.kind == nuxa::Statement::kEnd) {
        if (blocks.empty()) break;
        blocks.pop_back();
        continue;
      }
      Inspect(ft, st, in);
      if (st.kind == nuxa::Statement::kBlockStart) {
        blocks.push_back(ft.ExpectBlockStart(st, in, nullptr));
      }
      // The rest of an open bracket: statements in force mode until one is
      // closed (the end of the input counts as closed at the top level).
      while (st.open) {
        st = ft.GetStatement(blocks.empty() ? nullptr : blocks.back().c_str(), in, true);
        Inspect(ft, st, in);
      }
    }
  } catch (const nuxa::FileTools::Error&) {
  }
  return 0;
}
