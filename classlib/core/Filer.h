// The component stream in its binary form: TWriter writes a component tree with its
// published properties, TReader reads it back, creating children through the class
// registry, resolving component references after the read and binding events to the
// root's published methods by name.
//
// Every error the reader raises for bad data is an EReadError whose message ends with
// the stream offset of the offending item (a setter's own error comes wrapped as
// "Error reading Name.Prop: ..."); a missing class raises EClassNotFound. Errors from
// Loaded pass through as they are, after every component has had its Loaded.
#pragma once

#include "classlib/core/Classes.h"
#include "classlib/core/Collections.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/Streams.h"
#include "classlib/core/Variants.h"

#include <functional>
#include <vector>

TL_ENUM(TValueType, vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
        vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64,
        vaUTF8String, vaDouble);

// Component header flags (written as $F0 | flags before the class name).
inline constexpr Byte ffInherited = 0x01;
inline constexpr Byte ffChildPos = 0x02;
inline constexpr Byte ffInline = 0x04;

// ---- Named integer constants (colours, cursors, charsets) ----

struct TIdentMapEntry {
  Integer Value;
  const char* Name;
};
using TIdentToInt = bool (*)(const String& Ident, Integer& Int);
using TIntToIdent = bool (*)(Integer Int, String& Ident);

// A property declared with .Idents(TypeName) is written as an identifier when
// IntToIdent knows the value, and read from either form.
void RegisterIntegerConsts(const String& TypeName, TIdentToInt IdentToIntFn, TIntToIdent IntToIdentFn);
void UnregisterIntegerConsts(const String& TypeName);
bool FindIntegerConsts(const String& TypeName, TIdentToInt& IdentToIntFn, TIntToIdent& IntToIdentFn);
bool IdentToInt(const String& Ident, Integer& Int, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(Integer Int, String& Ident, const TIdentMapEntry* Map, size_t Count);

// ---- 80-bit extended floats as the stream stores them ----

void DoubleToExtended(double Value, Byte Out[10]);
double ExtendedToDouble(const Byte In[10]);

// Reads the component stored as RCDATA resource ResName into Instance (or into a new
// instance of the class it names when Instance is nullptr).
TComponent* ReadComponentRes(const String& ResName, TComponent* Instance);
// Reads into Instance the RCDATA descriptions named after its class and its ancestors
// below RootAncestor, ancestors first (how a form finds its own description). False when
// none of them has one.
bool InitInheritedComponent(TComponent* Instance, const TClass& RootAncestor);

// ---- Filers ----
// Filers are objects like any other: Owned<TReader> r(New<TReader>(stream)).

class TFiler : public TObject {
  TL_CLASS(TFiler, TObject)
 public:
  using TReaderProc = std::function<void(TReader& Reader)>;
  using TWriterProc = std::function<void(TWriter& Writer)>;
  using TStreamProc = std::function<void(TStream& Stream)>;

  explicit TFiler(TStream& Stream) : FStream(Stream) {}
  TStream& Stream() const { return FStream; }
  TComponent* Root() const { return FRoot; }
  void SetRoot(TComponent* Value) { FRoot = FLookupRoot = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }

  // Non-published data of a persistent object, called from its DefineProperties.
  virtual void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
  virtual void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;

 protected:
  static void CallDefineProperties(TPersistent* Instance, TFiler& Filer) { Instance->DefineProperties(Filer); }

  TStream& FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
};

class TWriter : public TFiler {
  TL_CLASS(TWriter, TFiler)
 public:
  using TFiler::TFiler;

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // Signature, the root with its properties, then its children as GetChildren lists them.
  void WriteRootComponent(TComponent* ARoot);
  void WriteComponent(TComponent* Component);
  // The header, properties and children of Instance (what TComponent::WriteState calls).
  void WriteData(TComponent* Instance);
  void WriteSignature();
  void WriteProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Value);

  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(TValueType::vaList); }
  void WriteListEnd() { WriteValue(TValueType::vaNull); }
  void WriteInteger(Int64 Value);  // in the smallest of the integer value types
  void WriteBoolean(bool Value);
  void WriteChar(Char Value);
  void WriteString(const String& Value);
  void WriteWideString(const WideString& Value);
  void WriteIdent(const String& Ident);
  void WriteFloat(double Value);
  void WriteDate(TDateTime Value);
  void WriteCurrency(Currency Value);
  void WriteStr(const String& Value);  // raw short string: length byte and at most 255 bytes
  // Empty as vaNil, Null as vaNull, the rest by their types; arrays raise EWriteError.
  void WriteVariant(const Variant& Value);
  const String& PropPath() const { return FPropPath; }

 private:
  void WriteProperty(TPersistent* Instance, const TPropInfo& P);
  void WritePropName(const String& Name);
  void Write(const void* Buf, Integer Count) { FStream.WriteBuffer(Buf, Count); }
  String FPropPath;
  int FDepth = 0;
};

