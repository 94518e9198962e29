// The presence marker written at every start.
#include <gtest/gtest.h>

#include "scripted_sim.h"

using testing_support::NoWelcomeSim;
using testing_support::RunProgram;
using testing_support::ScriptedSim;

namespace {

const char kKey[] = "HKCU\\Software\\Korvanta\\Velumen";
using Bytes = std::vector<std::uint8_t>;

std::vector<std::string> Functions(const ScriptedSim& sim) {
  std::vector<std::string> names;
  for (const auto& c : sim.registry.calls) names.push_back(c.function);
  return names;
}

TEST(Registry, EveryStartMakesTheFourteenCallsWithTheirArguments) {
  NoWelcomeSim sim;
  sim.ThenKeyRelease(vcl::kVkEscape);
  EXPECT_EQ(RunProgram(sim), 0);

  const std::vector<std::string> one = {"RegCreateKeyExA", "RegCreateKeyExA", "RegCloseKey",
                                        "RegOpenKeyExA",   "RegSetValueExA",  "RegCloseKey",
                                        "RegCloseKey"};
  std::vector<std::string> both = one;
  both.insert(both.end(), one.begin(), one.end());
  EXPECT_EQ(Functions(sim), both);

  // Per call of one write: which earlier call's handle it acts on (-1: the
  // root), the sub-key, and the options and access it asks for.
  constexpr std::uint32_t kAll = 0xF003F;  // KEY_ALL_ACCESS
  const struct {
    int on;
    const char* sub_key;
    std::uint32_t options;
    std::uint32_t access;
  } expected[7] = {
      {-1, "Software\\Korvanta\\Velumen", 0, kAll},  // REG_OPTION_NON_VOLATILE
      {0, "", 0, kAll},
      {1, nullptr, 0, 0},
      {0, "", 0, kAll},
      {3, nullptr, 0, 0},
      {3, nullptr, 0, 0},
      {0, nullptr, 0, 0},
  };
  for (int write = 0; write < 2; ++write) {
    const auto* c = &sim.registry.calls[write * 7];
    for (int i = 0; i < 7; ++i) {
      SCOPED_TRACE(testing::Message() << "write " << write << ", call " << i << " "
                                      << c[i].function);
      const auto& want = expected[i];
      EXPECT_EQ(c[i].key, want.on < 0 ? vcl::kHKeyCurrentUser : c[want.on].result);
      if (want.sub_key != nullptr) {
        EXPECT_EQ(c[i].name, want.sub_key);
      }
      EXPECT_EQ(c[i].options, want.options);
      EXPECT_EQ(c[i].access, want.access);
    }
    EXPECT_EQ(c[4].type, 1u);  // REG_SZ
  }
  EXPECT_EQ(sim.registry.calls[4].name, "prisoten");
  EXPECT_EQ(sim.registry.calls[4].data, (Bytes{0x6A, 0x61, 0, 0}));
  EXPECT_EQ(sim.registry.calls[11].name, "verzija");
  EXPECT_EQ(sim.registry.calls[11].data, (Bytes{0x31, 0x2E, 0x33, 0, 0}));
  EXPECT_EQ(sim.registry.open_handles(), 0);

  ASSERT_TRUE(sim.registry.keys.count(kKey));
  EXPECT_EQ(sim.registry.keys.at(kKey).size(), 2u);
  EXPECT_TRUE(sim.registry.keys.count("HKCU\\Software\\Korvanta"));
}

TEST(Registry, LeavesWhatOthersPutInTheKeyAndOverwritesItsOwn) {
  NoWelcomeSim sim;
  sim.registry.keys[kKey]["other"] = {1, {'x', 0}};
  sim.registry.keys[kKey]["prisoten"] = {1, {'n', 'e', 0}};
  sim.registry.keys[std::string(kKey) + "\\Sub"]["v"] = {4, {1, 0, 0, 0}};
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(sim.registry.keys.at(kKey).at("other").data, (Bytes{'x', 0}));
  EXPECT_EQ(sim.registry.keys.at(kKey).at("prisoten").data, (Bytes{0x6A, 0x61, 0, 0}));
  EXPECT_EQ(sim.registry.keys.at(std::string(kKey) + "\\Sub").size(), 1u);
}

TEST(Registry, EachFailingStepIsReportedOrNotAndStartUpGoesOn) {
  struct Row {
    int failing_call;  // 1-based, over the whole start
    const char* message;  // what the error box shows, or "" for none
    bool prisoten_set;
    bool verzija_set;
  } rows[] = {
      {1, "Failed to create key Software\\Korvanta\\Velumen.", false, false},
      {2, "Failed to create key ", false, false},
      {4, "", false, true},  // no value handle: silently unset
      {5, "Failed to set data for 'prisoten'", false, false},
      {8, "Failed to create key Software\\Korvanta\\Velumen.", true, false},
      {12, "Failed to set data for 'verzija'", true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.failing_call);
    ScriptedSim sim;  // with the welcome box
    sim.faults.failing_registry_call = row.failing_call;
    bool screen_hidden_during_error = false;
    if (*row.message) {
      sim.Then([&](ScriptedSim& s) {
        screen_hidden_during_error = !s.Screen().visible;
      });
      sim.ThenDismissMessageBox();
    }
    bool welcome_open = false;
    sim.Then([&](ScriptedSim& s) { welcome_open = s.OpenBox() != 0; });
    sim.ThenKeyPress(vcl::kVkReturn);
    sim.ThenKeyRelease(vcl::kVkEscape);
    EXPECT_EQ(RunProgram(sim), 0);
    EXPECT_FALSE(sim.script_ran_out);

    if (*row.message) {
      ASSERT_EQ(sim.message_boxes().size(), 1u);
      EXPECT_EQ(sim.message_boxes()[0].text, row.message);
      EXPECT_EQ(sim.message_boxes()[0].caption, "Velumen");
      EXPECT_TRUE(screen_hidden_during_error) << "the error comes before the screen";
    } else {
      EXPECT_TRUE(sim.message_boxes().empty());
    }
    EXPECT_TRUE(welcome_open);
    const auto& values = sim.registry.keys[kKey];
    EXPECT_EQ(values.count("prisoten") == 1, row.prisoten_set);
    EXPECT_EQ(values.count("verzija") == 1, row.verzija_set);
    EXPECT_EQ(sim.registry.open_handles(), 0) << "every opened handle is closed";
    EXPECT_EQ(HomePage, "") << "released at the end";
  }
}

TEST(Registry, HomePageAndVersionAreSetEvenWhenTheFirstWriteFails) {
  NoWelcomeSim sim;
  sim.faults.failing_registry_call = 5;
  sim.ThenDismissMessageBox();
  std::string home, version;
  sim.Then([&](ScriptedSim&) {
    home = HomePage;
    version = VersionText;
  });
  sim.ThenRightClick({1, 1});
  sim.ThenChoose("About Velumen");
  std::string about;
  sim.Then([&](ScriptedSim& s) { about = s.windows().at(s.OpenBox()).text; });
  sim.ThenKeyPress(vcl::kVkReturn);
  sim.ThenKeyRelease(vcl::kVkEscape);
  RunProgram(sim);
  EXPECT_EQ(home, "http://www.korvanta.example/eng/");
  EXPECT_EQ(version, "1.3");
  EXPECT_EQ(about.rfind("Velumen version 1.3\r", 0), 0u);
}

}  // namespace
