// The object model: TObject with its two-phase life, class references (TClass) with
// published properties, published methods and message maps, typed metaclasses, the
// class registry and message dispatch.
//
//   class TShape : public TPersistent {
//     TL_CLASS(TShape, TPersistent)
//    public:
//     Integer GetWidth() const;  void SetWidth(Integer v);
//   };
//   TL_DEFINE_CLASS(TShape, [](auto& c) {                 // in the .cpp
//     c.Property("Width", &TShape::GetWidth, &TShape::SetWidth).Default(10);
//   });
//
// Message handlers: a map before TL_DEFINE_CLASS in the same .cpp; a handler passes a
// message on to the parent classes' handlers (else DefaultHandler) with TL_INHERITED.
//
//   TL_MESSAGES(TShape, TL_ON(WM_PAINT, WMPaint), TL_ON(CM_MOUSEENTER, CMMouseEnter))
//   void TShape::WMPaint(TMessage& Message) { ...; TL_INHERITED(Message); }
#pragma once

#include "classlib/core/Enums.h"
#include "classlib/core/Events.h"
#include "classlib/core/Exceptions.h"
#include "classlib/core/NumTypes.h"
#include "platform/kernel/Types.h"

#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

class TObject;
class TClass;
class TWeakLink;
class TComponent;
class Variant;

struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

using TMessageHandler = void (TObject::*)(TMessage&);
struct TMessageEntry {
  UINT Msg;
  TMessageHandler Handler;
};

// Message maps: TL_MESSAGES(Class, TL_ON(WM_PAINT, WMPaint), ...) placed before the
// class's TL_DEFINE_CLASS in the same file (the other order does not compile).
template <class T>
struct TlMessagesOf {
  static constexpr bool Present = false;
};

// The message map's friend is named with ::, else a class in an unnamed namespace would
// befriend a new template of that namespace and not the message maps.
#define TL_CLASS(Name, Parent)                                               \
 public:                                                                     \
  using inherited = Parent;                                                  \
  static const TClass& StaticClass();                                        \
  const TClass& ClassType() const override { return Name::StaticClass(); } \
  template <class>                                                           \
  friend struct ::TlMessagesOf;                                              \
                                                                             \
 private:

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  // First point where virtual calls reach the most derived class.
  virtual void AfterConstruction() {}
  // Last such point; overrides do their own work, then call the inherited one.
  virtual void BeforeDestruction() {}
  // BeforeDestruction, then delete. Never throws. Use FreeAndNil for a pointer that may be null.
  // A Free reached again while the object is being freed (a handler its destruction runs)
  // does nothing. An object whose own work is still on the stack (HoldFree) is dead to its
  // weak links at once and destroyed when that work has unwound.
  void Free() noexcept;

  static const TClass& StaticClass();
  virtual const TClass& ClassType() const;
  const String& ClassName() const;
  bool InheritsFrom(const TClass& c) const;

  // Runs the handler for Message.Msg from the class's message map (searching up the
  // parents), or DefaultHandler when no class handles it.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  // Sets every weak link to this object to nil. Freeing does this first, so a handler that
  // frees its sender is seen by every caller that watches it, whatever the sender's class.
  void ClearWeakLinks() noexcept;

 protected:
  // Clears the weak links again: an object that dies other than through Free, or that was
  // linked while it was being freed, still leaves no link to freed memory.
  virtual ~TObject();
  // Runs before BeforeDestruction of every class: the point where an object marks itself
  // as being destroyed before any override does its work.
  virtual void BeginDestruction() noexcept {}
  // Asked by Free after BeginDestruction: true keeps the object in memory, because a
  // handler freed it from inside one of its own operations that still has to unwind; the
  // object then calls EndHeldFree once the outermost of them returns.
  virtual bool HoldFree() noexcept { return false; }
  // The rest of a held Free: BeforeDestruction, then delete.
  void EndHeldFree() noexcept;
  // Dispatch starting at `start` (TL_INHERITED uses the parent of the handler's class).
  void DispatchFrom(const TClass* start, TMessage& Message);

 private:
  friend class TWeakLink;
  TWeakLink* FWeakLinks = nullptr;
  bool FFreeing = false;
};

// A weak link: Ref() reads nil from the moment the object starts to be freed. Code that calls
// out to a handler keeps one on the stack and goes on only while Alive(). The links to an
// object form a list on the object itself, so linking costs no allocation and no search.
class TWeakLink {
 public:
  TWeakLink() = default;
  explicit TWeakLink(TObject* AObject) { Attach(AObject); }
  ~TWeakLink() { Detach(); }
  TWeakLink(const TWeakLink&) = delete;
  TWeakLink& operator=(const TWeakLink&) = delete;

