// Whatever the data set can hold, a saved file carries and opens again: random configurations
// reached through a read of an ECU with random memory, the typed setters, SetValue and the
// breakpoint editor windows, saved and opened, every carried field equal.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>

#include "CentriCelle.h"
#include "CentriCelleArr.h"
#include "NumericEdit.h"
#include "Prompt.h"
#include "RandomConfiguration.h"

namespace {

// The editors as the user meets them: the values typed into the fields, then OK.
void EditInTheWindows(TEcuData&, const BreakpointEntry& e) {
  {
    TFormCentriCelle dlg(nullptr);
    for (int i = 0; i < 12; ++i) {
      dlg.EditRifGiri[i]->SetInt(e.rpm[i]);
      dlg.NumEditRifMap[i]->SetDouble(e.volts[i]);
    }
    dlg.ButtonOkClick();
  }
  TFormCentriCelleArr dlg(nullptr);
  for (int i = 0; i < dlg.RowCount(); ++i) dlg.NumEditRifMap[i]->SetInt(e.cumulo[i]);
  dlg.ButtonOkClick();
}

TEST(SaveOpenProperty, EveryConfigurationTheDataSetHoldsOpensAgain) {
  constexpr int kSeeds = 150;
  constexpr int kSteps = 30;
  QTemporaryDir dir;
  ScriptedPrompts prompts;  // the editors' refusals
  ScopedPrompts usePrompts(&prompts);
  int failed = 0;
  std::string first;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::mt19937 generator(static_cast<uint32_t>(seed));
    RandomDraw draw([&] { return static_cast<uint32_t>(generator()); });
    RandomConfigurationRig rig;
    rig.Data().SetFileKey("Chiave");
    const std::string wrong = rig.SaveAndOpen(draw, kSteps, dir.filePath("random.trm"), EditInTheWindows);
    if (wrong.empty()) continue;
    if (++failed <= 3) first += "seed " + std::to_string(seed) + ": " + wrong + "\n";
  }
  EXPECT_EQ(failed, 0) << "of " << kSeeds << " configurations\n" << first;
}

// Near the size limit, in every older form a file is opened in: either it opens, is written back
// within the limit and opens again whole, or it is refused and left as it was.
TEST(SaveOpenProperty, NearTheLimitAFileOpensAgainOrIsLeftAsItWas) {
  constexpr int kSeeds = 24;
  constexpr int kSteps = 12;
  QTemporaryDir dir;
  ScriptedPrompts prompts;
  ScopedPrompts usePrompts(&prompts);
  int failed = 0;
  std::string first;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::mt19937 generator(static_cast<uint32_t>(1000 + seed));
    RandomDraw draw([&] { return static_cast<uint32_t>(generator()); });
    RandomConfigurationRig rig;
    rig.Data().SetFileKey("Chiave");
    const std::string wrong =
        rig.SaveNearTheLimitAndOpen(draw, kSteps, dir.filePath("near.trm"), EditInTheWindows);
    if (wrong.empty()) continue;
    if (++failed <= 3) first += "seed " + std::to_string(seed) + ": " + wrong + "\n";
  }
  EXPECT_EQ(failed, 0) << "of " << kSeeds << " configurations\n" << first;
}

}  // namespace
