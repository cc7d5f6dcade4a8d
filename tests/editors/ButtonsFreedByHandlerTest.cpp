// Buttons, check boxes, group boxes and radio groups freed by their own handlers: clicks by the
// mouse and by keys, double clicks, presses, moves, the focus and the value changes each run
// a handler that frees its sender, and nothing after the handler may touch it.
#include "tests/editors/DropDownTestSupport.h"
#include "tests/support/FreedByHandlerTest.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxHyperLinkEdit.h"
#include "widgets/editors/cxListBox.h"
#include "widgets/editors/cxRadioGroup.h"

#include <cctype>

namespace {

using namespace free_hooks;

class ButtonsFreedByHandler : public FreedByHandlerTest<DropDownTest> {
 protected:
  TCustomForm* Form() override { return form; }
  TWinControl* Keeper() override { return other; }
  // Alt with the letter: the form offers it to the controls' own underlined letters.
  FreeAct Letter(Char ch) {
    return [this, ch](TControl*) {
      host().KeyDown(VK_MENU);
      host().Key(Byte(std::toupper(Byte(ch))));
      host().KeyUp(VK_MENU);
    };
  }
  template <class T>
  T* AddCaptioned(const char* ACaption) {
    T* c = AddControl<T>();
    c->SetCaption(ACaption);
    return c;
  }
  // A fresh T in a group box of its own on the form: the holder its handlers free.
  template <class T>
  T* AddInBox(const char* ACaption) {
    auto* box = New<TcxGroupBox>(form);
    box->SetBounds(5, 5, 220, 150);
    box->SetParent(form);
    T* c = AddControl<T>(box);
    c->SetCaption(ACaption);
    return c;
  }
  static void OnChange(TControl* c, TFreer* f) {
    static_cast<TcxCustomEdit*>(c)->GetProperties()->OnChange = {f, &TFreer::HNotify};
  }
  static void OnEditValueChanged(TControl* c, TFreer* f) {
    static_cast<TcxCustomEdit*>(c)->GetProperties()->OnEditValueChanged = {f, &TFreer::HNotify};
  }
};

TEST_F(ButtonsFreedByHandler, Buttons) {
  const FreeCases clicks = {
      {OnClick, "OnClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
      {OnClick, "OnClick", KeyOn(VK_RETURN), "Enter"},
      {OnClick, "OnClick", Letter('b'), "its letter"},
  };
  const auto make = [&] { return AddCaptioned<TcxButton>("&Button"); };
  Run(make, MouseCases() + FocusAndKeyCases() + clicks, "button");
}

TEST_F(ButtonsFreedByHandler, RadioButtons) {
  const FreeCases clicks = {
      {OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
      {OnClick, "OnClick", Letter('r'), "its letter"},
  };
  const auto make = [&] { return AddCaptioned<TcxRadioButton>("&Radio"); };
  Run(make, MouseCases() + FocusAndKeyCases() + clicks, "radio button");
}

// Handlers that free the group box holding the control rather than the control: the
// control goes with its holder, and nothing after the handler may touch either.
TEST_F(ButtonsFreedByHandler, GroupBoxesFreedByTheHandlersOfWhatTheyHold) {
  const auto holder = [](TControl* c) -> TObject* { return c->GetParent(); };
  const FreeCases common = MouseCases() + FocusAndKeyCases();
  RunFreeingHolder([&] { return AddInBox<TcxButton>("&Button"); }, holder,
                   common + FreeCases{{OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
                                      {OnClick, "OnClick", Letter('b'), "its letter"}},
                   "button in a group box");
  RunFreeingHolder([&] { return AddInBox<TcxRadioButton>("&Radio"); }, holder,
                   common + FreeCases{{OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
                                      {OnClick, "OnClick", Letter('r'), "its letter"}},
                   "radio button in a group box");
  RunFreeingHolder([&] { return AddInBox<TcxCheckBox>("&Check"); }, holder,
                   common + FreeCases{{OnChange, "OnChange", [&](TControl* c) { Click(c); }, "mouse"},
                                      {OnChange, "OnChange", KeyOn(VK_SPACE), "space"},
                                      {OnEditValueChanged, "OnEditValueChanged", Letter('c'), "its letter"}},
                   "check box in a group box");
}

TEST_F(ButtonsFreedByHandler, CheckBoxes) {
  FreeCases clicks;
  for (const auto& [hook, event] : {std::pair<FreeHook, const char*>{OnClick, "OnClick"},
                                    {OnChange, "OnChange"},
                                    {OnEditValueChanged, "OnEditValueChanged"}}) {
    clicks.push_back({hook, event, [&](TControl* c) { Click(c); }, "mouse"});
    clicks.push_back({hook, event, [&](TControl* c) { DoubleClick(c); }, "double click"});
    clicks.push_back({hook, event, KeyOn(VK_SPACE), "space"});
    clicks.push_back({hook, event, Letter('c'), "its letter"});
    clicks.push_back({hook, event,
                      [](TControl* c) { static_cast<TcxCheckBox*>(c)->SetChecked(true); },
                      "Checked"});
  }
  const auto make = [&] { return AddCaptioned<TcxCheckBox>("&Check"); };
  Run(make, MouseCases() + FocusAndKeyCases() + clicks, "check box");
}

TEST_F(ButtonsFreedByHandler, GroupBoxes) {
  const FreeCases more = {
      {OnDblClick, "OnDblClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
  };
  const auto make = [&] { return AddCaptioned<TcxGroupBox>("Group"); };
  Run(make, MouseCases() + more, "group box");
}

TEST_F(ButtonsFreedByHandler, RadioGroups) {
  // The group's buttons: the second of two, in the group's lower half.
  const auto second = [](TControl* c) { return static_cast<TcxRadioGroup*>(c)->Buttons(1); };
  FreeCases cases;
  for (const auto& [hook, event] : {std::pair<FreeHook, const char*>{OnChange, "OnChange"},
                                    {OnEditValueChanged, "OnEditValueChanged"}}) {
    cases.push_back(
        {hook, event, [&, second](TControl* c) { Click(second(c)); }, "a button's mouse click"});
    cases.push_back({hook, event, [&, second](TControl* c) { DoubleClick(second(c)); },
                     "a button's double click"});
    cases.push_back({hook, event,
                     [&, second](TControl* c) {
                       Focus(second(c));
                       host().Key(VK_UP);
                     },
                     "arrow key"});
    cases.push_back({hook, event, KeyOn(VK_DOWN), "arrow key on the group"});
    cases.push_back({hook, event, Letter('t'), "a button's letter"});
    cases.push_back({hook, event,
                     [](TControl* c) { static_cast<TcxRadioGroup*>(c)->SetItemIndex(1); },
                     "ItemIndex"});
  }
  const auto make = [&] {
    auto* g = AddControl<TcxRadioGroup>();
    g->SetBounds(10, 10, 150, 90);
    for (const char* s : {"&One", "&Two"})
      static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add())->SetCaption(s);
    host().PumpUntilIdle();
    return g;
  };
  Run(make, cases, "radio group");
  // Without buttons the group takes the mouse and keys itself; a click does not focus it.
  FreeCases own = MouseCases() + FocusAndKeyCases();
  std::erase_if(own, [](const FreeCase& k) {
    return std::string(k.event) == "OnEnter" && std::string(k.how) == "mouse";
  });
  Run([&] { return AddControl<TcxRadioGroup>(); }, own, "empty radio group");
}

// The mouse entering or leaving a control reaches the handlers of what holds it from inside
// the control's own message: a group box whose handler frees the box frees the control under
// that message, and an editor whose handler frees it frees its inner control likewise.
TEST_F(ButtonsFreedByHandler, TheMouseEnteringOrLeavingMayFreeTheControlOrWhatHoldsIt) {
  struct Made {
    TcxControl* victim;   // whose handler frees it
    TWinControl* target;  // what the mouse enters and leaves
  };
  const auto boxed = [&](auto* child) -> Made {
    auto* box = AddCaptioned<TcxGroupBox>("Box");
    box->SetBounds(10, 10, 200, 150);
    child->SetBounds(10, 20, 100, 40);
    child->SetParent(box);
    return {box, child};
  };
  const std::pair<const char*, std::function<Made()>> kinds[] = {
      {"button in a group box", [&] { return boxed(New<TcxButton>(form)); }},
      {"radio button in a group box", [&] { return boxed(New<TcxRadioButton>(form)); }},
      {"check box in a group box", [&] { return boxed(New<TcxCheckBox>(form)); }},
      {"radio group's button",
       [&]() -> Made {
         auto* g = AddControl<TcxRadioGroup>();
         g->SetBounds(10, 10, 150, 90);
         for (const char* c : {"&One", "&Two"})
           static_cast<TcxRadioGroupItem*>(g->GetProperties()->GetItems()->Add())->SetCaption(c);
         return {g, g->Buttons(1)};
       }},
      {"list box's inner list",
       [&]() -> Made {
         auto* l = AddControl<TcxListBox>();
         return {l, l->InnerListBox()};
       }},
      {"hyperlink edit's inner edit",
       [&]() -> Made {
         auto* h = AddControl<TcxHyperLinkEdit>();
         h->SetBounds(10, 10, 150, 21);
         return {h, h->InnerTextEdit()};
       }},
  };
  const Integer owned = form->ComponentCount();
  for (const auto& [name, make] : kinds)
    for (const bool entering : {true, false}) {
      const std::string what = std::string(name) + (entering ? " entered" : " left");
      const Made m = make();
      host().PumpUntilIdle();
      const auto away = [&] { host().MouseMove(form->GetHandle(), 300, 60); };
      const auto onto = [&] {
        host().MouseMove(m.target->GetHandle(), m.target->GetWidth() / 2, m.target->GetHeight() / 2);
      };
      away();
      host().PumpUntilIdle();
      if (!entering) onto();
      host().PumpUntilIdle();
      TFreer freer;
      freer.Victim = m.victim;
      (entering ? m.victim->OnMouseEnter : m.victim->OnMouseLeave) = {&freer, &TFreer::HNotify};
      TWeakLink victim(m.victim), target(m.target);
      if (entering)
        onto();
      else
        away();
      host().PumpUntilIdle();
      EXPECT_FALSE(victim.Alive()) << what;
      EXPECT_FALSE(target.Alive()) << what;
      EXPECT_EQ(freer.Runs, 1) << what;
      if (victim.Alive()) victim.Ref()->Free();
      EXPECT_EQ(form->ComponentCount(), owned) << what;
      for (String s : TakeExceptions()) ADD_FAILURE() << what << ": " << s;
    }
}

}  // namespace
