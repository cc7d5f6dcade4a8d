// Container styles and style controllers in component streams (stored values only, shared
// values only on the base style, references fixed up after the read, damaged values clamped),
// and the fonts: visible font, controller scaling and direct-access assignment.
#include "classlib/core/Filer.h"
#include "classlib/core/FormText.h"
#include "classlib/core/Streams.h"
#include "tests/foundation/PainterTestFixture.h"
#include "widgets/foundation/cxContainer.h"
#include "widgets/foundation/cxContainerStyle.h"

#include <cstring>

namespace {

// A container-less owner of four styles; its controllers are written as its children.
class TStyleHost : public TComponent {
  TL_CLASS(TStyleHost, TComponent)
 public:
  explicit TStyleHost(TComponent* AOwner) : TComponent(AOwner) {}
  void AfterConstruction() override {
    inherited::AfterConstruction();
    FStyles = New<TcxContainerStyles>(this, TcxContainerStyleClass{});
  }
  void BeforeDestruction() override {
    FreeAndNil(FStyles);
    inherited::BeforeDestruction();
  }
  void GetChildren(const TGetChildProc& Proc, TComponent*) override {
    for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
  }
  TcxContainerStyles* Styles() const { return FStyles; }
  TcxContainerStyle* GetStyle() const { return FStyles->Style(); }
  void SetStyle(TcxContainerStyle* V) { FStyles->SetStyle(TcxContainerStateItem::csNormal, V); }
  TcxContainerStyle* GetStyleFocused() const { return FStyles->StyleFocused(); }
  void SetStyleFocused(TcxContainerStyle* V) { FStyles->SetStyle(TcxContainerStateItem::csActive, V); }
  TcxContainerStyle* GetStyleHot() const { return FStyles->StyleHot(); }
  void SetStyleHot(TcxContainerStyle* V) { FStyles->SetStyle(TcxContainerStateItem::csHotTrack, V); }
  void ControllerChanged(TObject*) { ++ControllerChanges; }

  int ControllerChanges = 0;

 private:
  TcxContainerStyles* FStyles = nullptr;
};

// A container that does not use the shadow.
class TShadowlessBox : public TcxContainer {
  TL_CLASS(TShadowlessBox, TcxContainer)
 public:
  using TcxContainer::TcxContainer;
  TcxContainerStyleValues GetUnusedStyleValues() const override { return {csvShadow}; }
};

}  // namespace
TL_DEFINE_CLASS(TShadowlessBox, [](auto&) {});
TL_DEFINE_CLASS(TStyleHost, [](auto& c) {
  c.Property("Style", &TStyleHost::GetStyle, &TStyleHost::SetStyle);
  c.Property("StyleFocused", &TStyleHost::GetStyleFocused, &TStyleHost::SetStyleFocused);
  c.Property("StyleHot", &TStyleHost::GetStyleHot, &TStyleHost::SetStyleHot);
  c.Method("ControllerChanged", &TStyleHost::ControllerChanged);
});

namespace {

using S = TcxContainerStateItem;
using B = TcxContainerBorderStyle;
using K = TcxLookAndFeelKind;

class ContainerStyleStream : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    if (!GetClass("TcxStyleController")) {
      RegisterClass(TcxStyleController::StaticClass());
      registered = true;
    }
  }
  void TearDown() override {
    if (registered) UnRegisterClass(TcxStyleController::StaticClass());
    PainterTest::TearDown();
  }
  static String Write(TComponent* root) {
    Owned<TMemoryStream> m(New<TMemoryStream>());
    m->WriteComponent(root);
    return String(reinterpret_cast<const char*>(m->Memory()), size_t(m->GetSize()));
  }
  static void Read(const String& bytes, TComponent* into) {
    Owned<TStringStream> s(New<TStringStream>(bytes));
    s->ReadComponent(into);
  }
  static bool Has(const String& bytes, const char* path) {
    return bytes.find(String(1, Char(strlen(path))) + path) != String::npos;
  }
  bool registered = false;
};

