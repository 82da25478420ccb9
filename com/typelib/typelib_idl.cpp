// Writes the IDL of a type library from the member catalogue and the type
// library's table beside it, for the IDL compiler, and the module's registry
// scripts from the same identifiers. A program of the build machine: it reads
// only the catalogue's macros, no platform header.
//
//   typelib_idl korvane OUT.idl   the driver's library, KorvaneLib
//   typelib_idl ivi OUT.idl       the stand-in of the IVI inherent library
//   typelib_idl 102 OUT.rgs       registry script 102 (101: the application)
//   typelib_idl complete COMPILED.tlb IVI.tlb OUT.tlb
//                                 the compiled KorvaneLib with its co-classes'
//                                 whole lists (coclass_imports.h)
//   typelib_idl wix OUT.wxi FILE HELPDIR
//                                 what registration writes, as the installer's
//                                 registry rows: the module is the installer's
//                                 file FILE, its folder the installer's text
//                                 HELPDIR (without the final backslash)
//
// Dispatch ids follow the usual rule of custom interfaces: 0x60000000, plus
// the interface's depth below IUnknown times 0x10000, plus the member's
// place among the interface's own members; a property's put shares its get's
// id. Pointer results named val become "[out, retval] Val"; the members
// flagged InOut take their pointers in and out; a put's value has no name.

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "com/catalogue.h"
#include "com/identifier_texts.h"
#include "com/type_library.h"
#include "com/typelib/coclass_imports.h"
#include "com/typelib/wix_registry.h"

