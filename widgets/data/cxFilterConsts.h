// Captions and words of filter texts and value lists, from the string table through the
// resource-string override lookup; every one reaches users through cxGetFilterResString.
#pragma once

#include "classlib/core/Exceptions.h"

namespace cxFilterConsts {
extern const TResStringRec cxSFilterOperatorEqual;
extern const TResStringRec cxSFilterOperatorNotEqual;
extern const TResStringRec cxSFilterOperatorLess;
extern const TResStringRec cxSFilterOperatorLessEqual;
extern const TResStringRec cxSFilterOperatorGreater;
extern const TResStringRec cxSFilterOperatorGreaterEqual;
extern const TResStringRec cxSFilterOperatorLike;
extern const TResStringRec cxSFilterOperatorNotLike;
extern const TResStringRec cxSFilterOperatorBeginsWith;
extern const TResStringRec cxSFilterOperatorDoesNotBeginWith;
extern const TResStringRec cxSFilterOperatorEndsWith;
extern const TResStringRec cxSFilterOperatorDoesNotEndWith;
extern const TResStringRec cxSFilterOperatorContains;
extern const TResStringRec cxSFilterOperatorDoesNotContain;
extern const TResStringRec cxSFilterOperatorBetween;
extern const TResStringRec cxSFilterOperatorNotBetween;
extern const TResStringRec cxSFilterOperatorInList;
extern const TResStringRec cxSFilterOperatorNotInList;
extern const TResStringRec cxSFilterOperatorIsNull;
extern const TResStringRec cxSFilterOperatorIsNotNull;
// Yesterday, Today, Tomorrow, LastWeek, LastMonth, LastYear, ThisWeek, ThisMonth,
// ThisYear, NextWeek, NextMonth, NextYear, in the order of the operator kinds.
extern const TResStringRec cxSFilterDateOperators[12];
extern const TResStringRec cxSFilterAndCaption;
extern const TResStringRec cxSFilterOrCaption;
extern const TResStringRec cxSFilterNotCaption;
extern const TResStringRec cxSFilterBlankCaption;
extern const TResStringRec cxSFilterBoxAllCaption;
extern const TResStringRec cxSFilterBoxCustomCaption;
extern const TResStringRec cxSFilterBoxBlanksCaption;
extern const TResStringRec cxSFilterBoxNonBlanksCaption;

// The text of ARes, passed through the filter translation hook.
String cxFilterText(const TResStringRec& ARes);

void Initialize();
void Finalize();
}  // namespace cxFilterConsts
