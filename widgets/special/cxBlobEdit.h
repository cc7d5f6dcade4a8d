// The blob editor: a popup edit for a large value (memo text, a picture, an OLE object or
// raw bytes) that shows only an icon or a short text, and opens a memo or an image editor
// with OK and Cancel buttons. Closing with OK, or by any means but cancelling when
// AlwaysSaveData is set, writes the content back as the value.
#pragma once

#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxMemo.h"
#include "widgets/editors/cxPopupEdit.h"
#include "widgets/special/cxImage.h"

TL_ENUM(TcxBlobEditKind, bekAuto, bekMemo, bekPict, bekOle, bekBlob);
TL_ENUM(TcxBlobPaintStyle, bpsDefault, bpsIcon, bpsText);

extern const TResStringRec scxSEditRepositoryBlobItem;
extern const TResStringRec cxSBlobButtonCancel;
extern const TResStringRec cxSBlobButtonClose;
extern const TResStringRec cxSBlobMemo;
extern const TResStringRec cxSBlobMemoEmpty;
extern const TResStringRec cxSBlobPicture;
extern const TResStringRec cxSBlobPictureEmpty;
extern const TResStringRec cxSBlobButtonOK;

class TcxCustomBlobEdit;

class TcxCustomBlobEditProperties : public TcxCustomPopupEditProperties {
  TL_CLASS(TcxCustomBlobEditProperties, TcxCustomPopupEditProperties)
 public:
  explicit TcxCustomBlobEditProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxCustomBlobEditProperties>(nullptr); }

  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  TcxEditSupportedOperations GetSupportedOperations() const override;
  bool IsEditValueValid(Variant&, bool) const override { return true; }
  bool IsFixedList() const override { return true; }
  // Text only for a memo; pictures, objects and raw bytes travel as values.
  TcxDataEditValueSource GetEditValueSource(bool AEditFocused) const override;
  // Empty for Null; bekMemo the short text (the whole memo for AFullText), bekPict "(PICTURE)",
  // bekOle "OLE", bekBlob "BLOB".
  void GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText = false) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  // Equal only for bpsText with bekMemo and two equal strings.
  bool CompareDisplayValues(const Variant& V1, const Variant& V2);
  virtual TGraphicClass GetDefaultGraphicClass() const { return cxGetDefaultGraphicClass(); }

  // While BlobEditKind is bekAuto and there is no provider or it is a data storage, the kind
  // is set from the provider's blob kind (bekBlob without a provider), without a change notice.
  TcxBlobEditKind ResolveKind();
  // The cell text: the whole memo for AFull; otherwise by BlobPaintStyle.
  String GetBlobText(const Variant& AValue, bool AFull = false);
  // bpsIcon only: 0 blob, 2 memo, 4 picture, 6 OLE, plus 1 for a value that is not blank; -1 otherwise.
  Integer GetIconIndex(const Variant& AValue);

  bool GetAlwaysSaveData() const { return FAlwaysSaveData; }
  void SetAlwaysSaveData(bool Value) { SetField(FAlwaysSaveData, Value); }
  TcxBlobEditKind GetBlobEditKind() const { return FBlobEditKind; }
  // The first button: a drop-down one for memos and pictures, an ellipsis otherwise.
  void SetBlobEditKind(TcxBlobEditKind Value);
  TcxBlobPaintStyle GetBlobPaintStyle() const { return FBlobPaintStyle; }
  void SetBlobPaintStyle(TcxBlobPaintStyle Value) { SetField(FBlobPaintStyle, Value); }
  bool GetMemoAutoReplace() const { return FMemoAutoReplace; }
  void SetMemoAutoReplace(bool Value) { SetField(FMemoAutoReplace, Value); }
  TEditCharCase GetMemoCharCase() const { return FMemoCharCase; }
  void SetMemoCharCase(TEditCharCase Value) { SetField(FMemoCharCase, Value); }
  Integer GetMemoMaxLength() const { return FMemoMaxLength; }
  void SetMemoMaxLength(Integer Value) { SetField(FMemoMaxLength, std::max<Integer>(Value, 0)); }
  bool GetMemoOEMConvert() const { return FMemoOEMConvert; }
  void SetMemoOEMConvert(bool Value) { SetField(FMemoOEMConvert, Value); }
  TScrollStyle GetMemoScrollBars() const { return FMemoScrollBars; }
  void SetMemoScrollBars(TScrollStyle Value) { SetField(FMemoScrollBars, Value); }
  bool GetMemoWantReturns() const { return FMemoWantReturns; }
  void SetMemoWantReturns(bool Value) { SetField(FMemoWantReturns, Value); }
  bool GetMemoWantTabs() const { return FMemoWantTabs; }
  void SetMemoWantTabs(bool Value) { SetField(FMemoWantTabs, Value); }
  bool GetMemoWordWrap() const { return FMemoWordWrap; }
  void SetMemoWordWrap(bool Value) { SetField(FMemoWordWrap, Value); }
  bool GetPictureAutoSize() const { return FPictureAutoSize; }
  void SetPictureAutoSize(bool Value) { SetField(FPictureAutoSize, Value); }
  const String& GetPictureFilter() const { return FPictureFilter; }
  void SetPictureFilter(const String& Value) { SetField(FPictureFilter, Value); }
  TGraphicClass GetPictureGraphicClass() const { return FPictureGraphicClass; }
  void SetPictureGraphicClass(TGraphicClass Value);
  String GetPictureGraphicClassName() const;
  // An empty name sets no class; a name not registered is ignored.
  void SetPictureGraphicClassName(const String& Value);
  bool IsPictureGraphicClassNameStored() const { return !(FPictureGraphicClass == GetDefaultGraphicClass()); }
  TcxImageTransparency GetPictureTransparency() const { return FPictureTransparency; }
  void SetPictureTransparency(TcxImageTransparency Value) { SetField(FPictureTransparency, Value); }
  bool GetShowExPopupItems() const { return FShowExPopupItems; }
  void SetShowExPopupItems(bool Value) { SetField(FShowExPopupItems, Value); }
  bool GetShowPicturePopup() const { return FShowPicturePopup; }
  void SetShowPicturePopup(bool Value) { SetField(FShowPicturePopup, Value); }

  TcxImageAssignPictureEvent OnAssignPicture;
  TcxImageEditGraphicClassEvent OnGetGraphicClass;

 protected:
  void DefineProperties(TFiler& Filer) override;

 private:
  template <class T>
  void SetField(T& AField, const T& Value) {
    if (AField == Value) return;
    AField = Value;
    Changed();
  }

  bool FAlwaysSaveData = true;
  TcxBlobEditKind FBlobEditKind = TcxBlobEditKind::bekAuto;
  TcxBlobPaintStyle FBlobPaintStyle = TcxBlobPaintStyle::bpsIcon;
  bool FMemoAutoReplace = false;
  TEditCharCase FMemoCharCase = TEditCharCase::ecNormal;
  Integer FMemoMaxLength = 0;
  bool FMemoOEMConvert = false;
  TScrollStyle FMemoScrollBars = TScrollStyle::ssNone;
  bool FMemoWantReturns = true;
  bool FMemoWantTabs = true;
  bool FMemoWordWrap = true;
  bool FPictureAutoSize = true;
  String FPictureFilter;
  TGraphicClass FPictureGraphicClass;
  TcxImageTransparency FPictureTransparency = TcxImageTransparency::gtDefault;
  bool FShowExPopupItems = true;
  bool FShowPicturePopup = true;
};

