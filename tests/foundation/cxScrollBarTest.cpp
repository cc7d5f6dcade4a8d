#include <gtest/gtest.h>

#include "classlib/core/Exceptions.h"
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "platform/host/HeadlessHost.h"
#include "platform/kernel/Arith.h"
#include "platform/user/User.h"
#include "tests/support/AppTest.h"
#include "widgets/foundation/cxScrollBar.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace {

using enum TcxScrollBarPart;
using enum TScrollCode;

class TScrollLog : public TObject {
  TL_CLASS(TScrollLog, TObject)
 public:
  void Changed(TObject*) {
    ++Changes;
    Order.push_back("OnChange");
  }
  std::vector<String> Order;
  void Scrolled(TObject*, TScrollCode Code, Integer& Pos) {
    Codes.emplace_back(Code, Pos);
    if (Override) Pos = *Override;
  }
  int Changes = 0;
  std::vector<std::pair<TScrollCode, Integer>> Codes;
  std::optional<Integer> Override;
};
TL_DEFINE_CLASS(TScrollLog)

class cxScrollBarTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cxControls::Initialize();
    form = TCustomForm::CreateNew(nullptr);
    form->SetBounds(100, 100, 300, 300);
    bar = New<TcxScrollBar>(form);
    bar->SetKind(TScrollBarKind::sbVertical);
    bar->SetBounds(10, 10, 17, 200);
    bar->SetParent(form);
    bar->OnChange = TNotifyEvent(log.get(), &TScrollLog::Changed);
    bar->OnScroll = TScrollEvent(log.get(), &TScrollLog::Scrolled);
    form->Show();
    host().PumpUntilIdle();
    arrow = std::min(GetSystemMetrics(SM_CXVSCROLL), 100);
  }
  void TearDown() override {
    form->Free();
    cxControls::Finalize();
    AppTest::TearDown();
  }
  HWND wnd() { return bar->Handle(); }
  // Input goes through the platform queue; each helper lets it arrive.
  void Down(Integer x, Integer y) {
    host().MouseDown(wnd(), x, y);
    host().PumpUntilIdle();
  }
  void Move(Integer x, Integer y) {
    host().MouseMove(wnd(), x, y);
    host().PumpUntilIdle();
  }
  void Up(Integer x, Integer y) {
    host().MouseUp(wnd(), x, y);
    host().PumpUntilIdle();
  }
  void Click(Integer x, Integer y) {
    Down(x, y);
    Up(x, y);
  }
  Integer TrackLength() const { return 200 - 2 * arrow; }

  TForm* form = nullptr;
  TcxScrollBar* bar = nullptr;
  Owned<TScrollLog> log{New<TScrollLog>()};
  Integer arrow = 0;
};

TEST_F(cxScrollBarTest, PageAsLargeAsTheRangeAndFullTrackThumbsStayAtTheStart) {
  bar->SetScrollParams(1, 100, 50, 100);  // nothing left to scroll, Min above 0
  EXPECT_EQ(bar->ThumbRect().Top, arrow);
  EXPECT_EQ(bar->ThumbRect().Bottom, 200 - arrow);
  // A thumb that fills the track cannot move: dragging it divides by nothing and changes nothing.
  const TPoint mid{8, 100};
  log->Changes = 0;
  Down(mid.X, mid.Y);
  Move(mid.X, mid.Y + 30);
  Up(mid.X, mid.Y + 30);
  EXPECT_EQ(bar->GetPosition(), 50);
  EXPECT_EQ(log->Changes, 0);
}

TEST_F(cxScrollBarTest, TinyBarHasHalfLengthArrowsAndNoThumb) {
  bar->SetBounds(10, 10, 17, 20);
  if (GetSystemMetrics(SM_CXVSCROLL) >= 10) {
    EXPECT_EQ(bar->FirstArrowRect(), (TRect{0, 0, 17, 10}));
    EXPECT_EQ(bar->SecondArrowRect(), (TRect{0, 10, 17, 20}));
  }
  EXPECT_TRUE(bar->ThumbRect().IsEmpty());
  EXPECT_EQ(bar->HitTest({5, 15}), sbpLineDown);
}

TEST_F(cxScrollBarTest, InvalidRangesRaiseAndKeepTheOldValues) {
  bar->SetScrollParams(0, 50, 20, 10);
  EXPECT_THROW(bar->SetMax(5), EInvalidOperation);  // below PageSize
  EXPECT_THROW(bar->SetScrollParams(10, 5, 7, 0), EInvalidOperation);
  EXPECT_EQ(bar->GetMax(), 50);
  EXPECT_EQ(bar->GetPosition(), 20);
  bar->SetPosition(500);
  EXPECT_EQ(bar->GetPosition(), 50);
}

