// TReader: the binary component stream read back into objects.
#include "classlib/core/Filer.h"
#include "classlib/core/ScopeGuards.h"
#include "platform/kernel/CodePage.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using enum TValueType;
using enum TComponentStateItem;

namespace {
bool IsIntType(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }

uint64_t GetLE(const Byte* p, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= uint64_t(p[i]) << (8 * i);
  return v;
}

String InvalidValue() { return "Invalid property value"; }
}  // namespace

TReader::DepthGuard::DepthGuard(TReader& r) : Depth(r.FDepth, r.FDepth + 1) {
  if (r.FDepth > MaxDepth) r.Error("Nesting too deep");
}

void TReader::BeforeDestruction() {
  FinishLoading(false);
  inherited::BeforeDestruction();
}

void TReader::Error(const String& Msg) const { ErrorAt(FItemPos, Msg); }

void TReader::ErrorAt(Int64 Pos, const String& Msg) const {
  throw EReadError(Msg + " (at offset " + std::to_string(Pos) + ")");
}

// ---- Primitives ----

void TReader::Read(void* Buf, Integer Count) {
  if (Count <= 0) return;
  if (FStream.Read(Buf, Count) != Count) Error("Stream read error");
}

Integer TReader::ReadLength() {
  Byte b[4];
  Read(b, 4);
  Int64 len = Int64(int32_t(uint32_t(GetLE(b, 4))));
  Int64 left = FStream.GetSize() - FStream.GetPosition();
  if (len < 0 || len > left) Error("Invalid length " + std::to_string(len));
  return Integer(len);
}

TValueType TReader::ReadValue() {
  FItemPos = FStream.GetPosition();
  Byte b;
  Read(&b, 1);
  if (b > Byte(vaDouble)) Error("Invalid value type " + std::to_string(b));
  return TValueType(b);
}

TValueType TReader::NextValue() {
  TValueType t = ReadValue();
  FStream.Seek(-1, TSeekOrigin::soCurrent);
  return t;
}

bool TReader::EndOfList() {
  // A raw peek: component headers may start with a flags byte that is no value type.
  FItemPos = FStream.GetPosition();
  Byte b;
  Read(&b, 1);
  FStream.Seek(-1, TSeekOrigin::soCurrent);
  return b == 0;
}

void TReader::CheckValue(TValueType Value) {
  TValueType t = ReadValue();
  if (t != Value) {
    FStream.Seek(-1, TSeekOrigin::soCurrent);
    Error("Expected " + EnumInfo<TValueType>::Name(Value) + ", found " + EnumInfo<TValueType>::Name(t));
  }
}

String TReader::ReadStr() {
  FItemPos = FStream.GetPosition();
  Byte len;
  Read(&len, 1);
  String s(len, '\0');
  Read(s.data(), len);
  return s;
}

Int64 TReader::ReadIntValue(TValueType t) {
  Byte b[8];
  switch (t) {
    case vaInt8:
      Read(b, 1);
      return int8_t(b[0]);
    case vaInt16:
      Read(b, 2);
      return int16_t(uint16_t(GetLE(b, 2)));
    case vaInt32:
      Read(b, 4);
      return int32_t(uint32_t(GetLE(b, 4)));
    case vaInt64:
      Read(b, 8);
      return int64_t(GetLE(b, 8));
    default:
      Error(InvalidValue());
  }
}

double TReader::ReadFloatValue(TValueType t) {
  Byte b[10];
  switch (t) {
    case vaExtended:
      Read(b, 10);
      return ExtendedToDouble(b);
    case vaDouble:
    case vaDate:
      Read(b, 8);
      return std::bit_cast<double>(GetLE(b, 8));
    case vaSingle:
      Read(b, 4);
      return double(std::bit_cast<float>(uint32_t(GetLE(b, 4))));
    case vaCurrency:
      Read(b, 8);
      return double(int64_t(GetLE(b, 8))) / 10000.0;
    default:
      if (IsIntType(t)) return double(ReadIntValue(t));
      Error(InvalidValue());
  }
}

String TReader::ReadStringValue(TValueType t) {
  switch (t) {
    case vaString: {
      Byte len;
      Read(&len, 1);
      String s(len, '\0');
      Read(s.data(), len);
      return s;
    }
    case vaLString:
    case vaUTF8String: {
      Integer len = ReadLength();
      String s(size_t(len), '\0');
      Read(s.data(), len);
      return t == vaUTF8String ? Utf8ToAnsi(s) : s;
    }
    case vaWString: {
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      return WideToAnsi(ReadWideString());
    }
    default:
      Error(InvalidValue());
  }
}

