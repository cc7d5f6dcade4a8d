// The parse tree of the mask language and the automaton built from it: linking items into
// states, final marking, state sets, stepping with history, and auto-completion.
#include "classlib/core/SysUtils.h"
#include "widgets/editcore/cxRegExpr.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <unordered_map>

TL_DEFINE_CLASS(TcxRegExprState)
TL_DEFINE_CLASS(TcxRegExprSimpleState)
TL_DEFINE_CLASS(TcxRegExprBlockState)
TL_DEFINE_CLASS(TcxRegExprParserItem)
TL_DEFINE_CLASS(TcxRegExprParserSimpleItem)
TL_DEFINE_CLASS(TcxRegExprParserAlt)
TL_DEFINE_CLASS(TcxRegExprParserAlts)
TL_DEFINE_CLASS(TcxRegExprParserBlockItem)
TL_DEFINE_CLASS(TcxRegExprAutomat)

// ---- Forming sets ----

// One depth-first walk through empty steps to consuming states. Every state is entered at
// most once per walk, so a set never repeats a state and cycles of group entry and exit
// states (an empty-capable group under a star) end.
class TcxRegExprStateWalk {
 public:
  TcxRegExprStateWalk() : FMark(LastMark.fetch_add(1, std::memory_order_relaxed) + 1) {}

  // Appends the consuming states AState stands for that this walk has not reached yet,
  // in the order a recursive walk would first reach them.
  void Collect(TcxRegExprState* AState, TcxRegExprStates& AResult) {
    std::vector<TcxRegExprState*>& stack = Stack;   // walks never nest: one scratch stack
    stack.push_back(AState);
    while (!stack.empty()) {
      TcxRegExprState* s = stack.back();
      stack.pop_back();
      if (s->FMark == FMark) continue;
      s->FMark = FMark;
      if (s->IsConsuming()) {
        AResult.Add(s);
      } else {
        for (auto it = s->FNext.rbegin(); it != s->FNext.rend(); ++it)
          if ((*it)->FMark != FMark) stack.push_back(*it);
      }
    }
  }

  void CollectNext(TcxRegExprState* AState, TcxRegExprStates& AResult) {
    for (TcxRegExprState* s : AState->FNext) Collect(s, AResult);
  }

 private:
  // One sequence for all threads: an automaton may move between threads (one at a time)
  // without meeting a mark it left itself.
  static inline std::atomic<uint64_t> LastMark{0};
  static inline thread_local std::vector<TcxRegExprState*> Stack;
  uint64_t FMark;
};

namespace {

// The character a state forces, when its class is a single character.
bool ForcedChar(const TcxRegExprState* AState, Char& Ch) {
  if (!AState->IsConsuming()) return false;
  const TcxRegExprItem* item = static_cast<const TcxRegExprSimpleState*>(AState)->Item();
  if (auto* sym = dynamic_cast<const TcxRegExprSymbol*>(item)) {
    Ch = sym->Symbol();
    return true;
  }
  if (dynamic_cast<const TcxRegExprTimeSeparator*>(item)) {
    Ch = FormatSettings.TimeSeparator;
    return true;
  }
  if (dynamic_cast<const TcxRegExprDateSeparator*>(item)) {
    Ch = FormatSettings.DateSeparator;
    return true;
  }
  return false;
}

}  // namespace

void TcxRegExprStates::AddStates(TcxRegExprStates&& AStates) {
  FItems.insert(FItems.end(), AStates.FItems.begin(), AStates.FItems.end());
  AStates.Clear();
}

TcxRegExprStates TcxRegExprStates::GetNextStates() const {
  TcxRegExprStates result;
  TcxRegExprStateWalk walk;
  for (TcxRegExprState* s : FItems) walk.CollectNext(s, result);
  return result;
}

// Keeps the members that accept Ch. Each is tested with the character as typed, so a
// case-insensitive symbol match cannot change what the states after it see.
void TcxRegExprStates::KeepAccepting(Char& Ch, bool CaseInsensitive) {
  bool keepTyped = false, rewritten = false;
  Char rewrite = Ch;
  size_t kept = 0;
  for (TcxRegExprState* state : FItems) {
    auto* s = static_cast<TcxRegExprSimpleState*>(state);
    Char c = Ch;
    if (!s->Item() || !s->Item()->Check(c, CaseInsensitive)) continue;
    FItems[kept++] = s;
    if (c == Ch) {
      keepTyped = true;
    } else if (!rewritten) {
      rewritten = true;
      rewrite = c;
    }
  }
  FItems.resize(kept);
  if (!keepTyped && rewritten) Ch = rewrite;
}

