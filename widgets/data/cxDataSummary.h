// Summaries of a data controller: footer items over all filtered records, group items per
// data group (each group covering the records of every deepest group below it), with
// sums, minimums, maximums, counts and averages accumulated as variants, stored as
// variant arrays and formatted for display.
#pragma once

#include "classlib/core/Collections.h"
#include "classlib/core/Enums.h"
#include "classlib/core/Events.h"
#include "classlib/core/Variants.h"

#include <memory>
#include <vector>

class TcxCustomDataController;
class TcxCustomDataField;
class TcxDataSummary;
class TcxDataSummaryItem;
class TcxDataSummaryItems;

TL_ENUM(TcxSummaryKind, skNone, skSum, skMin, skMax, skCount, skAverage);
TL_ENUM(TcxSummaryPosition, spGroup, spFooter);
TL_ENUM(TcxSummaryOption, soNullIgnore, soSelectedRecords);
using TcxSummaryOptions = Set<TcxSummaryOption>;
TL_ENUM(TcxSummaryValueType, svtFloat, svtCurrency, svtDate);

using TcxDataSummaryValues = std::vector<Variant>;
using TcxDataSummaryCountValues = std::vector<Integer>;

struct TcxSummaryEventArguments {
  Integer RecordIndex;
  TcxDataSummaryItem* SummaryItem;
};
struct TcxSummaryEventOutArguments {
  Variant Value;
  Variant SummaryValue;
  Integer CountValue;
  bool Done;
};

using TcxSummaryEvent = TMethod<void(TcxDataSummaryItems* ASender, const TcxSummaryEventArguments& Arguments,
                                     TcxSummaryEventOutArguments& OutArguments)>;
using TcxDataSummaryItemGetTextEvent =
    TMethod<void(TcxDataSummaryItem* Sender, const Variant& AValue, bool AIsFooter, String& AText)>;
using TcxAfterSummaryEvent = TMethod<void(TcxDataSummary* ASender)>;

// An item of one of the summary collections, tied to one of the controller's fields.
class TcxCustomDataSummaryItem : public TCollectionItem {
  TL_CLASS(TcxCustomDataSummaryItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  void Assign(TPersistent* Source) override;

  virtual TcxCustomDataController* GetDataController() const;
  virtual void FieldChanged() {}

  TcxCustomDataField* Field() const { return FField; }
  // Without reporting a change (a field that leaves the controller).
  void SetField(TcxCustomDataField* Value);
  // The field's item; nullptr without field.
  TObject* ItemLink() const;
  // Looks the item's field up and reports a change of the whole collection.
  void SetItemLink(TObject* Value);

 private:
  TcxCustomDataField* FField = nullptr;
};

class TcxDataSummaryItem : public TcxCustomDataSummaryItem {
  TL_CLASS(TcxDataSummaryItem, TcxCustomDataSummaryItem)
 public:
  using TcxCustomDataSummaryItem::TcxCustomDataSummaryItem;
  void Assign(TPersistent* Source) override;

  virtual bool IsCurrency(TVarType AVarType) const;
  // Items with a field, and counts without one in group position.
  virtual bool IsCalculated() const;
  virtual bool IsPositionStored() const;
  virtual TcxCustomDataField* GetField() const { return Field(); }
  virtual void FormatValue(const Variant& AValue, bool AIsFooter, String& AText);
  String FormatText(const Variant& AValue, bool AIsFooter) {
    String t;
    FormatValue(AValue, AIsFooter, t);
    return t;
  }

  TcxDataSummaryItems* SummaryItems() const;
  const String& GetFormat() const { return FFormat; }
  void SetFormat(const String& Value);
  TcxSummaryKind GetKind() const { return FKind; }
  void SetKind(TcxSummaryKind Value);
  // The collection's answer (footer collections: always spFooter).
  TcxSummaryPosition GetPosition() const;
  void SetPosition(TcxSummaryPosition Value);
  TcxSummaryPosition StoredPosition() const { return FPosition; }

