// The drop-down editors' tests: a shown form with the widget units started, keys and clicks
// through the headless host, and what the popup window shows.
#pragma once

#include "classlib/visual/Forms.h"
#include "platform/user/User.h"
#include "platform/user/UserTesting.h"
#include "tests/support/AppTest.h"
#include "widgets/editcore/EditcoreUnits.h"
#include "widgets/editors/EditorsUnits.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/foundation/FoundationUnits.h"
#include "widgets/foundation/cxControls.h"

#include <gtest/gtest.h>

// Counts the events of a drop-down edit and remembers the last close-up reason.
class TDropDownEvents : public TObject {
 public:
  int Changes = 0, CloseUps = 0, Popups = 0;
  TcxEditCloseUpReason Reason = TcxEditCloseUpReason::crNone;
  void Change(TObject*) { ++Changes; }
  void CloseUp(TObject*) { ++CloseUps; }
  void Popup(TObject*) { ++Popups; }
  void ClosePopup(TcxControl*, TcxEditCloseUpReason AReason) { Reason = AReason; }
  void Listen(TcxCustomDropDownEditProperties* P) {
    P->OnChange = {this, &TDropDownEvents::Change};
    P->OnCloseUp = {this, &TDropDownEvents::CloseUp};
    P->OnPopup = {this, &TDropDownEvents::Popup};
    P->OnClosePopup = {this, &TDropDownEvents::ClosePopup};
  }
};

// Frees its victim the first time a handler it is set to runs; Runs counts only that run.
class TDropDownFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Runs = 0;
  void Notify(TObject*) {
    if (!Victim) return;
    ++Runs;
    TObject* v = Victim;
    Victim = nullptr;
    v->Free();
  }
};

class DropDownTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    WidgetsFoundationInitialize();
    WidgetsEditcoreInitialize();
    WidgetsEditorsInitialize();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 400, 300);
    other = New<TEdit>(form);
    other->SetBounds(10, 200, 100, 21);
    other->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    host().PumpUntilIdle();
    cxControls::Finalize();
    WidgetsEditorsFinalize();
    WidgetsEditcoreFinalize();
    WidgetsFoundationFinalize();
    AppTest::TearDown();
  }
  // A combo box with the items at (10, 10), 150 wide, focused.
  TcxComboBox* AddCombo(std::initializer_list<const char*> AItems,
                        TcxEditDropDownListStyle AStyle = TcxEditDropDownListStyle::lsEditList) {
    auto* c = New<TcxComboBox>(form);
    c->SetBounds(10, 10, 150, 21);
    c->SetParent(form);
    for (const char* s : AItems) c->GetComboProperties()->GetItems()->Add(s);
    c->GetComboProperties()->SetDropDownListStyle(AStyle);
    events.Listen(c->GetComboProperties());
    host().PumpUntilIdle();
    c->SetFocus();
    host().PumpUntilIdle();
    return c;
  }
  void Key(int vk) {
    host().Key(vk);
    host().PumpUntilIdle();
  }
  void AltKey(int vk) {
    host().KeyDown(VK_MENU);
    host().Key(vk);
    host().KeyUp(VK_MENU);
    host().PumpUntilIdle();
  }
  void Type(const char* s) {
    for (; *s; ++s) {
      host().Char(Byte(*s));
      host().PumpUntilIdle();
    }
  }
  // A click in the middle of the edit's drop-down button.
  void ClickButton(TcxCustomDropDownEdit* e) {
    const TRect b = e->EditViewInfo()->ButtonsInfo[0]->Bounds;
    host().Click(e->GetHandle(), (b.Left + b.Right) / 2, (b.Top + b.Bottom) / 2);
    host().PumpUntilIdle();
  }
  static String Text(TcxCustomTextEdit* e) { return VarToStr(e->GetDisplayValue()); }
  static TRect ScreenRect(TWinControl* c) {
    TRect r{};
    GetWindowRect(c->GetHandle(), &r);
    return r;
  }
  static TcxCustomEditListBox* List(TcxCustomComboBox* c) { return c->LookupData()->GetList(); }

  TCustomForm* form = nullptr;
  TEdit* other = nullptr;
  TDropDownEvents events;
};
