// Variant comparison and the typed stream values.
#include "widgets/foundation/cxVariants.h"

#include "classlib/core/Filer.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <cstring>
#include <vector>

// ---- Comparison ----

namespace {

bool IsAnsiString(const Variant& V) { return VarType(V) == varString; }

int Sign(Int64 v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

}  // namespace

int32_t cxCompareScalarVariants(const Variant& A, const Variant& B) {
  try {
    if (A == B) return 0;
    if (VarIsNull(A)) return -1;
    if (VarIsNull(B)) return 1;
    return A < B ? -1 : 1;
  } catch (const EVariantError&) {
    return -1;
  }
}

int32_t cxCompareVariantArrays(const Variant& A, const Variant& B) {
  bool arrA = VarIsArray(A), arrB = VarIsArray(B);
  if (arrA && arrB) {
    Integer highA = VarArrayHighBound(A, 1), highB = VarArrayHighBound(B, 1);
    if (highA != highB)
      return int32_t(std::clamp<Int64>(Int64(highA) - highB, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
    Integer lowA = VarArrayLowBound(A, 1), lowB = VarArrayLowBound(B, 1);
    // Elements from index 0; an index below an array's low bound has no element there.
    for (Integer i = std::max<Integer>(0, std::max(lowA, lowB)); i <= highA; ++i) {
      int32_t r = cxCompareVariants(A[i], B[i]);
      if (r != 0) return r;
    }
    return 0;
  }
  if (arrA) return 1;
  if (arrB) return -1;
  return cxCompareVariants(A, B);
}

int32_t cxCompareVariants(const Variant& A, const Variant& B) {
  if (IsAnsiString(A) && IsAnsiString(B)) {
    String sa = A.AsString(), sb = B.AsString();
    size_t n = std::min(sa.size(), sb.size());
    for (size_t i = 0; i < n; ++i)
      if (sa[i] != sb[i]) return int32_t(Byte(sa[i])) - int32_t(Byte(sb[i]));
    Int64 d = Int64(sa.size()) - Int64(sb.size());
    return int32_t(std::clamp<Int64>(d, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  }
  if (VarType(A) == varDate && VarType(B) == varDate)
    return cxCompareScalarVariants(Variant(A.AsDouble()), Variant(B.AsDouble()));
  if (!VarIsArray(A) && !VarIsArray(B)) return cxCompareScalarVariants(A, B);
  return cxCompareVariantArrays(A, B);
}

namespace {

// Kinds for ordering values that do not compare: Null, numbers, text, anything else.
int SortRank(const Variant& V) {
  if (VarIsNull(V)) return 0;
  if (VarIsArray(V)) return 4;
  if (VarIsEmpty(V) || VarIsNumeric(V) || VarType(V) == varDate) return 1;
  if (VarIsStr(V)) return 2;
  return 3;
}

bool Comparable(const Variant& A, const Variant& B) {
  try {
    (void)(A == B);
    (void)(A < B);
    return true;
  } catch (const EVariantError&) {
    return false;
  }
}

}  // namespace

int32_t cxCompareVariantsForSort(const Variant& A, const Variant& B) {
  if (VarIsArray(A) && VarIsArray(B)) {
    Integer highA = VarArrayHighBound(A, 1), highB = VarArrayHighBound(B, 1);
    if (highA != highB) return highA < highB ? -1 : 1;
    for (Integer i = std::max<Integer>(0, std::max(VarArrayLowBound(A, 1), VarArrayLowBound(B, 1))); i <= highA;
         ++i) {
      int32_t r = cxCompareVariantsForSort(A[i], B[i]);
      if (r != 0) return r;
    }
    return 0;
  }
  bool plain = VarIsArray(A) || VarIsArray(B) || (IsAnsiString(A) && IsAnsiString(B)) ||
               (VarType(A) == varDate && VarType(B) == varDate) || Comparable(A, B);
  if (plain) return Sign(cxCompareVariants(A, B));
  int ra = SortRank(A), rb = SortRank(B);
  if (ra != rb) return ra < rb ? -1 : 1;
  String ta, tb;
  try {
    ta = VarToStr(A);
    tb = VarToStr(B);
  } catch (const EVariantError&) {
  }
  int c = ta.compare(tb);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool cxVariantsEqual(const Variant& A, const Variant& B) { return cxCompareVariants(A, B) == 0; }

bool cxVariantsEqualLoose(const Variant& A, const Variant& B) {
  if (VarIsNull(A) || VarIsNull(B)) return cxVariantsEqual(A, B);
  if (VarType(A) == varBoolean || VarType(B) == varBoolean) {
    try {
      return VarToStr(A) == VarToStr(B);
    } catch (const EVariantError&) {
      return false;
    } catch (const EConvertError&) {
      return false;
    }
  }
  return cxVariantsEqual(A, B);
}

bool cxVariantsEqualOrBothBlank(const Variant& A, const Variant& B) {
  return cxVariantsEqual(A, B) || (cxVarIsBlank(A) && cxVarIsBlank(B));
}

// The whole type code: an array of dates or of amounts is neither a date nor an amount.
bool cxIsDateVarType(TVarType AVarType) { return AVarType == varDate; }

bool cxIsCurrencyVarType(TVarType AVarType) { return AVarType == varCurrency; }

bool cxVarIsDateTime(const Variant& V) { return VarType(V) == varDate; }

bool cxVarIsNumber(const Variant& V) {
  switch (VarType(V)) {
    case varSmallint:
    case varInteger:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varSingle:
    case varDouble:
    case varCurrency:
      return true;
    default:
      return false;
  }
}

bool cxVarIsBlank(const Variant& V) {
  if (VarIsNull(V)) return true;
  if (VarType(V) == varString) return V.AsString().empty();
  if (VarType(V) == varOleStr) return V.AsWideString().empty();
  return false;
}

Variant cxMakeVarArrayPair(const Variant& A, const Variant& B) { return VarArrayOf({A, B}); }

Variant cxMakeVarArraySingle(const Variant& A) { return VarArrayOf({A}); }

void cxVarArrayAppend(Variant& V, const Variant& A) {
  Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
  std::vector<Variant> items;
  items.reserve(size_t(std::max<Int64>(0, Int64(high) - low + 2)));
  for (Integer i = low; i <= high; ++i) items.push_back(V[i]);
  items.push_back(A);
  V = VarArrayOf(items);
}

// ---- Stream primitives ----

namespace {

[[noreturn]] void ReadError() { throw EReadError("Stream read error"); }
[[noreturn]] void WriteError() { throw EWriteError("Stream write error"); }

template <class T>
T ReadLE(TStream& S) {
  Byte b[sizeof(T)];
  S.ReadBuffer(b, Integer(sizeof(T)));
  std::make_unsigned_t<T> v = 0;
  for (size_t i = sizeof(T); i-- > 0;) v = std::make_unsigned_t<T>((v << 8) | b[i]);
  return T(v);
}

template <class T>
void WriteLE(TStream& S, T value) {
  auto v = std::make_unsigned_t<T>(value);
  Byte b[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) b[i] = Byte(uint64_t(v) >> (8 * i));
  S.WriteBuffer(b, Integer(sizeof(T)));
}

// Bytes left in the stream, or -1 when the stream cannot tell.
Int64 BytesLeft(TStream& S) {
  try {
    Int64 pos = S.GetPosition();
    Int64 size = S.GetSize();
    if (pos < 0 || size < pos) return -1;
    return size - pos;
  } catch (const EStreamError&) {
    return -1;
  }
}

// A length of `count` items of `unit` bytes each that the stream can still hold.
void CheckLength(TStream& S, Int64 count, Int64 unit) {
  if (count < 0) ReadError();
  Int64 left = BytesLeft(S);
  if (left >= 0 && count > left / unit) ReadError();
}

// Reads n bytes in bounded pieces, so a stream of unknown size with a false length
// runs into its end before much memory is taken.
void ReadBytes(TStream& S, Integer n, String& out) {
  out.clear();
  constexpr Integer kPiece = 1 << 16;
  if (n <= kPiece) {
    out.resize(size_t(n));
    S.ReadBuffer(out.data(), n);
    return;
  }
  while (n > 0) {
    Integer piece = std::min(n, kPiece);
    size_t at = out.size();
    out.resize(at + size_t(piece));
    S.ReadBuffer(out.data() + at, piece);
    n -= piece;
  }
}

void WriteLength(TStream& S, size_t n) {
  if (n > size_t(std::numeric_limits<Integer>::max())) WriteError();
  WriteLE<Integer>(S, Integer(n));
}

}  // namespace

void cxStreamReadStringInto(TStream& AStream, String& S) {
  Integer n = ReadLE<Integer>(AStream);
  CheckLength(AStream, n, 1);
  ReadBytes(AStream, n, S);
}

String cxStreamReadString(TStream& AStream) {
  String s;
  cxStreamReadStringInto(AStream, s);
  return s;
}

void cxStreamWriteString(TStream& AStream, const String& S) {
  WriteLength(AStream, S.size());
  AStream.WriteBuffer(S.data(), Integer(S.size()));
}

void cxStreamReadWideStringInto(TStream& AStream, WideString& S) {
  Integer n = ReadLE<Integer>(AStream);
  CheckLength(AStream, n, 2);
  if (n > std::numeric_limits<Integer>::max() / 2) ReadError();
  String bytes;
  ReadBytes(AStream, n * 2, bytes);
  S.assign(size_t(n), u'\0');
  for (Integer i = 0; i < n; ++i)
    S[size_t(i)] = char16_t(Byte(bytes[size_t(2 * i)]) | (Byte(bytes[size_t(2 * i + 1)]) << 8));
}

WideString cxStreamReadWideString(TStream& AStream) {
  WideString s;
  cxStreamReadWideStringInto(AStream, s);
  return s;
}

void cxStreamWriteWideString(TStream& AStream, const WideString& S) {
  if (S.size() > size_t(std::numeric_limits<Integer>::max() / 2)) WriteError();
  WriteLength(AStream, S.size());
  String bytes(S.size() * 2, '\0');
  for (size_t i = 0; i < S.size(); ++i) {
    bytes[2 * i] = Char(S[i] & 0xFF);
    bytes[2 * i + 1] = Char(S[i] >> 8);
  }
  AStream.WriteBuffer(bytes.data(), Integer(bytes.size()));
}

bool cxStreamReadBoolean(TStream& AStream) { return ReadLE<Byte>(AStream) != 0; }
void cxStreamReadBooleanInto(TStream& AStream, bool& Value) { Value = cxStreamReadBoolean(AStream); }
void cxStreamWriteBoolean(TStream& AStream, bool Value) { WriteLE<Byte>(AStream, Value ? 1 : 0); }

Char cxStreamReadChar(TStream& AStream) { return Char(ReadLE<Byte>(AStream)); }
void cxStreamReadCharInto(TStream& AStream, Char& Value) { Value = cxStreamReadChar(AStream); }
void cxStreamWriteChar(TStream& AStream, Char Value) { WriteLE<Byte>(AStream, Byte(Value)); }

double cxStreamReadFloat(TStream& AStream) {
  Byte b[10];
  AStream.ReadBuffer(b, 10);
  return ExtendedToDouble(b);
}
void cxStreamReadFloatInto(TStream& AStream, double& Value) { Value = cxStreamReadFloat(AStream); }
void cxStreamWriteFloat(TStream& AStream, double Value) {
  Byte b[10];
  DoubleToExtended(Value, b);
  AStream.WriteBuffer(b, 10);
}

float cxStreamReadSingle(TStream& AStream) { return std::bit_cast<float>(ReadLE<uint32_t>(AStream)); }
void cxStreamReadSingleInto(TStream& AStream, float& Value) { Value = cxStreamReadSingle(AStream); }
void cxStreamWriteSingle(TStream& AStream, float Value) { WriteLE<uint32_t>(AStream, std::bit_cast<uint32_t>(Value)); }

Currency cxStreamReadCurrency(TStream& AStream) { return Currency::FromRaw(ReadLE<Int64>(AStream)); }
void cxStreamReadCurrencyInto(TStream& AStream, Currency& Value) { Value = cxStreamReadCurrency(AStream); }
void cxStreamWriteCurrency(TStream& AStream, Currency Value) { WriteLE<Int64>(AStream, Value.Raw); }

TDateTime cxStreamReadDateTime(TStream& AStream) { return std::bit_cast<double>(ReadLE<uint64_t>(AStream)); }
void cxStreamReadDateTimeInto(TStream& AStream, TDateTime& Value) { Value = cxStreamReadDateTime(AStream); }
void cxStreamWriteDateTime(TStream& AStream, TDateTime Value) {
  WriteLE<uint64_t>(AStream, std::bit_cast<uint64_t>(Value.Value));
}

Integer cxStreamReadInteger(TStream& AStream) { return ReadLE<Integer>(AStream); }
void cxStreamReadIntegerInto(TStream& AStream, Integer& Value) { Value = cxStreamReadInteger(AStream); }
void cxStreamWriteInteger(TStream& AStream, Integer Value) { WriteLE<Integer>(AStream, Value); }

Int64 cxStreamReadInt64(TStream& AStream) { return ReadLE<Int64>(AStream); }
void cxStreamReadInt64Into(TStream& AStream, Int64& Value) { Value = cxStreamReadInt64(AStream); }
void cxStreamWriteInt64(TStream& AStream, Int64 Value) { WriteLE<Int64>(AStream, Value); }

Byte cxStreamReadByte(TStream& AStream) { return ReadLE<Byte>(AStream); }
void cxStreamReadByteInto(TStream& AStream, Byte& Value) { Value = cxStreamReadByte(AStream); }
void cxStreamWriteByte(TStream& AStream, Byte Value) { WriteLE<Byte>(AStream, Value); }

SmallInt cxStreamReadSmallInt(TStream& AStream) { return ReadLE<SmallInt>(AStream); }
void cxStreamReadSmallIntInto(TStream& AStream, SmallInt& Value) { Value = cxStreamReadSmallInt(AStream); }
void cxStreamWriteSmallInt(TStream& AStream, SmallInt Value) { WriteLE<SmallInt>(AStream, Value); }

// Cardinal, ShortInt and Word share the routines of the signed type of their width.
Cardinal cxStreamReadCardinal(TStream& AStream) { return Cardinal(cxStreamReadInteger(AStream)); }
void cxStreamReadCardinalInto(TStream& AStream, Cardinal& Value) { Value = cxStreamReadCardinal(AStream); }
void cxStreamWriteCardinal(TStream& AStream, Cardinal Value) { cxStreamWriteInteger(AStream, Integer(Value)); }

ShortInt cxStreamReadShortInt(TStream& AStream) { return ShortInt(cxStreamReadByte(AStream)); }
void cxStreamReadShortIntInto(TStream& AStream, ShortInt& Value) { Value = cxStreamReadShortInt(AStream); }
void cxStreamWriteShortInt(TStream& AStream, ShortInt Value) { cxStreamWriteByte(AStream, Byte(Value)); }

Word cxStreamReadWord(TStream& AStream) { return Word(cxStreamReadSmallInt(AStream)); }
void cxStreamReadWordInto(TStream& AStream, Word& Value) { Value = cxStreamReadWord(AStream); }
void cxStreamWriteWord(TStream& AStream, Word Value) { cxStreamWriteSmallInt(AStream, SmallInt(Value)); }

// ---- Tagged variant ----

namespace {

enum : Byte {
  tagNull = 0,
  tagArray = 1,
  tagInt8 = 2,
  tagInt16 = 3,
  tagInt32 = 4,
  tagFloat = 5,
  tagString = 6,
  tagFalse = 8,
  tagTrue = 9,
  tagLString = 12,
  tagEmpty = 13,
  tagSingle = 15,
  tagCurrency = 16,
  tagDate = 17,
  tagWString = 18,
};

void WriteTaggedInteger(TStream& S, Integer v) {
  if (v >= -128 && v <= 127) {
    WriteLE<Byte>(S, tagInt8);
    WriteLE<ShortInt>(S, ShortInt(v));
  } else if (v >= -32768 && v <= 32767) {
    WriteLE<Byte>(S, tagInt16);
    WriteLE<SmallInt>(S, SmallInt(v));
  } else {
    WriteLE<Byte>(S, tagInt32);
    WriteLE<Integer>(S, v);
  }
}

void WriteTaggedString(TStream& S, const String& v) {
  if (v.size() <= 255) {
    WriteLE<Byte>(S, tagString);
    WriteLE<Byte>(S, Byte(v.size()));
    S.WriteBuffer(v.data(), Integer(v.size()));
  } else {
    WriteLE<Byte>(S, tagLString);
    cxStreamWriteString(S, v);
  }
}

void WriteVariant(TStream& S, const Variant& V) {
  if (VarIsArray(V)) {
    if (VarArrayDimCount(V) != 1) WriteError();
    Integer low = VarArrayLowBound(V, 1), high = VarArrayHighBound(V, 1);
    WriteLE<Byte>(S, tagArray);
    WriteTaggedInteger(S, high < low ? 0 : high - low + 1);
    for (Integer i = low; i <= high; ++i) WriteVariant(S, V[i]);
    return;
  }
  switch (VarType(V)) {
    case varEmpty:
      WriteLE<Byte>(S, tagEmpty);
      break;
    case varNull:
      WriteLE<Byte>(S, tagNull);
      break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
      WriteTaggedInteger(S, V.AsInteger());
      break;
    case varSingle:
      WriteLE<Byte>(S, tagSingle);
      cxStreamWriteSingle(S, float(V.AsDouble()));
      break;
    case varDouble:
      WriteLE<Byte>(S, tagFloat);
      cxStreamWriteFloat(S, V.AsDouble());
      break;
    case varCurrency:
      WriteLE<Byte>(S, tagCurrency);
      cxStreamWriteCurrency(S, V.AsCurrency());
      break;
    case varDate:
      WriteLE<Byte>(S, tagDate);
      cxStreamWriteDateTime(S, V.AsDateTime());
      break;
    case varOleStr:
      WriteLE<Byte>(S, tagWString);
      cxStreamWriteWideString(S, V.AsWideString());
      break;
    case varBoolean:
      WriteLE<Byte>(S, V.AsBoolean() ? tagTrue : tagFalse);
      break;
    case varString:
      WriteTaggedString(S, V.AsString());
      break;
    default:
      WriteTaggedString(S, VarToStr(V));
      break;
  }
}

Integer ReadArrayCount(TStream& S) {
  switch (ReadLE<Byte>(S)) {
    case tagInt8:
      return ReadLE<ShortInt>(S);
    case tagInt16:
      return ReadLE<SmallInt>(S);
    default:
      return ReadLE<Integer>(S);
  }
}

Variant ReadVariant(TStream& S, int depth) {
  Byte tag = ReadLE<Byte>(S);
  switch (tag) {
    case tagNull:
      return Null();
    case tagArray: {
      if (depth >= cxMaxVariantNesting) ReadError();
      Integer count = ReadArrayCount(S);
      CheckLength(S, count, 1);
      // Grows with the elements actually read, never ahead of the data.
      std::vector<Variant> items;
      items.reserve(size_t(std::min<Integer>(count, 4096)));
      for (Integer i = 0; i < count; ++i) items.push_back(ReadVariant(S, depth + 1));
      return items.empty() ? VarArrayCreate(0, -1, varVariant) : VarArrayOf(items);
    }
    case tagInt8:
      return Variant(ReadLE<ShortInt>(S));
    case tagInt16:
      return Variant(ReadLE<SmallInt>(S));
    case tagInt32:
      return Variant(ReadLE<Integer>(S));
    case tagFloat:
      return Variant(cxStreamReadFloat(S));
    case tagString: {
      Byte n = ReadLE<Byte>(S);
      String s;
      ReadBytes(S, n, s);
      return Variant(std::move(s));
    }
    case tagFalse:
      return Variant(false);
    case tagTrue:
      return Variant(true);
    case tagLString:
      return Variant(cxStreamReadString(S));
    case tagEmpty:
      return Variant();
    case tagSingle:
      return Variant(cxStreamReadSingle(S));
    case tagCurrency:
      return Variant(cxStreamReadCurrency(S));
    case tagDate:
      return Variant::FromDateTime(cxStreamReadDateTime(S));
    case tagWString:
      return Variant(cxStreamReadWideString(S));
    default:
      ReadError();
  }
}

}  // namespace

void cxStreamReadVariantInto(TStream& AStream, Variant& Value) { Value = ReadVariant(AStream, 0); }

Variant cxStreamReadVariant(TStream& AStream) { return ReadVariant(AStream, 0); }

void cxStreamWriteVariant(TStream& AStream, const Variant& Value) { WriteVariant(AStream, Value); }

TL_DEFINE_CLASS(TcxFiler)
TL_DEFINE_CLASS(TcxReader)
TL_DEFINE_CLASS(TcxWriter)
