// Variant conversions, comparison and arithmetic.
#include "classlib/core/Variants.h"
#include "platform/kernel/CodePage.h"

#include <cmath>
#include <limits>

namespace SysConst {
const TResStringRec SVarTypeCouldNotConvert = {64530, "Could not convert variant of type (%s) into type (%s)"};
const TResStringRec SVarTypeConvertOverflow = {64531, "Overflow while converting variant of type (%s) into type (%s)"};
const TResStringRec SVarArrayBounds = {64532, "Variant or safe array index out of bounds"};
const TResStringRec SVarNotArray = {64533, "Variant is not an array"};
const TResStringRec SInvalidVarOp = {64534, "Invalid variant operation"};
const TResStringRec SVarBadType = {64535, "Invalid variant type"};
}  // namespace SysConst

namespace {

bool IsIntegerType(TVarType t) {
  switch (t) {
    case varSmallint: case varInteger: case varShortInt: case varByte:
    case varWord: case varLongWord: case varInt64: case varBoolean:
      return true;
    default:
      return false;
  }
}

bool IsFloatType(TVarType t) { return t == varSingle || t == varDouble; }
bool IsStringType(TVarType t) { return t == varString || t == varOleStr; }

String TypeText(const Variant& v) { return VarTypeAsText(v.VType()); }

[[noreturn]] void CouldNotConvert(const Variant& v, TVarType to) {
  throw EVariantError(Format(LoadResString(SysConst::SVarTypeCouldNotConvert), {TypeText(v), VarTypeAsText(to)}));
}

[[noreturn]] void Overflow(const Variant& v, TVarType to) {
  throw EVariantError(Format(LoadResString(SysConst::SVarTypeConvertOverflow), {TypeText(v), VarTypeAsText(to)}));
}

[[noreturn]] void InvalidOp() { throw EVariantError(LoadResString(SysConst::SInvalidVarOp)); }

// Float to integer rounds to nearest with ties to even, as Round does.
bool RoundToInt64(double d, Int64& out) {
  if (std::isnan(d)) return false;
  double r = std::nearbyint(d);
  if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0)) return false;
  out = Int64(r);
  return true;
}

// Currency to integer, ties to even.
Int64 RoundCurrency(Int64 raw) {
  Int64 q = raw / CurrencyScale, r = raw % CurrencyScale;
  Int64 twice = (r < 0 ? -r : r) * 2;
  if (twice > CurrencyScale || (twice == CurrencyScale && (q & 1))) q += raw < 0 ? -1 : 1;
  return q;
}

}  // namespace

// The conversion rules in one place.
class TVarOps {
 public:
  static String Str(const Variant& v) {
    if (v.FType == varString) return v.FStr;
    if (v.FType == varOleStr) return WideToAnsi(v.FWStr);
    return String();
  }

  // Integer value within [lo, hi] for the target type `to`.
  static Int64 ToInt(const Variant& v, Int64 lo, Int64 hi, TVarType to) {
    Int64 r = 0;
    switch (v.FType) {
      case varEmpty:
        return 0;
      case varBoolean:
        r = v.FInt ? -1 : 0;
        break;
      case varSingle:
      case varDouble:
      case varDate:
        if (std::isnan(v.FDbl)) CouldNotConvert(v, to);
        if (!RoundToInt64(v.FDbl, r)) Overflow(v, to);
        break;
      case varCurrency:
        r = RoundCurrency(v.FInt);
        break;
      case varString:
      case varOleStr: {
        String s = Trim(Str(v));
        double d;
        if (TryStrToInt64(s, r)) break;
        if (!TryStrToFloat(s, d)) CouldNotConvert(v, to);
        if (!RoundToInt64(d, r)) Overflow(v, to);
        break;
      }
      default:
        if (!IsIntegerType(v.FType)) CouldNotConvert(v, to);
        r = v.FInt;
        break;
    }
    if (r < lo || r > hi) Overflow(v, to);
    return r;
  }