class TReader : public TFiler {
  TL_CLASS(TReader, TFiler)
 public:
  // Deepest nesting of components, sub-objects, collections and lists accepted.
  static constexpr int MaxDepth = 200;

  using TFiler::TFiler;
  void BeforeDestruction() override;

  void DefineProperty(const String& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
  void DefineBinaryProperty(const String& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // Reads the stream's root into Root, or into a new instance of the registered class the
  // stream names when Root is nullptr. References are resolved and Loaded runs for every
  // component read once the whole tree is in. A root created here is freed on error.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component header and body; children are owned by Owner (the root by default).
  TComponent* ReadComponent(TComponent* Component);
  // Properties and children of Instance (what TComponent::ReadState calls).
  void ReadData(TComponent* Instance);
  void ReadSignature();
  void ReadCollection(TCollection* Collection);

  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  TValueType NextValue();
  TValueType ReadValue();
  // True at the zero byte that ends a list (of values, properties or components).
  bool EndOfList();
  void ReadListBegin() { CheckValue(TValueType::vaList); }
  void ReadListEnd() { CheckValue(TValueType::vaNull); }
  void CheckValue(TValueType Value);
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  Char ReadChar();
  String ReadString();
  WideString ReadWideString();
  String ReadIdent();
  double ReadFloat();
  TDateTime ReadDate();
  Currency ReadCurrency();
  String ReadStr();
  Variant ReadVariant();
  void SkipValue();

  // Raises EReadError with Msg and the offset of the item being read.
  [[noreturn]] void Error(const String& Msg) const;
  [[noreturn]] void ErrorAt(Int64 Pos, const String& Msg) const;

 private:
  struct Fixup {
    TPersistent* Instance;
    const TPropInfo* Prop;
    String Name;
    Int64 Pos;
  };
  // One level deeper for the scope; refused past MaxDepth.
  struct DepthGuard {
    explicit DepthGuard(TReader& r);
    TScopedValue<int> Depth;
  };

  // The prefix flags, class and name that open every component in a stream.
  Byte ReadComponentHeader(String& ClassName, Int64& ClassPos, String& Name);
  // The registered class a stream names, refused when unknown or not a creatable component.
  const TClass* CreatableClass(const String& ClassName, Int64 ClassPos);
  void ReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& P);
  void ReadSubObjectValue(TObject* Value);
  Int64 ReadIntValue(TValueType t);
  double ReadFloatValue(TValueType t);
  String ReadStringValue(TValueType t);
  void Read(void* Buf, Integer Count);
  Integer ReadLength();
  void ResolveFixups();
  // Clears the loading flags of everything read so far and drops pending fix-ups.
  void FinishLoading(bool ok) noexcept;
  TComponent* FindReference(const String& Name) const;

  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  std::vector<TComponent*> FLoaded;
  std::vector<Fixup> FFixups;
  String FPropName;
  bool FPropHandled = false;
  Int64 FItemPos = 0;
  int FDepth = 0;
};
