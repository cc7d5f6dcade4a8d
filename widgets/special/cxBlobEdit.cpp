#include "widgets/special/cxBlobEdit.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Forms.h"
#include "platform/kernel/Arith.h"
#include "widgets/editcore/cxEditPaintUtils.h"
#include "widgets/foundation/cxVariants.h"

const TResStringRec scxSEditRepositoryBlobItem = {65336, "BlobEdit|Represents the BLOB editor"};
const TResStringRec cxSBlobButtonCancel = {65360, "&Cancel"};
const TResStringRec cxSBlobButtonClose = {65361, "&Close"};
const TResStringRec cxSBlobMemo = {65362, "(MEMO)"};
const TResStringRec cxSBlobMemoEmpty = {65363, "(memo)"};
const TResStringRec cxSBlobPicture = {65364, "(PICTURE)"};
const TResStringRec cxSBlobPictureEmpty = {65365, "(picture)"};
const TResStringRec cxSBlobButtonOK = {65391, "&OK"};

namespace {

using enum TcxBlobEditKind;

bool IsString(const Variant& V) { return V.VType() == varString || V.VType() == varOleStr; }
bool IsNull(const Variant& V) { return V.VType() == varNull || V.VType() == varEmpty; }

constexpr Integer kIconSize = 16;

}  // namespace

// ---- properties --------------------------------------------------------------------------------

TcxCustomBlobEditProperties::TcxCustomBlobEditProperties(TPersistent* AOwner) : TcxCustomPopupEditProperties(AOwner) {
  FPictureGraphicClass = cxGetDefaultGraphicClass();
}

void TcxCustomBlobEditProperties::AfterConstruction() {
  inherited::AfterConstruction();
  auto locked = cxPropertiesLockUpdate(this);
  SetImmediatePopup(true);
  SetPopupHeight(200);
  SetPopupWidth(250);
  SetPopupMinWidth(160);
  SetPopupMinHeight(140);
  if (GetButtons()->Count() > 0) GetButtons()->Items(0)->SetKind(TcxEditButtonKind::bkEllipsis);
}

void TcxCustomBlobEditProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomBlobEditProperties*>(Source);
  if (!src) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  FAlwaysSaveData = src->FAlwaysSaveData;
  SetBlobEditKind(src->FBlobEditKind);
  FBlobPaintStyle = src->FBlobPaintStyle;
  FMemoAutoReplace = src->FMemoAutoReplace;
  FMemoCharCase = src->FMemoCharCase;
  FMemoMaxLength = src->FMemoMaxLength;
  FMemoOEMConvert = src->FMemoOEMConvert;
  FMemoScrollBars = src->FMemoScrollBars;
  FMemoWantReturns = src->FMemoWantReturns;
  FMemoWantTabs = src->FMemoWantTabs;
  FMemoWordWrap = src->FMemoWordWrap;
  FPictureAutoSize = src->FPictureAutoSize;
  FPictureFilter = src->FPictureFilter;
  FPictureGraphicClass = src->FPictureGraphicClass;
  FPictureTransparency = src->FPictureTransparency;
  FShowExPopupItems = src->FShowExPopupItems;
  FShowPicturePopup = src->FShowPicturePopup;
  OnAssignPicture = src->OnAssignPicture;
  OnGetGraphicClass = src->OnGetGraphicClass;
  Changed();
}

