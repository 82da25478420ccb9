#pragma once
// The XML text of the call trace file: elements indented by one tab per
// nesting level below the root, attributes as name="value", lines ending in
// CR LF, childless elements closed with "/>". The writer appends to a string
// owned by the caller; it never touches a file.

#include <array>
#include <string>
#include <string_view>

namespace korvane {

class TraceXmlWriter {
 public:
  // `out` receives the text. `depth` is the nesting level of the first
  // element started: 0 for the root TraceRecords, 1 for a Method record.
  TraceXmlWriter(std::string& out, int depth) : out_(out), depth_(depth) {}
  // Would write into a string the copy does not own.
  TraceXmlWriter(const TraceXmlWriter&) = delete;
  TraceXmlWriter& operator=(const TraceXmlWriter&) = delete;

  // Starts a child of the current element (completing the parent's start
  // tag with ">" first). `name` must outlive the element: trace element names
  // are literals.
  void StartElement(const char* name);
  // Writes ` name="value"` into the open start tag, with value escaped.
  void Attribute(std::string_view name, std::string_view value);
  // The same for a value that holds no character XML reserves (a number):
  // written as it is.
  void PlainAttribute(std::string_view name, std::string_view value);
  // Ends the innermost element: "/>" when it had no child, else its end tag
  // on a line of its own.
  void EndElement();
  void EndAll();
  // Completes an open start tag with ">" (its first child is about to be
  // written elsewhere). Returns whether a tag was open.
  bool CompleteStartTag();

  int openElements() const { return count_; }

 private:
  void Indent(int level);

  static constexpr int kMaxOpen = 8;  // root > Method > Parameter is the deepest
  std::string& out_;
  int depth_;
  std::array<const char*, kMaxOpen> open_{};
  int count_ = 0;
  bool tagOpen_ = false;
};

// Appends `value` with the characters that XML reserves written as entity
// references. Trace values come from callers (resource names, option
// strings, error messages) and may hold any of & < > " '; written raw they
// would make the file unreadable as XML, so we escape them. Tab, CR and LF
// become character references so that a reader keeps them; the other
// control characters, which XML 1.0 does not allow at all, become '?'.
void AppendXmlEscaped(std::string& out, std::string_view value);

}  // namespace korvane
