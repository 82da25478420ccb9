#pragma once
// A small strict XML reader for the tests: it accepts exactly well-formed
// documents of the kind the trace log writes (declaration, processing
// instructions, comments, elements, attributes, character and entity
// references, text) and throws XmlError with the offset of the first fault.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane::testing {

struct XmlError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  std::vector<XmlElement> children;
  std::string text;  // character data directly inside, references resolved

  // The attribute's value; throws XmlError when it is absent.
  const std::string& Attribute(std::string_view attribute) const;
  bool HasAttribute(std::string_view attribute) const;
  std::vector<std::string> AttributeNames() const;
  std::vector<const XmlElement*> Children(std::string_view childName) const;
};

struct XmlDocument {
  std::vector<std::string> processingInstructions;  // "xml-stylesheet type=..." etc.
  XmlElement root;
};

XmlDocument ParseXml(std::string_view text);

}  // namespace korvane::testing
