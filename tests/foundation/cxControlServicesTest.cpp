#include <gtest/gtest.h>

#include "classlib/visual/Menus.h"
#include "classlib/visual/Messages.h"
#include "classlib/visual/StdCtrls.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxControlBase.h"

#include <vector>

namespace {

using enum TcxDragAndDropState;

class TCancelCounter : public TObject, public IcxMouseCaptureObject {
  TL_CLASS(TCancelCounter, TObject)
 public:
  void DoCancelMode() override { ++Cancels; }
  int Cancels = 0;
};
TL_DEFINE_CLASS(TCancelCounter)

// Every press may start a drag-and-drop; presses are recorded where the control sees them.
class TServiceControl : public TcxControl {
  TL_CLASS(TServiceControl, TcxControl)
 public:
  using TcxControl::TcxControl;
  std::vector<TPoint> Presses;

 protected:
  bool StartDragAndDrop(const TPoint&) override { return true; }
  void DoMouseDownDragOrPan(TMouseButton Button, Integer X, Integer Y) override {
    Presses.push_back({X, Y});
    inherited::DoMouseDownDragOrPan(Button, X, Y);
  }
};
TL_DEFINE_CLASS(TServiceControl)

class cxControlServicesTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(50, 50, 400, 300);
    control = New<TServiceControl>(form);
    control->SetBounds(10, 10, 150, 100);
    control->SetParent(form);
    form->Show();
    host().PumpUntilIdle();
  }
  void TearDown() override {
    form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  void Pump() { host().PumpUntilIdle(); }

  TForm* form = nullptr;
  TServiceControl* control = nullptr;
};

TEST_F(cxControlServicesTest, LeavingTheDragAndDropStateCancelsThePressAndItsCaptureObject) {
  TCancelCounter owner;
  host().MouseDown(control->Handle(), 20, 20);
  Pump();
  ASSERT_EQ(control->GetDragAndDropState(), ddsStarting);
  ASSERT_TRUE(control->IsPressed());
  control->SetMouseCaptureObject(&owner);
  control->SetDragAndDropState(ddsNone);
  EXPECT_FALSE(control->IsPressed());
  EXPECT_EQ(control->GetMouseCaptureObject(), nullptr);
  EXPECT_EQ(owner.Cancels, 1);
  host().MouseUp(control->Handle(), 20, 20);
  Pump();

  // A drag-and-drop that ends lets go of the capture object too, also when cancelled.
  host().MouseDown(control->Handle(), 100, 70);  // far enough not to make a double click
  host().MouseMove(control->Handle(), 140, 70);
  Pump();
  ASSERT_EQ(control->GetDragAndDropState(), ddsInProcess);
  control->SetMouseCaptureObject(&owner);
  control->FinishDragAndDrop(false);
  EXPECT_EQ(control->GetDragAndDropState(), ddsNone);
  EXPECT_EQ(control->GetMouseCaptureObject(), nullptr);
  EXPECT_EQ(owner.Cancels, 2);
  EXPECT_EQ(GetCapture(), nullptr);
  host().MouseUp(control->Handle(), 140, 70);
  Pump();
}

TEST_F(cxControlServicesTest, WrappedPressCoordinatesAreReadFromTheCursor) {
  const TPoint cursor = control->ClientToScreen({-7, 30});
  SetCursorPos(cursor.X, cursor.Y);
  SendMessageA(control->Handle(), WM_RBUTTONDOWN, 0, MAKELPARAM(WORD(-7), WORD(30)));
  SendMessageA(control->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(WORD(-7), WORD(30)));
  SetCursorPos(0, 0);
  SendMessageA(control->Handle(), WM_RBUTTONDOWN, 0, MAKELPARAM(40, 30));
  EXPECT_EQ(control->Presses, (std::vector<TPoint>{{-7, 30}, {40, 30}}));
}


class TClickCounter : public TObject {
  TL_CLASS(TClickCounter, TObject)
 public:
  void Clicked(TObject*) { ++Clicks; }
  int Clicks = 0;
};
TL_DEFINE_CLASS(TClickCounter)

class cxCustomizeListBoxTest : public cxControlServicesTest {
 protected:
  void SetUp() override {
    cxControlServicesTest::SetUp();
    list = New<TcxCustomizeListBox>(form);
    list->SetBounds(200, 10, 150, 150);
    list->SetParent(form);
    for (int i = 0; i < 4; ++i) list->GetItems()->AddObject("Item " + std::to_string(i), &objects[i]);
    list->OnClick = TNotifyEvent(&clicks, &TClickCounter::Clicked);
    Pump();
  }
  TPoint Center(Integer index) {
    const TRect r = list->ItemRect(index);
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  }
  void Down(const TPoint& p) {
    host().MouseDown(list->Handle(), p.X, p.Y);
    Pump();
  }
  void Move(const TPoint& p) {
    host().MouseMove(list->Handle(), p.X, p.Y);
    Pump();
  }
  void Up(const TPoint& p) {
    host().MouseUp(list->Handle(), p.X, p.Y);
    Pump();
  }

