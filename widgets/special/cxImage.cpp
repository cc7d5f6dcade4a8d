#include "widgets/special/cxImage.h"

#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "classlib/visual/Clipbrd.h"
#include "classlib/visual/ExtDlgs.h"
#include "widgets/editcore/cxEditPaintUtils.h"

#include <algorithm>
#include <list>
#include <unordered_map>

const TResStringRec scxSEditRepositoryImageItem = {65313, "Image|Represents an image editor"};
const TResStringRec cxSMenuItemCaptionCut = {65366, "Cu&t"};
const TResStringRec cxSMenuItemCaptionCopy = {65367, "&Copy"};
const TResStringRec cxSMenuItemCaptionPaste = {65368, "&Paste"};
const TResStringRec cxSMenuItemCaptionDelete = {65369, "&Delete"};
const TResStringRec cxSMenuItemCaptionLoad = {65370, "&Load..."};
const TResStringRec cxSMenuItemCaptionSave = {65371, "Save &As..."};

// ---- graphic classes ---------------------------------------------------------------------------

namespace {

std::vector<TGraphicClass>& GraphicClasses() {
  static std::vector<TGraphicClass> classes;
  return classes;
}

void EnsureGraphicClasses() {
  if (!GraphicClasses().empty()) return;
  RegisterGraphicClass(ClassOf<TBitmap, TGraphic>());
  RegisterGraphicClass(ClassOf<TIcon, TGraphic>());
  RegisterGraphicClass(ClassOf<TMetafile, TGraphic>());
  RegisterGraphicClass(ClassOf<TJPEGImage, TGraphic>());
}

bool IsClass(TGraphicClass A, const TClass& B) { return A && A.Class == &B; }

}  // namespace

const std::vector<TGraphicClass>& GetRegisteredGraphicClasses() {
  EnsureGraphicClasses();
  return GraphicClasses();
}

void RegisterGraphicClass(TGraphicClass AGraphicClass) {
  if (!AGraphicClass) return;
  auto& v = GraphicClasses();
  if (std::find(v.begin(), v.end(), AGraphicClass) == v.end()) v.push_back(AGraphicClass);
}

TGraphicClass GetGraphicClassByName(const String& AClassName) {
  for (const TGraphicClass& c : GetRegisteredGraphicClasses())
    if (SameText(c.Class->ClassName(), AClassName)) return c;
  return {};
}

TGraphicClass cxGetDefaultGraphicClass() { return GetRegisteredGraphicClasses().front(); }

// ---- picture bytes -----------------------------------------------------------------------------

bool cxHasGraphicHeader(const String& AValue) {
  if (AValue.size() < 8) return false;
  const auto* p = reinterpret_cast<const Byte*>(AValue.data());
  const uint32_t size = uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
  return p[0] == 1 && p[1] == 0 && p[2] == 0 && p[3] == 1 && uint64_t(size) == AValue.size() - 8;
}

namespace {

// The graphic the bytes hold, made with the class (the picture's bitmap kind without one).
Owned<TGraphic> GraphicOfBytes(const String& AValue, TGraphicClass AGraphicClass) {
  const size_t start = cxHasGraphicHeader(AValue) ? 8 : 0;
  Owned<TMemoryStream> s(New<TMemoryStream>());
  if (AValue.size() > start) s->WriteBuffer(AValue.data() + start, Integer(AValue.size() - start));
  s->SetPosition(0);
  Owned<TGraphic> g(AGraphicClass ? AGraphicClass.Create() : New<TBitmap>());
  g->LoadFromStream(*s);
  return g;
}

bool ValueHasBytes(const Variant& AValue, String& ABytes) {
  if (!(AValue.VType() == varString || AValue.VType() == varOleStr)) return false;
  ABytes = AValue.AsString();
  const size_t start = cxHasGraphicHeader(ABytes) ? 8 : 0;
  return ABytes.size() > start;
}

}  // namespace

void LoadPicture(TPicture* APicture, TGraphicClass AGraphicClass, const Variant& AValue) {
  String bytes;
  if (!ValueHasBytes(AValue, bytes)) {
    APicture->Assign(nullptr);
    return;
  }
  Owned<TGraphic> g = GraphicOfBytes(bytes, AGraphicClass);
  APicture->SetGraphic(g.get());
}

String SavePicture(TPicture* APicture) {
  TGraphic* g = APicture ? APicture->GetGraphic() : nullptr;
  if (!g || g->Empty()) return String();
  Owned<TMemoryStream> s(New<TMemoryStream>());
  g->SaveToStream(*s);
  return String(reinterpret_cast<const char*>(s->Memory()), size_t(s->GetSize()));
}

// ---- the picture cache -------------------------------------------------------------------------

namespace {

// Two independent 64-bit hashes of the bytes and their length: a collision of both is far
// too unlikely to show a wrong picture.
struct CacheKey {
  uint64_t Fnv = 0, Std = 0;
  size_t Size = 0;
  const TClass* Class = nullptr;
  TcxImageTransparency Transparency = TcxImageTransparency::gtDefault;
  bool operator==(const CacheKey&) const = default;
};

struct CacheKeyHash {
  size_t operator()(const CacheKey& k) const {
    return size_t(k.Fnv ^ (k.Std * 31) ^ uintptr_t(k.Class) ^ uint64_t(Ord(k.Transparency)) << 3);
  }
};

CacheKey KeyOf(const String& AValue, TGraphicClass AGraphicClass, TcxImageTransparency ATransparency) {
  CacheKey k;
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : AValue) h = (h ^ c) * 1099511628211ull;
  k.Fnv = h;
  k.Std = std::hash<std::string_view>()(std::string_view(AValue));
  k.Size = AValue.size();
  k.Class = AGraphicClass.Class;
  k.Transparency = ATransparency;
  return k;
}

