// Editors freed by their own handlers: typing, keys, clicks on the buttons, validation and the
// drop-downs (list, calendar, calculator) each run a handler that frees the editor, and
// nothing after the handler may touch it. The sanitizer build sees any use of freed memory;
// every build checks that the handler ran, freed the editor and that the form goes on.
#include "tests/editors/DropDownTestSupport.h"
#include "widgets/editcore/cxMaskEdit.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxSpinEdit.h"
#include "widgets/special/SpecialUnits.h"
#include "widgets/special/cxButtonEdit.h"
#include "widgets/special/cxCalcEdit.h"
#include "widgets/special/cxDateEdit.h"

#include <functional>
#include <string>
#include <tuple>

namespace {

// Every handler frees the editor it was given (or what holds it), once.
class TFreer : public TObject {
 public:
  TObject* Victim = nullptr;
  int Runs = 0;
  void FreeVictim() {
    ++Runs;
    TObject* v = Victim;
    Victim = nullptr;
    if (v) v->Free();
  }
  void HNotify(TObject*) { FreeVictim(); }
  void HKey(TObject*, Word&, TShiftState) { FreeVictim(); }
  void HKeyPress(TObject*, Char&) { FreeVictim(); }
  void HMouse(TObject*, TMouseButton, TShiftState, Integer, Integer) { FreeVictim(); }
  void HButtonClick(TObject*, Integer) { FreeVictim(); }
  void HClosePopup(TcxControl*, TcxEditCloseUpReason) { FreeVictim(); }
  void HValidate(TObject*, Variant&, String&, bool&) { FreeVictim(); }
};

// Counts the form's closes and keeps it open.
class TFormCloses : public TObject {
 public:
  int Count = 0;
  void OnClose(TObject*, TCloseAction& AAction) {
    ++Count;
    AAction = TCloseAction::caNone;
  }
};

using Hook = std::function<void(TcxCustomEdit*, TFreer*)>;

const Hook onKeyDown = [](TcxCustomEdit* e, TFreer* f) { e->OnKeyDown = {f, &TFreer::HKey}; };
const Hook onKeyPress = [](TcxCustomEdit* e, TFreer* f) { e->OnKeyPress = {f, &TFreer::HKeyPress}; };
const Hook onKeyUp = [](TcxCustomEdit* e, TFreer* f) { e->OnKeyUp = {f, &TFreer::HKey}; };
const Hook onChange = [](TcxCustomEdit* e, TFreer* f) { e->GetProperties()->OnChange = {f, &TFreer::HNotify}; };
const Hook onEditValueChanged = [](TcxCustomEdit* e, TFreer* f) {
  e->GetProperties()->OnEditValueChanged = {f, &TFreer::HNotify};
};
const Hook onValidate = [](TcxCustomEdit* e, TFreer* f) { e->GetProperties()->OnValidate = {f, &TFreer::HValidate}; };
const Hook onMouseDown = [](TcxCustomEdit* e, TFreer* f) { e->OnMouseDown = {f, &TFreer::HMouse}; };
const Hook onMouseUp = [](TcxCustomEdit* e, TFreer* f) { e->OnMouseUp = {f, &TFreer::HMouse}; };
const Hook onButtonClick = [](TcxCustomEdit* e, TFreer* f) {
  e->GetProperties()->OnButtonClick = {f, &TFreer::HButtonClick};
};
const Hook onCloseUp = [](TcxCustomEdit* e, TFreer* f) {
  static_cast<TcxCustomDropDownEditProperties*>(e->GetProperties())->OnCloseUp = {f, &TFreer::HNotify};
};
const Hook onClosePopup = [](TcxCustomEdit* e, TFreer* f) {
  e->GetProperties()->OnClosePopup = {f, &TFreer::HClosePopup};
};

class EditFreedByHandler : public DropDownTest {
 protected:
  void SetUp() override {
    DropDownTest::SetUp();
    WidgetsSpecialInitialize();
  }
  void TearDown() override {
    WidgetsSpecialFinalize();
    DropDownTest::TearDown();
  }
  template <class T>
  T* Add(TWinControl* AParent = nullptr) {
    auto* e = New<T>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(AParent ? AParent : form);
    host().PumpUntilIdle();
    e->SetFocus();
    host().PumpUntilIdle();
    return e;
  }
  // Hooks the handler to the editor, acts, and checks that the handler freed the editor
  // (with AVictim, what holds it) while the form lives on and takes keys.
  void Expect(TcxCustomEdit* e, const Hook& AHook, const std::function<void()>& AAct, const char* AWhat,
              TObject* AVictim = nullptr) {
    TFreer freer;
    freer.Victim = AVictim ? AVictim : e;
    TWeakLink link(e), victim(freer.Victim);
    AHook(e, &freer);
    AAct();
    host().PumpUntilIdle();
    EXPECT_FALSE(link.Alive()) << AWhat;
    EXPECT_FALSE(victim.Alive()) << AWhat;
    EXPECT_EQ(freer.Runs, 1) << AWhat;
    EXPECT_EQ(form->ComponentCount(), 1) << AWhat << ": only the other edit is left";
    other->SetFocus();
    host().PumpUntilIdle();
    EXPECT_EQ(GetFocus(), other->GetHandle()) << AWhat;
    for (String s : TakeExceptions()) ADD_FAILURE() << AWhat << ": " << s;
  }
  void Click(TWinControl* c, const TRect& r) {
    host().Click(c->GetHandle(), (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  static TRect ButtonBounds(TcxCustomEdit* e, Integer AIndex) {
    for (const auto& b : e->EditViewInfo()->ButtonsInfo)
      if (b->ButtonIndex == AIndex) return b->Bounds;
    ADD_FAILURE() << "no button " << AIndex;
    return {};
  }
};

TEST_F(EditFreedByHandler, WhileTyping) {
  const std::pair<Hook, const char*> hooks[] = {{onKeyDown, "OnKeyDown"},
                                                 {onKeyPress, "OnKeyPress"},
                                                 {onKeyUp, "OnKeyUp"},
                                                 {onChange, "OnChange"}};
  const std::pair<std::function<TcxCustomEdit*()>, const char*> kinds[] = {
      {[&] { return Add<TcxTextEdit>(); }, "text"},
      {[&] {
         auto* e = Add<TcxMaskEdit>();
         e->GetMaskProperties()->SetEditMask("999;1;_");
         return e;
       },
       "masked"},
      {[&] {
         auto* e = Add<TcxMaskEdit>();
         e->GetMaskProperties()->SetMaskKind(TcxEditMaskKind::emkRegExprEx);
         e->GetMaskProperties()->SetEditMask("[0-9]+");
         return e;
       },
       "regular expression"},
      {[&] { return Add<TcxMemo>(); }, "memo"},
      {[&] { return Add<TcxSpinEdit>(); }, "spin"},
      {[&] { return Add<TcxButtonEdit>(); }, "button"},
      {[&] { return Add<TcxDateEdit>(); }, "date"},
      {[&] { return Add<TcxComboBox>(); }, "combo"},
      {[&] { return Add<TcxCalcEdit>(); }, "calculator"},
  };
  for (const auto& [make, kind] : kinds)
    for (const auto& [hook, event] : hooks) {
      const std::string what = std::string(kind) + " " + event;
      Expect(make(), hook, [&] { Key('1'); }, what.c_str());
    }
}

TEST_F(EditFreedByHandler, SpinKeysAndClicks) {
  using B = TcxSpinEditButton;
  for (const auto& [hook, event] : {std::pair{onChange, "OnChange"}, {onKeyDown, "OnKeyDown"}}) {
    std::string what = std::string("up key ") + event;
    Expect(Add<TcxSpinEdit>(), hook, [&] { Key(VK_UP); }, what.c_str());
    what = std::string("held up key ") + event;
    Expect(Add<TcxSpinEdit>(), hook, [&] { host().KeyDown(VK_UP); host().PumpUntilIdle(); }, what.c_str());
    host().KeyUp(VK_UP);
  }
  for (const auto& [hook, event] :
       {std::pair{onChange, "OnChange"}, {onMouseDown, "OnMouseDown"}, {onMouseUp, "OnMouseUp"}}) {
    const std::string what = std::string("click ") + event;
    TcxSpinEdit* e = Add<TcxSpinEdit>();
    const TRect r = ButtonBounds(e, Ord(B::sebForward));
    Expect(e, hook, [&] { Click(e, r); }, what.c_str());
  }
}

TEST_F(EditFreedByHandler, ButtonEditClicksAndTheMouse) {
  for (const auto& [hook, event] :
       {std::pair{onButtonClick, "OnButtonClick"}, {onMouseDown, "OnMouseDown"}, {onMouseUp, "OnMouseUp"}}) {
    TcxButtonEdit* e = Add<TcxButtonEdit>();
    const TRect r = ButtonBounds(e, 0);
    Expect(e, hook, [&] { Click(e, r); }, event);
  }
  // The click key presses the default button.
  TcxButtonEdit* e = Add<TcxButtonEdit>();
  e->GetButtonEditProperties()->GetButtons()->Items(0)->SetDefault(true);
  Expect(e, onButtonClick, [&] {
    host().KeyDown(VK_CONTROL);
    host().Key(VK_RETURN);
    host().KeyUp(VK_CONTROL);
  }, "click key");
}

TEST_F(EditFreedByHandler, Validation) {
  for (const auto& [make, kind] :
       {std::pair<std::function<TcxCustomEdit*()>, const char*>{[&] { return Add<TcxDateEdit>(); }, "date"},
        {[&] { return Add<TcxTextEdit>(); }, "text"},
        {[&] { return Add<TcxSpinEdit>(); }, "spin"}}) {
    TcxCustomEdit* e = make();
    Type("3");
    std::string what = std::string(kind) + " on leaving";
    Expect(e, onValidate, [&] { other->SetFocus(); }, what.c_str());
    e = make();
    e->GetProperties()->SetValidateOnEnter(true);
    Type("4");
    what = std::string(kind) + " on Enter";
    Expect(e, onValidate, [&] { Key(VK_RETURN); }, what.c_str());
  }
}

TEST_F(EditFreedByHandler, DateEditCalendar) {
  for (const auto& [hook, event] : {std::pair{onChange, "OnChange"},
                                    {onEditValueChanged, "OnEditValueChanged"},
                                    {onCloseUp, "OnCloseUp"},
                                    {onClosePopup, "OnClosePopup"}}) {
    TcxDateEdit* e = Add<TcxDateEdit>();
    e->GetProperties()->SetImmediatePost(true);
    Expect(e, hook, [&] {
      host().WhenIdle([&] {
        TcxPopupCalendar* cal = e->Calendar();
        Click(cal, cal->CellRect(2, 3));
      });
      Key(VK_F4);
    }, event);
  }
}

TEST_F(EditFreedByHandler, ComboBoxClosing) {
  for (const auto& [hook, event] : {std::pair{onCloseUp, "OnCloseUp"},
                                    {onClosePopup, "OnClosePopup"},
                                    {onChange, "OnChange"}}) {
    for (const Word closeKey : {Word(VK_RETURN), Word(VK_ESCAPE), Word(VK_F4)}) {
      // Only a choice taken changes the text.
      if (std::string(event) == "OnChange" && closeKey != VK_RETURN) continue;
      TcxComboBox* e = Add<TcxComboBox>();
      e->GetComboProperties()->GetItems()->Add("one");
      e->GetComboProperties()->GetItems()->Add("two");
      const std::string what = std::string(event) + " closing with key " + std::to_string(closeKey);
      Expect(e, hook, [&] {
        Key(VK_F4);
        Key(VK_DOWN);
        Key(closeKey);
      }, what.c_str());
    }
  }
}

TEST_F(EditFreedByHandler, CalculatorPopup) {
  using K = TcxCalcButtonKind;
  const std::pair<Hook, const char*> hooks[] = {{onChange, "OnChange"}, {onCloseUp, "OnCloseUp"},
                                                 {onClosePopup, "OnClosePopup"}};
  for (const auto& [hook, event] : hooks)
    for (const K button : {K::cbNum1, K::cbEqual, K::cbClear, K::cbAdd, K::cbDecimal}) {
      // A digit changes the text at once.
      if (std::string(event) == "OnChange" && button != K::cbNum1) continue;
      TcxCalcEdit* e = Add<TcxCalcEdit>();
      e->GetCalcEditProperties()->SetQuickClose(true);
      e->SetValue(7);
      const std::string what = std::string(event) + " button " + std::to_string(int(button));
      Expect(e, hook, [&] {
        host().WhenIdle([&] {
          TcxCustomCalculator* calc = e->Calculator();
          // Pressed through the mouse and then through a key: whichever frees the edit ends it.
          Click(calc, calc->Button(button).Bounds);
          host().WhenIdle([&] { host().Char('='); host().WhenIdle([&] { host().Key(VK_ESCAPE); }); });
        });
        Key(VK_F4);
      }, what.c_str());
    }
}

// The container's hooks close a shown drop-down when the application loses activation and
// when its window gets WM_CLOSE (Alt+F4 in it); the handlers the close runs free the editor,
// the popup's owner, while the hook still holds it.
TEST_F(EditFreedByHandler, DropDownClosedByTheHooks) {
  const std::pair<Hook, const char*> hooks[] = {{onCloseUp, "OnCloseUp"}, {onClosePopup, "OnClosePopup"}};
  // Each kind with whether its drop-down runs its own loop (the close then comes from it).
  const std::tuple<std::function<TcxCustomDropDownEdit*()>, const char*, bool> kinds[] = {
      {[&] { return Add<TcxDateEdit>(); }, "date", true},
      {[&] {
         auto* e = Add<TcxComboBox>();
         e->GetComboProperties()->GetItems()->Add("one");
         return e;
       },
       "combo", false},
      {[&] { return Add<TcxCalcEdit>(); }, "calculator", true}};
  for (const auto& [hook, event] : hooks)
    for (const auto& [make, kind, runsLoop] : kinds) {
      const bool ownLoop = runsLoop;
      const auto dropDownAnd = [&](const std::function<void()>& AClose) {
        if (ownLoop) host().WhenIdle(AClose);
        Key(VK_F4);
        if (!ownLoop) AClose();
      };
      TcxCustomDropDownEdit* e = make();
      std::string what = std::string(event) + " " + kind + " edit, leaving the application";
      Expect(e, hook, [&] {
        dropDownAnd([] { UserSetApplicationActive(false); });
        UserSetApplicationActive(true);
      }, what.c_str());

      e = make();
      what = std::string(event) + " " + kind + " edit, WM_CLOSE to its popup";
      TFormCloses closes;
      form->OnClose = {&closes, &TFormCloses::OnClose};
      bool takesFocus = false;
      Expect(e, hook, [&] {
        dropDownAnd([&takesFocus, e] {
          takesFocus = e->PopupWindow()->GetCaptureFocus();
          SendMessageA(e->PopupWindow()->GetHandle(), WM_CLOSE, 0, 0);
        });
      }, what.c_str());
      form->OnClose = TCloseEvent();
      // A focus-taking popup stands for its form: the form is asked to close even though the
      // handler freed the editor on the way.
      EXPECT_EQ(closes.Count, takesFocus ? 1 : 0) << what;
      EXPECT_EQ(takesFocus, ownLoop) << what;
    }
}

// Typing into a combo box finds the item and completes the text; OnChange of the completed
// text frees the editor before the completion is selected.
TEST_F(EditFreedByHandler, ComboBoxIncrementalSearch) {
  for (const auto style : {TcxEditDropDownListStyle::lsEditList, TcxEditDropDownListStyle::lsFixedList}) {
    TcxComboBox* e = Add<TcxComboBox>();
    e->GetComboProperties()->GetItems()->Add("one");
    e->GetComboProperties()->GetItems()->Add("two");
    e->GetComboProperties()->SetDropDownListStyle(style);
    const std::string what = "style " + std::to_string(int(style));
    Expect(e, onChange, [&] {
      host().Char('t');
      host().PumpUntilIdle();
    }, what.c_str());
  }
}

// Handlers that free what holds the editor, a group box on the form or a form of its own,
// rather than the editor: the editor goes with its holder while typing, a button's click or
// a spin click runs.
TEST_F(EditFreedByHandler, HoldersFreedWhileTypingAndClicking) {
  const auto holderOf = [&](bool AOwnForm) -> TWinControl* {
    if (AOwnForm) {
      TForm* f = TForm::CreateNew(form);
      f->SetBounds(80, 80, 260, 160);
      f->Show();
      host().PumpUntilIdle();
      return f;
    }
    auto* box = New<TcxGroupBox>(form);
    box->SetBounds(0, 0, 200, 100);
    box->SetParent(form);
    return box;
  };
  const std::pair<Hook, const char*> hooks[] = {{onKeyDown, "OnKeyDown"},
                                                 {onKeyPress, "OnKeyPress"},
                                                 {onKeyUp, "OnKeyUp"},
                                                 {onChange, "OnChange"}};
  using Make = std::function<TcxCustomEdit*(TWinControl*)>;
  const std::pair<Make, const char*> kinds[] = {
      {[&](TWinControl* p) { return Add<TcxTextEdit>(p); }, "text"},
      {[&](TWinControl* p) {
         auto* e = Add<TcxMaskEdit>(p);
         e->GetMaskProperties()->SetEditMask("999;1;_");
         return e;
       },
       "masked"},
      {[&](TWinControl* p) { return Add<TcxMemo>(p); }, "memo"},
      {[&](TWinControl* p) { return Add<TcxSpinEdit>(p); }, "spin"},
      {[&](TWinControl* p) { return Add<TcxButtonEdit>(p); }, "button"},
      {[&](TWinControl* p) { return Add<TcxDateEdit>(p); }, "date"},
      {[&](TWinControl* p) { return Add<TcxComboBox>(p); }, "combo"},
      {[&](TWinControl* p) { return Add<TcxCalcEdit>(p); }, "calculator"},
  };
  for (const bool ownForm : {false, true}) {
    const std::string where = ownForm ? " on a form of its own" : " in a group box";
    for (const auto& [make, kind] : kinds)
      for (const auto& [hook, event] : hooks) {
        const std::string what = std::string(kind) + " " + event + where;
        TWinControl* holder = holderOf(ownForm);
        Expect(make(holder), hook, [&] { Key('1'); }, what.c_str(), holder);
      }
    for (const auto& [hook, event] :
         {std::pair{onButtonClick, "OnButtonClick"}, {onMouseDown, "OnMouseDown"}, {onMouseUp, "OnMouseUp"}}) {
      TWinControl* holder = holderOf(ownForm);
      TcxButtonEdit* e = Add<TcxButtonEdit>(holder);
      const TRect r = ButtonBounds(e, 0);
      const std::string what = std::string("button click ") + event + where;
      Expect(e, hook, [&] { Click(e, r); }, what.c_str(), holder);
    }
    {
      TWinControl* holder = holderOf(ownForm);
      TcxSpinEdit* e = Add<TcxSpinEdit>(holder);
      const TRect r = ButtonBounds(e, Ord(TcxSpinEditButton::sebForward));
      const std::string what = "spin click OnChange" + where;
      Expect(e, onChange, [&] { Click(e, r); }, what.c_str(), holder);
    }
    // Entering the editor by the mouse or SetFocus, leaving it by the mouse or Tab: in a
    // group box only, as an editor alone on a form of its own stays its form's focused
    // control while another form has the focus.
    const Hook onEnter = [](TcxCustomEdit* e, TFreer* f) { e->OnEnter = {f, &TFreer::HNotify}; };
    const Hook onExit = [](TcxCustomEdit* e, TFreer* f) { e->OnExit = {f, &TFreer::HNotify}; };
    for (const auto& [make, kind] : kinds) {
      if (ownForm) break;
      TWinControl* holder = holderOf(ownForm);
      TcxCustomEdit* e = make(holder);
      other->SetFocus();
      host().PumpUntilIdle();
      std::string what = std::string(kind) + " OnEnter by the mouse" + where;
      Expect(e, onEnter, [&] { host().Click(e->GetHandle(), 5, 5); }, what.c_str(), holder);
      holder = holderOf(ownForm);
      e = make(holder);
      other->SetFocus();
      host().PumpUntilIdle();
      what = std::string(kind) + " OnEnter by SetFocus" + where;
      Expect(e, onEnter, [&] { e->SetFocus(); }, what.c_str(), holder);
      holder = holderOf(ownForm);
      e = make(holder);
      what = std::string(kind) + " OnExit by the mouse" + where;
      Expect(e, onExit, [&] { host().Click(other->GetHandle(), 5, 5); }, what.c_str(), holder);
      holder = holderOf(ownForm);
      e = make(holder);
      what = std::string(kind) + " OnExit by Tab" + where;
      Expect(e, onExit, [&] { Key(VK_TAB); }, what.c_str(), holder);
    }
    // The focus going to another form leaves the editor focused in its own: no validation.
    if (!ownForm) {
      TWinControl* holder = holderOf(ownForm);
      TcxTextEdit* e = Add<TcxTextEdit>(holder);
      Type("3");
      const std::string what = "text on leaving OnValidate" + where;
      Expect(e, onValidate, [&] { other->SetFocus(); }, what.c_str(), holder);
    }
  }
}

}  // namespace
