#include "tests/classlib/visual/VisualTestClasses.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {

class ControlsTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    Log().clear();
    form = TForm::CreateNew<TForm>(Application);
    form->SetBounds(100, 100, 400, 300);
  }
  template <class T>
  T* Child(TWinControl* parent, const char* name, TRect r) {
    T* c = New<T>(form);
    c->SetName(name);
    c->SetBoundsRect(r);
    c->SetParent(parent);
    return c;
  }
  TForm* form = nullptr;
};

// Counts the messages it sees, then hands them on to the procedure it replaced.
class TSpy : public TObject {
 public:
  TWndMethod Old;
  std::vector<UINT> Seen;
  void Proc(TMessage& m) {
    Seen.push_back(m.Msg);
    if (m.Msg == WM_USER + 7) {
      m.Result = 77;
      return;
    }
    Old(m);
  }
};

TEST_F(ControlsTest, PerformWorksWithoutAWindowAndThroughASwappedProcedure) {
  TProbe* p = New<TProbe>(form);
  p->SetName("p");
  p->SetText("abc");
  EXPECT_FALSE(p->HandleAllocated());
  EXPECT_EQ(p->Perform(WM_GETTEXTLENGTH), 3);
  EXPECT_EQ(Joined(), "p text");
  p->SetText("abc");  // unchanged: no notice
  EXPECT_EQ(Joined(), "p text");

  TSpy spy;
  spy.Old = p->GetWindowProc();
  p->SetWindowProc(TWndMethod(&spy, &TSpy::Proc));
  EXPECT_EQ(p->Perform(WM_USER + 7), 77);
  p->SetText("xyz");
  EXPECT_NE(std::find(spy.Seen.begin(), spy.Seen.end(), WM_SETTEXT), spy.Seen.end());
  p->SetWindowProc(spy.Old);
}

TEST_F(ControlsTest, HandlesAreMadeOnDemandWithTheirTextAndBounds) {
  TProbe* p = Child<TProbe>(form, "p", {10, 20, 60, 45});
  p->SetText("hello");
  EXPECT_FALSE(p->HandleAllocated());
  HWND h = p->Handle();
  ASSERT_TRUE(IsWindow(h));
  EXPECT_EQ(FindControl(h), p);
  char buf[16] = {};
  GetWindowTextA(h, buf, sizeof buf);
  EXPECT_STREQ(buf, "hello");
  TRect r;
  GetWindowRect(h, &r);
  TPoint origin = form->ClientOrigin();
  EXPECT_EQ(r.Left - origin.X, 10);

  p->SetText("again");
  GetWindowTextA(h, buf, sizeof buf);
  EXPECT_STREQ(buf, "again");
}

TEST_F(ControlsTest, RecreatingKeepsTextAndBoundsAndForgetsTheOldHandle) {
  TProbe* p = Child<TProbe>(form, "p", {5, 6, 50, 40});
  TProbe* inner = Child<TProbe>(p, "inner", {1, 2, 10, 10});
  HWND old = p->Handle();
  HWND oldInner = inner->Handle();
  SetWindowTextA(old, "typed");  // text the window got by itself
  p->RecreateWnd();
  HWND now = p->Handle();
  EXPECT_FALSE(IsWindow(old));
  EXPECT_FALSE(IsWindow(oldInner));
  EXPECT_EQ(FindControl(now), p);
  EXPECT_EQ(p->GetText(), "typed");
  EXPECT_TRUE(inner->HandleAllocated());
  EXPECT_EQ(GetParent(inner->Handle()), now);
}

TEST_F(ControlsTest, ChildrenDieWithTheirParentAndLeaveItOnTheirOwnButNeverHoldIt) {
  TProbe* a = Child<TProbe>(form, "a", {0, 0, 10, 10});
  TProbe* b = New<TProbe>(nullptr);  // no owner: only the parent frees it
  b->SetName("b");
  b->SetParent(a);
  EXPECT_THROW(a->SetParent(a), EInvalidOperation);
  EXPECT_THROW(a->SetParent(b), EInvalidOperation);
  TGraphicProbe* g = New<TGraphicProbe>(nullptr);
  g->SetParent(a);
  a->HandleNeeded();
  EXPECT_EQ(a->ControlCount(), 2);
  EXPECT_EQ(a->Controls(0), g);  // graphic controls come first
  b->SetParent(nullptr);
  EXPECT_EQ(a->ControlCount(), 1);
  b->SetParent(a);
  Log().clear();
  a->Free();
  EXPECT_EQ(Joined(), "free a,free b");
}

