// Variant ordering and equality, variant type tests and array builders, and the typed
// stream values: little-endian primitives, length-counted strings and the tagged variant,
// with reader and writer objects over a borrowed TStream.
//
// Every read goes through TStream::ReadBuffer (a stream that ends early raises its
// EReadError) and every write through WriteBuffer. The readers never trust the data:
// a negative length or count, one larger than the bytes left in a stream of known size,
// an undefined tag, or arrays nested deeper than cxMaxVariantNesting raise EReadError
// "Stream read error".
#pragma once

#include "classlib/core/Object.h"
#include "classlib/core/Streams.h"
#include "classlib/core/Variants.h"

// ---- Comparison and tests ----

// Ordered comparison: negative, 0 or positive. Two ansi strings compare as unsigned
// bytes (difference of the first differing bytes, else of the lengths); two dates as
// doubles; arrays by their high bound, then element by element; an array sorts after a
// non-array. A variant error while comparing scalars answers -1, whichever side raised.
int32_t cxCompareVariants(const Variant& A, const Variant& B);
int32_t cxCompareScalarVariants(const Variant& A, const Variant& B);
int32_t cxCompareVariantArrays(const Variant& A, const Variant& B);
// The comparison for sorting. Where cxCompareVariants answers -1 both ways (values that
// cannot be compared, such as "abc" and 5), this one orders them by kind (numbers before
// text) and then by their text, so that Compare(A, B) is always -Compare(B, A) in sign.
int32_t cxCompareVariantsForSort(const Variant& A, const Variant& B);

bool cxVariantsEqual(const Variant& A, const Variant& B);
// The editors' equality: a Null side compares by cxVariantsEqual; a Boolean side makes
// both compare as text ("True"/"False"); a conversion error answers false.
bool cxVariantsEqualLoose(const Variant& A, const Variant& B);
bool cxVariantsEqualOrBothBlank(const Variant& A, const Variant& B);

// The class library has no SQL time-stamp or decimal custom variant types, so dates are
// varDate and currencies varCurrency only.
bool cxIsDateVarType(TVarType AVarType);
bool cxIsCurrencyVarType(TVarType AVarType);
bool cxVarIsDateTime(const Variant& V);
bool cxVarIsNumber(const Variant& V);
// Null, or an ansi or wide string equal to the empty string (Empty and 0 are not blank).
bool cxVarIsBlank(const Variant& V);

Variant cxMakeVarArrayPair(const Variant& A, const Variant& B);
Variant cxMakeVarArraySingle(const Variant& A);
// V becomes a copy based at 0 with A appended. Copies every element: build long lists once.
void cxVarArrayAppend(Variant& V, const Variant& A);

// ---- Stream primitives ----

// Arrays nested deeper than this are refused by the variant reader.
inline constexpr int cxMaxVariantNesting = 64;

String cxStreamReadString(TStream& AStream);
void cxStreamReadStringInto(TStream& AStream, String& S);
void cxStreamWriteString(TStream& AStream, const String& S);
WideString cxStreamReadWideString(TStream& AStream);
void cxStreamReadWideStringInto(TStream& AStream, WideString& S);
void cxStreamWriteWideString(TStream& AStream, const WideString& S);
Variant cxStreamReadVariant(TStream& AStream);
void cxStreamReadVariantInto(TStream& AStream, Variant& Value);
void cxStreamWriteVariant(TStream& AStream, const Variant& Value);

