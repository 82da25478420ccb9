#include "tools/korvane/trace_report.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <regex>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/trace_page.h"
#include "tools/korvane/trace_reader.h"
#include "tools/korvane/trace_summary.h"

namespace korvane::cli {
namespace {

namespace fs = std::filesystem;

// A failure that ends the report, with what to tell the user.
struct Refusal {
  std::string text;
};

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileClose>;

const char* KindOf(fs::file_type type) {
  switch (type) {
    case fs::file_type::directory:
      return "a directory";
    case fs::file_type::fifo:
      return "a FIFO";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "not a regular file";
  }
}

// Only a regular file is read: a directory, a device or a FIFO would never end or never start.
File OpenTrace(const std::string& path, uint64_t& bytes) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (error) throw Refusal{path + ": cannot be read: " + error.message()};
  if (status.type() != fs::file_type::regular)
    throw Refusal{path + ": is " + std::string(KindOf(status.type())) +
                  ", not a trace file; name the trace's XML file"};
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) throw Refusal{path + ": cannot be read: " + std::strerror(errno)};
  bytes = fs::file_size(path, error);
  return file;
}

struct Dating {
  std::optional<std::chrono::sys_days> firstDay;
  std::string origin;
};

std::chrono::sys_days Day(int year, unsigned month, unsigned day) {
  return std::chrono::sys_days(std::chrono::year(year) / std::chrono::month(month) /
                               std::chrono::day(day));
}

// The date of the first call: from a default trace name (Korvane_2026-12-06_15-25-02.xml), else
// the local date of the file's last change less the midnights the trace passed.
Dating DateOf(const std::string& path, int64_t days) {
  static const std::regex kStamp(R"((\d{4})-(\d{2})-(\d{2})_\d{2}-\d{2}-\d{2}\.xml$)",
                                 std::regex::icase);
  const std::string name = fs::path(path).filename().string();
  std::smatch match;
  if (std::regex_search(name, match, kStamp)) {
    const auto day =
        std::chrono::year_month_day(std::chrono::year(std::stoi(match[1])),
                                    std::chrono::month(static_cast<unsigned>(std::stoi(match[2]))),
                                    std::chrono::day(static_cast<unsigned>(std::stoi(match[3]))));
    if (day.ok()) return {std::chrono::sys_days(day), "by the file's name"};
  }
  std::error_code error;
  const auto changed = fs::last_write_time(path, error);
  if (error) return {};
  const std::time_t seconds =
      std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(changed));
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return {};
  return {Day(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
              static_cast<unsigned>(local.tm_mday)) -
              std::chrono::days(days),
          "by the file's last change"};
}

std::string SelectionText(const ReportRequest& request) {
  std::string text;
  const auto add = [&](const char* option, const std::string& value) {
    if (!value.empty()) text += (text.empty() ? "" : " ") + std::string(option) + " " + value;
  };
  add("--from", request.from);
  add("--to", request.to);
  add("--member", request.member);
  add("--thread", request.thread);
  return text;
}

int Report(const ReportRequest& request) {
  std::error_code same;
  if (fs::equivalent(request.trace, request.page, same))
    throw Refusal{request.page + ": is the trace itself; name another file for the report"};
  PageFacts facts;
  const File file = OpenTrace(request.trace, facts.fileBytes);

  Selection selection;
  selection.from = request.from.empty() ? CallBound{} : ParseCallBound(request.from).value();
  selection.to = request.to.empty() ? CallBound{} : ParseCallBound(request.to).value();
  selection.member = request.member;
  selection.thread = request.thread;
  SummaryLimits limits;
  limits.rows = request.rows;
  TraceSummary summary(limits, selection);
  try {
    facts.reading = ReadTrace(file.get(), request.maxBytes,
                              [&](TraceCall&& call) { summary.Add(std::move(call)); });
  } catch (const TraceFormatError& error) {
    throw Refusal{request.trace + ": " + error.what()};
  }
  summary.Finish();

  facts.source = fs::path(request.trace).filename().string();
  facts.selection = SelectionText(request);
  facts.rowsLimit = std::max<size_t>(request.rows, 2);
  const Dating dating = DateOf(request.trace, summary.days());
  facts.firstDay = dating.firstDay;
  facts.dayOrigin = dating.origin;

  std::ofstream page(request.page, std::ios::binary | std::ios::trunc);
  if (page) WriteTracePage(page, summary, facts);
  if (page) page.close();
  if (!page)
    throw Refusal{request.page + ": the report cannot be written: " + std::strerror(errno)};

  if (facts.reading.end == TraceEnd::kCut)
    std::fprintf(stderr, "korvane: %s was cut short; the report shows what it holds\n",
                 request.trace.c_str());
  if (facts.reading.end == TraceEnd::kCapped)
    std::fprintf(stderr,
                 "korvane: %s is larger than the %llu bytes the report reads; the report shows "
                 "its first part (read more with --max-size, for example --max-size %lluM)\n",
                 request.trace.c_str(), static_cast<unsigned long long>(request.maxBytes),
                 static_cast<unsigned long long>((facts.fileBytes >> 20) + 1));
  if (selection.any() && summary.selectedCalls() == 0)
    std::fprintf(stderr, "korvane: no call of %s matches %s\n", request.trace.c_str(),
                 facts.selection.c_str());
  return kExitOk;
}

}  // namespace

int TraceReport(const ReportRequest& request) {
  try {
    return Report(request);
  } catch (const Refusal& refusal) {
    std::fprintf(stderr, "korvane: %s\n", refusal.text.c_str());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr,
                 "korvane: %s: out of memory while reporting; select fewer calls with --rows, "
                 "--from/--to, --member or --thread\n",
                 request.trace.c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "korvane: %s: the report failed: %s\n", request.trace.c_str(),
                 error.what());
  } catch (...) {
    std::fprintf(stderr, "korvane: %s: the report failed\n", request.trace.c_str());
  }
  return kExitBadInput;
}

}  // namespace korvane::cli
