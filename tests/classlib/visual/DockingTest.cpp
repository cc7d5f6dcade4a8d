#include "tests/classlib/visual/VisualTestClasses.h"
#include "tests/support/AppTest.h"
#include "tests/support/FormDescription.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The log without the controls' own notices (mouse crossings, colour and font changes).
std::string Events() {
  std::string s;
  for (const auto& e : Log()) {
    const std::string word = e.substr(0, e.find(' '));
    for (const char* w : {"start", "end", "info", "over", "drop", "undock", "free"})
      if (word == w) s += (s.empty() ? "" : ",") + e;
  }
  return s;
}

std::string Name(TObject* o) { return o ? NameOf(o) : "nothing"; }
std::string Pt(Integer x, Integer y) { return std::to_string(x) + "," + std::to_string(y); }
std::string Rect(const TRect& r) { return Pt(r.Left, r.Top) + "-" + Pt(r.Right, r.Bottom); }

// Runs a hook once: a hook that frees things must not run again from the cleanup it causes.
void RunOnce(std::function<void()>& hook) {
  if (!hook) return;
  auto run = std::move(hook);
  hook = nullptr;
  run();
}

class TDockSink : public TObject {
 public:
  void StartDock(TObject* Sender, TDragDockObject*& DragObject) {
    Log().push_back("start " + Name(Sender));
    if (Given) DragObject = Given;
  }
  void EndDock(TObject* Sender, TObject* Target, Integer X, Integer Y) {
    Log().push_back("end " + Name(Sender) + " on " + Name(Target) + " " + Pt(X, Y));
    LastTarget = Target;
  }
  void SiteInfo(TObject* Sender, TControl* Client, TRect& Influence, TPoint MousePos, bool& CanDock) {
    if (LogInfo)
      Log().push_back("info " + Name(Sender) + " for " + Name(Client) + " " + Rect(Influence) + " at " +
                      Pt(MousePos.X, MousePos.Y));
    CanDock = AllowSite;
    RunOnce(OnInfo);
  }
  void DockOver(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
    Log().push_back("over " + Name(Sender) + " " + EnumInfo<TDragState>::Name(State) + " " + Pt(X, Y) + " " +
                    EnumInfo<TAlign>::Name(Source->GetDropAlign()) + " " + Rect(Source->GetDockRect()));
    Accept = AcceptDock;
    RunOnce(OnOver);
  }
  void DockDrop(TObject* Sender, TDragDockObject* Source, Integer X, Integer Y) {
    Log().push_back("drop " + Name(Sender) + " " + Pt(X, Y) + " " + EnumInfo<TAlign>::Name(Source->GetDropAlign()) +
                    " on " + Name(Source->GetDropOnControl()));
    RunOnce(OnDrop);
  }
  void UnDock(TObject* Sender, TControl* Client, TWinControl* NewTarget, bool& Allow) {
    Log().push_back("undock " + Name(Client) + " from " + Name(Sender) + " to " + Name(NewTarget));
    Allow = AllowUndock;
    RunOnce(OnUndock);
  }
  void Resized(TObject*) { RunOnce(OnResize); }
  TDragDockObject* Given = nullptr;
  TObject* LastTarget = nullptr;
  bool LogInfo = false, AllowSite = true, AcceptDock = true, AllowUndock = true;
  std::function<void()> OnInfo, OnOver, OnDrop, OnUndock, OnResize;
};