// A control's bounds as "left,top,right,bottom".
String R(TControl* c) {
  TRect r = c->GetBoundsRect();
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
         std::to_string(r.Bottom);
}

TEST_F(ControlsTest, AlignedChildrenShareTheClientAreaInOrder) {
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  TProbe* top = Child<TProbe>(form, "top", {0, 0, 10, 30});
  TProbe* bottom = Child<TProbe>(form, "bottom", {0, 0, 10, 20});
  TProbe* left = Child<TProbe>(form, "left", {0, 0, 50, 10});
  TProbe* client = Child<TProbe>(form, "client", {0, 0, 10, 10});
  TProbe* top2 = Child<TProbe>(form, "top2", {0, 100, 10, 115});
  client->SetAlign(TAlign::alClient);
  left->SetAlign(TAlign::alLeft);
  bottom->SetAlign(TAlign::alBottom);
  top->SetAlign(TAlign::alTop);
  top2->SetAlign(TAlign::alTop);
  EXPECT_EQ(R(top), "0,0,300,30");
  EXPECT_EQ(R(top2), "0,30,300,45");
  EXPECT_EQ(R(left), "0,45,50,180");
  EXPECT_EQ(R(client), "50,45,300,180");

  // A resized parent lays its children out again, with or without a window.
  form->HandleNeeded();
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  EXPECT_EQ(R(client), "50,45,200,80");
  // A hidden child gives its room back.
  top2->Hide();
  EXPECT_EQ(R(left), "0,30,50,80");
}

TEST_F(ControlsTest, AnchoredChildrenKeepTheirDistanceToTheAnchoredEdges) {
  using enum TAnchorKind;
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(0, 0, 300, 200);
  TProbe* right = Child<TProbe>(form, "right", {250, 10, 290, 30});
  right->SetAnchors({akTop, akRight});
  TProbe* stretch = Child<TProbe>(form, "stretch", {10, 50, 290, 150});
  stretch->SetAnchors({akLeft, akTop, akRight, akBottom});
  TProbe* bottom = Child<TProbe>(form, "bottom", {10, 170, 50, 190});
  bottom->SetAnchors({akLeft, akBottom});
  form->SetBounds(0, 0, 400, 260);
  EXPECT_EQ(right->GetLeft(), 350);
  EXPECT_EQ(stretch->GetWidth(), 380);
  EXPECT_EQ(bottom->GetTop(), 230);
  // Moving a control by hand makes its new place the one kept.
  right->SetLeft(300);
  form->SetBounds(0, 0, 300, 260);
  EXPECT_EQ(right->GetLeft(), 200);
  // Shrinking below the distances gives no negative size.
  form->SetBounds(0, 0, 5, 5);
  EXPECT_EQ(stretch->GetWidth(), 0);
}

