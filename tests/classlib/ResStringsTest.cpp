#include <gtest/gtest.h>

#include "tests/classlib/ErrorText.h"

#include "classlib/core/SysUtils.h"
#include "platform/kernel/Resources.h"

namespace {

const TResStringRec kGreeting = {64990, "Hello"};
const TResStringRec kTabled = {64991, "Default text"};
const TResStringRec kNoDefault = {64992, nullptr};

String Override(const TResStringRec& rec, bool& found) {
  found = rec.Id == kGreeting.Id;
  return found ? "Hallo" : "ignored";
}

// The string table holds id 64991, and a text longer than the first read buffer.
const String kLong(3000, 'x');
const ResourceItem kItems[] = {
    {6, 64991, nullptr, reinterpret_cast<const Byte*>("From the table"), 14, 0, 0},
    {6, 64993, nullptr, reinterpret_cast<const Byte*>(kLong.data()), kLong.size(), 0, 0},
};

class ResStringsTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterResourceTable({"res_strings_test", kItems, 2}); }
  void TearDown() override {
    UnregisterResourceTable("res_strings_test");
    SetResStringResolver(nullptr);
  }
};

}  // namespace

TEST_F(ResStringsTest, OverrideThenTableThenDefault) {
  EXPECT_EQ(LoadResString(kGreeting), "Hello");
  EXPECT_EQ(LoadResString(kTabled), "From the table");
  EXPECT_EQ(LoadResString(kNoDefault), "");
  EXPECT_EQ(LoadResString({64993, "short"}), kLong);   // no length limit

  EXPECT_EQ(SetResStringResolver(Override), nullptr);
  EXPECT_EQ(LoadResString(kGreeting), "Hallo");
  EXPECT_EQ(LoadResString(kTabled), "From the table");   // not found by the override
  EXPECT_EQ(Exception(kGreeting).Message(), "Hallo");
  EXPECT_EQ(SetResStringResolver(nullptr), &Override);
  EXPECT_EQ(LoadResString(kGreeting), "Hello");
}

TEST_F(ResStringsTest, ErrorMessagesComeThroughTheOverride) {
  SetResStringResolver([](const TResStringRec& rec, bool& found) -> String {
    found = rec.Id == SysConst::SInvalidInteger.Id;
    return "Keine Zahl: %s";
  });
  EXPECT_EQ(MessageOf<EConvertError>([] { StrToInt("x"); }), "Keine Zahl: x");
}

TEST_F(ResStringsTest, ABrokenTranslationOfTheFormatErrorCannotRecurse) {
  SetResStringResolver([](const TResStringRec& rec, bool& found) -> String {
    found = rec.Id == SysConst::SInvalidFormat.Id;
    return "Falsches Format %d: %s";
  });
  EXPECT_EQ(MessageOf<EConvertError>([] { Format("%d", {"x"}); }), "Falsches Format %d: %d");
}