  TcxCustomizeListBox* list = nullptr;
  TClickCounter objects[4];
  TClickCounter clicks;
};

TEST_F(cxCustomizeListBoxTest, APressedItemIsDraggedOnceTheMouseLeavesIt) {
  list->SetItemIndex(0);
  const TPoint p = Center(1);
  Down(p);
  EXPECT_EQ(list->DragItemIndex(), 1);
  Move({p.X + 1, p.Y});  // still on the item, within the drag area
  EXPECT_FALSE(list->Dragging());
  // Onto the next item: the pressed one is dragged, the selection does not follow the mouse.
  Move(Center(2));
  EXPECT_TRUE(list->Dragging());
  EXPECT_EQ(list->GetItemIndex(), 1);
  EXPECT_EQ(list->DragItemIndex(), -1);
  Up(Center(2));
  EXPECT_FALSE(list->Dragging());

  // A release or a cancel disarms; nothing arms without a selected object.
  Down(Center(1));
  Up(Center(1));
  EXPECT_EQ(list->DragItemIndex(), -1);
  Down(Center(1));
  SendMessageA(list->Handle(), WM_CANCELMODE, 0, 0);
  EXPECT_EQ(list->DragItemIndex(), -1);
  Up(Center(1));
  list->GetItems()->Clear();
  list->GetItems()->Add("plain");
  Down(Center(0));
  Move({Center(0).X + 40, Center(0).Y});
  EXPECT_FALSE(list->Dragging());
  Up(Center(0));
}


class TItemMeasure : public TObject {
  TL_CLASS(TItemMeasure, TObject)
 public:
  void Measure(TObject*, TCanvas*, Integer&, Integer& Height) { Height = 30; }
};
TL_DEFINE_CLASS(TItemMeasure)

Integer TextHeightIn(TFont* AFont, const String& AText) {
  Owned<TScreenCanvas> canvas(New<TScreenCanvas>());
  canvas->Font()->Assign(AFont);
  return canvas->TextHeight(AText);
}

TEST_F(cxControlServicesTest, PopupMenuHeightCountsVisibleItemsAndTheirOwnMeasures) {
  EXPECT_EQ(cxGetPopupMenuHeight(nullptr), 0);
  TPopupMenu* menu = New<TPopupMenu>(form);
  EXPECT_EQ(cxGetPopupMenuHeight(menu), 4);
  TItemMeasure measure;
  for (int i = 0; i < 3; ++i) {
    TMenuItem* item = New<TMenuItem>(menu);
    item->SetCaption("Entry");
    menu->Items()->Add(item);
  }
  menu->Items()->Items(1)->SetVisible(false);
  Owned<TFont> menuFont(New<TFont>());
  const Integer line = TextHeightIn(menuFont.get(), "Qg") + 4;
  EXPECT_EQ(cxGetPopupMenuHeight(menu), 4 + 2 * line);
  menu->Items()->Items(2)->OnMeasureItem = TMenuMeasureItemEvent(&measure, &TItemMeasure::Measure);
  EXPECT_EQ(cxGetPopupMenuHeight(menu), 4 + line + 30);
}

TEST_F(cxControlServicesTest, ScalingAFormByFontFollowsTheTextHeights) {
  TForm* dialog = TCustomForm::CreateNew(nullptr);
  dialog->SetBounds(0, 0, 200, 120);
  dialog->SetClientWidth(180);
  dialog->SetClientHeight(100);
  TCustomControl* child = New<TCustomControl>(dialog);
  child->SetBounds(10, 20, 60, 30);
  child->SetParent(dialog);
  Owned<TFont> large(New<TFont>());
  large->Assign(dialog->GetFont());
  large->SetSize(dialog->GetFont()->GetSize() * 2);
  const Integer before = TextHeightIn(dialog->GetFont(), "Qq"), after = TextHeightIn(large.get(), "Qq");
  ASSERT_GT(after, before);
  cxScaleFormByFont(dialog, large.get());
  EXPECT_EQ(dialog->GetFont()->GetSize(), large->GetSize());  // the given font, not scaled again
  EXPECT_EQ(dialog->GetClientWidth(), MulDiv(180, after, before));
  EXPECT_EQ(child->GetLeft(), MulDiv(10, after, before));
  // The same font again changes nothing.
  cxScaleFormByFont(dialog, large.get());
  EXPECT_EQ(dialog->GetClientWidth(), MulDiv(180, after, before));
  dialog->Free();
}

}  // namespace
