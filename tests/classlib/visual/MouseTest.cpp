#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

namespace {

// The log without the enter and leave notices.
std::string Events() {
  std::string s;
  for (const auto& e : Log())
    if (e.rfind("in ", 0) != 0 && e.rfind("out ", 0) != 0) s += (s.empty() ? "" : ",") + e;
  return s;
}

class MouseTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetName("form");
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(100, 100, 400, 300);
    p = New<TProbe>(form);
    p->SetName("P");
    p->SetBounds(10, 10, 100, 50);
    p->SetParent(form);
    g = New<TGraphicProbe>(form);
    g->SetName("G");
    g->SetBounds(200, 10, 50, 40);
    g->SetParent(form);
    for (TControl* c : std::initializer_list<TControl*>{p, g}) {
      c->OnMouseDown = TMouseEvent(&sink, &TSink::MouseDown);
      c->OnMouseMove = TMouseMoveEvent(&sink, &TSink::Moved);
      c->OnMouseUp = TMouseEvent(&sink, &TSink::Up);
      c->OnClick = TNotifyEvent(&sink, &TSink::Clicked);
      c->OnDblClick = TNotifyEvent(&sink, &TSink::Clicked);
    }
    form->Show();
    Pump();
    Log().clear();
  }
  HWND F() { return form->Handle(); }
  TForm* form = nullptr;
  TProbe* p = nullptr;
  TGraphicProbe* g = nullptr;
  TSink sink;
};

TEST_F(MouseTest, AButtonDownCapturesTheMouseUntilReleased) {
  host().MouseDown(p->Handle(), 5, 6);
  Pump();
  EXPECT_EQ(GetCaptureControl(), p);
  host().MouseMove(F(), 300, 200);  // far outside P: still P's
  host().MouseUp(F(), 300, 200);
  Pump();
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(Events(), "move P 5,6,down P mbLeft 5,6,move P 290,190,up P 290,190");  // no click outside
}

TEST_F(MouseTest, GraphicControlsGetTheirMouseThroughTheParentWindow) {
  host().MouseDown(F(), 210, 20);
  Pump();
  EXPECT_EQ(GetCaptureControl(), g);
  host().MouseMove(F(), 20, 20);  // over P, but G holds the capture
  host().MouseUp(F(), 20, 20);
  Pump();
  EXPECT_EQ(Events(), "move G 10,10,down G mbLeft 10,10,move G -180,10,up G -180,10");
  Log().clear();
  host().Click(F(), 249, 49);
  host().DoubleClick(F(), 205, 15);
  Pump();
  EXPECT_EQ(Events(),
            "move G 49,39,down G mbLeft 49,39,clicked G,up G 49,39,move G 5,5,down G mbLeft 5,5,clicked G,up G 5,5,"
            "clicked G,down G mbLeft 5,5 double,up G 5,5");
  // A disabled graphic control lets the parent have the mouse.
  g->SetEnabled(false);
  Log().clear();
  host().Click(F(), 210, 20);
  Pump();
  EXPECT_EQ(Joined(), "");
}