TEST_F(cxScrollBarTest, ArrowRepeatsAfter400ThenEvery60AndPausesOffThePart) {
  bar->SetScrollParams(0, 1000, 0, 0);
  const Integer y = 200 - arrow / 2;
  Down(8, y);
  EXPECT_EQ(bar->GetPosition(), 1);
  host().Advance(399);
  EXPECT_EQ(bar->GetPosition(), 1);
  host().Advance(1);
  EXPECT_EQ(bar->GetPosition(), 2);
  host().Advance(59);
  EXPECT_EQ(bar->GetPosition(), 2);
  host().Advance(1);
  EXPECT_EQ(bar->GetPosition(), 3);
  host().Advance(120);
  EXPECT_EQ(bar->GetPosition(), 5);

  Move(8, 100);  // off the arrow: paused
  EXPECT_EQ(bar->PartState(sbpLineDown), TcxButtonState::cxbsNormal);
  host().Advance(600);
  EXPECT_EQ(bar->GetPosition(), 5);
  Move(8, y);  // back: resumes at the fast rate
  host().Advance(60);
  EXPECT_EQ(bar->GetPosition(), 6);

  Up(8, y);
  EXPECT_FALSE(bar->RepeatTimerRunning());
  host().Advance(600);
  EXPECT_EQ(bar->GetPosition(), 6);
  EXPECT_EQ(log->Codes.back().first, scEndScroll);
}

TEST_F(cxScrollBarTest, PagingStopsWhenTheThumbReachesTheCursor) {
  bar->SetScrollParams(0, 99, 0, 10);
  bar->SetLargeChange(10);
  Down(8, 150);
  EXPECT_EQ(bar->GetPosition(), 10);
  host().Advance(5000);
  // The thumb now covers the cursor: paging stopped there instead of running to the end.
  EXPECT_EQ(bar->HitTest({8, 150}), sbpThumbnail);
  EXPECT_LT(bar->GetPosition(), 90);
  Up(8, 150);
}

