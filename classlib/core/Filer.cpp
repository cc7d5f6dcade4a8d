#include "classlib/core/Filer.h"

#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Strings.h"
#include "platform/kernel/Resources.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

using enum TValueType;
using enum TComponentStateItem;

TL_DEFINE_CLASS(TFiler)
TL_DEFINE_CLASS(TWriter)
TL_DEFINE_CLASS(TReader)

namespace {
constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

// Integer constants registered by type name.
struct IntConsts {
  String Name;
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};
std::vector<IntConsts>& IntConstRegistry() {
  static std::vector<IntConsts> r;
  return r;
}

void PutLE(Byte* p, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = Byte(v >> (8 * i));
}
uint64_t GetLE(const Byte* p, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v |= uint64_t(p[i]) << (8 * i);
  return v;
}
}  // namespace

// ---- Integer constants ----

void RegisterIntegerConsts(const String& TypeName, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn) {
  for (auto& c : IntConstRegistry())
    if (tl_detail::SameIdent(c.Name, TypeName)) {
      c.ToInt = IdentToIntFn;
      c.ToIdent = IntToIdentFn;
      return;
    }
  IntConstRegistry().push_back({TypeName, IdentToIntFn, IntToIdentFn});
}

void UnregisterIntegerConsts(const String& TypeName) {
  auto& r = IntConstRegistry();
  for (auto it = r.begin(); it != r.end(); ++it)
    if (tl_detail::SameIdent(it->Name, TypeName)) {
      r.erase(it);
      return;
    }
}

bool FindIntegerConsts(const String& TypeName, TIdentToInt& IdentToIntFn, TIntToIdent& IntToIdentFn) {
  for (const auto& c : IntConstRegistry())
    if (tl_detail::SameIdent(c.Name, TypeName)) {
      IdentToIntFn = c.ToInt;
      IntToIdentFn = c.ToIdent;
      return true;
    }
  return false;
}

bool IdentToInt(const String& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (tl_detail::SameIdent(Map[i].Name, Ident)) {
      Int = Map[i].Value;
      return true;
    }
  return false;
}

bool IntToIdent(Integer Int, String& Ident, const TIdentMapEntry* Map, size_t Count) {
  for (size_t i = 0; i < Count; ++i)
    if (Map[i].Value == Int) {
      Ident = Map[i].Name;
      return true;
    }
  return false;
}

// ---- Extended floats ----

void DoubleToExtended(double Value, Byte Out[10]) {
  uint64_t bits = std::bit_cast<uint64_t>(Value);
  unsigned sign = unsigned(bits >> 63);
  int exp = int((bits >> 52) & 0x7FF);
  uint64_t frac = bits & ((uint64_t(1) << 52) - 1);
  uint64_t mant = 0;
  int e = 0;
  if (exp == 0x7FF) {
    e = 0x7FFF;
    mant = (uint64_t(1) << 63) | (frac << 11);
  } else if (exp == 0 && frac != 0) {
    int shift = std::countl_zero(frac);
    mant = frac << shift;
    e = -1074 - shift + 63 + 16383;
  } else if (exp != 0) {
    mant = (uint64_t(1) << 63) | (frac << 11);
    e = exp - 1023 + 16383;
  }
  PutLE(Out, mant, 8);
  PutLE(Out + 8, uint64_t(e) | (uint64_t(sign) << 15), 2);
}

double ExtendedToDouble(const Byte In[10]) {
  uint64_t mant = GetLE(In, 8);
  unsigned se = unsigned(GetLE(In + 8, 2));
  bool neg = (se & 0x8000) != 0;
  int e = int(se & 0x7FFF);
  double v;
  if (e == 0x7FFF) {
    v = (mant << 1) == 0 ? std::numeric_limits<double>::infinity() : std::numeric_limits<double>::quiet_NaN();
  } else if (mant == 0) {
    v = 0.0;
  } else if (e != 0 && (mant >> 63) == 0) {
    v = std::numeric_limits<double>::quiet_NaN();  // an unnormal: no valid x87 value
  } else {
    // value = mant * 2^exp2. Rounded once, to nearest with ties to even, at the double's
    // last place (or the subnormal unit), so no second rounding can creep in.
    int shift = std::countl_zero(mant);
    mant <<= shift;
    int exp2 = (e == 0 ? 1 : e) - 16383 - 63 - shift;
    int drop = exp2 + 63 >= -1022 ? 11 : -1074 - exp2;
    if (drop >= 65) {
      v = 0.0;
    } else {
      uint64_t q = drop >= 64 ? 0 : mant >> drop;
      uint64_t rest = drop >= 64 ? mant : mant & ((uint64_t(1) << drop) - 1);
      uint64_t half = uint64_t(1) << (drop - 1);
      if (rest > half || (rest == half && (q & 1))) ++q;
      v = std::ldexp(double(q), exp2 + drop);  // exact; beyond the double range: infinity
    }
  }
  return neg ? -v : v;
}

