// The image combo box: a fixed-list combo box whose items carry a value, a description and an
// image index. The edit value is the chosen item's Value; the editor shows that item's image
// and description, and its list shows every item with its image, on one or several lines.
#pragma once

#include "classlib/visual/ImgList.h"
#include "widgets/editors/cxComboBox.h"

TL_ENUM(TcxImageAlign, iaLeft, iaRight);

extern const TResStringRec scxSEditRepositoryImageComboBoxItem;

class TcxCustomImageComboBoxProperties;

class TcxImageComboBoxItem : public TCollectionItem {
  TL_CLASS(TcxImageComboBoxItem, TCollectionItem)
 public:
  explicit TcxImageComboBoxItem(TCollection* Collection) : TCollectionItem(Collection) {}
  // The next image of the properties' Images when they have one for this position.
  void AfterConstruction() override;
  void Assign(TPersistent* Source) override;

  const String& GetDescription() const { return FDescription; }
  void SetDescription(const String& Value);
  Integer GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer Value);
  Integer GetTag() const { return FTag; }
  void SetTag(Integer Value) { FTag = Value; }
  const Variant& GetValue() const { return FValue; }
  // A value of exactly the same type and content changes nothing.
  void SetValue(const Variant& Value);
  bool IsTagStored() const { return FTag != 0; }
  bool IsValueStored() const { return FValue.VType() != varNull; }

 private:
  String FDescription;
  Integer FImageIndex = -1;
  Integer FTag = 0;
  Variant FValue = Variant::MakeNull();
};

class TcxImageComboBoxItems : public TOwnedCollection {
  TL_CLASS(TcxImageComboBoxItems, TOwnedCollection)
 public:
  explicit TcxImageComboBoxItems(TPersistent* AOwner);
  TcxImageComboBoxItem* Items(Integer Index) const {
    return static_cast<TcxImageComboBoxItem*>(TCollection::Items(Index));
  }
  TcxImageComboBoxItem* Add() { return static_cast<TcxImageComboBoxItem*>(TCollection::Add()); }

 protected:
  void Update(TCollectionItem* Item) override;
};

class TcxCustomImageComboBoxProperties : public TcxCustomComboBoxProperties {
  TL_CLASS(TcxCustomImageComboBoxProperties, TcxCustomComboBoxProperties)
 public:
  // The value is an item's value, not its text.
  TcxDataEditValueSource GetEditValueSource(bool) const override { return TcxDataEditValueSource::evsValue; }
  explicit TcxCustomImageComboBoxProperties(TPersistent* AOwner);
  void AfterConstruction() override;
  void BeforeDestruction() override;
  void Assign(TPersistent* Source) override;
  TcxCustomEditProperties* CreateSameClass() const override {
    return New<TcxCustomImageComboBoxProperties>(nullptr);
  }

  void FreeNotification(TComponent* AComponent) override;
  TcxCustomEditViewDataClass GetViewDataClass() const override;
  TcxCustomEditViewInfoClass GetViewInfoClass() const override;
  TcxCustomEditClass GetContainerClass() const override;
  TcxEditSupportedOperations GetSupportedOperations() const override;
  bool IsEditValueValid(Variant&, bool) const override { return true; }
  void GetDisplayText(const Variant& AEditValue, String& ADisplayText, bool AFullText = false) override;
  void PrepareDisplayValue(const Variant& AEditValue, Variant& ADisplayValue, bool AEditFocused) override;
  bool FindLookupText(const String& AText) const override;
  TcxCustomTextEditLookupDataClass GetLookupDataClass() const override;
  // Equal texts (case-sensitive) and, with Images, equal image indexes.
  bool CompareDisplayValues(const Variant& V1, const Variant& V2);

  // The first item, in order, whose Value equals AValue loosely; -1 for none.
  Integer FindItemByValue(const Variant& AValue) const;
  // The description shown (empty without ShowDescriptions) and the image of a value.
  void GetDisplayTextAndImage(const Variant& AValue, String& AText, Integer& AImageIndex) const;

  const String& GetDefaultDescription() const { return FDefaultDescription; }
  void SetDefaultDescription(const String& Value);
  Integer GetDefaultImageIndex() const { return FDefaultImageIndex; }
  void SetDefaultImageIndex(Integer Value);
  TcxImageAlign GetImageAlign() const { return FImageAlign; }
  void SetImageAlign(TcxImageAlign Value);
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* Value);
  TcxImageComboBoxItems* GetItems() const { return FItems; }
  void SetItems(TcxImageComboBoxItems* Value) { FItems->Assign(Value); }
  TCustomImageList* GetLargeImages() const { return FLargeImages; }
  void SetLargeImages(TCustomImageList* Value);
  bool GetMultiLineText() const { return FMultiLineText; }
  void SetMultiLineText(bool Value);
  bool GetShowDescriptions() const { return FShowDescriptions; }
  void SetShowDescriptions(bool Value);
  // LargeImages when set, else Images.
  TCustomImageList* ListImages() const { return FLargeImages ? FLargeImages : FImages; }

 private:
  void ImageListChanged(TObject*) { Changed(); }
  void SetImageList(TCustomImageList*& AField, TChangeLink* ALink, TCustomImageList* Value);

  String FDefaultDescription;
  Integer FDefaultImageIndex = -1;
  TcxImageAlign FImageAlign = TcxImageAlign::iaLeft;
  TCustomImageList* FImages = nullptr;
  TChangeLink* FImagesLink = nullptr;
  TcxImageComboBoxItems* FItems = nullptr;
  TCustomImageList* FLargeImages = nullptr;
  TChangeLink* FLargeImagesLink = nullptr;
  TcxFreeNotificator* FWatch = nullptr;
  bool FMultiLineText = false;
  bool FShowDescriptions = true;
};

