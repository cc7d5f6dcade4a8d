// Events: (object, member) closures that compare by identity, so a listener can be
// removed again. Every class derives from TObject as its first, non-virtual base, so a
// member of any class converts to a member of TObject.
#pragma once

#include <bit>
#include <typeindex>
#include <typeinfo>
#include <utility>

class TObject;

// A closure with its signature erased: how published-property tables hold events.
struct TMethodRaw {
  using Code = void (TObject::*)();
  TObject* Data = nullptr;
  Code Proc = nullptr;
  bool operator==(const TMethodRaw&) const = default;
};

template <class Sig>
struct TMethod;

template <class R, class... A>
struct TMethod<R(A...)> {
  using Signature = R(A...);
  using Code = R (TObject::*)(A...);
  TObject* Data = nullptr;
  Code Proc = nullptr;

  TMethod() = default;
  TMethod(std::nullptr_t) {}  // NOLINT: `OnChange = nullptr` clears the event
  template <class C>
  TMethod(C* obj, R (C::*m)(A...)) : Data(obj), Proc(static_cast<Code>(m)) {}

  explicit operator bool() const { return Data && Proc; }
  R operator()(A... a) const { return (Data->*Proc)(std::forward<A>(a)...); }
  bool operator==(const TMethod&) const = default;

  TMethodRaw Raw() const { return {Data, std::bit_cast<TMethodRaw::Code>(Proc)}; }
  static TMethod FromRaw(const TMethodRaw& raw) {
    TMethod m;
    m.Data = raw.Data;
    m.Proc = std::bit_cast<Code>(raw.Proc);
    return m;
  }
  static std::type_index SignatureId() { return typeid(Signature); }
};

template <class T>
inline constexpr bool IsTMethod = false;
template <class Sig>
inline constexpr bool IsTMethod<TMethod<Sig>> = true;

using TNotifyEvent = TMethod<void(TObject* Sender)>;
