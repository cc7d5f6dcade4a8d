// The text editor's hooks for its descendants and its owners: value bounds, texts new to the
// lookup items, the inner edit's font height, mouse enter and leave, popup and wheel.
#include "platform/gdi/FontEngine.h"
#include "tests/editcore/EditControlTestSupport.h"
#include "widgets/editcore/cxTextEditControl.h"

namespace {

class TNumericProperties : public TcxTextEditProperties {
  TL_CLASS(TNumericProperties, TcxTextEditProperties)
 public:
  using TcxTextEditProperties::TcxTextEditProperties;
  bool IsEditValueNumeric() const override { return true; }
};
TL_DEFINE_CLASS(TNumericProperties, [](auto&) {});

// Counts the bounds checks its properties ask for.
class TBoundsEdit : public TcxTextEdit {
  TL_CLASS(TBoundsEdit, TcxTextEdit)
 public:
  using TcxTextEdit::TcxTextEdit;
  TcxCustomEditPropertiesClass GetPropertiesClass() override {
    return ClassOf<TNumericProperties, TcxCustomEditProperties, TPersistent*>();
  }
  void ValueBoundsHook() override { ++Checks; }
  int Checks = 0;
};
TL_DEFINE_CLASS(TBoundsEdit, [](auto&) {});

class TNewTextListener : public TObject {
 public:
  void HNewText(TObject*, const String& AText) { Texts.push_back(AText); }
  std::vector<String> Texts;
};

class TMouseListener : public TObject {
 public:
  void HPopup(TObject*, TPoint P, bool& Handled) {
    Popups.push_back(P);
    Handled = true;
  }
  void HWheel(TObject*, TShiftState, Integer, TPoint, bool& Handled) {
    ++Wheels;
    Handled = true;
  }
  std::vector<TPoint> Popups;
  int Wheels = 0;
};

// Takes the character 'x' from its inner edit's default handling.
class TTakingEdit : public TcxTextEdit {
  TL_CLASS(TTakingEdit, TcxTextEdit)
 public:
  using TcxTextEdit::TcxTextEdit;
  bool InnerControlDefaultHandler(TMessage& Message) override {
    return Message.Msg == WM_CHAR && Message.WParam == 'x';
  }
};
TL_DEFINE_CLASS(TTakingEdit, [](auto&) {});

using TextEditMore = EditControlTest;

TEST_F(TextEditMore, BoundsAreCheckedOnlyWhenANumericKindHasThem) {
  auto* e = New<TBoundsEdit>(form);
  e->SetParent(form);
  TcxTextEditProperties* p = e->GetTextProperties();
  p->SetMinMaxValues(1, 10);
  EXPECT_GT(e->Checks, 0);
  // Equal bounds are no bounds.
  p->SetMinMaxValues(5, 5);
  e->Checks = 0;
  p->SetMaxLength(4);
  EXPECT_EQ(e->Checks, 0);
}

TEST_F(TextEditMore, ATextNotAmongTheLookupItemsIsAnnounced) {
  auto* e = New<TcxTextEdit>(form);
  e->SetParent(form);
  TNewTextListener l;
  TcxTextEditProperties* p = e->GetTextProperties();
  p->GetLookupItems()->Add("alpha");
  p->GetLookupItems()->Add("beta");
  p->OnNewLookupDisplayText = {&l, &TNewTextListener::HNewText};
  e->SetEditValue(Variant(String("gamma")));
  e->SetEditValue(Variant(String("BETA")));
  e->SetEditValue(Variant(String("")));
  EXPECT_EQ(l.Texts, std::vector<String>{"gamma"});
  // Only a text the user may edit is announced.
  p->SetHideCursor(true);
  l.Texts.clear();
  e->SetEditValue(Variant(String("delta")));
  EXPECT_TRUE(l.Texts.empty());
}

TEST_F(TextEditMore, TheInnerEditTextHeightIsItsFontsCellHeight) {
  auto* e = New<TcxTextEdit>(form);
  e->SetParent(form);
  e->GetFont()->SetHeight(-8);
  // Em 20 plus a quarter of it as leading.
  e->InnerTextEdit()->GetFont()->SetName(kTestFaceName);
  e->InnerTextEdit()->GetFont()->SetHeight(-20);
  EXPECT_EQ(e->GetInnerEditTextHeight(), 25);
}

TEST_F(TextEditMore, EachEditorListensToTheFormatsUntilItIsFreed) {
  const size_t before = cxGetFormatController()->ListenerCount();
  auto* e = New<TcxTextEdit>(form);
  // Its properties and the editor itself.
  EXPECT_EQ(cxGetFormatController()->ListenerCount(), before + 2);
  e->SetParent(form);
  e->SetEditValue(Variant(2.5));
  const TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  cxGetFormatController()->BeginUpdate();
  cxGetFormatController()->EndUpdate();
  EXPECT_EQ(e->InnerTextEdit()->GetText(), "2,5");
  FormatSettings = saved;
  e->Free();
  EXPECT_EQ(cxGetFormatController()->ListenerCount(), before);
}

TEST_F(TextEditMore, PopupAndWheelOverTheInnerEditReachTheEditorOnce) {
  auto* e = New<TcxTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  TMouseListener l;
  e->OnContextPopup = {&l, &TMouseListener::HPopup};
  e->OnMouseWheel = {&l, &TMouseListener::HWheel};
  Pump();
  TcxCustomInnerTextEdit* inner = e->InnerTextEdit();
  ASSERT_GT(inner->GetLeft(), 0);
  host().Click(inner->GetHandle(), 4, 5, MouseButton::Right);
  e->SetFocus();
  Pump();
  host().Wheel(inner->GetHandle(), 4, 5, -WHEEL_DELTA);
  Pump();
  // In the editor's coordinates.
  ASSERT_EQ(l.Popups.size(), 1u);
  EXPECT_EQ(l.Popups[0].X, 4 + inner->GetLeft());
  EXPECT_EQ(l.Popups[0].Y, 5 + inner->GetTop());
  EXPECT_EQ(l.Wheels, 1);
}

TEST_F(TextEditMore, TheHotLookEndsWhenTheMouseLeavesThroughTheInnerEdit) {
  auto* e = New<TcxTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  Pump();
  auto hot = [e] { return e->ViewInfo()->ContainerState.Contains(TcxContainerStateItem::csHotTrack); };
  host().MouseMove(e->InnerTextEdit()->GetHandle(), 4, 5);
  Pump();
  EXPECT_TRUE(hot());
  host().MouseMove(form->GetHandle(), 300, 150);
  Pump();
  EXPECT_FALSE(hot());
}

TEST_F(TextEditMore, TheEditorMayTakeAMessageFromTheInnerEditsDefaultHandling) {
  auto* e = New<TTakingEdit>(form);
  e->SetParent(form);
  e->SetFocus();
  Type("axb");
  EXPECT_EQ(e->InnerTextEdit()->GetText(), "ab");
}

TEST_F(TextEditMore, AnAutomaticallyDraggedEditorStartsDraggingFromItsInnerEdit) {
  auto* e = New<TcxTextEdit>(form);
  e->SetBounds(10, 10, 121, 21);
  e->SetParent(form);
  Pump();
  e->SetDragMode(TDragMode::dmAutomatic);
  host().MouseDown(e->InnerTextEdit()->GetHandle(), 4, 5);
  Pump();
  EXPECT_TRUE(e->Dragging());
  e->EndDrag(false);
}

}  // namespace
