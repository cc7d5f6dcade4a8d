// The image editor: a picture whose edit value is its saved bytes in a string (Null for no
// picture), shown at natural size with scrolling, centred, or fitted in proportion, with
// clipboard commands, shortcuts and a context menu; in a grid cell it shows the picture or
// a caption. Cells decode through a cache keyed by the bytes, so repaints do not decode.
#pragma once

#include "classlib/visual/ImgList.h"
#include "classlib/visual/Menus.h"
#include "classlib/visual/PictureGraphics.h"
#include "widgets/editcore/cxEdit.h"

#include <initializer_list>
#include <memory>

TL_ENUM(TcxImageTransparency, gtDefault, gtOpaque, gtTransparent);
TL_ENUM(TcxPopupMenuItem, pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave, pmiCustom);
using TcxPopupMenuItems = Set<TcxPopupMenuItem>;

using TcxImageAssignPictureEvent = TMethod<void(TObject* Sender, TPicture* Picture)>;
using TcxImageGraphicClassEvent =
    TMethod<void(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard, TGraphicClass& AGraphicClass)>;
using TcxImageEditGraphicClassEvent =
    TMethod<void(TObject* Sender, bool APastingFromClipboard, TGraphicClass& AGraphicClass)>;

extern const TResStringRec scxSEditRepositoryImageItem;
extern const TResStringRec cxSMenuItemCaptionCut;
extern const TResStringRec cxSMenuItemCaptionCopy;
extern const TResStringRec cxSMenuItemCaptionPaste;
extern const TResStringRec cxSMenuItemCaptionDelete;
extern const TResStringRec cxSMenuItemCaptionLoad;
extern const TResStringRec cxSMenuItemCaptionSave;

// ---- graphic classes and picture bytes ----

// TBitmap, TIcon, TMetafile and TJPEGImage, each once, in that order.
const std::vector<TGraphicClass>& GetRegisteredGraphicClasses();
void RegisterGraphicClass(TGraphicClass AGraphicClass);
// By class name, case-insensitive; an empty class for none.
TGraphicClass GetGraphicClassByName(const String& AClassName);
// The first registered class (TBitmap).
TGraphicClass cxGetDefaultGraphicClass();

// Whether AValue starts with the 8-byte graphic header (count 1, type $0100, size of the rest).
bool cxHasGraphicHeader(const String& AValue);
// Loads picture bytes: anything but a string, or an empty one, clears the picture; bytes
// after a graphic header are read from past it. With a class, an instance of it reads the
// bytes; without one, the picture's bitmap does. Broken bytes raise (EInvalidGraphic,
// EReadError) and leave the picture as it was.
void LoadPicture(TPicture* APicture, TGraphicClass AGraphicClass, const Variant& AValue);
// The graphic's own stream; empty for no graphic or an empty one (no header is written).
String SavePicture(TPicture* APicture);

// Decoded pictures shared by every painter, keyed by the bytes and the class: a grid of
// image cells decodes each picture once, not on every paint. Bytes that do not decode are
// remembered too, and answer nullptr without raising. Holds the most recent entries.
class TcxImagePictureCache {
 public:
  static constexpr size_t kCapacity = 64;
  static std::shared_ptr<TGraphic> Get(const String& AValue, TGraphicClass AGraphicClass);
  // The same with a transparency other than gtDefault applied once, in an entry of its own:
  // painters with different settings never change each other's graphic.
  static std::shared_ptr<TGraphic> Get(const String& AValue, TGraphicClass AGraphicClass,
                                       TcxImageTransparency ATransparency);
  static void Clear();
  // How many times the cache decoded (for measuring its use).
  static size_t DecodeCount();
};

// Where a picture of AWidth x AHeight goes in AClient: fitted in proportion from the top
// left with AStretch, else at natural size moved back by AScrollOffset; then centred with
// ACenter. Products are 64-bit; a picture with no area gets an empty rectangle.
TRect cxImageCalcPictureRect(const TRect& AClient, Integer AWidth, Integer AHeight, bool AStretch, bool ACenter,
                             const TPoint& AScrollOffset);

// ---- properties ----

class TcxPopupMenuLayout : public TPersistent {
  TL_CLASS(TcxPopupMenuLayout, TPersistent)
 public:
  explicit TcxPopupMenuLayout(TPersistent* AOwner) : FOwner(AOwner) {}
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }

  TcxPopupMenuItems GetMenuItems() const { return FMenuItems; }
  void SetMenuItems(TcxPopupMenuItems Value) { FMenuItems = Value; }
  const String& GetCustomMenuItemCaption() const { return FCustomMenuItemCaption; }
  void SetCustomMenuItemCaption(const String& Value) { FCustomMenuItemCaption = Value; }
  // Made on first read; nil frees it, a bitmap is copied.
  TBitmap* GetCustomMenuItemGlyph();
  void SetCustomMenuItemGlyph(TBitmap* Value);
  bool HasCustomMenuItemGlyph() const { return FCustomMenuItemGlyph && !FCustomMenuItemGlyph->Empty(); }

  static TcxPopupMenuItems DefaultMenuItems() {
    using enum TcxPopupMenuItem;
    return TcxPopupMenuItems{pmiCut, pmiCopy, pmiPaste, pmiDelete, pmiLoad, pmiSave};
  }

 private:
  TPersistent* FOwner;
  TcxPopupMenuItems FMenuItems = DefaultMenuItems();
  String FCustomMenuItemCaption;
  TBitmap* FCustomMenuItemGlyph = nullptr;
};

