#include "classlib/core/Object.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

// ---- TEnumType ----

TEnumType::TEnumType(const char* typeName, const char* nameList) : FName(typeName) {
  String cur;
  auto flush = [&] {
    if (!cur.empty()) FNames.push_back(cur);
    cur.clear();
  };
  for (const char* p = nameList; *p; ++p) {
    if (*p == ',')
      flush();
    else if (!std::isspace(static_cast<unsigned char>(*p)))
      cur += *p;
  }
  flush();
}

const String& TEnumType::ValueName(int ordinal) const {
  if (ordinal < 0 || ordinal >= Count())
    throw ERangeError("Value " + std::to_string(ordinal) + " is out of the range of " + FName);
  return FNames[size_t(ordinal)];
}

int TEnumType::IndexOf(std::string_view name) const {
  for (size_t i = 0; i < FNames.size(); ++i)
    if (tl_detail::SameIdent(FNames[i], name)) return int(i);
  return -1;
}

bool tl_detail::SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y && std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

// ---- TObject ----

void TWeakLink::Attach(TObject* AObject) noexcept {
  Detach();
  if (!AObject) return;
  FRef = AObject;
  FNext = AObject->FWeakLinks;
  if (FNext) FNext->FPrev = this;
  AObject->FWeakLinks = this;
}

void TWeakLink::Detach() noexcept {
  if (!FRef) return;
  if (FPrev) FPrev->FNext = FNext;
  else FRef->FWeakLinks = FNext;
  if (FNext) FNext->FPrev = FPrev;
  FRef = nullptr;
  FPrev = FNext = nullptr;
}

TObject::~TObject() { ClearWeakLinks(); }

void TObject::ClearWeakLinks() noexcept {
  while (FWeakLinks) FWeakLinks->Detach();
}

void TObject::Free() noexcept {
  if (FFreeing) return;
  FFreeing = true;
  ClearWeakLinks();
  BeginDestruction();
  if (HoldFree()) return;
  EndHeldFree();
}

void TObject::EndHeldFree() noexcept {
  BeforeDestruction();
  delete this;
}

const TClass& TObject::StaticClass() {
  static TClass cls("TObject", nullptr, nullptr);
  return cls;
}

const TClass& TObject::ClassType() const { return StaticClass(); }

const String& TObject::ClassName() const { return ClassType().ClassName(); }

bool TObject::InheritsFrom(const TClass& c) const { return ClassType().InheritsFrom(c); }

void TObject::Dispatch(TMessage& Message) { DispatchFrom(&ClassType(), Message); }

void TObject::DefaultHandler(TMessage&) {}

void TObject::DispatchFrom(const TClass* start, TMessage& Message) {
  for (const TClass* c = start; c; c = c->ClassParent()) {
    if (TMessageHandler h = c->FindOwnHandler(Message.Msg)) {
      (this->*h)(Message);
      return;
    }
  }
  DefaultHandler(Message);
}

// ---- TPropInfo ----

void tl_detail::ThrowEmptyAccessor() { throw std::bad_function_call(); }

bool TPropInfo::Writable() const {
  switch (Kind) {
    case TPropKind::Double:
    case TPropKind::DateTime:
      return bool(SetFloat);
    case TPropKind::String:
      return bool(SetStr);
    case TPropKind::WideString:
      return bool(SetWStr);
    case TPropKind::Method:
      return bool(SetMethod);
    case TPropKind::Variant:
      return bool(SetVar);
    case TPropKind::Reference:
    case TPropKind::Object:
      return bool(SetObj);
    default:
      return bool(SetOrd);
  }
}

void tl_detail::FillIntegerRange(TPropInfo& p, Int64 lo, Int64 hi) {
  p.MinValue = lo;
  p.MaxValue = hi;
}

// ---- TClass ----

TClass::TClass(const char* name, const TClass* parent, Factory factory)
    : FName(name), FParent(parent), FFactory(factory) {}

bool TClass::InheritsFrom(const TClass& c) const {
  for (const TClass* p = this; p; p = p->FParent)
    if (p == &c) return true;
  return false;
}

TComponent* TClass::Create(TComponent* owner) const {
  if (!FFactory) throw EComponentError("Cannot create an instance of class " + FName);
  return FFactory(owner);
}

const std::vector<const TPropInfo*>& TClass::Properties() const {
  if (!FAllPropsBuilt) {
    std::vector<const TPropInfo*> all;
    if (FParent) all = FParent->Properties();
    for (const auto& p : FOwnProps) {
      auto it = std::find_if(all.begin(), all.end(),
                             [&](const TPropInfo* q) { return tl_detail::SameIdent(q->Name, p->Name); });
      if (it != all.end())
        *it = p.get();
      else
        all.push_back(p.get());
    }
    FAllProps = std::move(all);
    FAllPropsBuilt = true;
  }
  return FAllProps;
}

const TPropInfo* TClass::FindProperty(std::string_view name) const {
  for (const TClass* c = this; c; c = c->FParent)
    for (const auto& p : c->FOwnProps)
      if (tl_detail::SameIdent(p->Name, name)) return p.get();
  return nullptr;
}

const TMethodEntry* TClass::FindMethod(std::string_view name) const {
  for (const TClass* c = this; c; c = c->FParent)
    for (const auto& m : c->FMethods)
      if (tl_detail::SameIdent(m.Name, name)) return &m;
  return nullptr;
}