  static double ToDouble(const Variant& v, TVarType to) {
    switch (v.FType) {
      case varEmpty: return 0;
      case varBoolean: return v.FInt ? -1 : 0;
      case varSingle: case varDouble: case varDate: return v.FDbl;
      case varCurrency: return double(v.FInt) / double(CurrencyScale);
      case varString:
      case varOleStr: {
        double d;
        if (!TryStrToFloat(Trim(Str(v)), d)) CouldNotConvert(v, to);
        return d;
      }
      default:
        if (!IsIntegerType(v.FType)) CouldNotConvert(v, to);
        return double(v.FInt);
    }
  }

  static Currency ToCurrency(const Variant& v) {
    if (v.FType == varCurrency) return Currency::FromRaw(v.FInt);
    if (IsIntegerType(v.FType) || v.FType == varEmpty) {
      Int64 i = ToInt(v, std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max(), varCurrency);
      if (i > std::numeric_limits<Int64>::max() / CurrencyScale || i < std::numeric_limits<Int64>::min() / CurrencyScale)
        Overflow(v, varCurrency);
      return Currency::FromRaw(i * CurrencyScale);
    }
    double d = ToDouble(v, varCurrency);
    if (std::isnan(d)) CouldNotConvert(v, varCurrency);
    try {
      return DoubleToCurr(d);
    } catch (const EOverflow&) {
      Overflow(v, varCurrency);
    }
  }

  static bool ToBool(const Variant& v) {
    if (v.FType == varBoolean) return v.FInt != 0;
    if (IsStringType(v.FType)) {
      String s = Trim(Str(v));
      if (SameText(s, "True")) return true;
      if (SameText(s, "False")) return false;
      double d;
      if (!TryStrToFloat(s, d)) CouldNotConvert(v, varBoolean);
      return d != 0;
    }
    if (v.FType == varCurrency) return v.FInt != 0;
    return ToDouble(v, varBoolean) != 0;
  }

  static TDateTime ToDate(const Variant& v) {
    if (IsStringType(v.FType)) {
      String s = Trim(Str(v));
      TDateTime d;
      if (TryStrToDateTime(s, d) || TryTextToDateTimeLoose(s, d, FormatSettings)) return d;
      CouldNotConvert(v, varDate);
    }
    double d = ToDouble(v, varDate);
    if (!(d >= MinDateTime && d <= MaxDateTime)) Overflow(v, varDate);
    return d;
  }

  static String ToStr(const Variant& v, TVarType to) {
    switch (v.FType) {
      case varEmpty: return String();
      case varBoolean: return v.FInt ? "True" : "False";
      case varSingle: return FloatToStrF(v.FDbl, TFloatFormat::ffGeneral, 7, 0);
      case varDouble: return FloatToStr(v.FDbl);
      case varDate: return DateTimeToStr(v.FDbl);
      case varCurrency: return CurrToStr(Currency::FromRaw(v.FInt));
      case varString: return v.FStr;
      case varOleStr: return WideToAnsi(v.FWStr);
      default:
        if (!IsIntegerType(v.FType)) CouldNotConvert(v, to);
        return IntToStr(v.FInt);
    }
  }

