#include "tools/korvane/trace_report.h"

#include <libxml/parser.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/trace_stylesheet.h"

namespace korvane::cli {
namespace {

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct StylesheetFree {
  void operator()(xsltStylesheet* sheet) const { xsltFreeStylesheet(sheet); }
};
using Doc = std::unique_ptr<xmlDoc, DocFree>;
using Stylesheet = std::unique_ptr<xsltStylesheet, StylesheetFree>;

// A trace whose writer did not end it stops before the root's end tag.
bool EndsWithRootEndTag(const std::string& text) {
  const auto end = text.find_last_not_of(" \t\r\n");
  constexpr std::string_view kEndTag = "</TraceRecords>";
  return end != std::string::npos && end + 1 >= kEndTag.size() &&
         text.compare(end + 1 - kEndTag.size(), kEndTag.size(), kEndTag) == 0;
}

// The parser in recovery mode closes the elements a cut-short file left open
// and drops a record cut inside a tag.
Doc ParseTrace(const std::string& text, bool complete) {
  const int options = XML_PARSE_NONET |
                      (complete ? 0 : XML_PARSE_RECOVER | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  return Doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, options));
}

Stylesheet LoadStylesheet() {
  const std::string_view text = kTraceStylesheet;
  Doc doc(xmlReadMemory(text.data(), static_cast<int>(text.size()), "trace.xslt", nullptr,
                        XML_PARSE_NONET));
  if (!doc) return nullptr;
  Stylesheet sheet(xsltParseStylesheetDoc(doc.get()));
  if (sheet) doc.release();  // the stylesheet owns its document now
  return sheet;
}

// An XPath string literal for a stylesheet parameter.
std::string Literal(const std::string& text) {
  return text.find('\'') == std::string::npos ? "'" + text + "'" : "\"" + text + "\"";
}

}  // namespace

int TraceReport(const std::string& tracePath, const std::string& htmlPath) {
  std::ifstream file(tracePath, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "%s: cannot be read\n", tracePath.c_str());
    return kExitBadInput;
  }
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  // A trace whose writer did not end it (still running, or killed) is followed by zero bytes up
  // to the end of the piece of the file it had mapped: the text ends at the first zero byte.
  text.resize(std::min(text.find('\0'), text.size()));
  const bool complete = EndsWithRootEndTag(text);
  const Doc trace = ParseTrace(text, complete);
  const xmlNode* root = trace ? xmlDocGetRootElement(trace.get()) : nullptr;
  if (root == nullptr || xmlStrcmp(root->name, BAD_CAST "TraceRecords") != 0) {
    std::fprintf(stderr, "%s: not a Korvane call trace (no TraceRecords root element)\n",
                 tracePath.c_str());
    return kExitBadInput;
  }
  const Stylesheet sheet = LoadStylesheet();
  if (!sheet) {
    std::fprintf(stderr, "korvane: the trace stylesheet cannot be loaded\n");
    return kExitBadInput;
  }
  const std::string truncated = complete ? "'no'" : "'yes'";
  const std::string source = Literal(std::filesystem::path(tracePath).filename().string());
  const char* params[] = {"truncated", truncated.c_str(), "source", source.c_str(), nullptr};
  const Doc html(xsltApplyStylesheet(sheet.get(), trace.get(), params));
  if (!html || xsltSaveResultToFilename(htmlPath.c_str(), html.get(), sheet.get(), 0) < 0) {
    std::fprintf(stderr, "%s: the report cannot be written\n", htmlPath.c_str());
    return kExitBadInput;
  }
  if (!complete)
    std::fprintf(stderr, "korvane: %s was cut short; the report shows what it holds\n",
                 tracePath.c_str());
  return kExitOk;
}

}  // namespace korvane::cli