  // Watches AObject instead of what was watched before (nil watches nothing).
  void Attach(TObject* AObject) noexcept;
  void Detach() noexcept;
  TObject* const& Ref() const { return FRef; }
  bool Alive() const { return FRef != nullptr; }

 private:
  friend class TObject;
  TObject* FRef = nullptr;
  TWeakLink* FPrev = nullptr;
  TWeakLink* FNext = nullptr;
};

#define TL_INHERITED(Message) this->DispatchFrom(&inherited::StaticClass(), (Message))

template <class T>
void FreeAndNil(T*& p) noexcept {
  T* q = p;
  p = nullptr;
  if (q) q->Free();
}

template <class T, class... A>
T* New(A&&... a) {
  T* p = new T(std::forward<A>(a)...);
  try {
    p->AfterConstruction();
  } catch (...) {  // written out: only a failed construction frees the object
    p->Free();
    throw;
  }
  return p;
}

struct FreeDeleter {
  void operator()(TObject* p) const noexcept {
    if (p) p->Free();
  }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

// Interfaces are abstract classes inherited after TObject; Supports is a cross-cast.
class IInterface {
 protected:
  virtual ~IInterface() = default;
};
template <class I, class T>
I* Supports(T* obj) {
  return obj ? dynamic_cast<I*>(obj) : nullptr;
}
template <class I, class T>
bool Supports(T* obj, I*& intf) {
  intf = Supports<I>(obj);
  return intf != nullptr;
}

// ---- Published properties ----

namespace tl_detail {
[[noreturn]] void ThrowEmptyAccessor();  // std::bad_function_call, as an empty std::function

// A property accessor: a plain function pointer and, kept inline, the small callable it
// runs (the builder's lambdas, which hold a member pointer). Every accessor of every
// published property instantiates one; std::function's manager, type information and heap
// fallback were a large share of a class description's compile time, and none of it is
// needed for callables that are small and trivially copyable (a larger one does not compile).
template <class Sig>
class TAccessor;
template <class R, class... A>
class TAccessor<R(A...)> {
 public:
  TAccessor() = default;
  TAccessor(std::nullptr_t) {}
  template <class F>
  requires(!std::is_same_v<F, TAccessor> && !std::is_same_v<F, std::nullptr_t> &&
           std::is_invocable_r_v<R, const F&, A...>) TAccessor(F f)
      : FCall(&Call<F>) {
    static_assert(std::is_trivially_copyable_v<F> && sizeof(F) <= sizeof(FData) &&
                      alignof(F) <= alignof(void*),
                  "an accessor holds a small, trivially copyable callable");
    ::new (static_cast<void*>(FData)) F(f);
  }
  R operator()(A... a) const {
    if (!FCall) ThrowEmptyAccessor();
    return FCall(FData, std::forward<A>(a)...);
  }
  explicit operator bool() const { return FCall != nullptr; }

 private:
  template <class F>
  static R Call(const unsigned char* data, A... a) {
    return (*std::launder(reinterpret_cast<const F*>(data)))(std::forward<A>(a)...);
  }
  alignas(void*) unsigned char FData[2 * sizeof(void*)] = {};
  R (*FCall)(const unsigned char*, A...) = nullptr;
};
}  // namespace tl_detail

enum class TPropKind : uint8_t {
  Integer,    // any integer type up to 32 bits (range in MinValue..MaxValue)
  Int64,
  Char,
  Bool,
  Enum,
  Set,
  Double,
  DateTime,
  Currency,   // the ordinal accessors carry the raw value (amount times 10000)
  String,
  WideString,
  Method,     // an event
  Reference,  // a component, linked by name and resolved after loading
  Object,     // an owned sub-object, read and written through its own properties
  Variant,
};

class TPropInfo {
 public:
  String Name;
  TPropKind Kind = TPropKind::Integer;

