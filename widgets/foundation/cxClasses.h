// Shared base classes and registries of the widget library: persistent and component
// bases, the owning object list, the class-companion list and the editors' registry of
// classes with descriptions, most-recently-used lists, weak object links, free
// notification, component naming, message-text overrides, width distribution and a few
// value routines.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Lists.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"

#include <functional>
#include <vector>

// ---- Persistent and component bases ----

class TcxInterfacedPersistent : public TInterfacedPersistent {
  TL_CLASS(TcxInterfacedPersistent, TInterfacedPersistent)
 public:
  explicit TcxInterfacedPersistent(TPersistent* AOwner) : FOwner(AOwner) {}
  TPersistent* GetOwner() const override { return FOwner; }

 private:
  TPersistent* FOwner;
};
using TcxInterfacedPersistentClass = TMetaClass<TcxInterfacedPersistent, TPersistent*>;

// A component that clears every object link to itself when it is destroyed.
class TcxComponent : public TComponent {
  TL_CLASS(TcxComponent, TComponent)
 public:
  explicit TcxComponent(TComponent* AOwner) : TComponent(AOwner) {}
  void BeforeDestruction() override;

 protected:
  void Loaded() override;
  // Lists up to three components a designer keeps references to; called after loading
  // in design state when the component has an owner. Empty here.
  virtual void GetDesignReferences(TComponent*& AComponent1, TComponent*& AComponent2, TComponent*& AComponent3);
  TComponent* FDesignReferences[3] = {nullptr, nullptr, nullptr};
};

// A TList that owns its objects: Clear frees them first to last, then empties the list.
class TcxObjectList : public TList {
  TL_CLASS(TcxObjectList, TList)
 public:
  void BeforeDestruction() override;
  Integer Add(TObject* AObject) { return TList::Add(AObject); }
  void Clear();
  TObject* Items(Integer Index) const { return static_cast<TObject*>(TList::Items(Index)); }
};

// ---- Class-companion list ----

struct TcxRegisteredClassListItemData {
  const TClass* ItemClass = nullptr;
  const TClass* RegisteredClass = nullptr;
};

// Pairs of (class, companion class). A lookup answers the companion registered for the
// class or for its nearest registered ancestor.
class TcxRegisteredClassList : public TObject {
  TL_CLASS(TcxRegisteredClassList, TObject)
 public:
  // True when an entry's class is AItemClass or one of its ancestors: Index is then the
  // nearest such entry. False otherwise, with Index at the first entry of a descendant
  // of AItemClass (where a registration for AItemClass goes), or -1.
  virtual bool Find(const TClass* AItemClass, Integer& Index) const;
  virtual void Register(const TClass* AItemClass, const TClass* ARegisteredClass);
  // Removes every entry with exactly these two classes.
  virtual void Unregister(const TClass* AItemClass, const TClass* ARegisteredClass);

  const TClass* GetClass(const TClass* AItemClass) const;
  Integer Count() const { return Integer(FItems.size()); }
  const TcxRegisteredClassListItemData& Items(Integer Index) const;
  void Clear() { FItems.clear(); }

 private:
  std::vector<TcxRegisteredClassListItemData> FItems;
};

// ---- Registered classes with descriptions ----

// Classes with a description "Name|Text" each, such as an editor's "Label|Represents a Label".
class TcxRegisteredClasses : public TObject {
  TL_CLASS(TcxRegisteredClasses, TObject)
 public:
  // ARegisterClasses: also register each class with the streaming class registry.
  explicit TcxRegisteredClasses(bool ARegisterClasses = false) : FRegisterClasses(ARegisterClasses) {}

  virtual Integer CompareItems(Integer AIndex1, Integer AIndex2) const;
  virtual void Sort();

  // A class already present keeps its first description.
  void Register(const TClass* AClass, const String& ADescription);
  void Unregister(const TClass* AClass);
  void Clear() { FItems.clear(); }

  Integer Count() const { return Integer(FItems.size()); }
  const TClass* Items(Integer Index) const;
  String Names(Integer Index) const;
  String Descriptions(Integer Index) const;
  Integer GetIndexByClass(const TClass* AClass) const;
  // Case-sensitive class name; the last matching entry wins.
  const TClass* GetClassByName(const String& AClassName) const;
  // By the description's text part; the last matching entry wins.
  const TClass* GetClassByDescription(const String& ADescription) const;
  String GetNameByClass(const TClass* AClass) const;
  String GetDescriptionByClass(const TClass* AClass) const;

