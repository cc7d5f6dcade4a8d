// Classes shared by the component-stream tests and the binary-reader fuzz target.
#pragma once

#include "classlib/core/Collections.h"
#include "classlib/core/Filer.h"
#include "classlib/core/Strings.h"

#include <string>
#include <vector>

TL_ENUM(TFruit, frApple, frPear, frPlum, frQuince);
using TFruits = Set<TFruit>;

class TStreamFont : public TPersistent {
  TL_CLASS(TStreamFont, TPersistent)
 public:
  const String& GetName() const { return FName; }
  void SetName(const String& v) { FName = v; }
  Integer GetSize() const { return FSize; }
  void SetSize(Integer v) {
    if (v < 0) throw ERangeError("Size must not be negative");
    FSize = v;
  }
  TColor GetColor() const { return FColor; }
  void SetColor(TColor v) { FColor = v; }
  TFruits GetStyle() const { return FStyle; }
  void SetStyle(TFruits v) { FStyle = v; }

 private:
  String FName;
  Integer FSize = 8;
  TColor FColor = 0;
  TFruits FStyle;
};

class TStreamItem : public TCollectionItem {
  TL_CLASS(TStreamItem, TCollectionItem)
 public:
  using TCollectionItem::TCollectionItem;
  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer v) { FWidth = v; }
  TFruit GetKind() const { return FKind; }
  void SetKind(TFruit v) { FKind = v; }

 private:
  String FCaption;
  Integer FWidth = 50;
  TFruit FKind = TFruit::frApple;
};

// Every property kind the stream knows, on one component.
class TStreamPart : public TComponent {
  TL_CLASS(TStreamPart, TComponent)
 public:
  explicit TStreamPart(TComponent* AOwner);
  ~TStreamPart() override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  const String& GetCaption() const { return FCaption; }
  void SetCaption(const String& v) { FCaption = v; }
  Integer GetCount() const { return FCount; }
  void SetCount(Integer v) { FCount = v; }
  Int64 GetBig() const { return FBig; }
  void SetBig(Int64 v) { FBig = v; }
  SmallInt GetSmall() const { return FSmall; }
  void SetSmall(SmallInt v) { FSmall = v; }
  double GetRatio() const { return FRatio; }
  void SetRatio(double v) { FRatio = v; }
  TDateTime GetWhen() const { return FWhen; }
  void SetWhen(TDateTime v) { FWhen = v; }
  Currency GetPrice() const { return FPrice; }
  void SetPrice(Currency v) { FPrice = v; }
  bool GetFlag() const { return FFlag; }
  void SetFlag(bool v) { FFlag = v; }
  Char GetLetter() const { return FLetter; }
  void SetLetter(Char v) { FLetter = v; }
  TFruit GetFruit() const { return FFruit; }
  void SetFruit(TFruit v) { FFruit = v; }
  TFruits GetFruits() const { return FFruits; }
  void SetFruits(TFruits v) { FFruits = v; }
  const WideString& GetWide() const { return FWide; }
  void SetWide(const WideString& v) { FWide = v; }
  TStreamFont* GetFont() const { return FFont; }
  TCollection* GetItems() const { return FItems; }
  TStrings* GetLines() const { return FLines; }
  TStreamPart* GetBuddy() const { return FBuddy; }
  void SetBuddy(TStreamPart* v);
  Variant GetValue() const { return FValue; }
  void SetValue(const Variant& v) { FValue = v; }
  const String& GetSecret() const { return FSecret; }
  void SetSecret(const String& v) { FSecret = v; }
  bool IsSecretStored() const { return FSecret != "hidden"; }

  TNotifyEvent OnPing;
  String Blob;                                // a binary defined property
  std::vector<std::string> StateAtLoaded;     // what Loaded saw

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DefineProperties(TFiler& Filer) override;

 private:
  String FCaption, FSecret;
  Integer FCount = 0;
  Int64 FBig = 0;
  SmallInt FSmall = 0;
  double FRatio = 0;
  TDateTime FWhen;
  Currency FPrice;
  bool FFlag = false;
  Char FLetter = 'a';
  TFruit FFruit = TFruit::frApple;
  TFruits FFruits;
  WideString FWide;
  Variant FValue;
  TStreamFont* FFont;
  TCollection* FItems;
  TStringList* FLines;
  TStreamPart* FBuddy = nullptr;
};

// A root that streams the components it owns as its children and publishes handlers.
class TStreamRoot : public TStreamPart {
  TL_CLASS(TStreamRoot, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  void Ping(TObject* Sender) { Pinged.push_back(Sender); }
  void WrongShape(Integer) {}
  std::vector<TObject*> Pinged;
};

// A child that owns the components it streams (like a frame).
class TStreamGroup : public TStreamPart {
  TL_CLASS(TStreamGroup, TStreamPart)
 public:
  using TStreamPart::TStreamPart;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TComponent* GetChildOwner() override { return this; }
};

void RegisterStreamTestClasses();
void RegisterStreamTestColors();