TcxRegExprStates TcxRegExprStates::Check(Char& Ch, bool CaseInsensitive) const {
  TcxRegExprStates result = GetNextStates();
  result.KeepAccepting(Ch, CaseInsensitive);
  return result;
}

bool TcxRegExprStates::IsFinal() const {
  for (TcxRegExprState* s : FItems)
    if (s->IsConsuming() && static_cast<TcxRegExprSimpleState*>(s)->Final()) return true;
  return false;
}

bool TcxRegExprStates::GetSingleSymbol(Char& Ch) const {
  if (FItems.empty()) return false;
  Char first = 0;
  for (size_t i = 0; i < FItems.size(); ++i) {
    Char c;
    if (!ForcedChar(FItems[i], c)) return false;
    if (i == 0)
      first = c;
    else if (c != first)
      return false;
  }
  Ch = first;
  return true;
}

// ---- States ----

TcxRegExprStates TcxRegExprState::GetSimpleStates() {
  TcxRegExprStates result;
  TcxRegExprStateWalk().Collect(this, result);
  return result;
}

TcxRegExprStates TcxRegExprState::Check(Char& Ch, bool CaseInsensitive) {
  TcxRegExprStates result = GetSimpleStates();
  result.KeepAccepting(Ch, CaseInsensitive);
  return result;
}

void TcxRegExprState::AddNextStates(TcxRegExprStates&& AStates) {
  for (Integer i = 0; i < AStates.Count(); ++i) AddNext(AStates.Items(i));
  AStates.Clear();
}

TcxRegExprStates TcxRegExprState::GetNextStates() {
  TcxRegExprStates result;
  TcxRegExprStateWalk().CollectNext(this, result);
  return result;
}

TcxRegExprState* TcxRegExprSimpleState::Clone() const {
  return New<TcxRegExprSimpleState>(FItem ? FItem->Clone() : nullptr);
}

// ---- Parse tree ----

bool TcxRegExprParserItem::HasSimpleQuantifier() const {
  return dynamic_cast<const TcxRegExprSimpleQuantifier*>(FQuantifier.get()) != nullptr;
}

void TcxRegExprParserItem::SetQuantifier(TcxRegExprQuantifier* AQuantifier) {
  if (AQuantifier) FQuantifier.reset(AQuantifier);
}

TcxRegExprParserItem* TcxRegExprParserSimpleItem::Clone() const {
  Owned<TcxRegExprParserSimpleItem> copy(New<TcxRegExprParserSimpleItem>(FState->Item()->Clone()));
  copy->SetQuantifier(FQuantifier->Clone());
  return copy.release();
}

String TcxRegExprParserSimpleItem::GetText() const { return "item --> " + FQuantifier->GetText() + "\r\n"; }

TcxRegExprParserItem* TcxRegExprParserAlt::ReplaceLast(TcxRegExprParserItem* AItem) {
  TcxRegExprParserItem* old = FItems.back().release();
  FItems.back().reset(AItem);
  return old;
}

TcxRegExprParserAlt* TcxRegExprParserAlt::Clone() const {
  Owned<TcxRegExprParserAlt> copy(New<TcxRegExprParserAlt>());
  for (const auto& item : FItems) copy->Add(item->Clone());
  return copy.release();
}

String TcxRegExprParserAlt::GetText() const {
  String s = "<Start_Alt>\r\n";
  for (const auto& item : FItems) s += item->GetText();
  return s + "<Finish_Alt>\r\n";
}

TcxRegExprParserAlt* TcxRegExprParserAlts::Add() {
  FItems.emplace_back(New<TcxRegExprParserAlt>());
  return FItems.back().get();
}

TcxRegExprParserAlts* TcxRegExprParserAlts::Clone() const {
  Owned<TcxRegExprParserAlts> copy(New<TcxRegExprParserAlts>());
  for (const auto& alt : FItems) copy->FItems.emplace_back(alt->Clone());
  return copy.release();
}