struct CacheState {
  std::list<std::pair<CacheKey, std::shared_ptr<TGraphic>>> Order;  // most recent first
  std::unordered_map<CacheKey, decltype(Order)::iterator, CacheKeyHash> Index;
  size_t Decodes = 0;
};

CacheState& Cache() {
  static CacheState state;
  return state;
}

}  // namespace

std::shared_ptr<TGraphic> TcxImagePictureCache::Get(const String& AValue, TGraphicClass AGraphicClass) {
  return Get(AValue, AGraphicClass, TcxImageTransparency::gtDefault);
}

std::shared_ptr<TGraphic> TcxImagePictureCache::Get(const String& AValue, TGraphicClass AGraphicClass,
                                                    TcxImageTransparency ATransparency) {
  String bytes;
  if (!ValueHasBytes(Variant(AValue), bytes)) return nullptr;
  CacheState& c = Cache();
  const CacheKey key = KeyOf(AValue, AGraphicClass, ATransparency);
  if (auto it = c.Index.find(key); it != c.Index.end()) {
    c.Order.splice(c.Order.begin(), c.Order, it->second);
    return it->second->second;
  }
  std::shared_ptr<TGraphic> graphic;
  ++c.Decodes;
  try {
    Owned<TGraphic> g = GraphicOfBytes(AValue, AGraphicClass);
    if (ATransparency != TcxImageTransparency::gtDefault)
      g->SetTransparent(ATransparency == TcxImageTransparency::gtTransparent);
    graphic.reset(g.release(), [](TGraphic* p) { p->Free(); });
  } catch (const Exception&) {
    graphic = nullptr;  // remembered as broken
  }
  c.Order.emplace_front(key, graphic);
  c.Index[key] = c.Order.begin();
  if (c.Order.size() > kCapacity) {
    c.Index.erase(c.Order.back().first);
    c.Order.pop_back();
  }
  return graphic;
}

void TcxImagePictureCache::Clear() {
  Cache().Index.clear();
  Cache().Order.clear();
}

size_t TcxImagePictureCache::DecodeCount() { return Cache().Decodes; }

// ---- layout ------------------------------------------------------------------------------------

TRect cxImageCalcPictureRect(const TRect& C, Integer AWidth, Integer AHeight, bool AStretch, bool ACenter,
                             const TPoint& AScrollOffset) {
  if (AWidth <= 0 || AHeight <= 0) return TRect{C.Left, C.Top, C.Left, C.Top};
  const int64_t cw = C.Width(), ch = C.Height(), w = AWidth, h = AHeight;
  TRect R;
  if (AStretch) {
    if (cw <= 0 || ch <= 0) {
      R = C;
    } else if (cw * h >= w * ch) {
      // The client is at least as wide as the picture's proportion: the height decides.
      R = TRect{C.Left, C.Top, Integer(C.Left + ch * w / h), C.Bottom};
    } else {
      R = TRect{C.Left, C.Top, C.Right, Integer(C.Top + cw * h / w)};
    }
  } else {
    R = TRect{C.Left, C.Top, Integer(std::min<int64_t>(C.Left + w, INT32_MAX)),
              Integer(std::min<int64_t>(C.Top + h, INT32_MAX))};
  }
  if (ACenter) {
    const Integer dx = Integer((cw - R.Width()) / 2), dy = Integer((ch - R.Height()) / 2);
    R = TRect{R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy};
  } else if (!AStretch) {
    R = TRect{R.Left - AScrollOffset.X, R.Top - AScrollOffset.Y, R.Right - AScrollOffset.X,
              R.Bottom - AScrollOffset.Y};
  }
  return R;
}

// ---- popup menu layout -------------------------------------------------------------------------

void TcxPopupMenuLayout::BeforeDestruction() {
  FreeAndNil(FCustomMenuItemGlyph);
  inherited::BeforeDestruction();
}

TBitmap* TcxPopupMenuLayout::GetCustomMenuItemGlyph() {
  if (!FCustomMenuItemGlyph) FCustomMenuItemGlyph = New<TBitmap>();
  return FCustomMenuItemGlyph;
}

void TcxPopupMenuLayout::SetCustomMenuItemGlyph(TBitmap* Value) {
  if (!Value) {
    FreeAndNil(FCustomMenuItemGlyph);
    return;
  }
  GetCustomMenuItemGlyph()->Assign(Value);
}

void TcxPopupMenuLayout::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxPopupMenuLayout*>(Source);
  if (!src) return inherited::Assign(Source);
  FMenuItems = src->FMenuItems;
  FCustomMenuItemCaption = src->FCustomMenuItemCaption;
  SetCustomMenuItemGlyph(src->HasCustomMenuItemGlyph() ? src->FCustomMenuItemGlyph : nullptr);
}

TL_DEFINE_CLASS(TcxPopupMenuLayout, [](auto& c) {
  using T = TcxPopupMenuLayout;
  c.Property("MenuItems", &T::GetMenuItems, &T::SetMenuItems).Default(TcxPopupMenuLayout::DefaultMenuItems());
  c.Property("CustomMenuItemCaption", &T::GetCustomMenuItemCaption, &T::SetCustomMenuItemCaption);
  c.Property("CustomMenuItemGlyph", &T::GetCustomMenuItemGlyph, &T::SetCustomMenuItemGlyph)
      .Stored(&T::HasCustomMenuItemGlyph);
});

// ---- properties --------------------------------------------------------------------------------