// A form at (100,100) without a frame: client point (x, y) is screen point (x+100, y+100).
// C (10,10 100x50) docks by dragging; S (200,10 150x200) is a dock site.
class DockingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    form = TForm::CreateNew(Application);
    form->SetName("form");
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(100, 100, 400, 300);
    c = MakeClient("C");
    c->OnStartDock = TStartDockEvent(&sink, &TDockSink::StartDock);
    s = MakeSite("S", {200, 10, 350, 210});
    Mouse->SetDragThreshold(5);
    form->Show();
    Pump();
    Log().clear();
  }
  TProbe* MakeProbe(const char* name, const TRect& r, TWinControl* parent = nullptr) {
    auto* p = New<TProbe>(form);
    p->SetName(name);
    p->SetBoundsRect(r);
    p->SetParent(parent ? parent : form);
    return p;
  }
  // A control at form point (10,10), 100x50, that docks when dragged.
  TProbe* MakeClient(const char* name) {
    TProbe* p = MakeProbe(name, {10, 10, 110, 60});
    p->SetDragKind(TDragKind::dkDock);
    p->SetDragMode(TDragMode::dmAutomatic);
    p->OnEndDock = TEndDragEvent(&sink, &TDockSink::EndDock);
    return p;
  }
  TProbe* MakeSite(const char* name, const TRect& r) {
    TProbe* p = MakeProbe(name, r);
    p->SetDockSite(true);
    p->OnGetSiteInfo = TGetSiteInfoEvent(&sink, &TDockSink::SiteInfo);
    p->OnDockOver = TDockOverEvent(&sink, &TDockSink::DockOver);
    p->OnDockDrop = TDockDropEvent(&sink, &TDockSink::DockDrop);
    p->OnUnDock = TUnDockEvent(&sink, &TDockSink::UnDock);
    return p;
  }
  // Presses on C at form point (20,20), takes it past the threshold, then to form point (x, y).
  void DragTo(Integer x, Integer y) {
    host().MouseDown(F(), 20, 20);
    host().MouseMove(F(), 30, 20);
    host().MouseMove(F(), x, y);
    Pump();
  }
  void DropAt(Integer x, Integer y) {
    DragTo(x, y);
    host().MouseUp(F(), x, y);
    Pump();
  }
  // Takes C by (5,5) past the threshold where it is, then drops it at form point (x, y).
  void DragFloating(Integer x, Integer y) {
    host().MouseDown(c->Handle(), 5, 5);
    host().MouseMove(c->Handle(), 15, 5);
    Pump();
    host().MouseMove(F(), x, y);
    host().MouseUp(F(), x, y);
    Pump();
  }
  static HWND Frame() { return FindWindowA("TDockFrameWindow", nullptr); }
  HWND F() { return form->Handle(); }
  TForm* form = nullptr;
  TProbe* c = nullptr;
  TProbe* s = nullptr;
  TDockSink sink;
};

TEST_F(DockingTest, ADockDragDocksOnTheNearestSideOfTheSiteUnderTheMouse) {
  sink.LogInfo = true;
  DragTo(210, 100);
  // The frame shows where C would go: the left strip of S's client area, C's width wide.
  ASSERT_NE(Frame(), nullptr);
  RECT frame;
  GetWindowRect(Frame(), &frame);
  EXPECT_EQ(Rect(frame), "300,110-400,310");
  EXPECT_TRUE(IsWindowVisible(Frame()));
  EXPECT_EQ(host().CurrentCursor(), Screen->Cursors(crDefault));
  host().MouseMove(F(), 212, 101);
  host().MouseUp(F(), 212, 101);
  Pump();
  EXPECT_EQ(Events(),
            "start C,"
            "info S for C 290,100-460,320 at 310,200,"
            "over S dsDragEnter 10,90 alLeft 300,110-400,310,"
            "info S for C 290,100-460,320 at 312,201,"
            "over S dsDragMove 12,91 alLeft 300,110-400,310,"
            "drop S 12,91 alLeft on nothing,"
            "end C on S 12,91");
  EXPECT_EQ(c->GetParent(), s);
  EXPECT_EQ(c->GetHostDockSite(), s);
  EXPECT_FALSE(c->GetFloating());
  EXPECT_EQ(c->GetAlign(), TAlign::alLeft);
  EXPECT_EQ(Rect(c->GetBoundsRect()), "0,0-100,200");
  ASSERT_EQ(s->DockClientCount(), 1);
  EXPECT_EQ(s->DockClients(0), c);
  EXPECT_THROW(s->DockClients(1), EListError);
  EXPECT_EQ(Frame(), nullptr);
  EXPECT_FALSE(DragActive());
}