  // Integer, Int64, Char, Bool, Enum, Set, Currency.
  tl_detail::TAccessor<Int64(const TObject*)> GetOrd;
  tl_detail::TAccessor<void(TObject*, Int64)> SetOrd;
  Int64 MinValue = 0, MaxValue = 0;
  // Double, DateTime.
  tl_detail::TAccessor<double(const TObject*)> GetFloat;
  tl_detail::TAccessor<void(TObject*, double)> SetFloat;
  // String.
  tl_detail::TAccessor<String(const TObject*)> GetStr;
  tl_detail::TAccessor<void(TObject*, const String&)> SetStr;
  // WideString.
  tl_detail::TAccessor<WideString(const TObject*)> GetWStr;
  tl_detail::TAccessor<void(TObject*, const WideString&)> SetWStr;
  // Reference, Object.
  tl_detail::TAccessor<TObject*(const TObject*)> GetObj;
  tl_detail::TAccessor<void(TObject*, TObject*)> SetObj;
  const TClass& (*ObjClass)() = nullptr;  // declared class of the value
  // Variant (stored unless Empty).
  tl_detail::TAccessor<::Variant(const TObject*)> GetVar;
  tl_detail::TAccessor<void(TObject*, const ::Variant&)> SetVar;
  // Method.
  tl_detail::TAccessor<TMethodRaw(const TObject*)> GetMethod;
  tl_detail::TAccessor<void(TObject*, const TMethodRaw&)> SetMethod;
  std::type_index MethodSig = typeid(void);
  // Enum, Set.
  const TEnumType* EnumType = nullptr;
  // Integer properties with named constants (colours, cursors): the table's name.
  String IdentTable;

  bool HasDefault = false;
  Int64 DefaultOrd = 0;
  tl_detail::TAccessor<bool(const TObject*)> StoredFn;
  bool StoredConst = true;

  bool Writable() const;
  // Whether the writer stores this property of `obj` (the stored predicate only).
  bool IsStored(const TObject* obj) const {
    return StoredFn ? StoredFn(obj) : StoredConst;
  }
};

// A published method, bound to events by name.
struct TMethodEntry {
  String Name;
  TMethodRaw::Code Code = nullptr;
  std::type_index Sig = typeid(void);
};

class TClass {
 public:
  using Factory = TComponent* (*)(TComponent* owner);

  TClass(const char* name, const TClass* parent, Factory factory);
  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;

  const String& ClassName() const { return FName; }
  const TClass* ClassParent() const { return FParent; }
  bool InheritsFrom(const TClass& c) const;
  bool operator==(const TClass& c) const { return this == &c; }

  // Creates a component of this class (two-phase). Raises EComponentError for classes
  // that cannot be created this way (abstract ones and non-components).
  TComponent* Create(TComponent* owner) const;
  bool CanCreate() const { return FFactory != nullptr; }

  // Published properties, parents' first; a redeclared property keeps its place.
  const std::vector<const TPropInfo*>& Properties() const;
  const TPropInfo* FindProperty(std::string_view name) const;  // case-insensitive
  const TMethodEntry* FindMethod(std::string_view name) const;
  const TMethodEntry* FindMethodByCode(TMethodRaw::Code code) const;
  // The handler of this class's own map (parents are not searched).
  TMessageHandler FindOwnHandler(UINT msg) const;

  // Used while describing the class.
  TPropInfo& AddProperty(TPropInfo info);
  void AddMethod(TMethodEntry entry);
  void SetMessages(std::vector<TMessageEntry> entries);