TcxCustomImageProperties::TcxCustomImageProperties(TPersistent* AOwner) : TcxCustomEditProperties(AOwner) {
  FGraphicClass = cxGetDefaultGraphicClass();
  FPopupMenuLayout = New<TcxPopupMenuLayout>(this);
}

void TcxCustomImageProperties::BeforeDestruction() {
  FreeAndNil(FPopupMenuLayout);
  inherited::BeforeDestruction();
}

void TcxCustomImageProperties::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TcxCustomImageProperties*>(Source);
  if (!src) return inherited::Assign(Source);
  auto update = UpdateBracket(this);
  inherited::Assign(Source);
  SetCaption(src->FCaption);
  SetCenter(src->FCenter);
  SetCustomFilter(src->FCustomFilter);
  SetGraphicClass(src->FGraphicClass);
  SetGraphicTransparency(src->FGraphicTransparency);
  FPopupMenuLayout->Assign(src->FPopupMenuLayout);
  SetShowFocusRect(src->FShowFocusRect);
  SetStretch(src->FStretch);
  OnAssignPicture = src->OnAssignPicture;
  OnCustomClick = src->OnCustomClick;
  OnGetGraphicClass = src->OnGetGraphicClass;
}

TcxCustomEditViewDataClass TcxCustomImageProperties::GetViewDataClass() const {
  return ClassOf<TcxImageViewData, TcxCustomEditViewData, TcxCustomEditProperties*, TcxCustomEditStyle*, bool>();
}

TcxCustomEditViewInfoClass TcxCustomImageProperties::GetViewInfoClass() const {
  return ClassOf<TcxImageViewInfo, TcxCustomEditViewInfo>();
}

TcxCustomEditClass TcxCustomImageProperties::GetContainerClass() const {
  return ClassOf<TcxImage, TcxCustomEdit, TComponent*, bool>();
}

TcxCustomEditProperties* TcxCustomImageProperties::CreateSameClass() const {
  return New<TcxCustomImageProperties>(nullptr);
}

TcxEditSupportedOperations TcxCustomImageProperties::GetSupportedOperations() const {
  TcxEditSupportedOperations ops = inherited::GetSupportedOperations();
  ops.Include(TcxEditSupportedOperation::esoAutoHeight);
  ops.Include(TcxEditSupportedOperation::esoEditing);
  return ops;
}

void TcxCustomImageProperties::ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                                                    IcxEditPropertiesHost* AEdit) {
  if (OnAssignPicture)
    if (auto* image = dynamic_cast<TcxCustomImage*>(AEdit)) OnAssignPicture(image, image->GetPicture());
  inherited::ValidateDisplayValue(DisplayValue, ErrorText, Error, AEdit);
}

String TcxCustomImageProperties::GetDisplayText(const Variant& AEditValue) const {
  return AEditValue.VType() == varNull || AEditValue.VType() == varEmpty ? String() : FCaption;
}

TGraphicClass TcxCustomImageProperties::GetGraphicClass(TObject* AItem, Integer ARecordIndex,
                                                        bool APastingFromClipboard) {
  TGraphicClass result = FGraphicClass;
  if (!result && APastingFromClipboard) result = ClassOf<TBitmap, TGraphic>();
  if (OnGetGraphicClass && !FGraphicClass) OnGetGraphicClass(AItem, ARecordIndex, APastingFromClipboard, result);
  return result;
}

void TcxCustomImageProperties::SetCaption(const String& Value) {
  if (FCaption == Value) return;
  FCaption = Value;
  Changed();
}

void TcxCustomImageProperties::SetCenter(bool Value) {
  if (FCenter == Value) return;
  FCenter = Value;
  Changed();
}

void TcxCustomImageProperties::SetCustomFilter(const String& Value) {
  if (FCustomFilter == Value) return;
  FCustomFilter = Value;
  Changed();
}

void TcxCustomImageProperties::SetGraphicClass(TGraphicClass Value) {
  if (FGraphicClass == Value) return;
  FGraphicClass = Value;
  Changed();
}

String TcxCustomImageProperties::GetGraphicClassName() const {
  return FGraphicClass ? FGraphicClass.Class->ClassName() : String();
}

void TcxCustomImageProperties::SetGraphicClassName(const String& Value) {
  if (Value.empty()) {
    SetGraphicClass({});
    return;
  }
  if (TGraphicClass c = GetGraphicClassByName(Value)) SetGraphicClass(c);
}

void TcxCustomImageProperties::SetGraphicTransparency(TcxImageTransparency Value) {
  if (FGraphicTransparency == Value) return;
  FGraphicTransparency = Value;
  Changed();
}

void TcxCustomImageProperties::SetShowFocusRect(bool Value) {
  if (FShowFocusRect == Value) return;
  FShowFocusRect = Value;
  Changed();
}

void TcxCustomImageProperties::SetStretch(bool Value) {
  if (FStretch == Value) return;
  FStretch = Value;
  Changed();
}

void TcxCustomImageProperties::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  // The default class is TBitmap, so "no class" needs an entry of its own.
  Filer.DefineProperty(
      "IsGraphicClassNameEmpty",
      [this](TReader& Reader) {
        if (Reader.ReadBoolean()) SetGraphicClass({});
      },
      [](TWriter& Writer) { Writer.WriteBoolean(true); }, !FGraphicClass);
}

TL_DEFINE_CLASS(TcxCustomImageProperties, [](auto&) {});

TcxCustomEditProperties* TcxImageProperties::CreateSameClass() const { return New<TcxImageProperties>(nullptr); }