  bool GetRegisterClasses() const { return FRegisterClasses; }
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool Value);

 private:
  struct TItem {
    String Description;
    const TClass* Class;
  };
  const TItem& Item(Integer Index) const;
  bool FRegisterClasses;
  bool FSorted = false;
  std::vector<TItem> FItems;
};

// ---- Alignment settings ----

TL_ENUM(TcxAlignmentVert, vaTop, vaBottom, vaCenter);

// Where a bound editor's value comes from: the value itself, its text, or a lookup key.
// Shared by the editors and the data layer, which meet in data binding.
TL_ENUM(TcxDataEditValueSource, evsValue, evsText, evsKey);

// Horizontal and vertical alignment with defaults. With the assigned-values flag a side is
// stored once it was set; without it, when it differs from its default.
class TcxAlignment : public TPersistent {
  TL_CLASS(TcxAlignment, TPersistent)
 public:
  explicit TcxAlignment(TPersistent* AOwner, bool AUseAssignedValues = false,
                        TAlignment ADefaultHorz = TAlignment::taLeftJustify,
                        TcxAlignmentVert ADefaultVert = TcxAlignmentVert::vaTop);
  // From another TcxAlignment: values and assigned flags; others as the inherited way.
  void Assign(TPersistent* Source) override;
  TPersistent* GetOwner() const override { return FOwner; }
  // Back to the defaults, nothing assigned.
  void Reset();

  TAlignment GetHorz() const { return FHorz; }
  void SetHorz(TAlignment Value);
  TcxAlignmentVert GetVert() const { return FVert; }
  void SetVert(TcxAlignmentVert Value);
  bool IsHorzAssigned() const { return FIsHorzAssigned; }
  bool IsVertAssigned() const { return FIsVertAssigned; }
  bool IsHorzStored() const;
  bool IsVertStored() const;

  TNotifyEvent OnChanged;

 protected:
  virtual void DoChanged();

 private:
  TPersistent* FOwner;
  TAlignment FDefaultHorz;
  TcxAlignmentVert FDefaultVert;
  TAlignment FHorz;
  TcxAlignmentVert FVert;
  bool FIsHorzAssigned = false;
  bool FIsVertAssigned = false;
  bool FUseAssignedValues;
};

// ---- Most-recently-used lists ----

class TcxMRUItem : public TObject {
  TL_CLASS(TcxMRUItem, TObject)
 public:
  virtual bool Equals(const TcxMRUItem* AItem) const = 0;
};

// Owns its items; the most recent one is at index 0.
class TcxMRUItems : public TObject {
  TL_CLASS(TcxMRUItems, TObject)
 public:
  void BeforeDestruction() override;

  // An item equal to AItem moves to the front and AItem is freed (unless it is that very
  // item); otherwise AItem goes to the front and the list is trimmed to MaxCount.
  void Add(TcxMRUItem* AItem);
  Integer IndexOf(const TcxMRUItem* AItem) const;
  void Delete(Integer AIndex);
  void Clear();

  Integer Count() const { return Integer(FItems.size()); }
  TcxMRUItem* Items(Integer AIndex) const;
  Integer GetMaxCount() const { return FMaxCount; }
  // Negative counts as 0 (no limit).
  void SetMaxCount(Integer Value);

 private:
  void Trim();
  std::vector<TcxMRUItem*> FItems;
  Integer FMaxCount = 0;
};

// ---- Weak object links ----

// Ref reads nil once its object starts to be freed, whatever the object's class.
class TcxObjectLink : public TObject {
  TL_CLASS(TcxObjectLink, TObject)
 public:
  explicit TcxObjectLink(TObject* ARef) : FLink(ARef) {}

 private:
  TWeakLink FLink;

 public:
  TObject* const& Ref = FLink.Ref();
};

class TcxObjectLinkController : public TObject {
  TL_CLASS(TcxObjectLinkController, TObject)
 public:
  void BeforeDestruction() override;
  TcxObjectLink* AddLink(TObject* AObject);
  void RemoveLink(TcxObjectLink* ALink);
  Integer Count() const { return Integer(FLinks.size()); }

 private:
  std::vector<TcxObjectLink*> FLinks;
};

// The shared controller lives while links exist: the first link creates it, removing the
// last one frees it.
TcxObjectLink* cxAddObjectLink(TObject* AObject);
void cxRemoveObjectLink(TcxObjectLink* ALink);
// Sets every link to AObject to nil (freeing AObject does this by itself).
void cxClearObjectLinks(TObject* AObject);

// ---- Free notification ----

using TcxFreeNotificationEvent = TMethod<void(TComponent* Sender)>;