// ---- TComponent streaming hooks ----

void TComponent::ReadState(TReader& Reader) { Reader.ReadData(this); }
void TComponent::WriteState(TWriter& Writer) { Writer.WriteData(this); }

TComponent* TStream::ReadComponent(TComponent* Instance) {
  Owned<TReader> reader(New<TReader>(*this));
  return reader->ReadRootComponent(Instance);
}

TComponent* ReadComponentRes(const String& ResName, TComponent* Instance) {
  Owned<TResourceStream> res(New<TResourceStream>(nullptr, ResName, RT_RCDATA));
  return res->ReadComponent(Instance);
}

bool InitInheritedComponent(TComponent* Instance, const TClass& RootAncestor) {
  std::vector<const TClass*> chain;
  for (const TClass* c = &Instance->ClassType(); c && c != &RootAncestor; c = c->ClassParent()) chain.push_back(c);
  bool found = false;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!FindResourceA(nullptr, (*it)->ClassName().c_str(), RT_RCDATA)) continue;
    ReadComponentRes((*it)->ClassName(), Instance);
    found = true;
  }
  return found;
}

void TStream::WriteComponent(TComponent* Instance) {
  Owned<TWriter> writer(New<TWriter>(*this));
  writer->WriteRootComponent(Instance);
}

// ---- TStrings in component streams: the "Strings" list ----

void TStrings::DefineProperties(TFiler& Filer) {
  inherited::DefineProperties(Filer);
  Filer.DefineProperty(
      "Strings", [this](TReader& r) { ReadData(r); }, [this](TWriter& w) { WriteData(w); }, GetCount() > 0);
}

void TStrings::ReadData(TReader& Reader) {
  Reader.ReadListBegin();
  auto update = UpdateBracket(this);
  Clear();
  while (!Reader.EndOfList()) Add(Reader.ReadString());
  Reader.ReadListEnd();
}

void TStrings::WriteData(TWriter& Writer) {
  Writer.WriteListBegin();
  for (Integer i = 0; i < GetCount(); ++i) Writer.WriteString(Get(i));
  Writer.WriteListEnd();
}

// ---- TWriter ----

void TWriter::DefineProperty(const String& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (HasData && WriteData) {
    WritePropName(Name);
    WriteData(*this);
  }
}

void TWriter::DefineBinaryProperty(const String& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  Owned<TMemoryStream> data(New<TMemoryStream>());
  WriteData(*data);
  WritePropName(Name);
  WriteValue(vaBinary);
  Int64 size = data->GetSize();
  Byte len[4];
  PutLE(len, uint64_t(size), 4);
  Write(len, 4);
  Write(data->Memory(), Integer(size));
}

void TWriter::WriteSignature() { Write(kSignature, 4); }

void TWriter::WriteRootComponent(TComponent* ARoot) {
  SetRoot(ARoot);
  WriteSignature();
  WriteComponent(ARoot);
}

void TWriter::WriteComponent(TComponent* Component) {
  TScopedValue<int> depth(FDepth, FDepth + 1);
  if (FDepth > TReader::MaxDepth) throw EWriteError("Component tree too deep to write");
  auto writing = PairedCall([Component] { Component->SetStateFlag(csWriting, true); },
                            [Component] { Component->SetStateFlag(csWriting, false); });
  Component->WriteState(*this);
}

