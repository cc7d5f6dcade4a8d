#include "widgets/data/cxDataControllerTypes.h"

#include "widgets/foundation/cxClasses.h"

const TResStringRec cxSDataRecordIndexError = {63200, "RecordIndex out of range"};
const TResStringRec cxSDataItemIndexError = {63201, "ItemIndex out of range"};
const TResStringRec cxSDataRowIndexError = {63202, "RowIndex out of range"};
const TResStringRec cxSDataItemExistError = {63203, "Item already exists"};
const TResStringRec cxSDataInvalidStreamFormat = {63204, "Invalid stream format"};
const TResStringRec cxSDataReadError = {63205, "GetInfoForCompare not implemented"};
const TResStringRec cxSDataProviderModeError = {63206, "This operation is not supported in provider mode"};

void cxDataControllerError(const TResStringRec& AResString) {
  throw EcxInvalidDataControllerOperation(cxGetResourceString(AResString));
}

TL_DEFINE_CLASS(TcxUpdateControlInfo)
TL_DEFINE_CLASS(TcxDataChangedInfo)
TL_DEFINE_CLASS(TcxLayoutChangedInfo)
TL_DEFINE_CLASS(TcxUpdateRecordInfo)
TL_DEFINE_CLASS(TcxFocusedRowChangedInfo)
TL_DEFINE_CLASS(TcxFocusedRecordChangedInfo)
TL_DEFINE_CLASS(TcxSelectionChangedInfo)
TL_DEFINE_CLASS(TcxSearchChangedInfo)
TL_DEFINE_CLASS(TcxBookmarkChangedInfo)
