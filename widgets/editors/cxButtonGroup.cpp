#include "widgets/editors/cxButtonGroup.h"

#include "classlib/core/ScopeGuards.h"
#include "platform/gdi/Gdi.h"
#include "widgets/editors/cxRadioGroup.h"

#include <algorithm>

// ---- Layout ---------------------------------------------------------------------------------

Integer cxButtonGroupColumnCount(Integer ACount, Integer AColumnsAsked) {
  if (ACount <= 0) return 0;
  const Integer c = std::max<Integer>(1, std::min(AColumnsAsked, ACount));
  const Integer rows = (ACount + c - 1) / c;
  return (ACount + rows - 1) / rows;
}

Integer cxButtonGroupRowCount(Integer ACount, Integer AColumns) {
  if (ACount <= 0 || AColumns <= 0) return 0;
  return (ACount + AColumns - 1) / AColumns;
}

std::vector<TRect> cxButtonGroupItemRects(Integer ACount, Integer AColumns, const TRect& AArea, Integer ASpacing) {
  std::vector<TRect> rects;
  const Integer rows = cxButtonGroupRowCount(ACount, AColumns);
  if (rows == 0) return rects;
  const Integer w = std::max<Integer>(0, AArea.Right - AArea.Left);
  const Integer h = std::max<Integer>(0, AArea.Bottom - AArea.Top);
  const Integer colWidth = std::max<Integer>(0, (w - (AColumns - 1) * ASpacing) / AColumns);
  const Integer rowHeight = h / rows;
  const Integer top = AArea.Top + (h % rows) / 2;
  rects.reserve(size_t(ACount));
  for (Integer i = 0; i < ACount; ++i) {
    const Integer col = i / rows, row = i % rows;
    const Integer left = AArea.Left + col * (colWidth + ASpacing);
    const Integer y = top + row * rowHeight;
    rects.push_back(TRect{left, y, left + colWidth, y + rowHeight});
  }
  return rects;
}

TcxEditButtonStyle cxButtonGroupButtonStyle(bool AIsInplace, TcxLookAndFeelKind AKind, TcxEditBorderStyle ABorder) {
  using BS = TcxEditButtonStyle;
  if (AIsInplace) {
    switch (AKind) {
      case TcxLookAndFeelKind::lfFlat: return BS::btsFlat;
      case TcxLookAndFeelKind::lfStandard: return BS::bts3D;
      case TcxLookAndFeelKind::lfUltraFlat: return BS::btsUltraFlat;
      case TcxLookAndFeelKind::lfOffice11: return BS::btsOffice11;
    }
    return BS::bts3D;
  }
  switch (ABorder) {
    case TcxEditBorderStyle::ebsUltraFlat: return BS::btsUltraFlat;
    case TcxEditBorderStyle::ebsOffice11: return BS::btsOffice11;
    case TcxEditBorderStyle::ebsNone:
    case TcxEditBorderStyle::ebs3D: return BS::bts3D;
    case TcxEditBorderStyle::ebsSingle:
    case TcxEditBorderStyle::ebsThick:
    case TcxEditBorderStyle::ebsFlat: return BS::btsFlat;
  }
  return BS::bts3D;
}

// ---- Items ----------------------------------------------------------------------------------

void TcxButtonGroupItem::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TcxButtonGroupItem*>(Source)) {
    SetCaption(s->FCaption);
    SetEnabled(s->FEnabled);
    FTag = s->FTag;
    return;
  }
  inherited::Assign(Source);
}

void TcxButtonGroupItem::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed(false);
}

void TcxButtonGroupItem::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed(false);
}

void TcxButtonGroupItems::Notify(TCollectionItem* Item, TCollectionNotification Action) {
  inherited::Notify(Item, Action);
  FSingle = UpdateCount() == 0;
  FChangedIndex = Item ? Item->GetIndex() : -1;
  FChangeKind = Action == TCollectionNotification::cnAdded ? TcxButtonGroupChangeKind::bgcAdded
                                                             : TcxButtonGroupChangeKind::bgcRemoved;
}

void TcxButtonGroupItems::Update(TCollectionItem* Item) {
  inherited::Update(Item);
  if (Item) {
    FChangedIndex = Item->GetIndex();
    FChangeKind = TcxButtonGroupChangeKind::bgcChanged;
  } else if (!FSingle) {
    FChangedIndex = -1;
    FChangeKind = TcxButtonGroupChangeKind::bgcAll;
  }
  FSingle = false;
  if (auto* p = dynamic_cast<TcxCustomEditProperties*>(GetOwner())) p->NotifyChanged();
  FChangedIndex = -1;
  FChangeKind = TcxButtonGroupChangeKind::bgcAll;
}