void TWriter::WriteData(TComponent* Instance) {
  WriteStr(Instance->ClassName());
  WriteStr(Instance->GetName());
  WriteProperties(Instance);
  WriteListEnd();
  Instance->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, FRoot);
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* p : Instance->ClassType().Properties())
    if (p->IsStored(Instance)) WriteProperty(Instance, *p);
  CallDefineProperties(Instance, *this);
}

void TWriter::WritePropName(const String& Name) { WriteStr(FPropPath + Name); }

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& P) {
  switch (P.Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
    case TPropKind::Char:
    case TPropKind::Bool:
    case TPropKind::Enum:
    case TPropKind::Set: {
      Int64 v = P.GetOrd(Instance);
      if (P.HasDefault ? v == P.DefaultOrd : (P.Kind == TPropKind::Int64 && v == 0)) return;
      WritePropName(P.Name);
      if (P.Kind == TPropKind::Bool) {
        WriteBoolean(v != 0);
      } else if (P.Kind == TPropKind::Char) {
        WriteChar(Char(v));
      } else if (P.Kind == TPropKind::Enum) {
        WriteIdent(P.EnumType->ValueName(int(v)));
      } else if (P.Kind == TPropKind::Set) {
        WriteValue(vaSet);
        for (int i = 0; i < P.EnumType->Count(); ++i)
          if ((uint64_t(v) >> i) & 1) WriteStr(P.EnumType->ValueName(i));
        WriteStr(String());
      } else {
        TIdentToInt toInt;
        TIntToIdent toIdent;
        String ident;
        if (!P.IdentTable.empty() && FindIntegerConsts(P.IdentTable, toInt, toIdent) && toIdent &&
            toIdent(Integer(v), ident))
          WriteIdent(ident);
        else
          WriteInteger(v);
      }
      return;
    }
    case TPropKind::Currency: {
      Int64 v = P.GetOrd(Instance);
      if (v == 0) return;
      WritePropName(P.Name);
      WriteCurrency(Currency::FromRaw(v));
      return;
    }
    case TPropKind::Double:
    case TPropKind::DateTime: {
      double v = P.GetFloat(Instance);
      if (v == 0) return;
      WritePropName(P.Name);
      if (P.Kind == TPropKind::DateTime)
        WriteDate(v);
      else
        WriteFloat(v);
      return;
    }
    case TPropKind::String: {
      String v = P.GetStr(Instance);
      if (v.empty()) return;
      WritePropName(P.Name);
      WriteString(v);
      return;
    }
    case TPropKind::WideString: {
      WideString v = P.GetWStr(Instance);
      if (v.empty()) return;
      WritePropName(P.Name);
      WriteWideString(v);
      return;
    }
    case TPropKind::Method: {
      TMethodRaw m = P.GetMethod(Instance);
      // Only handlers published by the root can be named in the stream.
      if (!m.Data || !m.Proc || m.Data != FLookupRoot) return;
      const TMethodEntry* e = FLookupRoot->ClassType().FindMethodByCode(m.Proc);
      if (!e) return;
      WritePropName(P.Name);
      WriteIdent(e->Name);
      return;
    }
    case TPropKind::Reference: {
      auto* c = static_cast<TComponent*>(P.GetObj(Instance));
      if (!c) return;
      String ref;
      if (c == FLookupRoot)
        ref = "Owner";
      else if (c->Owner() == FLookupRoot)
        ref = c->GetName();
      else if (c->Owner() && !c->Owner()->GetName().empty() && !c->GetName().empty())
        ref = c->Owner()->GetName() + "." + c->GetName();
      if (ref.empty()) return;
      WritePropName(P.Name);
      WriteIdent(ref);
      return;
    }
    case TPropKind::Variant: {
      Variant v = P.GetVar(Instance);
      if (VarIsEmpty(v)) return;
      WritePropName(P.Name);
      WriteVariant(v);
      return;
    }
    case TPropKind::Object: {
      TObject* v = P.GetObj(Instance);
      if (auto* coll = dynamic_cast<TCollection*>(v)) {
        WritePropName(P.Name);
        WriteCollection(coll);
      } else if (auto* sub = dynamic_cast<TPersistent*>(v)) {
        TScopedValue<int> depth(FDepth, FDepth + 1);
        if (FDepth > TReader::MaxDepth) throw EWriteError("Property path too deep to write");
        TScopedValue<String> path(FPropPath, FPropPath + P.Name + ".");
        WriteProperties(sub);
      }
      return;
    }
  }
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  if (Value) {
    TScopedValue<String> path(FPropPath, String());
    for (Integer i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
  }
  WriteListEnd();
}

void TWriter::WriteValue(TValueType Value) {
  Byte b = Byte(Value);
  Write(&b, 1);
}

void TWriter::WriteInteger(Int64 Value) {
  Byte buf[8];
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    PutLE(buf, uint64_t(Value), 1);
    Write(buf, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    PutLE(buf, uint64_t(Value), 2);
    Write(buf, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    PutLE(buf, uint64_t(Value), 4);
    Write(buf, 4);
  } else {
    WriteValue(vaInt64);
    PutLE(buf, uint64_t(Value), 8);
    Write(buf, 8);
  }
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }

void TWriter::WriteChar(Char Value) { WriteString(String(1, Value)); }

void TWriter::WriteString(const String& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    WriteStr(Value);
    return;
  }
  if (Value.size() > size_t(INT32_MAX)) throw EWriteError("String too long to write");
  WriteValue(vaLString);
  Byte len[4];
  PutLE(len, Value.size(), 4);
  Write(len, 4);
  Write(Value.data(), Integer(Value.size()));
}

void TWriter::WriteWideString(const WideString& Value) {
  if (Value.size() > size_t(INT32_MAX / 2)) throw EWriteError("String too long to write");
  WriteValue(vaWString);
  Byte len[4];
  PutLE(len, Value.size(), 4);
  Write(len, 4);
  String bytes(Value.size() * 2, '\0');
  for (size_t i = 0; i < Value.size(); ++i) {
    bytes[2 * i] = Char(Value[i] & 0xFF);
    bytes[2 * i + 1] = Char(Value[i] >> 8);
  }
  Write(bytes.data(), Integer(bytes.size()));
}

void TWriter::WriteIdent(const String& Ident) {
  if (tl_detail::SameIdent(Ident, "False"))
    WriteValue(vaFalse);
  else if (tl_detail::SameIdent(Ident, "True"))
    WriteValue(vaTrue);
  else if (tl_detail::SameIdent(Ident, "Null"))
    WriteValue(vaNull);
  else if (tl_detail::SameIdent(Ident, "nil"))
    WriteValue(vaNil);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteFloat(double Value) {
  WriteValue(vaExtended);
  Byte buf[10];
  DoubleToExtended(Value, buf);
  Write(buf, 10);
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  Byte buf[8];
  PutLE(buf, std::bit_cast<uint64_t>(Value.Value), 8);
  Write(buf, 8);
}

void TWriter::WriteCurrency(Currency Value) {
  WriteValue(vaCurrency);
  Byte buf[8];
  PutLE(buf, uint64_t(Value.Raw), 8);
  Write(buf, 8);
}

void TWriter::WriteStr(const String& Value) {
  if (Value.size() > 255) throw EWriteError("Name too long to write: " + Value.substr(0, 40) + "...");
  Byte len = Byte(Value.size());
  Write(&len, 1);
  if (len) Write(Value.data(), len);
}

void TWriter::WriteVariant(const Variant& Value) {
  switch (VarType(Value)) {
    case varEmpty:
      WriteValue(vaNil);
      return;
    case varNull:
      WriteValue(vaNull);
      return;
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
    case varLongWord:
    case varInt64:
      WriteInteger(Value.AsInt64());
      return;
    case varSingle: {
      WriteValue(vaSingle);
      Byte buf[4];
      PutLE(buf, std::bit_cast<uint32_t>(float(Value.AsDouble())), 4);
      Write(buf, 4);
      return;
    }
    case varDouble:
      WriteFloat(Value.AsDouble());
      return;
    case varCurrency:
      WriteCurrency(Value.AsCurrency());
      return;
    case varDate:
      WriteDate(Value.AsDateTime());
      return;
    case varBoolean:
      WriteBoolean(Value.AsBoolean());
      return;
    case varString:
      WriteString(Value.AsString());
      return;
    case varOleStr:
      WriteWideString(Value.AsWideString());
      return;
    default:
      throw EWriteError("Invalid variant type " + VarTypeAsText(VarType(Value)) + " for a stream");
  }
}