 private:
  String FName;
  const TClass* FParent;
  Factory FFactory;
  std::vector<std::unique_ptr<TPropInfo>> FOwnProps;
  std::vector<TMethodEntry> FMethods;
  std::vector<TMessageEntry> FMessages;  // sorted by Msg
  mutable std::vector<const TPropInfo*> FAllProps;
  mutable bool FAllPropsBuilt = false;
};

namespace tl_detail {
// ASCII case-insensitive comparison of identifiers (class, property and value names).
bool SameIdent(std::string_view a, std::string_view b);
}  // namespace tl_detail

// Typed metaclass for hierarchies whose class references construct with other arguments.
template <class Base, class... A>
struct TMetaClass {
  const TClass* Class = nullptr;
  Base* (*Make)(A...) = nullptr;
  Base* Create(A... a) const {
    Base* p = Make(a...);
    try {
      p->AfterConstruction();
    } catch (...) {  // written out: only a failed construction frees the object
      p->Free();
      throw;
    }
    return p;
  }
  explicit operator bool() const { return Class != nullptr; }
  bool operator==(const TMetaClass&) const = default;
};
template <class T, class Base, class... A>
TMetaClass<Base, A...> ClassOf() {
  static_assert(std::is_base_of_v<Base, T>);
  return {&T::StaticClass(), [](A... a) -> Base* { return new T(a...); }};
}

// The published property PropName of Instance's class, or nullptr.
const TPropInfo* GetPropInfo(const TObject* Instance, std::string_view PropName);
// The property's stored predicate for Instance; false when there is no such property.
bool IsStoredProp(const TObject* Instance, std::string_view PropName);

// ---- Class registry (filled by the units' Initialize) ----

// Registering the same class twice is harmless; another class with a registered name
// raises EFilerError.
void RegisterClass(const TClass& c);
void RegisterClasses(std::initializer_list<const TClass*> classes);
void UnRegisterClass(const TClass& c);
const TClass* GetClass(std::string_view name);  // nullptr when not registered
const TClass& FindClass(std::string_view name);  // raises EClassNotFound

// ---- Class groups ----
// A registered class belongs to the group that holds its nearest ancestor (or itself); a class
// with no such ancestor is in the default group. GetClass and FindClass, and with them the
// reader, see the default group and the one active group only, so one family of classes can
// hide another family's classes of the same purpose.

// Starts a group holding AClass and its descendants; starting it again changes nothing.
void StartClassGroup(const TClass& AClass);
// Moves AClass and its descendants into the group of AClassGroup.
void GroupDescendentsWith(const TClass& AClass, const TClass& AClassGroup);
// Makes the group of AClass the active one; answers the class that activated the group before
// (nullptr while no group but the default one has been active).
const TClass* ActivateClassGroup(const TClass& AClass);

// ---- Describing a class: the builder behind TL_DEFINE_CLASS ----

namespace tl_detail {

template <class T>
struct IsSet : std::false_type {};
template <class E>
struct IsSet<Set<E>> : std::true_type {};

template <class T>
struct PointeeOf {};
template <class T>
struct PointeeOf<T*> {
  using type = T;
};

void FillIntegerRange(TPropInfo& p, Int64 lo, Int64 hi);

// Fills the kind and the type-erased accessors of a property of value type V. get and set
// are the builder's small callables (set is nullptr for a read-only property), held by the
// accessors as they are: wrapping them in std::function first doubled the code every class
// description compiles, a large share of its build time.
template <class C, class V, class G, class S>
void SetAccessors(TPropInfo& p, G get, S set) {
  constexpr bool writable = !std::is_same_v<S, std::nullptr_t>;
  if constexpr (std::is_same_v<V, bool>) {
    p.Kind = TPropKind::Bool;
    p.GetOrd = [get](const TObject* o) { return Int64(get(static_cast<const C*>(o))); };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), v != 0); };
    FillIntegerRange(p, 0, 1);
  } else if constexpr (std::is_same_v<V, Char>) {
    p.Kind = TPropKind::Char;
    p.GetOrd = [get](const TObject* o) {
      return Int64(static_cast<unsigned char>(get(static_cast<const C*>(o))));
    };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), Char(v)); };
    FillIntegerRange(p, 0, 255);
  } else if constexpr (std::is_same_v<V, Int64>) {
    p.Kind = TPropKind::Int64;
    p.GetOrd = [get](const TObject* o) { return get(static_cast<const C*>(o)); };
    if constexpr (writable) p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), v); };
    FillIntegerRange(p, std::numeric_limits<Int64>::min(), std::numeric_limits<Int64>::max());
  } else if constexpr (std::is_integral_v<V>) {
    static_assert(sizeof(V) <= 4, "64-bit unsigned properties are not supported");
    p.Kind = TPropKind::Integer;
    p.GetOrd = [get](const TObject* o) { return Int64(get(static_cast<const C*>(o))); };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), V(v)); };
    FillIntegerRange(p, Int64(std::numeric_limits<V>::min()), Int64(std::numeric_limits<V>::max()));
  } else if constexpr (TlEnum<V>) {
    p.Kind = TPropKind::Enum;
    p.EnumType = &EnumInfo<V>::Type();
    p.GetOrd = [get](const TObject* o) { return Int64(get(static_cast<const C*>(o))); };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), V(v)); };
    FillIntegerRange(p, 0, EnumInfo<V>::Count - 1);
  } else if constexpr (IsSet<V>::value) {
    using E = typename V::Element;
    p.Kind = TPropKind::Set;
    p.EnumType = &EnumInfo<E>::Type();
    p.GetOrd = [get](const TObject* o) { return Int64(get(static_cast<const C*>(o)).ToInt()); };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), V::FromInt(uint64_t(v))); };
  } else if constexpr (std::is_same_v<V, Currency>) {
    p.Kind = TPropKind::Currency;
    p.GetOrd = [get](const TObject* o) { return get(static_cast<const C*>(o)).Raw; };
    if constexpr (writable)
      p.SetOrd = [set](TObject* o, Int64 v) { set(static_cast<C*>(o), Currency::FromRaw(v)); };
  } else if constexpr (std::is_same_v<V, TDateTime> || std::is_floating_point_v<V>) {
    p.Kind = std::is_same_v<V, TDateTime> ? TPropKind::DateTime : TPropKind::Double;
    p.GetFloat = [get](const TObject* o) { return double(get(static_cast<const C*>(o))); };
    if constexpr (writable)
      p.SetFloat = [set](TObject* o, double v) { set(static_cast<C*>(o), V(v)); };
  } else if constexpr (std::is_same_v<V, String>) {
    p.Kind = TPropKind::String;
    p.GetStr = [get](const TObject* o) { return get(static_cast<const C*>(o)); };
    if constexpr (writable)
      p.SetStr = [set](TObject* o, const String& v) { set(static_cast<C*>(o), v); };
  } else if constexpr (std::is_same_v<V, WideString>) {
    p.Kind = TPropKind::WideString;
    p.GetWStr = [get](const TObject* o) { return get(static_cast<const C*>(o)); };
    if constexpr (writable)
      p.SetWStr = [set](TObject* o, const WideString& v) { set(static_cast<C*>(o), v); };
  } else if constexpr (std::is_same_v<V, Variant>) {
    p.Kind = TPropKind::Variant;
    p.GetVar = [get](const TObject* o) { return get(static_cast<const C*>(o)); };
    if constexpr (writable)
      p.SetVar = [set](TObject* o, const Variant& v) { set(static_cast<C*>(o), v); };
  } else if constexpr (IsTMethod<V>) {
    p.Kind = TPropKind::Method;
    p.MethodSig = V::SignatureId();
    p.GetMethod = [get](const TObject* o) { return get(static_cast<const C*>(o)).Raw(); };
    if constexpr (writable)
      p.SetMethod = [set](TObject* o, const TMethodRaw& v) {
        set(static_cast<C*>(o), V::FromRaw(v));
      };
  } else if constexpr (std::is_pointer_v<V>) {
    using T = std::remove_cv_t<typename PointeeOf<V>::type>;
    static_assert(std::is_base_of_v<TObject, T>, "pointer properties hold class-library objects");
    p.Kind = std::is_base_of_v<TComponent, T> ? TPropKind::Reference : TPropKind::Object;
    p.ObjClass = &T::StaticClass;
    p.GetObj = [get](const TObject* o) -> TObject* {
      return const_cast<T*>(get(static_cast<const C*>(o)));
    };
    if constexpr (writable) {
      p.SetObj = [set](TObject* o, TObject* v) {
        T* t = v ? dynamic_cast<T*>(v) : nullptr;
        if (v && !t) throw EInvalidCast("Invalid class typecast");
        set(static_cast<C*>(o), t);
      };
    }
  } else {
    static_assert(sizeof(V) == 0, "unsupported property type");
  }
}