  TcxDataSummaryItemGetTextEvent OnGetText;

 private:
  String FFormat;
  TcxSummaryKind FKind = TcxSummaryKind::skNone;
  TcxSummaryPosition FPosition = TcxSummaryPosition::spGroup;
};

using TcxDataSummaryItemClass = TCollectionItemClass;

class TcxDataSummaryItems : public TCollection {
  TL_CLASS(TcxDataSummaryItems, TCollection)
 public:
  TcxDataSummaryItems(TcxDataSummary* ASummary, TCollectionItemClass AItemClass)
      : TCollection(AItemClass), FSummary(ASummary) {}
  TPersistent* GetOwner() const override;

  virtual TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem* AItem) const;
  virtual bool IsItemPositionStored(const TcxDataSummaryItem*) const { return true; }
  // The item whose field is that of the item index and whose position matches.
  virtual TcxDataSummaryItem* GetDataItem(Integer AItemIndex, TcxSummaryPosition APosition) const;
  virtual bool IsEmptyItem(const String& AFormat, TcxSummaryKind AKind) const;
  virtual void AssignEvents(TPersistent* ASource);
  virtual String GetDefaultFormat(TcxSummaryValueType AValueType, TcxSummaryKind AKind, bool AIsFooter) const;
  virtual void GetGroupSummaryText(const Variant& AValues, String& AText);

  TcxDataSummary* Summary() const { return FSummary; }
  TcxCustomDataController* DataController() const;
  TcxDataSummaryItem* Add() { return static_cast<TcxDataSummaryItem*>(TCollection::Add()); }
  TcxDataSummaryItem* Add(TObject* AItemLink, TcxSummaryPosition APosition, TcxSummaryKind AKind,
                          const String& AFormat = String());
  TcxDataSummaryItem* Items(Integer AIndex) const { return static_cast<TcxDataSummaryItem*>(TCollection::Items(AIndex)); }
  Integer IndexOf(const TcxDataSummaryItem* AItem) const;
  Integer IndexOfItemLink(TObject* AItemLink) const;
  TcxDataSummaryItem* ItemOfItemLink(TObject* AItemLink) const;
  Integer IndexOfField(const TcxCustomDataField* AField) const;
  TcxDataSummaryItem* ItemOfField(const TcxCustomDataField* AField) const;
  String GetDataItemFormat(Integer AItemIndex, TcxSummaryPosition APosition) const;
  TcxSummaryKind GetDataItemKind(Integer AItemIndex, TcxSummaryPosition APosition) const;
  // Changes the item of that field and position; an item left without kind and format
  // goes; a missing one is added when the value is not empty.
  void SetDataItemFormat(Integer AItemIndex, TcxSummaryPosition APosition, const String& AValue);
  void SetDataItemKind(Integer AItemIndex, TcxSummaryPosition APosition, TcxSummaryKind AValue);

  TcxSummaryEvent OnSummary;

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxDataSummaryItem* DataItemOrNew(Integer AItemIndex, TcxSummaryPosition APosition, bool ACreate);
  TcxDataSummary* FSummary;
};

class TcxDataFooterSummaryItems : public TcxDataSummaryItems {
  TL_CLASS(TcxDataFooterSummaryItems, TcxDataSummaryItems)
 public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  TcxSummaryPosition GetItemPosition(const TcxDataSummaryItem*) const override { return TcxSummaryPosition::spFooter; }
  bool IsItemPositionStored(const TcxDataSummaryItem*) const override { return false; }
};

class TcxDataGroupSummaryItems : public TcxDataSummaryItems {
  TL_CLASS(TcxDataGroupSummaryItems, TcxDataSummaryItems)
 public:
  using TcxDataSummaryItems::TcxDataSummaryItems;
  // The spGroup items' texts joined by Separator and a blank, inside BeginText and
  // EndText; empty without such items.
  void GetGroupSummaryText(const Variant& AValues, String& AText) override;
  const String& GetBeginText() const { return FBeginText; }
  void SetBeginText(const String& Value);
  const String& GetEndText() const { return FEndText; }
  void SetEndText(const String& Value);
  const String& GetSeparator() const { return FSeparator; }
  void SetSeparator(const String& Value);
  bool IsBeginTextStored() const { return FBeginText != "("; }
  bool IsEndTextStored() const { return FEndText != ")"; }
  bool IsSeparatorStored() const { return FSeparator != ","; }

