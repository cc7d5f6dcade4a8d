// The record stream of a data controller: the signature "DataController1", the value
// type of every streamed field, then the records in the storage's record form.
#include "classlib/core/ScopeGuards.h"
#include "widgets/data/cxDataController.h"
#include "widgets/foundation/cxVariants.h"

namespace {

const char kSignature[] = "DataController1";

int CompareByFieldIndex(TcxValueDef* A, TcxValueDef* B) {
  const Integer a = static_cast<TcxCustomDataField*>(A->Link())->GetIndex();
  const Integer b = static_cast<TcxCustomDataField*>(B->Link())->GetIndex();
  return a < b ? -1 : a > b ? 1 : 0;
}

// Holds the storage in streamed-field order until the scope ends.
auto StreamingOrder(TcxDataStorage* AStorage) {
  return PairedCall([AStorage] { AStorage->BeginStreaming(CompareByFieldIndex); },
                    [AStorage] { AStorage->EndStreaming(); });
}

// Marks the definitions of non-internal fields (none in provider mode) as streamed and
// answers their count: exactly the fields the storage writes and reads per record.
Integer MarkStreamedFields(TcxCustomDataController* AController) {
  TcxValueDefs* defs = AController->DataStorage()->ValueDefs();
  const bool provider = AController->IsProviderMode();
  Integer count = 0;
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    auto* field = static_cast<TcxCustomDataField*>(def->Link());
    const bool streamed = !provider && field && !field->IsInternal();
    def->SetStreamed(streamed);
    if (streamed && def->BufferSize() != 0) ++count;
  }
  return count;
}

}  // namespace

void TcxCustomDataController::SaveToStream(TStream& AStream) {
  cxStreamWriteString(AStream, kSignature);
  const Integer count = MarkStreamedFields(this);
  cxStreamWriteInteger(AStream, count);
  auto order = StreamingOrder(FDataStorage);
  TcxValueDefs* defs = FDataStorage->ValueDefs();
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (def->Streamed() && def->BufferSize() != 0) cxStreamWriteString(AStream, def->ValueTypeClass()->ClassName());
  }
  cxStreamWriteInteger(AStream, GetRecordCount());
  for (Integer r = 0; r < GetRecordCount(); ++r) FDataStorage->WriteRecord(r, AStream);
}

void TcxCustomDataController::LoadFromStream(TStream& AStream) {
  if (IsProviderMode()) cxDataControllerError(cxSDataProviderModeError);
  if (cxStreamReadString(AStream) != kSignature) cxDataControllerError(cxSDataInvalidStreamFormat);
  const Integer count = MarkStreamedFields(this);
  if (cxStreamReadInteger(AStream) != count) cxDataControllerError(cxSDataInvalidStreamFormat);
  auto order = StreamingOrder(FDataStorage);
  TcxValueDefs* defs = FDataStorage->ValueDefs();
  for (Integer i = 0; i < defs->Count(); ++i) {
    TcxValueDef* def = defs->Items(i);
    if (!def->Streamed() || def->BufferSize() == 0) continue;
    if (cxStreamReadString(AStream) != def->ValueTypeClass()->ClassName())
      cxDataControllerError(cxSDataInvalidStreamFormat);
  }
  const Integer records = cxStreamReadInteger(AStream);
  // Every record is read before any is replaced: a damaged stream changes nothing.
  FDataStorage->ReadRecords(records, AStream);
  auto bracket = UpdateBracket(this);
  // The edited record is gone: its saved values and its being inserted belong to the
  // records that were replaced (a new-item row's record is not one of them).
  if (FProvider->EditingRecordIndex() >= 0) FProvider->ResetEditing();
  ClearSelection();
  DataChanged(TcxDataChange::dcTotal, -1, -1);
}