TL_DEFINE_CLASS(TcxImageProperties, [](auto& c) {
  using T = TcxCustomImageProperties;
  c.Property("Caption", &T::GetCaption, &T::SetCaption);
  c.Property("Center", &T::GetCenter, &T::SetCenter).Default(true);
  c.Property("CustomFilter", &T::GetCustomFilter, &T::SetCustomFilter);
  c.Property("GraphicClassName", &T::GetGraphicClassName, &T::SetGraphicClassName)
      .Stored(&T::IsGraphicClassNameStored);
  c.Property("GraphicTransparency", &T::GetGraphicTransparency, &T::SetGraphicTransparency)
      .Default(TcxImageTransparency::gtDefault);
  c.Property("ImmediatePost", &T::GetImmediatePost, &T::SetImmediatePost).Default(false);
  c.Property("PopupMenuLayout", &T::GetPopupMenuLayout, &T::SetPopupMenuLayout);
  c.Property("ShowFocusRect", &T::GetShowFocusRect, &T::SetShowFocusRect).Default(true);
  c.Property("Stretch", &T::GetStretch, &T::SetStretch).Default(false);
  c.Event("OnAssignPicture", &T::OnAssignPicture);
  c.Event("OnChange", &T::OnChange);
  c.Event("OnCustomClick", &T::OnCustomClick);
  c.Event("OnEditValueChanged", &T::OnEditValueChanged);
  c.Event("OnGetGraphicClass", &T::OnGetGraphicClass);
});

// ---- view info ---------------------------------------------------------------------------------

void TcxImageViewInfo::BeforeDestruction() {
  FreeAndNil(FTransparentCache);
  FCached.reset();
  inherited::BeforeDestruction();
}

void TcxImageViewInfo::Assign(TcxContainerViewInfo* Source) {
  inherited::Assign(Source);
  auto* src = dynamic_cast<TcxImageViewInfo*>(Source);
  if (!src) return;
  Caption = src->Caption;
  Center = src->Center;
  Stretch = src->Stretch;
  ShowFocusRect = src->ShowFocusRect;
  TopLeft = src->TopLeft;
  TextColor = src->TextColor;
  FGraphic = src->FGraphic;
  FCached = src->FCached;
}

TRect TcxImageViewInfo::PictureRect() const {
  TRect C = ClientRect;
  if (ShowFocusRect) C = TRect{C.Left + 1, C.Top + 1, C.Right - 1, C.Bottom - 1};
  if (!HasPicture()) return TRect{C.Left, C.Top, C.Left, C.Top};
  return cxImageCalcPictureRect(C, FGraphic->GetWidth(), FGraphic->GetHeight(), Stretch, Center, TopLeft);
}

void TcxImageViewInfo::InternalPaint(TcxCanvas& ACanvas) {
  if (!HasPicture()) {
    inherited::InternalPaint(ACanvas);
    if (!Caption.empty()) {
      ACanvas.SetFont(Font);
      ACanvas.GetFont()->SetColor(TextColor);
      ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
      ACanvas.DrawText(Caption, ClientRect, cxAlignHCenter | cxAlignVCenter | cxSingleLine, Enabled);
      ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
    }
    if (ShowFocusRect) ACanvas.DrawFocusRect(ClientRect);
    return;
  }
  TRect C = ClientRect;
  TcxRegion* saved = ACanvas.GetClipRegion();
  ACanvas.ExcludeClipRect(C);
  cxDrawEditBackgroundAndButtons(ACanvas, *this);
  ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet, true, false);
  if (ShowFocusRect) {
    ACanvas.GetBrush()->SetStyle(TBrushStyle::bsClear);
    ACanvas.DrawFocusRect(C);
    ACanvas.GetBrush()->SetStyle(TBrushStyle::bsSolid);
    C = TRect{C.Left + 1, C.Top + 1, C.Right - 1, C.Bottom - 1};
  }
  const TRect R = PictureRect();
  ACanvas.IntersectClipRect(C);
  if (Transparent) {
    ACanvas.Canvas()->StretchDraw(R, FGraphic);
  } else if (FGraphic->GetTransparent()) {
    // Drawn over the background colour off screen, then copied: no flicker of the
    // background through the picture.
    if (!FTransparentCache) FTransparentCache = New<TBitmap>();
    FTransparentCache->SetSize(std::max(R.Width(), 0), std::max(R.Height(), 0));
    if (!FTransparentCache->Empty()) {
      TCanvas* c = FTransparentCache->Canvas();
      c->Brush()->SetColor(BackgroundColor);
      c->FillRect(Rect(0, 0, R.Width(), R.Height()));
      c->StretchDraw(Rect(0, 0, R.Width(), R.Height()), FGraphic);
      ACanvas.Draw(R.Left, R.Top, FTransparentCache);
    }
  } else {
    ACanvas.Canvas()->StretchDraw(R, FGraphic);
  }
  if (!Transparent && (R.Left > C.Left || R.Top > C.Top || R.Right < C.Right || R.Bottom < C.Bottom)) {
    ACanvas.ExcludeClipRect(R);
    cxFillRectByColor(ACanvas, C, BackgroundColor);
  }
  ACanvas.SetClipRegion(saved, TcxRegionOperation::roSet);
}

TL_DEFINE_CLASS(TcxImageViewInfo)

// ---- view data ---------------------------------------------------------------------------------

TcxCustomImageProperties* TcxImageViewData::ImageProperties() const {
  return dynamic_cast<TcxCustomImageProperties*>(Properties);
}