TEST_F(ControlsTest, ExtremeBoundsAreHeldToTheDrawingRange) {
  TProbe* probe = Child<TProbe>(form, "probe", {0, 0, 10, 10});
  probe->SetAnchors({TAnchorKind::akLeft, TAnchorKind::akTop, TAnchorKind::akRight});
  probe->SetBounds(INT_MAX, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(probe->GetBoundsRect(), (TRect{1 << 27, -(1 << 27), 1 << 28, 0}));
  form->SetBounds(INT_MIN, INT_MIN, INT_MAX, -1);
  EXPECT_EQ(std::tuple(form->GetLeft(), form->GetTop(), form->GetWidth(), form->GetHeight()),
            std::tuple(-(1 << 27), -(1 << 27), 1 << 27, 0));
  const TPoint far = probe->ClientToScreen({INT_MAX, INT_MIN});
  EXPECT_EQ(far.X, INT_MAX);   // saturated, not wrapped
  EXPECT_EQ(far.Y, INT_MIN);
}

TEST_F(ControlsTest, StateChangesAreAnnouncedAndPassToChildren) {
  TProbe* p = Child<TProbe>(form, "p", {0, 0, 10, 10});
  TProbe* own = Child<TProbe>(form, "own", {0, 0, 10, 10});
  own->SetColor(0x123456);
  Log().clear();
  form->SetColor(0x00FF00);
  EXPECT_EQ(p->GetColor(), 0x00FF00);
  EXPECT_EQ(Joined(), "p parentcolor,p color,own parentcolor");
  Log().clear();
  p->SetEnabled(false);
  p->SetEnabled(false);
  p->SetVisible(false);
  EXPECT_EQ(Joined(), "p enabled,p visible");
  p->HandleNeeded();
  EXPECT_FALSE(IsWindowVisible(p->Handle()));
  form->Show();
  EXPECT_FALSE(p->Showing());
  p->Show();
  EXPECT_TRUE(p->Showing());
}

TEST_F(ControlsTest, TheBackgroundIsErasedInTheControlColour) {
  form->SetColor(0x0000FF);  // red in BGR order
  TProbe* p = Child<TProbe>(form, "p", {10, 10, 60, 60});
  p->SetColor(TColor(0x80000000 | 15));  // the button face
  form->Show();
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(form->Handle(), 2, 2), Pixel(0xFF0000));
  COLORREF face = ColorToRGB(p->GetColor());
  Pixel expect = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
  EXPECT_EQ(host().PixelAt(p->Handle(), 5, 5), expect);
  // A colour change repaints.
  p->SetColor(0x00FF00);
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(p->Handle(), 5, 5), Pixel(0x00FF00));
}

TEST_F(ControlsTest, GraphicControlsArePaintedByTheirParentAtTheirPlace) {
  TProbe* host_ = Child<TProbe>(form, "host", {0, 0, 200, 100});
  TGraphicProbe* g = New<TGraphicProbe>(form);
  g->SetBounds(30, 40, 20, 10);
  g->SetParent(host_);
  TGraphicProbe* hidden = New<TGraphicProbe>(form);
  hidden->SetBounds(0, 0, 20, 10);
  hidden->SetVisible(false);
  hidden->SetParent(host_);
  form->Show();
  host().PumpUntilIdle();
  EXPECT_EQ(g->Paints, 1);
  EXPECT_EQ(g->PaintOrigin.X, 30);
  EXPECT_EQ(hidden->Paints, 0);
  // Invalidating the graphic control repaints it through its parent.
  g->Invalidate();
  host().PumpUntilIdle();
  EXPECT_EQ(g->Paints, 2);
}

TEST_F(ControlsTest, ZOrderFollowsBringToFrontAndSendToBack) {
  TProbe* a = Child<TProbe>(form, "a", {0, 0, 10, 10});
  TProbe* b = Child<TProbe>(form, "b", {0, 0, 10, 10});
  form->HandleNeeded();
  EXPECT_EQ(GetWindow(form->Handle(), GW_CHILD), b->Handle());
  a->BringToFront();
  EXPECT_EQ(GetWindow(form->Handle(), GW_CHILD), a->Handle());
}

TEST_F(ControlsTest, NotificationsAreReflectedToTheChildAndBroadcastsReachEveryControl) {
  TProbe* outer = Child<TProbe>(form, "outer", {0, 0, 100, 100});
  TProbe* inner = Child<TProbe>(outer, "inner", {0, 0, 10, 10});
  form->HandleNeeded();
  Log().clear();
  SendMessageA(outer->Handle(), WM_COMMAND, 0, LPARAM(inner->Handle()));
  SendMessageA(outer->Handle(), WM_COMMAND, 0, 0);  // from a menu: nothing to reflect
  EXPECT_EQ(Joined(), "inner command");
  Log().clear();
  UserBroadcastSysColorChange();
  UserBroadcastLocaleChange();
  EXPECT_EQ(Joined(), "outer syscolors,inner syscolors,outer settings,inner settings");
}

