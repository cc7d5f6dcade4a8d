// Container style values resolved through the base style, style controllers and the look and
// feel, in every state; change notification, controller fan-out, freeing and cycle refusal.
#include "tests/foundation/PainterTestFixture.h"
#include "widgets/foundation/cxContainerStyle.h"

class StyleChangeCounter : public TObject {
  TL_CLASS(StyleChangeCounter, TObject)
 public:
  void Changed(TObject*) { ++count; }
  int count = 0;
};
TL_DEFINE_CLASS(StyleChangeCounter, [](auto&) {});

namespace {

using S = TcxContainerStateItem;
using B = TcxContainerBorderStyle;
using K = TcxLookAndFeelKind;

class ContainerStyle : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    ASSERT_NE(RootLookAndFeel(), nullptr);
    owner.reset(New<TComponent>(nullptr));
  }
  void TearDown() override {
    styles.reset();
    other.reset();
    owner.reset();
    PainterTest::TearDown();
  }
  TcxContainerStyles* Make() {
    styles.reset(New<TcxContainerStyles>(owner.get(), TcxContainerStyleClass{}));
    return styles.get();
  }
  TcxStyleController* NewController() { return New<TcxStyleController>(owner.get()); }

  Owned<TComponent> owner;
  Owned<TcxContainerStyles> styles;
  Owned<TcxContainerStyles> other;
};

TEST_F(ContainerStyle, UnsetValuesComeFromDefaultsPerState) {
  TcxContainerStyles* st = Make();
  TcxContainerStyle* normal = st->Style();
  normal->GetFont()->SetColor(clMaroon);
  normal->GetFont()->SetStyle({TFontStyle::fsBold});
  EXPECT_EQ(normal->GetTextStyle(), TFontStyles{TFontStyle::fsBold});
  EXPECT_EQ(normal->GetTextColor(), clMaroon);

  // Disabled: grey text and frame, button-face fill.
  EXPECT_EQ(st->StyleDisabled()->GetTextColor(), clBtnShadow);
  EXPECT_EQ(st->StyleDisabled()->GetColor(), clBtnFace);
  // Focused and hot follow the base style.
  normal->SetColor(clYellow);
  for (TcxContainerStyle* s : {st->StyleFocused(), st->StyleHot()}) {
    EXPECT_EQ(s->GetColor(), clYellow);
  }
  // A state's own value wins over its base.
  st->StyleHot()->SetColor(clAqua);
  EXPECT_EQ(st->StyleHot()->GetColor(), clAqua);
  EXPECT_EQ(st->StyleFocused()->GetColor(), clYellow);
}

TEST_F(ContainerStyle, BorderStyleFollowsKindAndState) {
  TcxContainerStyles* st = Make();
  const std::pair<K, B> kinds[] = {
      {K::lfFlat, B::cbsFlat}, {K::lfStandard, B::cbs3D}, {K::lfUltraFlat, B::cbsUltraFlat}, {K::lfOffice11, B::cbsOffice11}};
  for (auto [kind, border] : kinds) {
    st->Style()->GetLookAndFeel()->SetKind(kind);
    EXPECT_EQ(st->Style()->GetBorderStyle(), border);
  }
  st->Style()->SetBorderStyle(B::cbsSingle);
  EXPECT_EQ(st->StyleFocused()->GetBorderStyle(), B::cbsThick);
  st->Style()->SetBorderStyle(B::cbsNone);
  EXPECT_EQ(st->StyleFocused()->GetBorderStyle(), B::cbsFlat);
  st->Style()->SetBorderStyle(B::cbsFlat);
  EXPECT_EQ(st->StyleHot()->GetBorderStyle(), B::cbs3D);
  // Without hot tracking the focused style keeps the normal border.
  st->Style()->SetBorderStyle(B::cbsSingle);
  st->StyleFocused()->SetHotTrack(false);  // shared: lands on the base style
  EXPECT_FALSE(st->Style()->GetHotTrack());
  EXPECT_EQ(st->StyleFocused()->GetBorderStyle(), B::cbsSingle);
}