void TcxImageViewData::Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) {
  inherited::Calculate(ACanvas, ABounds, P, AButton, AShift, AViewInfo, AIsMouseEvent);
  auto* vi = dynamic_cast<TcxImageViewInfo*>(AViewInfo);
  TcxCustomImageProperties* p = ImageProperties();
  if (!vi || !p) return;
  vi->Caption = p->GetCaption();
  vi->Center = p->GetCenter();
  vi->Stretch = p->GetStretch();
  vi->ShowFocusRect = p->GetShowFocusRect() && Focused && !IsInplace;
  vi->TextColor = TextColor == clDefault ? Style->GetTextColor() : TextColor;
  auto* image = dynamic_cast<TcxCustomImage*>(Edit);
  if (image) {
    vi->SetGraphic(image->GetPicture()->GetGraphic());
    vi->TopLeft = vi->Center || vi->Stretch ? TPoint{0, 0} : image->ScrollPos();
  } else {
    vi->TopLeft = TPoint{0, 0};
  }
}

void TcxImageViewData::EditValueToDrawValue(TcxCanvas&, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) {
  auto* vi = dynamic_cast<TcxImageViewInfo*>(AViewInfo);
  TcxCustomImageProperties* p = ImageProperties();
  if (!vi || !p) return;
  String bytes;
  if (!ValueHasBytes(AEditValue, bytes)) {
    vi->SetGraphic(nullptr);
    return;
  }
  TGraphicClass cls;
  try {
    cls = p->GetGraphicClass(Item, RecordIndex);
  } catch (const Exception&) {
    cls = {};
  }
  vi->SetCachedGraphic(TcxImagePictureCache::Get(bytes, cls, p->GetGraphicTransparency()));
}

TSize TcxImageViewData::InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                                   const TcxEditSizeProperties&) {
  TcxCustomImageProperties* p = ImageProperties();
  if (!IsInplace) {
    auto* image = dynamic_cast<TcxCustomImage*>(Edit);
    if (!image) return TSize{0, 0};
    return TSize{image->GetPicture()->GetWidth(), image->GetPicture()->GetHeight()};
  }
  if (Edit) {
    const TRect border = GetBorderExtent();
    return TSize{Edit->GetWidth(), Edit->GetClientHeight() - border.Top - border.Bottom};
  }
  TSize size{0, p ? p->InplaceDefaultHeight() : 15};
  String bytes;
  if (ValueHasBytes(AEditValue, bytes)) {
    std::shared_ptr<TGraphic> g = TcxImagePictureCache::Get(bytes, p ? p->GetGraphicClass(Item, RecordIndex) : TGraphicClass{});
    if (g) size = TSize{g->GetWidth(), g->GetHeight()};
  } else if (p && !p->GetCaption().empty()) {
    ACanvas.SetFont(Style->GetVisibleFont());
    size = TSize{ACanvas.TextWidth(p->GetCaption()), ACanvas.TextHeight(p->GetCaption())};
  }
  return size;
}

TL_DEFINE_CLASS(TcxImageViewData)

// ---- control -----------------------------------------------------------------------------------

void TcxCustomImage::Initialize() {
  inherited::Initialize();
  SetAutoSize(false);
  SetBounds(GetLeft(), GetTop(), 140, 100);
  FPicture = New<TPicture>();
  FPicture->OnChange = TNotifyEvent(this, &TcxCustomImage::PictureChanged);
  ClipboardFormat = Word(CF_PICTURE);
  SetScrollBars(TScrollStyle::ssBoth);
}

void TcxCustomImage::BeforeDestruction() {
  if (FPicture) FPicture->OnChange = nullptr;
  FreeAndNil(FPopupMenu);
  inherited::BeforeDestruction();
  FreeAndNil(FPicture);
}

TcxCustomEditPropertiesClass TcxCustomImage::GetPropertiesClass() {
  return ClassOf<TcxImageProperties, TcxCustomEditProperties, TPersistent*>();
}

bool TcxCustomImage::IsPictureEmpty() const {
  TGraphic* g = FPicture ? FPicture->GetGraphic() : nullptr;
  return !g || g->Empty();
}

Variant TcxCustomImage::GetEditValue() {
  if (IsPictureEmpty()) return FUnloadedValue.VType() == varString ? FUnloadedValue : Variant::MakeNull();
  return Variant(SavePicture(FPicture));
}

void TcxCustomImage::InternalSetEditValue(const Variant& AValue, bool AValidateEditValue) {
  const bool old = FInternalChange;
  FInternalChange = true;
  Variant unloaded;
  try {
    LoadPicture(FPicture, GetGraphicClass(false), AValue);
  } catch (const Exception&) {
    // Bytes that do not load are shown as no picture and kept as the value.
    FPicture->Assign(nullptr);
    unloaded = AValue;
  }
  FInternalChange = old;
  FUnloadedValue = unloaded;
  inherited::InternalSetEditValue(AValue, AValidateEditValue);
  RecalcViewAtCursor();
}

void TcxCustomImage::PictureChanged(TObject*) {
  {
    // Posting the value reaches the binding's handlers, which may free the image.
    auto lock = WatchedPairedCall(
        this, [this] { LockChangeEvents(true); }, [this] { LockChangeEvents(false); });
    TcxCustomImageProperties* p = ActiveImageProperties();
    TGraphic* g = FPicture->GetGraphic();
    if (p->GetGraphicTransparency() != TcxImageTransparency::gtDefault && g) {
      FPicture->OnChange = nullptr;
      g->SetTransparent(p->GetGraphicTransparency() == TcxImageTransparency::gtTransparent);
      FPicture->OnChange = TNotifyEvent(this, &TcxCustomImage::PictureChanged);
    }
    // The view never keeps a graphic the picture has let go.
    if (TcxImageViewInfo* vi = ImageViewInfo()) vi->SetGraphic(FPicture->GetGraphic());
    if (!IsLoading()) FScrollPos = TPoint{0, 0};
    if (!FInternalChange) {
      FUnloadedValue = Variant::MakeNull();
      if (IsUserInput()) SetDisplayValueModified(true);
      DoChange();
      if (!lock.Alive()) return;
      RecalcViewAtCursor();
      if (!lock.Alive()) return;
    }
    if (!FInternalChange && p->GetImmediatePost() && CanPostEditValue() && ValidateDisplayText(true))
      PostEditValue(false);
    if (!lock.Alive()) return;
  }
  UpdateScrollBars();
  Invalidate();
}

