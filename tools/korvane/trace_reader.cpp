#include "tools/korvane/trace_reader.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace korvane::cli {
namespace {

// The bytes handed to the parser: the file up to its end, its first zero byte (a trace whose
// writer died may be padded with zero bytes) or the byte limit. The writer puts each element on a
// line of its own, so a trace that stops early is completed here the way a reader of the file
// would: its last line, when unfinished, is dropped (a record cut inside a tag), and the end tags
// of the open record and of the root follow.
class Input {
 public:
  Input(std::FILE* file, uint64_t limit) : file_(file), limit_(limit) {}

  static int Read(void* self, char* buffer, int length) {
    return static_cast<Input*>(self)->Give(buffer, static_cast<size_t>(length));
  }

  // The text stopped before the root's end tag, and the end tags were added.
  bool completed() const { return completed_; }
  // A line started the root element.
  bool sawRoot() const { return rootOpen_; }
  bool capped() const { return capped_; }
  bool failed() const { return failed_; }
  uint64_t bytes() const { return read_; }

 private:
  static constexpr size_t kBlock = 64 * 1024;
  // An unfinished line longer than this is passed on as it stands: such a file is no trace of
  // this writer's, and its end is left to the parser.
  static constexpr size_t kLongestLine = 16 * 1024 * 1024;

  int Give(char* buffer, size_t length) {
    while (given_ == ready_) {
      if (ended_) return failed_ ? -1 : 0;
      Refill();
    }
    const size_t count = std::min(length, ready_ - given_);
    std::memcpy(buffer, text_.data() + given_, count);
    given_ += count;
    return static_cast<int>(count);
  }

  void Refill() {
    if (given_ > 0) {  // drop what the parser has taken
      text_.erase(0, given_);
      ready_ -= given_;
      given_ = 0;
    }
    const size_t kept = text_.size();
    const uint64_t room = limit_ - read_;
    text_.resize(kept + std::min<uint64_t>(kBlock, room));
    const size_t got =
        room == 0 ? 0 : std::fread(text_.data() + kept, 1, text_.size() - kept, file_);
    const char* zero = static_cast<const char*>(std::memchr(text_.data() + kept, 0, got));
    const size_t taken = zero == nullptr ? got : static_cast<size_t>(zero - (text_.data() + kept));
    text_.resize(kept + taken);
    read_ += taken;
    TrackLines();
    if (zero != nullptr) return Finish();
    if (got == 0) {
      failed_ = room != 0 && std::ferror(file_) != 0;
      capped_ = room == 0 && std::fgetc(file_) != EOF;
      Finish();
    }
  }

  // Passes on every finished line, following which record is open.
  void TrackLines() {
    size_t start = ready_;
    for (;;) {
      const char* end =
          static_cast<const char*>(std::memchr(text_.data() + start, '\n', text_.size() - start));
      if (end == nullptr) break;
      const size_t next = static_cast<size_t>(end - text_.data()) + 1;
      if (tracking_) Track(std::string_view(text_.data() + start, next - start));
      start = next;
    }
    ready_ = start;
    if (text_.size() - ready_ > kLongestLine) {
      tracking_ = false;
      ready_ = text_.size();
    }
  }

  void Track(std::string_view line) {
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.rfind("<Method", 0) == 0 && line.size() > 7 && (line[7] == ' ' || line[7] == '>'))
      methodOpen_ = line.substr(line.size() - 2) != "/>";
    else if (line == "</Method>")
      methodOpen_ = false;
    else if (line.rfind("<TraceRecords", 0) == 0)
      rootOpen_ = true;
    if (line.size() >= 15 && line.substr(line.size() - 15) == "</TraceRecords>") rootClosed_ = true;
  }

  void Finish() {
    ended_ = true;
    if (failed_ || !tracking_ || rootClosed_) {
      ready_ = text_.size();
      return;
    }
    // A last line without its line end is whole when it ends a tag.
    const std::string_view last = std::string_view(text_).substr(ready_);
    const size_t end = last.find_last_not_of(" \t\r");
    if (end != std::string_view::npos && last[end] == '>') {
      Track(last);
      ready_ = text_.size();
    }
    // The root's start tag is completed only when its first record starts.
    const bool bareRoot = last.rfind("<TraceRecords", 0) == 0 &&
                          last.find_first_of("<>", 1) == std::string_view::npos;
    if (rootClosed_ || !(rootOpen_ || bareRoot)) {
      ready_ = text_.size();
      return;
    }
    text_.resize(ready_);
    if (bareRoot) text_ += "<TraceRecords>";
    if (methodOpen_) text_ += "</Method>";
    text_ += "</TraceRecords>";
    ready_ = text_.size();
    completed_ = true;
  }

  std::FILE* file_;
  uint64_t limit_;
  uint64_t read_ = 0;
  std::string text_;  // read, not yet taken by the parser
  size_t given_ = 0;  // taken by the parser
  size_t ready_ = 0;  // finished lines, which the parser may take
  bool tracking_ = true;
  bool methodOpen_ = false;
  bool rootOpen_ = false;
  bool rootClosed_ = false;
  bool ended_ = false;
  bool completed_ = false;
  bool capped_ = false;
  bool failed_ = false;
};

