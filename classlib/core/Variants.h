// The class library's Variant: a tagged value with its conversions, comparison and
// arithmetic. Conversions never wrap: a value out of the target's range raises
// EVariantError, and so does a conversion that has no meaning (Null to Integer,
// "abc" to Double).
#pragma once

#include "classlib/core/NumTypes.h"
#include "classlib/core/SysUtils.h"
#include "platform/kernel/Types.h"

#include <initializer_list>
#include <memory>
#include <vector>

using TVarType = Word;

inline constexpr TVarType varEmpty = 0x0000;
inline constexpr TVarType varNull = 0x0001;
inline constexpr TVarType varSmallint = 0x0002;
inline constexpr TVarType varInteger = 0x0003;
inline constexpr TVarType varSingle = 0x0004;
inline constexpr TVarType varDouble = 0x0005;
inline constexpr TVarType varCurrency = 0x0006;
inline constexpr TVarType varDate = 0x0007;
inline constexpr TVarType varOleStr = 0x0008;
inline constexpr TVarType varBoolean = 0x000B;
inline constexpr TVarType varVariant = 0x000C;
inline constexpr TVarType varShortInt = 0x0010;
inline constexpr TVarType varByte = 0x0011;
inline constexpr TVarType varWord = 0x0012;
inline constexpr TVarType varLongWord = 0x0013;
inline constexpr TVarType varInt64 = 0x0014;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;

enum class TVariantRelationship { vrEqual, vrLessThan, vrGreaterThan, vrNotEqual };

class Variant {
 public:
  Variant() = default;   // Empty
  Variant(const Variant& o);
  Variant(Variant&& o) noexcept = default;
  Variant& operator=(const Variant& o);
  Variant& operator=(Variant&& o) noexcept = default;
  ~Variant() = default;

  Variant(bool v) : FType(varBoolean), FInt(v) {}
  Variant(ShortInt v) : FType(varShortInt), FInt(v) {}
  Variant(Byte v) : FType(varByte), FInt(v) {}
  Variant(SmallInt v) : FType(varSmallint), FInt(v) {}
  Variant(Word v) : FType(varWord), FInt(v) {}
  Variant(Integer v) : FType(varInteger), FInt(v) {}
  Variant(LongWord v) : FType(varLongWord), FInt(v) {}
  Variant(Int64 v) : FType(varInt64), FInt(v) {}
  Variant(float v) : FType(varSingle), FDbl(v) {}
  Variant(double v) : FType(varDouble), FDbl(v) {}
  Variant(Currency v) : FType(varCurrency), FInt(v.Raw) {}
  Variant(TDateTime v) : FType(varDate), FDbl(v.Value) {}
  Variant(Char v) : FType(varString), FStr(1, v) {}
  Variant(const char* v) : FType(varString), FStr(v ? v : "") {}
  Variant(String v) : FType(varString), FStr(std::move(v)) {}
  Variant(const char16_t* v) : FType(varOleStr), FWStr(v ? v : u"") {}
  Variant(WideString v) : FType(varOleStr), FWStr(std::move(v)) {}

  static Variant FromDateTime(TDateTime v);
  static Variant MakeNull();

  TVarType VType() const { return FType; }

  // Conversions by the rules of VarAsType. A floating value becomes an integer by
  // rounding to the nearest, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), as the
  // class library's Round does; text is read as an integer, else as a float.
  Integer AsInteger() const;
  Int64 AsInt64() const;
  double AsDouble() const;
  Currency AsCurrency() const;
  bool AsBoolean() const;
  TDateTime AsDateTime() const;
  String AsString() const;
  WideString AsWideString() const;

  explicit operator Integer() const { return AsInteger(); }
  explicit operator Int64() const { return AsInt64(); }
  explicit operator double() const { return AsDouble(); }
  explicit operator Currency() const { return AsCurrency(); }
  explicit operator bool() const { return AsBoolean(); }
  explicit operator String() const { return AsString(); }

  // The text of a string (varString) value, nil for any other type: read without a copy.
  const String* StringData() const { return FType == varString ? &FStr : nullptr; }
  // A string value extended in place by ATail, in time proportional to ATail (amortised);
  // EVariantError for any other type.
  void AppendString(const String& ATail);

  // Array access; the index is checked against the bounds.
  const Variant& operator[](Integer index) const;
  Variant& operator[](Integer index);