void TcxCustomImage::PropertiesChanged(TObject* Sender) {
  TWeakLink alive(this);  // placing the inner edit runs its OnResize, which may free this
  inherited::PropertiesChanged(Sender);
  if (!alive.Alive()) return;
  if (FPicture && !IsDestroying()) UpdateScrollBars();
}

bool TcxCustomImage::IsAutoSizeActive() const { return inherited::IsAutoSizeActive() && !IsPictureEmpty(); }

TGraphicClass TcxCustomImage::GetGraphicClass(bool APastingFromClipboard) {
  TcxCustomImageProperties* p = ActiveImageProperties();
  if (IsInplace()) return p->GetGraphicClass(nullptr, -1, APastingFromClipboard);
  TGraphicClass result = p->GetStoredGraphicClass();
  if (!result && APastingFromClipboard) result = ClassOf<TBitmap, TGraphic>();
  if (OnGetGraphicClass && !p->GetStoredGraphicClass()) OnGetGraphicClass(this, APastingFromClipboard, result);
  return result;
}

bool TcxCustomImage::CanPasteFromClipboard() {
  if (!Clipboard) return false;
  const TGraphicClass cls = GetGraphicClass(true);
  if (!cls) return Clipboard->HasFormat(CF_PICTURE);
  if (IsClass(cls, TBitmap::StaticClass()) || IsClass(cls, TJPEGImage::StaticClass()))
    return Clipboard->HasFormat(CF_BITMAP);
  if (IsClass(cls, TMetafile::StaticClass())) return Clipboard->HasFormat(CF_METAFILEPICT);
  if (IsClass(cls, TIcon::StaticClass())) return false;
  return ClipboardFormat != 0 && Clipboard->HasFormat(ClipboardFormat);
}

void TcxCustomImage::PasteFromClipboard() {
  if (!CanPasteFromClipboard() || !DoEditing()) return;
  if (Clipboard->HasFormat(CF_BITMAP)) {
    Owned<TBitmap> b(New<TBitmap>());
    b->Assign(Clipboard);
    if (IsClass(GetGraphicClass(true), TJPEGImage::StaticClass())) {
      Owned<TJPEGImage> j(New<TJPEGImage>());
      j->Assign(b.get());
      FPicture->SetGraphic(j.get());
    } else {
      FPicture->SetGraphic(b.get());
    }
  } else {
    FPicture->Assign(Clipboard);
  }
}

bool TcxCustomImage::CanCopyGraphic() const {
  return !IsPictureEmpty() && !dynamic_cast<TIcon*>(FPicture->GetGraphic());
}

void TcxCustomImage::CopyToClipboard() {
  if (!IsPictureEmpty() && Clipboard) Clipboard->Assign(FPicture);
}

void TcxCustomImage::CutToClipboard() {
  CopyToClipboard();
  Clear();
}

void TcxCustomImage::Clear() {
  if (DoEditing()) FPicture->SetGraphic(nullptr);
}

void TcxCustomImage::DoOnCustomClick() {
  TcxCustomImageProperties* active = ActiveImageProperties();
  if (active->OnCustomClick) active->OnCustomClick(this);
  if (HasRepositoryItem() && GetProperties()->OnCustomClick) GetProperties()->OnCustomClick(this);
}

void TcxCustomImage::DoLoadResult(bool ALoaded) {
  DoClosePopup(ALoaded ? TcxEditCloseUpReason::crEnter : TcxEditCloseUpReason::crCancel);
}

bool TcxCustomImage::LoadFromFile() {
  if (!CanModify()) return false;
  Owned<TOpenPictureDialog> dialog(New<TOpenPictureDialog>(nullptr));
  const String& custom = ActiveImageProperties()->GetCustomFilter();
  const TGraphicClass cls = GetGraphicClass(false);
  dialog->Filter = !custom.empty() ? custom : GraphicFilter(cls ? cls : AnyGraphicClass());
  bool chosen = false;
  {
    FIsDialogShowing = true;
    TScopeExit reset([this] { FIsDialogShowing = false; });
    chosen = dialog->Execute();
  }
  const bool loaded = chosen && DoEditing();
  if (loaded) FPicture->LoadFromFile(dialog->FileName);
  DoLoadResult(loaded);
  return loaded;
}

void TcxCustomImage::SaveToFile() {
  if (IsPictureEmpty()) return;
  Owned<TSavePictureDialog> dialog(New<TSavePictureDialog>(nullptr));
  const String& custom = ActiveImageProperties()->GetCustomFilter();
  const TGraphicClass cls = GraphicClassByName(FPicture->GetGraphic()->ClassName());
  dialog->Filter = !custom.empty() ? custom : GraphicFilter(cls ? cls : AnyGraphicClass());
  dialog->DefaultExt = GraphicExtension(cls);
  if (dialog->Execute()) FPicture->SaveToFile(dialog->FileName);
}

void TcxCustomImage::DoEditKeyDown(Word& Key, TShiftState Shift) {
  inherited::DoEditKeyDown(Key, Shift);
  if (Key == 0) return;
  const bool shift = Shift.Contains(TShiftStateItem::ssShift), ctrl = Shift.Contains(TShiftStateItem::ssCtrl);
  AsUserInput([&] {
    if (Key == VK_INSERT && shift) {
      PasteFromClipboard();
      Key = 0;
    } else if (Key == VK_INSERT && ctrl) {
      CopyToClipboard();
      Key = 0;
    } else if (Key == VK_DELETE && shift) {
      CutToClipboard();
      Key = 0;
    }
  });
}