class TcxCustomImageProperties : public TcxCustomEditProperties {
  TL_CLASS(TcxCustomImageProperties, TcxCustomEditProperties)
 public:
  explicit TcxCustomImageProperties(TPersistent* AOwner);
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;

  bool CanValidate() const override { return true; }
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  TcxCustomEditProperties* CreateSameClass() const override;
  TcxEditSupportedOperations GetSupportedOperations() const override;
  void ValidateDisplayValue(Variant& DisplayValue, String& ErrorText, bool& Error,
                            IcxEditPropertiesHost* AEdit) override;
  // Empty for Null, else Caption.
  String GetDisplayText(const Variant& AEditValue) const;
  virtual TGraphicClass GetDefaultGraphicClass() const { return cxGetDefaultGraphicClass(); }
  // The stored class; TBitmap when none is stored and pasting; OnGetGraphicClass may then
  // choose when none was stored.
  virtual TGraphicClass GetGraphicClass(TObject* AItem, Integer ARecordIndex, bool APastingFromClipboard = false);

  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool GetCenter() const { return FCenter; }
  void SetCenter(bool Value);
  const String& GetCustomFilter() const { return FCustomFilter; }
  void SetCustomFilter(const String& Value);
  TGraphicClass GetStoredGraphicClass() const { return FGraphicClass; }
  void SetGraphicClass(TGraphicClass Value);
  // The class's name, empty for none; an empty name sets none, an unknown one is ignored.
  String GetGraphicClassName() const;
  void SetGraphicClassName(const String& Value);
  bool IsGraphicClassNameStored() const { return !(FGraphicClass == GetDefaultGraphicClass()); }
  TcxImageTransparency GetGraphicTransparency() const { return FGraphicTransparency; }
  void SetGraphicTransparency(TcxImageTransparency Value);
  TcxPopupMenuLayout* GetPopupMenuLayout() const { return FPopupMenuLayout; }
  void SetPopupMenuLayout(TcxPopupMenuLayout* Value) { FPopupMenuLayout->Assign(Value); }
  bool GetShowFocusRect() const { return FShowFocusRect; }
  void SetShowFocusRect(bool Value);
  bool GetStretch() const { return FStretch; }
  void SetStretch(bool Value);
  Integer InplaceDefaultHeight() const { return 15; }

  TcxImageAssignPictureEvent OnAssignPicture;
  TNotifyEvent OnCustomClick;
  TcxImageGraphicClassEvent OnGetGraphicClass;

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  String FCaption;
  bool FCenter = true;
  String FCustomFilter;
  TGraphicClass FGraphicClass;
  TcxImageTransparency FGraphicTransparency = TcxImageTransparency::gtDefault;
  TcxPopupMenuLayout* FPopupMenuLayout = nullptr;
  bool FShowFocusRect = true;
  bool FStretch = false;
};

class TcxImageProperties : public TcxCustomImageProperties {
  TL_CLASS(TcxImageProperties, TcxCustomImageProperties)
 public:
  using TcxCustomImageProperties::TcxCustomImageProperties;
  TcxCustomEditProperties* CreateSameClass() const override;
};

// ---- view ----

class TcxImageViewInfo : public TcxCustomEditViewInfo {
  TL_CLASS(TcxImageViewInfo, TcxCustomEditViewInfo)
 public:
  void BeforeDestruction() override;
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;

  // The graphic drawn: the editor's, or a cached one of a cell's value (kept alive here).
  TGraphic* Graphic() const { return FGraphic; }
  void SetGraphic(TGraphic* AGraphic) {
    FCached.reset();
    FGraphic = AGraphic;
  }
  void SetCachedGraphic(std::shared_ptr<TGraphic> AGraphic) {
    FCached = std::move(AGraphic);
    FGraphic = FCached.get();
  }
  // A graphic that has no area counts as no picture.
  bool HasPicture() const {
    return FGraphic && !FGraphic->Empty() && FGraphic->GetWidth() > 0 && FGraphic->GetHeight() > 0;
  }
  // Where the picture goes in the client rectangle, as painting places it.
  TRect PictureRect() const;

  String Caption;
  bool Center = true;
  bool Stretch = false;
  bool ShowFocusRect = false;
  TPoint TopLeft{0, 0};  // the scroll offset of the picture
  TColor TextColor = clWindowText;

 private:
  TGraphic* FGraphic = nullptr;
  std::shared_ptr<TGraphic> FCached;
  TBitmap* FTransparentCache = nullptr;
};