TEST_F(ContainerStyleStream, OnlyOwnUsedValuesAreWrittenAndReadBackAsAssigned) {
  Owned<TStyleHost> host(New<TStyleHost>(nullptr));
  host->SetName("Host");
  auto* ctl = New<TcxStyleController>(host.get());
  ctl->SetName("Shared");
  ctl->Style()->SetColor(clRed);
  ctl->Style()->GetFont()->SetSize(14);
  ctl->StyleFocused()->SetBorderColor(clLime);
  ctl->Style()->GetLookAndFeel()->SetKind(K::lfFlat);
  ctl->OnStyleChanged = {host.get(), &TStyleHost::ControllerChanged};

  TcxContainerStyle* style = host->GetStyle();
  style->SetStyleController(ctl);
  style->SetBorderStyle(B::cbsSingle);
  style->SetEdges({TcxBorder::bLeft, TcxBorder::bTop});
  style->SetTransparentBorder(false);
  host->GetStyleFocused()->SetTextColor(clBlue);
  host->GetStyleFocused()->SetTextStyle({TFontStyle::fsItalic});
  host->GetStyleFocused()->SetHotTrack(false);  // shared: lands on the base style
  // A state style marked with a shared value (as copying a base style into it does) keeps it
  // unstored.
  host->GetStyleFocused()->SetAssignedValues({csvTextColor, csvTextStyle, csvEdges});
  host->GetStyleHot()->SetColor(clAqua);
  // A font assigned with nothing but default values is still the style's own.
  Owned<TFont> plain(New<TFont>());
  Owned<TStyleHost> src(New<TStyleHost>(nullptr));
  src->GetStyle()->SetFont(plain.get());
  ASSERT_TRUE(src->GetStyle()->GetAssignedValues().Contains(csvFont));

  const String bytes = Write(host.get());
  const String own = bytes.substr(0, bytes.find("TcxStyleController"));  // the host's properties
  EXPECT_FALSE(Has(own, "Style.Color"));  // resolved through the controller, not assigned here
  EXPECT_FALSE(Has(own, "StyleFocused.HotTrack"));
  EXPECT_FALSE(Has(own, "StyleFocused.Edges"));
  EXPECT_FALSE(Has(own, "StyleFocused.StyleController"));
  EXPECT_TRUE(Has(own, "Style.HotTrack"));
  EXPECT_TRUE(Has(own, "Style.StyleController"));
  EXPECT_TRUE(Has(bytes, "OnStyleChanged"));

  Owned<TStyleHost> copy(New<TStyleHost>(nullptr));
  Read(bytes, copy.get());
  auto* ctl2 = dynamic_cast<TcxStyleController*>(copy->FindComponent("Shared"));
  ASSERT_NE(ctl2, nullptr);
  TcxContainerStyle* s2 = copy->GetStyle();
  EXPECT_EQ(s2->GetStyleController(), ctl2);
  EXPECT_EQ(ctl2->ListenerCount(), 1);
  EXPECT_EQ(copy->ControllerChanges, 1);  // the controller's Loaded, once the whole tree is in
  EXPECT_FALSE(copy->GetStyleFocused()->GetAssignedValues().Contains(csvEdges));

  for (S state : {S::csNormal, S::csActive, S::csDisabled, S::csHotTrack}) {
    SCOPED_TRACE(int(state));
    TcxContainerStyle* x = host->Styles()->GetStyle(state);
    TcxContainerStyle* y = copy->Styles()->GetStyle(state);
    EXPECT_EQ(y->GetAssignedValues(), TcxContainerStyleValues::FromInt(x->GetStoredAssignedValues()));
    EXPECT_EQ(y->GetColor(), x->GetColor());
  }
  EXPECT_EQ(s2->GetColor(), clRed);
  EXPECT_EQ(s2->GetFont()->GetSize(), 14);  // re-derived from the fixed-up controller

  // A description that binds the handler first still hears of the controller once, after the read.
  Owned<TMemoryStream> bin(New<TMemoryStream>());
  ObjectTextToBinary(
      "object Host: TStyleHost\n  object Ctl: TcxStyleController\n    OnStyleChanged = ControllerChanged\n"
      "    Style.Color = clRed\n    StyleHot.Color = clBlue\n  end\nend\n",
      *bin);
  bin->SetPosition(0);
  Owned<TStyleHost> fromText(New<TStyleHost>(nullptr));
  bin->ReadComponent(fromText.get());
  EXPECT_EQ(fromText->ControllerChanges, 1);

  // A container's unused values are never stored.
  Owned<TShadowlessBox> box(New<TShadowlessBox>(nullptr));
  box->GetStyle()->SetShadow(true);
  box->GetStyle()->SetBorderColor(clRed);
  EXPECT_FALSE(IsStoredProp(box->GetStyle(), "Shadow"));
  EXPECT_TRUE(IsStoredProp(box->GetStyle(), "BorderColor"));
  EXPECT_EQ(box->GetStyle()->GetStoredAssignedValues(), TcxContainerStyleValues{csvBorderColor}.ToInt());

  // A font of the style's own survives even when it equals the defaults.
  Owned<TStyleHost> srcCopy(New<TStyleHost>(nullptr));
  Read(Write(src.get()), srcCopy.get());
  EXPECT_TRUE(srcCopy->GetStyle()->GetAssignedValues().Contains(csvFont));
}