template <class T>
using Bare = std::remove_cvref_t<T>;

}  // namespace tl_detail

class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo& p) : FP(p) {}
  // The value the writer leaves out (ordinal kinds: integers, bool, Char, enums, sets).
  template <class V>
  TPropBuilder& Default(V v) {
    FP.HasDefault = true;
    if constexpr (tl_detail::IsSet<V>::value)
      FP.DefaultOrd = Int64(v.ToInt());
    else if constexpr (std::is_enum_v<V>)
      FP.DefaultOrd = Int64(v);
    else if constexpr (std::is_same_v<V, Char>)
      FP.DefaultOrd = Int64(static_cast<unsigned char>(v));
    else
      FP.DefaultOrd = Int64(v);
    return *this;
  }
  TPropBuilder& NoDefault() {
    FP.HasDefault = false;
    return *this;
  }
  TPropBuilder& Stored(bool stored) {
    FP.StoredFn = nullptr;
    FP.StoredConst = stored;
    return *this;
  }
  template <class C>
  TPropBuilder& Stored(bool (C::*pred)() const) {
    FP.StoredFn = [pred](const TObject* o) { return (static_cast<const C*>(o)->*pred)(); };
    return *this;
  }
  // Named constants for an integer property: the name of a table registered with
  // RegisterIntegerConsts.
  TPropBuilder& Idents(const char* tableName) {
    FP.IdentTable = tableName;
    return *this;
  }

 private:
  TPropInfo& FP;
};

