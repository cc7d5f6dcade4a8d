#include "classlib/visual/ComCtrls.h"

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Units.h"

#include <algorithm>

// ---- TStatusPanel ---------------------------------------------------------------------------

void TStatusPanel::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TStatusPanel*>(Source)) {
    FText = p->FText;
    FWidth = p->FWidth;
    FAlignment = p->FAlignment;
    FBevel = p->FBevel;
    Changed(false);
    return;
  }
  inherited::Assign(Source);
}

void TStatusPanel::SetText(const String& Value) {
  if (FText == Value) return;
  FText = Value;
  Changed(false);
}

void TStatusPanel::SetWidth(Integer Value) {
  Value = std::max<Integer>(Value, 0);
  if (FWidth == Value) return;
  FWidth = Value;
  Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value) {
  if (FBevel == Value) return;
  FBevel = Value;
  Changed(false);
}

String TStatusPanel::GetDisplayName() const { return FText.empty() ? inherited::GetDisplayName() : FText; }

// ---- TStatusPanels --------------------------------------------------------------------------

TStatusPanels::TStatusPanels(TStatusBar* AStatusBar)
    : TCollection(ClassOf<TStatusPanel, TCollectionItem, TCollection*>()), FStatusBar(AStatusBar) {}

TPersistent* TStatusPanels::GetOwner() const { return FStatusBar; }

void TStatusPanels::Update(TCollectionItem*) {
  if (FStatusBar) FStatusBar->Invalidate();
}

// ---- TStatusBar -----------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(New<TStatusPanels>(this)) {
  FControlStyle = TControlStyle{TControlStyleItem::csOpaque};
  FColor = clBtnFace;
  FParentColor = false;
  SetBounds(0, 0, 200, 19);
  SetAlign(TAlign::alBottom);
}

void TStatusBar::BeforeDestruction() {
  inherited::BeforeDestruction();
  FPanels->Free();
  FPanels = nullptr;
}

void TStatusBar::SetSimplePanel(bool Value) {
  if (FSimplePanel == Value) return;
  FSimplePanel = Value;
  Invalidate();
}

void TStatusBar::SetSimpleText(const String& Value) {
  if (FSimpleText == Value) return;
  FSimpleText = Value;
  if (FSimplePanel) Invalidate();
}

TRect TStatusBar::PanelRect(Integer Index) const {
  TRect client = GetClientRect();
  Integer count = FPanels->Count();
  if (Index < 0 || Index >= count) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  Integer x = 0;
  for (Integer i = 0; i < Index; ++i) x += FPanels->Items(i)->GetWidth();
  Integer right = Index == count - 1 ? std::max(client.Right, x) : x + FPanels->Items(Index)->GetWidth();
  return TRect{x, client.Top, right, client.Bottom};
}

void TStatusBar::DrawPanel(const TRect& Rect, const String& Text, TAlignment Alignment, TStatusPanelBevel Bevel) {
  TRect r = Rect;
  if (Bevel != TStatusPanelBevel::pbNone) {
    RECT edge = r;
    DrawEdge(FCanvas->GetHandle(), &edge, Bevel == TStatusPanelBevel::pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
             BF_RECT);
  }
  InflateRect(&r, -2, -1);
  if (r.Right <= r.Left || Text.empty()) return;
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (Alignment == TAlignment::taCenter) format |= DT_CENTER;
  if (Alignment == TAlignment::taRightJustify) format |= DT_RIGHT;
  FCanvas->Brush()->SetStyle(TBrushStyle::bsClear);
  FCanvas->TextRect(r, Text, format);
  FCanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void TStatusBar::Paint() {
  TRect client = GetClientRect();
  FCanvas->Font()->Assign(FFont);
  FCanvas->Brush()->SetColor(FColor);
  FCanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  FCanvas->FillRect(client);
  if (FSimplePanel || FPanels->Count() == 0) {
    DrawPanel(client, FSimplePanel ? FSimpleText : String(), TAlignment::taLeftJustify,
              FSimplePanel ? TStatusPanelBevel::pbNone : TStatusPanelBevel::pbNone);
    return;
  }
  for (Integer i = 0; i < FPanels->Count(); ++i) {
    TStatusPanel* p = FPanels->Items(i);
    TRect r = PanelRect(i);
    if (r.Left >= client.Right) break;
    DrawPanel(r, p->GetText(), p->GetAlignment(), p->GetBevel());
  }
}

// ---- Registration ---------------------------------------------------------------------------

TL_DEFINE_CLASS(TStatusPanel, [](auto& c) {
  c.Property("Alignment", &TStatusPanel::GetAlignment, &TStatusPanel::SetAlignment).Default(TAlignment::taLeftJustify);
  c.Property("Bevel", &TStatusPanel::GetBevel, &TStatusPanel::SetBevel).Default(TStatusPanelBevel::pbLowered);
  c.Property("Text", &TStatusPanel::GetText, &TStatusPanel::SetText);
  c.Property("Width", &TStatusPanel::GetWidth, &TStatusPanel::SetWidth);
})
TL_DEFINE_CLASS(TStatusPanels)
TL_DEFINE_CLASS(TStatusBar, [](auto& c) {
  c.Property("Align", &TStatusBar::GetAlign, &TStatusBar::SetAlign).Default(TAlign::alBottom);
  c.Property("Caption", &TStatusBar::GetCaption, &TStatusBar::SetCaption).Stored(false);
  c.Property("Panels", &TStatusBar::GetPanels, &TStatusBar::SetPanels);
  c.Property("SimplePanel", &TStatusBar::GetSimplePanel, &TStatusBar::SetSimplePanel).Default(false);
  c.Property("SimpleText", &TStatusBar::GetSimpleText, &TStatusBar::SetSimpleText);
})

namespace {
UnitCounter gComCtrls;
}

void ComCtrlsUnit::Initialize() {
  if (gComCtrls.Enter()) RegisterClass(TStatusBar::StaticClass());
}

void ComCtrlsUnit::Finalize() { gComCtrls.Leave(); }