TEST_F(ControlsTest, CanvasesDrawInPaintsAndOutsideThem) {
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  TProbe* p = Child<TProbe>(form, "p", {10, 10, 60, 60});
  p->Fill = 0x0000FF;
  TGraphicProbe* g = New<TGraphicProbe>(form);
  g->SetBounds(100, 10, 20, 20);
  g->Fill = 0x00FF00;
  g->SetParent(form);
  form->Show();
  host().PumpUntilIdle();
  EXPECT_EQ(host().PixelAt(p->Handle(), 3, 3), Pixel(0xFF0000));
  EXPECT_EQ(host().PixelAt(form->Handle(), 105, 15), Pixel(0x00FF00));
  // Outside a paint the canvas takes a window DC, given back after the next message.
  size_t dcs = LiveDCCount();
  g->Canvas()->Brush()->SetColor(0xFF0000);
  g->Canvas()->FillRect({0, 0, 40, 5});
  EXPECT_EQ(LiveDCCount(), dcs + 1);
  EXPECT_EQ(g->Canvas()->GetPixel(1, 1), TColor(0xFF0000));
  EXPECT_EQ(g->Canvas()->GetPixel(30, 1), -1);  // outside the control
  SendMessageA(form->Handle(), WM_NULL, 0, 0);
  EXPECT_EQ(LiveDCCount(), dcs);
}

TEST_F(ControlsTest, FontsComeFromTheParentUntilChosen) {
  TProbe* a = Child<TProbe>(form, "a", {0, 0, 10, 10});
  TProbe* b = Child<TProbe>(a, "b", {0, 0, 5, 5});
  form->GetFont()->SetHeight(-20);
  EXPECT_EQ(a->GetFont()->GetHeight(), -20);
  a->GetFont()->SetName("Courier New");
  EXPECT_EQ(b->GetFont()->GetName(), "Courier New");
  form->GetFont()->SetHeight(-30);
  EXPECT_EQ(a->GetFont()->GetHeight(), -20);  // chosen: no longer follows
  a->SetParentFont(true);
  EXPECT_EQ(a->GetFont()->GetHeight(), -30);
  EXPECT_EQ(b->GetFont()->GetHeight(), -30);
}

// Records the custom placements it is asked for and, when told to, moves the child.
class TAlignSink : public TObject {
 public:
  std::vector<String> Seen;
  bool Move = false;
  TControl* Doomed = nullptr;  // freed when asked about
  void Position(TWinControl* Sender, TControl* Control, Integer& NewLeft, Integer& NewTop, Integer& NewWidth,
                Integer& NewHeight, TRect& AlignRect) {
    Seen.push_back(Sender->GetName() + " " + Control->GetName() + " " + std::to_string(NewLeft) + "," +
                   std::to_string(NewTop) + "," + std::to_string(NewWidth) + "," + std::to_string(NewHeight) +
                   " in " + std::to_string(AlignRect.Left) + "," + std::to_string(AlignRect.Top) + "," +
                   std::to_string(AlignRect.Right) + "," + std::to_string(AlignRect.Bottom));
    if (Control == Doomed) {
      Control->Free();
      return;
    }
    if (Move) {
      NewLeft = AlignRect.Left;
      NewTop = AlignRect.Top;
      NewWidth = AlignRect.Right - AlignRect.Left;
    }
  }
};

