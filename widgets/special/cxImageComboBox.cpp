#include "widgets/special/cxImageComboBox.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "platform/gdi/Text.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxVariants.h"

const TResStringRec scxSEditRepositoryImageComboBoxItem = {
    65312, "ImageComboBox|Represents an editor displaying the list of images and text strings within the dropdown window"};

namespace {

// The same type and the same content.
bool VarEqualsExact(const Variant& A, const Variant& B) { return A.VType() == B.VType() && cxVariantsEqual(A, B); }

TcxCustomImageComboBoxProperties* PropertiesOfCollection(TCollection* C) {
  return C ? dynamic_cast<TcxCustomImageComboBoxProperties*>(C->GetOwner()) : nullptr;
}

bool IndexInList(TCustomImageList* AList, Integer AIndex) { return AList && AIndex >= 0 && AIndex < AList->Count(); }

}  // namespace

// ---- items -------------------------------------------------------------------------------------

void TcxImageComboBoxItem::AfterConstruction() {
  inherited::AfterConstruction();
  TcxCustomImageComboBoxProperties* p = PropertiesOfCollection(Collection());
  if (p && p->GetImages() && p->GetImages()->Count() >= Collection()->Count()) FImageIndex = Collection()->Count() - 1;
}

void TcxImageComboBoxItem::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxImageComboBoxItem*>(Source);
  if (!src) return inherited::Assign(Source);
  FDescription = src->FDescription;
  FImageIndex = src->FImageIndex;
  FTag = src->FTag;
  FValue = src->FValue;
  Changed(false);
}

void TcxImageComboBoxItem::SetDescription(const String& Value) {
  if (FDescription == Value) return;
  FDescription = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetImageIndex(Integer Value) {
  if (FImageIndex == Value) return;
  FImageIndex = Value;
  Changed(false);
}

void TcxImageComboBoxItem::SetValue(const Variant& Value) {
  if (VarEqualsExact(FValue, Value)) return;
  FValue = Value;
  Changed(false);
}

TL_DEFINE_CLASS(TcxImageComboBoxItem, [](auto& c) {
  using T = TcxImageComboBoxItem;
  c.Property("Description", &T::GetDescription, &T::SetDescription);
  c.Property("ImageIndex", &T::GetImageIndex, &T::SetImageIndex).Default(Integer(-1));
  c.Property("Tag", &T::GetTag, &T::SetTag).Stored(&T::IsTagStored);
  c.Property("Value", &T::GetValue, &T::SetValue).Stored(&T::IsValueStored);
});

TcxImageComboBoxItems::TcxImageComboBoxItems(TPersistent* AOwner)
    : TOwnedCollection(AOwner, ClassOf<TcxImageComboBoxItem, TCollectionItem, TCollection*>()) {}

void TcxImageComboBoxItems::Update(TCollectionItem*) {
  if (TcxCustomImageComboBoxProperties* p = PropertiesOfCollection(this)) p->Changed();
}

TL_DEFINE_CLASS(TcxImageComboBoxItems)

// ---- properties --------------------------------------------------------------------------------

TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties(TPersistent* AOwner)
    : TcxCustomComboBoxProperties(AOwner) {}

void TcxCustomImageComboBoxProperties::AfterConstruction() {
  inherited::AfterConstruction();
  FItems = New<TcxImageComboBoxItems>(this);
  FImagesLink = New<TChangeLink>();
  FImagesLink->OnChange = TNotifyEvent(this, &TcxCustomImageComboBoxProperties::ImageListChanged);
  FLargeImagesLink = New<TChangeLink>();
  FLargeImagesLink->OnChange = TNotifyEvent(this, &TcxCustomImageComboBoxProperties::ImageListChanged);
  FWatch = New<TcxFreeNotificator>(nullptr);
  FWatch->OnFreeNotification = {this, &TcxCustomImageComboBoxProperties::FreeNotification};
  auto locked = cxPropertiesLockUpdate(this);
  SetDropDownListStyle(TcxEditDropDownListStyle::lsFixedList);
}

void TcxCustomImageComboBoxProperties::BeforeDestruction() {
  SetImages(nullptr);
  SetLargeImages(nullptr);
  FreeAndNil(FImagesLink);
  FreeAndNil(FLargeImagesLink);
  FreeAndNil(FWatch);
  FreeAndNil(FItems);
  inherited::BeforeDestruction();
}

void TcxCustomImageComboBoxProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomImageComboBoxProperties*>(Source);
  if (!src) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetDefaultDescription(src->FDefaultDescription);
  SetDefaultImageIndex(src->FDefaultImageIndex);
  SetImageAlign(src->FImageAlign);
  SetImages(src->FImages);
  FItems->Assign(src->FItems);
  SetLargeImages(src->FLargeImages);
  SetMultiLineText(src->FMultiLineText);
  SetShowDescriptions(src->FShowDescriptions);
}

