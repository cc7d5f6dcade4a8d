// Brackets of the data-set provider's steps: each restores what it changed when the step
// ends, also when an error passes.
#pragma once

#include "classlib/core/DB.h"

namespace cxDBDataGuards {

// Restores a Boolean when the step ends, also when an error passes. The flag of an owner
// given and freed meanwhile (by a handler the step ran) is left alone.
class TFlagGuard {
 public:
  explicit TFlagGuard(bool& AFlag, bool AValue = true, TObject* AOwner = nullptr)
      : FFlag(AFlag), FOld(AFlag), FWatched(AOwner != nullptr), FOwner(AOwner) {
    FFlag = AValue;
  }
  ~TFlagGuard() {
    if (!FWatched || FOwner.Alive()) FFlag = FOld;
  }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

 private:
  bool& FFlag;
  bool FOld;
  bool FWatched;
  TWeakLink FOwner;
};

// The data set's controls stay disabled for the step.
class TControlsGuard {
 public:
  explicit TControlsGuard(TDataSet* ADataSet) : FDataSet(ADataSet) {
    if (FDataSet) FDataSet->DisableControls();
  }
  ~TControlsGuard() {
    if (FDataSet) FDataSet->EnableControls();
  }
  TControlsGuard(const TControlsGuard&) = delete;
  TControlsGuard& operator=(const TControlsGuard&) = delete;

 private:
  TDataSet* FDataSet;
};

// The provider stays frozen (the data set's controls disabled) for the step.
template <class TProvider>
class TFreezeGuard {
 public:
  explicit TFreezeGuard(TProvider* AProvider) : FProvider(AProvider) { FProvider->Freeze(); }
  ~TFreezeGuard() noexcept(false) { FProvider->Unfreeze(); }
  TFreezeGuard(const TFreezeGuard&) = delete;
  TFreezeGuard& operator=(const TFreezeGuard&) = delete;

 private:
  TProvider* FProvider;
};

// The data link's active row is put back when the step ends.
class TActiveRecordGuard {
 public:
  explicit TActiveRecordGuard(TDataLink* ALink) : FLink(ALink), FOld(ALink->ActiveRecord()) {}
  ~TActiveRecordGuard() {
    if (FOld >= 0 && FOld < FLink->RecordCount()) FLink->SetActiveRecord(FOld);
  }
  TActiveRecordGuard(const TActiveRecordGuard&) = delete;
  TActiveRecordGuard& operator=(const TActiveRecordGuard&) = delete;

 private:
  TDataLink* FLink;
  Integer FOld;
};

}  // namespace cxDBDataGuards
