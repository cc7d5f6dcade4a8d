// Scoped enumerations with name tables, and bit sets over them.
//
//   TL_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter);
//
// declares `enum class TAlignment : uint8_t` and its name table, found through
// EnumInfo<TAlignment>. Values are the ordinals 0..Count-1 in declaration order;
// explicit values are refused at compile time. Use TL_ENUM at namespace scope.
#pragma once

#include "platform/kernel/Types.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>

// Run-time description of an enumeration: its type name and the names of its values.
class TEnumType {
 public:
  TEnumType(const char* typeName, const char* nameList);
  const String& Name() const { return FName; }
  int Count() const { return int(FNames.size()); }
  // Raises ERangeError for an ordinal outside the enumeration.
  const String& ValueName(int ordinal) const;
  // Ordinal of a value name (case-insensitive), or -1.
  int IndexOf(std::string_view name) const;

 private:
  String FName;
  std::vector<String> FNames;
};

namespace tl_detail {
constexpr int CountEnumNames(std::string_view list) {
  int n = 0;
  bool inName = false;
  for (char c : list) {
    if (c == ',') {
      inName = false;
    } else if (c != ' ' && c != '\t' && c != '\n' && !inName) {
      inName = true;
      ++n;
    }
  }
  return n;
}
constexpr bool HasExplicitValue(std::string_view list) { return list.find('=') != std::string_view::npos; }
}  // namespace tl_detail

#define TL_ENUM(Name, ...)                                                                  \
  enum class Name : uint8_t { __VA_ARGS__ };                                                \
  static_assert(!tl_detail::HasExplicitValue(#__VA_ARGS__), "TL_ENUM values are ordinals"); \
  inline const TEnumType& TlEnumTypeOf(Name*) {                                             \
    static const TEnumType type(#Name, #__VA_ARGS__);                                       \
    return type;                                                                            \
  }                                                                                         \
  constexpr int TlEnumCountOf(Name*) { return tl_detail::CountEnumNames(#__VA_ARGS__); }

template <class E>
concept TlEnum = std::is_enum_v<E> && requires(E* p) { TlEnumTypeOf(p); };

template <TlEnum E>
struct EnumInfo {
  static constexpr int Count = TlEnumCountOf(static_cast<E*>(nullptr));
  static constexpr E Low() { return E(0); }
  static constexpr E High() { return E(Count - 1); }
  static const TEnumType& Type() { return TlEnumTypeOf(static_cast<E*>(nullptr)); }
  static const String& Name(E e) { return Type().ValueName(int(e)); }
  static constexpr bool InRange(Int64 ordinal) { return ordinal >= 0 && ordinal < Count; }
};

template <TlEnum E>
constexpr int Ord(E e) {
  return int(e);
}

// `set of E`: bit i is ordinal i, the class library's layout.
template <TlEnum E>
class Set {
  static_assert(EnumInfo<E>::Count <= 64, "a set holds at most 64 values");
  static constexpr uint64_t kMask =
      EnumInfo<E>::Count == 64 ? ~uint64_t(0) : ((uint64_t(1) << EnumInfo<E>::Count) - 1);
  uint64_t bits_ = 0;

 public:
  using Element = E;
  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> l) {
    for (E e : l) bits_ |= Bit(e);
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr Set& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr Set& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t ToInt() const { return bits_; }
  // Bits beyond the enumeration's values are dropped.
  static constexpr Set FromInt(uint64_t v) {
    Set s;
    s.bits_ = v & kMask;
    return s;
  }
  friend constexpr Set operator+(Set a, Set b) { return FromInt(a.bits_ | b.bits_); }
  friend constexpr Set operator-(Set a, Set b) { return FromInt(a.bits_ & ~b.bits_); }
  friend constexpr Set operator*(Set a, Set b) { return FromInt(a.bits_ & b.bits_); }
  Set& operator+=(Set b) { return *this = *this + b; }
  Set& operator-=(Set b) { return *this = *this - b; }
  Set& operator*=(Set b) { return *this = *this * b; }
  // a <= b: every element of a is in b.
  constexpr bool operator<=(const Set& b) const { return (bits_ & ~b.bits_) == 0; }
  constexpr bool operator==(const Set&) const = default;

 private:
  static constexpr uint64_t Bit(E e) { return uint64_t(1) << unsigned(e); }
};

// `array[E] of T`.
template <TlEnum E, class T>
struct EnumArray {
  std::array<T, size_t(EnumInfo<E>::Count)> Items{};
  constexpr T& operator[](E e) { return Items[size_t(e)]; }
  constexpr const T& operator[](E e) const { return Items[size_t(e)]; }
  constexpr bool operator==(const EnumArray&) const = default;
};

// `set of Char`.
using TCharSet = std::bitset<256>;