void TcxCustomImageComboBoxProperties::SetImageList(TCustomImageList*& AField, TChangeLink* ALink,
                                                    TCustomImageList* Value) {
  if (AField == Value) return;
  if (AField) AField->UnRegisterChanges(ALink);
  // Watching for the list being freed goes through the properties' free notificator.
  AField = Value;
  if (AField) AField->RegisterChanges(ALink);
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImages(TCustomImageList* Value) {
  if (FImages && FImages != FLargeImages) FImages->RemoveFreeNotification(FWatch);
  SetImageList(FImages, FImagesLink, Value);
  if (FImages) FImages->FreeNotification(FWatch);
}

void TcxCustomImageComboBoxProperties::SetLargeImages(TCustomImageList* Value) {
  if (FLargeImages && FLargeImages != FImages) FLargeImages->RemoveFreeNotification(FWatch);
  SetImageList(FLargeImages, FLargeImagesLink, Value);
  if (FLargeImages) FLargeImages->FreeNotification(FWatch);
}

void TcxCustomImageComboBoxProperties::FreeNotification(TComponent* AComponent) {
  inherited::FreeNotification(AComponent);
  if (AComponent == FImages) {
    FImages->UnRegisterChanges(FImagesLink);
    FImages = nullptr;
    Changed();
  }
  if (AComponent == FLargeImages) {
    FLargeImages->UnRegisterChanges(FLargeImagesLink);
    FLargeImages = nullptr;
    Changed();
  }
}

void TcxCustomImageComboBoxProperties::SetDefaultDescription(const String& Value) {
  if (FDefaultDescription == Value) return;
  FDefaultDescription = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetDefaultImageIndex(Integer Value) {
  if (FDefaultImageIndex == Value) return;
  FDefaultImageIndex = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetImageAlign(TcxImageAlign Value) {
  if (FImageAlign == Value) return;
  FImageAlign = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetMultiLineText(bool Value) {
  if (FMultiLineText == Value) return;
  FMultiLineText = Value;
  Changed();
}

void TcxCustomImageComboBoxProperties::SetShowDescriptions(bool Value) {
  if (FShowDescriptions == Value) return;
  FShowDescriptions = Value;
  Changed();
}

Integer TcxCustomImageComboBoxProperties::FindItemByValue(const Variant& AValue) const {
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (cxVariantsEqualLoose(FItems->Items(i)->GetValue(), AValue)) return i;
  return -1;
}

void TcxCustomImageComboBoxProperties::GetDisplayTextAndImage(const Variant& AValue, String& AText,
                                                              Integer& AImageIndex) const {
  const Integer i = FindItemByValue(AValue);
  if (i >= 0) {
    AText = FShowDescriptions ? FItems->Items(i)->GetDescription() : String();
    AImageIndex = FItems->Items(i)->GetImageIndex();
  } else {
    AText = FShowDescriptions ? FDefaultDescription : String();
    AImageIndex = FDefaultImageIndex;
  }
}

void TcxCustomImageComboBoxProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  const Integer i = FindItemByValue(AEditValue);
  ADisplayValue = Variant(i >= 0 ? FItems->Items(i)->GetDescription() : FDefaultDescription);
}

void TcxCustomImageComboBoxProperties::GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool) {
  Variant v;
  PrepareDisplayValue(AEditValue, v, false);
  ADisplayText = VarToStr(v);
}

bool TcxCustomImageComboBoxProperties::CompareDisplayValues(const Variant& V1, const Variant& V2) {
  String t1, t2;
  Integer i1 = -1, i2 = -1;
  GetDisplayTextAndImage(V1, t1, i1);
  GetDisplayTextAndImage(V2, t2, i2);
  return t1 == t2 && (!FImages || i1 == i2);
}

bool TcxCustomImageComboBoxProperties::FindLookupText(const String& AText) const {
  if (!FShowDescriptions) return false;
  for (Integer i = 0; i < FItems->Count(); ++i)
    if (SameText(FItems->Items(i)->GetDescription(), AText)) return true;
  return false;
}

TcxEditSupportedOperations TcxCustomImageComboBoxProperties::GetSupportedOperations() const {
  using enum TcxEditSupportedOperation;
  TcxEditSupportedOperations ops{esoEditing, esoFiltering, esoHorzAlignment, esoSorting, esoSortingByDisplayText};
  if (FItems && FItems->Count() > 0) ops.Include(esoHotTrack);
  if (FShowDescriptions) ops.Include(esoIncSearch);
  return ops;
}

TcxCustomTextEditLookupDataClass TcxCustomImageComboBoxProperties::GetLookupDataClass() const {
  return ClassOf<TcxImageComboBoxLookupData, TcxCustomTextEditLookupData, TPersistent*>();
}

TcxCustomEditViewDataClass TcxCustomImageComboBoxProperties::GetViewDataClass() const {
  return ClassOf<TcxImageComboBoxViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomImageComboBoxProperties::GetViewInfoClass() const {
  return ClassOf<TcxImageComboBoxViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditClass TcxCustomImageComboBoxProperties::GetContainerClass() const {
  return ClassOf<TcxImageComboBox, TcxCustomEdit, TComponent*, bool>();
}

TL_DEFINE_CLASS(TcxCustomImageComboBoxProperties, [](auto&) {});

TL_DEFINE_CLASS(TcxImageComboBoxProperties, [](auto& c) {
  using T = TcxCustomImageComboBoxProperties;
  c.Property("ButtonGlyph", &T::GetButtonGlyph, &T::SetButtonGlyph).Stored(&T::IsButtonGlyphStored);
  c.Property("DefaultDescription", &T::GetDefaultDescription, &T::SetDefaultDescription);
  c.Property("DefaultImageIndex", &T::GetDefaultImageIndex, &T::SetDefaultImageIndex).Default(Integer(-1));
  c.Property("DropDownRows", &T::GetDropDownRows, &T::SetDropDownRows).Default(Integer(8));
  c.Property("ImageAlign", &T::GetImageAlign, &T::SetImageAlign).Default(TcxImageAlign::iaLeft);
  c.Property("Images", &T::GetImages, &T::SetImages);
  c.Property("ImmediateDropDown", &T::GetImmediateDropDown, &T::SetImmediateDropDown).Default(true);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
  c.Property("ImmediateUpdateText", &T::GetImmediateUpdateText, &T::SetImmediateUpdateText).Default(false);
  c.Property("Items", &T::GetItems, &T::SetItems);
  c.Property("LargeImages", &T::GetLargeImages, &T::SetLargeImages);
  c.Property("MultiLineText", &T::GetMultiLineText, &T::SetMultiLineText).Default(false);
  c.Property("PopupAlignment", &T::GetPopupAlignment, &T::SetPopupAlignment).Default(TAlignment::taLeftJustify);
  c.Property("PostPopupValueOnTab", &T::GetPostPopupValueOnTab, &T::SetPostPopupValueOnTab).Default(false);
  c.Property("Revertable", &T::GetRevertable, &T::SetRevertable).Default(false);
  c.Property("ShowDescriptions", &T::GetShowDescriptions, &T::SetShowDescriptions).Default(true);
  c.Property("ValidateOnEnter", &T::GetValidateOnEnter, &T::SetValidateOnEnter).Default(true);
  c.Event("OnButtonClick", &T::OnButtonClick);
  c.Event("OnChange", &T::OnChange);
  c.Event("OnCloseQuery", &T::OnCloseQuery);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnEditValueChanged", &T::OnEditValueChanged);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
  c.Event("OnValidate", &T::OnValidate);
});

// ---- list --------------------------------------------------------------------------------------

TcxCustomImageComboBoxProperties* TcxImageComboBoxListBox::ImageProperties() const {
  auto* edit = dynamic_cast<TcxCustomImageComboBox*>(Edit());
  return edit ? edit->ActiveImageProperties() : nullptr;
}

Integer TcxImageComboBoxListBox::ItemHeightForWidth(Integer AIndex, Integer ATextWidth) {
  TcxCustomImageComboBoxProperties* p = ImageProperties();
  TCustomImageList* L = p ? p->ListImages() : nullptr;
  const Integer imageH = L ? L->GetHeight() + 2 : 0;
  TCanvas* c = GetcxCanvas()->Canvas();
  c->SetFont(GetFont());
  if (p && p->GetMultiLineText() && ATextWidth > 0 && AIndex >= 0 && AIndex < p->GetItems()->Count()) {
    TRect r{0, 0, ATextWidth, 0};
    const String& text = p->GetItems()->Items(AIndex)->GetDescription();
    DrawTextA(c->GetHandle(), text.c_str(), Integer(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    return std::max(r.Height() + 2, imageH);
  }
  return std::max(c->TextHeight("Wg") + 2, imageH);
}

Integer TcxImageComboBoxListBox::GetItemHeight(Integer AIndex) {
  TcxCustomImageComboBoxProperties* p = ImageProperties();
  TCustomImageList* L = p ? p->ListImages() : nullptr;
  Integer width = GetClientWidth() - 2;
  if (L) width -= 4 + L->GetWidth();
  return ItemHeightForWidth(AIndex, width);
}

Integer TcxImageComboBoxListBox::GetHeight(Integer ARowCount) {
  TcxCustomImageComboBoxProperties* p = ImageProperties();
  const Integer count = p ? p->GetItems()->Count() : 0;
  Integer h = 0;
  for (Integer i = 0; i < ARowCount && i < count; ++i) h += GetItemHeight(i);
  if (p && p->GetMultiLineText() && count > ARowCount) {
    // A vertical bar will take width from the text: measured again without it.
    TCustomImageList* L = p->ListImages();
    Integer width = GetClientWidth() - 2 - GetSystemMetrics(SM_CXVSCROLL);
    if (L) width -= 4 + L->GetWidth();
    h = 0;
    for (Integer i = 0; i < ARowCount && i < count; ++i) h += ItemHeightForWidth(i, width);
  }
  return h;
}

Integer TcxImageComboBoxListBox::GetItemWidth(Integer AIndex) {
  TcxCustomImageComboBoxProperties* p = ImageProperties();
  if (!p || AIndex < 0 || AIndex >= p->GetItems()->Count()) return 0;
  TCustomImageList* L = p->ListImages();
  TCanvas* c = GetcxCanvas()->Canvas();
  c->SetFont(GetFont());
  return (L ? L->GetWidth() + 8 : 4) + c->TextWidth(p->GetItems()->Items(AIndex)->GetDescription());
}

bool TcxImageComboBoxListBox::DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) {
  if (inherited::DoDrawItem(AIndex, ARect, AState)) return true;
  TcxCustomImageComboBoxProperties* p = ImageProperties();
  if (!p || AIndex < 0 || AIndex >= p->GetItems()->Count()) return false;
  TcxImageComboBoxItem* item = p->GetItems()->Items(AIndex);
  TCanvas* c = GetcxCanvas()->Canvas();
  c->FillRect(ARect);
  TRect text = ARect;
  if (TCustomImageList* L = p->ListImages()) {
    const Integer cell = L->GetWidth() + 4;
    TRect image = ARect;
    if (p->GetImageAlign() == TcxImageAlign::iaRight) {
      image.Left = ARect.Right - cell;
      text.Right = image.Left;
    } else {
      image.Right = ARect.Left + cell;
      text.Left = image.Right;
    }
    if (IndexInList(L, item->GetImageIndex()))
      L->Draw(c, image.Left + 1, image.Top + (image.Height() - L->GetHeight()) / 2, item->GetImageIndex(), GetEnabled());
  }
  text.Left += 2;
  const UINT flags = p->GetMultiLineText() ? DT_WORDBREAK | DT_NOPREFIX | DT_VCENTER
                                           : DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  SetBkMode(c->GetHandle(), TRANSPARENT);
  const String& s = item->GetDescription();
  DrawTextA(c->GetHandle(), s.c_str(), Integer(s.size()), &text, flags);
  return true;
}

TL_DEFINE_CLASS(TcxImageComboBoxListBox)

TcxCustomEditListBoxClass TcxImageComboBoxLookupData::GetListClass() const {
  return ClassOf<TcxImageComboBoxListBox, TcxCustomEditListBox, TComponent*>();
}


String TcxImageComboBoxLookupData::GetItem(Integer AIndex) {
  auto* p = dynamic_cast<TcxCustomImageComboBoxProperties*>(ActiveProperties());
  if (!p || AIndex < 0 || AIndex >= p->GetItems()->Count()) return String();
  return p->GetItems()->Items(AIndex)->GetDescription();
}

Integer TcxImageComboBoxLookupData::GetItemCount() {
  auto* p = dynamic_cast<TcxCustomImageComboBoxProperties*>(ActiveProperties());
  return p ? p->GetItems()->Count() : 0;
}

TL_DEFINE_CLASS(TcxImageComboBoxLookupData)

// ---- view --------------------------------------------------------------------------------------

void TcxImageComboBoxViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TcxImageComboBoxViewInfo*>(Source)) {
    ImageRect = src->ImageRect;
    ImageIndex = src->ImageIndex;
    Images = src->Images;
    ImageAlign = src->ImageAlign;
    ShowDescriptions = src->ShowDescriptions;
  }
}

void TcxImageComboBoxViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  if (IndexInList(Images, ImageIndex) && ACanvas.RectVisible(Bounds)) {
    TcxRegion* saved = ACanvas.GetClipRegion();
    ACanvas.IntersectClipRect(ImageRect);
    const TPoint at{ImageRect.Left, ImageRect.Top};
    if (!Transparent) cxFillRectByColor(ACanvas, ImageRect, BackgroundColor);
    Images->Draw(ACanvas.Canvas(), at.X, at.Y, ImageIndex, Enabled);
    ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet);
    ACanvas.ExcludeClipRect(ImageRect);
  }
  inherited::InternalPaint(ACanvas);
}

TL_DEFINE_CLASS(TcxImageComboBoxViewInfo)

void TcxImageComboBoxViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P,
                                         TcxMouseButton AButton, TShiftState AShift, TcxCustomEditViewInfo* AViewInfo,
                                         bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  auto* p = dynamic_cast<TcxCustomImageComboBoxProperties*>(Properties);
  if (!vi || !p) return;
  if (auto* edit = dynamic_cast<TcxCustomImageComboBox*>(Edit)) EditValueToDrawValue(ACanvas, edit->EditValue(), vi);
  vi->Images = p->GetImages();
  vi->ImageAlign = p->GetImageAlign();
  vi->ShowDescriptions = p->GetShowDescriptions();
  TRect C = vi->ClientRect;
  if (vi->Images) {
    const Integer w = vi->Images->GetWidth(), h = vi->Images->GetHeight();
    TRect r = C;
    if (!vi->ShowDescriptions) {
      r.Left = C.Left + (C.Width() - w) / 2;
    } else if (vi->ImageAlign == TcxImageAlign::iaRight) {
      r.Left = C.Right - 2 - w;
      C.Right = r.Left - 2;
    } else {
      r.Left = C.Left + 2;
      C.Left = r.Left + w + 2;
    }
    r.Right = r.Left + w;
    r.Top = C.Top + (C.Height() - h) / 2;
    r.Bottom = r.Top + h;
    vi->ImageRect = r;
    if (!IsInplace) vi->ClientRect = C;
  }
  vi->TextRect = TRect{C.Left + 2, C.Top + 1, C.Right - 2, C.Bottom - 1};
  if (!vi->ShowDescriptions) vi->Text.clear();
}

