// Controls, forms and menus freed by their own handlers: a click by the mouse or by a key, a
// double click, a press, a move, the focus coming or going, keys, a resize, a paint, a close
// each run a handler that frees its sender, and nothing after the handler may touch it.
#include "classlib/visual/ComCtrls.h"
#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/Grids.h"
#include "classlib/visual/Menus.h"
#include "tests/support/FreedByHandlerTest.h"

namespace {

using namespace free_hooks;

// A plain container: what holds controls beside a form.
class THolderPanel : public TCustomControl {
  TL_CLASS(THolderPanel, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
};

}  // namespace

TL_DEFINE_CLASS(THolderPanel)

namespace {

class ControlFreedByHandler : public FreedByHandlerTest<AppTest> {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Application->CreateForm(form);
    form->SetBounds(100, 100, 400, 300);
    keeper = New<TEdit>(form);
    keeper->SetBounds(300, 250, 80, 21);
    keeper->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  TCustomForm* Form() override { return form; }
  TWinControl* Keeper() override { return keeper; }
  template <class T>
  T* Add() {
    return AddControl<T>();
  }
  // A fresh T on a panel of the test's form, beside the keeper; the panel is the holder.
  template <class T>
  T* AddOnPanel() {
    auto* panel = New<THolderPanel>(form);
    panel->SetBounds(5, 5, 260, 200);
    panel->SetParent(form);
    return AddControl<T>(panel);
  }
  // A fresh T on a shown form of its own (owned by the test's form), beside an edit that
  // takes the focus from it.
  template <class T>
  T* AddOnForm() {
    TForm* holder = TForm::CreateNew(form);
    holder->SetBounds(60, 60, 320, 240);
    T* c = AddControl<T>(holder);
    auto* next = New<TEdit>(holder);
    next->SetBounds(10, 150, 80, 21);
    next->SetParent(holder);
    holder->Show();
    host().PumpUntilIdle();
    return c;
  }
  // Every case of a windowed control, its holder freed: on a panel (all cases) and on a
  // form of its own (the focus does not leave that form).
  template <class T>
  void RunHolders(const std::function<void(T*)>& Fill, const FreeCases& More, const std::string& Kind) {
    const auto holder = [](TControl* c) -> TObject* { return c->GetParent(); };
    RunFreeingHolder(
        [&] {
          T* c = AddOnPanel<T>();
          Fill(c);
          return c;
        },
        holder, MouseCases() + FocusAndKeyCases() + More, Kind + " on a panel");
    FreeCases inForm;
    for (const FreeCase& k : FocusAndKeyCases())
      if (std::string(k.event) != "OnExit") inForm.push_back(k);
    inForm.push_back({OnExit, "OnExit", KeyOn(VK_TAB), "Tab"});
    RunFreeingHolder(
        [&] {
          T* c = AddOnForm<T>();
          Fill(c);
          return c;
        },
        holder, MouseCases() + inForm + More, Kind + " on a form");
  }
  // The grid: its own arrow and page keys, a click on a cell (which selects and focuses), the
  // right button (which selects the row and opens its popup menu), the wheel (which scrolls).
  FreeCases GridCases() {
    const auto onPopup = [](TControl* c, TFreer* f) {
      auto* menu = New<TPopupMenu>(c);
      menu->Items()->Add(New<TMenuItem>(menu));
      menu->OnPopup = {f, &TFreer::HNotify};
      c->SetPopupMenu(menu);
    };
    const auto cellClick = [this](TControl* c) { host().Click(static_cast<TWinControl*>(c)->GetHandle(), 80, 40); };
    const auto rightClick = [this](TControl* c) {
      HWND w = static_cast<TWinControl*>(c)->GetHandle();
      host().MouseDown(w, 80, 40, MouseButton::Right);
      host().PumpUntilIdle();
      host().MouseUp(w, 80, 40, MouseButton::Right);
    };
    const auto onWheelDown = [](TControl* c, TFreer* f) { c->OnMouseWheelDown = {f, &TFreer::HWheelUpDown}; };
    const auto onWheelUp = [](TControl* c, TFreer* f) { c->OnMouseWheelUp = {f, &TFreer::HWheelUpDown}; };
    const auto wheel = [this](int delta) {
      return [this, delta](TControl* c) {
        static_cast<TWinControl*>(c)->SetFocus();
        host().PumpUntilIdle();
        host().Wheel(static_cast<TWinControl*>(c)->GetHandle(), 80, 40, delta);
      };
    };
    const auto key = [this](int vk) {
      return [this, vk](TControl* c) {
        static_cast<TWinControl*>(c)->SetFocus();
        host().PumpUntilIdle();
        host().Key(vk);
      };
    };
    return {
        {OnKeyDown, "OnKeyDown", key(VK_DOWN), "arrow key"},
        {OnKeyDown, "OnKeyDown", key(VK_NEXT), "page key"},
        {OnKeyDown, "OnKeyDown", key(VK_RIGHT), "column key"},
        {OnKeyUp, "OnKeyUp", key(VK_END), "End"},
        {OnEnter, "OnEnter", cellClick, "a click on a cell"},
        {OnClick, "OnClick", cellClick, "a click on a cell"},
        {OnMouseDown, "OnMouseDown", rightClick, "right button"},
        {onPopup, "OnPopup", rightClick, "right button"},
        {OnDblClick, "OnDblClick",
         [this](TControl* c) { host().DoubleClick(static_cast<TWinControl*>(c)->GetHandle(), 80, 40); },
         "double click"},
        {onWheelDown, "OnMouseWheelDown", wheel(-WHEEL_DELTA), "wheel"},
        {onWheelUp, "OnMouseWheelUp", wheel(WHEEL_DELTA), "wheel"},
    };
  }
  TForm* form = nullptr;
  TEdit* keeper = nullptr;
};

TEST_F(ControlFreedByHandler, Buttons) {
  const FreeCases clicks = {
      {OnClick, "OnClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
      {OnClick, "OnClick", KeyOn(VK_RETURN), "Enter"},
      {OnClick, "OnClick",
       [&](TControl* c) {
         static_cast<TButton*>(c)->SetDefault(true);
         host().Key(VK_RETURN);
       },
       "Enter for the default button"},
      {OnClick, "OnClick",
       [&](TControl* c) {
         static_cast<TButton*>(c)->SetCancel(true);
         host().Key(VK_ESCAPE);
       },
       "Escape for the cancel button"},
  };
  Run([&] { return Add<TButton>(); }, MouseCases() + FocusAndKeyCases() + clicks, "button");
}

TEST_F(ControlFreedByHandler, RadioButtons) {
  const FreeCases clicks = {
      {OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
      {OnClick, "OnClick",
       [&](TControl* c) {
         c->SetCaption("&Radio");
         host().KeyDown(VK_MENU);
         host().Key('R');
         host().KeyUp(VK_MENU);
       },
       "its letter"},
      {OnClick, "OnClick", [&](TControl* c) { static_cast<TRadioButton*>(c)->SetChecked(true); },
       "Checked"},
  };
  Run([&] { return Add<TRadioButton>(); }, MouseCases() + FocusAndKeyCases() + clicks,
      "radio button");
}

TEST_F(ControlFreedByHandler, Edits) {
  const auto onChange = [](TControl* c, TFreer* f) {
    static_cast<TEdit*>(c)->OnChange = {f, &TFreer::HNotify};
  };
  const FreeCases more = {
      {OnDblClick, "OnDblClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {onChange, "OnChange",
       [&](TControl* c) {
         Focus(c);
         host().Char('a');
       },
       "typing"},
      {onChange, "OnChange", KeyOn(VK_BACK), "Backspace"},
      {onChange, "OnChange", [&](TControl* c) { c->SetText("new"); }, "Text"},
  };
  Run(
      [&] {
        auto* e = Add<TEdit>();
        e->SetText("text");
        return e;
      },
      MouseCases() + FocusAndKeyCases() + more, "edit");
}

TEST_F(ControlFreedByHandler, ListBoxes) {
  const auto make = [&] {
    auto* l = Add<TListBox>();
    for (const char* s : {"one", "two", "three"}) l->GetItems()->Add(s);
    return l;
  };
  const auto onDraw = [](TControl* c, TFreer* f) {
    auto* l = static_cast<TListBox*>(c);
    l->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
    l->OnDrawItem = {f, &TFreer::HDraw};
  };
  const FreeCases more = {
      {OnDblClick, "OnDblClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnClick, "OnClick", KeyOn(VK_DOWN), "arrow key"},
      {onDraw, "OnDrawItem", [&](TControl* c) { c->Repaint(); }, "paint"},
  };
  Run(make, MouseCases() + FocusAndKeyCases() + more, "list box");
}

TEST_F(ControlFreedByHandler, ListBoxDataAndMeasuring) {
  const auto onMeasure = [](TControl* c, TFreer* f) {
    auto* l = static_cast<TListBox*>(c);
    l->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    l->OnMeasureItem = {f, &TFreer::HMeasure};
  };
  const auto onData = [](TControl* c, TFreer* f) {
    auto* l = static_cast<TListBox*>(c);
    l->SetStyle(TListBoxStyle::lbVirtual);
    l->OnData = {f, &TFreer::HData};
  };
  const FreeCases cases = {
      {onMeasure, "OnMeasureItem", [&](TControl* c) { static_cast<TListBox*>(c)->GetItems()->Add("four"); },
       "an item added"},
      {onData, "OnData",
       [&](TControl* c) {
         static_cast<TListBox*>(c)->SetCount(5);
         c->Repaint();
       },
       "paint"},
  };
  Run([&] { return Add<TListBox>(); }, cases, "list box");
}

TEST_F(ControlFreedByHandler, StringGrids) {
  const auto fill = [](TStringGrid* g) {
    g->SetRowCount(40);
    g->SetCells(1, 1, "cell");
  };
  Run(
      [&] {
        auto* g = Add<TStringGrid>();
        g->SetBounds(10, 10, 200, 120);
        fill(g);
        return g;
      },
      MouseCases() + FocusAndKeyCases() + GridCases(), "string grid");
  RunHolders<TStringGrid>(fill, GridCases(), "string grid");
}

// The status bar takes no click events (it has no csClickEvents); its mouse, its resize by
// its own bounds, by alignment and by its parent's new size.
TEST_F(ControlFreedByHandler, StatusBars) {
  FreeCases more = {
      {OnResize, "OnResize",
       [&](TControl* c) {
         c->GetParent()->SetBounds(c->GetParent()->GetLeft(), c->GetParent()->GetTop(), 300,
                                   c->GetParent()->GetHeight() + 10);
       },
       "its parent resized"},
  };
  const auto make = [&] {
    auto* b = Add<TStatusBar>();
    b->GetPanels()->Add()->SetText("one");
    b->GetPanels()->Add()->SetText("two");
    host().PumpUntilIdle();
    return b;
  };
  for (const FreeCase& k : MouseCases())
    if (std::string(k.event) != "OnClick") more.push_back(k);
  Run(make, more, "status bar");
  const auto holder = [](TControl* c) -> TObject* { return c->GetParent(); };
  RunFreeingHolder([&] { return AddOnPanel<TStatusBar>(); }, holder, more, "status bar on a panel");
  RunFreeingHolder([&] { return AddOnForm<TStatusBar>(); }, holder, more, "status bar on a form");
}

// Handlers that free the panel or form holding the control, for each kind of control.
TEST_F(ControlFreedByHandler, HoldersOfButtonsEditsListsAndRadioButtons) {
  const FreeCases clicks = {
      {OnClick, "OnClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnClick, "OnClick", KeyOn(VK_SPACE), "space"},
  };
  RunHolders<TButton>([](TButton*) {}, clicks, "button");
  RunHolders<TRadioButton>([](TRadioButton*) {}, {{OnClick, "OnClick", KeyOn(VK_SPACE), "space"}}, "radio button");
  const auto onChange = [](TControl* c, TFreer* f) { static_cast<TEdit*>(c)->OnChange = {f, &TFreer::HNotify}; };
  RunHolders<TEdit>([](TEdit* e) { e->SetText("text"); },
                    {{onChange, "OnChange",
                      [&](TControl* c) {
                        Focus(c);
                        host().Char('a');
                      },
                      "typing"},
                     {onChange, "OnChange", KeyOn(VK_BACK), "Backspace"}},
                    "edit");
  RunHolders<TListBox>(
      [](TListBox* l) {
        for (const char* s : {"one", "two", "three"}) l->GetItems()->Add(s);
      },
      {{OnClick, "OnClick", KeyOn(VK_DOWN), "arrow key"}}, "list box");
  const auto holder = [](TControl* c) -> TObject* { return c->GetParent(); };
  RunFreeingHolder([&] { return AddOnPanel<TImage>(); }, holder, MouseCases(), "image on a panel");
  RunFreeingHolder([&] { return AddOnForm<TImage>(); }, holder, MouseCases(), "image on a form");
}

// A control without a window of its own: its parent's window takes the mouse for it.
TEST_F(ControlFreedByHandler, GraphicControls) {
  const FreeCases more = {
      {OnDblClick, "OnDblClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnClick, "OnClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
  };
  Run([&] { return Add<TImage>(); }, MouseCases() + more, "image");
}

// A form that frees itself from OnCloseQuery, OnClose, OnPaint or its OnClick.
TEST_F(ControlFreedByHandler, Forms) {
  const auto make = [&] {
    TForm* f = TForm::CreateNew(form);
    f->SetBounds(50, 50, 200, 150);
    f->Show();
    host().PumpUntilIdle();
    return f;
  };
  const auto asForm = [](TControl* c) { return static_cast<TForm*>(c); };
  const FreeHook onCloseQuery = [&](TControl* c, TFreer* f) {
    asForm(c)->OnCloseQuery = {f, &TFreer::HCloseQuery};
  };
  const FreeHook onClose = [&](TControl* c, TFreer* f) {
    asForm(c)->OnClose = {f, &TFreer::HClose};
  };
  const FreeHook onPaint = [&](TControl* c, TFreer* f) {
    asForm(c)->OnPaint = {f, &TFreer::HNotify};
  };
  const FreeAct close = [&](TControl* c) { asForm(c)->Close(); };
  const FreeAct closeBox = [&](TControl* c) {
    PostMessageA(asForm(c)->GetHandle(), WM_CLOSE, 0, 0);
  };
  const FreeAct modal = [&](TControl* c) {
    TForm* f = asForm(c);
    f->Hide();
    host().PumpUntilIdle();
    auto* ok = New<TButton>(f);
    ok->SetModalResult(mrOk);
    ok->SetParent(f);
    host().WhenIdle([&, ok] { host().Click(ok->GetHandle(), 5, 5); });
    EXPECT_EQ(f->ShowModal(), mrCancel);
  };
  const FreeCases cases = {
      {onCloseQuery, "OnCloseQuery", close, "Close"},
      {onCloseQuery, "OnCloseQuery", closeBox, "the close message"},
      {onClose, "OnClose", close, "Close"},
      {onClose, "OnClose", closeBox, "the close message"},
      {onCloseQuery, "OnCloseQuery", modal, "a modal result"},
      {onClose, "OnClose", modal, "a modal result"},
      {onPaint, "OnPaint", [&](TControl* c) { c->Repaint(); }, "paint"},
      {OnClick, "OnClick", [&](TControl* c) { Click(c); }, "mouse"},
      {OnDblClick, "OnDblClick", [&](TControl* c) { DoubleClick(c); }, "double click"},
      {OnMouseUp, "OnMouseUp", [&](TControl* c) { Click(c); }, "mouse"},
      {OnResize, "OnResize", [&](TControl* c) { c->SetBounds(40, 40, 220, 160); }, "new bounds"},
  };
  // The forms are owned by the test's form, beside the keeper.
  Run(make, cases, "form");
}

// A control's OnEnter or OnExit that frees the control's form: the focus change, moved by
// code, a click or Tab, ends there and touches nothing of the form.
TEST_F(ControlFreedByHandler, FormsFreedByTheirControlsEnterOrExit) {
  const auto make = [&] {
    TForm* f = TForm::CreateNew(form);
    f->SetBounds(50, 50, 200, 150);
    for (Integer i = 0; i < 2; ++i) {
      auto* e = New<TEdit>(f);
      e->SetBounds(10, 10 + 30 * i, 100, 21);
      e->SetParent(f);
    }
    f->Show();
    host().PumpUntilIdle();
    return f;
  };
  const auto edit = [](TControl* c, Integer i) {
    return static_cast<TEdit*>(static_cast<TForm*>(c)->Controls(i));
  };
  const FreeHook firstExit = [&](TControl* c, TFreer* f) { OnExit(edit(c, 0), f); };
  const FreeHook secondEnter = [&](TControl* c, TFreer* f) { OnEnter(edit(c, 1), f); };
  const auto fromFirst = [&](const std::function<void(TControl*)>& Move) {
    return [&, Move](TControl* c) {
      Focus(edit(c, 0));
      Move(c);
    };
  };
  const FreeAct code = fromFirst([&](TControl* c) { edit(c, 1)->SetFocus(); });
  const FreeAct click = fromFirst([&](TControl* c) { Click(edit(c, 1)); });
  const FreeAct tab = fromFirst([&](TControl*) { host().Key(VK_TAB); });
  const FreeCases cases = {
      {firstExit, "the first edit's OnExit", code, "SetFocus"},
      {firstExit, "the first edit's OnExit", click, "mouse"},
      {firstExit, "the first edit's OnExit", tab, "Tab"},
      {secondEnter, "the second edit's OnEnter", code, "SetFocus"},
      {secondEnter, "the second edit's OnEnter", click, "mouse"},
      {secondEnter, "the second edit's OnEnter", tab, "Tab"},
  };
  Run(make, cases, "form");
}

// Menu items freed by their own OnClick (or their menu by OnPopup), from a shortcut key, the
// form's menu command and a popup.
TEST_F(ControlFreedByHandler, MenuItems) {
  auto* menu = New<TMainMenu>(form);
  form->SetMenu(menu);
  const auto build = [&](TMenuItem*& sub, TMenuItem*& item) {
    sub = New<TMenuItem>(form);
    sub->SetCaption("&File");
    menu->Items()->Add(sub);
    item = New<TMenuItem>(form);
    item->SetCaption("&Open");
    item->SetShortCut(ShortCut('O', TShiftState{TShiftStateItem::ssCtrl}));
    sub->Add(item);
  };
  const auto ctrlO = [&] {
    keeper->SetFocus();
    host().PumpUntilIdle();
    host().KeyDown(VK_CONTROL);
    host().Key('O');
    host().KeyUp(VK_CONTROL);
    host().PumpUntilIdle();
  };
  for (int which = 0; which < 3; ++which) {
    TMenuItem *sub, *item;
    build(sub, item);
    TFreer freer;
    TMenuItem* victim = which == 1 ? sub : item;
    freer.Victim = victim;
    TWeakLink link(victim);
    victim->OnClick = {&freer, &TFreer::HNotify};
    const char* what = which == 0   ? "item by its shortcut"
                       : which == 1 ? "submenu by a shortcut below it"
                                    : "item by its command";
    if (which == 2) {
      SendMessageA(form->GetHandle(), WM_COMMAND, item->Command(), 0);
      host().PumpUntilIdle();
    } else {
      ctrlO();
    }
    EXPECT_FALSE(link.Alive()) << what;
    EXPECT_EQ(freer.Runs, 1) << what;
    for (String s : TakeExceptions()) ADD_FAILURE() << what << ": " << s;
    if (which != 1) sub->Free();
  }
  auto* popup = New<TPopupMenu>(form);
  popup->Items()->Add(New<TMenuItem>(form));
  TFreer freer;
  freer.Victim = popup;
  TWeakLink link(popup);
  popup->OnPopup = {&freer, &TFreer::HNotify};
  popup->Popup(10, 10);
  EXPECT_FALSE(link.Alive()) << "popup menu OnPopup";
  EXPECT_EQ(freer.Runs, 1);
}

}  // namespace