Integer TReader::ReadInteger() {
  Int64 v = ReadInt64();
  if (v < INT32_MIN || v > INT32_MAX) Error(InvalidValue());
  return Integer(v);
}

Int64 TReader::ReadInt64() { return ReadIntValue(ReadValue()); }

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t != vaTrue && t != vaFalse) Error(InvalidValue());
  return t == vaTrue;
}

Char TReader::ReadChar() {
  String s = ReadString();
  if (s.size() != 1) Error(InvalidValue());
  return s[0];
}

String TReader::ReadString() { return ReadStringValue(ReadValue()); }

WideString TReader::ReadWideString() {
  TValueType t = ReadValue();
  if (t != vaWString) {
    if (t == vaString || t == vaLString || t == vaUTF8String) return AnsiToWide(ReadStringValue(t));
    Error(InvalidValue());
  }
  Integer count = ReadLength();  // in characters; bytes checked below
  if (Int64(count) * 2 > FStream.GetSize() - FStream.GetPosition()) Error("Invalid length " + std::to_string(count));
  String bytes(size_t(count) * 2, '\0');
  Read(bytes.data(), count * 2);
  WideString w(size_t(count), u'\0');
  for (Integer i = 0; i < count; ++i)
    w[size_t(i)] = char16_t(Byte(bytes[size_t(2 * i)]) | (Byte(bytes[size_t(2 * i + 1)]) << 8));
  return w;
}

String TReader::ReadIdent() {
  TValueType t = ReadValue();
  switch (t) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    default:
      Error(InvalidValue());
  }
}

double TReader::ReadFloat() { return ReadFloatValue(ReadValue()); }

TDateTime TReader::ReadDate() { return ReadFloatValue(ReadValue()); }

Currency TReader::ReadCurrency() {
  TValueType t = ReadValue();
  if (t == vaCurrency) {
    Byte b[8];
    Read(b, 8);
    return Currency::FromRaw(int64_t(GetLE(b, 8)));
  }
  double v = ReadFloatValue(t) * 10000.0;
  if (!(std::fabs(v) < 9.2e18)) Error(InvalidValue());
  return Currency::FromRaw(std::llround(v));
}

Variant TReader::ReadVariant() {
  TValueType t = ReadValue();
  switch (t) {
    case vaNil:
      return Variant();
    case vaNull:
      return Null();
    case vaInt8:
    case vaInt16:
    case vaInt32:
      return Variant(Integer(ReadIntValue(t)));
    case vaInt64:
      return Variant(ReadIntValue(t));
    case vaSingle:
      return Variant(float(ReadFloatValue(t)));
    case vaExtended:
    case vaDouble:
      return Variant(ReadFloatValue(t));
    case vaDate:
      return Variant(TDateTime(ReadFloatValue(t)));
    case vaCurrency:
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      return Variant(ReadCurrency());
    case vaFalse:
    case vaTrue:
      return Variant(t == vaTrue);
    case vaString:
    case vaLString:
    case vaUTF8String:
      return Variant(ReadStringValue(t));
    case vaWString:
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      return Variant(ReadWideString());
    default:
      Error("Invalid variant value " + EnumInfo<TValueType>::Name(t));
  }
}

void TReader::SkipValue() {
  DepthGuard guard(*this);
  TValueType t = ReadValue();
  switch (t) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      ReadIntValue(t);
      return;
    case vaExtended:
    case vaDouble:
    case vaDate:
    case vaSingle:
    case vaCurrency:
      ReadFloatValue(t);
      return;
    case vaString:
    case vaLString:
    case vaUTF8String:
      ReadStringValue(t);
      return;
    case vaWString:
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      ReadWideString();
      return;
    case vaIdent:
      ReadStr();
      return;
    case vaBinary: {
      Integer len = ReadLength();
      FStream.Seek(len, TSeekOrigin::soCurrent);
      return;
    }
    case vaSet:
      while (!ReadStr().empty()) {
      }
      return;
    case vaCollection:
      while (!EndOfList()) {
        if (IsIntType(NextValue())) ReadInt64();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
}

// ---- Defined properties ----

void TReader::DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (FPropHandled || !tl_detail::SameIdent(Name, FPropName)) return;
  FPropHandled = true;
  if (ReadData)
    ReadData(*this);
  else
    SkipValue();
}

void TReader::DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (FPropHandled || !tl_detail::SameIdent(Name, FPropName)) return;
  FPropHandled = true;
  CheckValue(vaBinary);
  Integer len = ReadLength();
  Owned<TMemoryStream> data(New<TMemoryStream>());
  data->SetSize(len);
  Read(data->Memory(), len);
  data->SetPosition(0);
  if (ReadData) ReadData(*data);
}