namespace {

struct Member {
  std::string name;    // as in the vtable: get_Count, put_MaxTemp, Clear
  std::string flags;   // the catalogue's flags
  std::string params;  // the parameter declarations, in parentheses
};

struct Interface {
  std::string name;
  std::string base;
  std::string iid;  // in braces
  std::vector<Member> members;
};

struct Enumeration {
  std::string name;
  int helpContext;
  std::string help;
  std::vector<std::pair<std::string, unsigned long>> values;
};

struct CoClass {
  std::string name;
  std::string clsid;
  int helpContext;
  int script;
  std::string progId;  // version-independent
  std::vector<std::string> interfaces;
};

struct InterfaceHelp {
  int helpContext;
  std::string help;
};

#define KORVANE_GEN_MEMBER(Interface, Member, Flags, Params, Args) {#Member, #Flags, #Params},
#define KORVANE_GEN_INTERFACE(Interface, Base, Iid, Kind) \
  {#Interface, #Base, Iid, {KORVANE_MEMBERS_##Interface(KORVANE_GEN_MEMBER)}},
const std::vector<Interface> kInterfaces = {KORVANE_INTERFACES(KORVANE_GEN_INTERFACE)};
#undef KORVANE_GEN_INTERFACE
#undef KORVANE_GEN_MEMBER

#define KORVANE_GEN_INTERFACE_HELP(Interface, Context, Help) {#Interface, {Context, Help}},
const std::map<std::string, InterfaceHelp> kInterfaceHelp = {
    KORVANE_TYPELIB_INTERFACES(KORVANE_GEN_INTERFACE_HELP)};
#undef KORVANE_GEN_INTERFACE_HELP

#define KORVANE_GEN_HELP(Interface, Property, Help) {#Interface "." #Property, Help},
const std::map<std::string, std::string> kMemberHelp = {KORVANE_TYPELIB_HELP(KORVANE_GEN_HELP)};
#undef KORVANE_GEN_HELP

#define KORVANE_GEN_VALUE(Name, Value) {#Name, Value},
#define KORVANE_GEN_ENUM(Enumeration, Context, Help) \
  {#Enumeration, Context, Help, {KORVANE_ENUM_##Enumeration(KORVANE_GEN_VALUE)}},
const std::vector<Enumeration> kEnumerations = {KORVANE_TYPELIB_ENUMS(KORVANE_GEN_ENUM)};
#undef KORVANE_GEN_ENUM
#undef KORVANE_GEN_VALUE

#define KORVANE_GEN_FACE(Interface, Via) #Interface,
#define KORVANE_GEN_COCLASS(Class, ClsidText, Context, Script, ProgId) \
  {#Class, korvane::ClsidText, Context, Script, ProgId, {KORVANE_FACES_##Class(KORVANE_GEN_FACE)}},
const std::vector<CoClass> kCoClasses = {KORVANE_COCLASSES(KORVANE_GEN_COCLASS)};
#undef KORVANE_GEN_COCLASS
#undef KORVANE_GEN_FACE

[[noreturn]] void Fail(const std::string& why) {
  std::cerr << "typelib_idl: " << why << "\n";
  std::exit(1);
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string Unbraced(const std::string& guid) {
  return guid.substr(1, guid.size() - 2);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The property or method name a member shows: get_Count and put_Count are Count.
std::string ShownName(const std::string& member) {
  return StartsWith(member, "get_") || StartsWith(member, "put_") ? member.substr(4) : member;
}

const Interface& FindInterface(const std::string& name) {
  for (const Interface& candidate : kInterfaces) {
    if (candidate.name == name) return candidate;
  }
  Fail("no interface " + name + " in the catalogue");
}

int Depth(const Interface& interface) {
  return interface.base == "IUnknown" ? 1 : 1 + Depth(FindInterface(interface.base));
}

struct Parameter {
  std::string type;  // without blanks before the stars: "IKorvaneFans**"
  std::string name;
};

std::vector<Parameter> SplitParameters(const std::string& params) {
  std::vector<Parameter> result;
  std::string inner = params.substr(1, params.size() - 2);
  std::stringstream stream(inner);
  std::string declaration;
  while (std::getline(stream, declaration, ',')) {
    declaration = Trim(declaration);
    if (declaration.empty()) continue;
    const auto split = declaration.find_last_of(" *");
    if (split == std::string::npos) Fail("unnamed parameter in " + params);
    Parameter parameter{"", declaration.substr(split + 1)};
    for (char c : declaration.substr(0, split + 1)) {
      if (c != ' ' || (!parameter.type.empty() && parameter.type.back() != '*'))
        parameter.type += c;
    }
    parameter.type = Trim(parameter.type);
    while (parameter.type.find(" *") != std::string::npos)
      parameter.type.erase(parameter.type.find(" *"), 1);
    result.push_back(parameter);
  }
  return result;
}

std::string ParameterText(const Member& member, const Parameter& parameter, bool last) {
  const bool pointer = parameter.type.back() == '*';
  if (member.flags == "InOut" && pointer)
    return "[in, out] " + parameter.type + " " + parameter.name;
  if (last && pointer && parameter.name == "val") return "[out, retval] " + parameter.type + " Val";
  if (StartsWith(member.name, "put_")) return "[in] " + parameter.type;
  return "[in] " + parameter.type + " " + parameter.name;
}

void WriteInterface(std::ostream& out, const Interface& interface, bool own,
                    std::set<std::string>& helpUsed) {
  out << "  [\n    object,\n    uuid(" << Unbraced(interface.iid) << "),\n";
  if (own) {
    const auto help = kInterfaceHelp.find(interface.name);
    out << "    helpstring(" << Quoted(help->second.help) << "),\n    helpcontext("
        << help->second.helpContext << "),\n";
  }
  out << "    oleautomation\n  ]\n  interface " << interface.name << " : " << interface.base
      << " {\n";
  const unsigned long base = 0x60000000UL + 0x10000UL * Depth(interface);
  std::map<std::string, unsigned long> getIds;
  for (std::size_t index = 0; index < interface.members.size(); ++index) {
    const Member& member = interface.members[index];
    const std::string shown = ShownName(member.name);
    unsigned long id = base + index;
    if (StartsWith(member.name, "put_") && getIds.count(shown) != 0) id = getIds[shown];
    if (StartsWith(member.name, "get_")) getIds[shown] = id;
    char idText[16];
    std::snprintf(idText, sizeof idText, "0x%08lx", id);
    out << "    [";
    if (StartsWith(member.name, "get_")) out << "propget, ";
    if (StartsWith(member.name, "put_")) out << "propput, ";
    out << "id(" << idText << ")";
    const auto help = kMemberHelp.find(interface.name + "." + shown);
    if (own && help != kMemberHelp.end()) {
      out << ", helpstring(" << Quoted(help->second) << ")";
      helpUsed.insert(help->first);
    }
    out << "]\n    HRESULT " << shown << "(";
    const std::vector<Parameter> parameters = SplitParameters(member.params);
    for (std::size_t p = 0; p < parameters.size(); ++p) {
      if (p != 0) out << ", ";
      out << ParameterText(member, parameters[p], p + 1 == parameters.size());
    }
    out << ");\n";
  }
  out << "  };\n\n";
}

void WriteEnumeration(std::ostream& out, const Enumeration& enumeration) {
  out << "  typedef [helpcontext(" << enumeration.helpContext << ")";
  if (!enumeration.help.empty()) out << ", helpstring(" << Quoted(enumeration.help) << ")";
  out << "]\n  enum " << enumeration.name << " {\n";
  for (std::size_t i = 0; i < enumeration.values.size(); ++i) {
    char value[16];
    std::snprintf(value, sizeof value, "0x%08lx", enumeration.values[i].second);
    out << "    " << enumeration.values[i].first << " = " << value
        << (i + 1 < enumeration.values.size() ? ",\n" : "\n");
  }
  out << "  } " << enumeration.name << ";\n\n";
}

// The co-class lists the interfaces of our own library. The IDL compiler
// copies an imported interface that a co-class names into the library, so
// the IVI inherent interfaces, which the imported library describes, are left
// out here and added to the compiled library (Complete below).
void WriteCoClass(std::ostream& out, const CoClass& coClass) {
  out << "  [\n    uuid(" << Unbraced(coClass.clsid) << "),\n    helpcontext("
      << coClass.helpContext << ")\n  ]\n  coclass " << coClass.name << " {\n";
  bool first = true;
  for (const std::string& name : coClass.interfaces) {
    FindInterface(name);
    if (kInterfaceHelp.count(name) == 0) continue;
    out << "    " << (first ? "[default] " : "") << "interface " << name << ";\n";
    first = false;
  }
  out << "  };\n\n";
}

void WriteKorvaneLibrary(std::ostream& out) {
  for (const auto& [name, help] : kInterfaceHelp) FindInterface(name);
  out << "import \"oaidl.idl\";\nimport \"ivi_driver.idl\";\n\n";
  for (const auto& [name, help] : kInterfaceHelp) out << "interface " << name << ";\n";
  out << "\n[\n  uuid(" << Unbraced(korvane::kLibidKorvaneText) << "),\n  version("
      << KORVANE_TYPELIB_MAJOR << "." << KORVANE_TYPELIB_MINOR << "),\n  lcid("
      << KORVANE_TYPELIB_LCID << "),\n  helpstring(" << Quoted(KORVANE_TYPELIB_HELPSTRING)
      << "),\n  helpfile(" << Quoted(KORVANE_TYPELIB_HELPFILE)
      << ")\n]\nlibrary " KORVANE_TYPELIB_NAME " {\n"
      << "  importlib(\"stdole2.tlb\");\n  importlib(\"IviDriverTypeLib.dll\");\n\n";
  for (const Enumeration& enumeration : kEnumerations) WriteEnumeration(out, enumeration);
  std::set<std::string> helpUsed;
  for (const Interface& interface : kInterfaces) {
    if (kInterfaceHelp.count(interface.name) != 0) WriteInterface(out, interface, true, helpUsed);
  }
  for (const auto& [key, help] : kMemberHelp) {
    if (helpUsed.count(key) == 0) Fail("help string for " + key + " names no member");
    if (help.size() > 255) Fail("help string for " + key + " is longer than 255 characters");
  }
  for (const CoClass& coClass : kCoClasses) WriteCoClass(out, coClass);
  out << "}\n";
}

// The IVI interfaces stand outside the library block, so that our library's
// IDL imports their declarations while its type library refers to the
// compiled stand-in.
void WriteIviLibrary(std::ostream& out) {
  out << "import \"oaidl.idl\";\n\n";
  std::set<std::string> unused;
  for (const Interface& interface : kInterfaces) {
    if (kInterfaceHelp.count(interface.name) == 0) out << "interface " << interface.name << ";\n";
  }
  out << "\n";
  for (const Interface& interface : kInterfaces) {
    if (kInterfaceHelp.count(interface.name) == 0) WriteInterface(out, interface, false, unused);
  }
  out << "[\n  uuid(" << Unbraced(korvane::kLibidIviDriverTypeLibText)
      << "),\n  version(1.0),\n  helpstring(\"IviDriver 1.0 Type Library\")\n]\n"
      << "library IviDriverTypeLib {\n  importlib(\"stdole2.tlb\");\n\n";
  for (const Interface& interface : kInterfaces) {
    if (kInterfaceHelp.count(interface.name) == 0) out << "  interface " << interface.name << ";\n";
  }
  out << "}\n";
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The application's script: its id under AppID, and the module's name
// pointing at it.
void WriteAppIdScript(std::ostream& out) {
  out << "HKCR\n{\n\tNoRemove AppID\n\t{\n\t\t'%APPID%' = s '" KORVANE_APPID_NAME "'\n"
      << "\t\t'" KORVANE_MODULE_FILE "'\n\t\t{\n\t\t\tval AppID = s '%APPID%'\n\t\t}\n"
      << "\t}\n}\n";
}

// A class's script: both ProgIDs, and the class's key, replaced whole.
void WriteClassScript(std::ostream& out, const CoClass& coClass) {
  const std::string clsid = Lower(coClass.clsid);
  const std::string description = coClass.name + " Class";
  const std::string versioned = coClass.progId + ".1";
  out << "HKCR\n{\n"
      << "\t" << versioned << " = s '" << description << "'\n\t{\n\t\tCLSID = s '" << clsid
      << "'\n\t}\n"
      << "\t" << coClass.progId << " = s '" << description << "'\n\t{\n\t\tCLSID = s '" << clsid
      << "'\n\t\tCurVer = s '" << versioned << "'\n\t}\n"
      << "\tNoRemove CLSID\n\t{\n\t\tForceRemove '" << clsid << "' = s '" << description
      << "'\n\t\t{\n"
      << "\t\t\tProgID = s '" << versioned << "'\n"
      << "\t\t\tVersionIndependentProgID = s '" << coClass.progId << "'\n"
      << "\t\t\tInprocServer32 = s '%MODULE%'\n\t\t\t{\n"
      << "\t\t\t\tval ThreadingModel = s 'Both'\n\t\t\t}\n"
      << "\t\t\tval AppID = s '%APPID%'\n"
      << "\t\t\tTypeLib = s '" << Lower(korvane::kLibidKorvaneText) << "'\n"
      << "\t\t}\n\t}\n}\n";
}

void WriteScript(std::ostream& out, int number) {
  if (number == KORVANE_APPID_SCRIPT) return WriteAppIdScript(out);
  for (const CoClass& coClass : kCoClasses) {
    if (coClass.script == number) return WriteClassScript(out, coClass);
  }
  Fail("no registry script " + std::to_string(number));
}

}  // namespace

std::string ReadFile(const char* path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  if (!file) Fail(std::string("cannot read ") + path);
  return bytes.str();
}

// Gives the compiled library's co-classes the catalogue's whole lists.
std::string Complete(const char* compiled, const char* ivi) {
  std::vector<korvane::typelib::CoClassInterfaces> lists;
  for (const CoClass& coClass : kCoClasses) lists.push_back({coClass.name, coClass.interfaces});
  try {
    return korvane::typelib::CompleteCoClasses(ReadFile(compiled), ReadFile(ivi), lists);
  } catch (const std::exception& error) {
    Fail(error.what());
  }
}

// Registration as the installer writes it: the application's and the classes' scripts, as
// the module runs them, then the type library (whose own interfaces are automation ones).
std::string WixRegistry(const std::string& file, const std::string& helpDirectory) {
  const std::string module = "[#" + file + "]";
  const std::vector<std::pair<std::string, std::string>> variables = {
      {"MODULE", module},
      {"Module", module},
      {"Module_Raw", module},
      {"APPID", Lower(korvane::kAppidKorvaneText)}};
  std::vector<int> scripts = {KORVANE_APPID_SCRIPT};
  for (const CoClass& coClass : kCoClasses) scripts.push_back(coClass.script);
  std::vector<korvane::typelib::RegistryRow> rows;
  try {
    for (int number : scripts) {
      std::ostringstream script;
      WriteScript(script, number);
      for (auto& row : korvane::typelib::ScriptRows(script.str(), variables)) rows.push_back(row);
    }
  } catch (const std::exception& error) {
    Fail(error.what());
  }
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "%x", static_cast<unsigned>(KORVANE_TYPELIB_LCID));
  korvane::typelib::TypeLibraryRows library;
  library.libraryId = korvane::kLibidKorvaneText;
  library.version =
      std::to_string(KORVANE_TYPELIB_MAJOR) + "." + std::to_string(KORVANE_TYPELIB_MINOR);
  library.lcidHex = lcid;
  library.help = KORVANE_TYPELIB_HELPSTRING;
  library.path = module;
  library.helpDirectory = helpDirectory;
  for (const Interface& interface : kInterfaces) {
    if (kInterfaceHelp.count(interface.name) != 0) {
      library.interfaces.emplace_back(interface.iid, interface.name);
    }
  }
  for (auto& row : korvane::typelib::TypeLibraryRegistration(library)) rows.push_back(row);
  return korvane::typelib::WixInclude(rows);
}

int main(int argc, char** argv) {
  if (argc == 5 && std::string_view(argv[1]) == "wix") {
    std::ofstream file(argv[2], std::ios::binary);
    file << WixRegistry(argv[3], argv[4]);
    if (!file.flush()) Fail(std::string("cannot write ") + argv[2]);
    return 0;
  }
  if (argc == 5 && std::string_view(argv[1]) == "complete") {
    std::ofstream file(argv[4], std::ios::binary);
    file << Complete(argv[2], argv[3]);
    if (!file.flush()) Fail(std::string("cannot write ") + argv[4]);
    return 0;
  }
  if (argc != 3) Fail("usage: typelib_idl korvane|ivi|<script number> OUT");
  const std::string which = argv[1];
  std::ostringstream idl;
  if (which == "korvane" || which == "ivi")
    idl << "// Generated from the member catalogue by typelib_idl; do not edit.\n\n";
  if (!which.empty() && std::isdigit(static_cast<unsigned char>(which[0]))) {
    WriteScript(idl, std::stoi(which));
  } else if (which == "korvane") {
    WriteKorvaneLibrary(idl);
  } else if (which == "ivi") {
    WriteIviLibrary(idl);
  } else {
    Fail("unknown library " + which);
  }
  std::ofstream file(argv[2], std::ios::binary);
  file << idl.str();
  if (!file.flush()) Fail(std::string("cannot write ") + argv[2]);
  return 0;
}