TcxCustomEditViewDataClass TcxCustomBlobEditProperties::GetViewDataClass() const {
  return ClassOf<TcxBlobEditViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomBlobEditProperties::GetViewInfoClass() const {
  return ClassOf<TcxBlobEditViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditClass TcxCustomBlobEditProperties::GetContainerClass() const {
  return ClassOf<TcxBlobEdit, TcxCustomEdit, TComponent*, bool>();
}

TcxEditSupportedOperations TcxCustomBlobEditProperties::GetSupportedOperations() const {
  TcxEditSupportedOperations ops{TcxEditSupportedOperation::esoEditing};
  if (GetButtons()->Count() > 0) ops.Include(TcxEditSupportedOperation::esoHotTrack);
  return ops;
}

TcxBlobEditKind TcxCustomBlobEditProperties::ResolveKind() {
  if (FBlobEditKind != bekAuto) return FBlobEditKind;
  IcxEditDefaultValuesProvider* provider = GetIDefaultValuesProvider();
  if (provider && !provider->IsDataStorage()) return FBlobEditKind;
  TcxBlobEditKind kind = bekBlob;
  if (provider) {
    switch (provider->DefaultBlobKind()) {
      case TcxBlobKind::bkNone:
      case TcxBlobKind::bkBlob: kind = bekBlob; break;
      case TcxBlobKind::bkGraphic: kind = bekPict; break;
      case TcxBlobKind::bkMemo: kind = bekMemo; break;
      case TcxBlobKind::bkOle: kind = bekOle; break;
    }
    // A provider without data yet (an editor bound before its data set opens, or read from
    // a window description) answers for no field: the kind stays open until it has one.
    if (!provider->IsDataAvailable()) return kind;
  }
  {
    auto locked = cxPropertiesLockUpdate(this);
    SetBlobEditKind(kind);
  }
  return FBlobEditKind;
}

TcxDataEditValueSource TcxCustomBlobEditProperties::GetEditValueSource(bool AEditFocused) const {
  // Resolving an automatic kind only settles it from the provider, as painting would.
  if (const_cast<TcxCustomBlobEditProperties*>(this)->ResolveKind() != bekMemo) return TcxDataEditValueSource::evsValue;
  return inherited::GetEditValueSource(AEditFocused);
}

void TcxCustomBlobEditProperties::SetBlobEditKind(TcxBlobEditKind Value) {
  if (FBlobEditKind == Value) return;
  FBlobEditKind = Value;
  if (GetButtons()->Count() > 0)
    GetButtons()->Items(0)->SetKind(Value == bekMemo || Value == bekPict ? TcxEditButtonKind::bkDown
                                                                         : TcxEditButtonKind::bkEllipsis);
  Changed();
}

String TcxCustomBlobEditProperties::GetBlobText(const Variant& AValue, bool AFull) {
  const TcxBlobEditKind kind = ResolveKind();
  if (kind == bekMemo && AFull && IsString(AValue)) return AValue.AsString();
  switch (FBlobPaintStyle) {
    case TcxBlobPaintStyle::bpsText:
      return kind == bekMemo && IsString(AValue) ? cxTruncateToFirstLine(AValue.AsString(), INT32_MAX) : String();
    case TcxBlobPaintStyle::bpsDefault:
      if (kind == bekMemo) return cxGetResourceString(IsNull(AValue) ? cxSBlobMemoEmpty : cxSBlobMemo);
      if (kind == bekPict) return cxGetResourceString(IsNull(AValue) ? cxSBlobPictureEmpty : cxSBlobPicture);
      return String();
    case TcxBlobPaintStyle::bpsIcon:
      return String();
  }
  return String();
}

Integer TcxCustomBlobEditProperties::GetIconIndex(const Variant& AValue) {
  const TcxBlobEditKind kind = ResolveKind();
  if (FBlobPaintStyle != TcxBlobPaintStyle::bpsIcon) return -1;
  Integer index = 0;
  switch (kind) {
    case bekMemo: index = 2; break;
    case bekPict: index = 4; break;
    case bekOle: index = 6; break;
    default: index = 0; break;
  }
  // An unassigned value holds no data, as its placeholder text says.
  return index + (IsNull(AValue) || cxVarIsBlank(AValue) ? 0 : 1);
}

void TcxCustomBlobEditProperties::GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText) {
  ADisplayText.clear();
  if (IsNull(AEditValue)) return;
  switch (ResolveKind()) {
    case bekMemo: ADisplayText = GetBlobText(AEditValue, AFullText); break;
    case bekPict: ADisplayText = cxGetResourceString(cxSBlobPicture); break;
    case bekOle: ADisplayText = "OLE"; break;
    case bekBlob: ADisplayText = "BLOB"; break;
    case bekAuto: break;
  }
}

void TcxCustomBlobEditProperties::PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool) {
  ADisplayValue = Variant(GetBlobText(AEditValue));
}

bool TcxCustomBlobEditProperties::CompareDisplayValues(const Variant& V1, const Variant& V2) {
  return FBlobPaintStyle == TcxBlobPaintStyle::bpsText && ResolveKind() == bekMemo && IsString(V1) && IsString(V2) &&
         V1.AsString() == V2.AsString();
}