struct ReaderFree {
  void operator()(xmlTextReader* reader) const { xmlFreeTextReader(reader); }
};
using Reader = std::unique_ptr<xmlTextReader, ReaderFree>;

// The parser's first complaint, with its line.
struct FirstError {
  std::string text;

  static void Keep(void* self, xmlError* error) {
    auto& first = static_cast<FirstError*>(self)->text;
    if (!first.empty() || error == nullptr) return;
    std::string message = error->message != nullptr ? error->message : "malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    first = "line " + std::to_string(error->line) + ": " + message;
  }
};

std::string_view View(const xmlChar* text) {
  return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text);
}

// Walks the attributes of the element the reader is on.
template <class Use>
void ForEachAttribute(xmlTextReader* reader, Use&& use) {
  while (xmlTextReaderMoveToNextAttribute(reader) == 1)
    use(View(xmlTextReaderConstLocalName(reader)), View(xmlTextReaderConstValue(reader)));
  xmlTextReaderMoveToElement(reader);
}

void ReadMethodStart(xmlTextReader* reader, TraceCall& call) {
  ForEachAttribute(reader, [&](std::string_view name, std::string_view value) {
    if (name == "Name")
      call.member = value;
    else if (name == "Interface")
      call.interface = value;
    else if (name == "StartTime")
      call.startTime = value;
    else if (name == "Thread")
      call.thread = value;
  });
}

void ReadMethodChild(xmlTextReader* reader, std::string_view element, TraceCall& call) {
  if (element == "Parameter") {
    TraceParameter parameter;
    bool input = false;
    ForEachAttribute(reader, [&](std::string_view name, std::string_view value) {
      if (name == "Name")
        parameter.name = value;
      else if (name == "Value")
        parameter.value = value;
      else if (name == "DataType")
        parameter.type = value;
      else if (name == "Direction")
        input = value == "In";
    });
    (input ? call.inputs : call.outputs).push_back(std::move(parameter));
  } else if (element == "HRESULT") {
    call.hasStatus = true;
    ForEachAttribute(reader, [&](std::string_view name, std::string_view value) {
      if (name == "Value")
        call.statusText = value;
      else if (name == "Message")
        call.message = value;
    });
    call.status = ParseStatus(call.statusText);
  } else if (element == "Execution") {
    ForEachAttribute(reader, [&](std::string_view name, std::string_view value) {
      if (name == "ExecutionTime") call.duration = ParseDuration(value);
    });
    // An Execution element without the attribute still says the call ended; its time is unknown.
    if (call.duration.kind == Duration::Kind::kAbsent)
      call.duration.kind = Duration::Kind::kUnreadable;
  }
}

}  // namespace

TraceReading ReadTrace(std::FILE* file, uint64_t maxBytes,
                       const std::function<void(TraceCall&&)>& onCall) {
  Input input(file, maxBytes);
  // No network, no external entities, no entity substitution; errors are collected, not printed.
  Reader reader(xmlReaderForIO(&Input::Read, nullptr, &input, nullptr, nullptr,
                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!reader) throw std::bad_alloc();
  FirstError error;
  xmlTextReaderSetStructuredErrorHandler(reader.get(), &FirstError::Keep, &error);

  bool rootSeen = false;
  bool rootEnded = false;
  bool inMethod = false;
  uint64_t count = 0;
  TraceCall call;
  int step;
  while ((step = xmlTextReaderRead(reader.get())) == 1) {
    const int type = xmlTextReaderNodeType(reader.get());
    const int depth = xmlTextReaderDepth(reader.get());
    const std::string_view name = View(xmlTextReaderConstLocalName(reader.get()));
    if (type == XML_READER_TYPE_ELEMENT) {
      if (depth == 0) {
        if (name != "TraceRecords") break;
        rootSeen = true;
        rootEnded = xmlTextReaderIsEmptyElement(reader.get()) == 1;
      } else if (depth == 1 && name == "Method") {
        call = TraceCall{};
        call.number = ++count;
        ReadMethodStart(reader.get(), call);
        inMethod = xmlTextReaderIsEmptyElement(reader.get()) != 1;
        if (!inMethod) onCall(std::move(call));
      } else if (depth == 2 && inMethod) {
        ReadMethodChild(reader.get(), name, call);
      }
    } else if (type == XML_READER_TYPE_END_ELEMENT) {
      if (depth == 1 && inMethod) {
        inMethod = false;
        onCall(std::move(call));
      } else if (depth == 0) {
        rootEnded = true;
      }
    }
  }
  if (input.failed())
    throw TraceFormatError("cannot be read: " + std::string(std::strerror(errno)));
  const std::string where = error.text.empty() ? std::string("an unknown place") : error.text;
  if (!rootSeen && !input.sawRoot())
    throw TraceFormatError(step == 1
                               ? "not a Korvane call trace (its root element is no "
                                 "TraceRecords)"
                               : "not a Korvane call trace (not well-formed XML at " + where + ")");
  if (step == -1 || !rootEnded) throw TraceFormatError("not well-formed at " + where);
  const TraceEnd end = input.capped()      ? TraceEnd::kCapped
                       : input.completed() ? TraceEnd::kCut
                                           : TraceEnd::kComplete;
  return {end, input.bytes()};
}

}  // namespace korvane::cli