TEST_F(DockingTest, EachEdgeOfTheSiteGivesItsSideAndRectangle) {
  struct Case {
    Integer X, Y;
    const char* Over;
    const char* Bounds;
  };
  // S's client area is 150x200 at screen 300,110; C is 100x50.
  for (const Case& k : {Case{340, 100, "over S dsDragEnter 140,90 alRight 350,110-450,310", "50,0-150,200"},
                        Case{270, 12, "over S dsDragEnter 70,2 alTop 300,110-450,160", "0,0-150,50"},
                        Case{270, 205, "over S dsDragEnter 70,195 alBottom 300,260-450,310", "0,150-150,200"}}) {
    c->SetParent(form);
    c->SetAlign(TAlign::alNone);
    c->SetBounds(10, 10, 100, 50);
    Log().clear();
    DropAt(k.X, k.Y);
    EXPECT_EQ(Events().rfind(std::string("start C,") + k.Over + ",drop S ", 0), 0u) << Events();
    EXPECT_EQ(c->GetParent(), s) << k.Over;
    EXPECT_EQ(Rect(c->GetBoundsRect()), k.Bounds) << k.Over;
  }
  // The nearest edge decides, ties going left, right, top, bottom in that order.
  EXPECT_EQ(s->GetDockEdge({0, 100}), TAlign::alLeft);
  EXPECT_EQ(s->GetDockEdge({149, 100}), TAlign::alRight);
  EXPECT_EQ(s->GetDockEdge({75, 0}), TAlign::alTop);
  EXPECT_EQ(s->GetDockEdge({75, 199}), TAlign::alBottom);
  EXPECT_EQ(s->GetDockEdge({75, 75}), TAlign::alLeft);
  EXPECT_EQ(s->GetDockEdge({-3, 100}), TAlign::alLeft);  // outside, within the site's reach
}

TEST_F(DockingTest, DroppedAwayFromSitesTheControlFloatsAndDocksBackFromThere) {
  c->SetUndockWidth(120);
  c->SetUndockHeight(80);
  host().MouseDown(F(), 20, 20);  // 10,10 into C
  host().MouseMove(F(), 30, 20);
  host().MouseMove(nullptr, 800, 600);
  Pump();
  RECT frame;
  ASSERT_NE(Frame(), nullptr);
  GetWindowRect(Frame(), &frame);
  EXPECT_EQ(Rect(frame), "790,590-910,670");  // the floating size, held where it was taken
  host().MouseUp(nullptr, 800, 600);
  Pump();
  TWinControl* floatHost = c->GetHostDockSite();
  ASSERT_NE(floatHost, nullptr);
  EXPECT_NE(floatHost, form);
  EXPECT_TRUE(floatHost->ClassType().InheritsFrom(TCustomDockForm::StaticClass()));
  EXPECT_TRUE(c->GetFloating());
  EXPECT_TRUE(IsWindowVisible(floatHost->Handle()));
  EXPECT_EQ(c->GetAlign(), TAlign::alClient);
  EXPECT_EQ(Pt(c->ClientOrigin().X, c->ClientOrigin().Y), "790,590");
  EXPECT_EQ(Pt(c->GetWidth(), c->GetHeight()), "120,80");
  EXPECT_EQ(sink.LastTarget, floatHost);
  EXPECT_EQ(Log().back(), "end C on  10,10");  // the floating window has no name
  // Resized while floating, the control floats with that size next time.
  TWeakLink hostLink(floatHost);
  floatHost->SetClientWidth(130);
  EXPECT_EQ(c->GetWidth(), 130);
  Log().clear();
  host().MouseDown(c->Handle(), 5, 5);
  host().MouseMove(c->Handle(), 15, 5);
  host().MouseMove(F(), 340, 100);
  host().MouseUp(F(), 340, 100);
  Pump();
  EXPECT_EQ(Events(),
            "start C,over S dsDragEnter 140,90 alRight 320,110-450,310,drop S 140,90 alRight on nothing,"
            "end C on S 140,90");
  EXPECT_EQ(c->GetParent(), s);
  EXPECT_EQ(Rect(c->GetBoundsRect()), "20,0-150,200");
  EXPECT_EQ(Pt(c->GetUndockWidth(), c->GetUndockHeight()), "130,80");
  EXPECT_FALSE(c->GetFloating());
  // The empty floating window hides at once and goes away with the next messages.
  EXPECT_FALSE(hostLink.Alive() && IsWindowVisible(static_cast<TWinControl*>(hostLink.Ref())->Handle()));
  Pump();
  EXPECT_FALSE(hostLink.Alive());
}

