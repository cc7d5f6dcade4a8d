// Buttons, check boxes, group boxes and radio groups freed by their own handlers: clicks by the
// mouse and by keys, double clicks, presses, moves, the focus and the value changes each run
// a handler that frees its sender, and nothing after the handler may touch it.
#include "tests/editors/DropDownTestSupport.h"
#include "tests/support/FreedByHandlerTest.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxCheckBox.h"
#include "widgets/editors/cxGroupBox.h"
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

}  // namespace
