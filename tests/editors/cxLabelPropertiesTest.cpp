// The label's settings: defaults, change notices, normalised and clamped values, the
// glyph's life, copying, streaming, the effect offset, its style and its registration.
#include "tests/editors/LabelTestSupport.h"

#include <climits>

namespace {

class TNoticeCount : public TObject {
 public:
  void Notice(TObject*) { ++Count; }
  int Count = 0;
};

using LabelPropertiesTest = LabelTest;
using E = TcxLabelEffect;
using O = TcxLabelOrientation;

TEST_F(LabelPropertiesTest, DefaultsAndOneNoticePerRealChange) {
  EXPECT_EQ(props->GetAngle(), 0);
  EXPECT_EQ(props->GetDepth(), 0);
  EXPECT_EQ(props->GetLabelStyle(), TcxLabelStyle::cxlsNormal);
  EXPECT_EQ(props->GetOrientation(), O::cxoRightBottom);
  EXPECT_EQ(props->GetPenWidth(), 1);
  EXPECT_EQ(props->GetShadowedColor(), clGrayText);
  EXPECT_TRUE(props->GetShowAccelChar());
  EXPECT_FALSE(props->GetShowEndEllipsis());

  TNoticeCount n;
  props->OnPropertiesChanged = {&n, &TNoticeCount::Notice};
  props->SetDepth(4);
  props->SetDepth(4);
  props->SetWordWrap(true);
  props->SetWordWrap(true);
  props->SetShadowedColor(clRed);
  props->SetLabelStyle(TcxLabelStyle::cxlsRaised);
  props->SetAngle(90);
  props->SetAngle(450);  // the same angle once normalised
  EXPECT_EQ(n.Count, 5);
}

TEST_F(LabelPropertiesTest, AngleIsTakenIntoARoundAndPenWidthIsAtLeastOne) {
  const struct {
    Integer in, out;
  } cases[] = {{-90, 270}, {720, 0}, {359, 359}, {-1, 359}, {INT_MIN, 232}, {INT_MAX, 127}};
  for (auto c : cases) {
    props->SetAngle(c.in);
    EXPECT_EQ(props->GetAngle(), c.out) << c.in;
  }
  props->SetPenWidth(0);
  EXPECT_EQ(props->GetPenWidth(), 1);
  props->SetPenWidth(-5);
  EXPECT_EQ(props->GetPenWidth(), 1);
  props->SetDepth(65535);
  EXPECT_EQ(props->GetDepth(), 65535);
}

TEST_F(LabelPropertiesTest, EffectOffsetByOrientation) {
  props->SetDepth(3);
  EXPECT_EQ(props->GetEffectOffset(), (TPoint{0, 0})) << "no effect, no offset";
  props->SetLabelEffect(E::cxleCool);
  const struct {
    O o;
    TPoint p;
  } cases[] = {{O::cxoLeft, {3, 0}},     {O::cxoRight, {3, 0}},      {O::cxoTop, {0, 3}},
               {O::cxoBottom, {0, 3}},   {O::cxoLeftTop, {3, 3}},    {O::cxoLeftBottom, {3, 3}},
               {O::cxoRightTop, {3, 3}}, {O::cxoRightBottom, {3, 3}}};
  for (auto c : cases) {
    props->SetOrientation(c.o);
    EXPECT_EQ(props->GetEffectOffset(), c.p) << Ord(c.o);
  }
}

TEST_F(LabelPropertiesTest, GlyphIsMadeOnReadFreedByNilAndReportsItsChanges) {
  TNoticeCount n;
  props->OnPropertiesChanged = {&n, &TNoticeCount::Notice};
  TBitmap* g = props->GetGlyph();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(props->GetGlyph(), g);
  EXPECT_FALSE(props->HasGlyph());
  g->SetSize(4, 4);
  EXPECT_GE(n.Count, 1) << "a change of the bitmap is a change of the properties";
  EXPECT_TRUE(props->HasGlyph());
  const int before = n.Count;
  props->SetGlyph(nullptr);
  EXPECT_EQ(n.Count, before + 1);
  EXPECT_FALSE(props->HasGlyph());
  EXPECT_TRUE(props->GetGlyph()->Empty()) << "a new, empty glyph after it was freed";
}

TEST_F(LabelPropertiesTest, AssignCopiesEverySettingUnderOneNotice) {
  Owned<TcxLabelProperties> src(New<TcxLabelProperties>(nullptr));
  src->SetAngle(30);
  src->SetDepth(7);
  src->GetGlyph()->SetSize(3, 2);
  src->SetLabelEffect(E::cxleFun);
  src->SetLabelStyle(TcxLabelStyle::cxlsOutLine);
  src->SetOrientation(O::cxoTop);
  src->SetPenWidth(3);
  src->SetShadowedColor(clBlue);
  src->SetShowAccelChar(false);
  src->SetShowEndEllipsis(true);
  src->SetWordWrap(true);
  src->GetAlignment()->SetHorz(TAlignment::taCenter);
  TNoticeCount n;
  props->OnPropertiesChanged = {&n, &TNoticeCount::Notice};
  props->Assign(src.get());
  EXPECT_EQ(n.Count, 1);
  EXPECT_EQ(props->GetAngle(), 30);
  EXPECT_EQ(props->GetDepth(), 7);
  EXPECT_EQ(props->GetGlyph()->GetWidth(), 3);
  EXPECT_NE(props->GetGlyph(), src->GetGlyph()) << "a copy, not the source's bitmap";
  EXPECT_EQ(props->GetLabelEffect(), E::cxleFun);
  EXPECT_EQ(props->GetLabelStyle(), TcxLabelStyle::cxlsOutLine);
  EXPECT_EQ(props->GetOrientation(), O::cxoTop);
  EXPECT_EQ(props->GetPenWidth(), 3);
  EXPECT_EQ(props->GetShadowedColor(), clBlue);
  EXPECT_FALSE(props->GetShowAccelChar());
  EXPECT_TRUE(props->GetShowEndEllipsis());
  EXPECT_TRUE(props->GetWordWrap());
  EXPECT_EQ(props->GetAlignment()->GetHorz(), TAlignment::taCenter);
  // A source without a glyph takes the copy's away.
  Owned<TcxLabelProperties> plain(New<TcxLabelProperties>(nullptr));
  props->Assign(plain.get());
  EXPECT_FALSE(props->HasGlyph());
  Owned<TcxCustomEditProperties> same(props->CreateSameClass());
  EXPECT_EQ(&same->ClassType(), &TcxLabelProperties::StaticClass());
}

TEST_F(LabelPropertiesTest, StreamsSettingsButNotTheUnstoredOnes) {
  Owned<TLabelSettingsHolder> out(New<TLabelSettingsHolder>(nullptr));
  Owned<TMemoryStream> empty(New<TMemoryStream>());
  empty->WriteComponent(out.get());
  TcxLabelProperties* p = out->GetProperties();
  p->SetAngle(90);
  p->SetDepth(2);
  p->SetLabelEffect(E::cxleExtrude);
  p->SetOrientation(O::cxoLeftTop);
  p->SetPenWidth(2);
  p->SetShadowedColor(clRed);
  p->SetShowAccelChar(false);
  p->SetWordWrap(true);
  p->SetShowEndEllipsis(true);
  p->SetTransparent(true);
  p->GetGlyph()->SetPixelFormat(TPixelFormat::pf32bit);
  p->GetGlyph()->SetSize(2, 2);
  p->GetGlyph()->Canvas()->SetPixel(1, 0, clRed);
  Owned<TMemoryStream> m(New<TMemoryStream>());
  m->WriteComponent(out.get());
  EXPECT_GT(m->GetSize(), empty->GetSize());
  m->SetPosition(0);
  Owned<TLabelSettingsHolder> in(New<TLabelSettingsHolder>(nullptr));
  m->ReadComponent(in.get());
  TcxLabelProperties* q = in->GetProperties();
  EXPECT_EQ(q->GetAngle(), 90);
  EXPECT_EQ(q->GetDepth(), 2);
  EXPECT_EQ(q->GetLabelEffect(), E::cxleExtrude);
  EXPECT_EQ(q->GetOrientation(), O::cxoLeftTop);
  EXPECT_EQ(q->GetPenWidth(), 2);
  EXPECT_EQ(q->GetShadowedColor(), clRed);
  EXPECT_FALSE(q->GetShowAccelChar());
  EXPECT_TRUE(q->GetWordWrap());
  EXPECT_FALSE(q->GetShowEndEllipsis()) << "kept only for old windows: never written";
  EXPECT_FALSE(q->GetTransparent()) << "the control's own flag is the stored one";
  ASSERT_TRUE(q->HasGlyph());
  EXPECT_EQ(q->GetGlyph()->Canvas()->GetPixel(1, 0), clRed);
  EXPECT_EQ(q->GetGlyph()->Canvas()->GetPixel(0, 0), p->GetGlyph()->Canvas()->GetPixel(0, 0));
}

TEST_F(LabelPropertiesTest, StyleHasNoBorderNorHotTrackAndClassesAreTheLabels) {
  EXPECT_EQ(style->GetBorderStyle(), TcxContainerBorderStyle::cbsNone);
  EXPECT_FALSE(style->GetHotTrack());
  Owned<TcxContainerStyle> focused(
      props->GetStyleClass().Create(nullptr, TcxContainerStateItem::csActive, style, false));
  EXPECT_NE(focused->GetBorderStyle(), TcxContainerBorderStyle::cbs3D) << "follows its base style";
  EXPECT_EQ(focused->GetBorderStyle(), style->GetBorderStyle());
  EXPECT_EQ(props->GetViewDataClass().Class, &TcxCustomLabelViewData::StaticClass());
  EXPECT_EQ(props->GetViewInfoClass().Class, &TcxCustomLabelViewInfo::StaticClass());
}

TEST_F(LabelPropertiesTest, RegisteredWithItsCaptionUntilTheLastShutDown) {
  TcxRegisteredClasses* r = GetRegisteredEditProperties();
  EXPECT_EQ(r->GetDescriptionByClass(&TcxLabelProperties::StaticClass()), "Represents a Label");
  EXPECT_EQ(r->GetNameByClass(&TcxLabelProperties::StaticClass()), "Label");
  cxLabelInitialize();
  cxLabelFinalize();
  EXPECT_GE(r->GetIndexByClass(&TcxLabelProperties::StaticClass()), 0) << "still started once";
  cxLabelFinalize();
  EXPECT_LT(r->GetIndexByClass(&TcxLabelProperties::StaticClass()), 0);
  cxLabelInitialize();  // for the fixture's own shut-down
}

}  // namespace
