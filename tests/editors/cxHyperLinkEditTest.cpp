// The hyperlink edit: what reaches the desktop's opener on a click, a double click and the
// start shortcut, the link's look, and the addresses it refuses to pass on.
#include "classlib/visual/Cursors.h"
#include "platform/shell/Shell.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editcore/cxEditRegisteredRepositoryItems.h"
#include "widgets/editors/cxHyperLinkEdit.h"

namespace {

class StartCounter : public TObject {
 public:
  void HStart(TObject*) { ++Count; }
  int Count = 0;
};

class HyperLinkEdit : public EditorsDialogTest {
 protected:
  void SetUp() override {
    EditorsDialogTest::SetUp();
    SetShellRecording(true);
    ClearShellLaunches();
  }
  void TearDown() override {
    ClearShellLaunches();
    SetShellRecording(false);
    EditorsDialogTest::TearDown();
  }
  TcxHyperLinkEdit* Add(const String& AText, bool ASingleClick) {
    auto* e = New<TcxHyperLinkEdit>(form);
    e->SetBounds(10, 10, 150, 21);
    e->SetParent(form);
    e->GetLinkProperties()->SetSingleClick(ASingleClick);
    e->SetEditValue(Variant(AText));
    Show();
    return e;
  }
  static HWND Inner(TcxHyperLinkEdit* e) { return e->InnerTextEdit()->GetHandle(); }
  // Successive clicks land apart, so that no two make a double click.
  void Click(TcxHyperLinkEdit* e) {
    clickX = clickX == 3 ? 60 : 3;
    host().MouseDown(Inner(e), clickX, 4);
    host().MouseUp(Inner(e), clickX, 4);
    Pump();
  }
  int clickX = 3;
  void CtrlEnter() {
    host().KeyDown(VK_CONTROL);
    host().Key(VK_RETURN);
    host().KeyUp(VK_CONTROL);
    Pump();
  }
  // The addresses the opener was given, each checked to be its single argument.
  static std::vector<String> Opened() {
    std::vector<String> r;
    for (const auto& argv : ShellLaunches()) {
      EXPECT_EQ(argv.size(), 2u);
      if (argv.size() == 2) r.push_back(argv[1]);
    }
    return r;
  }
  using V = std::vector<String>;
};

TEST_F(HyperLinkEdit, SingleClickOpensTheAddressWithThePrefixRule) {
  TcxHyperLinkEdit* e = Add("  example.org ", true);
  Click(e);
  EXPECT_EQ(Opened(), V({"http://example.org"}));

  ClearShellLaunches();
  e->SetEditValue(Variant(String("http://a.org/x y \"q\"")));
  Click(e);
  EXPECT_EQ(Opened(), V({"http://a.org/x y \"q\""}));

  // The test is case-sensitive; an empty prefix leaves the text as it is.
  ClearShellLaunches();
  e->SetEditValue(Variant(String("HTTP://b.org")));
  Click(e);
  e->GetLinkProperties()->SetPrefix("");
  e->SetEditValue(Variant(String(" c.org")));
  Click(e);
  EXPECT_EQ(Opened(), V({"http://HTTP://b.org", " c.org"}));

  // Blank text opens nothing; a click that leaves a selection opens nothing (the prefix is
  // still empty here).
  ClearShellLaunches();
  e->SetEditValue(Variant(String("   ")));
  Click(e);
  e->SetEditValue(Variant(String("d.org")));
  e->SetSelStartAndLength(0, 2);
  TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
  e->MouseUp(TMouseButton::mbLeft, {}, inner->GetLeft() + 1, inner->GetTop() + 1);
  EXPECT_EQ(Opened(), V{});
  // Nor does a click on the frame outside the text.
  e->SetSelStartAndLength(0, 0);
  e->MouseUp(TMouseButton::mbLeft, {}, inner->GetLeft() - 1, inner->GetTop() + 1);
  EXPECT_EQ(Opened(), V{});
  e->MouseUp(TMouseButton::mbLeft, {}, inner->GetLeft() + 1, inner->GetTop() + 1);
  EXPECT_EQ(Opened(), V({"d.org"}));
}

// An OnMouseUp handler that frees the edit as a click ends ends the click there: nothing is
// opened and nothing after it touches the edit.
TEST_F(HyperLinkEdit, AMouseUpHandlerFreeingTheEditEndsTheClickThere) {
  class TFreer : public TObject {
   public:
    TObject* Victim = nullptr;
    void Up(TObject*, TMouseButton, TShiftState, Integer, Integer) {
      TObject* v = Victim;
      Victim = nullptr;
      if (v) v->Free();
    }
  } freer;
  TcxHyperLinkEdit* e = Add("f.org", true);
  freer.Victim = e;
  e->OnMouseUp = {&freer, &TFreer::Up};
  TWeakLink edit(e);
  TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
  e->MouseUp(TMouseButton::mbLeft, {}, inner->GetLeft() + 1, inner->GetTop() + 1);
  EXPECT_FALSE(edit.Alive());
  EXPECT_EQ(Opened(), V{});
}

TEST_F(HyperLinkEdit, SingleClickShowsTheHandWhileThePointerIsOver) {
  TcxHyperLinkEdit* e = Add("l.org", true);
  e->SetCursor(crIBeam);
  e->MouseEnter(e);
  EXPECT_EQ(e->GetCursor(), crHandPoint);
  EXPECT_EQ(e->InnerTextEdit()->GetCursor(), crHandPoint);
  e->MouseLeave(e);
  EXPECT_EQ(e->GetCursor(), crIBeam);
  EXPECT_EQ(e->InnerTextEdit()->GetCursor(), crIBeam);
  e->GetLinkProperties()->SetSingleClick(false);
  e->MouseEnter(e);
  EXPECT_EQ(e->GetCursor(), crIBeam);
}

TEST_F(HyperLinkEdit, WithoutSingleClickOnlyADoubleClickOpens) {
  TcxHyperLinkEdit* e = Add("e.org", false);
  Click(e);
  EXPECT_EQ(Opened(), V{});
  // On the frame around the text a double click opens nothing.
  TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
  ASSERT_GT(inner->GetLeft(), 0);
  host().DoubleClick(e->GetHandle(), inner->GetLeft() - 1, inner->GetTop() + 2);
  Pump();
  EXPECT_EQ(Opened(), V{});
  host().DoubleClick(Inner(e), 3, 4);
  Pump();
  EXPECT_EQ(Opened(), V({"http://e.org"}));
}

TEST_F(HyperLinkEdit, CtrlEnterOpensAndEnterDoesNot) {
  TcxHyperLinkEdit* e = Add("f.org", false);
  e->SetFocus();
  Pump();
  host().Key(VK_RETURN);
  Pump();
  EXPECT_EQ(Opened(), V{});
  CtrlEnter();
  EXPECT_EQ(Opened(), V({"http://f.org"}));
  // Another start key replaces Ctrl+Enter.
  e->GetLinkProperties()->SetStartKey(ShortCut(VK_F5, {}));
  CtrlEnter();
  host().Key(VK_F5);
  Pump();
  EXPECT_EQ(Opened(), V({"http://f.org", "http://f.org"}));
}

TEST_F(HyperLinkEdit, ReadOnlyKeepsTheTextAndStillOpens) {
  TcxHyperLinkEdit* e = Add("g.org", false);
  e->GetLinkProperties()->SetReadOnly(true);
  e->SetFocus();
  Pump();
  host().Key('X');
  Pump();
  EXPECT_EQ(e->InnerTextEdit()->GetText(), "g.org");
  CtrlEnter();
  EXPECT_EQ(Opened(), V({"http://g.org"}));
}

TEST_F(HyperLinkEdit, TheLinkIsUnderlinedInTheLinkColour) {
  TcxHyperLinkEdit* e = Add("h.org", false);
  EXPECT_EQ(e->GetStyle()->GetTextColor(), clBlue);
  EXPECT_TRUE(e->GetStyle()->GetTextStyle().Contains(TFontStyle::fsUnderline));
  e->GetLinkProperties()->SetLinkColor(clMaroon);
  EXPECT_EQ(e->GetStyle()->GetTextColor(), clMaroon);
  // The focused text too.
  e->SetFocus();
  Pump();
  EXPECT_EQ(e->InnerTextEdit()->GetFont()->GetColor(), clMaroon);
  EXPECT_TRUE(e->InnerTextEdit()->GetFont()->GetStyle().Contains(TFontStyle::fsUnderline));
  // A colour set on the style wins over the link colour.
  e->GetStyle()->SetTextColor(clGreen);
  EXPECT_EQ(e->GetStyle()->GetTextColor(), clGreen);
}

TEST_F(HyperLinkEdit, AHandlerOrARefusedAddressOpensNothing) {
  TcxHyperLinkEdit* e = Add("i.org", false);
  StartCounter counter;
  e->GetLinkProperties()->OnStartClick = {&counter, &StartCounter::HStart};
  e->StartLink();
  EXPECT_EQ(counter.Count, 1);
  e->GetLinkProperties()->OnStartClick = {};

  // A leading "-" would reach the opener as an option.
  e->GetLinkProperties()->SetPrefix("");
  e->SetEditValue(Variant(String("-x.org")));
  EXPECT_THROW(e->StartLink(), Exception);
  EXPECT_EQ(Opened(), V{});
}

// Line breaks, tabs and other control characters inside the address are no danger to an
// opener that takes it as one argument: it gets them as they are.
TEST_F(HyperLinkEdit, ControlCharactersInsideTheAddressReachTheOpenerVerbatim) {
  TcxHyperLinkEdit* e = Add("k.org/a\nb\tc", false);
  e->StartLink();
  e->GetLinkProperties()->SetPrefix("http://\x01");
  e->SetEditValue(Variant(String("m.org")));
  e->StartLink();
  EXPECT_EQ(Opened(), V({"http://k.org/a\nb\tc", "http://\x01m.org"}));
}

TEST_F(HyperLinkEdit, PropertiesAreRegisteredAndCopied) {
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  const Integer i = r->GetIndexByClass(&TcxHyperLinkEditProperties::StaticClass());
  ASSERT_GE(i, 0);
  EXPECT_EQ(r->Names(i), "HyperLink");
  EXPECT_EQ(r->Descriptions(i), "Represents a text editor with hyperlink functionality");
  Owned<TcxHyperLinkEditProperties> a(New<TcxHyperLinkEditProperties>(nullptr));
  Owned<TcxHyperLinkEditProperties> b(New<TcxHyperLinkEditProperties>(nullptr));
  EXPECT_FALSE(b->GetAutoSelect());
  a->SetLinkColor(clRed);
  a->SetPrefix("");
  a->SetSingleClick(true);
  a->SetStartKey(ShortCut(VK_F5, {}));
  b->Assign(a.get());
  EXPECT_EQ(b->GetLinkColor(), clRed);
  EXPECT_EQ(b->GetPrefix(), "");
  EXPECT_TRUE(b->GetSingleClick());
  EXPECT_EQ(b->GetStartKey(), ShortCut(VK_F5, {}));
  EXPECT_TRUE(b->GetSupportedOperations().Contains(TcxEditSupportedOperation::esoAlwaysHotTrack));
}

TEST_F(HyperLinkEdit, ValidationAddsThePrefixAndAnEmptyPrefixIsStored) {
  TcxHyperLinkEdit* e = Add("", false);
  e->SetFocus();
  Pump();
  host().Key('K');
  Pump();
  EXPECT_TRUE(e->ValidateDisplayText(true));
  EXPECT_EQ(e->InnerTextEdit()->GetText(), "http://k");

  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(e);
  String text(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_EQ(text.find("Prefix"), String::npos);
  EXPECT_EQ(text.find("AutoSelect"), String::npos);
  e->GetLinkProperties()->SetPrefix("");
  m->Clear();
  m->WriteComponent(e);
  text.assign(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  EXPECT_NE(text.find("Prefix"), String::npos);

  TForm* dialog = ReadDialog(
      "object Dialog: TForm\n"
      "  object link: TcxHyperLinkEdit\n"
      "    Properties.Prefix = ''\n"
      "    Properties.SingleClick = True\n"
      "  end\n"
      "end\n");
  auto* read = dynamic_cast<TcxHyperLinkEdit*>(dialog->FindComponent("link"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetLinkProperties()->GetPrefix(), "");
  EXPECT_TRUE(read->GetLinkProperties()->GetSingleClick());
  dialog->Free();
}

// Painted in place (no editor), the text is underlined in the link colour; a selected cell
// takes the selected-text colour instead.
TEST_F(EditorsTest, HyperLinkPaintedInPlaceIsAnUnderlinedLink) {
  Make(80, 20, clWhite);
  Owned<TcxHyperLinkEditProperties> props(New<TcxHyperLinkEditProperties>(nullptr));
  props->SetLinkColor(clMaroon);
  Owned<TcxContainerStyle> style(
      props->GetStyleClass().Create(nullptr, TcxContainerStateItem::csNormal, nullptr, false));
  style->GetFont()->SetName(kTestFaceName);
  style->GetFont()->SetHeight(-10);
  style->SetColor(clWhite);
  style->SetTextColor(clBlack);
  Owned<TcxCustomEditViewInfo> info(props->GetViewInfoClass().Create());
  Owned<TcxCustomEditViewData> data(props->CreateViewData(static_cast<TcxCustomEditStyle*>(style.get()), true));
  data->Calculate(*canvas, {0, 0, 80, 20}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
  static_cast<TcxCustomTextEditViewData*>(data.get())
      ->EditValueToDrawValue(*canvas, Variant(String("ab")), info.get());
  info->Paint(*canvas);
  TRect box{80, 20, 0, 0};
  int black = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 80; ++x) {
      if (Is(x, y, clBlack)) ++black;
      if (!Is(x, y, clMaroon)) continue;
      box = {std::min<Integer>(box.Left, x), std::min<Integer>(box.Top, y), std::max<Integer>(box.Right, x + 1),
             std::max<Integer>(box.Bottom, y + 1)};
    }
  EXPECT_EQ(black, 0);
  ASSERT_LT(box.Left, box.Right);
  // The test face draws each letter as a block with a gap between letters; only the
  // underline's row runs unbroken across the gap.
  bool fullRow = false;
  for (int y = box.Top; y < box.Bottom && !fullRow; ++y) {
    bool full = true;
    for (int x = box.Left; x < box.Right; ++x) full = full && Is(x, y, clMaroon);
    fullRow = full;
  }
  EXPECT_TRUE(fullRow);

  auto* vi = static_cast<TcxHyperLinkEditViewInfo*>(info.get());
  vi->IsSelected = true;
  vi->SelTextColor = clNavy;
  Make(80, 20, clWhite);
  info->Paint(*canvas);
  int navy = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 80; ++x) navy += Is(x, y, clNavy) ? 1 : 0;
  EXPECT_GT(navy, box.Width());
}

}  // namespace