// ---- Structure ----

void TReader::ReadSignature() {
  FItemPos = FStream.GetPosition();
  char sig[4];
  if (FStream.Read(sig, 4) != 4 || std::memcmp(sig, "TPF0", 4) != 0) Error("Invalid stream format");
}

namespace {

// A second instance of a described root under the same owner takes the first free name of
// Name_1, Name_2, ...; the name the root already has counts as free.
String UniqueRootName(TComponent* Root, const String& Name) {
  TComponent* owner = Root->Owner();
  if (!owner || Name.empty()) return Name;
  auto taken = [&](const String& n) {
    TComponent* c = owner->FindComponent(n);
    return c && c != Root;
  };
  if (!taken(Name)) return Name;
  for (Integer i = 1;; ++i)
    if (String n = Name + "_" + std::to_string(i); !taken(n)) return n;
}

}  // namespace

Byte TReader::ReadComponentHeader(String& ClassName, Int64& ClassPos, String& Name) {
  FItemPos = FStream.GetPosition();
  Byte prefix;
  Read(&prefix, 1);
  Byte flags = 0;
  if ((prefix & 0xF0) == 0xF0) {
    flags = prefix & 0x0F;
    if (flags & ffChildPos) ReadInteger();
  } else {
    FStream.Seek(-1, TSeekOrigin::soCurrent);
  }
  ClassName = ReadStr();
  ClassPos = FItemPos;
  Name = ReadStr();
  return flags;
}

const TClass* TReader::CreatableClass(const String& ClassName, Int64 ClassPos) {
  const TClass* cls = GetClass(ClassName);
  if (!cls)
    throw EClassNotFound("Class " + ClassName + " not found (at offset " + std::to_string(ClassPos) + ")");
  if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreate()) {
    FItemPos = ClassPos;
    Error("Class " + ClassName + " cannot be created from a stream");
  }
  return cls;
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  String className, name;
  Int64 classPos;
  ReadComponentHeader(className, classPos, name);
  bool created = false;
  if (!Root) {
    Root = CreatableClass(className, classPos)->Create(nullptr);
    created = true;
  }
  SetRoot(Root);
  FOwner = Root;
  // A failed read ends loading unfinished and frees a root it created; a finished one goes on
  // to Loaded below and keeps the root.
  try {
    Root->SetStateFlag(csLoading, true);
    Root->SetStateFlag(csReading, true);
    FLoaded.push_back(Root);
    try {
      Root->SetName(UniqueRootName(Root, name));
    } catch (const EStreamError&) {
      throw;
    } catch (const Exception& e) {
      Error(e.Message());
    }
    Root->ReadState(*this);
    ResolveFixups();
  } catch (...) {  // written out: only a failed read ends the loading and frees a made root
    FinishLoading(false);
    if (created) Root->Free();
    throw;
  }
  // Loaded runs for every component even when one of them raises; the first error wins.
  std::vector<TComponent*> loaded;
  loaded.swap(FLoaded);
  for (TComponent* c : loaded) c->SetStateFlag(csReading, false);
  std::exception_ptr first;
  for (TComponent* c : loaded) {
    try {
      c->Loaded();
    } catch (...) {  // not cleanup: the first error is kept while the others still load
      c->SetStateFlag(csLoading, false);
      if (!first) first = std::current_exception();
    }
  }
  if (first) {
    if (created) Root->Free();  // the caller never sees it
    std::rethrow_exception(first);
  }
  return Root;
}