bool cxStreamReadBoolean(TStream& AStream);
void cxStreamReadBooleanInto(TStream& AStream, bool& Value);
void cxStreamWriteBoolean(TStream& AStream, bool Value);
Char cxStreamReadChar(TStream& AStream);
void cxStreamReadCharInto(TStream& AStream, Char& Value);
void cxStreamWriteChar(TStream& AStream, Char Value);
// The 10-byte extended float; values beyond the double range read as infinities.
double cxStreamReadFloat(TStream& AStream);
void cxStreamReadFloatInto(TStream& AStream, double& Value);
void cxStreamWriteFloat(TStream& AStream, double Value);
float cxStreamReadSingle(TStream& AStream);
void cxStreamReadSingleInto(TStream& AStream, float& Value);
void cxStreamWriteSingle(TStream& AStream, float Value);
Currency cxStreamReadCurrency(TStream& AStream);
void cxStreamReadCurrencyInto(TStream& AStream, Currency& Value);
void cxStreamWriteCurrency(TStream& AStream, Currency Value);
TDateTime cxStreamReadDateTime(TStream& AStream);
void cxStreamReadDateTimeInto(TStream& AStream, TDateTime& Value);
void cxStreamWriteDateTime(TStream& AStream, TDateTime Value);
Integer cxStreamReadInteger(TStream& AStream);
void cxStreamReadIntegerInto(TStream& AStream, Integer& Value);
void cxStreamWriteInteger(TStream& AStream, Integer Value);
Int64 cxStreamReadInt64(TStream& AStream);
void cxStreamReadInt64Into(TStream& AStream, Int64& Value);
void cxStreamWriteInt64(TStream& AStream, Int64 Value);
Byte cxStreamReadByte(TStream& AStream);
void cxStreamReadByteInto(TStream& AStream, Byte& Value);
void cxStreamWriteByte(TStream& AStream, Byte Value);
SmallInt cxStreamReadSmallInt(TStream& AStream);
void cxStreamReadSmallIntInto(TStream& AStream, SmallInt& Value);
void cxStreamWriteSmallInt(TStream& AStream, SmallInt Value);
Cardinal cxStreamReadCardinal(TStream& AStream);
void cxStreamReadCardinalInto(TStream& AStream, Cardinal& Value);
void cxStreamWriteCardinal(TStream& AStream, Cardinal Value);
ShortInt cxStreamReadShortInt(TStream& AStream);
void cxStreamReadShortIntInto(TStream& AStream, ShortInt& Value);
void cxStreamWriteShortInt(TStream& AStream, ShortInt Value);
Word cxStreamReadWord(TStream& AStream);
void cxStreamReadWordInto(TStream& AStream, Word& Value);
void cxStreamWriteWord(TStream& AStream, Word Value);

// ---- Filers ----

// Holds a stream it does not own.
class TcxFiler : public TObject {
  TL_CLASS(TcxFiler, TObject)
 public:
  explicit TcxFiler(TStream& AStream) : FStream(AStream) {}
  TStream& Stream() const { return FStream; }

 private:
  TStream& FStream;
};

class TcxReader : public TcxFiler {
  TL_CLASS(TcxReader, TcxFiler)
 public:
  using TcxFiler::TcxFiler;
  TDateTime ReadDateTime() { return cxStreamReadDateTime(Stream()); }
  double ReadFloat() { return cxStreamReadFloat(Stream()); }
  Integer ReadInteger() { return cxStreamReadInteger(Stream()); }
  ShortInt ReadShortInt() { return cxStreamReadShortInt(Stream()); }
  String ReadString() { return cxStreamReadString(Stream()); }
  Variant ReadVariant() { return cxStreamReadVariant(Stream()); }
  WideString ReadWideString() { return cxStreamReadWideString(Stream()); }
  Word ReadWord() { return cxStreamReadWord(Stream()); }
};

class TcxWriter : public TcxFiler {
  TL_CLASS(TcxWriter, TcxFiler)
 public:
  using TcxFiler::TcxFiler;
  void WriteBoolean(bool Value) { cxStreamWriteBoolean(Stream(), Value); }
  void WriteByte(Byte Value) { cxStreamWriteByte(Stream(), Value); }
  void WriteCardinal(Cardinal Value) { cxStreamWriteCardinal(Stream(), Value); }
  void WriteChar(Char Value) { cxStreamWriteChar(Stream(), Value); }
  void WriteCurrency(Currency Value) { cxStreamWriteCurrency(Stream(), Value); }
  void WriteDateTime(TDateTime Value) { cxStreamWriteDateTime(Stream(), Value); }
  void WriteFloat(double Value) { cxStreamWriteFloat(Stream(), Value); }
  void WriteInteger(Integer Value) { cxStreamWriteInteger(Stream(), Value); }
  void WriteInt64(Int64 Value) { cxStreamWriteInt64(Stream(), Value); }
  void WriteShortInt(ShortInt Value) { cxStreamWriteShortInt(Stream(), Value); }
  void WriteSingle(float Value) { cxStreamWriteSingle(Stream(), Value); }
  void WriteSmallInt(SmallInt Value) { cxStreamWriteSmallInt(Stream(), Value); }
  void WriteString(const String& Value) { cxStreamWriteString(Stream(), Value); }
  void WriteVariant(const Variant& Value) { cxStreamWriteVariant(Stream(), Value); }
  void WriteWideString(const WideString& Value) { cxStreamWriteWideString(Stream(), Value); }
  void WriteWord(Word Value) { cxStreamWriteWord(Stream(), Value); }
};