class TcxBlobEditProperties : public TcxCustomBlobEditProperties {
  TL_CLASS(TcxBlobEditProperties, TcxCustomBlobEditProperties)
 public:
  using TcxCustomBlobEditProperties::TcxCustomBlobEditProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxBlobEditProperties>(nullptr); }
};

class TcxBlobEditViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxBlobEditViewInfo, TcxCustomTextEditViewInfo)
 public:
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  TRect IconRect{};
  Integer IconIndex = -1;
};

class TcxBlobEditViewData : public TcxCustomDropDownEditViewData {
  TL_CLASS(TcxBlobEditViewData, TcxCustomDropDownEditViewData)
 public:
  using TcxCustomDropDownEditViewData::TcxCustomDropDownEditViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
};

// The popup contents: a memo and an image editor that give their keys to the blob edit first.
class TcxPopupMemo : public TcxMemo {
  TL_CLASS(TcxPopupMemo, TcxMemo)
 public:
  using TcxMemo::TcxMemo;
  TcxCustomBlobEdit* BlobEdit = nullptr;

 protected:
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoEditKeyPress(Char& Key) override;
};

class TcxPopupImage : public TcxImage {
  TL_CLASS(TcxPopupImage, TcxImage)
 public:
  using TcxImage::TcxImage;
  TcxCustomBlobEdit* BlobEdit = nullptr;