class TcxFreeNotificator : public TComponent {
  TL_CLASS(TcxFreeNotificator, TComponent)
 public:
  explicit TcxFreeNotificator(TComponent* AOwner) : TComponent(AOwner) {}
  TcxFreeNotificationEvent OnFreeNotification;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
};

void cxAddFreeNotification(TComponent* AComponent, TComponent* ATarget);
void cxRemoveFreeNotification(TComponent* AComponent, TComponent* ATarget);

// ---- Component names ----

// A name unique among AOwner's components (ignoring case; AComponent itself does not
// count): ABaseText keeps only 0-9, A-Z, a-z and "_", loses a leading "T" when it is a
// class name, has APrefix replaced by ANewPrefix, is put behind the owner's name when
// asked, and gets the first number 1, 2, ... that makes it unique. Text with nothing
// usable falls back to the component's class name.
String cxGenerateComponentName(TComponent* AOwner, TComponent* AComponent, const String& ABaseText,
                               bool AIsClassName, const String& APrefix = String(), const String& ANewPrefix = String(),
                               bool AWithOwnerName = false);
// ABaseName (with 1 appended at once when asked), or ABaseName followed by 2, 3, ...
// while AOwner already has a component of that name.
String cxGetFreeComponentName(TComponent* AOwner, const String& ABaseName, bool AAppendOne);
// Renames each sub-item whose name is longer than AOldName and starts with it (ignoring
// case), putting ANewName in place of that start; nothing for an inherited component.
void cxRenameSubItems(TComponent* AComponent, const String& AOldName, const String& ANewName,
                      const std::vector<TComponent*>& ASubItems);

// Adds AGetText(ordinal) for every value of E from lowest to highest, skipping empty texts,
// with the ordinal as the object, inside one update bracket.
template <class E>
void cxGetEnumTexts(TStrings* AList, const std::function<String(E)>& AGetText) {
  auto bracket = UpdateBracket(AList);
  for (int i = 0; i < EnumInfo<E>::Count; ++i) {
    String s = AGetText(E(i));
    if (!s.empty()) AList->AddObject(s, reinterpret_cast<TObject*>(intptr_t(i)));
  }
}

// ---- Message texts ----

// The text of a resource string: the override set for it, else its string-table text.
// Every message and caption of the library goes through this lookup.
String cxGetResourceString(const TResStringRec& AResString);
// The override set for a plain name, else the name itself.
String cxGetResourceStringByName(const String& AName);
void cxSetResourceString(const TResStringRec& AResString, const String& Value);
void cxSetResourceStringByName(const String& AName, const String& Value);
// Drops every override.
void cxClearResourceStrings();

// ---- Width distribution ----

class TcxAutoWidthItem : public TObject {
  TL_CLASS(TcxAutoWidthItem, TObject)
 public:
  Integer MinWidth = 0;
  Integer Width = 0;
  bool Fixed = false;
  Integer AutoWidth = -1;
};

class TcxAutoWidthObject : public TObject {
  TL_CLASS(TcxAutoWidthObject, TObject)
 public:
  explicit TcxAutoWidthObject(Integer ACount = 0);
  void BeforeDestruction() override;

  TcxAutoWidthItem* AddItem();
  void Clear();
  // Shares AvailableWidth among the items in proportion to their widths; fixed items keep
  // their width and items whose share would not reach their minimum get the minimum.
  void Calculate();

  Integer Count() const { return Integer(FItems.size()); }
  TcxAutoWidthItem* Items(Integer Index) const;
  Integer AvailableWidth = 0;

 private:
  std::vector<TcxAutoWidthItem*> FItems;
};

// ---- Value routines ----

TPoint cxMakePoint(Integer X, Integer Y);
void cxExchangeIntegers(Integer& A, Integer& B);
// (A + B) / 2, rounded down when not whole: 0 for -1 and 1, -1 for -1 and 0.
Integer cxHalfSum(Integer A, Integer B);
// "0".."9" = 0..9, letters by their upper-case form ("A" = 10); -1 for other characters.
Integer cxHexDigitValue(Char C);
// Two hexadecimal digits as a byte; -1 when either is not a digit.
Integer cxHexByteValue(Char AHigh, Char ALow);
TPersistent* cxGetPersistentOwner(TPersistent* APersistent);
// Opens a document or address with the shell's "OPEN" verb in the normal show state.
void cxShellOpen(const String& AFileName);

namespace cxClasses {
// Installs the message-text override lookup in the class library, so that exceptions
// raised from resource strings honour overrides (setting an override installs it too);
// the last Finalize removes it with every override. Counted.
void Initialize();
void Finalize();
}  // namespace cxClasses