String TcxRegExprParserAlts::GetText() const {
  String s;
  for (const auto& alt : FItems) s += alt->GetText();
  return s;
}

bool TcxRegExprParserAlts::CanBeSkipped() const {
  for (const auto& alt : FItems) {
    bool all = true;
    for (Integer i = 0; i < alt->Count() && all; ++i) all = alt->Items(i)->QuantifierCanBeEmpty();
    if (all) return true;
  }
  return false;
}

bool TcxRegExprParserAlts::CanBeEmpty() const {
  for (const auto& alt : FItems) {
    bool all = true;
    for (Integer i = 0; i < alt->Count() && all; ++i) all = alt->Items(i)->CanBeEmpty();
    if (all) return true;
  }
  return false;
}

TcxRegExprParserBlockItem::TcxRegExprParserBlockItem()
    : FAlts(New<TcxRegExprParserAlts>()),
      FExitState(New<TcxRegExprBlockState>()),
      FEntryState(New<TcxRegExprBlockState>()) {}

bool TcxRegExprParserBlockItem::CanBeEmpty() const { return QuantifierCanBeEmpty() || FAlts->CanBeEmpty(); }

TcxRegExprParserItem* TcxRegExprParserBlockItem::Clone() const {
  Owned<TcxRegExprParserBlockItem> copy(New<TcxRegExprParserBlockItem>());
  copy->SetQuantifier(FQuantifier->Clone());
  copy->FAlts.reset(FAlts->Clone());
  copy->UpdateDepth();
  return copy.release();
}

String TcxRegExprParserBlockItem::GetText() const {
  return "<Start_Block>\r\n" + FAlts->GetText() + "<Finish_Block> --> " + FQuantifier->GetText() + "\r\n";
}

