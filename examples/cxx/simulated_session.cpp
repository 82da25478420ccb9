// A C++ client of the installed driver: a simulated session that closes
// itself, the voltage of every rail beside its expected value.
#include <Korvane.h>

#include <iostream>
#include <stdexcept>
#include <string>

namespace {

class Session {
 public:
  explicit Session(const char* resource) {
    Check(Korvane_InitWithOptions(const_cast<ViChar*>(resource), VI_FALSE, VI_FALSE,
                                  "Simulate=true", &vi_));
  }
  ~Session() { Korvane_close(vi_); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ViInt32 Int32(ViAttr id) {
    ViInt32 value = 0;
    Check(Korvane_GetAttributeViInt32(vi_, "", id, &value));
    return value;
  }
  ViReal64 Real64(const std::string& instance, ViAttr id) {
    ViReal64 value = 0;
    Check(Korvane_GetAttributeViReal64(vi_, instance.c_str(), id, &value));
    return value;
  }
  std::string RailName(ViInt32 index) {
    const ViStatus needed = Korvane_GetVoltageRailName(vi_, index, 0, nullptr);
    Check(needed);
    std::string name(static_cast<size_t>(needed), '\0');
    Check(Korvane_GetVoltageRailName(vi_, index, needed, name.data()));
    name.resize(name.find('\0'));
    return name;
  }

 private:
  void Check(ViStatus status) {
    if (status >= VI_SUCCESS) return;
    ViStatus code = status;
    ViChar description[256] = "";
    Korvane_GetError(vi_, &code, sizeof description, description);
    throw std::runtime_error(description);
  }

  ViSession vi_ = VI_NULL;
};

}  // namespace

int main(int argc, char** argv) try {
  Session session(argc > 1 ? argv[1] : "PXI0::0::INSTR");
  const ViInt32 rails = session.Int32(KORVANE_ATTR_VOLTAGE_RAILS_COUNT);
  for (ViInt32 index = 1; index <= rails; ++index) {
    const std::string rail = session.RailName(index);
    std::cout << rail << ' ' << session.Real64(rail, KORVANE_ATTR_VOLTAGE_RAIL_VOLTAGE) << " V of "
              << session.Real64(rail, KORVANE_ATTR_VOLTAGE_RAIL_EXPECTED_VOLTAGE) << " V\n";
  }
  return 0;
} catch (const std::exception& error) {
  std::cerr << "failed: " << error.what() << '\n';
  return 1;
}