// ---- Properties -----------------------------------------------------------------------------

TcxCustomButtonGroupProperties::TcxCustomButtonGroupProperties(TPersistent* AOwner)
    : TcxCustomGroupBoxProperties(AOwner) {}

void TcxCustomButtonGroupProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FItems = New<TcxButtonGroupItems>(this, GetItemClass());
}

void TcxCustomButtonGroupProperties::BeforeDestruction() {
  inherited::BeforeDestruction();
  FreeAndNil(FItems);
}

TCollectionItemClass TcxCustomButtonGroupProperties::GetItemClass() const {
  return ClassOf<TcxButtonGroupItem, TCollectionItem, TCollection*>();
}

void TcxCustomButtonGroupProperties::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TcxCustomButtonGroupProperties*>(Source);
  if (!s) {
    inherited::Assign(Source);
    return;
  }
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetColumns(s->FColumns);
  FItems->Assign(s->FItems);
  SetWordWrap(s->FWordWrap);
}

TcxCustomEditProperties* TcxCustomButtonGroupProperties::CreateSameClass() const {
  return New<TcxCustomButtonGroupProperties>(nullptr);
}

TcxCustomEditViewDataClass TcxCustomButtonGroupProperties::GetViewDataClass() const {
  return ClassOf<TcxButtonGroupViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomButtonGroupProperties::GetViewInfoClass() const {
  return ClassOf<TcxButtonGroupViewInfo, TcxCustomEditViewInfo>();
}

// ---- View -----------------------------------------------------------------------------------

void TcxButtonGroupViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                       TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                       bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* info = dynamic_cast<TcxButtonGroupViewInfo*>(AViewInfo);
  auto* props = dynamic_cast<TcxCustomButtonGroupProperties*>(Properties);
  if (!info || !props) return;
  info->DownIndex = DownIndex;
  info->WordWrap = props->GetWordWrap();
  info->Painter = Style ? Style->GetLookAndFeel()->GetPainter() : nullptr;
  TcxButtonGroupItems* items = props->GetItems();
  const Integer columns = props->ColumnCount();
  const Integer rows = props->RowCount();
  const std::vector<TRect> rects =
      cxButtonGroupItemRects(items->Count(), columns, info->ClientRect, TcxCustomButtonGroup::kColumnSpacing);
  info->ButtonsInfo.clear();
  info->FocusedIndex = FocusedIndex;
  info->HasChildButtons = HasChildButtons;
  // The press in progress carries over only into a calculation made for the mouse.
  const Integer wasPressed = AIsMouseEvent ? info->PressedIndex : -1;
  const Integer wasCaptured = AIsMouseEvent ? info->CapturedIndex : -1;
  info->HotIndex = info->PressedIndex = info->CapturedIndex = -1;
  using K = TShiftStateItem;
  const TShiftState held = AShift * TShiftState{K::ssLeft, K::ssRight, K::ssMiddle};
  const bool leftHeld = held == TShiftState{K::ssLeft};
  const bool readOnly = props->GetReadOnly();
  const TcxEditButtonTransparency transparency =
      Style ? Style->GetButtonTransparency() : TcxEditButtonTransparency::ebtNone;
  const bool transparent = transparency == TcxEditButtonTransparency::ebtAlways ||
                           (transparency == TcxEditButtonTransparency::ebtInactive && !Focused);
  // Standing, the border style picks the look itself: not the one the frame is drawn with.
  const TcxEditBorderStyle border = IsInplace || !Style ? TcxEditBorderStyle::ebsNone : Style->GetEditBorderStyle();
  const TcxEditButtonStyle buttonStyle = cxButtonGroupButtonStyle(
      IsInplace, Style ? Style->GetLookAndFeel()->GetKind() : TcxLookAndFeelKind::lfStandard, border);
  for (Integer i = 0; i < Integer(rects.size()); ++i) {
    Owned<TcxEditButtonViewInfo> b(static_cast<TcxEditButtonViewInfo*>(info->GetButtonsViewInfoClass().Create()));
    auto* g = static_cast<TcxGroupBoxButtonViewInfo*>(b.get());
    g->Bounds = g->VisibleBounds = rects[size_t(i)];
    g->ButtonIndex = g->ButtonVisibleIndex = i;
    g->Caption = items->Items(i)->GetCaption();
    g->Column = i / rows;
    g->Row = i % rows;
    g->NativeStyle = NativeStyle;
    g->BackgroundColor = info->BackgroundColor;
    g->Transparent = transparent;
    g->ButtonStyle = buttonStyle;
    const bool over = PtInRect(&rects[size_t(i)], P) != 0;
    const bool downHere = over && leftHeld && AIsMouseEvent && AButton == TcxMouseButton::cxmbLeft;
    if (downHere || (leftHeld && wasCaptured == i)) info->CapturedIndex = i;
    if (!Enabled || !items->Items(i)->GetEnabled())
      g->State = TcxEditButtonState::ebsDisabled;
    else if (i == DownIndex)
      g->State = TcxEditButtonState::ebsPressed;
    else if (readOnly || !over)
      g->State = TcxEditButtonState::ebsNormal;
    else if (held.Empty() && i != info->CapturedIndex) {
      g->State = TcxEditButtonState::ebsSelected;
      info->HotIndex = i;
    } else if (leftHeld && (downHere || wasPressed == i || wasCaptured == i))
      g->State = TcxEditButtonState::ebsPressed;
    else
      g->State = TcxEditButtonState::ebsNormal;
    if (g->State == TcxEditButtonState::ebsPressed && (info->PressedIndex < 0 || i != DownIndex))
      info->PressedIndex = i;
    info->ButtonsInfo.push_back(std::move(b));
  }
  info->IsButtonActive = info->PressedIndex >= 0 || info->CapturedIndex >= 0;
}

void TcxButtonGroupViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* s = dynamic_cast<TcxButtonGroupViewInfo*>(Source)) {
    DownIndex = s->DownIndex;
    HotIndex = s->HotIndex;
    PressedIndex = s->PressedIndex;
    CapturedIndex = s->CapturedIndex;
    IsButtonActive = s->IsButtonActive;
    FocusedIndex = s->FocusedIndex;
    HasChildButtons = s->HasChildButtons;
    WordWrap = s->WordWrap;
    Painter = s->Painter;
  }
}

TSize TcxButtonGroupViewData::InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant&,
                                                       const TcxEditSizeProperties& AEditSizeProperties) {
  auto* props = dynamic_cast<TcxCustomButtonGroupProperties*>(Properties);
  if (Style) ACanvas.SetFont(Style->GetFont());
  const Integer textHeight = ACanvas.TextHeight("Zg") + kTextMargin;
  const Integer n = props ? props->GetItems()->Count() : 0;
  if (n == 0) return TSize{0, textHeight};
  const TPoint glyph = Style ? Style->GetLookAndFeel()->GetPainter()->RadioButtonSize() : TPoint{13, 13};
  const Integer columns = props->ColumnCount(), rows = props->RowCount();
  const Integer spacing = TcxCustomButtonGroup::kColumnSpacing;
  if (AEditSizeProperties.Width < 0) {
    Integer widest = 0;
    for (Integer i = 0; i < n; ++i)
      widest = std::max(widest, ACanvas.TextWidth(props->GetItems()->Items(i)->GetCaption()));
    const Integer column = widest + glyph.X + kGlyphSpacing;
    const Integer rowHeight = std::max<Integer>(glyph.Y, textHeight);
    return TSize{column * columns + (columns - 1) * spacing + 2 * kTextMargin, rowHeight * rows};
  }
  const TRect borders = GetClientExtent(ACanvas, nullptr);
  const Integer column = std::max<Integer>(
      1, (AEditSizeProperties.Width - borders.Left - borders.Right - (columns - 1) * spacing) / columns - glyph.X -
             kGlyphSpacing);
  Integer rowHeight = textHeight;
  if (props->GetWordWrap())
    for (Integer i = 0; i < n; ++i) {
      TRect r{0, 0, column, 0};
      ACanvas.TextExtentInRect(props->GetItems()->Items(i)->GetCaption(), r, cxWordBreak);
      rowHeight = std::max<Integer>(rowHeight, r.Height() + kTextMargin);
    }
  return TSize{AEditSizeProperties.Width, rowHeight * rows};
}

void TcxCustomButtonGroupProperties::SetColumns(Integer Value) {
  Value = std::max<Integer>(1, Value);
  if (FColumns == Value) return;
  FColumns = Value;
  Changed();
}

void TcxCustomButtonGroupProperties::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  Changed();
}