void TcxImageComboBoxViewData::EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                    TcxCustomEditViewInfo* AViewInfo) {
  inherited::EditValueToDrawValue(ACanvas, AEditValue, AViewInfo);
  auto* vi = dynamic_cast<TcxImageComboBoxViewInfo*>(AViewInfo);
  auto* p = dynamic_cast<TcxCustomImageComboBoxProperties*>(Properties);
  if (!vi || !p) return;
  String text;
  p->GetDisplayTextAndImage(AEditValue, text, vi->ImageIndex);
  vi->Text = text;
}

TSize TcxImageComboBoxViewData::InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                           const TcxEditSizeProperties& AEditSizeProperties) {
  TSize size = inherited::InternalGetEditContentSize(ACanvas, AEditValue, AEditSizeProperties);
  auto* p = dynamic_cast<TcxCustomImageComboBoxProperties*>(Properties);
  if (p && p->GetImages()) {
    size.cx += p->GetImages()->GetWidth() + 5;
    size.cy = std::max(size.cy, p->GetImages()->GetHeight());
  } else {
    size.cx += 1;
  }
  return size;
}

TL_DEFINE_CLASS(TcxImageComboBoxViewData)

// ---- control -----------------------------------------------------------------------------------

TcxCustomEditPropertiesClass TcxCustomImageComboBox::GetPropertiesClass() {
  return ClassOf<TcxImageComboBoxProperties, TcxCustomEditProperties, TPersistent*>();
}