void TcxCustomImage::DoEditKeyPress(Char& Key) {
  inherited::DoEditKeyPress(Key);
  AsUserInput([&] {
    switch (Byte(Key)) {
      case 3:
        CopyToClipboard();
        Key = 0;
        break;
      case 22:
        PasteFromClipboard();
        Key = 0;
        break;
      case 24:
        CutToClipboard();
        Key = 0;
        break;
      default:
        break;
    }
  });
}

TPopupMenu* TcxCustomImage::PreparePopupMenu() {
  using enum TcxPopupMenuItem;
  TcxPopupMenuLayout* layout = ActiveImageProperties()->GetPopupMenuLayout();
  if (!FPopupMenu) {
    FPopupMenu = New<TPopupMenu>(nullptr);
    FPopupMenu->SetImages(cxImageMenuImages());
    auto add = [&](const String& caption, Integer tag) {
      TMenuItem* item = New<TMenuItem>(FPopupMenu);
      item->SetCaption(caption);
      item->SetTag(tag);
      item->SetImageIndex(tag >= 0 ? tag : -1);
      if (tag >= 0) item->OnClick = TNotifyEvent(this, &TcxCustomImage::MenuItemClick);
      FPopupMenu->Items()->Add(item);
    };
    for (TcxPopupMenuItem i : {pmiCut, pmiCopy, pmiPaste, pmiDelete}) add(" ", Ord(i));
    add("-", -1);
    for (TcxPopupMenuItem i : {pmiLoad, pmiSave}) add(" ", Ord(i));
    add("-", -1);
    add(" ", Ord(pmiCustom));
  }
  const TcxPopupMenuItems items = layout->GetMenuItems();
  const TResStringRec* captions[] = {&cxSMenuItemCaptionCut,    &cxSMenuItemCaptionCopy, &cxSMenuItemCaptionPaste,
                                     &cxSMenuItemCaptionDelete, &cxSMenuItemCaptionLoad, &cxSMenuItemCaptionSave};
  const bool empty = IsPictureEmpty();
  const bool modifiable = CanModify();
  const bool icon = IsClass(GetGraphicClass(false), TIcon::StaticClass()) ||
                    dynamic_cast<TIcon*>(FPicture->GetGraphic()) != nullptr;
  TMenuItem* root = FPopupMenu->Items();
  for (Integer i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    const Integer tag = item->GetTag();
    if (tag < 0) continue;
    const auto kind = TcxPopupMenuItem(tag);
    item->SetVisible(items.Contains(kind));
    bool enabled = true;
    switch (kind) {
      case pmiCut: enabled = !empty && modifiable && !icon; break;
      case pmiCopy: enabled = !empty && !icon; break;
      case pmiPaste: enabled = modifiable && CanPasteFromClipboard(); break;
      case pmiDelete: enabled = !empty && modifiable; break;
      case pmiLoad: enabled = modifiable; break;
      case pmiSave: enabled = !empty; break;
      case pmiCustom: break;
    }
    item->SetEnabled(enabled);
    if (kind == pmiCustom) {
      item->SetCaption(layout->GetCustomMenuItemCaption().empty() ? String(" ") : layout->GetCustomMenuItemCaption());
      // Its index is past the menu images: the item shows the glyph, or nothing without one.
      item->SetBitmap(layout->HasCustomMenuItemGlyph() ? layout->GetCustomMenuItemGlyph() : nullptr);
    } else
      item->SetCaption(cxGetResourceString(*captions[tag]));
  }
  // The first separator stands between the clipboard and the file commands, the second
  // before the custom one.
  root->Items(4)->SetVisible(items.Contains(pmiLoad) || items.Contains(pmiSave));
  root->Items(7)->SetVisible(items.Contains(pmiCustom));
  return FPopupMenu;
}

void TcxCustomImage::MenuItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  if (!item) return;
  AsUserInput([&] {
    switch (TcxPopupMenuItem(item->GetTag())) {
      case TcxPopupMenuItem::pmiCut: CutToClipboard(); break;
      case TcxPopupMenuItem::pmiCopy: CopyToClipboard(); break;
      case TcxPopupMenuItem::pmiPaste: PasteFromClipboard(); break;
      case TcxPopupMenuItem::pmiDelete: Clear(); break;
      case TcxPopupMenuItem::pmiLoad: LoadFromFile(); break;
      case TcxPopupMenuItem::pmiSave: SaveToFile(); break;
      case TcxPopupMenuItem::pmiCustom: DoOnCustomClick(); break;
    }
  });
}

void TcxCustomImage::DoContextPopup(const TPoint& MousePos, bool& Handled) {
  inherited::DoContextPopup(MousePos, Handled);
  if (Handled || GetPopupMenu() || ActiveImageProperties()->GetPopupMenuLayout()->GetMenuItems().Empty()) return;
  const TPoint p = MousePos.X == -1 && MousePos.Y == -1 ? TPoint{10, 10} : MousePos;
  const TPoint s = ClientToScreen(p);
  cxShowPopupMenu(this, PreparePopupMenu(), s.X, s.Y);
  Handled = true;
}

void TcxCustomImage::InitializeViewData(TcxCustomEditViewData* AViewData) {
  inherited::InitializeViewData(AViewData);
}

// ---- scrolling ----

TRect TcxCustomImage::PictureClientRect() const {
  TcxImageViewInfo* vi = ImageViewInfo();
  return vi ? vi->ClientRect : TRect{};
}