void TcxCustomBlobEditProperties::SetPictureGraphicClass(TGraphicClass Value) {
  if (FPictureGraphicClass == Value) return;
  FPictureGraphicClass = Value;
  Changed();
}

String TcxCustomBlobEditProperties::GetPictureGraphicClassName() const {
  return FPictureGraphicClass ? FPictureGraphicClass.Class->ClassName() : String();
}

void TcxCustomBlobEditProperties::SetPictureGraphicClassName(const String& Value) {
  if (Value.empty()) {
    SetPictureGraphicClass({});
    return;
  }
  if (TGraphicClass c = GetGraphicClassByName(Value)) SetPictureGraphicClass(c);
}

void TcxCustomBlobEditProperties::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
      "IsPictureGraphicClassNameEmpty",
      [this](TReader& Reader) {
        if (Reader.ReadBoolean()) SetPictureGraphicClass({});
      },
      [](TWriter& Writer) { Writer.WriteBoolean(true); }, !FPictureGraphicClass);
}

TL_DEFINE_CLASS(TcxCustomBlobEditProperties, [](auto&) {});

TL_DEFINE_CLASS(TcxBlobEditProperties, [](auto& c) {
  using T = TcxCustomBlobEditProperties;
  c.Property("AlwaysSaveData", &T::GetAlwaysSaveData, &T::SetAlwaysSaveData).Default(true);
  c.Property("BlobEditKind", &T::GetBlobEditKind, &T::SetBlobEditKind).Default(TcxBlobEditKind::bekAuto);
  c.Property("BlobPaintStyle", &T::GetBlobPaintStyle, &T::SetBlobPaintStyle).Default(TcxBlobPaintStyle::bpsIcon);
  c.Property("ImmediatePopup", &T::GetImmediatePopup, &T::SetImmediatePopup).Default(true);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
  c.Property("MemoAutoReplace", &T::GetMemoAutoReplace, &T::SetMemoAutoReplace).Default(false);
  c.Property("MemoCharCase", &T::GetMemoCharCase, &T::SetMemoCharCase).Default(TEditCharCase::ecNormal);
  c.Property("MemoMaxLength", &T::GetMemoMaxLength, &T::SetMemoMaxLength).Default(Integer(0));
  c.Property("MemoOEMConvert", &T::GetMemoOEMConvert, &T::SetMemoOEMConvert).Default(false);
  c.Property("MemoScrollBars", &T::GetMemoScrollBars, &T::SetMemoScrollBars).Default(TScrollStyle::ssNone);
  c.Property("MemoWantReturns", &T::GetMemoWantReturns, &T::SetMemoWantReturns).Default(true);
  c.Property("MemoWantTabs", &T::GetMemoWantTabs, &T::SetMemoWantTabs).Default(true);
  c.Property("MemoWordWrap", &T::GetMemoWordWrap, &T::SetMemoWordWrap).Default(true);
  c.Property("PictureAutoSize", &T::GetPictureAutoSize, &T::SetPictureAutoSize).Default(true);
  c.Property("PictureFilter", &T::GetPictureFilter, &T::SetPictureFilter);
  c.Property("PictureGraphicClassName", &T::GetPictureGraphicClassName, &T::SetPictureGraphicClassName)
      .Stored(&T::IsPictureGraphicClassNameStored);
  c.Property("PictureTransparency", &T::GetPictureTransparency, &T::SetPictureTransparency)
      .Default(TcxImageTransparency::gtDefault);
  c.Property("PopupHeight", &T::GetPopupHeight, &T::SetPopupHeight).Default(Integer(200));
  c.Property("PopupWidth", &T::GetPopupWidth, &T::SetPopupWidth).Default(Integer(250));
  c.Property("ShowExPopupItems", &T::GetShowExPopupItems, &T::SetShowExPopupItems).Default(true);
  c.Property("ShowPicturePopup", &T::GetShowPicturePopup, &T::SetShowPicturePopup).Default(true);
  c.Event("OnAssignPicture", &T::OnAssignPicture);
  c.Event("OnButtonClick", &T::OnButtonClick);
  c.Event("OnChange", &T::OnChange);
  c.Event("OnCloseQuery", &T::OnCloseQuery);
  c.Event("OnCloseUp", &T::OnCloseUp);
  c.Event("OnEditValueChanged", &T::OnEditValueChanged);
  c.Event("OnGetGraphicClass", &T::OnGetGraphicClass);
  c.Event("OnInitPopup", &T::OnInitPopup);
  c.Event("OnPopup", &T::OnPopup);
  c.Event("OnValidate", &T::OnValidate);
});