 private:
  String FBeginText = "(";
  String FEndText = ")";
  String FSeparator = ",";
};

// Names a grouping item of a summary group.
class TcxDataSummaryGroupItemLink : public TcxCustomDataSummaryItem {
  TL_CLASS(TcxDataSummaryGroupItemLink, TcxCustomDataSummaryItem)
 public:
  using TcxCustomDataSummaryItem::TcxCustomDataSummaryItem;
};

class TcxDataSummaryGroup;

class TcxDataSummaryGroupItemLinks : public TCollection {
  TL_CLASS(TcxDataSummaryGroupItemLinks, TCollection)
 public:
  explicit TcxDataSummaryGroupItemLinks(TcxDataSummaryGroup* AGroup);
  TPersistent* GetOwner() const override;
  TcxDataSummaryGroup* SummaryGroup() const { return FGroup; }
  TcxDataSummaryGroupItemLink* Add() { return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Add()); }
  TcxDataSummaryGroupItemLink* Items(Integer AIndex) const {
    return static_cast<TcxDataSummaryGroupItemLink*>(TCollection::Items(AIndex));
  }
  Integer IndexOfField(const TcxCustomDataField* AField) const;

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxDataSummaryGroup* FGroup;
};

class TcxDataSummaryGroups;

class TcxDataSummaryGroup : public TCollectionItem {
  TL_CLASS(TcxDataSummaryGroup, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  TcxDataSummaryGroups* SummaryGroups() const;
  TcxDataSummary* Summary() const;
  TcxDataSummaryGroupItemLinks* Links();
  bool HasLinks() const { return FLinks != nullptr; }
  TcxDataGroupSummaryItems* SummaryItems() const { return FSummaryItems; }

 private:
  TcxDataSummaryGroupItemLinks* FLinks = nullptr;
  TcxDataGroupSummaryItems* FSummaryItems = nullptr;
};

class TcxDataSummaryGroups : public TCollection {
  TL_CLASS(TcxDataSummaryGroups, TCollection)
 public:
  explicit TcxDataSummaryGroups(TcxDataSummary* ASummary);
  TPersistent* GetOwner() const override;
  TcxDataSummary* Summary() const { return FSummary; }
  TcxDataSummaryGroup* Add() { return static_cast<TcxDataSummaryGroup*>(TCollection::Add()); }
  TcxDataSummaryGroup* Items(Integer AIndex) const { return static_cast<TcxDataSummaryGroup*>(TCollection::Items(AIndex)); }
  // The first group whose links hold the item (a controller item or its field).
  TcxDataSummaryGroup* FindByItemLink(TObject* AItemLink) const;

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TcxDataSummary* FSummary;
};

struct TcxDataSummaryColumns;

class TcxDataSummary : public TPersistent {
  TL_CLASS(TcxDataSummary, TPersistent)
 public:
  explicit TcxDataSummary(TcxCustomDataController* ADataController);
  void BeforeDestruction() override;
  // The three collections, the options and the events, inside one update.
  void Assign(TPersistent* Source) override;