TEST_F(MouseTest, AControlFreedAfterLosingTheCaptureIsForgotten) {
  host().MouseDown(F(), 210, 20);
  Pump();
  ASSERT_EQ(GetCaptureControl(), g);
  TForm* other = TForm::CreateNew(Application);
  other->HandleNeeded();
  SetCapture(other->Handle());  // taken away without the control knowing
  g->Free();
  EXPECT_EQ(GetCaptureControl(), other);
  ReleaseCapture();
  host().MouseUp(F(), 210, 20);
  Pump();
  EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(MouseTest, EnterAndLeaveFollowThePointer) {
  host().MouseMove(F(), 20, 20);
  Pump();
  host().MouseMove(F(), 210, 20);
  Pump();
  host().MouseMove(F(), 380, 250);
  Pump();
  host().MouseMove(nullptr, 900, 900);  // off the form, over no window at all
  Pump();
  host().WhenIdle([] {});
  Application->HandleMessage();  // idle time looks again
  EXPECT_EQ(Application->MouseControl(), nullptr);
  EXPECT_EQ(Joined(), "in P,move P 10,10,out P,in G,move G 10,10,out G");
  // A control freed under the pointer is forgotten.
  host().MouseMove(F(), 20, 20);
  Pump();
  p->Free();
  EXPECT_EQ(Application->MouseControl(), nullptr);
}

TEST_F(MouseTest, CursorsComeFromTheControlUnlessTheScreenOverrides) {
  p->SetCursor(crHandPoint);
  host().MouseMove(F(), 20, 20);
  Pump();
  EXPECT_EQ(host().CurrentCursor(), LoadCursorA(nullptr, IDC_HAND));
  Screen->SetCursor(crHourGlass);
  host().MouseMove(F(), 20, 20);
  Pump();
  EXPECT_EQ(host().CurrentCursor(), LoadCursorA(nullptr, IDC_WAIT));
  Screen->SetCursor(crDefault);
  EXPECT_EQ(host().CurrentCursor(), LoadCursorA(nullptr, IDC_HAND));
  EXPECT_THROW(Screen->SetCursors(crDefault, nullptr), EInvalidOperation);
}

class DragTest : public MouseTest {
 protected:
  void SetUp() override {
    MouseTest::SetUp();
    target = New<TProbe>(form);
    target->SetName("T");
    target->SetBounds(10, 150, 100, 50);
    target->SetParent(form);
    target->OnDragOver = TDragOverEvent(&sink, &TSink::DragOverH);
    target->OnDragDrop = TDragDropEvent(&sink, &TSink::DragDropH);
    p->SetDragMode(TDragMode::dmAutomatic);
    p->OnStartDrag = TStartDragEvent(&sink, &TSink::StartDragH);
    p->OnEndDrag = TEndDragEvent(&sink, &TSink::EndDragH);
    p->OnMouseMove = nullptr;
    form->HandleNeeded();
    Pump();
    Log().clear();
  }
  TProbe* target = nullptr;
};

TEST_F(DragTest, ADragStartsPastTheThresholdAndDropsOnAnAcceptingTarget) {
  Mouse->SetDragThreshold(5);
  host().MouseDown(F(), 20, 20);
  host().MouseMove(F(), 24, 23);
  Pump();
  EXPECT_TRUE(p->Dragging());
  EXPECT_EQ(Events(), "");  // the threshold is not crossed yet
  host().MouseMove(F(), 30, 20);
  host().MouseMove(F(), 25, 165);
  Pump();
  EXPECT_EQ(host().CurrentCursor(), Screen->Cursors(crDrag));
  host().MouseMove(F(), 26, 166);
  host().MouseUp(F(), 26, 166);
  Pump();
  EXPECT_EQ(Events(),
            "start P,over T from P dsDragEnter 15,15,over T from P dsDragMove 16,16,drop T from P 16,16,end P on T");
}

TEST_F(DragTest, EscapeOrARefusingTargetEndTheDragWithoutADrop) {
  sink.AcceptDrop = false;
  host().MouseDown(F(), 20, 20);
  host().MouseMove(F(), 25, 165);
  Pump();
  EXPECT_EQ(host().CurrentCursor(), Screen->Cursors(crNoDrop));
  host().MouseUp(F(), 25, 165);
  Pump();
  EXPECT_EQ(Events(), "start P,over T from P dsDragEnter 15,15,over T from P dsDragLeave 15,15,end P on nothing");
  sink.AcceptDrop = true;
  Log().clear();
  host().MouseDown(F(), 20, 20);
  host().MouseMove(F(), 25, 165);
  host().Key(VK_ESCAPE);
  host().MouseUp(F(), 25, 165);
  Pump();
  EXPECT_EQ(Events(), "start P,over T from P dsDragEnter 15,15,over T from P dsDragLeave 15,15,end P on nothing");
  // Released before the threshold: no drag at all, and the control got no click either.
  Log().clear();
  host().Click(F(), 20, 20);
  Pump();
  EXPECT_FALSE(p->Dragging());
  EXPECT_EQ(Events(), "");
}

TEST_F(DragTest, ATargetFreedUnderTheDragIsForgotten) {
  host().MouseDown(F(), 20, 20);
  host().MouseMove(F(), 25, 165);
  Pump();
  target->Free();
  host().MouseMove(F(), 26, 166);
  host().MouseUp(F(), 26, 166);
  Pump();
  EXPECT_FALSE(DragActive());
  EXPECT_EQ(Events(), "start P,over T from P dsDragEnter 15,15,free T,end P on nothing");
}

// A target's handler that frees the source, the target or the form as the drag ends over it.
class TDragEndFreer : public TObject {
 public:
  void Over(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State,
            bool& Accept) {
    Sink->DragOverH(Sender, Source, X, Y, State, Accept);
    if (State == TDragState::dsDragLeave && OnLeave) FreeVictim();
  }
  void Drop(TObject* Sender, TObject* Source, Integer X, Integer Y) {
    Sink->DragDropH(Sender, Source, X, Y);
    FreeVictim();
  }
  void FreeVictim() {
    TObject* v = Victim;
    Victim = nullptr;
    if (v) v->Free();
  }
  TSink* Sink = nullptr;
  TObject* Victim = nullptr;
  bool OnLeave = false;
};

TEST_F(DragTest, TheDropOrTheLeaveMayFreeTheSourceTheTargetOrTheForm) {
  TDragEndFreer freer;
  freer.Sink = &sink;
  TWeakLink madeP(p), madeT(target);
  for (int victim = 0; victim < 3; ++victim)
    for (bool leave : {false, true}) {
      SCOPED_TRACE(std::to_string(victim) + (leave ? " leave" : " drop"));
      if (!form) {
        form = TForm::CreateNew(Application);
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
      }
      for (TProbe** made : {&p, &target}) {
        TWeakLink& alive = made == &p ? madeP : madeT;
        if (alive.Alive()) (*made)->Free();
        *made = New<TProbe>(form);
        alive.Attach(*made);
        (*made)->SetName(made == &p ? "P" : "T");
        (*made)->SetBounds(10, made == &p ? 10 : 150, 100, 50);
        (*made)->SetParent(form);
      }
      p->SetDragMode(TDragMode::dmAutomatic);
      p->OnStartDrag = TStartDragEvent(&sink, &TSink::StartDragH);
      p->OnEndDrag = TEndDragEvent(&sink, &TSink::EndDragH);
      target->OnDragOver = TDragOverEvent(&freer, &TDragEndFreer::Over);
      target->OnDragDrop = TDragDropEvent(&freer, &TDragEndFreer::Drop);
      Pump();
      // A refusing target hears the drag leave it as the button comes up.
      sink.AcceptDrop = !leave;
      freer.OnLeave = leave;
      TObject* const victims[] = {p, target, form};
      freer.Victim = victims[victim];
      TWeakLink source(p), dropTarget(target), formLink(form);
      Log().clear();
      host().MouseDown(F(), 20, 20);
      host().MouseMove(F(), 25, 165);
      host().MouseUp(F(), 25, 165);
      Pump();
      EXPECT_FALSE(DragActive());
      EXPECT_EQ(source.Alive(), victim == 1);
      EXPECT_EQ(dropTarget.Alive(), victim == 0);
      const std::string over = "start P,over T from P dsDragEnter 15,15,";
      const std::string last = leave ? "over T from P dsDragLeave 15,15," : "drop T from P 15,15,";
      // Only a source that lives hears the end, and a target that is gone is not named.
      if (victim == 0) {
        EXPECT_EQ(Events(), over + last + "free P");
      }
      if (victim == 1) {
        EXPECT_EQ(Events(), over + last + "free T,end P on nothing");
      }
      if (victim == 2) {
        EXPECT_EQ(Events().substr(0, (over + last).size()), over + last);
        EXPECT_EQ(Events().find("end"), std::string::npos);
        form = nullptr;
      }
    }
}

TEST_F(DragTest, ManualDragsStartAtOnceAndTheSourceMayDie) {
  p->SetDragMode(TDragMode::dmManual);
  host().MouseMove(F(), 20, 20);
  Pump();
  p->BeginDrag(true);
  EXPECT_TRUE(p->Dragging());
  EXPECT_EQ(Events(), "start P");
  Log().clear();
  p->Free();
  EXPECT_FALSE(DragActive());
}

}  // namespace