// ---- view ----------------------------------------------------------------------------------------

void TcxBlobEditViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  if (auto* src = dynamic_cast<TcxBlobEditViewInfo*>(Source)) {
    IconRect = src->IconRect;
    IconIndex = src->IconIndex;
  }
}

void TcxBlobEditViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  TImageList* icons = cxBlobEditIcons();
  if (icons && IconIndex >= 0 && IconIndex < icons->Count() && ACanvas.RectVisible(Bounds)) {
    TcxRegion* saved = ACanvas.GetClipRegion();
    ACanvas.IntersectClipRect(IconRect);
    if (!Transparent) cxFillRectByColor(ACanvas, IconRect, BackgroundColor);
    icons->Draw(ACanvas.Canvas(), IconRect.Left, IconRect.Top, IconIndex, Enabled);
    ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet);
    ACanvas.ExcludeClipRect(IconRect);
  }
  inherited::InternalPaint(ACanvas);
  if (Focused && !IsInplace) {
    const TRect C = ClientRect;
    ACanvas.DrawFocusRect(TRect{C.Left + 1, C.Top + 1, C.Right - 1, C.Bottom - 1});
  }
}

TL_DEFINE_CLASS(TcxBlobEditViewInfo)

void TcxBlobEditViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                    TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxBlobEditViewInfo*>(AViewInfo);
  if (!vi) return;
  if (auto* edit = dynamic_cast<TcxCustomBlobEdit*>(Edit)) EditValueToDrawValue(ACanvas, edit->EditValue(), vi);
  const TRect C = vi->ClientRect;
  TImageList* icons = cxBlobEditIcons();
  const Integer w = icons ? icons->GetWidth() : kIconSize, h = icons ? icons->GetHeight() : kIconSize;
  const Integer l = C.Left + (C.Width() - w) / 2, t = C.Top + (C.Height() - h) / 2;
  vi->IconRect = TRect{l, t, l + w, t + h};
}

void TcxBlobEditViewData::EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue,
                                               TcxCustomEditViewInfo* AViewInfo) {
  inherited::EditValueToDrawValue(ACanvas, AEditValue, AViewInfo);
  auto* vi = dynamic_cast<TcxBlobEditViewInfo*>(AViewInfo);
  auto* p = dynamic_cast<TcxCustomBlobEditProperties*>(Properties);
  if (!vi || !p) return;
  vi->IconIndex = p->GetIconIndex(AEditValue);
  vi->Text = vi->IconIndex >= 0 ? String() : p->GetBlobText(AEditValue);
  vi->DrawTextFlags = 0x210;
  if (!IsInplace || PaintOptions.Contains(TcxEditPaintOption::epoShowEndEllipsis)) vi->DrawTextFlags |= 0x800;
}

TL_DEFINE_CLASS(TcxBlobEditViewData)

// ---- popup contents ------------------------------------------------------------------------------

void TcxPopupMemo::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (BlobEdit && BlobEdit->PopupContentKeyDown(Key, Shift)) return;
  inherited::DoEditKeyDown(Key, Shift);
}

void TcxPopupMemo::DoEditKeyPress(Char& Key) {
  if (BlobEdit && BlobEdit->PopupContentKeyPress(Key)) return;
  inherited::DoEditKeyPress(Key);
}

TL_DEFINE_CLASS(TcxPopupMemo)

void TcxPopupImage::DoEditKeyDown(Word& Key, TShiftState Shift) {
  if (BlobEdit && BlobEdit->PopupContentKeyDown(Key, Shift)) return;
  inherited::DoEditKeyDown(Key, Shift);
}

void TcxPopupImage::DoLoadResult(bool ALoaded) {
  if (BlobEdit) BlobEdit->PopupImageLoaded(ALoaded);
}

TL_DEFINE_CLASS(TcxPopupImage)