TEST_F(ControlsTest, CustomAlignedChildrenArePlacedByTheirParent) {
  form->SetName("form");
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  TProbe* custom = Child<TProbe>(form, "custom", {120, 40, 160, 70});
  TProbe* left = Child<TProbe>(form, "left", {0, 0, 50, 10});
  custom->SetAlign(TAlign::alCustom);
  left->SetAlign(TAlign::alLeft);
  // Without a handler the child keeps its place while its aligned sibling moves.
  EXPECT_EQ(R(left), "0,0,50,200");
  EXPECT_EQ(R(custom), "120,40,160,70");
  left->SetWidth(80);
  form->SetClientHeight(150);
  EXPECT_EQ(R(left), "0,0,80,150");
  EXPECT_EQ(R(custom), "120,40,160,70");

  // The handler sees the child's bounds and what the other aligned children left over.
  TAlignSink sink;
  form->OnAlignPosition = TAlignPositionEvent(&sink, &TAlignSink::Position);
  form->Realign();
  ASSERT_EQ(sink.Seen.size(), 1u);
  EXPECT_EQ(sink.Seen[0], "form custom 120,40,40,30 in 80,0,300,150");
  EXPECT_EQ(R(custom), "120,40,160,70");
  sink.Move = true;
  form->Realign();
  EXPECT_EQ(R(custom), "80,0,300,30");
  // A child no longer aligned alCustom is not asked about.
  sink.Seen.clear();
  custom->SetAlign(TAlign::alNone);
  form->Realign();
  EXPECT_TRUE(sink.Seen.empty());
  // A handler that frees the child it places leaves the parent laying out the rest.
  TProbe* doomed = Child<TProbe>(form, "doomed", {5, 5, 15, 15});
  TProbe* after = Child<TProbe>(form, "after", {7, 7, 17, 17});
  after->SetAlign(TAlign::alCustom);
  sink.Move = false;
  sink.Doomed = doomed;
  sink.Seen.clear();
  TWeakLink gone(doomed);
  doomed->SetAlign(TAlign::alCustom);
  EXPECT_FALSE(gone.Alive());
  ASSERT_EQ(sink.Seen.size(), 2u);
  EXPECT_EQ(sink.Seen[0].substr(0, 12), "form doomed ");
  EXPECT_EQ(sink.Seen[1].substr(0, 11), "form after ");
  EXPECT_EQ(R(after), "80,0,300,10");  // still placed: moved, its height kept
  form->OnAlignPosition = {};
}

TEST_F(ControlsTest, CustomAlignmentAndInputMethodSettingsTravelInDescriptions) {
  const String text =
      "object form2: TForm\n"
      "  object Box: TCustomControl\n"
      "    Left = 10\n"
      "    Width = 100\n"
      "    Height = 40\n"
      "    Align = alCustom\n"
      "    ImeMode = imHira\n"
      "    ImeName = 'pinyin'\n"
      "  end\n"
      "  object Plain: TCustomControl\n"
      "    Width = 20\n"
      "  end\n"
      "end\n";
  TForm* f = TForm::CreateNew(Application);
  ReadDescription(text, f);
  auto* box = dynamic_cast<TWinControl*>(f->FindComponent("Box"));
  auto* plain = dynamic_cast<TWinControl*>(f->FindComponent("Plain"));
  ASSERT_TRUE(box && plain);
  EXPECT_EQ(box->GetAlign(), TAlign::alCustom);
  EXPECT_EQ(box->GetImeMode(), TImeMode::imHira);
  EXPECT_EQ(box->GetImeName(), "pinyin");
  EXPECT_EQ(box->GetLeft(), 10);  // nothing moved it
  EXPECT_EQ(plain->GetImeMode(), TImeMode::imDontCare);
  EXPECT_EQ(plain->GetImeName(), "");

  auto written = [](TComponent* comp) {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    bin->WriteComponent(comp);
    return String(reinterpret_cast<const char*>(bin->Memory()), size_t(bin->GetSize()));
  };
  const String boxText = written(box);
  EXPECT_NE(boxText.find("alCustom"), String::npos);
  EXPECT_NE(boxText.find("imHira"), String::npos);
  EXPECT_NE(boxText.find("pinyin"), String::npos);
  // Defaults are not stored.
  const String plainText = written(plain);
  EXPECT_EQ(plainText.find("ImeMode"), String::npos);
  EXPECT_EQ(plainText.find("ImeName"), String::npos);
  EXPECT_EQ(plainText.find("Align"), String::npos);

  // Read back, the written form gives the same settings.
  TForm* g = TForm::CreateNew(Application);
  auto* copy = New<TCustomControl>(g);
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  bin->WriteComponent(box);
  bin->SetPosition(0);
  bin->ReadComponent(copy);
  EXPECT_EQ(copy->GetAlign(), TAlign::alCustom);
  EXPECT_EQ(copy->GetImeMode(), TImeMode::imHira);
  EXPECT_EQ(copy->GetImeName(), "pinyin");
  // An unknown alignment name is refused, not taken as some other value.
  TForm* h = TForm::CreateNew(Application);
  EXPECT_ANY_THROW(ReadDescription("object form3: TForm\n  object B: TCustomControl\n    Align = alSideways\n"
                                   "  end\nend\n",
                                   h));
}

}  // namespace