class TcxImageViewData : public TcxCustomEditViewData {
  TL_CLASS(TcxImageViewData, TcxCustomEditViewData)
 public:
  using TcxCustomEditViewData::TcxCustomEditViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
  // A cell's value: the cached picture of its bytes (none for bytes that do not load).
  // Never raises: a cell with broken bytes shows the caption.
  void EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo);
  // The record a cell paints, for the properties' graphic class query.
  TObject* Item = nullptr;
  Integer RecordIndex = -1;

 private:
  TcxCustomImageProperties* ImageProperties() const;
};

// ---- control ----

class TcxCustomImage : public TcxCustomEdit {
  TL_CLASS(TcxCustomImage, TcxCustomEdit)
 public:
  explicit TcxCustomImage(TComponent* AOwner) : TcxCustomEdit(AOwner) {}
  TcxCustomImage(TComponent* AOwner, bool AIsInplace) : TcxCustomEdit(AOwner, AIsInplace) {}
  void BeforeDestruction() override;

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  TcxCustomImageProperties* GetProperties() const {
    return static_cast<TcxCustomImageProperties*>(TcxCustomEdit::GetProperties());
  }
  TcxCustomImageProperties* ActiveImageProperties() {
    return static_cast<TcxCustomImageProperties*>(GetActiveProperties());
  }
  void SetProperties(TcxCustomImageProperties* Value) { TcxCustomEdit::SetProperties(Value); }
  TPicture* GetPicture() const { return FPicture; }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  TcxImageViewInfo* ImageViewInfo() const { return static_cast<TcxImageViewInfo*>(ViewInfo()); }

  // ---- editing ----
  Variant GetEditValue() override;
  void InternalSetEditValue(const Variant& AValue, bool AValidateEditValue = false) override;
  void Initialize() override;
  void PropertiesChanged(TObject* Sender) override;
  bool IsAutoSizeActive() const override;
  void Clear() override;
  void CopyToClipboard() override;
  void CutToClipboard() override;
  void PasteFromClipboard() override;
  virtual bool CanPasteFromClipboard();
  virtual void DoOnCustomClick();
  virtual TGraphicClass GetGraphicClass(bool APastingFromClipboard = false);
  // The load and save commands: a picture dialog through the dialog executor. Load answers
  // whether a picture was loaded; a file that does not load raises and leaves the picture.
  bool LoadFromFile();
  void SaveToFile();

  // ---- context menu ----
  // The menu, built once and made ready for showing: captions, visibility and enabling.
  TPopupMenu* PreparePopupMenu();
  TPopupMenu* PopupMenuForTesting() const { return FPopupMenu; }

  // ---- scrolling ----
  bool HasScrollBars() const override { return true; }
  void CalculateScrollBarsHook() override;
  void Scroll(TScrollBarKind AKind, TScrollCode AScrollCode, Integer& AScrollPos) override;
  void UpdateScrollBars() override;
  TPoint ScrollPos() const { return FScrollPos; }

  TcxImageEditGraphicClassEvent OnGetGraphicClass;
  // The clipboard format of graphic classes outside the known ones (the picture format
  // from start-up on).
  Word ClipboardFormat = 0;
  // Set while the load dialog is open: the editor counts as focused meanwhile.
  bool IsDialogShowing() const { return FIsDialogShowing; }
  bool IsFocused() const override { return FIsDialogShowing || inherited::IsFocused(); }

 protected:
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
  void DoContextPopup(const TPoint& MousePos, bool& Handled) override;
  void InitializeViewData(TcxCustomEditViewData* AViewData) override;
  // The load dialog's outcome: the popup of a hosting editor closes with it.
  virtual void DoLoadResult(bool ALoaded);

 private:
  void PictureChanged(TObject* Sender);
  void MenuItemClick(TObject* Sender);
  bool CanCopyGraphic() const;
  bool IsPictureEmpty() const;
  TRect PictureClientRect() const;

  TPicture* FPicture = nullptr;
  TPopupMenu* FPopupMenu = nullptr;
  bool FIsDialogShowing = false;
  bool FInternalChange = false;
  TPoint FScrollPos{0, 0};
  // Bytes set as the value that did not load: kept as the value while the picture is not
  // changed, so nothing is lost by showing them.
  Variant FUnloadedValue;
};

class TcxImage : public TcxCustomImage {
  TL_CLASS(TcxImage, TcxCustomImage)
 public:
  using TcxCustomImage::TcxCustomImage;
};

// The menu's images in TcxPopupMenuItem order (nullptr outside the unit's start-up).
TImageList* cxImageMenuImages();
// An image list sized by its first bitmap, each of the named bitmap resources added masked
// with AMaskColor (clDefault: each bitmap's bottom-left pixel). A missing one is skipped.
TImageList* cxLoadResourceImageList(std::initializer_list<const char*> ANames, TColor AMaskColor);
// Generated from resources/widgets_special.rc; registering again is harmless.
void cxSpecialRegisterResources();

namespace cxImage {
// The properties class in the editors' registry with its caption, the control's class for
// window descriptions and the graphic class registry; shut-down removes them.
void Initialize();
void Finalize();
}  // namespace cxImage