// ---- the edit ------------------------------------------------------------------------------------

void TcxCustomBlobEdit::Initialize() {
  inherited::Initialize();
  TControlStyle style = ControlStyle();
  style.Exclude(TControlStyleItem::csSetCaption);
  SetControlStyle(style);
  SetTabStop(true);
}

void TcxCustomBlobEdit::BeforeDestruction() {
  DestroyPopupControls();
  inherited::BeforeDestruction();
}

TcxCustomEditPropertiesClass TcxCustomBlobEdit::GetPropertiesClass() {
  return ClassOf<TcxBlobEditProperties, TcxCustomEditProperties, TPersistent*>();
}

bool TcxCustomBlobEdit::CanDropDown() {
  const TcxBlobEditKind kind = ActiveBlobProperties()->ResolveKind();
  return kind == bekMemo || kind == bekPict;
}

void TcxCustomBlobEdit::PrepareEditValue(const Variant&, Variant& AEditValue, bool) {
  // The shown text is a summary: the value changes only through the popup.
  AEditValue = EditValue();
}

void TcxCustomBlobEdit::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  TcxCustomBlobEditProperties* p = ActiveBlobProperties();
  if (auto* image = dynamic_cast<TcxPopupImage*>(FContent)) image->GetProperties()->SetGraphicClass(p->GetPictureGraphicClass());
  if (auto* memo = dynamic_cast<TcxPopupMemo*>(FContent)) {
    auto* mp = static_cast<TcxCustomTextEditProperties*>(memo->GetProperties());
    mp->SetImeMode(p->GetImeMode());
    mp->SetImeName(p->GetImeName());
  }
}

TGraphicClass TcxCustomBlobEdit::GetGraphicClass(bool APastingFromClipboard) {
  TcxCustomBlobEditProperties* p = ActiveBlobProperties();
  TGraphicClass result = p->GetPictureGraphicClass();
  if (!result && APastingFromClipboard) result = ClassOf<TBitmap, TGraphic>();
  if (p->OnGetGraphicClass && !p->GetPictureGraphicClass()) p->OnGetGraphicClass(this, APastingFromClipboard, result);
  return result;
}

void TcxCustomBlobEdit::ImageGraphicClass(TObject*, bool APastingFromClipboard, TGraphicClass& AGraphicClass) {
  AGraphicClass = GetGraphicClass(APastingFromClipboard);
}

void TcxCustomBlobEdit::DestroyPopupControls() {
  FreeAndNil(FOkButton);
  FreeAndNil(FCancelButton);
  FreeAndNil(FContent);
}

void TcxCustomBlobEdit::ContentChanged(TObject*) {
  FContentModified = true;
  if (FOkButton) FOkButton->SetDefault(true);
}