void TReader::FinishLoading(bool) noexcept {
  for (TComponent* c : FLoaded) {
    c->SetStateFlag(csReading, false);
    c->SetStateFlag(csLoading, false);
  }
  FLoaded.clear();
  FFixups.clear();
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  DepthGuard guard(*this);
  String className, name;
  Int64 classPos;
  Byte flags = ReadComponentHeader(className, classPos, name);
  TComponent* result = Component;
  bool created = false;
  if (!result) {
    if (flags & ffInherited) {
      result = FOwner ? FOwner->FindComponent(name) : nullptr;
      if (!result) Error("Ancestor for '" + name + "' not found");
    } else {
      const TClass* cls = CreatableClass(className, classPos);
      try {
        result = cls->Create(FOwner);
      } catch (const EStreamError&) {
        throw;
      } catch (const Exception& e) {
        FItemPos = classPos;
        Error("Error creating " + className + ": " + e.Message());
      }
      created = true;
    }
  }
  // Only a failed read frees the component it created; a finished one keeps it.
  try {
    result->SetStateFlag(csLoading, true);
    result->SetStateFlag(csReading, true);
    FLoaded.push_back(result);
    if (created) {
      try {
        result->SetName(name);
      } catch (const Exception& e) {
        Error(e.Message());
      }
    }
    result->ReadState(*this);
  } catch (...) {
    if (created) {
      // Forget whatever dies with the component. Everything loaded from it on was read
      // inside it; besides what it owns, it may destroy what it holds as a parent (menu
      // items and controls the root owns). After the free, an entry lives on only if its
      // owner survived and still lists it; freed entries are compared, never touched.
      const auto first = std::find(FLoaded.begin(), FLoaded.end(), result);
      std::vector<std::pair<TComponent*, TComponent*>> inside;   // an entry and its owner
      for (auto it = first; it != FLoaded.end(); ++it) inside.emplace_back(*it, (*it)->Owner());
      FLoaded.erase(first, FLoaded.end());
      result->Free();
      std::vector<TComponent*> dead{result};
      auto holds = [](TComponent* owner, TComponent* c) {
        for (Integer i = 0; i < owner->ComponentCount(); ++i)
          if (owner->Components(i) == c) return true;
        return false;
      };
      for (const auto& [c, owner] : inside) {
        if (c == result) continue;
        const bool ownerDead = !owner || std::find(dead.begin(), dead.end(), owner) != dead.end();
        if (!ownerDead && holds(owner, c)) FLoaded.push_back(c);
        else dead.push_back(c);
      }
    }
    throw;
  }
  return result;
}

void TReader::ReadData(TComponent* Instance) {
  DepthGuard guard(*this);
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  TScopedValue<TComponent*> parent(FParent, Instance->GetChildParent());
  TComponent* childOwner = Instance->GetChildOwner();
  TScopedValue<TComponent*> owner(FOwner, childOwner ? childOwner : FRoot);
  while (!EndOfList()) ReadComponent(nullptr);
  ReadListEnd();
}