class TcxImageComboBoxProperties : public TcxCustomImageComboBoxProperties {
  TL_CLASS(TcxImageComboBoxProperties, TcxCustomImageComboBoxProperties)
 public:
  using TcxCustomImageComboBoxProperties::TcxCustomImageComboBoxProperties;
  TcxCustomEditProperties* CreateSameClass() const override { return New<TcxImageComboBoxProperties>(nullptr); }
};

class TcxImageComboBoxListBox : public TcxCustomComboBoxListBox {
  TL_CLASS(TcxImageComboBoxListBox, TcxCustomComboBoxListBox)
 public:
  using TcxCustomComboBoxListBox::TcxCustomComboBoxListBox;
  Integer GetItemHeight(Integer AIndex = -1) override;
  Integer GetHeight(Integer ARowCount) override;
  // The image cell and the widest description in the list font.
  Integer GetItemWidth(Integer AIndex) override;
  // The item's height for a text width (the list's client width less the image cell).
  Integer ItemHeightForWidth(Integer AIndex, Integer ATextWidth);

 protected:
  bool DoDrawItem(Integer AIndex, const TRect& ARect, TOwnerDrawState AState) override;

 private:
  TcxCustomImageComboBoxProperties* ImageProperties() const;
};

class TcxImageComboBoxLookupData : public TcxComboBoxLookupData {
  TL_CLASS(TcxImageComboBoxLookupData, TcxComboBoxLookupData)
 public:
  using TcxComboBoxLookupData::TcxComboBoxLookupData;
  TcxCustomEditListBoxClass GetListClass() const override;
  String GetItem(Integer AIndex) override;
  Integer GetItemCount() override;
};

class TcxImageComboBoxViewInfo : public TcxCustomTextEditViewInfo {
  TL_CLASS(TcxImageComboBoxViewInfo, TcxCustomTextEditViewInfo)
 public:
  void InternalPaint(TcxCanvas& ACanvas) override;
  void Assign(TcxContainerViewInfo* Source) override;
  TRect ImageRect{};
  Integer ImageIndex = -1;
  TCustomImageList* Images = nullptr;
  TcxImageAlign ImageAlign = TcxImageAlign::iaLeft;
  bool ShowDescriptions = true;
};

class TcxImageComboBoxViewData : public TcxCustomComboBoxViewData {
  TL_CLASS(TcxImageComboBoxViewData, TcxCustomComboBoxViewData)
 public:
  using TcxCustomComboBoxViewData::TcxCustomComboBoxViewData;
  void Calculate(TcxCanvas& ACanvas, const TRect& ABounds, const TPoint& P, TcxMouseButton AButton,
                 TShiftState AShift, TcxCustomEditViewInfo* AViewInfo, bool AIsMouseEvent) override;
  void EditValueToDrawValue(TcxCanvas& ACanvas, const Variant& AEditValue, TcxCustomEditViewInfo* AViewInfo) override;
  TSize InternalGetEditContentSize(TcxCanvas& ACanvas, const Variant& AEditValue,
                                   const TcxEditSizeProperties& AEditSizeProperties) override;
};

class TcxCustomImageComboBox : public TcxCustomComboBox {
  TL_CLASS(TcxCustomImageComboBox, TcxCustomComboBox)
 public:
  using TcxCustomComboBox::TcxCustomComboBox;
  TcxCustomImageComboBoxProperties* ActiveImageProperties() {
    return static_cast<TcxCustomImageComboBoxProperties*>(GetActiveProperties());
  }
  TcxCustomImageComboBoxProperties* GetProperties() const {
    return static_cast<TcxCustomImageComboBoxProperties*>(TcxCustomEdit::GetProperties());
  }
  void SetProperties(TcxCustomImageComboBoxProperties* Value) { TcxCustomEdit::SetProperties(Value); }

  TcxCustomEditPropertiesClass GetPropertiesClass() override;
  // Item k's Value for a chosen item, Null for none.
  void PrepareEditValue(const Variant& ADisplayValue, Variant& AEditValue, bool AEditFocused) override;
  // The current item follows the value.
  void SynchronizeDisplayValue() override;
  TSize GetPopupWindowClientPreferredSize() override;

 protected:
  // Another item is another value: it is validated again before it is posted.
  void LookupTextChanged() override;
  void PropertiesChanged(TObject* Sender) override;
  // The drawn image (and, without descriptions, the cleared text) of the chosen item, or of
  // the value when no shown item is chosen; a new value or choice shows at once.
  void UpdateImageOfValue();
};

class TcxImageComboBox : public TcxCustomImageComboBox {
  TL_CLASS(TcxImageComboBox, TcxCustomImageComboBox)
 public:
  using TcxCustomImageComboBox::TcxCustomImageComboBox;
};

namespace cxImageComboBox {
void Initialize();
void Finalize();
}  // namespace cxImageComboBox