void TcxCustomImageComboBox::PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool) {
  TcxCustomImageComboBoxProperties* p = ActiveImageProperties();
  const String text = VarToStr(ADisplayValue);
  // The chosen item decides, so two items with one description keep their own values; with
  // no item chosen the value is Null, even when some item's description is empty.
  Integer index = LookupData() ? LookupData()->GetCurrentIndex() : -1;
  if (index < 0 && text.empty()) {
    AEditValue = Variant::MakeNull();
    return;
  }
  if (index < 0 || index >= p->GetItems()->Count() || p->GetItems()->Items(index)->GetDescription() != text) {
    index = -1;
    for (Integer i = 0; i < p->GetItems()->Count() && index < 0; ++i)
      if (p->GetItems()->Items(i)->GetDescription() == text) index = i;
  }
  AEditValue = index >= 0 ? p->GetItems()->Items(index)->GetValue() : Variant::MakeNull();
}

void TcxCustomImageComboBox::SynchronizeDisplayValue() {
  inherited::SynchronizeDisplayValue();
  if (LookupData()) LookupData()->SetCurrentKey(Variant(ActiveImageProperties()->FindItemByValue(EditValue())));
  UpdateImageOfValue();
}

void TcxCustomImageComboBox::LookupTextChanged() {
  if (IsFocused()) SetDisplayValueModified(true);
  UpdateImageOfValue();
}