void TcxCustomBlobEdit::CreatePopupControl() {
  TcxCustomBlobEditProperties* p = ActiveBlobProperties();
  const TcxBlobEditKind kind = p->ResolveKind();
  if (kind != bekMemo && kind != bekPict) return;
  const bool memo = kind == bekMemo;
  if (FContent && (memo != (dynamic_cast<TcxPopupMemo*>(FContent) != nullptr))) DestroyPopupControls();
  const bool editable = !p->GetReadOnly() && DataBinding()->CanModify();
  const Variant value = EditValue();
  FContentModified = false;
  if (memo) {
    auto* m = dynamic_cast<TcxPopupMemo*>(FContent);
    if (!m) {
      m = New<TcxPopupMemo>(nullptr);
      FContent = m;
    }
    m->BlobEdit = this;
    auto* mp = static_cast<TcxCustomMemoProperties*>(m->GetProperties());
    mp->OnChange = nullptr;
    {
      auto update = cxPropertiesUpdate(mp);
      mp->SetScrollBars(p->GetMemoScrollBars());
      mp->SetWantReturns(p->GetMemoWantReturns());
      mp->SetWantTabs(p->GetMemoWantTabs());
      mp->SetWordWrap(p->GetMemoWordWrap());
      mp->SetCharCase(p->GetMemoCharCase());
      mp->SetMaxLength(p->GetMemoMaxLength());
      mp->SetOEMConvert(p->GetMemoOEMConvert());
      mp->SetImeMode(p->GetImeMode());
      mp->SetImeName(p->GetImeName());
      mp->SetReadOnly(!editable);
    }
    m->SetEditValue(Variant(IsString(value) ? value.AsString() : String()));
    // Every opening starts as the first: the caret the last one left means nothing now.
    m->SelectAll();
    mp->OnChange = TNotifyEvent(this, &TcxCustomBlobEdit::ContentChanged);
    FAutoReplacePending = p->GetMemoAutoReplace() && editable;
  } else {
    auto* img = dynamic_cast<TcxPopupImage*>(FContent);
    if (!img) {
      img = New<TcxPopupImage>(nullptr);
      FContent = img;
    }
    img->BlobEdit = this;
    TcxCustomImageProperties* ip = img->GetProperties();
    ip->OnChange = nullptr;
    {
      auto update = cxPropertiesUpdate(ip);
      ip->SetCustomFilter(p->GetPictureFilter());
      ip->SetGraphicClass(p->GetPictureGraphicClass());
      ip->SetGraphicTransparency(p->GetPictureTransparency());
      ip->SetReadOnly(!editable);
      TcxPopupMenuItems items = TcxPopupMenuLayout::DefaultMenuItems();
      if (!p->GetShowExPopupItems()) items -= TcxPopupMenuItems{TcxPopupMenuItem::pmiLoad, TcxPopupMenuItem::pmiSave};
      if (!p->GetShowPicturePopup()) items = {};
      ip->GetPopupMenuLayout()->SetMenuItems(items);
    }
    img->OnGetGraphicClass = TcxImageEditGraphicClassEvent(this, &TcxCustomBlobEdit::ImageGraphicClass);
    // Bytes that do not load open an empty picture and stay the value unless saved over.
    img->SetEditValue(value);
    ip->OnChange = TNotifyEvent(this, &TcxCustomBlobEdit::ContentChanged);
    FAutoReplacePending = false;
  }
  FContent->SetFont(GetFont());
  FContentModified = false;
  FOpenValue = ContentValue();

  // The buttons: Cancel (or Close when nothing can change) and, when editing, OK.
  if (!FCancelButton) FCancelButton = New<TcxButton>(nullptr);
  FCancelButton->SetCaption(cxGetResourceString(editable ? cxSBlobButtonCancel : cxSBlobButtonClose));
  FCancelButton->SetCancel(true);
  FCancelButton->SetModalResult(mrCancel);
  FCancelButton->OnClick = TNotifyEvent(this, &TcxCustomBlobEdit::CancelClick);
  FCancelButton->SetFont(GetFont());
  if (editable) {
    if (!FOkButton) FOkButton = New<TcxButton>(nullptr);
    FOkButton->SetCaption(cxGetResourceString(cxSBlobButtonOK));
    FOkButton->SetModalResult(mrOk);
    FOkButton->SetDefault(false);
    FOkButton->OnClick = TNotifyEvent(this, &TcxCustomBlobEdit::OkClick);
    FOkButton->SetFont(GetFont());
  } else {
    FreeAndNil(FOkButton);
  }
  Owned<TBitmap> measure(New<TScratchBitmap>());
  measure->Canvas()->SetFont(GetFont());
  FButtonHeight = MulDiv(measure->Canvas()->TextHeight("Wg"), 20, 13);
  FButtonWidth = measure->Canvas()->TextWidth(FCancelButton->GetCaption() + "00");
  if (FOkButton) FButtonWidth = std::max(FButtonWidth, measure->Canvas()->TextWidth(FOkButton->GetCaption() + "00"));
  const Integer minWidth = (FButtonWidth + FButtonHeight / 3) * (FOkButton ? 2 : 1) +
                           GetSystemMetrics(SM_CXVSCROLL) + FButtonHeight / 2;
  auto locked = cxPropertiesLockUpdate(p);
  p->SetPopupMinWidth(minWidth);
}

void TcxCustomBlobEdit::DoInitPopup() {
  CreatePopupControl();
  inherited::DoInitPopup();
}

void TcxCustomBlobEdit::SetupPopupWindow() {
  if (FContent && PopupWindow()) {
    FContent->SetParent(PopupWindow());
    FContent->SetVisible(true);
    for (TcxButton* b : {FOkButton, FCancelButton})
      if (b) {
        b->SetParent(PopupWindow());
        b->SetVisible(true);
      }
  }
  TcxCustomDropDownEdit::SetupPopupWindow();
}

