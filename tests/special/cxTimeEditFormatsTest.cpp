// The time edit's text rules: the mask table and its 12-hour suffix from the locale, the
// value of a text (with and without a PM designator), the part under the caret, the spin
// steps per part and across noon, and the typing of digits and designators.
#include <gtest/gtest.h>

#include "tests/support/KernelTest.h"
#include "widgets/special/cxTimeEditFormats.h"

namespace {

using TF = TcxTimeEditTimeFormat;
using TP = TcxTimePart;

class cxTimeEditFormatsTest : public KernelTest {
 protected:
  void SetUp() override {
    KernelTest::SetUp();
    FormatSettings = DefaultFormatSettings();
    cxTimeEditBuildMasks();
  }
  void TearDown() override {
    FormatSettings = DefaultFormatSettings();
    cxTimeEditBuildMasks();
    KernelTest::TearDown();
  }
};

TEST_F(cxTimeEditFormatsTest, MasksFollowTheDesignatorLength) {
  EXPECT_EQ(cxTimeEditMask(TF::tfHourMinSec, true), "00:00:00;1;0");
  EXPECT_EQ(cxTimeEditMask(TF::tfHour, true), "00;1;0");
  EXPECT_EQ(cxTimeEditMask(TF::tfHourMinSec, false), "00:00:00 cc;1;0");
  EXPECT_EQ(cxTimeEditMask(TF::tfHourMin, false), "00:00 cc;1;0");
  EXPECT_EQ(cxTimeEditDisplayFormat(TF::tfHourMin, false), "hh:nn ampm");
  EXPECT_EQ(cxTimeEditDisplayFormat(TF::tfHour, true), "hh");
  FormatSettings.TimeAMString = "vorm";
  FormatSettings.TimePMString = "nach";
  cxTimeEditBuildMasks();
  EXPECT_EQ(cxTimeEditMask(TF::tfHour, false), "00 cccc;1;0");
  FormatSettings.TimePMString = "";
  cxTimeEditBuildMasks();
  EXPECT_EQ(cxTimeEditMask(TF::tfHourMinSec, false), "00:00:00;1;0") << "no designator, no suffix";
}

TEST_F(cxTimeEditFormatsTest, TextValuesAndParts) {
  EXPECT_EQ(cxTimeEditTextToSeconds("13:05:09", TF::tfHourMinSec, true), 13 * 3600 + 5 * 60 + 9);
  EXPECT_EQ(cxTimeEditTextToSeconds("13:05:09", TF::tfHourMin, true), 13 * 3600 + 5 * 60);
  EXPECT_EQ(cxTimeEditTextToSeconds("1 :0x", TF::tfHourMin, true), 10 * 3600) << "non-digits read as 0";
  EXPECT_EQ(cxTimeEditTextToSeconds("12:30:00 pm", TF::tfHourMinSec, false), 12 * 3600 + 1800);
  EXPECT_EQ(cxTimeEditTextToSeconds("12:30:00 AM", TF::tfHourMinSec, false), 1800);
  FormatSettings.TimePMString = "";
  EXPECT_EQ(cxTimeEditTextToSeconds("11:00:00", TF::tfHourMinSec, false), 11 * 3600)
      << "an empty PM designator makes no time afternoon";

  EXPECT_EQ(cxTimeEditPartAt(1, TF::tfHourMinSec, true), TP::tpHour);
  EXPECT_EQ(cxTimeEditPartAt(3, TF::tfHourMinSec, true), TP::tpMin) << "a separator belongs to the next part";
  EXPECT_EQ(cxTimeEditPartAt(8, TF::tfHourMinSec, true), TP::tpSec);
  EXPECT_EQ(cxTimeEditPartAt(20, TF::tfHourMin, true), TP::tpMin) << "clamped to the format";
  EXPECT_EQ(cxTimeEditPartAt(9, TF::tfHourMinSec, false), TP::tpAMPM);
  EXPECT_EQ(cxTimeEditPartAt(3, TF::tfHour, false), TP::tpAMPM);
  EXPECT_EQ(cxTimeEditSuffixStart(TF::tfHourMin), 7);
}

TEST_F(cxTimeEditFormatsTest, StepsPerPartAndAcrossNoon) {
  EXPECT_EQ(cxTimeEditIncrement(TP::tpHour, true, false, 0), 3600) << "hours are never tenfold";
  EXPECT_EQ(cxTimeEditIncrement(TP::tpMin, true, false, 0), 600);
  EXPECT_EQ(cxTimeEditIncrement(TP::tpSec, false, true, 0), -1);
  // The fast buttons step minutes and seconds tenfold, either way.
  EXPECT_EQ(cxTimeEditIncrement(TP::tpSec, true, false, 0), 10);
  EXPECT_EQ(cxTimeEditIncrement(TP::tpSec, true, true, 0), -10);
  EXPECT_EQ(cxTimeEditIncrement(TP::tpMin, true, true, 0), -600);
  for (bool back : {false, true}) {
    EXPECT_EQ(cxTimeEditIncrement(TP::tpAMPM, false, back, 11 * 3600 + 1800), 43200) << back;
    EXPECT_EQ(cxTimeEditIncrement(TP::tpAMPM, false, back, 43200), -43200) << back;
  }
}

TEST_F(cxTimeEditFormatsTest, TypingDigitsAndDesignators) {
  struct Row {
    const char* Part;
    int Offset;
    Char Digit;
    int Min, Max;
    const char* Result;
    int NewOffset;
  };
  for (Row r : {Row{"00", 0, '5', 0, 23, "05", 2}, Row{"00", 0, '2', 0, 23, "20", 1},
                Row{"20", 1, '7', 0, 23, "07", 2}, Row{"05", 0, '1', 1, 12, "10", 1},
                Row{"00", 0, '7', 0, 59, "07", 2}, Row{"10", 0, '0', 1, 12, "01", 1},
                Row{"12", 1, '3', 1, 12, "03", 2}, Row{"11", 1, '2', 1, 12, "12", 2}}) {
    String part = r.Part;
    Integer offset = -1;
    ASSERT_TRUE(cxTimeEditTypeDigit(part, r.Offset, r.Digit, r.Min, r.Max, offset)) << r.Part << r.Digit;
    EXPECT_EQ(part, r.Result) << r.Part << " " << r.Digit;
    EXPECT_EQ(offset, r.NewOffset) << r.Part << " " << r.Digit;
  }
  // A 0 in the second place that leaves the range is refused.
  String part = "30";
  Integer offset = 0;
  EXPECT_FALSE(cxTimeEditTypeDigit(part, 1, '0', 1, 12, offset));
  EXPECT_EQ(part, "30");

  String replace;
  EXPECT_TRUE(cxTimeEditTypeSuffix('p', 0, replace));
  EXPECT_EQ(replace, "PM");
  EXPECT_TRUE(cxTimeEditTypeSuffix('m', 1, replace));
  EXPECT_EQ(replace, "") << "common to both: kept as typed";
  EXPECT_FALSE(cxTimeEditTypeSuffix('x', 0, replace));
}

}  // namespace