namespace {

// Walks an alternative backwards from its end, marking the states that can end a match;
// an item that can match the empty text lets the walk go on to the item before it.
void MarkFinal(TcxRegExprParserAlt* AAlt) {
  for (Integer i = AAlt->Count() - 1; i >= 0; --i) {
    TcxRegExprParserItem* item = AAlt->Items(i);
    item->SetFinal();
    if (!item->CanBeEmpty()) break;
  }
}

// Links AFrom to the states that enter AAlt: its items up to the first one that its own
// quantifier does not let be skipped.
void LinkFirst(TcxRegExprState* AFrom, TcxRegExprParserAlt* AAlt) {
  for (Integer i = 0; i < AAlt->Count(); ++i) {
    AFrom->AddNext(AAlt->Items(i)->InState());
    if (!AAlt->Items(i)->QuantifierCanBeEmpty()) break;
  }
}

// Links the states that leave AAlt to ATo.
void LinkLast(TcxRegExprParserAlt* AAlt, TcxRegExprState* ATo) {
  for (Integer i = AAlt->Count() - 1; i >= 0; --i) {
    AAlt->Items(i)->OutState()->AddNext(ATo);
    if (!AAlt->Items(i)->QuantifierCanBeEmpty()) break;
  }
}

void LinkAlt(TcxRegExprParserAlt* AAlt);

void LinkBlock(TcxRegExprParserBlockItem* ABlock) {
  TcxRegExprParserAlts* alts = ABlock->Alts();
  for (Integer i = 0; i < alts->Count(); ++i) LinkFirst(ABlock->EntryState(), alts->Items(i));
  if (alts->CanBeSkipped()) ABlock->EntryState()->AddNext(ABlock->ExitState());
  for (Integer i = 0; i < alts->Count(); ++i) LinkAlt(alts->Items(i));
  for (Integer i = 0; i < alts->Count(); ++i) LinkLast(alts->Items(i), ABlock->ExitState());
}

void LinkAlt(TcxRegExprParserAlt* AAlt) {
  const Integer n = AAlt->Count();
  for (Integer i = 0; i < n; ++i) {
    TcxRegExprParserItem* item = AAlt->Items(i);
    TcxRegExprState* out = item->OutState();
    for (Integer j = i + 1; j < n; ++j) {
      out->AddNext(AAlt->Items(j)->InState());
      if (!AAlt->Items(j)->QuantifierCanBeEmpty()) break;
    }
    if (item->QuantifierCanRepeat()) out->AddNext(item->InState());
    if (auto* block = dynamic_cast<TcxRegExprParserBlockItem*>(item)) LinkBlock(block);
  }
}

// Transitions LinkFirst and LinkLast add for one alternative.
Int64 FirstLinks(const TcxRegExprParserAlt* AAlt) {
  Int64 n = 0;
  for (Integer i = 0; i < AAlt->Count(); ++i) {
    ++n;
    if (!AAlt->Items(i)->QuantifierCanBeEmpty()) break;
  }
  return n;
}

Int64 LastLinks(const TcxRegExprParserAlt* AAlt) {
  Int64 n = 0;
  for (Integer i = AAlt->Count() - 1; i >= 0; --i) {
    ++n;
    if (!AAlt->Items(i)->QuantifierCanBeEmpty()) break;
  }
  return n;
}

Int64 CountAltTransitions(const TcxRegExprParserAlt* AAlt);

Int64 CountBlockTransitions(const TcxRegExprParserBlockItem* ABlock) {
  const TcxRegExprParserAlts* alts = ABlock->Alts();
  Int64 n = alts->CanBeSkipped() ? 1 : 0;
  for (Integer i = 0; i < alts->Count(); ++i) {
    const TcxRegExprParserAlt* alt = alts->Items(i);
    n += FirstLinks(alt) + LastLinks(alt) + CountAltTransitions(alt);
  }
  return n;
}

// As LinkAlt links: each item to the items after it up to the next one that cannot be
// skipped, its repetition, and the inside of its group.
Int64 CountAltTransitions(const TcxRegExprParserAlt* AAlt) {
  Int64 n = 0;
  Integer nextFixed = AAlt->Count();   // index of the first unskippable item after i
  for (Integer i = AAlt->Count() - 1; i >= 0; --i) {
    const TcxRegExprParserItem* item = AAlt->Items(i);
    n += (nextFixed < AAlt->Count() ? nextFixed : AAlt->Count() - 1) - i;
    if (item->QuantifierCanRepeat()) ++n;
    if (auto* block = dynamic_cast<const TcxRegExprParserBlockItem*>(item)) n += CountBlockTransitions(block);
    if (!item->QuantifierCanBeEmpty()) nextFixed = i;
  }
  return n;
}

Integer CountStates(const TcxRegExprParserAlts* AAlts) {
  Integer n = 0;
  for (Integer i = 0; i < AAlts->Count(); ++i) {
    TcxRegExprParserAlt* alt = AAlts->Items(i);
    for (Integer j = 0; j < alt->Count(); ++j) {
      if (auto* block = dynamic_cast<TcxRegExprParserBlockItem*>(alt->Items(j)))
        n += CountStates(block->Alts());
      else
        ++n;
    }
  }
  return n;
}

}  // namespace

void TcxRegExprParserBlockItem::SetFinal() {
  for (Integer i = 0; i < FAlts->Count(); ++i) MarkFinal(FAlts->Items(i));
}

Integer TcxRegExprParserBlockItem::Size() const {
  Integer n = 1;
  for (Integer i = 0; i < FAlts->Count(); ++i) {
    TcxRegExprParserAlt* alt = FAlts->Items(i);
    for (Integer j = 0; j < alt->Count(); ++j) n += alt->Items(j)->Size();
  }
  return n;
}

void TcxRegExprParserBlockItem::UpdateDepth() {
  Integer inner = 0;
  for (Integer i = 0; i < FAlts->Count(); ++i) {
    TcxRegExprParserAlt* alt = FAlts->Items(i);
    for (Integer j = 0; j < alt->Count(); ++j) inner = std::max(inner, alt->Items(j)->Depth());
  }
  FDepth = inner + 1;
}

// ---- Automaton ----

Int64 TcxRegExprAutomat::TransitionCount(const TcxRegExprParserAlts* AAlts) {
  Int64 n = 0;
  for (Integer i = 0; i < AAlts->Count(); ++i) n += FirstLinks(AAlts->Items(i)) + CountAltTransitions(AAlts->Items(i));
  return n;
}

// ---- The cache of sets and steps ----

