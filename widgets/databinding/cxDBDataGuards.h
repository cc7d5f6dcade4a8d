// Brackets of the data-set provider's steps: each restores what it changed when the step
// ends, also when an error passes.
#pragma once

#include "classlib/core/DB.h"
#include "classlib/core/ScopeGuards.h"

namespace cxDBDataGuards {

// The data set's controls stay disabled for the step (none given: nothing to do). A data set
// a handler freed meanwhile is left alone. Enabling them tells the links of the changes, whose
// handling may raise: the first error wins (classlib/core/ScopeGuards.h).
inline auto ControlsDisabled(TDataSet* ADataSet) {
  return WatchedPairedCall(
      ADataSet,
      [ADataSet] {
        if (ADataSet) ADataSet->DisableControls();
      },
      [ADataSet] { ADataSet->EnableControls(); });
}

// The provider stays frozen (the data set's controls disabled) for the step. A provider freed
// meanwhile (with its controller, by a handler) is left alone.
template <class TProvider>
auto Frozen(TProvider* AProvider) {
  return WatchedPairedCall(
      AProvider, [AProvider] { AProvider->Freeze(); }, [AProvider] { AProvider->Unfreeze(); });
}

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

// The data link's active row is put back when the step ends, while the link still has it;
// a link freed meanwhile (with its controller, by a text handler the step ran) is left alone.
inline auto ActiveRecordKept(TDataLink* ALink) {
  return TWatchedScopeExit(ALink, [ALink, old = ALink->ActiveRecord()] {
    if (old >= 0 && old < ALink->RecordCount()) ALink->SetActiveRecord(old);
  });
}

}  // namespace cxDBDataGuards
