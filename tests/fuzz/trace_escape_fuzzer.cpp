// The trace's texts, from any UTF-16 text: converted for the file and escaped
// as an attribute value, they always give a well-formed XML 1.0 document
// (checked by the tests' strict reader, which admits only XML's characters),
// and the value read back is the converted text with each control character
// XML cannot carry written as '?'.

#include <cstddef>
#include <cstdint>
#include <string>

#include "diag/trace_text.h"
#include "diag/trace_xml.h"
#include "tests/diag_trace/xml_checker.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  const OleString wide = fuzz::Utf16Units(data, size);
  std::string ansi;
  AppendAnsiText(ansi, wide.data(), wide.size());
  std::string document = "<?xml version=\"1.0\"?>\r\n<TraceRecords Value=\"";
  AppendXmlEscaped(document, ansi);
  document += "\"/>\r\n";

  testing::XmlDocument parsed;
  try {
    parsed = testing::ParseXml(document);
  } catch (const testing::XmlError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    fuzz::Fail("escaped trace text is well-formed XML");
  }
  std::string expected = ansi;
  for (char& c : expected) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') c = '?';
  }
  fuzz::Require(parsed.root.Attribute("Value") == expected, "the value reads back as written");
  return 0;
}