// Each distinct set once, with the steps worked out from it. A step depends on the set, the
// character, the case rule and the separators of the moment, so a change of either of the
// latter forgets the steps (the sets stay). Memory is bounded: past the budget everything is
// forgotten but the sets the automaton stands on and may step back to.
class TcxRegExprDfa {
 public:
  static constexpr uint32_t kUnknown = 0, kRefused = 1;   // a step's entry; else index + 2

  // What a set forces, worked out once: whether its own members all give one character,
  // and whether the states after it do (the character completion would append).
  enum class Forcing : uint8_t { Unknown, No, Yes };

  struct Node {
    TcxRegExprStates Set;
    bool Final = false;
    Forcing Single = Forcing::Unknown;   // the set itself
    Forcing Forces = Forcing::Unknown;   // the states that may follow it
    Char ForcedChar = 0;
    uint32_t ForcedNext = kUnknown;      // the set completion moves to, as a step's entry
    std::unique_ptr<uint32_t[]> Steps;   // 256 entries, made on the first step from here
    std::unique_ptr<Char[]> Rewrites;    // the character as accepted, where a step changed it
  };

  Node& At(uint32_t AIndex) { return FNodes[AIndex]; }
  const Node& At(uint32_t AIndex) const { return FNodes[AIndex]; }

  // The index of ASet, added when new.
  uint32_t Intern(TcxRegExprStates&& ASet) {
    const size_t h = Hash(ASet);
    auto range = FIndex.equal_range(h);
    for (auto it = range.first; it != range.second; ++it)
      if (FNodes[it->second].Set == ASet) return it->second;
    const uint32_t index = uint32_t(FNodes.size());
    FBytes += sizeof(Node) + size_t(ASet.Count()) * sizeof(void*) + 64;
    Node& n = FNodes.emplace_back();
    n.Final = ASet.IsFinal();
    n.Set = std::move(ASet);
    FIndex.emplace(h, index);
    return index;
  }

  // Forgets every step when the rules they were worked out under have changed; what sets
  // force depends on the separators alone.
  void Validate(bool ACaseInsensitive) {
    const Rules now{ACaseInsensitive, FormatSettings.DateSeparator, FormatSettings.TimeSeparator};
    if (now == FRules) return;
    const bool separators = now.DateSeparator != FRules.DateSeparator || now.TimeSeparator != FRules.TimeSeparator;
    FRules = now;
    for (Node& n : FNodes) {
      if (n.Steps) FBytes -= 256 * sizeof(uint32_t);
      if (n.Rewrites) FBytes -= 256;
      n.Steps.reset();
      n.Rewrites.reset();
      if (separators) {
        n.Single = n.Forces = Forcing::Unknown;
        n.ForcedNext = kUnknown;
      }
    }
  }

  // As Validate, keeping the steps when only the case rule would differ.
  void ValidateSeparators() { Validate(FRules.CaseInsensitive); }

  void SetStep(uint32_t AFrom, Byte ACh, uint32_t AEntry, Char AAccepted) {
    Node& n = FNodes[AFrom];
    if (!n.Steps) {
      n.Steps.reset(new uint32_t[256]());
      FBytes += 256 * sizeof(uint32_t);
    }
    n.Steps[ACh] = AEntry;
    if (AAccepted != Char(ACh) || n.Rewrites) {
      if (!n.Rewrites) {
        n.Rewrites.reset(new Char[256]);
        for (int i = 0; i < 256; ++i) n.Rewrites[i] = Char(i);
        FBytes += 256;
      }
      n.Rewrites[ACh] = AAccepted;
    }
  }

  bool OverBudget() const { return FBytes > FLimit; }

  // Starts over with only the given sets, whose indices are rewritten in place. The sets
  // kept may alone fill the budget (a long text over large sets); the next start-over then
  // waits until as much again is added, so forgetting costs a constant share of the work
  // whatever the history holds, rather than a pass over the history at every step.
  void KeepOnly(uint32_t& ACurrent, std::vector<uint32_t>& AHistory) {
    std::deque<Node> old;
    old.swap(FNodes);
    FIndex.clear();
    FBytes = 0;
    std::unordered_map<uint32_t, uint32_t> moved;
    auto keep = [&](uint32_t& AIndex) {
      auto it = moved.find(AIndex);
      if (it == moved.end()) it = moved.emplace(AIndex, Intern(std::move(old[AIndex].Set))).first;
      AIndex = it->second;
    };
    for (uint32_t& h : AHistory) keep(h);
    keep(ACurrent);
    FLimit = std::max(kBudget, 2 * FBytes);
    ++FStartOvers;
  }