TSize TcxCustomBlobEdit::GetPopupWindowClientPreferredSize() {
  TcxCustomBlobEditProperties* p = ActiveBlobProperties();
  if (auto* img = dynamic_cast<TcxPopupImage*>(FContent); img && p->GetPictureAutoSize()) {
    TPicture* pic = img->GetPicture();
    if (pic->GetGraphic() && !pic->GetGraphic()->Empty())
      return TSize{std::max(pic->GetWidth() + 4, p->GetPopupMinWidth()), pic->GetHeight() + 4 + ButtonPanelHeight()};
  }
  return TSize{p->GetPopupWidth(), p->GetPopupHeight()};
}

void TcxCustomBlobEdit::PositionPopupWindowChildren(const TRect& R) {
  if (!FContent) return;
  const Integer panel = ButtonPanelHeight();
  FContent->SetBounds(R.Left, R.Top, R.Width(), std::max(R.Height() - panel, 0));
  const Integer gap = FButtonHeight / 3;
  const Integer top = R.Bottom - panel + (panel - FButtonHeight) / 2;
  Integer right = R.Right - gap;
  for (TcxButton* b : {FCancelButton, FOkButton}) {
    if (!b) continue;
    b->SetBounds(right - FButtonWidth, top, FButtonWidth, FButtonHeight);
    right -= FButtonWidth + gap;
  }
}

TWinControl* TcxCustomBlobEdit::GetPopupFocusedControl() { return FContent; }

bool TcxCustomBlobEdit::PopupContentKeyDown(Word& Key, TShiftState Shift) {
  const bool alt = Shift.Contains(TShiftStateItem::ssAlt), ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  TcxEditCloseUpReason reason = TcxEditCloseUpReason::crNone;
  if (Key == VK_ESCAPE) {
    reason = TcxEditCloseUpReason::crCancel;
  } else if ((Key == VK_F4 && !alt) || (alt && (Key == VK_UP || Key == VK_DOWN))) {
    reason = TcxEditCloseUpReason::crClose;
  } else if (Key == VK_RETURN) {
    const bool memoTakesIt = dynamic_cast<TcxPopupMemo*>(FContent) && ActiveBlobProperties()->GetMemoWantReturns();
    if (!memoTakesIt || ctrl) reason = TcxEditCloseUpReason::crEnter;
  }
  if (reason == TcxEditCloseUpReason::crNone) return false;
  Key = 0;
  CloseUp(reason);
  return true;
}

bool TcxCustomBlobEdit::PopupContentKeyPress(Char& Key) {
  if (!FAutoReplacePending || Byte(Key) < 32) return false;
  FAutoReplacePending = false;
  auto* m = dynamic_cast<TcxPopupMemo*>(FContent);
  if (!m) return false;
  m->SetEditValue(Variant(String(1, Key)));
  m->SetSelStart(1);
  ContentChanged(m);
  Key = 0;
  return true;
}

void TcxCustomBlobEdit::PopupImageLoaded(bool ALoaded) {
  if (ALoaded) ContentChanged(FContent);
  CloseUp(ALoaded ? TcxEditCloseUpReason::crEnter : TcxEditCloseUpReason::crCancel);
}

Variant TcxCustomBlobEdit::ContentValue() {
  if (auto* m = dynamic_cast<TcxPopupMemo*>(FContent)) return Variant(VarToStr(m->GetDisplayValue()));
  if (auto* img = dynamic_cast<TcxPopupImage*>(FContent)) return img->GetEditValue();
  return Variant::MakeNull();
}

void TcxCustomBlobEdit::SaveContent() {
  TcxEditLifeGuard guard(this);
  TcxCustomBlobEditProperties* active = ActiveBlobProperties();
  const Variant value = ContentValue();
  if (auto* img = dynamic_cast<TcxPopupImage*>(FContent)) {
    TGraphic* g = img->GetPicture()->GetGraphic();
    FSavedGraphicClass = g ? GraphicClassByName(g->ClassName()) : TGraphicClass{};
  } else if (!dynamic_cast<TcxPopupMemo*>(FContent)) {
    return;
  }
  InternalSetEditValue(value);
  if (!guard.Alive()) return;
  SetEditModified(true);
  if (auto* img = dynamic_cast<TcxPopupImage*>(FContent)) {
    TcxCustomBlobEditProperties* own = GetProperties();
    if (own->OnAssignPicture) own->OnAssignPicture(this, img->GetPicture());
    if (guard.Alive() && active != own && active->OnAssignPicture) active->OnAssignPicture(this, img->GetPicture());
  }
  if (guard.Alive() && active->GetImmediatePost() && CanPostEditValue()) PostEditValue(false);
}