TEST_F(DockingTest, AFloatingWindowStaysWhileAClientIsLeftAndGoesWithTheLast) {
  ASSERT_TRUE(c->ManualFloat({500, 500, 600, 550}));
  auto* floatHost = c->GetHostDockSite();
  ASSERT_NE(floatHost, nullptr);
  TProbe* c2 = MakeClient("C2");
  ASSERT_TRUE(c2->ManualDock(floatHost, nullptr, TAlign::alTop));
  ASSERT_EQ(floatHost->DockClientCount(), 2);
  TWeakLink hostLink(floatHost);
  ASSERT_TRUE(c2->ManualDock(s));
  Pump();
  ASSERT_TRUE(hostLink.Alive()) << "one client is still in it";
  EXPECT_TRUE(IsWindowVisible(floatHost->Handle()));
  EXPECT_EQ(c->GetHostDockSite(), floatHost);
  EXPECT_TRUE(c->GetFloating());
  ASSERT_TRUE(c->ManualDock(s));
  Pump();
  EXPECT_FALSE(hostLink.Alive());
  EXPECT_EQ(s->DockClientCount(), 2);
}

TEST_F(DockingTest, TheSiteDecidesWhetherAndWhereItTakesTheControl) {
  // 5 pixels left of S is still within its reach.
  DropAt(195, 100);
  EXPECT_EQ(c->GetParent(), s);
  EXPECT_EQ(c->GetAlign(), TAlign::alLeft);
  // A site that says it cannot take the control is passed over: the control floats.
  c->ManualFloat({500, 500, 600, 550});
  TWinControl* floatHost = c->GetHostDockSite();
  sink.AllowSite = false;
  Log().clear();
  DragFloating(250, 100);
  EXPECT_EQ(Events(), "start C,end C on  5,5");
  EXPECT_EQ(c->GetHostDockSite(), floatHost);  // moved with its floating window
  EXPECT_EQ(Pt(c->ClientOrigin().X, c->ClientOrigin().Y), "345,195");
  // One that refuses in OnDockOver hears the drag leave, and the control floats too.
  c->ManualFloat({500, 500, 600, 550});
  sink.AllowSite = true;
  sink.AcceptDock = false;
  Log().clear();
  DragFloating(250, 100);
  EXPECT_EQ(Events(),
            "start C,over S dsDragEnter 50,90 alLeft 300,110-400,310,"
            "over S dsDragLeave 50,90 alNone 345,195-445,245,end C on  5,5");  // the floating rectangle
  EXPECT_EQ(c->GetHostDockSite(), floatHost);
  EXPECT_EQ(Pt(c->ClientOrigin().X, c->ClientOrigin().Y), "345,195");
}

TEST_F(DockingTest, TheSiteALeavingClientSitsOnMayKeepIt) {
  TProbe* s2 = MakeSite("S2", {10, 100, 160, 200});
  ASSERT_TRUE(c->ManualDock(s));
  EXPECT_EQ(Events(), "drop S 0,0 alNone on nothing");
  EXPECT_EQ(Rect(c->GetBoundsRect()), "0,0-100,50");
  sink.AllowUndock = false;
  Log().clear();
  EXPECT_FALSE(c->ManualDock(s2, nullptr, TAlign::alTop));
  EXPECT_FALSE(c->ManualFloat({500, 500, 600, 550}));
  EXPECT_EQ(Events(), "undock C from S to S2,undock C from S to nothing");
  EXPECT_EQ(c->GetParent(), s);
  // By the mouse as well: nothing moves, and the drag ends on nothing.
  Log().clear();
  host().MouseDown(c->Handle(), 5, 5);
  host().MouseMove(c->Handle(), 15, 5);
  host().MouseMove(nullptr, 900, 700);
  host().MouseUp(nullptr, 900, 700);
  Pump();
  EXPECT_EQ(Events(), "start C,undock C from S to nothing,end C on nothing 0,0");
  EXPECT_EQ(c->GetParent(), s);
  // Allowed, it goes; docking on the site it is on asks nobody.
  sink.AllowUndock = true;
  Log().clear();
  EXPECT_TRUE(c->ManualDock(s, nullptr, TAlign::alBottom));
  EXPECT_EQ(Events(), "drop S 0,150 alBottom on nothing");
  EXPECT_EQ(c->GetAlign(), TAlign::alBottom);
  Log().clear();
  EXPECT_TRUE(c->ManualDock(s2, s, TAlign::alTop));
  EXPECT_EQ(Events(), "undock C from S to S2,drop S2 0,0 alTop on S");
  EXPECT_EQ(Rect(c->GetBoundsRect()), "0,0-150,50");
  Log().clear();
  EXPECT_TRUE(c->ManualFloat({500, 500, 600, 550}));
  EXPECT_EQ(Events(), "undock C from S2 to nothing");
  TWinControl* floatHost = c->GetHostDockSite();
  EXPECT_EQ(Pt(c->ClientOrigin().X, c->ClientOrigin().Y), "500,500");
  // Floating again only moves its window: nothing is asked, no new window is made.
  EXPECT_TRUE(c->ManualFloat({600, 400, 700, 450}));
  EXPECT_EQ(c->GetHostDockSite(), floatHost);
  EXPECT_EQ(Pt(c->ClientOrigin().X, c->ClientOrigin().Y), "600,400");
  // Nowhere to dock: no site, the control itself, a control inside it.
  TProbe* inner = MakeProbe("I", {0, 0, 10, 10}, c);
  inner->SetDockSite(true);
  EXPECT_FALSE(c->ManualDock(nullptr));
  EXPECT_FALSE(c->ManualDock(c));
  EXPECT_FALSE(c->ManualDock(inner));
  EXPECT_EQ(c->GetHostDockSite(), floatHost);
  // A form stays a window of its own: it does not dock, and floating moves it.
  TForm* tool = TForm::CreateNew(Application);
  tool->SetBorderStyle(TFormBorderStyle::bsNone);
  tool->SetBounds(20, 20, 60, 40);
  tool->SetDragKind(TDragKind::dkDock);
  Log().clear();
  EXPECT_FALSE(tool->ManualDock(s));
  EXPECT_EQ(tool->GetParent(), nullptr);
  EXPECT_TRUE(tool->ManualFloat({700, 300, 760, 340}));
  EXPECT_EQ(tool->GetParent(), nullptr);
  EXPECT_EQ(Rect(tool->GetBoundsRect()), "700,300-760,340");
  EXPECT_TRUE(IsWindowVisible(tool->Handle()));
  EXPECT_EQ(Events(), "");
}