  Int64 SetsWorkedOut() const { return FSetsWorkedOut; }
  Int64 StartOvers() const { return FStartOvers; }
  void CountSetWorkedOut() { ++FSetsWorkedOut; }

 private:
  struct Rules {
    bool CaseInsensitive = false;
    Char DateSeparator = 0, TimeSeparator = 0;
    bool operator==(const Rules&) const = default;
  };
  static constexpr size_t kBudget = size_t(8) << 20;

  static size_t Hash(const TcxRegExprStates& ASet) {
    uint64_t h = 1469598103934665603ull;
    for (Integer i = 0; i < ASet.Count(); ++i) {
      h ^= uint64_t(reinterpret_cast<uintptr_t>(ASet.Items(i)));
      h *= 1099511628211ull;
    }
    return size_t(h ^ (h >> 29));
  }

  std::deque<Node> FNodes;   // a deque: a node's set stays where it is while others are added
  std::unordered_multimap<size_t, uint32_t> FIndex;
  size_t FBytes = 0;
  size_t FLimit = kBudget;
  Int64 FSetsWorkedOut = 0;   // walks that formed a set from the states' links
  Int64 FStartOvers = 0;
  Rules FRules{false, 0, 0};
};

// ---- Automaton ----

TcxRegExprAutomat::TcxRegExprAutomat(TcxRegExprParserAlts* AAlts, TcxRegExpr* AOwner)
    : FAlts(AAlts), FOwner(AOwner), FStartState(New<TcxRegExprSimpleState>(nullptr)),
      FDfa(std::make_unique<TcxRegExprDfa>()) {
  for (Integer i = 0; i < FAlts->Count(); ++i) LinkAlt(FAlts->Items(i));
  for (Integer i = 0; i < FAlts->Count(); ++i) MarkFinal(FAlts->Items(i));
  for (Integer i = 0; i < FAlts->Count(); ++i) LinkFirst(FStartState.get(), FAlts->Items(i));
  FStartState->SetFinal(FAlts->CanBeEmpty());
  FStateCount = CountStates(FAlts.get());
  Reset();
}

TcxRegExprAutomat::~TcxRegExprAutomat() = default;

const TcxRegExprStates& TcxRegExprAutomat::CurrentStates() const { return FDfa->At(FCurrent).Set; }

bool TcxRegExprAutomat::IsFinal() const { return FDfa->At(FCurrent).Final; }

void TcxRegExprAutomat::Advance(TcxRegExprStates&& ASet) {
  if (FDfa->OverBudget()) FDfa->KeepOnly(FCurrent, FHistory);
  const uint32_t next = FDfa->Intern(std::move(ASet));
  FHistory.push_back(FCurrent);
  FCurrent = next;
}

bool TcxRegExprAutomat::Next(Char& Ch, bool CaseInsensitive) {
  FDfa->Validate(CaseInsensitive);
  const Byte b = Byte(Ch);
  const TcxRegExprDfa::Node& here = FDfa->At(FCurrent);
  uint32_t step = here.Steps ? here.Steps[b] : TcxRegExprDfa::kUnknown;
  if (step == TcxRegExprDfa::kUnknown) {
    Char c = Ch;
    FDfa->CountSetWorkedOut();
    TcxRegExprStates next = here.Set.Check(c, CaseInsensitive);
    if (next.Count() == 0) {
      FDfa->SetStep(FCurrent, b, TcxRegExprDfa::kRefused, Ch);
      return false;
    }
    Advance(std::move(next));
    FDfa->SetStep(FHistory.back(), b, FCurrent + 2, c);   // the set stepped from, wherever it is kept now
    Ch = c;
    return true;
  }
  if (step == TcxRegExprDfa::kRefused) return false;
  if (here.Rewrites) Ch = here.Rewrites[b];
  FHistory.push_back(FCurrent);
  FCurrent = step - 2;
  return true;
}

bool TcxRegExprAutomat::Prev() {
  if (FHistory.empty()) return false;
  FCurrent = FHistory.back();
  FHistory.pop_back();
  return true;
}