TEST_F(ContainerStyle, ValuesResolveThroughControllerChain) {
  TcxStyleController* inner = NewController();
  TcxStyleController* outer = NewController();
  TcxContainerStyles* st = Make();
  other.reset(New<TcxContainerStyles>(owner.get(), TcxContainerStyleClass{}));
  st->Style()->SetStyleController(inner);
  other->Style()->SetStyleController(inner);
  other->Style()->SetColor(clLime);
  EXPECT_EQ(st->StyleFocused()->GetStyleController(), inner);
  EXPECT_EQ(inner->ListenerCount(), 2);

  inner->Style()->SetColor(clTeal);
  EXPECT_EQ(st->Style()->GetColor(), clTeal);
  EXPECT_EQ(other->Style()->GetColor(), clLime);  // its own value stays
  EXPECT_TRUE(st->Style()->IsValueAssigned(csvColor));
  EXPECT_FALSE(st->Style()->GetAssignedValues().Contains(csvColor));

  // A state style asks the controller's style of the same state.
  inner->StyleDisabled()->SetTextColor(clPurple);
  EXPECT_EQ(st->StyleDisabled()->GetTextColor(), clPurple);
  inner->StyleHot()->SetBorderColor(clRed);
  EXPECT_EQ(st->StyleHot()->GetBorderColor(), clRed);

  // Further along the chain: the inner controller's styles follow the outer one.
  inner->Style()->SetStyleController(outer);
  outer->Style()->SetShadow(true);
  outer->StyleFocused()->SetBorderColor(clFuchsia);
  EXPECT_TRUE(st->StyleHot()->GetShadow());
  EXPECT_EQ(st->StyleFocused()->GetBorderColor(), clFuchsia);
  inner->Style()->SetShadow(false);  // the nearer controller wins
  EXPECT_FALSE(st->Style()->GetShadow());
}

TEST_F(ContainerStyle, ControllerChangesReachFollowersAndFreeingDetaches) {
  TcxStyleController* ctl = NewController();
  TcxContainerStyles* st = Make();
  Owned<StyleChangeCounter> counter(New<StyleChangeCounter>());
  st->Style()->SetStyleController(ctl);
  st->SetOnChanged({counter.get(), &StyleChangeCounter::Changed});
  Owned<StyleChangeCounter> ctlCounter(New<StyleChangeCounter>());
  ctl->OnStyleChanged = {ctlCounter.get(), &StyleChangeCounter::Changed};

  ctl->Style()->SetColor(clOlive);
  EXPECT_EQ(counter->count, 1);
  EXPECT_EQ(ctlCounter->count, 1);

  // The follower's look and feel takes the controller's as its master.
  ctl->Style()->GetLookAndFeel()->SetKind(K::lfStandard);
  EXPECT_EQ(st->Style()->GetLookAndFeel()->GetKind(), K::lfStandard);
  EXPECT_EQ(st->StyleFocused()->GetBorderStyle(), B::cbs3D);

  // The controller's font reaches followers that have no font of their own.
  ctl->Style()->GetFont()->SetSize(14);
  EXPECT_EQ(st->Style()->GetFont()->GetSize(), 14);
  EXPECT_FALSE(st->Style()->GetAssignedValues().Contains(csvFont));

  int before = counter->count;
  ctl->Free();
  EXPECT_GT(counter->count, before);
  EXPECT_EQ(st->Style()->GetStyleController(), nullptr);
  EXPECT_EQ(st->Style()->GetColor(), clWindow);
  EXPECT_EQ(st->Style()->GetFont()->GetSize(), Owned<TFont>(New<TFont>())->GetSize());
}

TEST_F(ContainerStyle, ControllerCycleIsRefused) {
  TcxStyleController* a = NewController();
  TcxStyleController* b = NewController();
  TcxStyleController* c = NewController();
  a->Style()->SetStyleController(b);
  b->Style()->SetStyleController(c);
  c->Style()->SetStyleController(a);  // c → a → b → c
  EXPECT_EQ(c->Style()->GetStyleController(), nullptr);
  a->Style()->SetStyleController(a);
  EXPECT_EQ(a->Style()->GetStyleController(), b);
  a->Style()->SetColor(clSilver);
  b->Style()->SetColor(clNavy);
  EXPECT_EQ(a->Style()->GetColor(), clSilver);
  EXPECT_EQ(c->Style()->GetColor(), clWindow);
}

TEST_F(ContainerStyle, OneNotificationPerUpdateBracket) {
  TcxContainerStyles* st = Make();
  Owned<StyleChangeCounter> counter(New<StyleChangeCounter>());
  st->Style()->OnChanged = {counter.get(), &StyleChangeCounter::Changed};
  st->Style()->BeginUpdate();
  st->Style()->BeginUpdate();
  st->Style()->SetColor(clRed);
  st->Style()->SetBorderColor(clBlue);
  st->Style()->EndUpdate();
  EXPECT_EQ(counter->count, 0);
  st->Style()->EndUpdate();
  EXPECT_EQ(counter->count, 1);
  st->Style()->EndUpdate();  // unbalanced: no effect
  EXPECT_EQ(counter->count, 1);

  // An equal assigned value changes nothing; a new one notifies.
  st->Style()->SetColor(clRed);
  EXPECT_EQ(counter->count, 1);
  st->Style()->SetColor(clGreen);
  EXPECT_EQ(counter->count, 2);
  // Font edits count as an assignment.
  st->Style()->GetFont()->SetSize(20);
  EXPECT_TRUE(st->Style()->GetAssignedValues().Contains(csvFont));
  EXPECT_EQ(counter->count, 3);
}

}  // namespace
