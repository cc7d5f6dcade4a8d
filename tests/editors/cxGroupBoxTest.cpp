// The group box below its control, through the windowless path: the caption's rectangle for
// every position with and without a border, the frame inset and the room kept for children,
// the frames of each border style with the caption's gap, side captions turned even in a font
// the platform cannot turn, and the plain cell it is in place.
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Text.h"
#include "tests/editors/EditorsTestSupport.h"
#include "widgets/editcore/cxEditStyles.h"
#include "widgets/editors/cxGroupBox.h"

#include <gtest/gtest.h>


namespace {

using CA = TcxCaptionAlignment;
using EB = TcxEditBorderStyle;

class GroupBox : public EditorsTest {
 protected:
  void SetUp() override {
    EditorsTest::SetUp();
    props.reset(New<TcxCustomGroupBoxProperties>(nullptr));
    style.reset(New<TcxEditStyle>(nullptr, TcxContainerStateItem::csNormal));
    style->SetTransparentBorder(false);
    style->SetEditBorderStyle(EB::ebs3D);
    style->SetColor(clWhite);
    style->GetFont()->SetName(kTestFaceName);
    style->GetFont()->SetHeight(-10);
    style->SetTextColor(clBlack);
    info.reset(static_cast<TcxGroupBoxViewInfo*>(props->GetViewInfoClass().Create()));
    Make(kW, kH, clWhite);
  }
  void TearDown() override {
    data.reset();
    info.reset();
    style.reset();
    props.reset();
    EditorsTest::TearDown();
  }
  TcxGroupBoxViewData& Calc(CA a, const String& caption = "Options", TRect bounds = {0, 0, kW, kH}) {
    data.reset(static_cast<TcxGroupBoxViewData*>(props->CreateViewData(style.get(), false)));
    data->CaptionAlignment = a;
    data->Caption = caption;
    data->Calculate(*canvas, bounds, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
    return *data;
  }
  // The caption's text measured by the platform in the style's font (unturned).
  TSize Text(const String& s) {
    canvas->SetFont(style->GetFont());
    return canvas->TextExtent(s);
  }
  static constexpr int kW = 185, kH = 105;
  Owned<TcxCustomGroupBoxProperties> props;
  Owned<TcxEditStyle> style;
  Owned<TcxGroupBoxViewData> data;
  Owned<TcxGroupBoxViewInfo> info;
};

TEST_F(GroupBox, CaptionRectangleOfEveryPositionWithAndWithoutABorder) {
  const TSize t = Text("Options");
  const TSize qq = Text("Qq");
  const int w = t.cx, th = t.cy, h = qq.cy;
  for (int border = 0; border < 2; ++border) {
    style->SetEditBorderStyle(border ? EB::ebs3D : EB::ebsNone);
    const int B = 3;  // the base style always counts as having a border
    const std::pair<CA, TRect> cases[] = {
        {CA::alTopLeft, Bounds(8, 0, w, th)},
        {CA::alTopCenter, Bounds((kW - B - w) / 2, 0, w, th)},
        {CA::alTopRight, Bounds(kW - 8 - B - w, 0, w, th)},
        {CA::alBottomLeft, Bounds(8, kH - h - 2, w, th)},
        {CA::alBottomCenter, Bounds((kW - B - w) / 2, kH - h - 2, w, th)},
        {CA::alBottomRight, Bounds(kW - 8 - B - w, kH - h - 2, w, th)},
        {CA::alLeftTop, {-1, 8, th - 1, 8 + w}},
        {CA::alLeftCenter, {-1, (kH - B) - (kH - B - w) / 2 - w, th - 1, (kH - B) - (kH - B - w) / 2}},
        {CA::alLeftBottom, {-1, kH - B - 8 - w, th - 1, kH - B - 8}},
        {CA::alRightTop, {kW - th + 1, 8, kW + 1, 8 + w}},
        {CA::alRightCenter, {kW - th + 1, (kH - w) / 2, kW + 1, (kH - w) / 2 + w}},
        {CA::alRightBottom, {kW - th + 1, kH - 8 - w, kW + 1, kH - 8}},
        {CA::alCenterCenter, Bounds((kW - B - w) / 2, (kH - B - th) / 2, w, th)},
    };
    for (auto [a, r] : cases) {
      Calc(a);
      EXPECT_EQ(info->CaptionRect, r) << int(a) << " border " << border;
      EXPECT_EQ(info->CaptionBitmap()->GetWidth(), r.Width());
      EXPECT_EQ(info->CaptionBitmap()->GetHeight(), r.Height());
    }
  }
  // Side captions lose their accelerator marker; the others keep it for the prefix drawing.
  Calc(CA::alLeftTop, "&Options");
  EXPECT_EQ(info->Caption, "Options");
  EXPECT_EQ(info->CaptionRect.Height(), w);
  Calc(CA::alTopLeft, "&Options");
  EXPECT_EQ(info->Caption, "&Options");
  EXPECT_EQ(info->CaptionRect.Width(), w) << "the marker takes no room";
  // Bounds away from the origin move the caption along.
  Calc(CA::alTopRight, "Options", {20, 30, 20 + kW, 30 + kH});
  EXPECT_EQ(info->CaptionRect, Bounds(20 + kW - 8 - 3 - w, 30, w, th));
}

TEST_F(GroupBox, FrameInsetAndClientAreaOnTheCaptionSide) {
  const int h = Text("Qq").cy;
  struct Case {
    CA a;
    TRect border, client;
  };
  // ebs3D: a 2-pixel frame on every side but the caption's, which keeps h + 3.
  const Case cases[] = {
      {CA::alTopCenter, {0, h / 2 + 1, kW, kH}, {2, h + 3, kW - 2, kH - 2}},
      {CA::alBottomLeft, {0, 0, kW, kH - (h / 2 + 1)}, {2, 2, kW - 2, kH - (h + 3)}},
      {CA::alLeftBottom, {h / 2, 0, kW, kH}, {h + 3, 2, kW - 2, kH - 2}},
      {CA::alRightTop, {0, 0, kW - h / 2, kH}, {2, 2, kW - (h + 3), kH - 2}},
      {CA::alCenterCenter, {0, 0, kW, kH}, {2, 2, kW - 2, kH - 2}},
  };
  for (const Case& c : cases) {
    Calc(c.a);
    EXPECT_EQ(info->BorderRect, c.border) << int(c.a);
    EXPECT_EQ(info->ClientRect, c.client) << int(c.a);
  }
  // No caption: no caption rectangle, and still the inset and the room.
  Calc(CA::alTopLeft, "");
  EXPECT_TRUE(info->CaptionRect.IsEmpty());
  EXPECT_EQ(info->BorderRect.Top, h / 2 + 1);
  EXPECT_EQ(info->ClientRect.Top, h + 3);
  // A box smaller than what it keeps free: an empty client area, never an inverted one.
  Calc(CA::alLeftTop, "Options", {0, 0, 6, 4});
  EXPECT_TRUE(info->ClientRect.IsEmpty());
  EXPECT_GE(info->ClientRect.Right, info->ClientRect.Left);
  EXPECT_GE(info->ClientRect.Bottom, info->ClientRect.Top);
  // The shadow takes 3 pixels right and below, only where the caption allows one.
  style->SetShadow(true);
  Calc(CA::alTopLeft);
  EXPECT_EQ(info->ClientRect, (TRect{2, h + 3, kW - 5, kH - 5}));
  Calc(CA::alBottomLeft);
  EXPECT_EQ(info->ClientRect, (TRect{2, 2, kW - 2, kH - (h + 3)})) << "no shadow under a bottom caption";
}

TEST_F(GroupBox, FramesOfEachBorderStyleWithTheCaptionsGap) {
  style->SetBorderColor(clRed);
  struct Case {
    EB s;
    bool ctl3d;
    TColor outer, inner;  // the left edge's two columns at mid height
  };
  const Case cases[] = {
      {EB::ebsSingle, true, clRed, clWhite},         {EB::ebsThick, true, clRed, clRed},
      {EB::ebsFlat, true, clBtnShadow, clBtnHighlight}, {EB::ebs3D, true, clBtnShadow, clBtnHighlight},
      {EB::ebs3D, false, clWindowFrame, clRed},      {EB::ebsNone, true, clWhite, clWhite},
  };
  const int y = 60;
  for (const Case& c : cases) {
    style->SetEditBorderStyle(c.s);
    Make(kW, kH, clLime);
    Calc(CA::alTopLeft).Ctl3D = c.ctl3d;
    data->Calculate(*canvas, {0, 0, kW, kH}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
    info->Paint(*canvas);
    EXPECT_TRUE(Is(0, y, c.outer)) << int(c.s) << " " << c.ctl3d;
    EXPECT_TRUE(Is(1, y, c.inner)) << int(c.s) << " " << c.ctl3d;
  }
  // The top edge runs left of the caption and right of it, not through it.
  style->SetEditBorderStyle(EB::ebsSingle);
  Make(kW, kH, clLime);
  Calc(CA::alTopLeft, "WWWW");
  info->Paint(*canvas);
  const TRect cap = info->CaptionRect;
  const int top = info->BorderRect.Top;
  EXPECT_TRUE(Is(cap.Left - 2, top, clRed));
  EXPECT_TRUE(Is(cap.Right + 2, top, clRed));
  int frameUnderCaption = 0, ink = 0;
  for (int x = cap.Left; x < cap.Right; ++x) frameUnderCaption += Is(x, top, clRed);
  for (int yy = cap.Top; yy < cap.Bottom; ++yy)
    for (int x = cap.Left; x < cap.Right; ++x) ink += Is(x, yy, clBlack);
  EXPECT_EQ(frameUnderCaption, 0);
  EXPECT_GT(ink, 0);
  // In the middle the frame is closed: the top edge runs the whole width.
  Make(kW, kH, clLime);
  Calc(CA::alCenterCenter, "WWWW");
  info->Paint(*canvas);
  for (int x = 0; x < kW; ++x) ASSERT_TRUE(Is(x, 0, clRed)) << x;
}

TEST_F(GroupBox, SideCaptionsAreTurnedEvenInAFontThePlatformCannotTurn) {
  // A face the platform draws only upright, never prepared for the side: still drawn turned.
  style->GetFont()->SetName("MS Sans Serif");
  style->GetFont()->SetHeight(-13);
  style->SetEditBorderStyle(EB::ebsNone);
  for (CA a : {CA::alLeftCenter, CA::alRightCenter}) {
    Make(kW, kH, clWhite);
    Calc(a, "Settings");
    info->Paint(*canvas);
    int left = kW, right = -1, top = kH, bottom = -1;
    const TRect r = info->CaptionRect;
    for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, kH); ++y)
      for (int x = std::max(r.Left, 0); x < std::min(r.Right, kW); ++x)
        if (!Is(x, y, clWhite)) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, left) << int(a) << ": no caption drawn";
    EXPECT_GT(bottom - top, 3 * (right - left)) << int(a) << ": the caption must run along the side";
  }
  // The prepared caption font: "Arial" for a face that cannot turn, the side's angle, once.
  Owned<TFont> font(New<TFont>());
  LOGFONTA lf{};
  cxPrepareGroupBoxCaptionFont(font.get(), style->GetFont(), CA::alLeftTop);
  EXPECT_EQ(font->GetName(), "Arial");
  GetObjectA(font->GetHandle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOutPrecision, OUT_TT_ONLY_PRECIS);
  cxPrepareGroupBoxCaptionFont(font.get(), style->GetFont(), CA::alRightBottom);
  GetObjectA(font->GetHandle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfEscapement, 2700);
  style->GetFont()->SetName(kTestFaceName);
  cxPrepareGroupBoxCaptionFont(font.get(), style->GetFont(), CA::alTopLeft);
  EXPECT_EQ(font->GetName(), kTestFaceName) << "top captions keep the style's font as it is";
  GetObjectA(font->GetHandle(), sizeof lf, &lf);
  EXPECT_EQ(lf.lfEscapement, 0);
}

TEST_F(GroupBox, InPlaceItIsAPlainEditorCellWithoutCaption) {
  data.reset(static_cast<TcxGroupBoxViewData*>(props->CreateViewData(style.get(), true)));
  data->CaptionAlignment = CA::alTopLeft;
  data->Caption = "WWWW";
  data->Calculate(*canvas, {0, 0, kW, kH}, {-1, -1}, TcxMouseButton::cxmbNone, {}, info.get(), false);
  EXPECT_TRUE(info->CaptionRect.IsEmpty());
  EXPECT_EQ(info->ClientRect, (TRect{0, 0, kW, kH})) << "no room kept for a caption";
  Make(kW, kH, clLime);
  info->Paint(*canvas);
  for (int x = 0; x < 60; ++x) ASSERT_TRUE(Is(x, 3, clWhite)) << x;
}

}  // namespace