void TcxRegExprAutomat::Reset() {
  FHistory.clear();
  TcxRegExprStates start;
  start.Add(FStartState.get());
  FCurrent = FDfa->Intern(std::move(start));
}

bool TcxRegExprAutomat::IsStart() const {
  const TcxRegExprStates& set = CurrentStates();
  return set.Count() > 0 && set.Items(0) == FStartState.get();
}

bool TcxRegExprAutomat::SetIsSingle(uint32_t AIndex) {
  TcxRegExprDfa::Node& n = FDfa->At(AIndex);
  if (n.Single == TcxRegExprDfa::Forcing::Unknown) {
    Char c;
    n.Single = n.Set.GetSingleSymbol(c) ? TcxRegExprDfa::Forcing::Yes : TcxRegExprDfa::Forcing::No;
  }
  return n.Single == TcxRegExprDfa::Forcing::Yes;
}

bool TcxRegExprAutomat::SetForces(uint32_t AIndex) {
  TcxRegExprDfa::Node& n = FDfa->At(AIndex);
  if (n.Forces == TcxRegExprDfa::Forcing::Unknown) {
    FDfa->CountSetWorkedOut();
    Char c = 0;
    n.Forces = n.Set.GetNextStates().GetSingleSymbol(c) ? TcxRegExprDfa::Forcing::Yes : TcxRegExprDfa::Forcing::No;
    n.ForcedChar = c;
  }
  return n.Forces == TcxRegExprDfa::Forcing::Yes;
}

bool TcxRegExprAutomat::ForcedStep(Char& Ch, uint32_t& ANext) {
  TcxRegExprDfa::Node* here = &FDfa->At(FCurrent);
  if (here->Forces == TcxRegExprDfa::Forcing::No) return false;
  if (here->ForcedNext == TcxRegExprDfa::kUnknown) {
    if (FDfa->OverBudget()) {
      FDfa->KeepOnly(FCurrent, FHistory);   // renumbers the sets and forgets what they force
      here = &FDfa->At(FCurrent);
    }
    FDfa->CountSetWorkedOut();
    TcxRegExprStates next = here->Set.GetNextStates();
    Char c = 0;
    if (!next.GetSingleSymbol(c)) {
      here->Forces = TcxRegExprDfa::Forcing::No;
      return false;
    }
    const uint32_t to = FDfa->Intern(std::move(next));   // a deque: here stays valid
    here->Forces = TcxRegExprDfa::Forcing::Yes;
    here->ForcedChar = c;
    here->ForcedNext = to + 2;
  }
  Ch = here->ForcedChar;
  ANext = here->ForcedNext - 2;
  return true;
}

void TcxRegExprAutomat::AutoComplete() {
  if (IsFinal()) return;
  FDfa->ValidateSeparators();
  Char c;
  uint32_t next;
  // Each forced step brings some member one step nearer to a final state, so this ends
  // within as many steps as there are states; the bound only guards that argument. What a
  // set forces is worked out once, so completing again from a set met before walks nothing.
  for (Integer steps = 0; steps <= FStateCount && ForcedStep(c, next); ++steps) {
    if (FOwner && FOwner->OnSymbolUpdate) FOwner->OnSymbolUpdate(c);
    FHistory.push_back(FCurrent);
    FCurrent = next;
    if (IsFinal()) return;
  }
}

void TcxRegExprAutomat::UndoAutoComplete() {
  FDfa->ValidateSeparators();
  while (SetIsSingle(FCurrent)) {
    if (FHistory.empty()) return;
    const uint32_t prev = FHistory.back();
    if (FDfa->At(prev).Final || !SetForces(prev)) return;   // the step from there was the user's choice
    FHistory.pop_back();
    // A handler that raises leaves the history as it was; otherwise the step back is taken.
    try {
      if (FOwner && FOwner->OnSymbolDelete) FOwner->OnSymbolDelete();
    } catch (...) {
      FHistory.push_back(prev);
      throw;
    }
    FCurrent = prev;
  }
}

Int64 TcxRegExprAutomat::SetsWorkedOut() const { return FDfa->SetsWorkedOut(); }

Int64 TcxRegExprAutomat::StartOvers() const { return FDfa->StartOvers(); }