// ---- Control --------------------------------------------------------------------------------

void TcxCustomButtonGroup::Initialize() {
  inherited::Initialize();
  SetTabStop(true);
}

void TcxCustomButtonGroup::InitializeViewData(TcxCustomEditViewData* AViewData) {
  inherited::InitializeViewData(AViewData);
  auto* vd = dynamic_cast<TcxButtonGroupViewData*>(AViewData);
  if (!vd) return;
  vd->DownIndex = GetDownIndex();
  vd->HasChildButtons = !FButtons.empty();
  vd->FocusedIndex = -1;
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Focused()) vd->FocusedIndex = i;
  if (vd->FocusedIndex < 0 && Focused()) vd->FocusedIndex = GetDownIndex();
}

bool TcxCustomButtonGroup::ProcessViewInfoChanges(const TPoint& P, TcxMouseButton AButton, TShiftState AShift,
                                                  bool AIsMouseEvent) {
  TWeakLink self(this);  // a pressed or released button may free the group
  const bool r = inherited::ProcessViewInfoChanges(P, AButton, AShift, AIsMouseEvent);
  if (r && self.Alive() && !IsDestroying() && GetProperties() && !InState(TComponentStateItem::csLoading))
    ArrangeButtons();
  return r;
}

void TcxCustomButtonGroup::WndProc(TMessage& Message) {
  // A button's context menu its handler already offered the group goes on past it unasked.
  if (Message.Msg == WM_CONTEXTMENU && IsPassedOnFromButton(Message.WParam)) {
    TWatchedValue<bool> asked(this, FContextPopupAsked, true);
    inherited::WndProc(Message);
    return;
  }
  // A focus or enabled change brings the buttons up to date: a disabled group shows every
  // button disabled, an enabled one each as its item says.
  if (Message.Msg == CM_FOCUSCHANGED || Message.Msg == CM_ENABLEDCHANGED) {
    TWeakLink self(this);
    inherited::WndProc(Message);
    if (self.Alive() && !IsDestroying() && GetProperties() && !InState(TComponentStateItem::csLoading)) UpdateButtons();
    return;
  }
  if (Message.Msg != WM_WINDOWPOSCHANGED) return inherited::WndProc(Message);
  TWeakLink self(this);  // an OnResize handler may free the group
  inherited::WndProc(Message);
  if (self.Alive() && HandleAllocated() && !IsDestroying() && GetTransparent())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TcxCustomButtonGroup::SetParent(TWinControl* AParent) {
  TWeakLink self(this);  // a handler run as it moves may free it
  inherited::SetParent(AParent);
  if (self.Alive() && AParent && !IsDestroying() && GetProperties() &&
      !InState(TComponentStateItem::csLoading))
    UpdateButtons();
}

void TcxCustomButtonGroup::BeforeDestruction() {
  FButtons.clear();  // the children go with the control
  inherited::BeforeDestruction();
}

Integer TcxCustomButtonGroup::IndexOfButton(const TControl* AButton) const {
  for (size_t i = 0; i < FButtons.size(); ++i)
    if (FButtons[i] == AButton) return Integer(i);
  return -1;
}

bool TcxCustomButtonGroup::IsInternalControl(const TControl* AControl) const {
  return IndexOfButton(AControl) >= 0 || inherited::IsInternalControl(AControl);
}

bool TcxCustomButtonGroup::IsFocused() const {
  if (inherited::IsFocused()) return true;
  for (TWinControl* b : FButtons)
    if (b->Focused()) return true;
  return false;
}

TWinControl* TcxCustomButtonGroup::CreateButton() { return nullptr; }

void TcxCustomButtonGroup::InitializeButton(TWinControl* AButton) {
  AButton->SetParentShowHint(false);
  AButton->SetParent(this);
  AButton->OnMouseDown = TMouseEvent(this, &TcxCustomButtonGroup::ButtonMouseDown);
  AButton->OnMouseMove = TMouseMoveEvent(this, &TcxCustomButtonGroup::ButtonMouseMove);
  AButton->OnMouseUp = TMouseEvent(this, &TcxCustomButtonGroup::ButtonMouseUp);
  AButton->OnKeyDown = TKeyEvent(this, &TcxCustomButtonGroup::ButtonKeyDown);
  AButton->OnKeyPress = TKeyPressEvent(this, &TcxCustomButtonGroup::ButtonKeyPress);
  AButton->OnKeyUp = TKeyEvent(this, &TcxCustomButtonGroup::ButtonKeyUp);
  if (auto* rb = dynamic_cast<TcxRadioButton*>(AButton))
    rb->OnContextPopup = TContextPopupEvent(this, &TcxCustomButtonGroup::ButtonContextPopup);
}

void TcxCustomButtonGroup::ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                           Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  TWatchedValue<bool> pressed(this, FButtonMouseDown, true);  // its OnMouseDown may free the group
  MouseDown(Button, Shift, X + c->GetLeft(), Y + c->GetTop());
}