template <class C>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClass& cls) : FClass(cls) {}

  template <class GC, class G, class SC, class SArg>
  TPropBuilder Property(const char* name, G (GC::*getter)() const, void (SC::*setter)(SArg)) {
    using V = tl_detail::Bare<G>;
    static_assert(std::is_same_v<V, tl_detail::Bare<SArg>>, "getter and setter types differ");
    auto get = [getter](const C* o) -> V { return (o->*getter)(); };
    auto set = [setter](C* o, V v) { (o->*setter)(std::move(v)); };
    return Add<V>(name, get, set);
  }
  template <class GC, class G>
  TPropBuilder Property(const char* name, G (GC::*getter)() const) {
    using V = tl_detail::Bare<G>;
    auto get = [getter](const C* o) -> V { return (o->*getter)(); };
    return Add<V>(name, get, nullptr);
  }
  // Getters that are not const (as some classes declare them) are called the same way.
  template <class GC, class G, class SC, class SArg>
  TPropBuilder Property(const char* name, G (GC::*getter)(), void (SC::*setter)(SArg)) {
    using V = tl_detail::Bare<G>;
    static_assert(std::is_same_v<V, tl_detail::Bare<SArg>>, "getter and setter types differ");
    auto get = [getter](const C* o) -> V { return (const_cast<C*>(o)->*getter)(); };
    auto set = [setter](C* o, V v) { (o->*setter)(std::move(v)); };
    return Add<V>(name, get, set);
  }
  template <class GC, class G>
  TPropBuilder Property(const char* name, G (GC::*getter)()) {
    using V = tl_detail::Bare<G>;
    auto get = [getter](const C* o) -> V { return (const_cast<C*>(o)->*getter)(); };
    return Add<V>(name, get, nullptr);
  }
  template <class FC, class V>
    requires(!std::is_function_v<V>)
  TPropBuilder Property(const char* name, V FC::*field) {
    auto get = [field](const C* o) -> V { return o->*field; };
    auto set = [field](C* o, V v) { o->*field = std::move(v); };
    return Add<V>(name, get, set);
  }
  template <class FC, class Sig>
  TPropBuilder Event(const char* name, TMethod<Sig> FC::*field) {
    return Property(name, field);
  }
  template <class MC, class R, class... A>
  TClassBuilder& Method(const char* name, R (MC::*m)(A...)) {
    static_assert(std::is_base_of_v<MC, C>);
    using M = TMethod<R(A...)>;
    auto code = static_cast<typename M::Code>(m);
    FClass.AddMethod({name, std::bit_cast<TMethodRaw::Code>(code), M::SignatureId()});
    return *this;
  }

 private:
  template <class V, class G, class S>
  TPropBuilder Add(const char* name, G get, S set) {
    TPropInfo p;
    p.Name = name;
    tl_detail::SetAccessors<C, V>(p, get, set);
    return TPropBuilder(FClass.AddProperty(std::move(p)));
  }
  TClass& FClass;
};

namespace tl_detail {
template <class C>
TClass::Factory FactoryOf() {
  if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                std::is_constructible_v<C, TComponent*>)
    return [](TComponent* owner) -> TComponent* { return New<C>(owner); };
  else
    return nullptr;
}
template <class C, class... D>
void Describe(TClass& cls, D&&... describe) {
  if constexpr (TlMessagesOf<C>::Present) cls.SetMessages(TlMessagesOf<C>::Get());
  TClassBuilder<C> b(cls);
  (describe(b), ...);
}
}  // namespace tl_detail

#define TL_DEFINE_CLASS(Name, ...)                                                                  \
  const TClass& Name::StaticClass() {                                                               \
    static TClass cls_(#Name, &Name::inherited::StaticClass(), tl_detail::FactoryOf<Name>());       \
    static const bool described_ = (tl_detail::Describe<Name>(cls_ __VA_OPT__(, ) __VA_ARGS__), true); \
    (void)described_;                                                                               \
    return cls_;                                                                                    \
  }

#define TL_MESSAGES(Name, ...)                                                         \
  template <>                                                                          \
  struct TlMessagesOf<Name> {                                                          \
    using Self = Name;                                                                 \
    static constexpr bool Present = true;                                              \
    static std::vector<TMessageEntry> Get() { return {__VA_ARGS__}; }                  \
  };

#define TL_ON(Msg, Method) TMessageEntry{UINT(Msg), static_cast<TMessageHandler>(&Self::Method)}