  static Variant As(const Variant& v, TVarType type) {
    if ((v.FType == type && !(type & varArray)) || type == varVariant) return v;
    if (v.FType & varArray) CouldNotConvert(v, type);
    Variant r;
    switch (type) {
      case varEmpty:
        return r;
      case varNull:
        return Null();
      case varShortInt:
        r.FInt = ToInt(v, -128, 127, type);
        break;
      case varByte:
        r.FInt = ToInt(v, 0, 255, type);
        break;
      case varSmallint:
        r.FInt = ToInt(v, -32768, 32767, type);
        break;
      case varWord:
        r.FInt = ToInt(v, 0, 65535, type);
        break;
      case varInteger:
        r.FInt = ToInt(v, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max(), type);
        break;
      case varLongWord:
        r.FInt = ToInt(v, 0, std::numeric_limits<LongWord>::max(), type);
        break;
      case varInt64:
        r.FInt = ToInt(v, std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max(), type);
        break;
      case varBoolean:
        r.FInt = ToBool(v);
        break;
      case varSingle: {
        double d = ToDouble(v, type);
        if (std::isfinite(d) && std::fabs(d) > double(std::numeric_limits<float>::max())) Overflow(v, type);
        r.FDbl = double(float(d));
        break;
      }
      case varDouble:
        r.FDbl = ToDouble(v, type);
        break;
      case varDate:
        r.FDbl = ToDate(v);
        break;
      case varCurrency:
        r.FInt = ToCurrency(v).Raw;
        break;
      case varString:
        r.FStr = ToStr(v, type);
        break;
      case varOleStr:
        r.FWStr = v.FType == varString ? AnsiToWide(v.FStr) : AnsiToWide(ToStr(v, type));
        break;
      default:
        throw EVariantError(LoadResString(SysConst::SVarBadType));
    }
    r.FType = type;
    return r;
  }

  static const Variant::TArray& Arr(const Variant& v) {
    if (!(v.FType & varArray) || !v.FArr) throw EVariantError(LoadResString(SysConst::SVarNotArray));
    return *v.FArr;
  }
  static Variant::TArray& Arr(Variant& v) {
    if (!(v.FType & varArray) || !v.FArr) throw EVariantError(LoadResString(SysConst::SVarNotArray));
    return *v.FArr;
  }
  static size_t Slot(const Variant::TArray& a, Integer index) {
    Int64 i = Int64(index) - a.Low;
    if (i < 0 || i >= Int64(a.Items.size())) throw EVariantError(LoadResString(SysConst::SVarArrayBounds));
    return size_t(i);
  }
};

// ---- Construction ------------------------------------------------------------------------------

Variant::Variant(const Variant& o)
    : FType(o.FType), FInt(o.FInt), FDbl(o.FDbl), FStr(o.FStr), FWStr(o.FWStr),
      FArr(o.FArr ? std::make_unique<TArray>(*o.FArr) : nullptr) {}

Variant& Variant::operator=(const Variant& o) {
  if (this != &o) {
    Variant copy(o);
    *this = std::move(copy);
  }
  return *this;
}

Variant Variant::FromDateTime(TDateTime v) {
  Variant r;
  r.FType = varDate;
  r.FDbl = v;
  return r;
}

Variant Variant::MakeNull() {
  Variant r;
  r.FType = varNull;
  return r;
}

Variant Null() { return Variant::MakeNull(); }
Variant Unassigned() { return Variant(); }
Variant VarFromDateTime(TDateTime v) { return Variant::FromDateTime(v); }

Integer Variant::AsInteger() const { return Integer(VarAsType(*this, varInteger).FInt); }
Int64 Variant::AsInt64() const { return VarAsType(*this, varInt64).FInt; }
double Variant::AsDouble() const { return VarAsType(*this, varDouble).FDbl; }
Currency Variant::AsCurrency() const { return Currency::FromRaw(VarAsType(*this, varCurrency).FInt); }
bool Variant::AsBoolean() const { return VarAsType(*this, varBoolean).FInt != 0; }
TDateTime Variant::AsDateTime() const { return VarAsType(*this, varDate).FDbl; }
String Variant::AsString() const { return VarAsType(*this, varString).FStr; }

void Variant::AppendString(const String& ATail) {
  if (FType != varString) InvalidOp();
  FStr += ATail;
}
WideString Variant::AsWideString() const { return VarAsType(*this, varOleStr).FWStr; }

const Variant& Variant::operator[](Integer index) const {
  const TArray& a = TVarOps::Arr(*this);
  return a.Items[TVarOps::Slot(a, index)];
}

Variant& Variant::operator[](Integer index) {
  TArray& a = TVarOps::Arr(*this);
  return a.Items[TVarOps::Slot(a, index)];
}

