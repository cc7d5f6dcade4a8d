// Text properties and lookup data tests: text properties whose editing style the test sets, a
// numeric kind for formatting, and the least text editor (a container that owns properties,
// lookup data and a drop-down popup and answers what they ask of an editor).
#pragma once

#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Locale.h"
#include "platform/user/UserTesting.h"
#include "tests/editcore/EditSettingsTestSupport.h"
#include "widgets/editcore/cxTextEdit.h"
#include "widgets/editcore/cxTextEditLookupData.h"

// Text properties of a kind that chooses its editing style and may show a drop-down list.
class TTestTextProperties : public TcxTextEditProperties {
  TL_CLASS(TTestTextProperties, TcxTextEditProperties)
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TTestTextProperties>(nullptr); }
  TcxEditEditingStyle GetEditingStyle() const override {
    return FixedStyle ? *FixedStyle : inherited::GetEditingStyle();
  }
  Integer GetDropDownPageSize() const override { return PageSize; }
  TcxCustomTextEditLookupDataClass GetLookupDataClass() const override;

  std::optional<TcxEditEditingStyle> FixedStyle;
  Integer PageSize = 8;
};

// A numeric kind: values are numbers, shown in the display format; it publishes the formats
// and bounds as the numeric editors do.
class TTestNumericProperties : public TTestTextProperties {
  TL_CLASS(TTestNumericProperties, TTestTextProperties)
 public:
  using TTestTextProperties::TTestTextProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TTestNumericProperties>(nullptr); }
  bool IsEditValueNumeric() const override { return true; }
};

// Lookup data with the drop-down list of a combo-like editor.
class TTestLookupData : public TcxCustomTextEditLookupData {
  TL_CLASS(TTestLookupData, TcxCustomTextEditLookupData)
 public:
  using TcxCustomTextEditLookupData::TcxCustomTextEditLookupData;
  TcxCustomEditListBoxClass GetListClass() const override {
    return ClassOf<TcxCustomEditListBox, TcxCustomEditListBox, TComponent*>();
  }
};

inline TcxCustomTextEditLookupDataClass TTestTextProperties::GetLookupDataClass() const {
  return ClassOf<TTestLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

// The least text editor: the text is a string it holds, the value conversion reads numbers in
// the locale's form, and a popup holds the lookup data's list.
class TTestTextEdit : public TcxContainer,
                      public IcxEditPropertiesHost,
                      public IcxTextEditPropertiesHost,
                      public IcxTextEditLookupDataOwner {
  TL_CLASS(TTestTextEdit, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  void AfterConstruction() override {
    inherited::AfterConstruction();
    Properties = New<TTestTextProperties>(this);
    Lookup = Properties->GetLookupDataClass().Create(this);
    Lookup->OnCurrentKeyChanged = {this, &TTestTextEdit::KeyChanged};
  }
  void BeforeDestruction() override {
    FreeAndNil(Lookup);
    FreeAndNil(Properties);
    inherited::BeforeDestruction();
  }

  // IcxEditPropertiesHost
  TcxCustomEditProperties* GetOwnProperties() override { return Properties; }
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TTestTextProperties, TcxCustomEditProperties, TPersistent*>();
  }
  TcxCustomEditProperties* GetActiveProperties() override { return Properties; }
  bool HasRepositoryItem() override { return false; }
  Variant GetCurrentDisplayValue() override { return Variant(Text); }
  // IcxTextEditPropertiesHost
  bool IsEditFocused() override { return Focused; }
  bool IsInplaceEdit() override { return false; }
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) override {
    String s = VarToStr(ADisplayValue);
    cxRemoveThousandSeparators(s);
    AEditValue = Trim(s).empty() ? Variant::MakeNull() : Variant(StrToFloat(Trim(s)));
  }
  // IcxTextEditLookupDataOwner
  TcxCustomTextEditProperties* GetLookupProperties() override { return Properties; }
  String GetLookupEditText() override { return Text; }
  bool DoLookupEditing() override { return CanEdit; }
  bool IsLookupEditingLocked() override { return false; }
  void SetLookupSelecting(bool Value) override { Selecting = Value; }
  void LookupMatchEnd() override { Text = Lookup->GetCurrentText(); }
  TcxContainerStyle* GetLookupActiveStyle() override { return GetStyle(); }

  void KeyChanged(TObject*) { ++KeyChanges; }

  TTestTextProperties* Properties = nullptr;
  TcxCustomTextEditLookupData* Lookup = nullptr;
  String Text;
  bool Focused = false, CanEdit = true, Selecting = false;
  int KeyChanges = 0;
};

// Writes its editor's text properties as "Properties".
class TTextPropertiesHost : public TComponent {
  TL_CLASS(TTextPropertiesHost, TComponent)
 public:
  explicit TTextPropertiesHost(TComponent* AOwner) : TComponent(AOwner) {}
  void AfterConstruction() override {
    inherited::AfterConstruction();
    FProperties = New<TTestNumericProperties>(this);
  }
  void BeforeDestruction() override {
    FreeAndNil(FProperties);
    inherited::BeforeDestruction();
  }
  TTestNumericProperties* GetProperties() const { return FProperties; }
  void SetProperties(TTestNumericProperties* V) { FProperties->Assign(V); }

 private:
  TTestNumericProperties* FProperties = nullptr;
};

class TextEditTest : public EditSettingsTest {
 protected:
  void SetUp() override {
    EditSettingsTest::SetUp();
    GetFormatSettings();
    previousHook_ = SetLocaleChangedHook(UserBroadcastLocaleChange);
  }
  void TearDown() override {
    SetLocaleChangedHook(previousHook_);
    ResetLocale();
    FormatSettings = DefaultFormatSettings();
    EditSettingsTest::TearDown();
  }

 private:
  LocaleChangedHook previousHook_ = nullptr;
};