void TcxCustomImageComboBox::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  if (!InState(TComponentStateItem::csDestroying)) UpdateImageOfValue();
}

void TcxCustomImageComboBox::UpdateImageOfValue() {
  auto* vi = dynamic_cast<TcxImageComboBoxViewInfo*>(EditViewInfo());
  TcxCustomImageComboBoxProperties* p = ActiveImageProperties();
  if (!vi || !p) return;
  Integer index = LookupData() ? LookupData()->GetCurrentIndex() : -1;
  if (index < 0 || index >= p->GetItems()->Count() ||
      p->GetItems()->Items(index)->GetDescription() != VarToStr(GetDisplayValue()))
    index = p->FindItemByValue(EditValue());
  const Integer image = index >= 0 ? p->GetItems()->Items(index)->GetImageIndex() : p->GetDefaultImageIndex();
  const bool textShown = !p->GetShowDescriptions() && !vi->Text.empty();
  if (textShown) vi->Text.clear();
  if (vi->ImageIndex == image && !textShown) return;
  vi->ImageIndex = image;
  if (HandleAllocated()) Invalidate();
}

TSize TcxCustomImageComboBox::GetPopupWindowClientPreferredSize() {
  TSize size = inherited::GetPopupWindowClientPreferredSize();
  TcxCustomImageComboBoxProperties* p = ActiveImageProperties();
  if (p->GetMultiLineText()) return size;
  auto* list = LookupData() ? dynamic_cast<TcxImageComboBoxListBox*>(LookupData()->GetList()) : nullptr;
  if (!list) return size;
  Integer width = 0;
  for (Integer i = 0; i < p->GetItems()->Count(); ++i) width = std::max(width, list->GetItemWidth(i));
  if (p->GetItems()->Count() > std::max<Integer>(p->GetDropDownRows(), 1)) width += GetSystemMetrics(SM_CXVSCROLL);
  size.cx = std::max(size.cx, width);
  return size;
}

TL_DEFINE_CLASS(TcxCustomImageComboBox)

TL_DEFINE_CLASS(TcxImageComboBox, [](auto& c) {
  using T = TcxCustomImageComboBox;
  c.Property("AutoSize", &T::GetAutoSize, &T::SetAutoSize).Default(true);
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
});

// ---- unit start-up -----------------------------------------------------------------------------

namespace {
int gImageComboInitCount = 0;
}

void cxImageComboBox::Initialize() {
  if (gImageComboInitCount++ > 0) return;
  RegisterClasses({&TcxImageComboBoxItem::StaticClass(), &TcxImageComboBox::StaticClass()});
  GetRegisteredEditProperties()->Register(&TcxImageComboBoxProperties::StaticClass(),
                                          cxGetResourceString(scxSEditRepositoryImageComboBoxItem));
}

void cxImageComboBox::Finalize() {
  if (gImageComboInitCount == 0 || --gImageComboInitCount > 0) return;
  UnRegisterClass(TcxImageComboBox::StaticClass());
  cxUnregisterEditor(TcxImageComboBoxProperties::StaticClass(),
                     TcxImageComboBoxItem::StaticClass());
}
