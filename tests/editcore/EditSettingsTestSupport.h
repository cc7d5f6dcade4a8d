// Editor settings tests: the foundation and editor units started, an in-memory provider of
// bound-data defaults, and a minimal editor that owns properties and links repository items
// the way the editor control does.
#pragma once

#include "classlib/core/Filer.h"
#include "classlib/core/Streams.h"
#include "tests/foundation/PainterTestFixture.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editcore/cxEdit.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxContainer.h"

#include <gtest/gtest.h>

// Defaults as a data set would answer them, set by the test.
class TMemoryDefaultValuesProvider : public TcxCustomEditDefaultValuesProvider {
  TL_CLASS(TMemoryDefaultValuesProvider, TcxCustomEditDefaultValuesProvider)
 public:
  TMemoryDefaultValuesProvider() : TcxCustomEditDefaultValuesProvider(nullptr) {}
  TAlignment DefaultAlignment() override { return Alignment; }
  bool DefaultReadOnly() override { return ReadOnly; }
  bool CanSetEditMode() override { return CanEdit; }
  bool IsDisplayFormatDefined(bool AIsCurrencyValueAccepted) override {
    return HasDisplayFormat || (AIsCurrencyValueAccepted && IsCurrency);
  }

  TAlignment Alignment = TAlignment::taRightJustify;
  bool ReadOnly = false;
  bool CanEdit = true;
  bool HasDisplayFormat = false;
  bool IsCurrency = false;
};

// Properties of a kind that validates and answers its own class.
class TTestEditProperties : public TcxCustomEditProperties {
  TL_CLASS(TTestEditProperties, TcxCustomEditProperties)
 public:
  using TcxCustomEditProperties::TcxCustomEditProperties;
  bool CanValidate() const override { return true; }
  String GetValidateErrorText() const override { return "Invalid"; }
  TcxCustomEditProperties* CreateSameClass() const override { return New<TTestEditProperties>(nullptr); }
};

class TTestRepositoryItem : public TcxEditRepositoryItem {
  TL_CLASS(TTestRepositoryItem, TcxEditRepositoryItem)
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
  TcxCustomEditPropertiesClass GetEditPropertiesClass() const override {
    return ClassOf<TTestEditProperties, TcxCustomEditProperties, TPersistent*>();
  }
};

// Properties of the plain base class: not acceptable to a TTestEdit.
class TPlainRepositoryItem : public TcxEditRepositoryItem {
  TL_CLASS(TPlainRepositoryItem, TcxEditRepositoryItem)
 public:
  using TcxEditRepositoryItem::TcxEditRepositoryItem;
};

// The least editor: own properties, a provider from its "binding", the repository link, and a
// record of the properties changes it heard.
class TTestEdit : public TcxContainer, public IcxEditPropertiesHost, public IcxEditRepositoryItemHost {
  TL_CLASS(TTestEdit, TcxContainer)
 public:
  explicit TTestEdit(TComponent* AOwner, bool AInplace = false) : TcxContainer(AOwner), FInplace(AInplace) {}
  void AfterConstruction() override {
    inherited::AfterConstruction();
    FLink = New<TcxEditRepositoryItemLink>(static_cast<IcxEditRepositoryItemHost*>(this));
    FProperties = New<TTestEditProperties>(this);
    FProperties->OnPropertiesChanged = {this, &TTestEdit::OwnChanged};
  }
  void BeforeDestruction() override {
    // Settings touched while going away must not reach the editor.
    FProperties->SetAutoSelect(!FProperties->GetAutoSelect());
    FreeAndNil(FLink);
    FreeAndNil(FProperties);
    inherited::BeforeDestruction();
  }
  bool IsInplace() const override { return FInplace; }
  TcxContainerStyleClass GetStyleClass() const override { return cxEditStyleClassOf<TcxEditStyle>(); }
  TcxEditStyle* EditStyle(TcxContainerStateItem S = TcxContainerStateItem::csNormal) const {
    return static_cast<TcxEditStyle*>(S == TcxContainerStateItem::csNormal ? GetStyle()
                                      : S == TcxContainerStateItem::csActive ? GetStyleFocused()
                                      : S == TcxContainerStateItem::csHotTrack ? GetStyleHot()
                                                                               : GetStyleDisabled());
  }

  TcxEditRepositoryItem* GetRepositoryItem() const { return FLink->GetItem(); }
  void SetRepositoryItem(TcxEditRepositoryItem* V) { FLink->SetItem(V); }

  // IcxEditPropertiesHost and IcxEditRepositoryItemHost
  TcxCustomEditProperties* GetOwnProperties() override { return FProperties; }
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TTestEditProperties, TcxCustomEditProperties, TPersistent*>();
  }
  TcxCustomEditProperties* GetActiveProperties() override { return FLink->GetActiveProperties(); }
  bool HasRepositoryItem() override { return FLink->GetItem() != nullptr; }
  Variant GetCurrentDisplayValue() override { return Variant(DisplayText); }
  bool IsLinkLocked() override { return InState(TComponentStateItem::csLoading) || InState(TComponentStateItem::csDestroying); }
  void PropertiesChanged(TObject* Sender) override {
    Heard.push_back(static_cast<TcxCustomEditProperties*>(Sender));
    if (Notices) ++*Notices;
  }
  IcxEditDefaultValuesProvider* GetDefaultValuesProvider() override { return Provider; }

  std::vector<TcxCustomEditProperties*> Heard;
  IcxEditDefaultValuesProvider* Provider = nullptr;
  String DisplayText = "typed";
  // Also counted outside, to be read after the editor is gone.
  int* Notices = nullptr;

 private:
  void OwnChanged(TObject* Sender) { PropertiesChanged(Sender); }
  bool FInplace;
  TTestEditProperties* FProperties = nullptr;
  TcxEditRepositoryItemLink* FLink = nullptr;
};

// Counts the notices it hears.
class TNoticeCounter : public TObject {
 public:
  void Notice(TObject*) { ++Count; }
  TNotifyEvent Handler() { return {this, &TNoticeCounter::Notice}; }
  void ClosePopup(TcxControl*, TcxEditCloseUpReason) { ++Count; }
  int Count = 0;
};

// A change handler that raises, as a faulty one would.
class TFailingNotice : public TObject {
 public:
  void Notice(TObject*) {
    ++Count;
    throw Exception("change handler failed");
  }
  TNotifyEvent Handler() { return {this, &TFailingNotice::Notice}; }
  int Count = 0;
};

class EditSettingsTest : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
  }
  void TearDown() override {
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    PainterTest::TearDown();
  }
  static String Write(TComponent* root) {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    m->WriteComponent(root);
    return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  }
  static void Read(const String& bytes, TComponent* into) {
    Owned<TStringStream> s(New<TStringStream>(bytes));
    s->ReadComponent(into);
  }
};
