// Brackets of the data-set provider's steps: each restores what it changed when the step
// ends, also when an error passes.
#pragma once

#include "classlib/core/DB.h"

#include <exception>

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

// The data set's controls stay disabled for the step. A data set a handler freed meanwhile
// is left alone. Enabling them tells the links of the changes, whose handling may raise: the
// error reaches the caller, or is dropped while another one does.
class TControlsGuard {
 public:
  explicit TControlsGuard(TDataSet* ADataSet) : FDataSet(ADataSet), FLink(ADataSet) {
    if (FDataSet) FDataSet->DisableControls();
  }
  ~TControlsGuard() noexcept(false) {
    if (!FLink.Alive()) return;
    if (std::uncaught_exceptions() > FExceptions) {
      try {
        FDataSet->EnableControls();
      } catch (...) {
      }
    } else {
      FDataSet->EnableControls();
    }
  }
  TControlsGuard(const TControlsGuard&) = delete;
  TControlsGuard& operator=(const TControlsGuard&) = delete;

 private:
  TDataSet* FDataSet;
  TWeakLink FLink;
  int FExceptions = std::uncaught_exceptions();
};

// The provider stays frozen (the data set's controls disabled) for the step. A provider freed
// meanwhile (with its controller, by a handler) is left alone.
template <class TProvider>
class TFreezeGuard {
 public:
  explicit TFreezeGuard(TProvider* AProvider) : FProvider(AProvider), FLink(AProvider) {
    FProvider->Freeze();
  }
  ~TFreezeGuard() noexcept(false) {
    if (FLink.Alive()) FProvider->Unfreeze();
  }
  TFreezeGuard(const TFreezeGuard&) = delete;
  TFreezeGuard& operator=(const TFreezeGuard&) = delete;

 private:
  TProvider* FProvider;
  TWeakLink FLink;
};

// Watches a step that calls its data set: each call may run a handler that frees the data
// set, its data source, or the controller and its provider with it. The step goes on only
// while Alive: the provider is there and still on the data set it began with.
template <class TProvider>
class TStepWatch {
 public:
  TStepWatch(TProvider* AProvider, TDataSet* ADataSet)
      : FProvider(AProvider),
        FDataSet(ADataSet),
        FProviderLink(AProvider),
        FDataSetLink(ADataSet) {}
  bool Alive() const {
    return FProviderLink.Alive() && FDataSetLink.Alive() && FProvider->DataSet() == FDataSet;
  }
  // The provider (and its controller) is there, whatever became of the data set.
  bool ProviderAlive() const { return FProviderLink.Alive(); }
  TStepWatch(const TStepWatch&) = delete;
  TStepWatch& operator=(const TStepWatch&) = delete;

 private:
  TProvider* FProvider;
  TDataSet* FDataSet;
  TWeakLink FProviderLink;
  TWeakLink FDataSetLink;
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