TEST_F(DockingTest, EscapeCancelsAndManualDragsStartAtOnce) {
  DragTo(210, 100);
  host().Key(VK_ESCAPE);
  host().MouseUp(F(), 210, 100);
  Pump();
  EXPECT_EQ(Events(),
            "start C,over S dsDragEnter 10,90 alLeft 300,110-400,310,over S dsDragLeave 10,90 alLeft "
            "300,110-400,310,end C on nothing 0,0");
  EXPECT_EQ(c->GetParent(), form);
  EXPECT_EQ(Frame(), nullptr);
  // A drag object from OnStartDock is the one the site sees; the control is the one that docks.
  Owned<TDragDockObject> given(New<TDragDockObject>(nullptr));
  sink.Given = given.get();
  c->SetDragMode(TDragMode::dmManual);
  host().MouseMove(F(), 20, 20);
  Pump();
  Log().clear();
  c->BeginDrag(true);
  EXPECT_EQ(CurrentDockObject(), given.get());
  EXPECT_EQ(given->Control(), c);
  EXPECT_EQ(Events(), "start C");
  host().MouseMove(F(), 210, 100);
  host().MouseUp(F(), 210, 100);
  Pump();
  EXPECT_EQ(c->GetParent(), s);
  EXPECT_TRUE(given->Dropped());
  EXPECT_EQ(Log().back(), "end C on S 10,90");
}