void TReader::ReadProperty(TPersistent* Instance) {
  String path = ReadStr();
  Int64 pathPos = FItemPos;
  auto missing = [&] {
    FItemPos = pathPos;
    Error("Property " + path + " does not exist");
  };
  // Walk the dotted path through owned sub-objects.
  TPersistent* obj = Instance;
  size_t start = 0;
  for (;;) {
    size_t dot = path.find('.', start);
    if (dot == String::npos) break;
    String seg = path.substr(start, dot - start);
    const TPropInfo* p = obj->ClassType().FindProperty(seg);
    if (!p || p->Kind != TPropKind::Object) missing();
    auto* sub = dynamic_cast<TPersistent*>(p->GetObj(obj));
    if (!sub) missing();
    obj = sub;
    start = dot + 1;
  }
  String last = path.substr(start);
  if (last.empty()) missing();
  try {
    if (const TPropInfo* p = obj->ClassType().FindProperty(last)) {
      ReadPropValue(obj, *p);
    } else {
      String savedName = FPropName;
      bool savedHandled = FPropHandled;
      FPropName = last;
      FPropHandled = false;
      CallDefineProperties(obj, *this);
      bool handled = FPropHandled;
      FPropName = savedName;
      FPropHandled = savedHandled;
      if (!handled) missing();
    }
  } catch (const EStreamError&) {
    throw;
  } catch (const Exception& e) {
    Error("Error reading " + path + ": " + e.Message());
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& P) {
  if (P.Kind != TPropKind::Object && !P.Writable()) Error("Property " + P.Name + " is read-only");
  TValueType t = ReadValue();
  // Errors point at the start of the value, not at whatever part of it was read last.
  const Int64 valuePos = FItemPos;
  switch (P.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64: {
      Int64 v = 0;
      if (t == vaIdent) {
        String ident = ReadStr();
        TIdentToInt toInt;
        TIntToIdent toIdent;
        Integer iv;
        if (P.IdentTable.empty() || !FindIntegerConsts(P.IdentTable, toInt, toIdent) || !toInt || !toInt(ident, iv))
          ErrorAt(valuePos, "Invalid property value " + ident);
        v = iv;
      } else {
        v = ReadIntValue(t);
      }
      if (v < P.MinValue || v > P.MaxValue) ErrorAt(valuePos, InvalidValue());
      P.SetOrd(Instance, v);
      return;
    }
    case TPropKind::Char: {
      String s = ReadStringValue(t);
      if (s.size() != 1) ErrorAt(valuePos, InvalidValue());
      P.SetOrd(Instance, Byte(s[0]));
      return;
    }
    case TPropKind::Bool:
      if (t != vaTrue && t != vaFalse) ErrorAt(valuePos, InvalidValue());
      P.SetOrd(Instance, t == vaTrue ? 1 : 0);
      return;
    case TPropKind::Enum: {
      if (t != vaIdent) ErrorAt(valuePos, InvalidValue());
      String ident = ReadStr();
      int ord = P.EnumType->IndexOf(ident);
      if (ord < 0) ErrorAt(valuePos, "Invalid property value " + ident);
      P.SetOrd(Instance, ord);
      return;
    }
    case TPropKind::Set: {
      if (t != vaSet) ErrorAt(valuePos, InvalidValue());
      uint64_t bits = 0;
      for (String name = ReadStr(); !name.empty(); name = ReadStr()) {
        int ord = P.EnumType->IndexOf(name);
        if (ord < 0) ErrorAt(valuePos, "Invalid property value " + name);
        bits |= uint64_t(1) << ord;
      }
      P.SetOrd(Instance, Int64(bits));
      return;
    }
    case TPropKind::Currency: {
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      P.SetOrd(Instance, ReadCurrency().Raw);
      return;
    }
    case TPropKind::Double:
    case TPropKind::DateTime:
      P.SetFloat(Instance, ReadFloatValue(t));
      return;
    case TPropKind::String:
      P.SetStr(Instance, ReadStringValue(t));
      return;
    case TPropKind::WideString:
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      P.SetWStr(Instance, ReadWideString());
      return;
    case TPropKind::Method: {
      if (t == vaNil) {
        P.SetMethod(Instance, TMethodRaw{});
        return;
      }
      if (t != vaIdent) ErrorAt(valuePos, InvalidValue());
      String name = ReadStr();
      if (!FLookupRoot) ErrorAt(valuePos, "Method " + name + " has no root to bind to");
      const TMethodEntry* m = FLookupRoot->ClassType().FindMethod(name);
      if (!m) ErrorAt(valuePos, "Method " + name + " not found in " + FLookupRoot->ClassName());
      if (m->Sig != P.MethodSig) ErrorAt(valuePos, "Method " + name + " does not match the type of " + P.Name);
      P.SetMethod(Instance, TMethodRaw{FLookupRoot, m->Code});
      return;
    }
    case TPropKind::Reference: {
      if (t == vaNil) {
        P.SetObj(Instance, nullptr);
        return;
      }
      if (t != vaIdent) ErrorAt(valuePos, InvalidValue());
      Int64 pos = FItemPos;
      FFixups.push_back({Instance, &P, ReadStr(), pos});
      return;
    }
    case TPropKind::Variant:
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      P.SetVar(Instance, ReadVariant());
      return;
    case TPropKind::Object: {
      auto* coll = dynamic_cast<TCollection*>(P.GetObj(Instance));
      if (t != vaCollection || !coll) ErrorAt(valuePos, InvalidValue());
      FStream.Seek(-1, TSeekOrigin::soCurrent);
      ReadCollection(coll);
      return;
    }
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  DepthGuard guard(*this);
  CheckValue(vaCollection);
  auto update = UpdateBracket(Collection);
  Collection->Clear();
  while (!EndOfList()) {
    if (IsIntType(NextValue())) ReadInt64();  // item order: items are read in stream order
    TCollectionItem* item = Collection->Add();
    ReadListBegin();
    while (!EndOfList()) ReadProperty(item);
    ReadListEnd();
  }
  ReadListEnd();
}

TComponent* TReader::FindReference(const String& Name) const {
  if (!FLookupRoot) return nullptr;
  if (tl_detail::SameIdent(Name, "Owner")) return FLookupRoot;
  size_t dot = Name.find('.');
  if (dot == String::npos) {
    if (TComponent* c = FLookupRoot->FindComponent(Name)) return c;
    return tl_detail::SameIdent(Name, FLookupRoot->GetName()) ? FLookupRoot : nullptr;
  }
  if (tl_detail::SameIdent(Name.substr(0, dot), FLookupRoot->GetName()))
    return FLookupRoot->FindComponent(Name.substr(dot + 1));
  return nullptr;
}

void TReader::ResolveFixups() {
  std::vector<Fixup> fixups;
  fixups.swap(FFixups);
  for (const Fixup& f : fixups) {
    FItemPos = f.Pos;
    TComponent* target = FindReference(f.Name);
    if (!target) Error("Component " + f.Name + " not found for " + f.Prop->Name);
    if (!target->InheritsFrom(f.Prop->ObjClass())) Error("Invalid property value " + f.Name + " for " + f.Prop->Name);
    try {
      f.Prop->SetObj(f.Instance, target);
    } catch (const Exception& e) {
      Error("Error reading " + f.Prop->Name + ": " + e.Message());
    }
  }
}