// ---- Type tests ----------------------------------------------------------------------------------

TVarType VarType(const Variant& v) { return v.VType(); }
bool VarIsEmpty(const Variant& v) { return v.VType() == varEmpty; }
bool VarIsNull(const Variant& v) { return v.VType() == varNull; }
bool VarIsArray(const Variant& v) { return (v.VType() & varArray) != 0; }
bool VarIsStr(const Variant& v) { return IsStringType(v.VType()); }
bool VarIsNumeric(const Variant& v) {
  TVarType t = v.VType();
  return IsIntegerType(t) || IsFloatType(t) || t == varCurrency;
}

String VarTypeAsText(TVarType type) {
  String base;
  switch (type & varTypeMask) {
    case varEmpty: base = "Empty"; break;
    case varNull: base = "Null"; break;
    case varSmallint: base = "Smallint"; break;
    case varInteger: base = "Integer"; break;
    case varSingle: base = "Single"; break;
    case varDouble: base = "Double"; break;
    case varCurrency: base = "Currency"; break;
    case varDate: base = "Date"; break;
    case varOleStr: base = "OleStr"; break;
    case varBoolean: base = "Boolean"; break;
    case varVariant: base = "Variant"; break;
    case varShortInt: base = "ShortInt"; break;
    case varByte: base = "Byte"; break;
    case varWord: base = "Word"; break;
    case varLongWord: base = "LongWord"; break;
    case varInt64: base = "Int64"; break;
    case varString: base = "String"; break;
    default: base = "$" + IntToHex(Integer(type & varTypeMask), 4); break;
  }
  return (type & varArray) ? "Array " + base : base;
}

// ---- Conversions -----------------------------------------------------------------------------------

Variant VarAsType(const Variant& v, TVarType type) { return TVarOps::As(v, type); }

String VarToStr(const Variant& v) { return VarIsNull(v) ? String() : v.AsString(); }

String VarToStrDef(const Variant& v, const String& def) { return VarIsNull(v) ? def : v.AsString(); }

TDateTime VarToDateTime(const Variant& v) { return v.AsDateTime(); }

// ---- Arrays --------------------------------------------------------------------------------------

Variant VarArrayCreate(Integer low, Integer high, TVarType elemType) {
  if (elemType != varVariant) throw EVariantError(LoadResString(SysConst::SVarBadType));
  Int64 count = Int64(high) - low + 1;
  // An inverted range is an empty array; a huge one is refused before allocating.
  if (count < 0) count = 0;
  if (count > (Int64(1) << 26)) throw EVariantError(LoadResString(SysConst::SVarArrayBounds));
  Variant r;
  r.FType = TVarType(varArray | elemType);
  r.FArr = std::make_unique<Variant::TArray>();
  r.FArr->Low = low;
  r.FArr->Items.resize(size_t(count));
  return r;
}

Variant VarArrayOf(const std::vector<Variant>& values) {
  Variant r = VarArrayCreate(0, Integer(values.size()) - 1, varVariant);
  for (size_t i = 0; i < values.size(); ++i) r[Integer(i)] = values[i];
  return r;
}

Variant VarArrayOf(std::initializer_list<Variant> values) { return VarArrayOf(std::vector<Variant>(values)); }

Integer VarArrayDimCount(const Variant& v) { return VarIsArray(v) ? 1 : 0; }

Integer VarArrayLowBound(const Variant& v, Integer dim) {
  const Variant::TArray& a = TVarOps::Arr(v);
  if (dim != 1) throw EVariantError(LoadResString(SysConst::SVarArrayBounds));
  return a.Low;
}

Integer VarArrayHighBound(const Variant& v, Integer dim) {
  const Variant::TArray& a = TVarOps::Arr(v);
  if (dim != 1) throw EVariantError(LoadResString(SysConst::SVarArrayBounds));
  return Integer(Int64(a.Low) + Int64(a.Items.size()) - 1);
}

