// The lookup edit's tests: a lookup edit whose list is a plain lookup grid over records of
// (integer key, name), the key being the first column's value, on the dialog form; keys and
// characters through the headless host.
#pragma once

#include "tests/databinding/LookupGridTestSupport.h"
#include "widgets/databinding/cxLookupEdit.h"
#include "widgets/foundation/cxVariants.h"

#include <utility>
#include <vector>

// Properties answering the list operations from their own grid: column 0 holds the key,
// column 1 the text.
class TTestLookupEditProperties : public TcxCustomLookupEditProperties {
  TL_CLASS(TTestLookupEditProperties, TcxCustomLookupEditProperties)
 public:
  using TcxCustomLookupEditProperties::TcxCustomLookupEditProperties;
  void AfterConstruction() override {
    inherited::AfterConstruction();
    FGrid = New<TcxLookupGrid>(nullptr);
    FGrid->SetIsPopup(true);
    for (const char* caption : {"Key", "Name"}) {
      TcxLookupGridColumn* column = FGrid->GetColumns()->Add();
      column->SetCaption(caption);
    }
    FGrid->GetColumns()->GetItem(0)->SetValueTypeClass(TcxIntegerValueType::StaticClass());
    FGrid->GetColumns()->GetItem(1)->SetValueTypeClass(TcxStringValueType::StaticClass());
    AddListDataChangeListener();
  }
  void BeforeDestruction() override {
    RemoveListDataChangeListener();
    if (FGrid) FGrid->Free();
    FGrid = nullptr;
    inherited::BeforeDestruction();
  }
  TcxCustomEditProperties* CreateSameClass() const override { return New<TTestLookupEditProperties>(nullptr); }
  TcxCustomEditClass GetContainerClass() const override;

  TWinControl* GetListControl() const override { return FGrid; }
  Integer GetListColumnCount() const override { return FGrid ? FGrid->GetColumns()->Count() : 0; }
  TcxCustomLookupGrid* GetLookupGrid() const override { return FGrid; }
  TcxCustomDataController* GetListDataController() const override {
    return FGrid ? FGrid->GetDataController() : nullptr;
  }
  Integer GetListColumnsWidth() const override {
    Integer w = 0;
    for (Integer i = 0; i < GetListColumnCount(); ++i) w += FGrid->GetColumns()->GetItem(i)->GetWidth();
    return w;
  }
  Integer SnapListHeight(Integer AHeight) const override { return FGrid->SnapPopupHeight(AHeight); }
  Integer GetListHeightForRowCount(Integer ARowCount) const override { return FGrid->GetHeightForRowCount(ARowCount); }
  void SetListEvents(TcxCustomLookupEditLookupData* AData, bool AWire) override {
    FGrid->OnCloseUp = AWire ? TcxLookupGridCloseUpEvent(AData, &TcxCustomLookupEditLookupData::GridCloseUp)
                             : TcxLookupGridCloseUpEvent();
  }
  Variant GetRecordKey(Integer ARecordIndex) const override {
    TcxCustomDataController* c = GetListDataController();
    if (ARecordIndex < 0 || ARecordIndex >= c->GetRecordCount()) return Null();
    return c->GetValue(ARecordIndex, c->GetItemField(0));
  }
  Integer FindRecordIndexByKey(const Variant& AKey) override {
    ++KeySearches;
    TcxCustomDataController* c = GetListDataController();
    if (VarIsNull(AKey) || VarIsEmpty(AKey)) return -1;
    for (Integer r = 0; r < c->GetRecordCount(); ++r)
      if (cxVariantsEqual(c->GetValue(r, c->GetItemField(0)), AKey)) return r;
    return -1;
  }

  TcxLookupGrid* Grid() const { return FGrid; }
  // (key, name) records, replacing what the list held.
  void Fill(const std::vector<std::pair<Integer, String>>& ARecords) {
    TcxCustomDataController* c = GetListDataController();
    c->BeginUpdate();
    c->SetRecordCount(Integer(ARecords.size()));
    for (size_t r = 0; r < ARecords.size(); ++r) {
      c->SetValue(Integer(r), 0, Variant(ARecords[r].first));
      c->SetValue(Integer(r), 1, Variant(ARecords[r].second));
    }
    c->EndUpdate();
  }
  Integer KeySearches = 0;

 private:
  TcxLookupGrid* FGrid = nullptr;
};

class TTestLookupEdit : public TcxCustomLookupEdit {
  TL_CLASS(TTestLookupEdit, TcxCustomLookupEdit)
 public:
  using TcxCustomLookupEdit::TcxCustomLookupEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TTestLookupEditProperties, TcxCustomEditProperties, TPersistent*>();
  }
  TTestLookupEditProperties* Props() const { return static_cast<TTestLookupEditProperties*>(GetProperties()); }
};

inline TcxCustomEditClass TTestLookupEditProperties::GetContainerClass() const {
  return ClassOf<TTestLookupEdit, TcxCustomEdit, TComponent*, bool>();
}

// Counts a properties object's change notices.
class TChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++Count; }
  int Count = 0;
};

class LookupEditTest : public DatabindingTest {
 protected:
  // A lookup edit at (10, 10) on the form, shown and focused, over the records.
  TTestLookupEdit* MakeEdit(const std::vector<std::pair<Integer, String>>& ARecords) {
    auto* e = New<TTestLookupEdit>(form);
    e->SetParent(form);
    e->SetBounds(10, 10, 150, 21);
    e->Props()->Fill(ARecords);
    Show();
    e->SetFocus();
    Pump();
    return e;
  }
  void Key(int vk) {
    host().Key(vk);
    Pump();
  }
  void AltKey(int vk) {
    host().KeyDown(VK_MENU);
    host().Key(vk);
    host().KeyUp(VK_MENU);
    Pump();
  }
  static String Text(TcxCustomTextEdit* e) { return VarToStr(e->GetDisplayValue()); }
};
