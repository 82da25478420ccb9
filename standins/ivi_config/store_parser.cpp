#include "standins/ivi_config/store_parser.h"

#include <charconv>
#include <cstdint>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "standins/ivi_config/text.h"

namespace korvane::ivi_config {

StoreFormatError::StoreFormatError(int line, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ": " + reason),
      line_(line),
      reason_(reason) {}

namespace {

// A structure path holds at most this many structures.
constexpr std::size_t kMaxStructureDepth = 64;
// The virtual ranges of one session stand for at most this many names.
constexpr std::int64_t kMaxRangeNames = 10000;

enum class SectionKind { None, Store, LogicalName, HardwareAsset, SoftwareModule, Session };

constexpr std::pair<SectionKind, std::string_view> kSectionNames[] = {
    {SectionKind::Store, "Store"},
    {SectionKind::LogicalName, "LogicalName"},
    {SectionKind::HardwareAsset, "HardwareAsset"},
    {SectionKind::SoftwareModule, "SoftwareModule"},
    {SectionKind::Session, "Session"},
};

// A name one element mentions and another section must declare.
struct Reference {
  int line;
  SectionKind kind;
  std::string name;
};

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// The line without a comment at its end: a ';' or '#' after a blank, outside
// double quotes, starts one.
std::string_view StripComment(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    const bool afterBlank = i > 0 && (line[i - 1] == ' ' || line[i - 1] == '\t');
    if (!quoted && afterBlank && (line[i] == ';' || line[i] == '#')) return Trim(line.substr(0, i));
  }
  return line;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
  Number number{};
  const auto* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

std::optional<bool> ParseBoolean(std::string_view text) {
  if (EqualsIgnoringCase(text, "true") || text == "1") return true;
  if (EqualsIgnoringCase(text, "false") || text == "0") return false;
  return std::nullopt;
}

class Parser {
 public:
  StoreModel Run(std::string_view text);

 private:
  [[noreturn]] void Fail(const std::string& reason) const { throw StoreFormatError(line_, reason); }

  void Line(std::string_view line);
  void Header(std::string_view inside);
  void OpenOwner(SectionKind kind, std::string_view name);
  void OpenStructure(std::string_view owner, std::string_view path);
  void Entry(std::string_view key, std::string_view value);
  void ClaimKey(std::string_view key);
  // Notes a name that must be declared somewhere in the file; an empty name refers to nothing.
  void Refer(SectionKind kind, std::string_view name);

  void StoreEntry(std::string_view key, std::string_view value);
  void LogicalNameEntry(std::string_view key, std::string_view value);
  void AssetEntry(std::string_view key, std::string_view value);
  void ModuleEntry(std::string_view key, std::string_view value);
  void SessionEntry(std::string_view key, std::string_view value);
  bool SessionFlag(std::string_view key, std::string_view value);
  void VirtualNameEntry(std::string_view name, std::string_view mapTo);
  void VirtualRangeEntry(std::string_view name, std::string_view range);
  bool DataEntry(std::string_view key, std::string_view value);

  bool ParseFlag(std::string_view value) const;
  std::int32_t ParseInteger(std::string_view value) const;
  DataComponent MakeComponent(DataType type, std::string_view name, std::string_view value) const;
  std::vector<DataComponent>& OwnerComponents();
  std::vector<DataComponent>& CurrentComponents();
  void CheckReferences() const;

  // The names of every list (sections of a kind, components of an owner or
  // structure, a module's name table, a session's virtual names), so that
  // each lookup costs the same however long the file.
  static std::string ListKey(char list, std::size_t owner);
  const std::size_t* Find(const std::string& list, std::string_view name) const;
  void Insert(const std::string& list, std::string_view name, std::size_t index);
  std::string ComponentsKey() const;