  // Comparison. Null equals only Null and orders below every other value; Empty acts as
  // 0, "" or False; a string meeting a number is read as a number (EVariantError if it is
  // not one), meeting a Boolean as a Boolean; True counts as -1. Arrays cannot be compared. Hidden friends, so that a type converting to
  // Variant (TDateTime, Currency) keeps its own operators.
  friend bool operator==(const Variant& a, const Variant& b) { return Relation(a, b) == TVariantRelationship::vrEqual; }
  friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }
  friend bool operator<(const Variant& a, const Variant& b) { return Relation(a, b) == TVariantRelationship::vrLessThan; }
  friend bool operator>(const Variant& a, const Variant& b) { return Relation(a, b) == TVariantRelationship::vrGreaterThan; }
  friend bool operator<=(const Variant& a, const Variant& b) { return a < b || a == b; }
  friend bool operator>=(const Variant& a, const Variant& b) { return a > b || a == b; }

  // Arithmetic. Null in, Null out; two strings concatenate under '+'; integers stay
  // integers while they fit (Integer, then Int64, then Double), Currency stays Currency
  // with integers, Date stays Date; '/' divides as real numbers (EZeroDivide on zero).
  friend Variant operator+(const Variant& a, const Variant& b) { return Arith(a, b, '+'); }
  friend Variant operator-(const Variant& a, const Variant& b) { return Arith(a, b, '-'); }
  friend Variant operator*(const Variant& a, const Variant& b) { return Arith(a, b, '*'); }
  friend Variant operator/(const Variant& a, const Variant& b) { return Arith(a, b, '/'); }
  friend Variant operator-(const Variant& a) { return Negate(a); }

 private:
  static TVariantRelationship Relation(const Variant& a, const Variant& b);
  static Variant Arith(const Variant& a, const Variant& b, char op);
  static Variant Negate(const Variant& a);
  friend Variant VarArrayCreate(Integer low, Integer high, TVarType elemType);
  friend Integer VarArrayLowBound(const Variant& v, Integer dim);
  friend Integer VarArrayHighBound(const Variant& v, Integer dim);
  friend void VarArrayPut(Variant& v, const Variant& value, Integer index);
  friend Variant VarAsType(const Variant& v, TVarType type);
  friend class TVarOps;

  struct TArray {
    Integer Low = 0;
    std::vector<Variant> Items;
  };

  TVarType FType = varEmpty;
  Int64 FInt = 0;      // integers, Boolean (0/1), Currency (raw × 10000)
  double FDbl = 0;     // Single, Double, Date
  String FStr;
  WideString FWStr;
  std::unique_ptr<TArray> FArr;
};

Variant Null();
Variant Unassigned();

TVarType VarType(const Variant& v);
bool VarIsEmpty(const Variant& v);
bool VarIsNull(const Variant& v);
bool VarIsArray(const Variant& v);
bool VarIsStr(const Variant& v);
// Integer types and Boolean, Single, Double and Currency (not Date).
bool VarIsNumeric(const Variant& v);
String VarTypeAsText(TVarType type);

// Converts to `type` (one of the simple codes); EVariantError when impossible or out of range.
Variant VarAsType(const Variant& v, TVarType type);
String VarToStr(const Variant& v);                       // Null gives ""
String VarToStrDef(const Variant& v, const String& def); // Null gives def
// Strings are read as a date and time by the format settings, then by the tolerant reader
// (blank-separated parts, month names).
TDateTime VarToDateTime(const Variant& v);
Variant VarFromDateTime(TDateTime v);

// One-dimensional arrays of variants: `elemType` must be varVariant (EVariantError
// otherwise). An inverted range gives an empty array.
Variant VarArrayCreate(Integer low, Integer high, TVarType elemType);
Variant VarArrayOf(std::initializer_list<Variant> values);
Variant VarArrayOf(const std::vector<Variant>& values);
Integer VarArrayDimCount(const Variant& v);
Integer VarArrayLowBound(const Variant& v, Integer dim = 1);
Integer VarArrayHighBound(const Variant& v, Integer dim = 1);
Variant VarArrayGet(const Variant& v, Integer index);
void VarArrayPut(Variant& v, const Variant& value, Integer index);

// Null against a non-Null value is vrNotEqual.
TVariantRelationship VarCompareValue(const Variant& a, const Variant& b);

namespace SysConst {
extern const TResStringRec SVarTypeCouldNotConvert;
extern const TResStringRec SVarTypeConvertOverflow;
extern const TResStringRec SVarArrayBounds;
extern const TResStringRec SVarNotArray;
extern const TResStringRec SInvalidVarOp;
extern const TResStringRec SVarBadType;
}  // namespace SysConst
