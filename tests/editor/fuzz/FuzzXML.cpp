// libFuzzer target: the XML highlighter's document keeps the writer's
// invariants for any input (see RtfInvariants.h).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/HighlightXML.h"
#include "tests/editor/RtfInvariants.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  THighlightXML highlighter;
  highlighter.SetText(text);
  const std::string problem = rtf_check::CheckDocument(text, highlighter.GetRtf());
  if (!problem.empty()) {
    std::fprintf(stderr, "broken document: %s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