Variant VarArrayGet(const Variant& v, Integer index) { return static_cast<const Variant&>(v)[index]; }

void VarArrayPut(Variant& v, const Variant& value, Integer index) {
  Variant::TArray& a = TVarOps::Arr(v);
  size_t slot = TVarOps::Slot(a, index);
  a.Items[slot] = value;
}

// ---- Comparison ------------------------------------------------------------------------------------

namespace {

enum class TKind { kEmpty, kInt, kCurr, kFloat, kDate, kStr };

TKind KindOf(TVarType t) {
  if (t == varEmpty) return TKind::kEmpty;
  if (IsIntegerType(t)) return TKind::kInt;
  if (t == varCurrency) return TKind::kCurr;
  if (IsFloatType(t)) return TKind::kFloat;
  if (t == varDate) return TKind::kDate;
  if (IsStringType(t)) return TKind::kStr;
  InvalidOp();   // arrays and Null are handled by the callers
}

template <class T>
TVariantRelationship Order(const T& x, const T& y) {
  if (x < y) return TVariantRelationship::vrLessThan;
  if (y < x) return TVariantRelationship::vrGreaterThan;
  if (x == y) return TVariantRelationship::vrEqual;
  return TVariantRelationship::vrNotEqual;   // NaN
}

__int128 CurrRaw(const Variant& v) {
  if (v.VType() == varCurrency) return v.AsCurrency().Raw;
  return __int128(v.AsInt64()) * CurrencyScale;
}

// The magnitude relation; Null sorts below everything else.
TVariantRelationship Relate(const Variant& a, const Variant& b) {
  if (VarIsArray(a) || VarIsArray(b)) InvalidOp();
  if (VarIsNull(a) || VarIsNull(b)) {
    if (VarIsNull(a) && VarIsNull(b)) return TVariantRelationship::vrEqual;
    return VarIsNull(a) ? TVariantRelationship::vrLessThan : TVariantRelationship::vrGreaterThan;
  }
  TKind ka = KindOf(a.VType()), kb = KindOf(b.VType());
  if (ka == TKind::kEmpty && kb == TKind::kEmpty) return TVariantRelationship::vrEqual;
  if ((ka == TKind::kStr || ka == TKind::kEmpty) && (kb == TKind::kStr || kb == TKind::kEmpty)) {
    int c = CompareStr(a.AsString(), b.AsString());
    // Two wide texts read alike in the code page when it lacks their characters (both
    // become '?'): they still differ, and their code units decide.
    if (c == 0 && a.VType() == varOleStr && b.VType() == varOleStr) c = a.AsWideString().compare(b.AsWideString());
    return c < 0 ? TVariantRelationship::vrLessThan
                 : c > 0 ? TVariantRelationship::vrGreaterThan : TVariantRelationship::vrEqual;
  }
  // A Boolean meeting a string reads the string as a Boolean ("True", "False" or a number).
  if ((a.VType() == varBoolean && kb == TKind::kStr) || (b.VType() == varBoolean && ka == TKind::kStr))
    return Order(a.AsBoolean() ? -1 : 0, b.AsBoolean() ? -1 : 0);
  auto intLike = [](TKind k) { return k == TKind::kInt || k == TKind::kEmpty; };
  if (intLike(ka) && intLike(kb)) return Order(a.AsInt64(), b.AsInt64());
  if ((ka == TKind::kCurr || intLike(ka)) && (kb == TKind::kCurr || intLike(kb))) return Order(CurrRaw(a), CurrRaw(b));
  if (ka == TKind::kDate || kb == TKind::kDate) return Order(a.AsDateTime(), b.AsDateTime());
  return Order(a.AsDouble(), b.AsDouble());
}

}  // namespace

TVariantRelationship VarCompareValue(const Variant& a, const Variant& b) {
  if (VarIsNull(a) != VarIsNull(b)) return TVariantRelationship::vrNotEqual;
  return Relate(a, b);
}