TEST_F(DockingTest, HandlersMayFreeTheControlOrTheSite) {
  // The control freed while over the site: the drag ends, the site hears it leave.
  sink.OnOver = [&] { c->Free(); };
  DragTo(210, 100);
  host().MouseUp(F(), 210, 100);
  Pump();
  EXPECT_FALSE(DragActive());
  EXPECT_EQ(Frame(), nullptr);
  EXPECT_EQ(Events(),
            "start C,over S dsDragEnter 10,90 alLeft 300,110-400,310,free C,over S dsDragLeave 10,90 alLeft "
            "300,110-400,310");
  // A site freed while asked whether it takes the control is passed over.
  c = MakeClient("C");
  TProbe* s2 = MakeSite("S2", {10, 100, 160, 200});
  sink.OnInfo = [&] { s2->Free(); };
  Log().clear();
  DropAt(60, 150);
  EXPECT_EQ(Events(), "free S2,end C on  10,10");
  EXPECT_TRUE(c->GetFloating());
  // The site the control would go to, freed by the one it leaves: nothing moves.
  TWinControl* floatHost = c->GetHostDockSite();
  floatHost->OnUnDock = TUnDockEvent(&sink, &TDockSink::UnDock);
  ASSERT_TRUE(c->ManualDock(s));
  TProbe* s3 = MakeSite("S3", {10, 100, 160, 200});
  sink.OnUndock = [&] { s3->Free(); };
  Log().clear();
  EXPECT_FALSE(c->ManualDock(s3));
  EXPECT_EQ(Events(), "undock C from S to S3,free S3");
  EXPECT_EQ(c->GetParent(), s);
  // The control freed when it docks: OnEndDock has no one to tell.
  TProbe* c2 = MakeClient("C2");
  sink.OnDrop = [&] { c2->Free(); };
  Log().clear();
  DropAt(210, 100);
  EXPECT_EQ(Events(), "over S dsDragEnter 10,90 alLeft 300,110-400,310,drop S 10,90 alLeft on nothing,free C2");
  ASSERT_EQ(s->DockClientCount(), 1);
  EXPECT_EQ(s->DockClients(0), c);
  // A site freed under the drag is forgotten (its clients die with it): the drop floats.
  c2 = MakeClient("C2");
  DragTo(210, 100);
  s->Free();
  host().MouseMove(F(), 211, 100);
  host().MouseUp(F(), 211, 100);
  Pump();
  EXPECT_TRUE(c2->GetFloating());
  // A floating window freed takes its client with it.
  TWeakLink client(c2);
  c2->GetHostDockSite()->Free();
  EXPECT_FALSE(client.Alive());
}

// The client takes its new size inside the site before the site hears of the drop: a resize
// handler may free the site (its clients go with it), the form, or the client alone.
TEST_F(DockingTest, AResizeAsTheClientTakesItsPlaceMayFreeTheSiteTheFormOrTheClient) {
  // By the mouse: the drop is heard by nobody, and the drag ends.
  for (int victim = 0; victim < 3; ++victim) {
    SCOPED_TRACE(victim);
    if (victim > 0) {
      if (!form) {
        form = TForm::CreateNew(Application);
        form->SetBorderStyle(TFormBorderStyle::bsNone);
        form->SetBounds(100, 100, 400, 300);
        form->Show();
      }
      c = MakeClient("C");
      c->OnStartDock = TStartDockEvent(&sink, &TDockSink::StartDock);
      s = MakeSite("S", {200, 10, 350, 210});
      Pump();
    }
    TWeakLink client(c), site(s), formLink(form);
    c->OnResize = TNotifyEvent(&sink, &TDockSink::Resized);
    sink.OnResize = [&] {
      if (victim == 0) s->Free();
      if (victim == 1) form->Free();
      if (victim == 2) c->Free();
    };
    Log().clear();
    DropAt(210, 100);
    EXPECT_FALSE(DragActive());
    EXPECT_EQ(Frame(), nullptr);
    EXPECT_FALSE(client.Alive());
    EXPECT_EQ(site.Alive(), victim == 2);
    EXPECT_EQ(formLink.Alive(), victim != 1);
    if (victim == 1) form = nullptr;
    // Nobody hears a drop, and the client that would hear the end is gone.
    const std::string over = "start C,over S dsDragEnter 10,90 alLeft 300,110-400,310,";
    if (victim == 0) {
      EXPECT_EQ(Events(), over + "free S,free C");
    }
    if (victim == 2) {
      EXPECT_EQ(Events(), over + "free C");
    }
    EXPECT_EQ(Events().substr(0, over.size()), over);
    EXPECT_EQ(Events().find("drop"), std::string::npos);
    EXPECT_EQ(Events().find("end"), std::string::npos);
    if (victim == 2) {
      EXPECT_EQ(s->DockClientCount(), 0);
    }
  }
  // By hand the same: the dock reports failure.
  c = MakeClient("C");
  TWeakLink client(c), site(s);
  c->OnResize = TNotifyEvent(&sink, &TDockSink::Resized);
  sink.OnResize = [&] { s->Free(); };
  Log().clear();
  EXPECT_FALSE(c->ManualDock(s, nullptr, TAlign::alLeft));
  EXPECT_FALSE(site.Alive());
  EXPECT_FALSE(client.Alive());
  EXPECT_EQ(Events(), "free S,free C");
}

