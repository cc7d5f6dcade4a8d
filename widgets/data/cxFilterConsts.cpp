#include "widgets/data/cxFilterConsts.h"

#include "platform/kernel/Units.h"
#include "widgets/data/cxDataUtils.h"
#include "widgets/foundation/cxClasses.h"

namespace cxFilterConsts {

const TResStringRec cxSFilterOperatorEqual = {63000, "equals"};
const TResStringRec cxSFilterOperatorNotEqual = {63001, "does not equal"};
const TResStringRec cxSFilterOperatorLess = {63002, "is less than"};
const TResStringRec cxSFilterOperatorLessEqual = {63003, "is less than or equal to"};
const TResStringRec cxSFilterOperatorGreater = {63004, "is greater than"};
const TResStringRec cxSFilterOperatorGreaterEqual = {63005, "is greater than or equal to"};
const TResStringRec cxSFilterOperatorLike = {63006, "like"};
const TResStringRec cxSFilterOperatorNotLike = {63007, "not like"};
const TResStringRec cxSFilterOperatorBeginsWith = {63008, "begins with"};
const TResStringRec cxSFilterOperatorDoesNotBeginWith = {63009, "does not begin with"};
const TResStringRec cxSFilterOperatorEndsWith = {63010, "ends with"};
const TResStringRec cxSFilterOperatorDoesNotEndWith = {63011, "does not end with"};
const TResStringRec cxSFilterOperatorContains = {63012, "contains"};
const TResStringRec cxSFilterOperatorDoesNotContain = {63013, "does not contain"};
const TResStringRec cxSFilterOperatorBetween = {63014, "between"};
const TResStringRec cxSFilterOperatorNotBetween = {63015, "not between"};
const TResStringRec cxSFilterOperatorInList = {63016, "in"};
const TResStringRec cxSFilterOperatorNotInList = {63017, "not in"};
const TResStringRec cxSFilterOperatorIsNull = {63018, "is blank"};
const TResStringRec cxSFilterOperatorIsNotNull = {63019, "is not blank"};
const TResStringRec cxSFilterDateOperators[12] = {
    {63020, "is yesterday"},  {63021, "is today"},      {63022, "is tomorrow"},
    {63023, "is last week"},  {63024, "is last month"}, {63025, "is last year"},
    {63026, "is this week"},  {63027, "is this month"}, {63028, "is this year"},
    {63029, "is next week"},  {63030, "is next month"}, {63031, "is next year"},
};
const TResStringRec cxSFilterAndCaption = {63032, "and"};
const TResStringRec cxSFilterOrCaption = {63033, "or"};
const TResStringRec cxSFilterNotCaption = {63034, "not"};
const TResStringRec cxSFilterBlankCaption = {63035, "blank"};
const TResStringRec cxSFilterBoxAllCaption = {63036, "(All)"};
const TResStringRec cxSFilterBoxCustomCaption = {63037, "(Custom...)"};
const TResStringRec cxSFilterBoxBlanksCaption = {63038, "(Blanks)"};
const TResStringRec cxSFilterBoxNonBlanksCaption = {63039, "(NonBlanks)"};

namespace {
UnitCounter gFilterConstsUnit;
}

String cxFilterText(const TResStringRec& ARes) {
  String r;
  cxGetFilterResString(cxGetResourceString(ARes), r);
  return r;
}

void Initialize() { gFilterConstsUnit.Enter(); }
void Finalize() { gFilterConstsUnit.Leave(); }

}  // namespace cxFilterConsts