 protected:
  void DoEditKeyDown(Word& Key, TShiftState Shift) override;
  void DoLoadResult(bool ALoaded) override;
};

class TcxCustomBlobEdit : public TcxCustomPopupEdit {
  TL_CLASS(TcxCustomBlobEdit, TcxCustomPopupEdit)
 public:
  using TcxCustomPopupEdit::TcxCustomPopupEdit;
  void BeforeDestruction() override;

  TcxCustomBlobEditProperties* ActiveBlobProperties() {
    return static_cast<TcxCustomBlobEditProperties*>(GetActiveProperties());
  }
  TcxCustomBlobEditProperties* GetProperties() const {
    return static_cast<TcxCustomBlobEditProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxCustomBlobEditProperties* Value) { TcxCustomEdit::SetProperties(Value); }

  TWinControl* PopupContent() const { return FContent; }
  TcxButton* OkButton() const { return FOkButton; }
  TcxButton* CancelButton() const { return FCancelButton; }
  // The class of the picture the popup saved last.
  TGraphicClass SavedGraphicClass() const { return FSavedGraphicClass; }
  TGraphicClass GetGraphicClass(bool APastingFromClipboard);
  // The content's keys, before its own handling: true when the key closed the popup.
  bool PopupContentKeyDown(Word& Key, TShiftState Shift);
  bool PopupContentKeyPress(Char& Key);
  // The content's load dialog ended: a load closes with crEnter, a cancel with crCancel.
  void PopupImageLoaded(bool ALoaded);

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  void Initialize() override;
  // Memos and pictures drop down (the content is made on demand); the other kinds only
  // fire OnButtonClick.
  bool CanDropDown() override;
  void DoInitPopup() override;
  void SetupPopupWindow() override;
  TSize GetPopupWindowClientPreferredSize() override;
  void PositionPopupWindowChildren(const TRect& AClientRect) override;
  TWinControl* GetPopupFocusedControl() override;
  void PopupWindowClosed() override;
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  void PropertiesChanged(TObject* Sender) override;
  // The published Text: in design mode the value as text; for memos the popup memo's text
  // while it is shown, else the value when it is a string; other kinds have none.
  String GetBlobEditText();
  void SetBlobEditText(const String& Value);
  // The bottom strip that holds the buttons.
  Integer ButtonPanelHeight() const { return FButtonHeight + FButtonHeight / 3; }

 private:
  void CreatePopupControl();
  void DestroyPopupControls();
  void ContentChanged(TObject*);
  void OkClick(TObject*) { CloseUp(TcxEditCloseUpReason::crEnter); }
  void CancelClick(TObject*) { CloseUp(TcxEditCloseUpReason::crCancel); }
  void ImageGraphicClass(TObject* Sender, bool APastingFromClipboard, TGraphicClass& AGraphicClass);
  void SaveContent();
  Variant ContentValue();

  TWinControl* FContent = nullptr;
  TcxButton* FOkButton = nullptr;
  TcxButton* FCancelButton = nullptr;
  Integer FButtonWidth = 0;
  Integer FButtonHeight = 0;
  bool FContentModified = false;
  bool FAutoReplacePending = false;
  TGraphicClass FSavedGraphicClass;
  Variant FOpenValue;
};

class TcxBlobEdit : public TcxCustomBlobEdit {
  TL_CLASS(TcxBlobEdit, TcxCustomBlobEdit)
 public:
  using TcxCustomBlobEdit::TcxCustomBlobEdit;
};

// The icons in the order of the icon index: blob, memo, picture, OLE, each empty then filled
// (nullptr outside the unit's start-up).
TImageList* cxBlobEditIcons();

namespace cxBlobEdit {
void Initialize();
void Finalize();
}  // namespace cxBlobEdit