TEST_F(ContainerStyleStream, DamagedValuesAreClamped) {
  Owned<TStyleHost> host(New<TStyleHost>(nullptr));
  TcxContainerStyle* style = host->GetStyle();
  GetPropInfo(style, "BorderStyle")->SetOrd(style, 200);
  EXPECT_EQ(style->GetBorderStyle(), B::cbsOffice11);
  EXPECT_EQ(host->GetStyleFocused()->GetBorderStyle(), B::cbsOffice11);
  GetPropInfo(style, "Edges")->SetOrd(style, 0xFF);
  EXPECT_EQ(style->GetEdges(), cxBordersAll);
  GetPropInfo(style, "AssignedValues")->SetOrd(style, 0xFFFFFFFF);
  TcxContainerStyleValues all;
  for (Integer i = 0; i < cxContainerStyleValueCount; ++i) all.Include(i);
  EXPECT_EQ(style->GetAssignedValues(), all);

}

class ContainerStyleFont : public PainterTest {
 protected:
  void SetUp() override {
    PainterTest::SetUp();
    owner.reset(New<TComponent>(nullptr));
  }
  void TearDown() override {
    for (auto& s : styles) s.reset();
    owner.reset();
    PainterTest::TearDown();
  }
  TcxContainerStyles* Make(int i) {
    styles[i].reset(New<TcxContainerStyles>(owner.get(), TcxContainerStyleClass{}));
    return styles[i].get();
  }
  Owned<TComponent> owner;
  Owned<TcxContainerStyles> styles[2];
};

TEST_F(ContainerStyleFont, ControllerFontScalesOnceForAllFollowers) {
  auto* outer = New<TcxStyleController>(owner.get());
  auto* inner = New<TcxStyleController>(owner.get());
  inner->Style()->SetStyleController(outer);
  outer->Style()->GetFont()->SetSize(10);
  TcxContainerStyles* a = Make(0);
  TcxContainerStyles* b = Make(1);
  a->Style()->SetStyleController(inner);
  b->Style()->SetStyleController(inner);
  ASSERT_EQ(a->Style()->GetFont()->GetSize(), 10);

  a->Style()->ScaleFont(3, 2);  // no font of its own: the first controller with one scales
  EXPECT_EQ(outer->Style()->GetFont()->GetSize(), 15);
  EXPECT_EQ(a->Style()->GetFont()->GetSize(), 15);
  b->StyleFocused()->ScaleFont(3, 2);  // a second container of the same form: already scaled
  EXPECT_EQ(b->Style()->GetFont()->GetSize(), 15);

  // A style's own font scales with its container every time; a zero divisor does nothing.
  b->Style()->GetFont()->SetSize(8);
  b->Style()->ScaleFont(2, 1);
  b->Style()->ScaleFont(2, 0);
  EXPECT_EQ(b->Style()->GetFont()->GetSize(), 16);
  b->Style()->RestoreDefaults();  // without a container: back to the controller's font
  EXPECT_EQ(b->Style()->GetFont()->GetSize(), 15);

  // Leaving a controller detaches its look and feel.
  const K rootKind = RootLookAndFeel()->GetKind();
  const K otherKind = rootKind == K::lfFlat ? K::lfStandard : K::lfFlat;
  inner->Style()->GetLookAndFeel()->SetKind(otherKind);
  EXPECT_EQ(a->Style()->GetLookAndFeel()->GetKind(), otherKind);
  a->Style()->SetStyleController(nullptr);
  EXPECT_EQ(a->Style()->GetLookAndFeel()->GetKind(), rootKind);
}

TEST_F(ContainerStyleFont, VisibleFontAndDirectAccessAssignment) {
  TcxContainerStyles* st = Make(0);
  st->Style()->GetFont()->SetColor(clNavy);
  st->Style()->GetFont()->SetSize(11);
  st->StyleFocused()->SetTextStyle({TFontStyle::fsBold});
  TFont* visible = st->StyleDisabled()->GetVisibleFont();
  EXPECT_EQ(visible->GetColor(), clBtnShadow);
  EXPECT_EQ(st->StyleFocused()->GetVisibleFont()->GetStyle(), TFontStyles{TFontStyle::fsBold});
  EXPECT_TRUE(st->Style()->GetFont()->GetStyle().Empty());  // the style's own font is untouched

  // A direct-access style holds the font it is given; a normal style copies it and takes the
  // direct-access text colour as the font colour.
  Owned<TcxContainerStyle> d(New<TcxContainerStyle>(owner.get(), S::csNormal, nullptr, true));
  d->Assign(st->Style());
  EXPECT_EQ(d->GetFont(), st->Style()->GetFont());
  Owned<TFont> f(New<TFont>());
  f->SetSize(20);
  d->SetFont(f.get());
  d->SetTextColor(clMaroon);
  TcxContainerStyles* other = Make(1);
  other->Style()->Assign(d.get());
  EXPECT_NE(other->Style()->GetFont(), f.get());
  EXPECT_EQ(other->Style()->GetFont()->GetSize(), 20);
  EXPECT_EQ(other->Style()->GetTextColor(), clMaroon);
}

}  // namespace