void TcxCustomButtonGroup::ButtonMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  MouseMove(Shift, X + c->GetLeft(), Y + c->GetTop());
}

void TcxCustomButtonGroup::ButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                         Integer Y) {
  auto* c = static_cast<TControl*>(Sender);
  MouseUp(Button, Shift, X + c->GetLeft(), Y + c->GetTop());
}

void TcxCustomButtonGroup::ButtonKeyDown(TObject*, Word& Key, TShiftState Shift) { KeyDown(Key, Shift); }
void TcxCustomButtonGroup::ButtonKeyPress(TObject*, Char& Key) { KeyPress(Key); }
void TcxCustomButtonGroup::ButtonKeyUp(TObject*, Word& Key, TShiftState Shift) { KeyUp(Key, Shift); }

// A keyboard request has no point to move: it stays one, and a menu opens at the group's origin.
void TcxCustomButtonGroup::ButtonContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) {
  auto* c = static_cast<TControl*>(Sender);
  if (MousePos.X != -1 || MousePos.Y != -1) MousePos = {MousePos.X + c->GetLeft(), MousePos.Y + c->GetTop()};
  DoContextPopup(MousePos, Handled);
}

bool TcxCustomButtonGroup::IsPassedOnFromButton(WPARAM AWnd) const {
  for (TWinControl* b : FButtons) {
    auto* rb = dynamic_cast<TcxRadioButton*>(b);
    if (rb && rb->IsPassingOnContextPopup() && rb->HandleAllocated() && WPARAM(rb->Handle()) == AWnd) return true;
  }
  return false;
}

void TcxCustomButtonGroup::DoContextPopup(const TPoint& MousePos, bool& Handled) {
  if (!FContextPopupAsked) inherited::DoContextPopup(MousePos, Handled);
}

void TcxCustomButtonGroup::ActivateByMouse(TShiftState Shift, Integer X, Integer Y, TcxCustomEditData*& AEditData) {
  TcxEditLifeGuard guard(this);
  Activate(AEditData);
  if (!guard.Alive()) return;
  const TPoint p{X, Y};
  for (TWinControl* b : FButtons) {
    const TRect r = b->GetBoundsRect();
    if (!PtInRect(&r, p) || !b->HandleAllocated()) continue;
    const LPARAM centre = MAKELPARAM(r.Width() / 2, r.Height() / 2);
    if (Shift.Contains(TShiftStateItem::ssLeft))
      SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
    else
      SendMessageA(b->Handle(), WM_LBUTTONUP, MK_LBUTTON, centre);
    return;
  }
}

void TcxCustomButtonGroup::UpdateButtonStyles() {
  TcxContainerStyle* style = GetStyle();
  for (TWinControl* b : FButtons) {
    b->SetColor(style->GetVisibleColor());
    b->GetFont()->Assign(style->GetFont());
    b->GetFont()->SetColor(style->GetTextColor());
  }
}

void TcxCustomButtonGroup::ContainerStyleChanged(TObject* Sender) {
  TcxEditLifeGuard guard(this);
  inherited::ContainerStyleChanged(Sender);
  if (guard.Alive() && !IsDestroying() && GetProperties()) UpdateButtons();
}

void TcxCustomButtonGroup::SetButtonCount(Integer Value) {
  auto* items = ButtonGroupProperties()->GetItems();
  const Integer index = items->ChangedIndex();
  const auto kind = items->ChangeKind();
  auto make = [this](Integer at) {
    TWinControl* b = CreateButton();
    if (!b) return false;
    FButtons.insert(FButtons.begin() + at, b);
    InitializeButton(b);
    return true;
  };
  if (kind == TcxButtonGroupChangeKind::bgcAdded && index >= 0 && index <= ButtonCount() &&
      ButtonCount() + 1 == Value) {
    make(index);
    return;
  }
  if (kind == TcxButtonGroupChangeKind::bgcRemoved && index >= 0 && index < ButtonCount() &&
      ButtonCount() - 1 == Value) {
    TWinControl* b = FButtons[size_t(index)];
    FButtons.erase(FButtons.begin() + index);
    b->Free();
    return;
  }
  while (ButtonCount() < Value)
    if (!make(ButtonCount())) return;
  while (ButtonCount() > Value) {
    TWinControl* b = FButtons.back();
    FButtons.pop_back();
    b->Free();
  }
}