TVariantRelationship Variant::Relation(const Variant& a, const Variant& b) { return Relate(a, b); }

// ---- Arithmetic ------------------------------------------------------------------------------------

namespace {

bool Wide(TVarType t) { return t == varInt64 || t == varLongWord; }

Variant IntResult(Int64 v, bool wide) {
  if (!wide && v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max())
    return Variant(Integer(v));
  return Variant(v);
}

Variant Calc(const Variant& a, const Variant& b, char op) {
  if (VarIsArray(a) || VarIsArray(b)) InvalidOp();
  if (VarIsNull(a) || VarIsNull(b)) return Null();
  TKind ka = KindOf(a.VType()), kb = KindOf(b.VType());
  if (op == '+' && (ka == TKind::kStr || kb == TKind::kStr) &&
      (ka == TKind::kStr || ka == TKind::kEmpty) && (kb == TKind::kStr || kb == TKind::kEmpty)) {
    if (a.VType() == varOleStr || b.VType() == varOleStr) return Variant(a.AsWideString() + b.AsWideString());
    return Variant(a.AsString() + b.AsString());
  }
  if (ka == TKind::kEmpty && kb == TKind::kEmpty && op != '/') return Variant();
  auto intLike = [](TKind k) { return k == TKind::kInt || k == TKind::kEmpty; };
  if (ka == TKind::kDate || kb == TKind::kDate) {
    double x = a.AsDateTime(), y = b.AsDateTime(), r = 0;
    switch (op) {
      case '+': r = x + y; break;
      case '-': r = x - y; break;
      case '*': r = x * y; break;
      default:
        if (y == 0) throw EZeroDivide(LoadResString(SysConst::SDivByZero));
        r = x / y;
        break;
    }
    return VarFromDateTime(r);
  }
  if ((ka == TKind::kCurr || intLike(ka)) && (kb == TKind::kCurr || intLike(kb)) &&
      (ka == TKind::kCurr || kb == TKind::kCurr)) {
    Currency x = a.AsCurrency(), y = b.AsCurrency();
    switch (op) {
      case '+': return Variant(x + y);
      case '-': return Variant(x - y);
      case '*': return Variant(x * y);
      default: return Variant(x / y);
    }
  }
  if (intLike(ka) && intLike(kb) && op != '/') {
    Int64 x = a.AsInt64(), y = b.AsInt64(), r = 0;
    bool overflow = op == '+' ? __builtin_add_overflow(x, y, &r)
                    : op == '-' ? __builtin_sub_overflow(x, y, &r)
                                : __builtin_mul_overflow(x, y, &r);
    if (!overflow) return IntResult(r, Wide(a.VType()) || Wide(b.VType()));
    // Past Int64 the exact result is still a number: continue as Double.
  }
  double x = a.AsDouble(), y = b.AsDouble();
  switch (op) {
    case '+': return Variant(x + y);
    case '-': return Variant(x - y);
    case '*': return Variant(x * y);
    default:
      if (y == 0) throw EZeroDivide(LoadResString(SysConst::SDivByZero));
      return Variant(x / y);
  }
}

}  // namespace

Variant Variant::Arith(const Variant& a, const Variant& b, char op) { return Calc(a, b, op); }

Variant Variant::Negate(const Variant& a) {
  if (VarIsArray(a)) InvalidOp();
  switch (KindOf(a.VType() == varNull ? varEmpty : a.VType())) {
    case TKind::kEmpty: return a;   // Null and Empty stay as they are
    case TKind::kInt: {
      Int64 v = a.AsInt64();
      if (v == std::numeric_limits<Int64>::min()) return Variant(-double(v));
      return IntResult(-v, Wide(a.VType()));
    }
    case TKind::kCurr: return Variant(-a.AsCurrency());
    case TKind::kDate: return VarFromDateTime(-a.AsDateTime().Value);
    default: return Variant(-a.AsDouble());
  }
}