void TcxCustomImage::CalculateScrollBarsHook() {
  TcxCustomImageProperties* p = ActiveImageProperties();
  const bool scrolls = !IsInplace() && !IsPictureEmpty() && !p->GetCenter() && !p->GetStretch();
  const TRect C = PictureClientRect();
  const Integer w = scrolls ? FPicture->GetWidth() : 0, h = scrolls ? FPicture->GetHeight() : 0;
  SetScrollBarInfo(TScrollBarKind::sbHorizontal, 0, std::max(w - 1, 0), 8, std::max(C.Width(), 0), FScrollPos.X,
                   true, true);
  SetScrollBarInfo(TScrollBarKind::sbVertical, 0, std::max(h - 1, 0), 8, std::max(C.Height(), 0), FScrollPos.Y,
                   true, true);
}

void TcxCustomImage::Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) {
  const bool horz = AKind == TScrollBarKind::sbHorizontal;
  const TRect C = PictureClientRect();
  const Integer size = horz ? FPicture->GetWidth() : FPicture->GetHeight();
  const Integer page = horz ? C.Width() : C.Height();
  Integer& pos = horz ? FScrollPos.X : FScrollPos.Y;
  Integer next = pos;
  using enum TScrollCode;
  switch (AScrollCode) {
    case scLineUp: next = pos - 8; break;
    case scLineDown: next = pos + 8; break;
    case scPageUp: next = pos - page; break;
    case scPageDown: next = pos + page; break;
    case scPosition:
    case scTrack: next = AScrollPos; break;
    case scTop: next = 0; break;
    case scBottom: next = size; break;
    case scEndScroll: return;
  }
  // A page larger than the picture leaves nothing to scroll, never a negative limit.
  next = std::clamp(next, 0, std::max(0, size - page));
  pos = next;
  AScrollPos = next;
  TcxControlScrollBar* bar = horz ? HScrollBar() : VScrollBar();
  if (bar) bar->Data.Position = next;
  if (TcxImageViewInfo* vi = ImageViewInfo()) vi->TopLeft = FScrollPos;
  Invalidate();
}

void TcxCustomImage::UpdateScrollBars() {
  TcxControl::UpdateScrollBars();
  if (TcxImageViewInfo* vi = ImageViewInfo())
    vi->TopLeft = vi->Center || vi->Stretch ? TPoint{0, 0} : FScrollPos;
}

TL_DEFINE_CLASS(TcxCustomImage)

TL_DEFINE_CLASS(TcxImage, [](auto& c) {
  using T = TcxCustomImage;
  c.Property("AutoSize", &T::GetAutoSize, &T::SetAutoSize).Default(false);
  c.Property("ParentColor", &T::GetParentColor, &T::SetParentColor).Default(false);
  c.Property("Picture", &T::GetPicture, &T::SetPicture);
  c.Property("Properties", &T::GetProperties, &T::SetProperties);
  c.Property("Style", &T::GetStyle, &T::SetStyle);
  c.Property("StyleDisabled", &T::GetStyleDisabled, &T::SetStyleDisabled);
  c.Property("StyleFocused", &T::GetStyleFocused, &T::SetStyleFocused);
  c.Property("StyleHot", &T::GetStyleHot, &T::SetStyleHot);
  c.Event("OnContextPopup", &T::OnContextPopup);
  c.Event("OnEditing", &T::OnEditing);
  c.Event("OnGetGraphicClass", &T::OnGetGraphicClass);
  c.Event("OnMouseEnter", &T::OnMouseEnter);
  c.Event("OnMouseLeave", &T::OnMouseLeave);
});

// ---- unit start-up -----------------------------------------------------------------------------

void TlRegisterResources_widgets_special();

namespace {
int gImageInitCount = 0;
TImageList* gMenuImages = nullptr;
}  // namespace

// Always registered again: a platform restart clears the tables, and a second
// registration of the same items changes nothing.
void cxSpecialRegisterResources() { TlRegisterResources_widgets_special(); }

TImageList* cxImageMenuImages() { return gMenuImages; }

TImageList* cxLoadResourceImageList(std::initializer_list<const char*> ANames, TColor AMaskColor) {
  cxSpecialRegisterResources();
  TImageList* list = New<TImageList>(nullptr);
  bool sized = false;
  for (const char* name : ANames) {
    Owned<TBitmap> b(New<TBitmap>());
    try {
      b->LoadFromResourceName(nullptr, name);
    } catch (const Exception&) {
      continue;
    }
    if (!sized) {
      list->SetWidth(b->GetWidth());
      list->SetHeight(b->GetHeight());
      sized = true;
    }
    list->AddMasked(b.get(), AMaskColor);
  }
  return list;
}

void cxImage::Initialize() {
  if (gImageInitCount++ > 0) return;
  EnsureGraphicClasses();
  gMenuImages = cxLoadResourceImageList({"CXMENUIMAGE_CUT", "CXMENUIMAGE_COPY", "CXMENUIMAGE_PASTE",
                                         "CXMENUIMAGE_DELETE", "CXMENUIMAGE_LOAD", "CXMENUIMAGE_SAVE"},
                                        clDefault);
  cxRegisterEditor(TcxImageProperties::StaticClass(),
                   cxGetResourceString(scxSEditRepositoryImageItem), TcxImage::StaticClass());
}

void cxImage::Finalize() {
  if (gImageInitCount == 0 || --gImageInitCount > 0) return;
  cxUnregisterEditor(TcxImageProperties::StaticClass(), TcxImage::StaticClass());
  TcxImagePictureCache::Clear();
  GraphicClasses().clear();
  FreeAndNil(gMenuImages);
}