void TcxCustomButtonGroup::UpdateButtons() {
  auto* items = ButtonGroupProperties()->GetItems();
  SetButtonCount(items->Count());
  for (Integer i = 0; i < ButtonCount() && i < items->Count(); ++i) {
    Buttons(i)->SetEnabled(GetEnabled() && items->Items(i)->GetEnabled());
    Buttons(i)->SetCursor(GetCursor());
  }
  ArrangeButtons();
  UpdateButtonStyles();
}

TRect TcxCustomButtonGroup::ItemArea() {
  TRect area = GetClientRect();
  AdjustClientRect(area);
  return area;
}

std::vector<TRect> TcxCustomButtonGroup::ItemRects() {
  auto* p = ButtonGroupProperties();
  return cxButtonGroupItemRects(p->GetItems()->Count(), p->ColumnCount(), ItemArea(), kColumnSpacing);
}

void TcxCustomButtonGroup::ArrangeButtons() {
  const std::vector<TRect> rects = ItemRects();
  for (size_t i = 0; i < FButtons.size() && i < rects.size(); ++i) FButtons[i]->SetBoundsRect(rects[i]);
}

void TcxCustomButtonGroup::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  if (!InState(TComponentStateItem::csLoading) && !IsDestroying()) UpdateButtons();
}

void TcxCustomButtonGroup::Resize() {
  TWeakLink self(this);  // OnResize may free the group
  inherited::Resize();
  if (self.Alive() && !IsDestroying()) ArrangeButtons();
}

void TcxCustomButtonGroup::CreateWnd() {
  inherited::CreateWnd();
  UpdateButtons();
}

bool TcxCustomButtonGroup::FocusNeighbour(Integer AIndex, Word Key) {
  auto* p = ButtonGroupProperties();
  const Integer n = p->GetItems()->Count();
  const Integer rows = p->RowCount();
  if (rows == 0 || AIndex < 0 || AIndex >= n || AIndex >= ButtonCount()) return false;
  const Integer col = AIndex / rows, row = AIndex % rows;
  Integer target = -1;
  switch (Key) {
    case VK_LEFT:
      if (col > 0) target = AIndex - rows;
      break;
    case VK_UP:
      if (row > 0) target = AIndex - 1;
      break;
    case VK_RIGHT:
      if (AIndex + rows < n) target = AIndex + rows;
      break;
    case VK_DOWN:
      if (row < rows - 1 && AIndex + 1 < n) target = AIndex + 1;
      break;
    default:
      return false;
  }
  if (target < 0 || target >= ButtonCount() || !Buttons(target)->CanFocus()) return false;
  Buttons(target)->SetFocus();
  return true;
}

void TcxCustomButtonGroup::DoEditKeyDown(Word& Key, TShiftState Shift) {
  for (Integer i = 0; i < ButtonCount(); ++i)
    if (Buttons(i)->Focused()) {
      if (FocusNeighbour(i, Key)) {
        Key = 0;
        return;
      }
      break;
    }
  inherited::DoEditKeyDown(Key, Shift);
}

TL_DEFINE_CLASS(TcxButtonGroupItem, [](auto& c) {
  using T = TcxButtonGroupItem;
  c.Property("Caption", &T::GetCaption, &T::SetCaption);
  c.Property("Enabled", &T::GetEnabled, &T::SetEnabled).Default(true);
  c.Property("Tag", &T::GetTag, &T::SetTag).Default(0);
})
TL_DEFINE_CLASS(TcxButtonGroupItems)
TL_DEFINE_CLASS(TcxCustomButtonGroupProperties, [](auto& c) {
  using T = TcxCustomButtonGroupProperties;
  c.Property("Columns", &T::GetColumns, &T::SetColumns).Default(1);
  c.Property("Items", &T::GetItems, &T::SetItems);
  c.Property("WordWrap", &T::GetWordWrap, &T::SetWordWrap).Default(false);
})
TL_DEFINE_CLASS(TcxCustomButtonGroup)
TL_DEFINE_CLASS(TcxButtonGroupViewInfo)
TL_DEFINE_CLASS(TcxButtonGroupViewData)
