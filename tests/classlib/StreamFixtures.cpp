#include "tests/classlib/StreamFixtures.h"

TL_DEFINE_CLASS(TStreamFont, [](auto& c) {
  c.Property("Name", &TStreamFont::GetName, &TStreamFont::SetName);
  c.Property("Size", &TStreamFont::GetSize, &TStreamFont::SetSize).Default(8);
  c.Property("Color", &TStreamFont::GetColor, &TStreamFont::SetColor).Default(0).Idents("TTestColor");
  c.Property("Style", &TStreamFont::GetStyle, &TStreamFont::SetStyle).Default(TFruits{});
})

TL_DEFINE_CLASS(TStreamItem, [](auto& c) {
  c.Property("Caption", &TStreamItem::GetCaption, &TStreamItem::SetCaption);
  c.Property("Width", &TStreamItem::GetWidth, &TStreamItem::SetWidth).Default(50);
  c.Property("Kind", &TStreamItem::GetKind, &TStreamItem::SetKind).Default(TFruit::frApple);
})

TL_DEFINE_CLASS(TStreamPart, [](auto& c) {
  c.Property("Caption", &TStreamPart::GetCaption, &TStreamPart::SetCaption);
  c.Property("Count", &TStreamPart::GetCount, &TStreamPart::SetCount).Default(0);
  c.Property("Big", &TStreamPart::GetBig, &TStreamPart::SetBig);
  c.Property("Small", &TStreamPart::GetSmall, &TStreamPart::SetSmall).Default(0);
  c.Property("Ratio", &TStreamPart::GetRatio, &TStreamPart::SetRatio);
  c.Property("When", &TStreamPart::GetWhen, &TStreamPart::SetWhen);
  c.Property("Price", &TStreamPart::GetPrice, &TStreamPart::SetPrice);
  c.Property("Flag", &TStreamPart::GetFlag, &TStreamPart::SetFlag).Default(false);
  c.Property("Letter", &TStreamPart::GetLetter, &TStreamPart::SetLetter).Default('a');
  c.Property("Fruit", &TStreamPart::GetFruit, &TStreamPart::SetFruit).Default(TFruit::frApple);
  c.Property("Fruits", &TStreamPart::GetFruits, &TStreamPart::SetFruits).Default(TFruits{});
  c.Property("Wide", &TStreamPart::GetWide, &TStreamPart::SetWide);
  c.Property("Value", &TStreamPart::GetValue, &TStreamPart::SetValue);
  c.Property("Font", &TStreamPart::GetFont);
  c.Property("Items", &TStreamPart::GetItems);
  c.Property("Lines", &TStreamPart::GetLines);
  c.Property("Buddy", &TStreamPart::GetBuddy, &TStreamPart::SetBuddy);
  c.Property("Secret", &TStreamPart::GetSecret, &TStreamPart::SetSecret).Stored(&TStreamPart::IsSecretStored);
  c.Event("OnPing", &TStreamPart::OnPing);
})

TL_DEFINE_CLASS(TStreamRoot, [](auto& c) {
  c.Method("Ping", &TStreamRoot::Ping);
  c.Method("WrongShape", &TStreamRoot::WrongShape);
})

TL_DEFINE_CLASS(TStreamGroup)

TStreamPart::TStreamPart(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(New<TStreamFont>()),
      FItems(New<TCollection>(ClassOf<TStreamItem, TCollectionItem, TCollection*>())),
      FLines(New<TStringList>()) {}

TStreamPart::~TStreamPart() {
  FFont->Free();
  FItems->Free();
  FLines->Free();
}

void TStreamPart::GetChildren(const TGetChildProc&, TComponent*) {}

void TStreamPart::SetBuddy(TStreamPart* v) {
  if (FBuddy == v) return;
  if (FBuddy) FBuddy->RemoveFreeNotification(this);
  FBuddy = v;
  if (v) v->FreeNotification(this);
}

void TStreamPart::Loaded() {
  StateAtLoaded.push_back(InState(TComponentStateItem::csLoading) ? "loading" : "not loading");
  StateAtLoaded.push_back(InState(TComponentStateItem::csReading) ? "reading" : "not reading");
  inherited::Loaded();
}

void TStreamPart::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == FBuddy) FBuddy = nullptr;
}

void TStreamPart::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "Blob",
      [this](TStream& s) {
        Blob.assign(size_t(s.GetSize()), '\0');
        s.ReadBuffer(Blob.data(), Integer(Blob.size()));
      },
      [this](TStream& s) { s.WriteBuffer(Blob.data(), Integer(Blob.size())); }, !Blob.empty());
}

void TStreamRoot::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (Integer i = 0; i < ComponentCount(); ++i)
    Proc(Components(i));
}

void TStreamGroup::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (Integer i = 0; i < ComponentCount(); ++i) Proc(Components(i));
}

void RegisterStreamTestClasses() {
  RegisterClasses({&TStreamPart::StaticClass(), &TStreamRoot::StaticClass(), &TStreamGroup::StaticClass()});
}

void RegisterStreamTestColors() {
  static const TIdentMapEntry map[] = {{0x0000FF, "clTestRed"}, {0x00FF00, "clTestGreen"}};
  RegisterIntegerConsts(
      "TTestColor", [](const String& s, Integer& v) { return IdentToInt(s, v, map, 2); },
      [](Integer v, String& s) { return IntToIdent(v, s, map, 2); });
}