void TcxCustomBlobEdit::PopupWindowClosed() {
  TcxEditLifeGuard guard(this);
  const TcxEditCloseUpReason reason = CloseUpReason();
  // Typing does not always reach the content's change event before the close: what the
  // content holds now against what it opened with decides too.
  if (FContent && !FContentModified) {
    const Variant now = ContentValue();
    FContentModified = now.VType() != FOpenValue.VType() || VarToStr(now) != VarToStr(FOpenValue);
  }
  const bool save = FContentModified && (reason == TcxEditCloseUpReason::crEnter ||
                                         (reason != TcxEditCloseUpReason::crCancel && ActiveBlobProperties()->GetAlwaysSaveData()));
  FContentModified = false;
  if (save && DoEditing() && guard.Alive()) SaveContent();
  if (guard.Alive()) inherited::PopupWindowClosed();
}

String TcxCustomBlobEdit::GetBlobEditText() {
  const Variant value = EditValue();
  if (InState(TComponentStateItem::csDesigning)) return IsNull(value) ? String() : VarToStr(value);
  if (ActiveBlobProperties()->ResolveKind() != bekMemo) return String();
  if (auto* m = dynamic_cast<TcxPopupMemo*>(FContent); m && GetDroppedDown()) return VarToStr(m->GetDisplayValue());
  return IsString(value) ? value.AsString() : String();
}

void TcxCustomBlobEdit::SetBlobEditText(const String& Value) {
  if (!InState(TComponentStateItem::csDesigning) && ActiveBlobProperties()->ResolveKind() == bekMemo) {
    if (auto* m = dynamic_cast<TcxPopupMemo*>(FContent); m && GetDroppedDown()) {
      m->SetEditValue(Variant(Value));
      return;
    }
  } else if (!InState(TComponentStateItem::csDesigning)) {
    return;
  }
  SetEditValue(Variant(Value));
}

TL_DEFINE_CLASS(TcxCustomBlobEdit)

TL_DEFINE_CLASS(TcxBlobEdit, [](auto& c) {
  using T = TcxCustomBlobEdit;
  c.Property("AutoSize", &T::GetAutoSize, &T::SetAutoSize).Default(true);
  c.Property("BeepOnEnter", &T::GetBeepOnEnter, &T::SetBeepOnEnter).Default(true);
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
  c.Property("Text", &T::GetBlobEditText, &T::SetBlobEditText);
  c.Event("OnEditing", &T::OnEditing);
});

// ---- unit start-up -------------------------------------------------------------------------------

namespace {
int gBlobInitCount = 0;
TImageList* gBlobIcons = nullptr;
}  // namespace

TImageList* cxBlobEditIcons() { return gBlobIcons; }

void cxBlobEdit::Initialize() {
  if (gBlobInitCount++ > 0) return;
  cxImage::Initialize();
  gBlobIcons = cxLoadResourceImageList({"CXBMBLOB_BLOB_NULL", "CXBMBLOB_BLOB", "CXBMBLOB_MEMO_NULL", "CXBMBLOB_MEMO",
                                        "CXBMBLOB_PICT_NULL", "CXBMBLOB_PICT", "CXBMBLOB_OLE_NULL", "CXBMBLOB_OLE"},
                                       TColor(0x008080));
  cxRegisterEditor(TcxBlobEditProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryBlobItem), TcxBlobEdit::StaticClass());
}

void cxBlobEdit::Finalize() {
  if (gBlobInitCount == 0 || --gBlobInitCount > 0) return;
  cxUnregisterEditor(TcxBlobEditProperties::StaticClass(), TcxBlobEdit::StaticClass());
  FreeAndNil(gBlobIcons);
  cxImage::Finalize();
}
