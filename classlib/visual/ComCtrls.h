// TStatusBar: a bar along the bottom of a form showing one simple text or a row of
// panels, painted by the class library itself.
#pragma once

#include "classlib/core/Collections.h"
#include "classlib/visual/StdCtrls.h"

TL_ENUM(TStatusPanelBevel, pbNone, pbLowered, pbRaised);

class TStatusBar;

class TStatusPanel : public TCollectionItem {
  TL_CLASS(TStatusPanel, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  void Assign(TPersistent* Source) override;

  const String& GetText() const { return FText; }
  void SetText(const String& Value);
  // Negative widths are taken as zero.
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer Value);
  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel GetBevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  String GetDisplayName() const override;

 private:
  String FText;
  Integer FWidth = 50;
  TAlignment FAlignment = TAlignment::taLeftJustify;
  TStatusPanelBevel FBevel = TStatusPanelBevel::pbLowered;
};

class TStatusPanels : public TCollection {
  TL_CLASS(TStatusPanels, TCollection)
 public:
  explicit TStatusPanels(TStatusBar* AStatusBar);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  // Raises EListError for an index out of range.
  TStatusPanel* Items(Integer Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TPersistent* GetOwner() const override;

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TStatusBar* FStatusBar;
};

class TStatusBar : public TCustomControl {
  TL_CLASS(TStatusBar, TCustomControl)
 public:
  explicit TStatusBar(TComponent* AOwner);
  void BeforeDestruction() override;

  TStatusPanels* GetPanels() const { return FPanels; }
  void SetPanels(TStatusPanels* Value) { FPanels->Assign(Value); }
  bool GetSimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const String& GetSimpleText() const { return FSimpleText; }
  void SetSimpleText(const String& Value);
  // The rectangle a panel is drawn in: panels sit side by side from the left, the last
  // one reaching to the right edge.
  TRect PanelRect(Integer Index) const;

 protected:
  void Paint() override;
  void DrawPanel(const TRect& Rect, const String& Text, TAlignment Alignment, TStatusPanelBevel Bevel);

 private:
  TStatusPanels* FPanels;
  bool FSimplePanel = false;
  String FSimpleText;
};

namespace ComCtrlsUnit {
void Initialize();
void Finalize();
}  // namespace ComCtrlsUnit