const TMethodEntry* TClass::FindMethodByCode(TMethodRaw::Code code) const {
  for (const TClass* c = this; c; c = c->FParent)
    for (const auto& m : c->FMethods)
      if (m.Code == code) return &m;
  return nullptr;
}

TMessageHandler TClass::FindOwnHandler(UINT msg) const {
  auto it = std::lower_bound(FMessages.begin(), FMessages.end(), msg,
                             [](const TMessageEntry& e, UINT m) { return e.Msg < m; });
  return it != FMessages.end() && it->Msg == msg ? it->Handler : nullptr;
}

TPropInfo& TClass::AddProperty(TPropInfo info) {
  FAllPropsBuilt = false;
  for (auto& p : FOwnProps)
    if (tl_detail::SameIdent(p->Name, info.Name)) {
      *p = std::move(info);
      return *p;
    }
  FOwnProps.push_back(std::make_unique<TPropInfo>(std::move(info)));
  return *FOwnProps.back();
}

void TClass::AddMethod(TMethodEntry entry) {
  for (auto& m : FMethods)
    if (tl_detail::SameIdent(m.Name, entry.Name)) {
      m = std::move(entry);
      return;
    }
  FMethods.push_back(std::move(entry));
}

void TClass::SetMessages(std::vector<TMessageEntry> entries) {
  // A later entry for the same message wins, as a later method declaration would.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TMessageEntry& a, const TMessageEntry& b) { return a.Msg < b.Msg; });
  FMessages.clear();
  for (const auto& e : entries) {
    if (!FMessages.empty() && FMessages.back().Msg == e.Msg)
      FMessages.back() = e;
    else
      FMessages.push_back(e);
  }
}

const TPropInfo* GetPropInfo(const TObject* Instance, std::string_view PropName) {
  return Instance ? Instance->ClassType().FindProperty(PropName) : nullptr;
}

bool IsStoredProp(const TObject* Instance, std::string_view PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  return p && p->IsStored(Instance);
}

// ---- Registry ----

namespace {
struct NoCaseLess {
  bool operator()(const String& a, const String& b) const {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
      int x = std::tolower(static_cast<unsigned char>(a[i])), y = std::tolower(static_cast<unsigned char>(b[i]));
      if (x != y) return x < y;
    }
    return a.size() < b.size();
  }
};
std::map<String, const TClass*, NoCaseLess>& Registry() {
  static std::map<String, const TClass*, NoCaseLess> r;
  return r;
}
}  // namespace

void RegisterClass(const TClass& c) {
  auto& r = Registry();
  auto it = r.find(c.ClassName());
  if (it != r.end()) {
    if (it->second != &c) throw EFilerError("A class named " + c.ClassName() + " already exists");
    return;
  }
  r.emplace(c.ClassName(), &c);
}

void RegisterClasses(std::initializer_list<const TClass*> classes) {
  for (const TClass* c : classes) RegisterClass(*c);
}

void UnRegisterClass(const TClass& c) {
  auto& r = Registry();
  auto it = r.find(c.ClassName());
  if (it != r.end() && it->second == &c) r.erase(it);
}

// ---- Class groups ----

namespace {
struct ClassGroups {
  // Group 0 is the default group: it starts empty and answers whatever no other group holds.
  std::vector<std::vector<const TClass*>> Members{1};
  size_t Active = 0;
  const TClass* ActiveClass = nullptr;
};
ClassGroups& Groups() {
  static ClassGroups g;
  return g;
}

// The group whose member is the nearest ancestor of c.
size_t GroupOf(const TClass& c) {
  const ClassGroups& g = Groups();
  size_t generations = 0;
  for (const TClass* p = &c; p; p = p->ClassParent(), ++generations)
    for (size_t i = 0; i < g.Members.size(); ++i)
      if (std::find(g.Members[i].begin(), g.Members[i].end(), p) != g.Members[i].end()) return i;
  return 0;
}

bool GroupAnswers(const TClass& c) {
  size_t i = GroupOf(c);
  return i == 0 || i == Groups().Active;
}

void ForgetMember(const TClass& c) {
  for (auto& m : Groups().Members) m.erase(std::remove(m.begin(), m.end(), &c), m.end());
}
}  // namespace

void StartClassGroup(const TClass& AClass) {
  ClassGroups& g = Groups();
  for (size_t i = 1; i < g.Members.size(); ++i)
    if (g.Members[i].front() == &AClass) return;
  ForgetMember(AClass);
  g.Members.push_back({&AClass});
}

void GroupDescendentsWith(const TClass& AClass, const TClass& AClassGroup) {
  size_t target = GroupOf(AClassGroup);
  ClassGroups& g = Groups();
  // The first member of a started group is its root and stays where it is.
  for (size_t i = 1; i < g.Members.size(); ++i)
    if (g.Members[i].front() == &AClass) return;
  ForgetMember(AClass);
  g.Members[target].push_back(&AClass);
}

const TClass* ActivateClassGroup(const TClass& AClass) {
  ClassGroups& g = Groups();
  const TClass* previous = g.ActiveClass;
  g.Active = GroupOf(AClass);
  g.ActiveClass = &AClass;
  return previous;
}

const TClass* GetClass(std::string_view name) {
  auto& r = Registry();
  auto it = r.find(String(name));
  return it == r.end() || !GroupAnswers(*it->second) ? nullptr : it->second;
}

const TClass& FindClass(std::string_view name) {
  const TClass* c = GetClass(name);
  if (!c) throw EClassNotFound("Class " + String(name) + " not found");
  return *c;
}