// SmallChange 3 and LargeChange 10 from position 50: each way of asking gives its own step.
TEST_F(cxScrollBarTest, PagesStepByLargeChangeAndArrowsBySmallChange) {
  bar->SetScrollParams(0, 100, 50, 0);
  bar->SetSmallChange(3);
  bar->SetLargeChange(10);
  const TRect thumb = bar->ThumbRect();
  ASSERT_FALSE(thumb.IsEmpty());
  auto clicked = [&](Integer y) {
    bar->SetPosition(50);
    Click(8, y);
    return bar->GetPosition();
  };
  EXPECT_EQ(clicked(arrow / 2), 47);
  EXPECT_EQ(clicked(200 - arrow / 2), 53);
  EXPECT_EQ(clicked(thumb.Top - 1), 40);
  EXPECT_EQ(clicked(thumb.Bottom), 60);
  // The codes the platform's keyboard interface sends: Page Up and Down, and the arrow keys.
  auto keyed = [&](WORD code) {
    bar->SetPosition(50);
    bar->Perform(CN_VSCROLL, code, 0);
    return bar->GetPosition();
  };
  EXPECT_EQ(keyed(SB_LINEUP), 47);
  EXPECT_EQ(keyed(SB_LINEDOWN), 53);
  EXPECT_EQ(keyed(SB_PAGEUP), 40);
  EXPECT_EQ(keyed(SB_PAGEDOWN), 60);
  // Near the ends the step stops at the range.
  bar->SetPosition(95);
  bar->Perform(CN_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(bar->GetPosition(), 100);
}

TEST_F(cxScrollBarTest, ThumbTrackingScrollsWithoutChangeUntilRelease) {
  bar->SetScrollParams(0, 99, 0, 10);
  const TRect thumb = bar->ThumbRect();
  const Integer y0 = (thumb.Top + thumb.Bottom) / 2;
  Down(8, y0);
  log->Changes = 0;
  log->Codes.clear();
  Move(8, y0 + 40);
  EXPECT_GT(bar->GetPosition(), 0);
  EXPECT_EQ(log->Changes, 0);
  ASSERT_FALSE(log->Codes.empty());
  EXPECT_EQ(log->Codes.back().first, scTrack);
  EXPECT_EQ(log->Codes.back().second, bar->GetPosition());
  const Integer tracked = bar->GetPosition();

  Move(8, 230);  // past the end, within the slack along the axis: the thumb stops at the arrow
  EXPECT_EQ(bar->ThumbRect().Bottom, 200 - arrow);
  EXPECT_EQ(bar->GetPosition(), 90);
  Move(8, y0 + 40);
  EXPECT_EQ(bar->GetPosition(), tracked);

  log->Codes.clear();
  Up(8, y0 + 40);
  ASSERT_EQ(log->Codes.size(), 2u);
  EXPECT_EQ(log->Codes[0].first, scPosition);
  EXPECT_EQ(log->Codes[1].first, scEndScroll);
  EXPECT_EQ(bar->GetPosition(), tracked);
}

TEST_F(cxScrollBarTest, DraggingFarAcrossSnapsBackUnlessUnlimited) {
  bar->SetScrollParams(0, 99, 20, 10);
  const TRect thumb = bar->ThumbRect();
  const Integer y0 = (thumb.Top + thumb.Bottom) / 2;
  Down(8, y0);
  Move(8, y0 + 50);
  EXPECT_NE(bar->GetPosition(), 20);
  Move(17 + 140, y0 + 50);
  EXPECT_EQ(bar->GetPosition(), 20);
  Move(17 + 100, y0 + 50);  // inside the slack again: follows the cursor
  EXPECT_NE(bar->GetPosition(), 20);
  Up(17 + 100, y0 + 50);

  bar->SetUnlimitedTracking(true);
  bar->SetPosition(20);
  const TRect thumb2 = bar->ThumbRect();
  const Integer y1 = (thumb2.Top + thumb2.Bottom) / 2;
  Down(8, y1);
  Move(17 + 140, y1 + 50);
  EXPECT_NE(bar->GetPosition(), 20);
  Up(17 + 140, y1 + 50);
}

TEST_F(cxScrollBarTest, AnUnmovedOrSnappedBackThumbKeepsTheExactPosition) {
  // On a long range one pixel of track stands for several positions.
  bar->SetScrollParams(0, 1000, 10, 0);  // its thumb pixel reads back as 13
  const TRect thumb = bar->ThumbRect();
  const Integer y0 = (thumb.Top + thumb.Bottom) / 2;
  log->Changes = 0;
  Click(8, y0);
  EXPECT_EQ(bar->GetPosition(), 10);
  EXPECT_EQ(log->Changes, 0);

  Down(8, y0);
  Move(8, y0 + 30);
  EXPECT_NE(bar->GetPosition(), 10);
  Move(17 + 140, y0 + 30);  // far across: snapped back
  EXPECT_EQ(bar->GetPosition(), 10);
  EXPECT_EQ(bar->ThumbRect(), thumb);
  Up(17 + 140, y0 + 30);
  EXPECT_EQ(bar->GetPosition(), 10);
  EXPECT_EQ(log->Changes, 0);
}

TEST_F(cxScrollBarTest, ThumbNearMaxWithAPageEndsAtTheSecondArrow) {
  ASSERT_EQ(arrow, 16);
  // Track 168, thumb max(10 * 168 / 100, 8) = 17; R = 99 - 9 = 90.
  bar->SetScrollParams(0, 99, 45, 10);
  EXPECT_EQ(bar->ThumbRect(), (TRect{0, 16 + 76, 17, 16 + 76 + 17}));  // 151 * 45 / 90 = 75.5
  bar->SetPosition(95);  // past R: the thumb stops at the end of the track
  EXPECT_EQ(bar->ThumbRect(), (TRect{0, 184 - 17, 17, 184}));
  EXPECT_EQ(bar->PageDownRect(), (TRect{0, 184, 17, 184}));
}

TEST_F(cxScrollBarTest, LayoutFollowsTheSizeConstraintsApplied) {
  form->SetBounds(100, 50, 300, 400);
  bar->GetConstraints()->SetMaxHeight(120);
  ASSERT_EQ(bar->GetHeight(), 120);
  EXPECT_EQ(bar->SecondArrowRect(), (TRect{0, 120 - arrow, 17, 120}));
  EXPECT_EQ(bar->HitTest({8, 115}), sbpLineDown);
  EXPECT_EQ(bar->ThumbRect().Top, arrow);

  bar->GetConstraints()->SetMaxHeight(0);
  bar->GetConstraints()->SetMinHeight(260);
  ASSERT_EQ(bar->GetHeight(), 260);
  EXPECT_EQ(bar->SecondArrowRect(), (TRect{0, 260 - arrow, 17, 260}));
  // The paint bitmap has the applied size too: the second arrow is painted where it now lies,
  // past the bar's former end, like the first one.
  bar->Repaint();
  HDC dc = GetDC(wnd());
  for (Integer y : {3, arrow / 2})
    EXPECT_EQ(GetPixel(dc, 3, 260 - 1 - y), GetPixel(dc, 3, y)) << y;
  ReleaseDC(wnd(), dc);
}

// Notes the class library's change notice in the same log as OnChange.
class TNoticeBar : public TcxScrollBar {
  TL_CLASS(TNoticeBar, TcxScrollBar)
 public:
  using TcxScrollBar::TcxScrollBar;
  TScrollLog* Log = nullptr;

 protected:
  void WndProc(TMessage& Message) override {
    if (Message.Msg == CM_CHANGED && Log)
      Log->Order.push_back(Message.LParam == LPARAM(static_cast<TControl*>(this)) ? "notice" : "other");
    inherited::WndProc(Message);
  }
};
TL_DEFINE_CLASS(TNoticeBar)

TEST_F(cxScrollBarTest, APositionChangeGivesTheChangeNoticeBeforeOnChange) {
  auto* noticed = New<TNoticeBar>(form);
  noticed->SetParent(form);
  noticed->Log = log.get();
  noticed->OnChange = TNotifyEvent(log.get(), &TScrollLog::Changed);
  noticed->SetPosition(5);
  noticed->SetMax(50);  // the range alone is no change of position
  EXPECT_EQ(log->Order, (std::vector<String>{"notice", "OnChange"}));
}

TEST_F(cxScrollBarTest, ScrollHandlerMayEditThePositionWithinRange) {
  bar->SetScrollParams(0, 50, 10, 0);
  log->Override = 500;  // beyond Max: clamped after the handler
  Click(8, 1);
  EXPECT_EQ(log->Codes.front().first, scLineUp);
  EXPECT_EQ(log->Codes.front().second, 9);
  EXPECT_EQ(bar->GetPosition(), 50);
  EXPECT_GE(log->Changes, 1);
}

TEST_F(cxScrollBarTest, CancelModeAndDisablingEndThePress) {
  bar->SetScrollParams(0, 1000, 0, 0);
  Down(8, 1);
  EXPECT_TRUE(bar->RepeatTimerRunning());
  SendMessageA(wnd(), WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(bar->RepeatTimerRunning());
  EXPECT_EQ(bar->PressedPart(), sbpNone);
  Up(8, 1);

  Down(8, 199);
  bar->SetEnabled(false);
  EXPECT_EQ(bar->PressedPart(), sbpNone);
  const Integer pos = bar->GetPosition();
  host().Advance(1000);
  EXPECT_EQ(bar->GetPosition(), pos);
  Up(8, 199);
}

TEST_F(cxScrollBarTest, WideRangesDoNotOverflow) {
  bar->SetScrollParams(-2000000000, 2000000000, 1999999999, 0);
  bar->SetSmallChange(30000);
  Click(8, 199);
  EXPECT_EQ(bar->GetPosition(), 2000000000);
  EXPECT_EQ(bar->ThumbRect().Bottom, 200 - arrow);
}


// Draws nothing; remembers the state each part was drawn in during the last paint.
class TRecordingPainter : public TcxUltraFlatLookAndFeelPainter {
 public:
  void DrawScrollBarPart(TcxCanvas&, bool, TRect, TcxScrollBarPart APart, TcxButtonState AState) const override {
    States[APart] = AState;
  }
  mutable std::map<TcxScrollBarPart, TcxButtonState> States;
};

class TRecordedBar : public TcxScrollBar {
  TL_CLASS(TRecordedBar, TcxScrollBar)
 public:
  using TcxScrollBar::TcxScrollBar;
  const TcxCustomLookAndFeelPainter* Painter() const override { return &Recorder; }
  TRecordingPainter Recorder;
};
TL_DEFINE_CLASS(TRecordedBar)

TEST_F(cxScrollBarTest, PartsAreDrawnInTheirStatesThroughThePainter) {
  using enum TcxButtonState;
  auto* recorded = New<TRecordedBar>(form);
  recorded->SetKind(TScrollBarKind::sbVertical);
  recorded->SetBounds(10, 10, 17, 200);
  recorded->SetParent(form);
  bar->Free();
  bar = recorded;
  host().PumpUntilIdle();
  TRecordingPainter& painter = recorded->Recorder;
  bar->SetScrollParams(0, 99, 45, 10);
  auto paint = [&] {
    painter.States.clear();
    bar->Repaint();
    host().PumpUntilIdle();
  };
  paint();
  EXPECT_EQ(painter.States.at(sbpThumbnail), cxbsNormal);

  Move(8, 1);  // hot-tracked arrow
  paint();
  EXPECT_EQ(painter.States.at(sbpLineUp), cxbsHot);

  Down(8, 1);
  paint();
  EXPECT_EQ(painter.States.at(sbpLineUp), cxbsPressed);
  Move(8, 100);  // pressed, but the cursor has left it
  paint();
  EXPECT_EQ(painter.States.at(sbpLineUp), cxbsNormal);
  Up(8, 100);

  bar->SetEnabled(false);
  paint();
  EXPECT_EQ(painter.States.at(sbpLineUp), cxbsDisabled);
  EXPECT_EQ(painter.States.count(sbpThumbnail), 0u);  // no thumb: the whole bar as one page area
  EXPECT_EQ(painter.States.at(sbpPageUp), cxbsNormal);
}

TEST_F(cxScrollBarTest, LimitsStreamAndBindTheSizeOnceLoaded) {
  Owned<TcxScrollBar> source(New<TcxScrollBar>(nullptr));
  source->GetConstraints()->SetMaxWidth(100);
  Owned<TMemoryStream> stream(New<TMemoryStream>());
  stream->WriteComponent(source.get());
  stream->SetPosition(0);
  Owned<TcxScrollBar> copy(New<TcxScrollBar>(nullptr));
  stream->ReadComponent(copy.get());
  EXPECT_EQ(copy->GetConstraints()->GetMaxWidth(), 100);
  // A size read before its limits is brought within them once loaded.
  Owned<TMemoryStream> text(New<TMemoryStream>());
  ObjectTextToBinary("object Bar: TcxScrollBar\n  Width = 300\n  Constraints.MaxWidth = 90\nend\n", *text);
  text->SetPosition(0);
  text->ReadComponent(copy.get());
  EXPECT_EQ(copy->GetWidth(), 90);
}

TEST_F(cxScrollBarTest, StreamedLimitsAreCheckedTogetherOnceRead) {
  auto read = [](const char* text, TcxScrollBar* target) {
    Owned<TMemoryStream> stream(New<TMemoryStream>());
    ObjectTextToBinary(text, *stream);
    stream->SetPosition(0);
    stream->ReadComponent(target);
  };
  // Max is written before Min: read over a higher range, it is valid only once both are in.
  Owned<TcxScrollBar> copy(New<TcxScrollBar>(nullptr));
  copy->SetScrollParams(500, 1000, 700, 0);
  read("object Bar: TcxScrollBar\n  Max = 200\n  Min = 100\n  Position = 150\nend\n", copy.get());
  EXPECT_EQ(copy->GetMin(), 100);
  EXPECT_EQ(copy->GetMax(), 200);
  EXPECT_EQ(copy->GetPosition(), 150);
  // A range that is wrong as a whole still fails, and leaves a consistent bar.
  Owned<TcxScrollBar> bad(New<TcxScrollBar>(nullptr));
  EXPECT_ANY_THROW(read("object Bar: TcxScrollBar\n  Max = 5\n  Min = 10\nend\n", bad.get()));
  EXPECT_LE(bad->GetMin(), bad->GetMax());
  EXPECT_FALSE(bad->ComponentState().Contains(TComponentStateItem::csLoading));
}

class TPopupLog : public TObject {
  TL_CLASS(TPopupLog, TObject)
 public:
  void Popup(TObject*, TPoint MousePos, bool& Handled) {
    Points.push_back(MousePos);
    Handled = MousePos.X >= 0;
  }
  std::vector<TPoint> Points;
};
TL_DEFINE_CLASS(TPopupLog)

TEST_F(cxScrollBarTest, ContextRequestsAskOnContextPopupFirst) {
  TPopupLog log;
  bar->OnContextPopup = TContextPopupEvent(&log, &TPopupLog::Popup);
  const TPoint at = bar->ClientToScreen({50, 5});
  EXPECT_EQ(SendMessageA(bar->Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(WORD(at.X), WORD(at.Y))), 1);
  EXPECT_EQ(SendMessageA(bar->Handle(), WM_CONTEXTMENU, 0, LPARAM(-1)), 0);  // not handled: passed on
  EXPECT_EQ(log.Points, (std::vector<TPoint>{{50, 5}, {-1, -1}}));
}

}  // namespace