// Floating, the client takes its place in a window made for it: a resize handler that frees
// it there ends the float as a failure, and the window made for it goes. An aligned client
// takes its new size while it joins the site, inside the change of parent itself.
TEST_F(DockingTest, AResizeAsTheClientFloatsOrJoinsASiteMayFreeIt) {
  const Integer forms = Screen->FormCount();
  c->OnResize = TNotifyEvent(&sink, &TDockSink::Resized);
  TWeakLink client(c);
  sink.OnResize = [&] { c->Free(); };
  EXPECT_FALSE(c->ManualFloat({500, 500, 620, 580}));
  EXPECT_FALSE(client.Alive());
  Pump();
  EXPECT_EQ(Screen->FormCount(), forms);
  // By the mouse, dropped away from the sites (at another size, so that it resizes): nobody
  // is left to hear the end.
  c = MakeClient("C");
  c->SetUndockWidth(120);
  client.Attach(c);
  c->OnResize = TNotifyEvent(&sink, &TDockSink::Resized);
  sink.OnResize = [&] { c->Free(); };
  Log().clear();
  host().MouseDown(F(), 20, 20);
  host().MouseMove(F(), 30, 20);
  host().MouseMove(nullptr, 800, 600);
  host().MouseUp(nullptr, 800, 600);
  Pump();
  EXPECT_FALSE(client.Alive());
  EXPECT_FALSE(DragActive());
  EXPECT_EQ(Events(), "free C");
  EXPECT_EQ(Screen->FormCount(), forms);
  c = MakeClient("C");
  c->SetAlign(TAlign::alClient);
  client.Attach(c);
  c->OnResize = TNotifyEvent(&sink, &TDockSink::Resized);
  sink.OnResize = [&] { c->Free(); };
  Log().clear();
  EXPECT_FALSE(c->ManualDock(s));
  EXPECT_FALSE(client.Alive());
  EXPECT_EQ(Events(), "free C");
  EXPECT_EQ(s->DockClientCount(), 0);
}

TEST_F(DockingTest, ClientsPlacedOnASiteAreDockedAndDescriptionsKeepTheSettings) {
  TProbe* d = MakeProbe("D", {0, 0, 20, 20}, s);
  TProbe* e = MakeProbe("E", {30, 0, 50, 20}, s);
  d->SetDragKind(TDragKind::dkDock);
  EXPECT_EQ(d->GetHostDockSite(), s);
  EXPECT_EQ(e->GetHostDockSite(), nullptr);  // drags and drops, does not dock
  ASSERT_EQ(s->DockClientCount(), 1);
  EXPECT_EQ(s->DockClients(0), d);
  s->SetDockSite(false);
  EXPECT_EQ(d->GetHostDockSite(), nullptr);
  EXPECT_THROW(d->SetFloatingDockSiteClass(&TGraphicControl::StaticClass()), EInvalidOperation);

  const String text =
      "object form2: TForm\n"
      "  object Site: TCustomControl\n"
      "    Left = 10\n"
      "    Width = 100\n"
      "    Height = 100\n"
      "    DockSite = True\n"
      "    UseDockManager = True\n"
      "    object Tool: TCustomControl\n"
      "      Width = 20\n"
      "      Height = 20\n"
      "      DragKind = dkDock\n"
      "      DragMode = dmAutomatic\n"
      "    end\n"
      "  end\n"
      "end\n";
  TForm* f = TForm::CreateNew(Application);
  ReadDescription(text, f);
  auto* site = dynamic_cast<TWinControl*>(f->FindComponent("Site"));
  auto* tool = dynamic_cast<TControl*>(f->FindComponent("Tool"));
  ASSERT_TRUE(site && tool);
  EXPECT_TRUE(site->GetDockSite());
  EXPECT_TRUE(site->GetUseDockManager());
  EXPECT_EQ(tool->GetHostDockSite(), site);
  // Written back, the settings are there; a control that is no site stores none.
  auto written = [](TComponent* comp) {
    Owned<TMemoryStream> bin(New<TMemoryStream>());
    bin->WriteComponent(comp);
    return String(reinterpret_cast<const char*>(bin->Memory()), size_t(bin->GetSize()));
  };
  EXPECT_NE(written(site).find("DockSite"), String::npos);
  EXPECT_NE(written(site).find("UseDockManager"), String::npos);
  EXPECT_EQ(written(tool).find("DockSite"), String::npos);
  EXPECT_NE(written(tool).find("dkDock"), String::npos);
}

}  // namespace
