#include <gtest/gtest.h>

#include "platform/kernel/Locale.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Random.h"
#include "platform/kernel/Units.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;
bool g_failInit = false;
bool g_failFini = false;

// Units written as every unit is: the counter guards the work.
UnitCounter g_aCount, g_bCount, g_cCount;
void AInit() { if (g_aCount.Enter()) g_log.push_back("+A"); }
void AFini() { if (g_aCount.Leave()) g_log.push_back("-A"); }
void BInit() {
  if (!g_bCount.Enter()) return;
  if (g_failInit) {
    g_bCount.Leave();
    throw std::runtime_error("B cannot start");
  }
  g_log.push_back("+B");
}
void BFini() {
  if (!g_bCount.Leave()) return;
  g_log.push_back("-B");
  if (g_failFini) throw std::runtime_error("B cannot stop");
}
void CInit() { if (g_cCount.Enter()) g_log.push_back("+C"); }
void CFini() { if (g_cCount.Leave()) g_log.push_back("-C"); }

const UnitEntry kUnits[] = {{"A", AInit, AFini}, {"B", BInit, BFini}, {"C", CInit, CFini}};

class Units : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    g_failInit = g_failFini = false;
  }
  void TearDown() override {
    EXPECT_EQ(g_aCount.Count() + g_bCount.Count() + g_cCount.Count(), 0) << "units left running";
  }
};

using Log = std::vector<std::string>;

}  // namespace

TEST_F(Units, SequenceStartsInOrderAndStopsInReverse) {
  InitializeUnits(kUnits);
  InitializeUnits(kUnits);  // nested: counted, no work
  EXPECT_EQ(g_log, (Log{"+A", "+B", "+C"}));
  FinalizeUnits(kUnits);
  EXPECT_EQ(g_log, (Log{"+A", "+B", "+C"}));
  FinalizeUnits(kUnits);
  EXPECT_EQ(g_log, (Log{"+A", "+B", "+C", "-C", "-B", "-A"}));
}

TEST_F(Units, AFailedStartUndoesWhatStartedAndReports) {
  g_failInit = true;
  EXPECT_THROW(InitializeUnits(kUnits), std::runtime_error);
  EXPECT_EQ(g_log, (Log{"+A", "-A"}));  // C never started
}

TEST_F(Units, ShutdownNeverThrowsAndFinishesEveryUnit) {
  InitializeUnits(kUnits);
  g_failFini = true;
  testing::internal::CaptureStderr();
  EXPECT_NO_THROW(FinalizeUnits(kUnits));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(g_log, (Log{"+A", "+B", "+C", "-C", "-B", "-A"}));
  EXPECT_NE(err.find("finalization of unit B failed: B cannot stop"), std::string::npos) << err;
}

TEST(KernelUnits, StartCleanAndStopOnlyAtTheOutermostFinalize) {
  PlatformKernelInitialize();
  RegisterModule("probe.dll", {});
  SetCurrentLocale(GermanLocale());
  tl_srand(99);
  PlatformKernelInitialize();  // nested: must not wipe the state
  EXPECT_EQ(GetThreadLocale(), GermanLocale().lcid);
  PlatformKernelFinalize();
  HMODULE h = LoadLibraryA("probe.dll");
  EXPECT_NE(h, nullptr);
  FreeLibrary(h);
  PlatformKernelFinalize();
  EXPECT_EQ(LoadLibraryA("probe.dll"), nullptr);  // modules dropped at the end

  PlatformKernelInitialize();
  EXPECT_EQ(GetThreadLocale(), UsEnglishLocale().lcid);
  EXPECT_EQ(tl_lrand(), 908834774);  // seeded as after srand(1)
  PlatformKernelFinalize();
  PlatformKernelFinalize();  // unbalanced: harmless
}