  // In slot order.
  virtual void BeginCalculation(TcxDataSummaryItems* AItems, TcxDataSummaryValues& AValues,
                                TcxDataSummaryCountValues& ACounts);
  virtual void CalculateRecords(TcxDataSummaryItems* AItems, Integer AFromPosition, Integer AToPosition,
                                TcxDataSummaryValues& AValues, TcxDataSummaryCountValues& ACounts);
  virtual void Update(bool AChanged);
  virtual void DoAfterSummary();
  virtual void FinishItem(TcxDataSummaryItem* AItem, Variant& AValue, Integer& ACount);
  virtual void CalculateItem(TcxDataSummaryItem* AItem, Integer ARecordIndex, Variant& AValue, Integer& ACount);
  virtual void EndCalculation(TcxDataSummaryItems* AItems, TcxDataSummaryCountValues& ACounts, Variant& AResult,
                              TcxDataSummaryValues& AValues);
  // The record at a view-order position that takes part: -1 for one that is not
  // selected when only selected records count.
  virtual Integer GetRecordIndex(Integer APosition) const;
  virtual void SummaryChanged();
  virtual void CalculateFooterSummary();
  virtual void CalculateGroupSummaries();
  virtual void Calculate();
  virtual void DoCalculateFooter();
  virtual void DoCalculateGroups();

  void BeginUpdate();
  void EndUpdate();
  void CancelUpdate();

  TcxCustomDataController* DataController() const { return FDataController; }
  TcxDataGroupSummaryItems* DefaultGroupSummaryItems() const { return FDefaultGroupSummaryItems; }
  TcxDataFooterSummaryItems* FooterSummaryItems() const { return FFooterSummaryItems; }
  TcxDataSummaryGroups* SummaryGroups() const { return FSummaryGroups; }
  TcxSummaryOptions GetOptions() const { return FOptions; }
  void SetOptions(TcxSummaryOptions Value);
  bool InCalculation() const { return FInCalculation; }
  // An after-summary step was held back while the owner loaded.
  bool AfterSummaryPending() const { return FAfterSummaryPending; }
  bool Destroying() const { return FDestroying; }
  // Suspended summaries calculate nothing (the last values stay).
  void SetSuspended(bool Value) { FSuspended = Value; }

  // One element per footer item; Null before the first calculation.
  const Variant& FooterSummaryValues() const { return FFooterSummaryValues; }
  Variant GetFooterSummaryValue(Integer AIndex) const;
  void SetFooterSummaryValue(Integer AIndex, const Variant& AValue);
  String GetFooterSummaryText(Integer AIndex);
  // The items of a grouping level: its summary group's, else the default group items.
  TcxDataGroupSummaryItems* GetGroupSummaryItems(Integer ALevel) const;
  // Values of a data group (a group index of the controller's groups).
  Variant GetGroupSummaryValue(Integer AGroupIndex, Integer AIndex) const;
  void SetGroupSummaryValue(Integer AGroupIndex, Integer AIndex, const Variant& AValue);
  // The text of a group row, for example "(SUM=12.00, COUNT=3)".
  String GetGroupSummaryText(Integer AGroupIndex);
  // Every item and link of the field loses it; recalculates when something changed.
  void FieldRemoved(TcxCustomDataField* AField);
  // A grouping item belongs to one summary group: the link leaves every other group.
  void LinkSet(TcxDataSummaryGroupItemLink* ALink);

  TcxAfterSummaryEvent OnAfterSummary;

 private:
  bool IsValidIndex(const Variant& AValues, Integer AIndex) const;
  // Whether the items' numbers may be summed straight from the record buffers.
  bool CanCalculateFromStorage(TcxDataSummaryItems* AItems) const;
  TcxCustomDataController* FDataController;
  TcxDataGroupSummaryItems* FDefaultGroupSummaryItems = nullptr;
  TcxDataFooterSummaryItems* FFooterSummaryItems = nullptr;
  TcxDataSummaryGroups* FSummaryGroups = nullptr;
  TcxSummaryOptions FOptions;
  Variant FFooterSummaryValues;
  bool FInCalculation = false;
  Integer FLockCount = 0;
  bool FDestroying = false;
  bool FSuspended = false;
  bool FAfterSummaryPending = false;
  // Items whose calculation raised in this pass: they finish as Null.
  std::vector<const TcxDataSummaryItem*> FFailed;
  // During a pass: the fields' numbers read out in storage order (the pass's own).
  TcxDataSummaryColumns* FColumns = nullptr;
  friend class TcxDataSummaryColumnScope;
};