  StoreModel model_;
  int line_ = 0;
  SectionKind kind_ = SectionKind::None;
  std::size_t index_ = 0;           // the current section's element in its list
  std::vector<std::string> path_;   // structure path of a data section, empty otherwise
  std::set<std::string> seenKeys_;  // settings of the current section, lower case
  std::vector<Reference> references_;
  std::unordered_map<std::string, std::size_t> names_;        // list key, '\n', name -> position
  std::unordered_map<std::size_t, std::int64_t> rangeNames_;  // session -> names of its ranges
};

std::string Parser::ListKey(char list, std::size_t owner) {
  return list + std::to_string(owner);
}

const std::size_t* Parser::Find(const std::string& list, std::string_view name) const {
  std::string key = list;
  key.append(1, '\n').append(name);
  const auto found = names_.find(key);
  return found == names_.end() ? nullptr : &found->second;
}

void Parser::Insert(const std::string& list, std::string_view name, std::size_t index) {
  std::string key = list;
  key.append(1, '\n').append(name);
  names_.emplace(std::move(key), index);
}

// The key of the components list the current section adds to: the owner's,
// or a structure's below it along path_.
std::string Parser::ComponentsKey() const {
  std::string key = ListKey(kind_ == SectionKind::Session ? 'C' : 'M', index_);
  for (const auto& name : path_) key.append(1, '/').append(name);
  return key;
}

StoreModel Parser::Run(std::string_view text) {
  while (!text.empty()) {
    ++line_;
    const auto end = text.find('\n');
    Line(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  CheckReferences();
  return std::move(model_);
}

void Parser::Line(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() == '#' || line.front() == ';') return;
  line = StripComment(line);
  if (line.front() == '[') {
    if (line.back() != ']') Fail("a section header must end with ']'");
    Header(line.substr(1, line.size() - 2));
    return;
  }
  if (kind_ == SectionKind::None) Fail("a setting before the first section");
  const auto [key, value, hasEquals] = SplitAt(line, '=');
  if (!hasEquals) Fail("expected 'key = value'");
  if (key.empty()) Fail("a setting without a key");
  Entry(key, Unquote(value));
}

void Parser::Header(std::string_view inside) {
  const auto [kindWord, rest, hasName] = SplitWord(inside);
  kind_ = SectionKind::None;
  for (const auto& [kind, word] : kSectionNames) {
    if (EqualsIgnoringCase(kindWord, word)) kind_ = kind;
  }
  if (kind_ == SectionKind::None) Fail("unknown section kind " + Quoted(kindWord));
  seenKeys_.clear();
  path_.clear();
  if (kind_ == SectionKind::Store) {
    if (hasName) Fail("the Store section takes no name");
    return;
  }
  const auto [name, path, hasPath] = SplitAt(rest, '/');
  if (name.empty()) Fail("the section needs a name");
  if (!hasPath) return OpenOwner(kind_, name);
  if (kind_ != SectionKind::Session && kind_ != SectionKind::SoftwareModule) {
    Fail("only sessions and software modules hold data components");
  }
  OpenStructure(name, path);
}

void Parser::OpenOwner(SectionKind kind, std::string_view name) {
  const auto open = [&](auto& list) {
    const std::string key = ListKey('S', static_cast<std::size_t>(kind));
    if (Find(key, name) != nullptr) Fail("a second section named " + Quoted(name));
    list.emplace_back().name = name;
    index_ = list.size() - 1;
    Insert(key, name, index_);
  };
  switch (kind) {
    case SectionKind::LogicalName:
      return open(model_.logicalNames);
    case SectionKind::HardwareAsset:
      return open(model_.hardwareAssets);
    case SectionKind::SoftwareModule:
      return open(model_.softwareModules);
    case SectionKind::Session:
      return open(model_.sessions);
    default:
      return;
  }
}

void Parser::OpenStructure(std::string_view owner, std::string_view path) {
  const auto* found = Find(ListKey('S', static_cast<std::size_t>(kind_)), owner);
  if (found == nullptr) Fail(Quoted(owner) + " must be declared above its data components");
  index_ = *found;

  auto* components = &OwnerComponents();
  for (auto rest = SplitAt(path, '/');; rest = SplitAt(rest.tail, '/')) {
    if (rest.head.empty()) Fail("an empty structure name in the section path");
    if (path_.size() == kMaxStructureDepth) {
      Fail("structures nest at most " + std::to_string(kMaxStructureDepth) + " levels deep");
    }
    const std::string key = ComponentsKey();
    const auto* position = Find(key, rest.head);
    DataComponent* structure = nullptr;
    if (position == nullptr) {
      Insert(key, rest.head, components->size());
      structure = &components->emplace_back();
      structure->name = rest.head;
      structure->type = DataType::Structure;
    } else {
      structure = &(*components)[*position];
      if (structure->type != DataType::Structure) Fail(Quoted(rest.head) + " is not a Structure");
    }
    path_.emplace_back(rest.head);
    components = &structure->components;
    if (!rest.found) break;
  }
}

std::vector<DataComponent>& Parser::OwnerComponents() {
  return kind_ == SectionKind::Session ? model_.sessions[index_].dataComponents
                                       : model_.softwareModules[index_].dataComponents;
}

std::vector<DataComponent>& Parser::CurrentComponents() {
  auto* components = &OwnerComponents();
  std::string key = ListKey(kind_ == SectionKind::Session ? 'C' : 'M', index_);
  for (const auto& name : path_) {
    components = &(*components)[*Find(key, name)].components;
    key.append(1, '/').append(name);
  }
  return *components;
}

void Parser::ClaimKey(std::string_view key) {
  std::string lower;
  for (char c : key) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  if (!seenKeys_.insert(lower).second) Fail(Quoted(key) + " is set twice");
}

void Parser::Refer(SectionKind kind, std::string_view name) {
  if (!name.empty()) references_.push_back({line_, kind, std::string(name)});
}

void Parser::Entry(std::string_view key, std::string_view value) {
  if (!path_.empty()) {
    if (!DataEntry(key, value)) Fail("expected '<type> <name> = <value>', not " + Quoted(key));
    return;
  }
  switch (kind_) {
    case SectionKind::Store:
      return StoreEntry(key, value);
    case SectionKind::LogicalName:
      return LogicalNameEntry(key, value);
    case SectionKind::HardwareAsset:
      return AssetEntry(key, value);
    case SectionKind::SoftwareModule:
      return ModuleEntry(key, value);
    case SectionKind::Session:
      return SessionEntry(key, value);
    case SectionKind::None:
      return;
  }
}

void Parser::StoreEntry(std::string_view key, std::string_view value) {
  if (!EqualsIgnoringCase(key, "MissingItem")) Fail("unknown Store setting " + Quoted(key));
  ClaimKey(key);
  if (EqualsIgnoringCase(value, "Fail")) {
    model_.missingItem = MissingItem::Fail;
  } else if (EqualsIgnoringCase(value, "Succeed")) {
    model_.missingItem = MissingItem::Succeed;
  } else {
    Fail("MissingItem is Fail or Succeed, not " + Quoted(value));
  }
}

void Parser::LogicalNameEntry(std::string_view key, std::string_view value) {
  if (!EqualsIgnoringCase(key, "Session")) Fail("unknown LogicalName setting " + Quoted(key));
  ClaimKey(key);
  model_.logicalNames[index_].session = value;
  Refer(SectionKind::Session, value);
}

void Parser::AssetEntry(std::string_view key, std::string_view value) {
  if (!EqualsIgnoringCase(key, "IOResourceDescriptor")) {
    Fail("unknown HardwareAsset setting " + Quoted(key));
  }
  ClaimKey(key);
  model_.hardwareAssets[index_].ioResourceDescriptor = value;
}

void Parser::ModuleEntry(std::string_view key, std::string_view value) {
  const auto [word, name, hasName] = SplitWord(key);
  if (EqualsIgnoringCase(word, "Name") && hasName) {
    auto& table = model_.softwareModules[index_].nameTable;
    const std::string list = ListKey('N', index_);
    if (Find(list, name) != nullptr) Fail("name " + Quoted(name) + " is listed twice");
    Insert(list, name, table.size());
    table.push_back({std::string(name), std::string(value)});
    return;
  }
  if (!DataEntry(key, value)) Fail("unknown SoftwareModule setting " + Quoted(key));
}

void Parser::SessionEntry(std::string_view key, std::string_view value) {
  auto& session = model_.sessions[index_];
  const auto [word, name, hasName] = SplitWord(key);
  if (hasName && EqualsIgnoringCase(word, "VirtualName")) return VirtualNameEntry(name, value);
  if (hasName && EqualsIgnoringCase(word, "VirtualRange")) return VirtualRangeEntry(name, value);
  if (hasName && DataEntry(key, value)) return;
  if (SessionFlag(key, value)) return;
  ClaimKey(key);
  if (EqualsIgnoringCase(key, "DriverSetup")) {
    session.driverSetup = value;
  } else if (EqualsIgnoringCase(key, "HardwareAsset")) {
    session.hardwareAsset = value;
    Refer(SectionKind::HardwareAsset, value);
  } else if (EqualsIgnoringCase(key, "SoftwareModule")) {
    session.softwareModule = value;
    Refer(SectionKind::SoftwareModule, value);
  } else {
    Fail("unknown Session setting " + Quoted(key));
  }
}

bool Parser::SessionFlag(std::string_view key, std::string_view value) {
  auto& session = model_.sessions[index_];
  const std::pair<std::string_view, bool*> flags[] = {
      {"Cache", &session.cache},
      {"InterchangeCheck", &session.interchangeCheck},
      {"QueryInstrStatus", &session.queryInstrStatus},
      {"RangeCheck", &session.rangeCheck},
      {"RecordCoercions", &session.recordCoercions},
      {"Simulate", &session.simulate},
  };
  for (const auto& [name, flag] : flags) {
    if (!EqualsIgnoringCase(key, name)) continue;
    ClaimKey(key);
    *flag = ParseFlag(value);
    return true;
  }
  return false;
}

void Parser::VirtualNameEntry(std::string_view name, std::string_view mapTo) {
  auto& names = model_.sessions[index_].virtualNames;
  const std::string list = ListKey('V', index_);
  if (Find(list, name) != nullptr) Fail("virtual name " + Quoted(name) + " is set twice");
  Insert(list, name, names.size());
  names.push_back({std::string(name), std::string(mapTo), {}});
}

void Parser::VirtualRangeEntry(std::string_view name, std::string_view range) {
  const auto* position = Find(ListKey('V', index_), name);
  if (position == nullptr) Fail("VirtualRange for " + Quoted(name) + " before its VirtualName");
  auto& virtualName = model_.sessions[index_].virtualNames[*position];
  const auto [bounds, start, hasStart] = SplitWord(range);
  const auto [low, high, hasDash] = SplitAt(bounds, '-');
  if (!hasDash) Fail("a range is '<min>-<max>' or '<min>-<max> starting <index>'");
  VirtualRange parsed{ParseInteger(low), ParseInteger(high), 0};
  if (parsed.min > parsed.max) Fail("the range's min is above its max");
  parsed.startingPhysicalIndex = parsed.min;
  if (hasStart) {
    const auto [word, index, hasIndex] = SplitWord(start);
    if (!EqualsIgnoringCase(word, "starting") || !hasIndex) {
      Fail("a range is '<min>-<max>' or '<min>-<max> starting <index>'");
    }
    parsed.startingPhysicalIndex = ParseInteger(index);
  }
  const std::int64_t count = std::int64_t{parsed.max} - parsed.min + 1;
  if (std::int64_t{parsed.startingPhysicalIndex} + count - 1 > INT32_MAX) {
    Fail("the range's physical indexes run past " + std::to_string(INT32_MAX));
  }
  std::int64_t& total = rangeNames_[index_];
  total += count;
  if (total > kMaxRangeNames) {
    Fail("the virtual ranges of session " + Quoted(model_.sessions[index_].name) +
         " stand for more than " + std::to_string(kMaxRangeNames) + " names");
  }
  virtualName.ranges.push_back(parsed);
}

bool Parser::DataEntry(std::string_view key, std::string_view value) {
  const auto [typeWord, name, hasName] = SplitWord(key);
  const auto type = DataTypeFromName(typeWord);
  if (!type || !hasName) return false;
  if (*type == DataType::Structure) Fail("a Structure is declared as a section [<owner> / <path>]");
  auto& components = CurrentComponents();
  const std::string list = ComponentsKey();
  if (Find(list, name) != nullptr) Fail("data component " + Quoted(name) + " is declared twice");
  components.push_back(MakeComponent(*type, name, value));
  Insert(list, name, components.size() - 1);
  return true;
}

DataComponent Parser::MakeComponent(DataType type, std::string_view name,
                                    std::string_view value) const {
  DataComponent component;
  component.name = name;
  component.type = type;
  switch (type) {
    case DataType::Boolean:
      component.value = ParseFlag(value);
      break;
    case DataType::Integer:
      component.value = ParseInteger(value);
      break;
    case DataType::Real: {
      const auto real = ParseNumber<double>(value);
      if (!real) Fail(Quoted(value) + " is not a Real");
      component.value = *real;
      break;
    }
    case DataType::String:
    case DataType::ApiReference:
      component.value = std::string(value);
      break;
    case DataType::Structure:
      break;
  }
  return component;
}

bool Parser::ParseFlag(std::string_view value) const {
  const auto flag = ParseBoolean(value);
  if (!flag) Fail(Quoted(value) + " is not a Boolean (true, false, 1, 0)");
  return *flag;
}

std::int32_t Parser::ParseInteger(std::string_view value) const {
  const auto number = ParseNumber<std::int32_t>(value);
  if (!number) Fail(Quoted(value) + " is not a 32-bit Integer");
  return *number;
}

void Parser::CheckReferences() const {
  for (const auto& logical : model_.logicalNames) {
    if (logical.session.empty()) {
      throw StoreFormatError(line_, "logical name " + Quoted(logical.name) + " names no Session");
    }
  }
  for (const auto& reference : references_) {
    const bool found =
        Find(ListKey('S', static_cast<std::size_t>(reference.kind)), reference.name) != nullptr;
    if (!found) throw StoreFormatError(reference.line, Quoted(reference.name) + " is not declared");
  }
}

}  // namespace

StoreModel ParseStore(std::string_view text) {
  return Parser().Run(text);
}

}  // namespace korvane::ivi_config
